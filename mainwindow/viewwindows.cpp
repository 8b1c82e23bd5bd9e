#include "mainwindow/viewwindows.h"

#include "mainwindow/neu_auswahl.h"
#include "mainwindow/neu_menue.h"
#include "mainwindow/neu_portion.h"
#include "platform/ui/windows.h"

#include <QDialog>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace kv {

void registerViewWindows()
{
    ui::WindowRegistry::registerWindow(QStringLiteral("neu_portion"), [] { return new NeuPortion; });
    ui::WindowRegistry::registerWindow(QStringLiteral("neu_auswahl"), [] { return new NeuAuswahl; });
    ui::WindowRegistry::registerWindow(QStringLiteral("neu_menue"), [] { return new NeuMenue; });
}

void setNamingDialogLook(QDialog* dialog)
{
    // White and grey option texts need a dark ground.
    QPalette p = dialog->palette();
    p.setColor(QPalette::Window, QColor(0x3A, 0x4A, 0x5C));
    p.setColor(QPalette::WindowText, Qt::white);
    dialog->setPalette(p);
    dialog->setAutoFillBackground(true);
}

QLabel* namingDialogCaption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("caption"));
    QFont f = label->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    label->setFont(f);
    return label;
}

QPushButton* namingDialogButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    // Enter belongs to the name box, which acts on it only after typing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

void setOptionChosen(QLabel* option, bool chosen)
{
    QPalette p = option->palette();
    p.setColor(QPalette::WindowText, QColor::fromRgb(chosen ? kOptionChosen : kOptionOther));
    option->setPalette(p);
}

}  // namespace kv
