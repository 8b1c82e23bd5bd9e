#pragma once
// The comments editor `weiters_komment`: the texts of the comments recipes carry are
// changed in place; a deleted comment is taken off every recipe and list entry.

#include <QWidget>

class QTableView;
class QPushButton;

namespace kv {

namespace db {
class DataControl;
class RecordsetTableModel;
}  // namespace db

class WeitersKomment : public QWidget {
    Q_OBJECT
public:
    explicit WeitersKomment(QWidget* parent = nullptr);

    void komgrid_BeforeDelete(bool& cancel);
    void kreuz_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void komgrid_Click();
    // The main window's comment box and filter offer the comments as they are now.
    void mainWindowFollows();

    db::DataControl* komment = nullptr;
    db::RecordsetTableModel* m_comments = nullptr;
    QTableView* komgrid = nullptr;
    QPushButton* kreuz = nullptr;
};

}  // namespace kv
