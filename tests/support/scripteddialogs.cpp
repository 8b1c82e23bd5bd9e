#include "tests/support/scripteddialogs.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kv::test {

using kv::ui::Answer;

namespace {

const char* kindName(ScriptedDialogs::Kind kind)
{
    switch (kind) {
    case ScriptedDialogs::Kind::Message:
        return "message box";
    case ScriptedDialogs::Kind::Input:
        return "input box";
    case ScriptedDialogs::Kind::OpenFile:
        return "open-file dialog";
    case ScriptedDialogs::Kind::SaveFile:
        return "save-file dialog";
    case ScriptedDialogs::Kind::Folder:
        return "folder dialog";
    case ScriptedDialogs::Kind::Modal:
        return "modal window";
    case ScriptedDialogs::Kind::PrinterSetup:
        return "printer dialog";
    case ScriptedDialogs::Kind::Font:
        return "font dialog";
    }
    return "?";
}

const char* answerName(Answer a)
{
    switch (a) {
    case Answer::Ok:
        return "Ok";
    case Answer::Cancel:
        return "Cancel";
    case Answer::Abort:
        return "Abort";
    case Answer::Retry:
        return "Retry";
    case Answer::Ignore:
        return "Ignore";
    case Answer::Yes:
        return "Yes";
    case Answer::No:
        return "No";
    }
    return "?";
}

std::vector<Answer> offered(int style)
{
    switch (style & 0x0F) {
    case kv::ui::OkCancel:
        return {Answer::Ok, Answer::Cancel};
    case kv::ui::AbortRetryIgnore:
        return {Answer::Abort, Answer::Retry, Answer::Ignore};
    case kv::ui::YesNoCancel:
        return {Answer::Yes, Answer::No, Answer::Cancel};
    case kv::ui::YesNo:
        return {Answer::Yes, Answer::No};
    case kv::ui::RetryCancel:
        return {Answer::Retry, Answer::Cancel};
    default:
        return {Answer::Ok};
    }
}

// What an unexpected box gets: the answer that leaves the guarded action undone.
Answer refusal(int style)
{
    const std::vector<Answer> answers = offered(style);
    for (Answer a : {Answer::Cancel, Answer::No, Answer::Abort})
        if (std::find(answers.begin(), answers.end(), a) != answers.end())
            return a;
    return answers.front();
}

std::string quoted(const QString& s)
{
    return '"' + s.toStdString() + '"';
}

std::string describe(const ScriptedDialogs::Shown& box)
{
    std::string d = std::string(kindName(box.kind)) + ' ' + quoted(box.text);
    if (box.kind == ScriptedDialogs::Kind::Message || box.kind == ScriptedDialogs::Kind::Input)
        d += " title " + quoted(box.title);
    if (box.kind == ScriptedDialogs::Kind::Message)
        d += " style " + std::to_string(box.style);
    return d;
}

// A printer or font dialog answered by the test's handler. Copied: the handler may queue
// further expectations while it runs. Cancel hands back the choice untouched, whatever the
// handler changed.
template <class Choice>
bool chooseAsScripted(std::function<bool(Choice&)> handler, Choice& choice)
{
    if (!handler)
        return false;
    Choice shown = choice;
    if (!handler(shown))
        return false;
    choice = shown;
    return true;
}

}  // namespace

ScriptedDialogs::Expectation& ScriptedDialogs::Expectation::withTitle(const QString& title)
{
    m_title = title;
    return *this;
}

ScriptedDialogs::Expectation& ScriptedDialogs::Expectation::withStyle(int style)
{
    m_style = style;
    return *this;
}

ScriptedDialogs::Expectation& ScriptedDialogs::Expectation::whileShown(std::function<void()> look)
{
    m_whileShown = std::move(look);
    return *this;
}

bool ScriptedDialogs::Expectation::accepts(Kind kind, const QString& text, int style,
                                           const QString& title) const
{
    const bool sameKind = kind == m_kind || (m_kind == Kind::OpenFile && kind == Kind::SaveFile);
    if (!sameKind)
        return false;
    if (m_kind == Kind::Modal) {
        if (text != m_part)
            return false;
    } else if (m_kind == Kind::PrinterSetup || m_kind == Kind::Font) {
        // One printer or font dialog is like another; the handler looks at the choice.
    } else if (!text.contains(m_part) && !kv::ui::displayText(text).contains(m_part)) {
        return false;
    }
    if (m_title && *m_title != title)
        return false;
    if (m_style && *m_style != style)
        return false;
    return true;
}

QString ScriptedDialogs::Expectation::describe() const
{
    QString d = QString::fromLatin1(kindName(m_kind)) + QStringLiteral(" with \"") + m_part + u'"';
    if (m_title)
        d += QStringLiteral(" title \"") + *m_title + u'"';
    if (m_style)
        d += QStringLiteral(" style ") + QString::number(*m_style);
    return d;
}

