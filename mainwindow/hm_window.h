#pragma once
// The main window: recipe list with its filters, the current recipe, the selection lists
// and menus, printing hand-over and the navigation to the other windows.

#include "core/rezsource.h"
#include "platform/db/datacontrol.h"
#include "platform/db/datamodels.h"

#include <QMainWindow>
#include <QVariant>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSplitter;
class QTableView;
class QToolButton;

namespace kv {

class Hm : public QMainWindow {
    Q_OBJECT
public:
    // The constructor is the window's load step.
    explicit Hm(QWidget* parent = nullptr);
    ~Hm() override;

    // Public procedures; other windows call them through the one instance. Searches
    // reach the recipe list through recipeListView().
    void binddaten();
    void inithm();
    void rezauswahl();
    void zutauswahl();
    qint16 getzutdata(qint64 rid);
    void recalcmenge(qint16 servings);
    void ubport();
    void showmenu();
    void showaus();
    void menuswap(bool mode);
    void ausgrid_RowColChange(int lastRow, int lastCol);
    void grossbild_Click();
    void men3_Click();
    void startneu();
    void startedit();

    // What a data-bound combo calls its bound text: the bound column of the chosen row,
    // empty when none is chosen.
    QString korbgridBoundText() const;
    QString katgridBoundText() const;
    // The filter combo shows the current row of `kat` again (after `kat` was moved or
    // refreshed); the list itself is left as it is.
    void refreshKatgrid();

    // What other windows need of the view and the panel.
    qint64 shownRecipe() const { return m_rid; }
    // The selection list chosen in the panel; none when no list is chosen.
    std::optional<qint64> selectedList() const;
    // The number in the servings box; a wrong text is reported and the last valid number
    // returned.
    qint16 servings();
    // Saves preparation and keywords still being typed, for the recipe they were typed for.
    void saveTypedEdits();
    // Shows the recipe again as the cookbook holds it now; the list stays where it is.
    void showRecipeAgain(qint64 rid);
    // The comment box and the filter combo read the cookbook again.
    void reloadComments();
    // The selection list (or the menus) and the shown menu's dishes read the cookbook again.
    void refreshPanel();
    // After recipes were deleted elsewhere: the list (on the same recipe when it is still
    // there), its count, the selection list and the view read the cookbook again.
    void recipesRemoved();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The recipe list as searches and the opening see it.
    class ListView;
    // Drops every recordset the window holds, before its cookbook is closed or replaced.
    void releaseData();

    db::DataControl* rez = nullptr;
    db::DataControl* korb = nullptr;
    db::DataControl* kat = nullptr;
    db::DataControl* auswahl = nullptr;
    db::DataControl* menu = nullptr;

    QLabel* bname = nullptr;
    QToolButton* makevoll = nullptr;
    QSplitter* splitter_rez = nullptr;
    QSplitter* splitter_aus = nullptr;

    // Left column: the recipe list.
    QLabel* ger = nullptr;
    QToolButton* rubmodechange = nullptr;
    QComboBox* katgrid = nullptr;
    QTableView* rezgrid = nullptr;
    QLabel* gesucht = nullptr;
    QLabel* rezzahl = nullptr;
    QToolButton* loeschaus = nullptr;

    // Lower left: selection lists and menus.
    QLabel* ausw = nullptr;
    QToolButton* men4 = nullptr;
    QLabel* men4t = nullptr;
    QComboBox* korbgrid = nullptr;
    QTableView* ausgrid = nullptr;
    QToolButton* neuaus = nullptr;
    QToolButton* loeschsel = nullptr;
    QToolButton* auswahlalle = nullptr;
    QToolButton* eininaus = nullptr;

    // The recipe view.
    QLineEdit* reznam = nullptr;
    QLabel* zpers = nullptr;
    QLineEdit* port = nullptr;
    QToolButton* plus = nullptr;
    QToolButton* minus = nullptr;
    QToolButton* mehr = nullptr;
    QTableView* zutgrid = nullptr;
    QLabel* menlabel = nullptr;
    QTableView* menugrid = nullptr;
    QLabel* stichlabel = nullptr;
    QLineEdit* stich = nullptr;
    QLabel* zubt = nullptr;
    QPlainTextEdit* zub = nullptr;
    QLabel* komt = nullptr;
    QComboBox* komgrid = nullptr;
    QToolButton* druckaus = nullptr;
    QToolButton* druckrez = nullptr;
    QToolButton* einkauf = nullptr;
    QToolButton* einkaufmen = nullptr;
    QToolButton* editrez = nullptr;
    QToolButton* neurez = nullptr;
    QToolButton* export_ = nullptr;   // the control `export`; the bare name is a C++ keyword

