// The export wizard on the started program: its pages, the file name and its checks,
// replacing a file, an empty selection, the clipboard, and a cookbook export that opens
// as a cookbook.

#include "core/cookbookdb.h"
#include "core/settings.h"
#include "exchange/export.h"
#include "exchange/exportwizard_window.h"
#include "platform/paths.h"
#include "platform/ui/folderlists.h"
#include "platform/ui/look.h"
#include "tests/mainwindow/startedprogram.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QTest>
#include <QTreeView>

#include <utility>


namespace kv::test {
namespace {

using ui::Answer;

const QString kExportTitel = QStringLiteral("E X P O R T");

class ExportWizard : public StartedProgram {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(start());
        ASSERT_EQ(hm->korbgridBoundText(), QStringLiteral("1"));
    }

    QWidget* wizard() { return ui::WindowRegistry::loadedWindow(QStringLiteral("wizard_export")); }
    QWidget* open()
    {
        button("export")->click();
        return wizard();
    }
    void click(const char* name) { QTest::mouseClick(control<QWidget>(wizard(), name), Qt::LeftButton); }
    void press(const char* name) { control<QToolButton>(wizard(), name)->click(); }
    bool visible(const char* name) { return control<QWidget>(wizard(), name)->isVisibleTo(wizard()); }
    bool chosen(const char* name)
    {
        return control<QLabel>(wizard(), name)->palette().color(QPalette::WindowText) == QColor::fromRgb(ui::kOptionChosen);
    }
    QLineEdit* box(const char* name) { return control<QLineEdit>(wizard(), name); }
    QString text(const char* name) { return control<QPlainTextEdit>(wizard(), name)->toPlainText(); }
};

TEST_F(ExportWizard, ThreePagesWithTheirControlsAndHeightsAndPreviewsBuiltOncePerLoading)
{
    // Each page by one of its own controls: the folder list, the preview, the HTML head.
    ASSERT_NE(open(), nullptr);
    EXPECT_TRUE(visible("l3") && !visible("rez") && !visible("hk"));
    EXPECT_TRUE(chosen("exp1") && !chosen("exp2") && !chosen("exp3"));
    const int cookbookHeight = wizard()->height();

    click("exp2");
    EXPECT_TRUE(!visible("l3") && visible("rez") && visible("hk"));
    EXPECT_TRUE(!chosen("exp1") && chosen("exp2") && !chosen("exp3"));
    EXPECT_TRUE(text("rez").startsWith(QStringLiteral("<P><FONT SIZE=+1>Kartoffelsuppe mit Majoran</FONT></P>\n")));
    EXPECT_TRUE(text("hk").startsWith(QStringLiteral("<HTML>\n<HEAD>\n")));
    EXPECT_EQ(text("hf"), QStringLiteral("</BODY>\n</HTML>"));
    const int htmlHeight = wizard()->height();

    // A change of the main window's list does not build the previews again.
    db().execute(QStringLiteral("delete from rezinaus where aid = 1 and rid = 1"));
    click("exp3");
    EXPECT_TRUE(!visible("l3") && visible("rez") && !visible("hk"));
    EXPECT_TRUE(text("rez").contains(QStringLiteral("     Title: Spaghetti mit Tomatensauce\n")));
    EXPECT_FALSE(text("rez").contains(QStringLiteral("Kartoffelsuppe")));
    const int mmHeight = wizard()->height();
    click("exp2");
    EXPECT_TRUE(text("rez").contains(QStringLiteral("Kartoffelsuppe")));

    // The heights keep the old window's proportions 5676 : 7056 : 4428.
    EXPECT_NEAR(double(htmlHeight) / cookbookHeight, 7056.0 / 5676.0, 0.01);
    EXPECT_NEAR(double(mmHeight) / cookbookHeight, 4428.0 / 5676.0, 0.01);
    click("exp1");
    EXPECT_TRUE(visible("l3"));
    EXPECT_EQ(wizard()->height(), cookbookHeight);
}

TEST_F(ExportWizard, ShortNamesAreRefusedAndAShortDialogResultIsIgnored)
{
    ASSERT_NE(open(), nullptr);
    dialogs.expect(QStringLiteral("Bitte Pfad und Name eingeben !"), Answer::Ok).withTitle(kExportTitel).withStyle(ui::Exclamation);
    box("l5")->setText(QStringLiteral("x"));
    box("l8")->setText(QStringLiteral("Ein Name"));
    press("start");
    dialogs.verify();

    click("exp3");
    const QString refused = QStringLiteral("Bitte einen Dateinamen eingeben. Klicken Sie in das leere Feld.");
    dialogs.expect(refused, Answer::Ok).withTitle(kExportTitel).withStyle(ui::Exclamation);
    press("start");
    box("pname")->setText(QStringLiteral("a"));
    dialogs.expect(refused, Answer::Ok).withTitle(kExportTitel);
    press("start");
    dialogs.expectFile(QStringLiteral("MealMaster-Datei angeben"), QStringLiteral("/a.b"));
    click("pname");
    dialogs.verify();
    EXPECT_EQ(box("pname")->text(), QStringLiteral("a"));

    // A name of two characters is a file in the home folder.
    box("pname")->setText(QStringLiteral("mm"));
    dialogs.expect(QStringLiteral("Fertig."), Answer::Ok).withTitle(QStringLiteral(" "));
    press("start");
    EXPECT_TRUE(fileBytes(paths::homeFolder() + QStringLiteral("/mm")).contains("Title: Kartoffelsuppe mit Majoran"));
    EXPECT_EQ(wizard(), nullptr);
}

TEST_F(ExportWizard, AFolderNameThatWouldLeaveTheChosenFolderIsRefused)
{
    ASSERT_NE(open(), nullptr);
    auto* l3 = control<QTreeView>(wizard(), "l3");
    auto* folders = qobject_cast<ui::FolderModel*>(l3->model());
    ASSERT_NE(folders, nullptr);
    const QString chosen = env.tempPath(QStringLiteral("ausgaben"));
    ASSERT_TRUE(QDir().mkpath(chosen));
    l3->setCurrentIndex(folders->indexOf(chosen));
    const auto everything = [](const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList around = everything(env.tempPath(QString()));
    box("l8")->setText(QStringLiteral("Auszug"));

    // A name that leads out of the chosen folder, and one of blanks alone, which every list
    // would show as a folder without a name.
    const QString out = QStringLiteral("Der Name \"%1\" kann kein neues Verzeichnis benennen: Er darf weder");
    const QString blanks = QStringLiteral("Der Name \"%1\" kann kein neues Verzeichnis benennen: Er besteht nur aus "
                                          "Leerzeichen.");
    for (const auto& [name, refusal] : {std::pair{"../draussen", out}, {"unter/ordner", out}, {"unter\\ordner", out},
                                        {"..", out}, {".", out}, {"   ", blanks}, {" \t ", blanks}}) {
        SCOPED_TRACE(name);
        box("l5")->setText(QString::fromUtf8(name));
        dialogs.expect(refusal.arg(QString::fromUtf8(name)), Answer::Ok)
            .withTitle(kExportTitel)
            .withStyle(ui::Exclamation | ui::OkOnly);
        press("start");
        dialogs.verify();
        ASSERT_NE(wizard(), nullptr);
    }
    EXPECT_EQ(everything(chosen), QStringList());
    EXPECT_EQ(everything(env.tempPath(QString())), around);

    box("l5")->setText(QStringLiteral("auszug"));
    dialogs.expect(QStringLiteral("Fertig."), Answer::Ok);
    press("start");
    dialogs.verify();
    EXPECT_EQ(everything(chosen), QStringList{QStringLiteral("auszug")});
}

TEST_F(ExportWizard, AnExistingFileIsAskedForOnceByTheWizardAndReplacedWhole)
{
    const QString file = env.tempPath(QStringLiteral("rezepte.html"));
    writeFileBytes(file, "alt");
    ASSERT_NE(open(), nullptr);
    click("exp2");
    dialogs.expectFile(QStringLiteral("HTML-Datei angeben"), file);
    click("pname");
    ASSERT_EQ(dialogs.shown().back().kind, ScriptedDialogs::Kind::SaveFile);
    EXPECT_FALSE(dialogs.shown().back().asksOverwrite);
    EXPECT_EQ(dialogs.shown().back().detail, paths::homeFolder() + u'/');
    EXPECT_EQ(box("pname")->text(), file);
    const QString question = QStringLiteral("Die Datei '") + file + QStringLiteral("' gibt es schon. Soll sie überschrieben werden ?");

    dialogs.expect(question, Answer::No).withTitle(kExportTitel).withStyle(ui::YesNo);
    press("start");
    dialogs.verify();
    EXPECT_EQ(fileBytes(file), QByteArray("alt"));
    ASSERT_NE(wizard(), nullptr);

    dialogs.expect(question, Answer::Yes);
    dialogs.expect(QStringLiteral("Fertig."), Answer::Ok).withTitle(QStringLiteral(" "));
    press("start");
    dialogs.verify();
    const QByteArray written = fileBytes(file);
    EXPECT_TRUE(written.startsWith("<HTML>\r\n<HEAD>\r\n"));
    EXPECT_TRUE(written.contains("<P><FONT SIZE=+1>Spaghetti mit Tomatensauce</FONT></P>"));
    EXPECT_TRUE(written.endsWith("</BODY>\r\n</HTML>\r\n"));
    EXPECT_EQ(getreg(reg::exportpfad), file);
    EXPECT_EQ(wizard(), nullptr);
    EXPECT_EQ(QDir(env.tempPath(QString())).entryList({QStringLiteral("rezepte*")}, QDir::Files),
              QStringList{QStringLiteral("rezepte.html")});
}

TEST_F(ExportWizard, AnEmptySelectionKeepsTheOldFileAndSaysSo)
{
    db().execute(QStringLiteral("delete from rezinaus where aid = 1"));
    const QString file = env.tempPath(QStringLiteral("rezepte.mm"));
    writeFileBytes(file, "alt");
    ASSERT_NE(open(), nullptr);
    click("exp3");
    EXPECT_EQ(text("rez"), QStringLiteral("0"));
    box("pname")->setText(file);

    dialogs.expect(QStringLiteral("gibt es schon"), Answer::Yes);
    dialogs.expect(QStringLiteral("In der Auswahl ist kein Rezept. Es wurde nichts exportiert."), Answer::Ok)
        .withTitle(kExportTitel);
    press("start");
    dialogs.verify();
    EXPECT_EQ(fileBytes(file), QByteArray("alt"));
    EXPECT_EQ(getreg(reg::exportpfad), reg::defaults::exportpfad);
    EXPECT_NE(wizard(), nullptr);
}

TEST_F(ExportWizard, TheClipboardGetsHeadPreviewAndFootOrTheMealMasterPreview)
{
    ASSERT_NE(open(), nullptr);
    click("exp2");
    dialogs.expect(QStringLiteral("Der HTML-Text wurde in die Zwischenablage kopiert."), Answer::Ok).withTitle(QStringLiteral(" "));
    press("inclip");
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              reg::defaults::HTMLstart + QStringLiteral("\n\r") + htmlstring(db(), 1, false, {}) + QStringLiteral("\n\r") +
                  reg::defaults::HTMLstop);

    click("exp3");
    dialogs.expect(QStringLiteral("Der MealMaster-Text wurde in die Zwischenablage kopiert."), Answer::Ok).withTitle(QStringLiteral(" "));
    press("inclip");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), mmstring(db(), 1, false, {}));
}

