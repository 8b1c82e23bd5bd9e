#include "search/searchlook_window.h"

#include "platform/ui/look.h"

#include <QDialog>
#include <QToolButton>

namespace kv {

void setSearchWindowLook(QDialog* dialog)
{
    ui::setDarkDialogLook(dialog);
    // The icons are drawn in dark ink for light grounds: each button gets a light plate.
    // Set on the buttons alone, as a style sheet on the window would replace the labels'
    // palette.
    for (QToolButton* button : dialog->findChildren<QToolButton*>())
        button->setStyleSheet(QStringLiteral("QToolButton { background: #e9edf2; border: 1px solid #c5ccd6; "
                                             "border-radius: 4px; padding: 3px; }"
                                             "QToolButton:hover { background: #ffffff; }"
                                             "QToolButton:pressed { background: #cfd7e2; }"));
}

}  // namespace kv