    // Navigation column.
    QToolButton* men1 = nullptr;
    QToolButton* men2 = nullptr;
    QToolButton* men3 = nullptr;
    QToolButton* men5 = nullptr;
    QToolButton* men6 = nullptr;
    QToolButton* men7 = nullptr;
    QLabel* men1t = nullptr;
    QLabel* men2t = nullptr;
    QLabel* men3t = nullptr;
    QLabel* men5t = nullptr;
    QLabel* men6t = nullptr;
    QLabel* men7t = nullptr;
    QToolButton* loadkoch = nullptr;
    QToolButton* hilf = nullptr;
    QToolButton* kelvorlogo = nullptr;

    // The models the grids and combos are bound through.
    db::RecordsetTableModel* rezModel = nullptr;
    db::RecordsetListModel* katModel = nullptr;
    db::RecordsetListModel* korbModel = nullptr;
    db::RecordsetTableModel* auswahlModel = nullptr;
    db::RecordsetTableModel* menuModel = nullptr;

    void buildControls();
    void buildLayout();
    void bindModels();
    void wireEvents();
    void bindGrid(QTableView* grid, db::DataControl* control,
                  std::function<void(int lastRow, int lastCol)> rowColChange);
    void followRecordset(QTableView* grid, db::DataControl* control);
    void bindCombo(QComboBox* combo, db::DataControl* control);
    void followCombo(QComboBox* combo, db::DataControl* control);
    std::unique_ptr<RecipeListView> makeListView();
    void enableWindowButtons();
    void fillComments();

    // Frame and navigation.
    void men1_Click();
    void men2_Click();
    void men5_Click();
    void men6_Click();
    void men7_Click();
    void export_Click();
    void loadkoch_Click();
    void hilf_Click();
    void kelvorlogo_Click();
    void makevoll_Click();

    // Recipe list and filters.
    void rubmodechange_Click();
    void katgrid_Change();
    void rezgrid_KeyDown(int& keyCode, int shift);
    void rezgrid_RowColChange(int lastRow, int lastCol);
    void rezgrid_MouseMove();
    void rezgrid_MouseDown();
    void loeschaus_Click();
    void deleteCurrentRecipe();
    // Shows the list again after a failed deletion, on the recipe that was current.
    void restoreList(qint64 rid);

    // Layout. The title column of `rezgrid` stretches with the grid, so a move of
    // `splitter_rez` needs no handler of its own.
    void splitter_aus_Moved();
    void splitter_aus_rechts_Moved();

    // Recipe view, selection lists and menus, print hand-over. How the events reach them
    // (wireEvents): Click handlers of buttons through their clicked signal, a failure shown
    // in the error box; korbgrid_Change whenever the chosen list changes, by the user or by
    // a move of `korb`; ausgrid_RowColChange when the user picks another entry (moves of
    // `auswahl` by the program do not count); Delete in `ausgrid` runs
    // ausgrid_BeforeDelete, and a cancel left false deletes the grid's current row;
    // ausgrid_BeforeUpdate before an edit of the grid is stored; zub_Change and
    // stich_Change on every change of the text, the program's too; komgrid_Change when the
    // user types in the box, komgrid_Click when the user chooses an item; GotFocus and
    // LostFocus as focus moves within the window; rezgrid_Click and rezgrid_DblClick on
    // the grid's clicks, ausgrid_Click on a click on an entry.
    void rezgrid_Click();
    void rezgrid_DblClick();
    void eininaus_Click();
    void auswahlalle_Click();
    void korbgrid_Change();
    void korbgrid_KeyDown(int& keyCode, int shift);
    void loeschsel_Click();
    void neuaus_Click();
    void men4_Click();
    void ausgrid_GotFocus();
    void ausgrid_Click();
    void ausgrid_KeyDown(int& keyCode, int shift);
    void ausgrid_MouseMove();
    void ausgrid_BeforeDelete(bool& cancel);
    void ausgrid_BeforeUpdate(int row, int column, const QVariant& value, bool& cancel);
    void plus_Click();
    void minus_Click();
    void mehr_Click();
    void zub_Change();
    void zub_GotFocus();
    void zub_LostFocus();
    void stich_Change();
    void stich_GotFocus();
    void stich_LostFocus();
    void komgrid_Change();
    void komgrid_Click();
    void komgrid_GotFocus();
    void komgrid_LostFocus();
    void zutgrid_MouseMove();
    void neurez_Click();
    void editrez_Click();
    // After the editor saved a recipe: the list and the view show it as stored now.
    void recipeSaved(qint64 rid, bool isNew);
    void druckaus_Click();
    void druckrez_Click();
    void einkauf_Click();
    void einkaufmen_Click();
    // The selection list, or in menu mode the menu, a print button hands over.
    std::optional<qint64> printedList();
    // Tells the ingredient grid how many rows of the ingredient table it shows.
    void zutgridSetRows(int rows);
    bool editBookOpen();
    void rememberEditBook();
    // The number in the servings box; a wrong text is reported, the box set back to the
    // last valid number, and false returned.
    bool portServings(qint16& out);
    void port_Change();
    void port_KeyPress(int& keyAscii);
    void port_LostFocus();
    // Rescales the view for the number typed into the servings box.
    void commitPort();
    // The current selection list's id; 0 (reported) when none is chosen.
    qint64 currentAuswahl();
    class NeuRezept* editor();
    void showRecipe(qint64 rid, const QString& title);
    void showTitle(const QString& title);
    void showComment();
    // The view follows whichever list moved to another row, the user's move or the
    // program's; it is emptied when the list has no row.
    void rezRowMoved();
    void auswahlRowMoved();
    void clearView();
    // Runs `work`, which belongs to recipe `rid` (a write, or the editor's reading). When the
    // recipe was deleted meanwhile by another program on the cookbook, that is said in one
    // sentence and false returned: nothing was written, and the boxes keep what they hold,
    // so typed text can still be copied.
    bool recipeBound(qint64 rid, const std::function<void()>& work);
    void sayRecipeGone(qint64 rid);
    // The lists still hold recipe `rid`, which is gone: they are read again, at once unless
    // the view shows it, else when the view leaves it. Read at once, the list would move
    // and the view show another recipe in the boxes that hold what the user typed.
    void recipeGone(qint64 rid);
    // The view shows `rid` now (0: no recipe).
    void viewShows(qint64 rid);
    void queueReread();
    void rereadLists();
    void writeZub(const QString& text);
    void writeStich(const QString& text);
    // Stores the typed keywords; `leaving`: the box is losing the focus to a click or key.
    void storeStich(bool leaving);
    // The boxes take typing only for what the view shows, in a cookbook that can be written.
    void setViewEditable();
    // A box of the view holds typed text not yet stored. The grids then leave the focus
    // where it is when the mouse passes over them: keys would go on into a grid, and the
    // box would be left (and its text stored or refused) before the user clicked anywhere.
    bool typingInView() const;

