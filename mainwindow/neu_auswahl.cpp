#include "mainwindow/neu_auswahl.h"

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

NeuAuswahl::NeuAuswahl(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("neu_auswahl"));
    setWindowTitle(QStringLiteral(" "));
    ui::setDarkDialogLook(this);

    caption = ui::dialogCaption(QStringLiteral("N e u e   A u s w a h l"), this);
    namelabel = new QLabel(QStringLiteral("N a m e :"), this);
    namelabel->setObjectName(QStringLiteral("namelabel"));
    aname = new QLineEdit(this);
    aname->setObjectName(QStringLiteral("aname"));
    o1 = new QLabel(QStringLiteral("Rezepte übernehmen"), this);
    o1->setObjectName(QStringLiteral("o1"));
    o2 = new QLabel(QStringLiteral("leer"), this);
    o2->setObjectName(QStringLiteral("o2"));
    for (QLabel* o : {o1, o2}) o->setCursor(Qt::PointingHandCursor);
    start = ui::dialogButton(QStringLiteral("start"), QStringLiteral("OK"), this);
    kreuz = ui::dialogButton(QStringLiteral("kreuz"), QStringLiteral("Schließen"), this);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(10);
    layout->addWidget(caption, 0, 0, 1, 2);
    layout->addWidget(namelabel, 1, 0);
    layout->addWidget(aname, 1, 1);
    layout->addWidget(o1, 2, 0);
    layout->addWidget(o2, 2, 1);
    layout->addWidget(start, 3, 0);
    layout->addWidget(kreuz, 3, 1);

    savemode = 2;
    typed = false;
    showOptions();
    wireEvents();
}

void NeuAuswahl::wireEvents()
{
    ui::onChange(aname, [this] { aname_Change(); });
    ui::onGotFocus(aname, [this] { aname_GotFocus(); });
    ui::onKeyPress(aname, [this](int& keyAscii) { aname_KeyPress(keyAscii); });
    ui::onClick(o1, [this] { o1_Click(); });
    ui::onClick(o2, [this] { o2_Click(); });
    ui::onClick(start, [this] { start_Click(); });
    ui::onClick(kreuz, [this] { kreuz_Click(); });
}

void NeuAuswahl::setHost(std::function<QString()> currentAid, std::function<void(qint64)> saved)
{
    m_currentAid = std::move(currentAid);
    m_saved = std::move(saved);
}

void NeuAuswahl::showOptions()
{
    ui::setOptionChosen(o1, savemode == 1);
    ui::setOptionChosen(o2, savemode == 2);
}

void NeuAuswahl::aname_Change()
{
    typed = true;
}

void NeuAuswahl::aname_GotFocus()
{
    typed = false;
}

void NeuAuswahl::aname_KeyPress(int& keyAscii)
{
    if (keyAscii != ui::KeyEnter) return;
    keyAscii = 0;
    if (typed) saveaus();
}

void NeuAuswahl::o1_Click()
{
    savemode = 1;
    showOptions();
}

void NeuAuswahl::o2_Click()
{
    savemode = 2;
    showOptions();
}

void NeuAuswahl::start_Click()
{
    saveaus();
}

void NeuAuswahl::kreuz_Click()
{
    ui::WindowRegistry::unload(QStringLiteral("neu_auswahl"));
}

void NeuAuswahl::saveaus()
{
    const QString name = aname->text();
    if (name.isEmpty() || !kochbuchdb) return;
    std::optional<qint64> moveFrom;
    if (savemode == 1 && m_currentAid) moveFrom = idFromText(m_currentAid());
    const qint64 aid = kv::saveaus(*kochbuchdb, name, moveFrom);
    if (m_saved) m_saved(aid);
    ui::WindowRegistry::unload(QStringLiteral("neu_auswahl"));
}

}  // namespace kv
