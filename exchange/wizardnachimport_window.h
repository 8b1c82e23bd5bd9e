#pragma once
// The category assignment `wizard_nachimport`: every recipe without a category, and the
// categories; a double click on either side gives the selected recipe the selected
// category and moves on to the next recipe. Modeless; it closes when its cookbook is
// closed or replaced.

#include "platform/ui/windows.h"

class QLabel;
class QListWidget;
class QToolButton;

namespace kv {

class WizardNachimport : public ui::Dialog {
    Q_OBJECT
public:
    explicit WizardNachimport(QWidget* parent = nullptr);

    void neurezgrid_DblClick();
    void rublist_DblClick();
    void kreuz_Click() override;

private:
    void wireEvents();
    void Form_Load();
    void assign();

    QLabel* top = nullptr;
    QLabel* infotext = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* neurezgrid = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* rublist = nullptr;
    QToolButton* kreuz = nullptr;
};

}  // namespace kv
