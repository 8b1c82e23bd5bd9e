#pragma once
// The dialog host of the tests: every message box, input box, file dialog and modal
// window must be expected, in order, and gets the scripted answer. Anything else is a
// test failure, answered the way that leaves things undone (Cancel, No, nothing).
//
//   kv::test::ScriptedDialogs dialogs;
//   dialogs.expect("Rezept ", kv::ui::Answer::Yes).withTitle(" ");
//   dialogs.expectInput("Namen", QString("Sonntag"));
//   dialogs.expectModal("suchen", [] { return 1; });
//   dialogs.expectPrinterSetup([](kv::PrinterChoice& c) { c.name = "HP"; return true; });
//   dialogs.expectFont([](kv::ui::FontChoice& f) { f.bold = true; return true; });
//   ...code under test...
//   dialogs.verify();   // also run by the destructor

#include "platform/print/printerchoice.h"
#include "platform/ui/dialogs.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace kv::test {

class ScriptedDialogs : public kv::ui::DialogHost {
public:
    enum class Kind { Message, Input, OpenFile, SaveFile, Folder, Modal, PrinterSetup, Font };

    // One box as the code under test showed it.
    struct Shown {
        Kind kind;
        QString text;    // message, prompt, caption, the window name of a modal, the
                         // printer the printer dialog opened with (empty: PDF output), or
                         // the face the font dialog opened with
        int style = 0;   // message boxes: buttons | icon
        QString title;   // message and input boxes
        QString detail;  // input default text, or the start folder of a file dialog
        bool asksOverwrite = false;  // a save dialog that asks before replacing a file
    };

    class Expectation {
    public:
        // Narrow the match: the exact title, the exact style (buttons | icon).
        Expectation& withTitle(const QString& title);
        Expectation& withStyle(int style);
        // Runs while the box stands, before it is answered: for looking at what the
        // program holds meanwhile.
        Expectation& whileShown(std::function<void()> look);

    private:
        friend class ScriptedDialogs;
        bool accepts(Kind kind, const QString& text, int style, const QString& title) const;
        QString describe() const;

        Kind m_kind = Kind::Message;
        QString m_part;
        std::optional<QString> m_title;
        std::optional<int> m_style;
        std::function<void()> m_whileShown;
        kv::ui::Answer m_answer = kv::ui::Answer::Ok;
        std::optional<QString> m_text;  // input answer, or a path
        std::function<int()> m_handler;
        std::function<bool(PrinterChoice&)> m_printerHandler;
        std::function<bool(kv::ui::FontChoice&)> m_fontHandler;
    };

    // Installs itself as the dialog host; the destructor verifies and restores the host
    // that was installed before.
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // A message box whose text contains textPart.
    Expectation& expect(const QString& textPart, kv::ui::Answer answer);
    // An input box whose prompt contains promptPart; nullopt answers Cancel.
    Expectation& expectInput(const QString& promptPart, std::optional<QString> answer);
    // An open or save file dialog whose caption contains captionPart; an empty path
    // answers Cancel.
    Expectation& expectFile(const QString& captionPart, const QString& path);
    Expectation& expectFolder(const QString& captionPart, const QString& path);
    // runModal for the window `windowName` runs the handler in place of the window's own
    // loop; its result is the modal result. Boxes the handler causes come after it in
    // the queue.
    Expectation& expectModal(const QString& windowName, std::function<int()> handler);
    // The printer dialog: the handler gets the choice it opened with, changes it as the
    // user would and answers OK (true) or Cancel (false). Cancel hands back the choice
    // untouched, whatever the handler changed.
    Expectation& expectPrinterSetup(std::function<bool(PrinterChoice&)> handler);
    // The font dialog, likewise: the handler gets the font it opened with, chooses as the
    // user would and answers OK (true) or Cancel (false).
    Expectation& expectFont(std::function<bool(kv::ui::FontChoice&)> handler);

    // Fails the test for every expectation not yet met, then forgets them.
    void verify();
    bool allMet() const { return m_next == m_expected.size(); }

    const std::vector<Shown>& shown() const { return m_shown; }
    // The texts of the message boxes shown, in order.
    QStringList shownTexts() const;
    void clearShown() { m_shown.clear(); }

    kv::ui::Answer msgbox(const QString& text, int style, const QString& title) override;
    std::optional<QString> inputbox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    QString openFileName(const QString& caption, const QString& startFolder,
                         const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& startFolder,
                         const QString& filter, kv::ui::OverwriteQuestion overwrite) override;
    QString existingFolder(const QString& caption, const QString& startFolder) override;
    int runModal(const QString& name, const std::function<int()>& exec) override;
    bool printerSetup(PrinterChoice& choice) override;
    bool fontDialog(kv::ui::FontChoice& font) override;

private:
    Expectation& queue(Expectation e);
    // The next expectation when it accepts this box (and moves past it); else records a
    // failure and returns null.
    const Expectation* take(const Shown& box);
    QString file(Kind kind, const QString& caption, const QString& startFolder,
                 bool asksOverwrite = false);

    kv::ui::DialogHost* m_previous = nullptr;
    // A deque keeps the references that expect() hands out valid while more are queued.
    std::deque<Expectation> m_expected;
    std::size_t m_next = 0;
    std::vector<Shown> m_shown;
};

}  // namespace kv::test
