#include "mainwindow/neu_auswahl_window.h"

#include "core/mainmod.h"
#include "mainwindow/panel.h"
#include "platform/ui/events.h"
#include "platform/ui/look.h"

#include <QLabel>

namespace kv {

NeuAuswahl::NeuAuswahl(QWidget* parent)
    : NamingDialog(QStringLiteral("neu_auswahl"), QStringLiteral("N e u e   A u s w a h l"), parent)
{
    o1 = new QLabel(QStringLiteral("Rezepte übernehmen"), this);
    o1->setObjectName(QStringLiteral("o1"));
    o2 = new QLabel(QStringLiteral("leer"), this);
    o2->setObjectName(QStringLiteral("o2"));
    for (QLabel* o : {o1, o2}) o->setCursor(Qt::PointingHandCursor);
    addRow(o1, o2);

    savemode = 2;
    showOptions();
    ui::onClick(o1, [this] { o1_Click(); });
    ui::onClick(o2, [this] { o2_Click(); });
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

void NeuAuswahl::saveaus()
{
    const QString name = typedName();
    if (name.isEmpty() || !kochbuchdb) return;
    std::optional<qint64> moveFrom;
    if (savemode == 1 && m_currentAid) moveFrom = idFromText(m_currentAid());
    const qint64 aid = kv::saveaus(*kochbuchdb, name, moveFrom);
    if (m_saved) m_saved(aid);
    unloadSelf();
}

}  // namespace kv
