#pragma once
// The recipe editor `neu_rezept`: name, category, servings, the ingredient lines in the
// work table `editzutat`, preparation and keywords of a new or an existing recipe.

#include "mainwindow/recipesave.h"
#include "platform/db/datacontrol.h"
#include "platform/db/datamodels.h"

#include <QHash>

#include <functional>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableView;
class QToolButton;

namespace kv {

class NeuRezept : public QWidget {
    Q_OBJECT
public:
    // The load step: loads the units window too.
    explicit NeuRezept(QWidget* parent = nullptr);
    ~NeuRezept() override;

    // Public procedures.
    void reloadnew();
    void ubport();

    // What the main window's startneu and startedit prepare before they show the editor.
    void prepareNew(const QString& servings);
    void prepareEdit(const EditRecipe& recipe);
    // The units window writes a unit into the current line and moves on to "Zutat".
    void takeUnit(const QString& ename);
    // What the main window does once a recipe is saved (a new one, or one edited), and when
    // the recipe edited was found deleted by another program on the cookbook.
    void setHost(std::function<void(qint64 rid, bool isNew)> saved, std::function<void(qint64 rid)> gone = {})
    {
        m_saved = std::move(saved);
        m_gone = std::move(gone);
    }

    void saveedit_Click();
    void kreuz_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void wireEvents();
    void bindData();
    // The caption names the servings the box holds.
    void showServings();
    void plus_Click();
    void minus_Click();
    void mehr_Click();
    void neugrid_GotFocus();
    void neugrid_MouseMove();
    void neugrid_MouseDown();
    void neugrid_Pressed(const QModelIndex& index);
    void neugrid_DblClick();
    void neugrid_KeyDown(int& keyCode, int shift);
    void neugrid_RowColChange(const QModelIndex& current, const QModelIndex& previous);
    // The number a line added now gets: the last stored line's plus 1, 1 for the first.
    qint64 nextLineNumber();
    // The line numbering of a row the user starts; true when it wrote a number.
    bool numberNewLine(int row);
    // A line begun in "Nr" goes on in "Menge", where its amount is typed.
    void moveOnToMenge(int row);
    // The unit check of a row whose "Einheit" the cursor has left.
    void checkUnit(int row);
    QVariant cell(int row, int column) const;
    void setCell(int row, int column, const QVariant& value);
    void goToCell(int row, int column);
    // Drops every recordset the window holds on the cookbook.
    void releaseData();
    std::vector<EditLine> workLines();
    void emptyWorkTable();

    QLineEdit* reznam = nullptr;
    QLineEdit* rezid = nullptr;
    QLineEdit* port = nullptr;
    QLabel* zpers = nullptr;
    QToolButton* plus = nullptr;
    QToolButton* minus = nullptr;
    QToolButton* mehr = nullptr;
    db::DataControl* neu = nullptr;
    QTableView* neugrid = nullptr;
    db::DataControl* kat = nullptr;
    QComboBox* katgrid = nullptr;
    QPlainTextEdit* zub = nullptr;
    QLineEdit* stich = nullptr;
    QToolButton* saveedit = nullptr;
    QToolButton* kreuz = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lebel = nullptr;
    QLabel* ger = nullptr;
    QLabel* zubt = nullptr;
    QLabel* stichlabel = nullptr;

    db::RecordsetTableModel* m_lines = nullptr;
    db::RecordsetListModel* m_categories = nullptr;
    // The cookbook file the data controls and the units list belong to.
    QString m_boundFile;
    // What each line read from the recipe held, by its row in the work table.
    QHash<qint64, EditLine::Stored> m_stored;
    // The category to preselect: the edited recipe's; empty keeps the last choice.
    QString m_kid;
    bool m_moving = false;   // the program moves the grid's cursor: no checks
    // The row of the line begun in "Nr" since the last press on the grid (-1: none), which
    // a double click there continues.
    int m_begunByPress = -1;
    // The row the grid numbered when it took the focus, which neither a key nor a click
    // has begun since (-1: none).
    int m_numberedOnFocus = -1;
    std::function<void(qint64, bool)> m_saved;
    std::function<void(qint64)> m_gone;
};

}  // namespace kv
