#pragma once
// The naming dialog of a new menu.

#include "mainwindow/naming_window.h"

#include <functional>

namespace kv {

class NeuMenue : public NamingDialog {
    Q_OBJECT
public:
    explicit NeuMenue(QWidget* parent = nullptr);

    // What the main window does once the new menu is stored.
    void setHost(std::function<void(qint64 mid)> saved);
    void savemen();

protected:
    void save() override { savemen(); }

private:
    std::function<void(qint64)> m_saved;
};

}  // namespace kv
