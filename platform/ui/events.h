#pragma once
// The program's event handlers by name (Change, GotFocus, LostFocus, KeyDown, KeyPress,
// MouseDown, MouseMove, DblClick) on top of Qt signals and event filters. Key codes
// are the program's: Home 36, End 35, Delete 46, Enter 13, letters 65..90.

#include <QWidget>

#include <functional>

namespace kv::ui {

enum KeyCode : int { KeyEnter = 13, KeyEscape = 27, KeyEnd = 35, KeyHome = 36, KeyDelete = 46 };

// Focus moving within a window: LostFocus of the old control, then GotFocus of the new.
// Another window, a popup or a message box taking the focus is no change; a control
// inside w (a combo's line edit, a grid's cell editor) counts as w. Needs a QApplication.
void onGotFocus(QWidget* w, std::function<void()> handler);
void onLostFocus(QWidget* w, std::function<void()> handler);
// Set keyCode to 0 in the handler to swallow the key.
void onKeyDown(QWidget* w, std::function<void(int& keyCode, int shift)> handler);
// Character keys as their character code (Enter 13); set keyAscii to 0 to swallow it.
void onKeyPress(QWidget* w, std::function<void(int& keyAscii)> handler);
void onMouseDown(QWidget* w, std::function<void(int button, int shift)> handler);
void onMouseMove(QWidget* w, std::function<void()> handler);
void onDblClick(QWidget* w, std::function<void()> handler);
// Any change of the text, also by the program (so a change marker set by a program
// write is cleared again by the GotFocus that follows). Line edits, text edits, combos.
void onChange(QWidget* w, std::function<void()> handler);
// Buttons (clicked), combos (an item chosen by the user), item views (a click on an item);
// any other widget, a label say, on a left-button release inside it.
void onClick(QWidget* w, std::function<void()> handler);
// A handler that throws is reported as an error box "<objectName>_<Event> : <what>", so the
// failure never unwinds through Qt.

// The program's key code of a Qt key event (0 when it has none).
int keyCodeOf(int qtKey);

// Activate: `window` (a top-level window) becomes the active window; `from` is the
// program's window that was active before it, null when none was (the user comes back
// from another program) or when that one is gone since.
void onActivate(QWidget* window, std::function<void(QWidget* from)> handler);

}  // namespace kv::ui
