#include "platform/ui/dialogs.h"

#include "platform/db/database.h"
#include "tests/support/scripteddialogs.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

using kv::test::ScriptedDialogs;
using kv::ui::Answer;

TEST(DisplayText, EveryKindOfLineBreakIsOneBreakAndConsecutiveOnesStaySeparateLines)
{
    EXPECT_EQ(kv::ui::displayText(QStringLiteral("Zeile\n\rZeile")), QStringLiteral("Zeile\nZeile"));
    EXPECT_EQ(kv::ui::displayText(QStringLiteral("Zeile\r\nZeile")), QStringLiteral("Zeile\nZeile"));
    EXPECT_EQ(kv::ui::displayText(QStringLiteral("Zeile\rZeile")), QStringLiteral("Zeile\nZeile"));
    EXPECT_EQ(kv::ui::displayText(QStringLiteral("a\n\r\n\rb")), QStringLiteral("a\n\nb"));
    EXPECT_EQ(kv::ui::displayText(QStringLiteral("a\r\n\r\nb")), QStringLiteral("a\n\nb"));
}

TEST(DialogLayer, WithoutHostEveryBoxThrowsWithItsText)
{
    ASSERT_EQ(kv::ui::dialogHost(), nullptr);
    try {
        kv::ui::msgbox(QStringLiteral("Fertig."));
        FAIL() << "a box without host was answered";
    } catch (const std::logic_error& e) {
        EXPECT_NE(std::string(e.what()).find("Fertig."), std::string::npos);
    }
    EXPECT_THROW(kv::ui::inputbox(QStringLiteral("Name")), std::logic_error);
    EXPECT_THROW(kv::ui::existingFolder(QStringLiteral("Ordner"), {}), std::logic_error);
    EXPECT_THROW(kv::ui::runModal(QStringLiteral("suchen"), [] { return 1; }), std::logic_error);
}

TEST(DialogLayer, ErrorboxWritesTagNumberAndTextUnderTheErrorTitle)
{
    ScriptedDialogs dialogs;
    dialogs.expect(QStringLiteral("MAIN - 3021 : Kein aktueller Datensatz."), Answer::Ok)
        .withTitle(QStringLiteral(" F E H L E R"))
        .withStyle(kv::ui::Critical);
    dialogs.expect(QStringLiteral("LOADDBS (datendb) - 7 : kaputt"), Answer::Retry)
        .withStyle(kv::ui::Critical | kv::ui::RetryCancel);

    EXPECT_EQ(kv::ui::errorbox(QStringLiteral("MAIN - "), 3021,
                               QStringLiteral("Kein aktueller Datensatz.")),
              Answer::Ok);
    EXPECT_EQ(kv::ui::errorbox(QStringLiteral("LOADDBS (datendb) - "), 7, QStringLiteral("kaputt"),
                               kv::ui::RetryCancel),
              Answer::Retry);
    ASSERT_EQ(dialogs.shownTexts().size(), 2);
    EXPECT_EQ(dialogs.shownTexts().front(),
              QStringLiteral("MAIN - 3021 : Kein aktueller Datensatz."));
}

TEST(ScriptedDialogs, AnswersBoxesInTheQueuedOrderAndLogsThem)
{
    ScriptedDialogs dialogs;
    dialogs.expect(QStringLiteral("Rezept "), Answer::Yes).withTitle(QStringLiteral(" "));
    dialogs.expect(QStringLiteral("Fertig\nweiter"), Answer::Ok);

    EXPECT_EQ(kv::ui::msgbox(QStringLiteral("Rezept Gulasch löschen ?"), kv::ui::YesNo),
              Answer::Yes);
    // The expectation's plain line break matches the system's LF CR.
    EXPECT_EQ(kv::ui::msgbox(QStringLiteral("Fertig\n\rweiter."), kv::ui::Information,
                             QStringLiteral(" O K")),
              Answer::Ok);

    EXPECT_TRUE(dialogs.allMet());
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].title, QStringLiteral(" O K"));
    EXPECT_EQ(dialogs.shown()[1].style, kv::ui::Information);
}

