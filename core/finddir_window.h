#pragma once
// The dialog that chooses the folder of another cookbook.

#include "platform/ui/windows.h"

#include <QString>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeView;

namespace kv {

namespace ui {
class FolderChooser;
}

class Finddir : public ui::Dialog {
    Q_OBJECT
public:
    explicit Finddir(QWidget* parent = nullptr);

    // 1 when the folder holds a cookbook, else 0 after telling the user why.
    qint16 checkload(const QString& folder);

    // The folder chosen in `idir`, ending with '/'.
    QString idirPath() const;
    // Moves `idir` to the folder; every move to another folder runs idir_Change.
    void setIdirPath(const QString& folder);

    void start_Click();
    void kreuz_Click() override;
    void idrive_Change();
    void idir_Change();

private:
    void wireEvents();
    void Form_Load();

    QLabel* top = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* idrive = nullptr;
    QLabel* Label6 = nullptr;
    QTreeView* idir = nullptr;
    ui::FolderChooser* m_folders = nullptr;
    QLabel* status = nullptr;
    QPushButton* start = nullptr;
    QPushButton* kreuz = nullptr;
};

// Shows the dialog modally for the cookbook opening, which reads the folder it stored.
// Throws kv::ProgramEnd when the user chose to end the program instead.
void showFinddirModal();

}  // namespace kv
