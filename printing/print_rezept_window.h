#pragma once
// The print window `print_rezept`: the laid-out pages one at a time as a preview of the
// sheet, paging, the number of columns, booklet printing, the printer, the stored settings
// schemes, and the print button. Modeless and without owner; the main window fills the
// print hand-over and shows it. It holds the layout, which every activation lays out anew.

#include "printing/layout.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QScrollArea;
class QToolButton;

namespace kv {

namespace db {
class DataControl;
class Database;
class RecordsetListModel;
}  // namespace db

class PageCanvas;

class PrintRezept : public QWidget, public LayoutWindow {
    Q_OBJECT
public:
    explicit PrintRezept(QWidget* parent = nullptr);
    ~PrintRezept() override;

    // Public procedures.
    void changeprinter();
    // Fits the sheet and its printable area to the window from the page geometry.
    void resizepreview();
    // Draws `page` into the preview, or, for the print job, onto `canvas`.
    void printpage(bool preview, int page, PageCanvas* canvas);
    // Lays the hand-over out anew; the print settings window calls it after each change.
    PrintLayout::Run calcrezsizes();
    void pagescapt() override;
    // Appends to a status file while its flag is set; nothing sets it.
    void sta(const QString& text);
    // The layout with its state: geometry, column count, pages, the layout database.
    PrintLayout& layout() { return m_layout; }
    // The booklet box, for the settings window, which shows the same.
    bool bookletTicked() const;
    // The booklet box follows the settings window's, without its click step: the setting
    // is stored already, and the pages follow at the next layout.
    void showBooklet(bool on);
    // The scheme list reads its rows again, after a scheme was saved.
    void requerySchemes();
    // Booklet printing on or off, as either window's box sets it.
    static void storeBooklet(bool on);

    void kreuz_Click();
    void druckaus_Click();
    void einstell_Click();
    void makebooklet_Click();
    void minus_Click();
    void plus_Click();
    void pageminus_Click();
    void pageplus_Click();
    void lupe_Click();
    void printpreview_Click();
    void printsettings_Change();
    void printsettings_KeyDown(int& keyCode, int shift);

    // Showing the window, also again while it is open, is an activation.
    void setVisible(bool visible) override;

    // What the layout asks of the window.
    void waitmess(bool visible) override;
    void setBusy(bool busy) override;
    void printpage(int page) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void wireEvents();
    void placePanel();
    void centreSheet();

    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void Form_Unload();
    void activated(QWidget* from);
    // The preview box in the sheet at `scale` window pixels per printer pixel.
    void placePreview(double scale);
    // The magnified sheet: page `page` at the size it prints, while the magnifier is on.
    void drawMagnified(int page);
    void setColumns(quint8 count);
    // `printspalten` as a column count, its leading number; 0 for none, and, logged under
    // `tag`, for one beyond 0..255.
    quint8 storedColumns(const QString& tag);
    // The booklet box follows the setting; when that changes it, its click step lays the
    // pages out. True then; false when the box already showed the setting.
    bool bookletFollowsSetting();
    void updatePrintButton();
    // The scheme box names a scheme only while the orientation set is the scheme's; after
    // the printer dialog set another one it shows the current settings' row.
    void schemeFollowsOrientation();

    // Controls.
    QWidget* m_panel = nullptr;  // the controls above the sheet
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label24 = nullptr;
    QFrame* printrand = nullptr;
    QLabel* preview = nullptr;
    QLabel* anzseit = nullptr;
    QToolButton* pageminus = nullptr;
    QToolButton* pageplus = nullptr;
    QToolButton* lupe = nullptr;           // the magnifier, on or off
    QScrollArea* grossansicht = nullptr;   // the sheet at the size it prints, over the preview
    QLabel* grossbild = nullptr;
    QLabel* spaltlabel = nullptr;
    QToolButton* minus = nullptr;
    QToolButton* plus = nullptr;
    QCheckBox* makebooklet = nullptr;
    QToolButton* druckaus = nullptr;
    QToolButton* einstell = nullptr;
    db::DataControl* printsettdata = nullptr;
    QComboBox* printsettings = nullptr;
    db::RecordsetListModel* m_schemes = nullptr;
    QToolButton* printpreview = nullptr;
    QToolButton* kreuz = nullptr;
    QLabel* m_waitmess = nullptr;  // the label `waitmess`

    // Window-level state; the layout keeps the column count, the page count, the current
    // page, the page geometry and whether its layout database is open.
    PrintLayout m_layout;
    std::unique_ptr<db::Database> m_printsettingsDb;
    bool m_statusFile = false;
    // A show has run Form_Activate; the activation the show brings is the same one.
    bool m_showActivationPending = false;
    bool m_busy = false;
    // The page the magnifier shows, 0 while it is off.
    int m_magnifiedPage = 0;
};

}  // namespace kv