// The wizard knows no main window: whoever registers it says which list is chosen, and it
// asks at each use, so a list chosen while it is open is the one written.
TEST_F(ExportWizard, TheChosenListIsAskedOfTheRegistrarAtEachUse)
{
    db().execute(QStringLiteral("insert into auswahlen (aname) values ('Grillabend')"));
    const qint64 second = db().lastInsertId();
    db().execute(QStringLiteral("insert into rezinaus (aid, rid, rname, port) values (?, 6, 'Spaghetti mit Tomatensauce', 4)"),
                 {second});
    qint64 chosen = 1;
    int asked = 0;
    ui::WindowRegistry::registerWindow(QStringLiteral("wizard_export"), [&] {
        return new WizardExport([&] {
            ++asked;
            return chosen;
        });
    });
    ASSERT_NE(open(), nullptr);
    EXPECT_EQ(asked, 0);
    click("exp3");
    EXPECT_TRUE(text("rez").contains(QStringLiteral("Title: Kartoffelsuppe mit Majoran")));
    EXPECT_EQ(asked, 1);

    chosen = second;
    const QString file = env.tempPath(QStringLiteral("grill.mm"));
    box("pname")->setText(file);
    dialogs.expect(QStringLiteral("Fertig."), Answer::Ok);
    press("start");
    dialogs.verify();
    const QByteArray written = fileBytes(file);
    EXPECT_TRUE(written.contains("Title: Spaghetti mit Tomatensauce"));
    EXPECT_FALSE(written.contains("Kartoffelsuppe"));
}

