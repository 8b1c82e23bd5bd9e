#pragma once
// The print settings window `print_setup`: the five print fonts, the four margins, the
// fields of the page header and footer, their own texts and booklet printing. It keeps
// nothing of its own: every change goes to the settings at once, and every value it needs
// it reads from them. Modeless, opened from the print window, which lays the pages out
// again when it closes; it closes with the print window.

#include "platform/ui/windows.h"

#include <QPoint>
#include <QString>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QScrollBar;
class QToolButton;

namespace kv {

class PrintSetup : public ui::Dialog {
    Q_OBJECT
public:
    explicit PrintSetup(QWidget* parent = nullptr);

    // What a field's drag carries: the name of the field button ("A", "D", "S", "G", "X").
    static inline const QString kFieldMime = QStringLiteral("application/x-kelvor-druckfeld");

    // Public procedures.
    // Appends `pair` (position letter and field letter) to the order string `key` and
    // fills `target` again; an own-text field also stores the text of its band's box.
    void insertinlist(const QString& key, const QString& pair, QListWidget* target);
    // Fills `list` with the fields of order string `key` at `position` ("L", "C", "R"),
    // each entry carrying the 1-based place of its pair in the string.
    void showlist(QListWidget* list, const QString& key, const QString& position);
    // Shows the fonts, margins and header and footer fields as the settings hold them now,
    // after a scheme was loaded.
    void showSettings();
    // The booklet box follows the print window's, without storing anything.
    void showBooklet(bool on);

    void kl_Click();
    void km_Click();
    void kr_Click();
    void fl_Click();
    void fm_Click();
    void fr_Click();
    // A field button dropped on a list.
    void kl_DragDrop(QWidget* source);
    void km_DragDrop(QWidget* source);
    void kr_DragDrop(QWidget* source);
    void fl_DragDrop(QWidget* source);
    void fm_DragDrop(QWidget* source);
    void fr_DragDrop(QWidget* source);
    void printfont_Click(int index);
    void marg_LostFocus(int index);
    void mscroll_Change(int index);
    void makebooklet1_Click();
    void savesettings_Click();
    void kreuz_Click() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct FieldList {
        QListWidget* list = nullptr;
        QString key;       // the order string's setting
        QString position;  // "L", "C", "R"
        void (PrintSetup::*click)() = nullptr;
        void (PrintSetup::*dragDrop)(QWidget* source) = nullptr;
    };

    void buildControls();
    void wireEvents();
    void Form_Load();
    void Form_Unload();
    // The entry clicked in `list` leaves its order string.
    void removeClicked(QListWidget* list);
    void dropOn(QListWidget* list, QWidget* source);
    const FieldList& fieldList(const QListWidget* list) const;
    // Fills again the three lists of order string `key`.
    void showOrder(const QString& key);
    void showFont(int index);
    // The box and the scroll bar of margin `index` for the stored text.
    void showMargin(int index, const QString& stored);
    // What a margin's box shows for the stored text.
    static QString marginText(const QString& stored);
    // Stores each margin whose box shows other than the stored value; with `refuse`, the
    // first that is no number is refused as on leaving its box (false).
    bool storePendingMargins(bool refuse);
    void refuseMargin(int index);
    // The own texts of the header and footer, when they differ from the stored ones.
    void storeOwnTexts();
    // A field button's drag, started from its mouse events.
    bool dragField(QLabel* field, QEvent* event);
    // A drag over or dropped on a list's viewport.
    bool dropEvent(const FieldList& target, QEvent* event);

    std::array<QLabel*, 5> printfont{};
    std::array<QLineEdit*, 4> marg{};
    std::array<QScrollBar*, 4> mscroll{};
    QListWidget* kl = nullptr;
    QListWidget* km = nullptr;
    QListWidget* kr = nullptr;
    QListWidget* fl = nullptr;
    QListWidget* fm = nullptr;
    QListWidget* fr = nullptr;
    std::array<QLabel*, 5> m_fields{};  // the field buttons A, D, S, G, X
    QLineEdit* hextra = nullptr;
    QLineEdit* fextra = nullptr;
    QCheckBox* makebooklet1 = nullptr;
    QToolButton* savesettings = nullptr;
    QToolButton* kreuz = nullptr;

    std::array<FieldList, 6> m_lists{};
    QPoint m_pressedAt;
};

}  // namespace kv