ScriptedDialogs::ScriptedDialogs() : m_previous(kv::ui::dialogHost())
{
    kv::ui::setDialogHost(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    // After a fatal failure the rest of the script was never reached; saying so again
    // for every box only buries the real failure.
    if (::testing::Test::HasFatalFailure()) {
        m_expected.clear();
        m_next = 0;
    }
    verify();
    kv::ui::setDialogHost(m_previous);
}

ScriptedDialogs::Expectation& ScriptedDialogs::queue(Expectation e)
{
    m_expected.push_back(std::move(e));
    return m_expected.back();
}

ScriptedDialogs::Expectation& ScriptedDialogs::expect(const QString& textPart, Answer answer)
{
    Expectation e;
    e.m_kind = Kind::Message;
    e.m_part = textPart;
    e.m_answer = answer;
    return queue(std::move(e));
}

ScriptedDialogs::Expectation& ScriptedDialogs::expectInput(const QString& promptPart,
                                                           std::optional<QString> answer)
{
    Expectation e;
    e.m_kind = Kind::Input;
    e.m_part = promptPart;
    e.m_text = std::move(answer);
    return queue(std::move(e));
}

ScriptedDialogs::Expectation& ScriptedDialogs::expectFile(const QString& captionPart,
                                                          const QString& path)
{
    Expectation e;
    e.m_kind = Kind::OpenFile;
    e.m_part = captionPart;
    e.m_text = path;
    return queue(std::move(e));
}

ScriptedDialogs::Expectation& ScriptedDialogs::expectFolder(const QString& captionPart,
                                                            const QString& path)
{
    Expectation e;
    e.m_kind = Kind::Folder;
    e.m_part = captionPart;
    e.m_text = path;
    return queue(std::move(e));
}

ScriptedDialogs::Expectation& ScriptedDialogs::expectModal(const QString& windowName,
                                                           std::function<int()> handler)
{
    Expectation e;
    e.m_kind = Kind::Modal;
    e.m_part = windowName;
    e.m_handler = std::move(handler);
    return queue(std::move(e));
}

ScriptedDialogs::Expectation& ScriptedDialogs::expectPrinterSetup(
    std::function<bool(PrinterChoice&)> handler)
{
    Expectation e;
    e.m_kind = Kind::PrinterSetup;
    e.m_printerHandler = std::move(handler);
    return queue(std::move(e));
}

ScriptedDialogs::Expectation& ScriptedDialogs::expectFont(std::function<bool(kv::ui::FontChoice&)> handler)
{
    Expectation e;
    e.m_kind = Kind::Font;
    e.m_fontHandler = std::move(handler);
    return queue(std::move(e));
}

void ScriptedDialogs::verify()
{
    for (; m_next < m_expected.size(); ++m_next)
        ADD_FAILURE() << "expected " << m_expected[m_next].describe().toStdString()
                      << ", but it was never shown";
    m_expected.clear();
    m_next = 0;
}

QStringList ScriptedDialogs::shownTexts() const
{
    QStringList texts;
    for (const Shown& s : m_shown)
        if (s.kind == Kind::Message)
            texts << s.text;
    return texts;
}

const ScriptedDialogs::Expectation* ScriptedDialogs::take(const Shown& box)
{
    m_shown.push_back(box);
    if (m_next == m_expected.size()) {
        ADD_FAILURE() << "unexpected " << describe(box);
        return nullptr;
    }
    const Expectation& next = m_expected[m_next];
    if (!next.accepts(box.kind, box.text, box.style, box.title)) {
        // The expectation stays: a later box may still be the one it waits for.
        ADD_FAILURE() << "unexpected " << describe(box) << "; next expected "
                      << next.describe().toStdString();
        return nullptr;
    }
    ++m_next;
    return &next;
}

Answer ScriptedDialogs::msgbox(const QString& text, int style, const QString& title)
{
    const Expectation* e = take({Kind::Message, text, style, title, {}});
    if (!e)
        return refusal(style);
    if (e->m_whileShown) e->m_whileShown();
    const std::vector<Answer> answers = offered(style);
    if (std::find(answers.begin(), answers.end(), e->m_answer) == answers.end()) {
        ADD_FAILURE() << "answer " << answerName(e->m_answer) << " is not a button of "
                      << describe(m_shown.back());
        return refusal(style);
    }
    return e->m_answer;
}

std::optional<QString> ScriptedDialogs::inputbox(const QString& prompt, const QString& title,
                                                 const QString& defaultText)
{
    const Expectation* e = take({Kind::Input, prompt, 0, title, defaultText});
    if (!e)
        return std::nullopt;
    return e->m_text;
}

QString ScriptedDialogs::file(Kind kind, const QString& caption, const QString& startFolder,
                              bool asksOverwrite)
{
    const Expectation* e = take({kind, caption, 0, {}, startFolder, asksOverwrite});
    return e ? e->m_text.value_or(QString()) : QString();
}

QString ScriptedDialogs::openFileName(const QString& caption, const QString& startFolder,
                                      const QString&)
{
    return file(Kind::OpenFile, caption, startFolder);
}

QString ScriptedDialogs::saveFileName(const QString& caption, const QString& startFolder,
                                      const QString&, kv::ui::OverwriteQuestion overwrite)
{
    return file(Kind::SaveFile, caption, startFolder, overwrite == kv::ui::OverwriteQuestion::Ask);
}

QString ScriptedDialogs::existingFolder(const QString& caption, const QString& startFolder)
{
    return file(Kind::Folder, caption, startFolder);
}

int ScriptedDialogs::runModal(const QString& name, const std::function<int()>&)
{
    const Expectation* e = take({Kind::Modal, name, 0, {}, {}});
    if (!e)
        return 0;
    // Copied: the handler may queue further expectations while it runs.
    const std::function<int()> handler = e->m_handler;
    return handler ? handler() : 0;
}

bool ScriptedDialogs::printerSetup(PrinterChoice& choice)
{
    const Expectation* e = take({Kind::PrinterSetup, choice.name, 0, {}, choice.outputFile});
    return e && chooseAsScripted(e->m_printerHandler, choice);
}

bool ScriptedDialogs::fontDialog(kv::ui::FontChoice& font)
{
    const Expectation* e = take({Kind::Font, font.name, 0, {}, QString::number(font.size)});
    return e && chooseAsScripted(e->m_fontHandler, font);
}

}  // namespace kv::test
