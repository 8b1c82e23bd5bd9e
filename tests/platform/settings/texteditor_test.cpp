// The desktop's text editor: its command for one file from the desktop entry, and the
// entry chosen for text files in the desktop's lists.

#include "platform/texteditor.h"

#include <gtest/gtest.h>

namespace kv::test {

using texteditor::Command;

TEST(TextEditor, TheFileIsOneArgumentWhereTheEntryAsksForIt)
{
    const QString file = QStringLiteral("/home/anna/alte Rezepte/kochen mit Oma.txt");
    EXPECT_EQ(texteditor::commandFor(QStringLiteral("gedit %U"), file), (Command{"gedit", {file}}));
    EXPECT_EQ(texteditor::commandFor(QStringLiteral("\"/opt/mein editor/bin/ed\" --neu %f --rest"), file),
              (Command{"/opt/mein editor/bin/ed", {"--neu", file, "--rest"}}));
    // Codes for icons and names go; a doubled percent is one; one file however many it takes.
    EXPECT_EQ(texteditor::commandFor(QStringLiteral("kate -b %i %c --datei=%F 100%% %u"), file),
              (Command{"kate", {"-b", "--datei=" + file, "100%"}}));
    // Without a file code the file comes last.
    EXPECT_EQ(texteditor::commandFor(QStringLiteral("mousepad"), file), (Command{"mousepad", {file}}));
    EXPECT_EQ(texteditor::commandFor(QStringLiteral("\"a \\\"b\\\"\" %f"), file), (Command{"a \"b\"", {file}}));
    EXPECT_FALSE(texteditor::commandFor(QStringLiteral("  "), file));
}

TEST(TextEditor, TheDefaultForTextFilesComesFromTheListsGroup)
{
    EXPECT_EQ(texteditor::defaultEntryIn(QStringLiteral("[Added Associations]\ntext/plain=falsch.desktop\n"
                                                        "[Default Applications]\ntext/html=web.desktop\n"
                                                        "text/plain=editor.desktop;zweiter.desktop;\n")),
              "editor.desktop");
    EXPECT_EQ(texteditor::defaultEntryIn(QStringLiteral("[MIME Cache]\ntext/plain=;vim.desktop;\n")), "vim.desktop");
    EXPECT_EQ(texteditor::defaultEntryIn(QStringLiteral("[Default Applications]\ntext/html=web.desktop\n")), "");
    EXPECT_EQ(texteditor::defaultEntryIn(QStringLiteral("[Default Applications]\ntext/html=web.desktop\n"),
                                         QStringLiteral("text/html")),
              "web.desktop");
}

}  // namespace kv::test
