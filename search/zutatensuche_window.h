#pragma once
// The window `zutatensuche`: finds recipes by the ingredients they hold, lack, or hold
// one of.

#include "platform/ui/windows.h"

#include <array>

class QLabel;
class QLineEdit;
class QToolButton;

namespace kv {

// Control arrays are named with their index: `z`(0) is "z0".
class Zutatensuche : public ui::Dialog {
    Q_OBJECT
public:
    explicit Zutatensuche(QWidget* parent = nullptr);

    // Runs the search with the fields as filled; the window hides itself after it.
    void suchliste();

    void kreuz_Click() override;

private:
    void wireEvents();
    void hideSelf();
    void weiter_Click();
    void loesch_Click();

    QLabel* Label1 = nullptr;
    std::array<QLabel*, 3> lzut{};
    std::array<QLineEdit*, 7> z{};
    std::array<QLineEdit*, 7> m{};
    std::array<QLineEdit*, 7> n{};
    QLabel* status = nullptr;
    QToolButton* weiter = nullptr;
    QToolButton* loesch = nullptr;
    QToolButton* kreuz = nullptr;
};

}  // namespace kv
