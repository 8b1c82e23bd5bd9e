#pragma once
// The keyword tree `stichwortsuche`: the cookbook's keywords as a tree, whose double click
// fills the main window's recipe list; in organize mode free keywords are placed, hidden
// or merged as aliases, and keywords are created, renamed, taken out, moved and copied.
// Modeless; its close button hides it, and only a cookbook closing or the shut-down
// makes the next show build the tree anew.

#include "platform/ui/windows.h"

#include <QHash>
#include <QIcon>
#include <QPoint>

#include <array>
#include <optional>
#include <utility>

class QLabel;
class QLineEdit;
class QListView;
class QToolButton;
class QTreeWidgetItem;

namespace kv {

namespace db {
class DataControl;
class RecordsetListModel;
}  // namespace db

class StichTree;

class Stichwortsuche : public ui::Dialog {
    Q_OBJECT
public:
    // Item data of the tree's nodes: the key ("n" & sid, "n0" for the root) and the
    // number of the image shown (0 none, 1 current keyword, 2 plain, 3 with recipes).
    static constexpr int KeyRole = Qt::UserRole;
    static constexpr int ImageRole = Qt::UserRole + 1;
    // The window's width browsing and organizing, from the design's 3144 and 7464 twips.
    static int browseWidth();
    static int organizeWidth();

    explicit Stichwortsuche(QWidget* parent = nullptr);
    ~Stichwortsuche() override;

    // The show path: builds the tree when it is not built, and takes back the main
    // window's wait pointer once per show.
    void setVisible(bool visible) override;
    void kreuz_Click() override;

    // Public procedures.
    void neustich();
    // Copies the keyword `sid` with everything shown below it under `target`, in the
    // cookbook and on screen.
    bool copystich(qint64 sid, qint64 target);

    // Drag and drop, as the tree calls them; a test may drive a drop through them.
    // A drag of the root, or outside organize mode, does not start.
    bool stich_OLEStartDrag(QTreeWidgetItem* dragged);
    // Whether the node under the pointer takes the drop.
    bool stich_OLEDragOver(QTreeWidgetItem* over);
    // `shift`: 1 Shift, 2 Ctrl, 4 Alt, added up; any of them copies.
    void stich_OLEDragDrop(QTreeWidgetItem* target, int shift);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void wireEvents();

    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void Form_Unload();
    void stich_DblClick();
    void sganz_Click();
    void swort_Click();
    void organ_Click();
    void zurueck_Click();
    void filter_Change();
    void stich_NodeClick(QTreeWidgetItem* node);
    void listgrid_DblClick();
    void listgrid_KeyDown(int& keyCode, int shift);
    void aliasgrid_KeyDown(int& keyCode, int shift);
    void stich_BeforeLabelEdit(QTreeWidgetItem* node, bool& cancel);
    void stich_AfterLabelEdit(QTreeWidgetItem* node, bool& cancel, const QString& newString);
    void stich_KeyDown(int& keyCode, int shift);

    // The load state: an empty tree, browsing, no current keyword, the lists released.
    void resetWindow();
    void releaseData();
    // The current-keyword mark moves to `node`; the node it leaves gets its image back.
    void markNode(QTreeWidgetItem* node);
    void setImage(QTreeWidgetItem* node, int image);
    int imageOf(const QTreeWidgetItem* node) const;
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, qint64 sid, const QString& text);
    // Removes a node with its subtree; a mark or a drag on any of them goes with it.
    void removeNode(QTreeWidgetItem* node);
    QTreeWidgetItem* selectedKeyword() const;   // null for none and for the root
    bool isBelow(const QTreeWidgetItem* node, const QTreeWidgetItem* ancestor) const;
    // The chosen row of a list: its bound id and its text; false for none.
    bool chosenRow(QListView* view, qint64& sid, QString& text) const;
    void refreshList();
    void refreshAlias();
    void setOrganizing(bool on);
    void editEnded(bool committed, const QString& text);

    // Controls.
    QLabel* titel = nullptr;
    StichTree* stich = nullptr;
    QLabel* sganz = nullptr;
    QLabel* swort = nullptr;
    QLabel* anzlabel = nullptr;
    QToolButton* organ = nullptr;
    QToolButton* zurueck = nullptr;   // the control `zurück`
    QToolButton* kreuz = nullptr;
    QWidget* m_organize = nullptr;    // the controls of organize mode
    QLabel* orglabel = nullptr;
    QLabel* filterlabel = nullptr;
    QLineEdit* filter = nullptr;
    db::DataControl* list = nullptr;
    QListView* listgrid = nullptr;
    QLabel* listhint = nullptr;
    QLabel* aliashint = nullptr;
    QLabel* aliaslabel = nullptr;
    db::DataControl* alias = nullptr;
    QListView* aliasgrid = nullptr;
    db::RecordsetListModel* m_listModel = nullptr;
    db::RecordsetListModel* m_aliasModel = nullptr;
    std::array<QIcon, 4> ImageList1;

    // Window-level state.
    QTreeWidgetItem* marknode = nullptr;
    int markimage = 0;
    qint16 showmode = 0;
    qint16 orgmode = 0;
    bool editflag = false;
    QHash<qint64, QTreeWidgetItem*> m_nodes;   // sid -> node, for the keys "n" & sid
    QTreeWidgetItem* m_root = nullptr;
    QTreeWidgetItem* m_dragged = nullptr;
    QTreeWidgetItem* m_editing = nullptr;
    bool m_built = false;
    // Where organize mode's widening moved the window from, and to.
    std::optional<std::pair<QPoint, QPoint>> m_shift;
};

}  // namespace kv
