#include "exchange/newsreaderwork_window.h"

#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "platform/ui/windows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace {

const QString kName = QStringLiteral("newsreaderwork");
const QString kFailedEnd =
    QStringLiteral("Das Lesen endete mit Fehlern; schließen Sie dieses Fenster mit \"Abbruch\".");

}  // namespace

Newsreaderwork::Newsreaderwork(QWidget* parent)
    : QWidget(parent, Qt::Window), m_run(*this)
{
    setObjectName(kName);
    setWindowTitle(QStringLiteral(" "));
    // The main window must take nothing while a run lasts: no second import, no other
    // cookbook, no closing of the program under the run.
    setWindowModality(Qt::ApplicationModal);
    ui::setDarkDialogLook(this);

    Label1 = ui::dialogCaption(QStringLiteral("N e w s g r o u p s   d u r c h s u c h e n   . . ."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label5 = ui::caption(this, QStringLiteral("Label5"), QStringLiteral("Verbindungsprotokoll :"));
    status = ui::textArea(this, QStringLiteral("status"));
    status->setReadOnly(true);
    status->setFocusPolicy(Qt::NoFocus);
    abbruch = ui::pictureButton(this, QStringLiteral("abbruch"), QStringLiteral("close"), QStringLiteral("Abbruch"), 24);
    abbruch->setText(QStringLiteral("Abbruch"));
    abbruch->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(abbruch);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 10, 14, 10);
    layout->addWidget(Label1);
    layout->addWidget(Label5);
    layout->addWidget(status, 1);
    layout->addLayout(buttons);
    resize(520, 300);

    wireEvents();
    Form_Load();
}

Newsreaderwork::~Newsreaderwork() = default;

void Newsreaderwork::wireEvents()
{
    ui::onClick(abbruch, [this] { ui::guarded(QStringLiteral("ABBRUCH_CLICK : "), [this] { abbruch_Click(); }); });
}

void Newsreaderwork::Form_Load()
{
    m_run.openUserDb();
    m_log = QStringLiteral(" ");
    showLog();
}

void Newsreaderwork::showLog()
{
    status->setPlainText(QString(m_log).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    status->moveCursor(QTextCursor::End);
    status->ensureCursorVisible();
    status->repaint();
}

void Newsreaderwork::stat(const QString& message)
{
    abbruch->setFocus();
    m_log = exchange::appendLogLine(m_log, message);
    showLog();
}

void Newsreaderwork::statline(const QString& message)
{
    abbruch->setFocus();
    m_log = message;
    showLog();
}

void Newsreaderwork::showCounter(qint64 number)
{
    m_log = exchange::withCounter(m_log, number);
    showLog();
}

void Newsreaderwork::startread()
{
    // A window kept open after a failed run took no input away; a run does.
    if (windowModality() != Qt::ApplicationModal) {
        const bool shown = isVisible();
        hide();
        setWindowModality(Qt::ApplicationModal);
        if (shown) show();
    }
    m_kept = false;
    // A run that ends without an import leaves nothing to show; after an import the
    // window stays loaded, hidden, for the next run, unless the run failed: then it
    // stays on screen until the user has read what went wrong.
    if (m_run.startread() != exchange::NewsRunEnd::Imported) {
        unloadSelf();
        return;
    }
    if (!m_run.failed()) return;
    m_kept = true;
    stat(kFailedEnd);
    // Shown anew: the import's last window is still on its way to the screen, and the
    // window system puts the one mapped last on top.
    hide();
    show();
    raise();
    activateWindow();
}

void Newsreaderwork::importnews()
{
    m_run.importnews();
}

void Newsreaderwork::beforeImport()
{
    QApplication::beep();
    hide();
    // The log of a failed run stays in sight during the import, but must not keep the
    // import's windows from taking input.
    if (m_run.failed()) {
        setWindowModality(Qt::NonModal);
        show();
    }
}

void Newsreaderwork::abbruch_Click()
{
    if (m_kept && !m_run.running()) {
        m_kept = false;
        hide();
        return;
    }
    if (m_run.abbruch_Click()) unloadSelf();
}

void Newsreaderwork::unloadSelf()
{
    ui::WindowRegistry::unload(kName);
}

void Newsreaderwork::closeEvent(QCloseEvent* event)
{
    // The close box is no way out of a run: the cancel button is.
    if (event->spontaneous() && m_run.running()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

}  // namespace kv
