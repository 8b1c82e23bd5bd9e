#include "core/warten_window.h"

#include "platform/ui/look.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace kv {

Warten::Warten(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("warten"));
    setWindowTitle(QStringLiteral(" K e l v o r"));

    top = new QLabel(QStringLiteral("B i t t e   w a r t e n   . . ."), this);
    top->setObjectName(QStringLiteral("top"));
    top->setFont(ui::narrowFont(14, true));
    top->setAlignment(Qt::AlignCenter);

    wtime = new QLabel(QStringLiteral(" ."), this);
    wtime->setObjectName(QStringLiteral("wtime"));
    wtime->setFont(ui::narrowFont(11, true));
    wtime->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The row grows to 80 characters; a fixed width keeps the window from jumping.
    wtime->setMinimumWidth(QFontMetrics(wtime->font()).horizontalAdvance(QStringLiteral(" .").repeated(41)));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(12);
    layout->addWidget(top);
    layout->addWidget(wtime);
    setMinimumWidth(380);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);

    wireEvents();
    Timer1->start();
}

void Warten::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Shown before the main window exists, so there is no parent to centre it on.
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void Warten::wireEvents()
{
    connect(Timer1, &QTimer::timeout, this, &Warten::Timer1_Timer);
}

QString Warten::nextDots(const QString& dots)
{
    QString next = dots + QStringLiteral(" .");
    if (next.size() > 80) next = next.left(next.indexOf(u' ')) + u'|';
    return next;
}

void Warten::Timer1_Timer()
{
    wtime->setText(nextDots(wtime->text()));
    // The opening runs long steps on this thread; the tick is what lets the window paint.
    QCoreApplication::processEvents();
}

}  // namespace kv