TEST(ScriptedDialogs, UnexpectedBoxFailsAndIsRefused)
{
    ScriptedDialogs dialogs;
    Answer yesNo = Answer::Yes;
    Answer okCancel = Answer::Ok;
    Answer okOnly = Answer::Cancel;
    EXPECT_NONFATAL_FAILURE(
        yesNo = kv::ui::msgbox(QStringLiteral("Wirklich löschen ?"), kv::ui::YesNo,
                               QStringLiteral(" A c h t u n g")),
        "unexpected message box \"Wirklich löschen ?\" title \" A c h t u n g\"");
    EXPECT_NONFATAL_FAILURE(okCancel = kv::ui::msgbox(QStringLiteral("x"), kv::ui::OkCancel),
                            "\"x\"");
    EXPECT_NONFATAL_FAILURE(okOnly = kv::ui::msgbox(QStringLiteral("y")), "\"y\"");
    EXPECT_EQ(yesNo, Answer::No);
    EXPECT_EQ(okCancel, Answer::Cancel);
    EXPECT_EQ(okOnly, Answer::Ok);

    std::optional<QString> input = QStringLiteral("nicht leer");
    EXPECT_NONFATAL_FAILURE(input = kv::ui::inputbox(QStringLiteral("Name ?")), "input box");
    EXPECT_FALSE(input.has_value());
    QString path = QStringLiteral("nicht leer");
    EXPECT_NONFATAL_FAILURE(path = kv::ui::openFileName(QStringLiteral("Datei"), {}), "open-file");
    EXPECT_TRUE(path.isEmpty());
    int ran = 0;
    int result = -1;
    EXPECT_NONFATAL_FAILURE(
        result = kv::ui::runModal(QStringLiteral("suchen"), [&] { return ++ran; }),
        "modal window \"suchen\"");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ran, 0) << "an unexpected modal window must not start its own loop in a test";
    EXPECT_EQ(dialogs.shown().size(), 6u);
}

TEST(ScriptedDialogs, BoxOutOfOrderFailsAndTheExpectationWaitsOn)
{
    ScriptedDialogs dialogs;
    dialogs.expect(QStringLiteral("zweite"), Answer::Yes);
    EXPECT_NONFATAL_FAILURE(kv::ui::msgbox(QStringLiteral("erste Frage"), kv::ui::YesNo),
                            "next expected message box with \"zweite\"");
    EXPECT_EQ(kv::ui::msgbox(QStringLiteral("zweite Frage"), kv::ui::YesNo), Answer::Yes);
    EXPECT_TRUE(dialogs.allMet());
}

TEST(ScriptedDialogs, TitleAndStyleNarrowTheMatch)
{
    ScriptedDialogs dialogs;
    dialogs.expect(QStringLiteral("Rezept"), Answer::Yes).withTitle(QStringLiteral(" "));
    EXPECT_NONFATAL_FAILURE(
        kv::ui::msgbox(QStringLiteral("Rezept"), kv::ui::YesNo, QStringLiteral(" F E H L E R")),
        "title \" \"");
    EXPECT_EQ(kv::ui::msgbox(QStringLiteral("Rezept"), kv::ui::YesNo, QStringLiteral(" ")),
              Answer::Yes);

    dialogs.expect(QStringLiteral("Rezept"), Answer::Yes)
        .withStyle(kv::ui::YesNo | kv::ui::Question);
    EXPECT_NONFATAL_FAILURE(kv::ui::msgbox(QStringLiteral("Rezept"), kv::ui::YesNo), "style 36");
    EXPECT_EQ(kv::ui::msgbox(QStringLiteral("Rezept"), kv::ui::YesNo | kv::ui::Question),
              Answer::Yes);
}

TEST(ScriptedDialogs, AnswerTheBoxDoesNotOfferFails)
{
    ScriptedDialogs dialogs;
    dialogs.expect(QStringLiteral("Fertig"), Answer::Yes);
    Answer a = Answer::Yes;
    EXPECT_NONFATAL_FAILURE(a = kv::ui::msgbox(QStringLiteral("Fertig.")),
                            "answer Yes is not a button");
    EXPECT_EQ(a, Answer::Ok);
}

