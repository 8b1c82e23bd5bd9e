#include "mainwindow/neu_portion_window.h"

#include "mainwindow/recipeview.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/events.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kv {

namespace {

class BoxPortionTarget : public PortionTarget {
public:
    BoxPortionTarget(QLineEdit* port, std::function<void()> ubport) : m_port(port), m_ubport(std::move(ubport)) {}
    void setPortText(const QString& text) override
    {
        if (m_port) m_port->setText(text);
    }
    void ubport() override
    {
        if (m_port && m_ubport) m_ubport();
    }

private:
    QPointer<QLineEdit> m_port;
    std::function<void()> m_ubport;
};

}  // namespace

std::unique_ptr<PortionTarget> portionTarget(QLineEdit* port, std::function<void()> ubport)
{
    return std::make_unique<BoxPortionTarget>(port, std::move(ubport));
}

NeuPortion::NeuPortion(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("neu_portion"));
    setWindowTitle(QStringLiteral(" "));

    labelneu = new QLabel(QStringLiteral("P o r t i o n e n :"), this);
    labelneu->setObjectName(QStringLiteral("labelneu"));
    QFont f = labelneu->font();
    f.setBold(true);
    labelneu->setFont(f);

    port = new QLineEdit(this);
    port->setObjectName(QStringLiteral("port"));
    port->setMaxLength(12);
    port->setAlignment(Qt::AlignRight);

    start = new QPushButton(QStringLiteral("OK"), this);
    start->setObjectName(QStringLiteral("start"));
    kreuz = new QPushButton(QStringLiteral("Schließen"), this);
    kreuz->setObjectName(QStringLiteral("kreuz"));
    // Enter belongs to the box, which acts on it only after typing.
    for (QPushButton* b : {start, kreuz}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(12);
    layout->addWidget(labelneu, 0, 0);
    layout->addWidget(port, 0, 1);
    layout->addWidget(start, 1, 0);
    layout->addWidget(kreuz, 1, 1);

    wireEvents();
}

NeuPortion::~NeuPortion() = default;

void NeuPortion::wireEvents()
{
    ui::onChange(port, [this] { port_Change(); });
    ui::onGotFocus(port, [this] { port_GotFocus(); });
    ui::onLostFocus(port, [this] { port_LostFocus(); });
    ui::onKeyPress(port, [this](int& keyAscii) { port_KeyPress(keyAscii); });
    ui::onClick(start, [this] { start_Click(); });
    ui::onClick(kreuz, [this] { kreuz_Click(); });
}

void NeuPortion::setTarget(std::unique_ptr<PortionTarget> target)
{
    m_target = std::move(target);
}

void NeuPortion::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

void NeuPortion::Form_Activate()
{
    port->clear();
    port->setFocus();
    // Clearing the box is the program's write, not the user's.
    typed = 0;
}

void NeuPortion::port_Change()
{
    typed = 1;
}

void NeuPortion::port_GotFocus()
{
    typed = 0;
}

void NeuPortion::port_LostFocus()
{
    typed = 0;
}

void NeuPortion::port_KeyPress(int& keyAscii)
{
    if (keyAscii != ui::KeyEnter) return;
    keyAscii = 0;
    if (typed == 1) saveport();
}

void NeuPortion::start_Click()
{
    saveport();
}

void NeuPortion::kreuz_Click()
{
    reject();
}

void NeuPortion::saveport()
{
    const Servings s = readServings(port->text());
    if (s.check != ServingsCheck::Ok) {
        ui::msgbox(servingsMessage(s.check), ui::OkOnly, QStringLiteral(" "));
        port->clear();
        typed = 0;
        port->setFocus();
        return;
    }
    if (m_target) {
        // The whole number the amounts will be scaled for, not the text as typed ("2,5").
        m_target->setPortText(QString::number(s.value));
        m_target->ubport();
    }
    accept();
}

}  // namespace kv