TEST_F(ExportWizard, AnExportedCookbookOpensWithoutAnyStepAndASwitchClosesTheWizard)
{
    // Taken for servings by a step meant for old files, this heading would be lost.
    db().execute(QStringLiteral("insert into zutindex (zutat) values ('Für 6 Personen')"));
    db().execute(QStringLiteral("insert into zutaten (rid, tid, nr, zutid) values (1, 2, 0, ?)"), {db().lastInsertId()});
    ASSERT_NE(open(), nullptr);
    auto* l3 = control<QTreeView>(wizard(), "l3");
    auto* folders = qobject_cast<ui::FolderModel*>(l3->model());
    ASSERT_NE(folders, nullptr);
    const QString parent = env.tempPath(QString());
    l3->setCurrentIndex(folders->indexOf(QDir::cleanPath(parent)));
    box("l5")->setText(QStringLiteral("auszug"));
    box("l8")->setText(QStringLiteral("Auszug"));
    dialogs.expect(QStringLiteral("Fertig."), Answer::Ok).withTitle(QStringLiteral(" "));
    press("start");
    dialogs.verify();
    EXPECT_EQ(wizard(), nullptr);

    ASSERT_NE(open(), nullptr);
    const QString folder = QDir::cleanPath(parent) + QStringLiteral("/auszug/");
    ASSERT_TRUE(switchCookbook(folder));
    dialogs.verify();
    EXPECT_EQ(wizard(), nullptr);
    EXPECT_EQ(cookbook().name(), folder + kochbuchdatei);
    EXPECT_EQ(db().scalar(QStringLiteral("select bname || '/' || binfo from kochbuchname")).toString(),
              QStringLiteral("Auszug/-"));
    EXPECT_EQ(count(QStringLiteral("select port from rezepte where rid = 1")), 4);
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutaten z join zutindex i on i.zutid = z.zutid "
                                   "where z.rid = 1 and z.nr = 0 and i.zutat = 'Für 6 Personen'")),
              1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), 2);
}

}  // namespace
}  // namespace kv::test
