#pragma once
// The newsgroup wizard `wizard_news`: the news servers and their groups, kept in the user
// database and edited in place, the groups marked for the next run, and the start of the
// run. Shown modally from the main window; its cross only hides it.

#include "platform/ui/windows.h"

#include <functional>
#include <memory>

class QLabel;
class QListView;
class QTableView;
class QToolButton;

namespace kv {

namespace db {
class Database;
class DataControl;
class Recordset;
class RecordsetListModel;
class RecordsetTableModel;
}  // namespace db

class WizardNews : public ui::Dialog {
    Q_OBJECT
public:
    explicit WizardNews(QWidget* parent = nullptr);
    ~WizardNews() override;

    // Without the user database there is nothing to show: the window is not shown and
    // goes at once.
    int exec() override;

    void servgrid_RowColChange();
    void servgrid_OnAddNew(db::Recordset& added);
    void groupgrid_GotFocus();
    void groupgrid_OnAddNew(db::Recordset& added);
    void groupgrid_DblClick();
    void selectgrid_KeyDown(int& keyCode, int shift);
    void start_Click();
    void kreuz_Click() override;

private:
    void wireEvents();
    void Form_Load();
    void showGroupsOf(qint64 servid);
    void closeDatabase();
    void unloadSelf();

    db::DataControl* server = nullptr;
    db::DataControl* groups = nullptr;
    db::DataControl* selected = nullptr;
    db::RecordsetTableModel* m_servers = nullptr;
    db::RecordsetTableModel* m_groups = nullptr;
    db::RecordsetListModel* m_selected = nullptr;

    QLabel* top = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QTableView* servgrid = nullptr;
    QTableView* groupgrid = nullptr;
    QListView* selectgrid = nullptr;
    QToolButton* start = nullptr;
    QToolButton* kreuz = nullptr;

    // The wizard's own connection to the user database, shared with its data controls.
    std::shared_ptr<db::Database> m_db;
    bool m_loadFailed = false;
};

}  // namespace kv