TEST(ScriptedDialogs, ExpectationNeverMetFailsInVerifyAndDestructor)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            dialogs.expect(QStringLiteral("Soll ein Logfile"), Answer::Yes);
        },
        "message box with \"Soll ein Logfile\", but it was never shown");

    ScriptedDialogs dialogs;
    dialogs.expectInput(QStringLiteral("Namen"), QStringLiteral("x"));
    EXPECT_NONFATAL_FAILURE(dialogs.verify(), "input box with \"Namen\"");
    EXPECT_TRUE(dialogs.allMet());
}

TEST(ScriptedDialogs, ModalWindowRunsTheTestHandlerAndItsBoxesFollowIt)
{
    ScriptedDialogs dialogs;
    dialogs.expectModal(QStringLiteral("neu_portion"), [] {
        kv::ui::msgbox(QStringLiteral("Bitte eine Zahl"));
        return 1;
    });
    dialogs.expect(QStringLiteral("Bitte eine Zahl"), Answer::Ok);

    bool ownLoopRan = false;
    EXPECT_EQ(kv::ui::runModal(QStringLiteral("neu_portion"),
                               [&] {
                                   ownLoopRan = true;
                                   return 2;
                               }),
              1);
    EXPECT_FALSE(ownLoopRan);
    EXPECT_TRUE(dialogs.allMet());

    dialogs.expectModal(QStringLiteral("suchen"), [] { return 1; });
    EXPECT_NONFATAL_FAILURE(kv::ui::runModal(QStringLiteral("suche"), [] { return 0; }),
                            "modal window \"suche\"");
    kv::ui::runModal(QStringLiteral("suchen"), [] { return 0; });
}

TEST(ScriptedDialogs, RestoresTheHostInstalledBefore)
{
    ASSERT_EQ(kv::ui::dialogHost(), nullptr);
    {
        ScriptedDialogs outer;
        {
            ScriptedDialogs inner;
            EXPECT_EQ(kv::ui::dialogHost(), &inner);
        }
        EXPECT_EQ(kv::ui::dialogHost(), &outer);
    }
    EXPECT_EQ(kv::ui::dialogHost(), nullptr);
}

}  // namespace

namespace {

// Stands in for a window whose event handlers are wired with guardedHandlers.
struct Handled {
    void ok() { ++runs; }
    void failsInTheDatabase()
    {
        ++runs;
        throw kv::db::DbError(3021, QStringLiteral("Kein aktueller Datensatz."));
    }
    void failsOtherwise()
    {
        ++runs;
        throw std::runtime_error("kaputt");
    }
    int runs = 0;
};

}  // namespace

// A handler runs the window's member; its failure is shown under the tag, with the database
// error's number and text, and goes no further, so no event loop sees it.
TEST(DialogLayer, GuardedHandlersRunTheMemberAndShowItsFailureUnderTheTag)
{
    ScriptedDialogs dialogs;
    Handled window;
    const auto handler = kv::ui::guardedHandlers(&window);

    handler("OK_CLICK : ", &Handled::ok)();
    EXPECT_EQ(window.runs, 1);

    dialogs.expect(QStringLiteral("LOESCH_CLICK : 3021 : Kein aktueller Datensatz."), Answer::Ok)
        .withTitle(QStringLiteral(" F E H L E R"))
        .withStyle(kv::ui::Critical);
    EXPECT_NO_THROW(handler("LOESCH_CLICK : ", &Handled::failsInTheDatabase)());
    dialogs.expect(QStringLiteral("START_CLICK : 0 : kaputt"), Answer::Ok);
    const std::function<void()> wired = handler("START_CLICK : ", &Handled::failsOtherwise);
    EXPECT_NO_THROW(wired());
    dialogs.verify();
    EXPECT_EQ(window.runs, 3);
}
