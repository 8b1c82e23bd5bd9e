#pragma once
// The look every window shares: the narrow caption face, the icon colours, picture
// buttons, grids, and the dark naming dialogs with their option labels.

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QLineEdit>

class QDialog;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QString;
class QTableView;
class QToolButton;
class QWidget;

namespace kv::ui {

// The labels of the small windows are set in a narrow face; Debian has no Arial Narrow,
// so the nearest narrow faces that are installed stand in.
QFont narrowFont(int pointSize, bool bold = false);

// The icons' colours, for anything drawn to match them.
inline const QColor kInk{0x33, 0x3b, 0x45};
inline const QColor kAccent{0x2f, 0x6f, 0xb3};
inline const QColor kWarm{0xd9, 0x7a, 0x1e};
inline const QColor kDanger{0xc0, 0x39, 0x2b};
inline const QColor kGood{0x3a, 0x8f, 0x4a};

// One of the program's icons by its file base name ("search", "trash").
QIcon icon(const QString& name);

// A flat tool button showing the icon `icon`, reached by Tab but not by a click's focus.
QToolButton* pictureButton(QWidget* parent, const QString& name, const QString& icon, const QString& tip,
                           int iconSize = 24);
// A caption label in the narrow face.
QLabel* caption(QWidget* parent, const QString& name, const QString& text, int pointSize = 10,
                bool bold = true);
// A read-only grid of whole rows with fixed row heights and no type-ahead. Tab leaves it
// for the next control; Ctrl+Tab, the arrows and the page keys move its highlighted row.
QTableView* grid(QWidget* parent, const QString& name);
// A text box of several lines. Tab and Shift+Tab go on to the next control, as from every
// other box: a tab character typed here would stand unseen in the text that is stored.
QPlainTextEdit* textArea(QWidget* parent, const QString& name);

// How far apart a text colour and its ground are, by their relative luminance: from 1
// (the same) to 21 (black on white). Normal text needs 4.5, a symbol 3.
double relativeLuminance(const QColor& colour);
double contrastRatio(const QColor& a, const QColor& b);

// The ground of the dark windows and naming dialogs.
inline constexpr unsigned kDarkGround = 0x3A4A5C;

// The option labels of the naming dialogs act as radio buttons: the chosen one white,
// the others grey. A grey dark enough to stand well apart from the white cannot be read
// on the dark ground, so the grey is light and the chosen one is underlined as well.
inline constexpr unsigned kOptionChosen = 0xFFFFFF;
inline constexpr unsigned kOptionOther = 0xBBBBBB;
void setOptionChosen(QLabel* option, bool chosen);

// The naming dialogs: white and grey texts on a dark ground, a large bold caption and
// buttons that leave Enter to the name box.
void setDarkDialogLook(QWidget* dialog);
QLabel* dialogCaption(const QString& text, QWidget* parent);
QPushButton* dialogButton(const QString& name, const QString& text, QWidget* parent);
// A window of that look under its system name with a blank title; returns its caption,
// the label `top`.
QLabel* darkWindow(QWidget* window, const QString& name, const QString& caption);

// A read-only line for a title that may be longer than its place: while it has no focus a
// title that does not fit ends in "…" and shows whole as the tooltip; with the focus it
// scrolls, so it can be read and copied to its end. text() is always the whole title.
class ElidingLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ElidingLineEdit(QWidget* parent = nullptr);
    // What the line shows while it has no focus.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect textArea() const;
    void updateTip();
};

}  // namespace kv::ui
