#include "mainwindow/neu_menue.h"

#include "core/mainmod.h"
#include "mainwindow/panel.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "platform/ui/windows.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kv {

NeuMenue::NeuMenue(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("neu_menue"));
    setWindowTitle(QStringLiteral(" "));
    ui::setDarkDialogLook(this);

    caption = ui::dialogCaption(QStringLiteral("N e u e s   M e n ü"), this);
    namelabel = new QLabel(QStringLiteral("N a m e :"), this);
    namelabel->setObjectName(QStringLiteral("namelabel"));
    aname = new QLineEdit(this);
    aname->setObjectName(QStringLiteral("aname"));
    aname->setToolTip(QStringLiteral("Name des Menüs"));
    start = ui::dialogButton(QStringLiteral("start"), QStringLiteral("OK"), this);
    kreuz = ui::dialogButton(QStringLiteral("kreuz"), QStringLiteral("Schließen"), this);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(10);
    layout->addWidget(caption, 0, 0, 1, 2);
    layout->addWidget(namelabel, 1, 0);
    layout->addWidget(aname, 1, 1);
    layout->addWidget(start, 2, 0);
    layout->addWidget(kreuz, 2, 1);

    typed = false;
    wireEvents();
}

void NeuMenue::wireEvents()
{
    ui::onChange(aname, [this] { aname_Change(); });
    ui::onGotFocus(aname, [this] { aname_GotFocus(); });
    ui::onKeyPress(aname, [this](int& keyAscii) { aname_KeyPress(keyAscii); });
    ui::onClick(start, [this] { start_Click(); });
    ui::onClick(kreuz, [this] { kreuz_Click(); });
}

void NeuMenue::setHost(std::function<void(qint64)> saved)
{
    m_saved = std::move(saved);
}

void NeuMenue::aname_Change()
{
    typed = true;
}

void NeuMenue::aname_GotFocus()
{
    typed = false;
}

void NeuMenue::aname_KeyPress(int& keyAscii)
{
    if (keyAscii != ui::KeyEnter) return;
    keyAscii = 0;
    if (typed) savemen();
}

void NeuMenue::start_Click()
{
    savemen();
}

void NeuMenue::kreuz_Click()
{
    ui::WindowRegistry::unload(QStringLiteral("neu_menue"));
}

void NeuMenue::savemen()
{
    const QString name = aname->text();
    if (name.isEmpty() || !kochbuchdb) return;
    const qint64 mid = kv::savemen(*kochbuchdb, name);
    if (m_saved) m_saved(mid);
    ui::WindowRegistry::unload(QStringLiteral("neu_menue"));
}

}  // namespace kv
