#include "mainwindow/naming_window.h"

#include "platform/ui/events.h"
#include "platform/ui/look.h"
#include "platform/ui/windows.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kv {

NamingDialog::NamingDialog(const QString& name, const QString& captionText, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(name);
    setWindowTitle(QStringLiteral(" "));
    ui::setDarkDialogLook(this);

    caption = ui::dialogCaption(captionText, this);
    namelabel = new QLabel(QStringLiteral("N a m e :"), this);
    namelabel->setObjectName(QStringLiteral("namelabel"));
    aname = new QLineEdit(this);
    aname->setObjectName(QStringLiteral("aname"));
    start = ui::dialogButton(QStringLiteral("start"), QStringLiteral("OK"), this);
    kreuz = ui::dialogButton(QStringLiteral("kreuz"), QStringLiteral("Schließen"), this);

    m_layout = new QGridLayout(this);
    m_layout->setContentsMargins(18, 14, 18, 14);
    m_layout->setHorizontalSpacing(12);
    m_layout->setVerticalSpacing(10);
    m_layout->addWidget(caption, 0, 0, 1, 2);
    m_layout->addWidget(namelabel, 1, 0);
    m_layout->addWidget(aname, 1, 1);
    m_layout->addWidget(start, 2, 0);
    m_layout->addWidget(kreuz, 2, 1);

    ui::onChange(aname, [this] { aname_Change(); });
    ui::onGotFocus(aname, [this] { aname_GotFocus(); });
    ui::onKeyPress(aname, [this](int& keyAscii) { aname_KeyPress(keyAscii); });
    ui::onClick(start, [this] { start_Click(); });
    ui::onClick(kreuz, [this] { kreuz_Click(); });
}

QString NamingDialog::typedName() const
{
    return aname->text();
}

void NamingDialog::setNameTip(const QString& tip)
{
    aname->setToolTip(tip);
}

void NamingDialog::addRow(QWidget* left, QWidget* right)
{
    // The buttons stay the last row.
    const int row = m_layout->rowCount() - 1;
    m_layout->removeWidget(start);
    m_layout->removeWidget(kreuz);
    m_layout->addWidget(left, row, 0);
    m_layout->addWidget(right, row, 1);
    m_layout->addWidget(start, row + 1, 0);
    m_layout->addWidget(kreuz, row + 1, 1);
}

void NamingDialog::unloadSelf()
{
    ui::WindowRegistry::unload(objectName());
}

void NamingDialog::aname_Change()
{
    typed = true;
}

void NamingDialog::aname_GotFocus()
{
    typed = false;
}

void NamingDialog::aname_KeyPress(int& keyAscii)
{
    if (keyAscii != ui::KeyEnter) return;
    keyAscii = 0;
    if (typed) save();
}

void NamingDialog::start_Click()
{
    save();
}

void NamingDialog::kreuz_Click()
{
    unloadSelf();
}

}  // namespace kv
