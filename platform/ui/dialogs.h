#pragma once
// Every message box, input box, file dialog and modal window goes through one host.
// The program installs the widget host; tests install a scripted host that matches
// each box by its text and answers it, and fails on a box it did not expect.
// No widget here: logic code may ask questions through this header.

#include <QString>

#include <functional>
#include <optional>

namespace kv {
struct PrinterChoice;
}

namespace kv::ui {

// Button sets and icons, combined with '|' as the program writes them.
enum MsgStyle : int {
    OkOnly = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
};

enum class Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// A font as the font dialog shows and returns it: the face, the size in points, bold and
// italic.
struct FontChoice {
    QString name;
    double size = 0;
    bool bold = false;
    bool italic = false;
};

// Whether the save dialog itself asks before an existing file is chosen; a caller that
// asks in its own words afterwards leaves the dialog's question out.
enum class OverwriteQuestion { Ask, Skip };

class DialogHost {
public:
    virtual ~DialogHost() = default;
    virtual Answer msgbox(const QString& text, int style, const QString& title) = 0;
    // nullopt when the box was cancelled.
    virtual std::optional<QString> inputbox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;
    virtual QString openFileName(const QString& caption, const QString& startFolder,
                                 const QString& filter) = 0;
    virtual QString saveFileName(const QString& caption, const QString& startFolder,
                                 const QString& filter, OverwriteQuestion overwrite) = 0;
    virtual QString existingFolder(const QString& caption, const QString& startFolder) = 0;
    // Shows the window `name` modally: `exec` runs its own event loop and returns
    // its result. A scripted host runs the test's handler instead.
    virtual int runModal(const QString& name, const std::function<int()>& exec) = 0;
    // The printer dialog in its setup form: shows `choice` and writes the user's choice
    // into it on OK (true); Cancel returns false and leaves `choice` as it was. A host
    // made for tools that never print throws std::logic_error here, as with no host.
    virtual bool printerSetup(PrinterChoice& choice);
    // The font dialog offering the installed fonts, opened on `font`: OK writes the choice
    // into it (true); Cancel returns false and leaves it as it was. A host made for tools
    // that never choose a font throws std::logic_error here, as with no host.
    virtual bool fontDialog(FontChoice& font);
};

// The installed host; without one every box throws std::logic_error carrying its text
// (no silent answers). A message box title that is blank shows the program's name.
void setDialogHost(DialogHost* host);
DialogHost* dialogHost();

Answer msgbox(const QString& text, int style = OkOnly, const QString& title = QStringLiteral(" "));
std::optional<QString> inputbox(const QString& prompt, const QString& title = QStringLiteral(" "),
                                const QString& defaultText = {});
// File dialogs answer an empty path when cancelled; the filter is in Qt's form
// ("Text (*.txt);;Alle Dateien (*)").
QString openFileName(const QString& caption, const QString& startFolder, const QString& filter = {});
QString saveFileName(const QString& caption, const QString& startFolder, const QString& filter = {},
                     OverwriteQuestion overwrite = OverwriteQuestion::Ask);
QString existingFolder(const QString& caption, const QString& startFolder);
int runModal(const QString& name, const std::function<int()>& exec);
bool printerSetup(PrinterChoice& choice);
bool fontDialog(FontChoice& font);

// The program's error box: tag, number, " : ", text; critical icon, title " F E H L E R".
Answer errorbox(const QString& tag, int number, const QString& text, int buttons = OkOnly);

// Runs a handler, or one statement of a procedure that guards itself: a failure is shown in
// the error box under `tag` (a database error with its number and text) and the caller goes
// on, so nothing unwinds through the event loop. False when the body failed.
bool guarded(const QString& tag, const std::function<void()>& body);
// What a window wires its events with: the maker it returns turns a tag and a member of
// the window into a handler that runs that member on `window` through guarded().
template <class Window>
auto guardedHandlers(Window* window)
{
    return [window](const char* tag, void (Window::*body)()) {
        return [window, tag, body] { guarded(QString::fromLatin1(tag), [&] { (window->*body)(); }); };
    };
}

// The program's line break inside message texts (line feed, carriage return) shown as
// one line break.
QString displayText(const QString& text);

}  // namespace kv::ui
