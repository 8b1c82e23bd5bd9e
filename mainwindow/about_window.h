#pragma once
// The about box, opened from the main window's logo.

#include "platform/ui/windows.h"

class QLabel;
class QPushButton;

namespace kv {

class About : public ui::Dialog {
    Q_OBJECT
public:
    explicit About(QWidget* parent = nullptr);

    void kreuz_Click() override;

private:
    void wireEvents();

    QLabel* logo = nullptr;
    QLabel* titel = nullptr;
    QLabel* version = nullptr;
    QLabel* info = nullptr;
    QPushButton* kreuz = nullptr;
};

}  // namespace kv
