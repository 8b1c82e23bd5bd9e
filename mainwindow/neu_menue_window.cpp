#include "mainwindow/neu_menue_window.h"

#include "core/mainmod.h"
#include "mainwindow/panel.h"

namespace kv {

NeuMenue::NeuMenue(QWidget* parent)
    : NamingDialog(QStringLiteral("neu_menue"), QStringLiteral("N e u e s   M e n ü"), parent)
{
    setNameTip(QStringLiteral("Name des Menüs"));
}

void NeuMenue::setHost(std::function<void(qint64)> saved)
{
    m_saved = std::move(saved);
}

void NeuMenue::savemen()
{
    const QString name = typedName();
    if (name.isEmpty() || !kochbuchdb) return;
    const qint64 mid = kv::savemen(*kochbuchdb, name);
    if (m_saved) m_saved(mid);
    unloadSelf();
}

}  // namespace kv