    // Window-level state.
    std::unique_ptr<db::Recordset> temprs;
    qint16 filtermode = 0;     // 0 categories, 1 comments, 2 import files
    bool gridedit = false;
    bool menumode = false;
    QString auswahlsql;
    bool rezclick = false;
    bool m_viewSwitch = false;     // off while the list deletes recipes: the view stands still
    qint64 m_rid = 0;              // the recipe shown
    // Ingredient table: line number, display amount, unit, ingredient, stored amount,
    // recipe servings, unit id.
    std::array<std::array<QVariant, 7>, 257> m_zut;
    quint8 m_zutCount = 0;
    // What was typed into a box of the view, stored when the box loses the focus, for the
    // recipe (or menu) it was typed for. A save that failed keeps its text marked, so
    // leaving the box again tries again.
    struct TypedEdit {
        bool typed = false;
        qint64 owner = 0;
        bool failed = false;

        void focusIn()
        {
            if (!failed) typed = false;
        }
        void change(qint64 id)
        {
            typed = true;
            owner = id;
        }
        // Whether a save is due; a mark without a recipe or cookbook to store into goes.
        bool due(bool bookOpen)
        {
            if (!typed) return false;
            if (owner > 0 && bookOpen) return true;
            typed = false;
            return false;
        }
        // `save` returns whether the text is stored; a failure, or an error thrown
        // through, keeps it marked.
        template <typename Save>
        void store(Save&& save)
        {
            failed = true;
            failed = !save();
            if (!failed) typed = false;
        }
    };
    TypedEdit m_zubEdit;
    TypedEdit m_stichEdit;
    TypedEdit m_komEdit;
    bool m_komFocused = false;     // the comment box has the focus: a click there links a comment
    bool m_portMarker = false;

    // The rows the two lists stood on when the view last followed them.
    qint64 m_rezRow = -1;
    QString m_ausRow;

    std::unique_ptr<RecipeListView> m_listView;
    bool m_unloaded = false;
    bool m_syncing = false;        // a grid or combo follows its recordset: no row-change event
    int m_rightSplitSync = 0;

    QSplitter* m_rightSplit = nullptr;   // keeps the recipe view level with `splitter_aus`

    class ZutTableModel* m_zutModel = nullptr;   // the unbound ingredient grid's rows
    qint16 m_servings = 4;         // the last valid number of the servings box
    bool m_viewWriting = false;    // the program writes the view's boxes: no Change
    qint64 m_menuShown = 0;        // the menu on screen in menu mode
    bool m_zubMenu = false;        // the typed preparation is a menu's description
    bool m_zubHoldsMenu = false;   // `zub` holds the description of m_menuShown, not a preparation
    QString m_editBook;            // the cookbook file the typed text belongs to
    qint64 m_goneRid = 0;          // shown, and gone: the lists are read again when the view leaves it
    bool m_rereading = false;      // the lists are read again: the view stays as it is
    qint64 m_gridEditRid = 0;      // the recipe of the row being edited in a grid
};

}  // namespace kv
