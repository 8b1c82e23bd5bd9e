// The import driver in temp folders: file ids, which files a scope reads and in what
// order, the hand-over file, a cancel, a failure of its own steps, the error rows it
// leaves and the window it ends with (the list and count it refreshes are seen in the
// import windows' tests).

#include "core/settings.h"
#include "platform/paths.h"
#include "tests/exchange/importfixture.h"

#include <QDirIterator>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include <utility>

namespace kv::test {

namespace {

class Driver : public ImportTest {
protected:
    QStringList fileRows()
    {
        QStringList rows;
        db::Statement st(db(), QStringLiteral("select did, dname from importdateien where did>1 order by did"));
        while (st.step()) rows << QStringLiteral("%1 %2").arg(st.int64(0)).arg(st.text(1));
        return rows;
    }
    QStringList subdirs()
    {
        QStringList rows;
        db::Statement st(db(), QStringLiteral("select subdir from importsubdirs order by rowid"));
        while (st.step()) rows << st.text(0);
        return rows;
    }
    // The names of a folder's files in the order the file system lists them.
    static QStringList listed(const QString& folder)
    {
        QStringList names;
        QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        while (it.hasNext()) names << it.next();
        return names;
    }
};

}  // namespace

TEST_F(Driver, FileIdsStartAbove300AndGoOnFromTheLast)
{
    db().execute("delete from importdateien");
    import(write("a.mmf", mmRecipe("A")));
    EXPECT_EQ(count("select count(*) from importdateien where did=0 and dname='Alle'"), 1);
    EXPECT_EQ(count("select max(did) from importdateien"), 301);
    EXPECT_EQ(count("select did from rezepte where rname='A'"), 301);

    db().execute("insert into importdateien (did, dname) values (310, 'zehn')");
    import(write("b.mmf", mmRecipe("B")));
    EXPECT_EQ(count("select did from rezepte where rname='B'"), 311);

    db().execute("delete from importdateien where did>0");
    db().execute("insert into importdateien (did, dname) values (298, 'alt')");
    import(write("c.mmf", mmRecipe("C")));
    EXPECT_EQ(count("select did from rezepte where rname='C'"), 599);
}

TEST_F(Driver, AFolderIsReadFileByFileInTheOrderItIsListed)
{
    write("ordner/eins.mmf", mmRecipe("Eins"));
    write("ordner/zwei.txt", mmRecipe("Zwei"));
    write("ordner/drei", mmRecipe("Drei"));
    write("ordner/unter/vier.mmf", mmRecipe("Vier"));
    QStringList expected;
    for (const QString& path : listed(files() + "ordner"))
        if (QFileInfo(path).isFile()) expected << path;

    // A file of the folder names it; so does the folder with its separator.
    import(files() + "ordner/eins.mmf", 1);
    EXPECT_EQ(ui.idat, expected);
    QStringList rows;
    for (int i = 0; i < expected.size(); ++i) rows << QStringLiteral("%1 %2").arg(302 + i).arg(expected[i]);
    EXPECT_EQ(fileRows(), rows);
    EXPECT_EQ(count("select count(*) from rezepte where rname='Vier'"), 0) << "folders below are not read";
    EXPECT_EQ(getreg(reg::importpfad), files() + "ordner/");
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(ui.irez, "3");
}

TEST_F(Driver, ATreeIsSearchedLevelByLevelByFileTypeAndEachFolderOnce)
{
    const QString d = files() + "D";
    write("D/a.txt", mmRecipe("A"));
    write("D/liesmich", mmRecipe("Ohne Punkt"));
    write("D/x/b.txt", mmRecipe("B"));
    write("D/x/y/c.txt", mmRecipe("C"));
    write("D/v.1/d.txt", mmRecipe("Mit Punkt"));
    write("D/.versteckt/e.txt", mmRecipe("Versteckt"));
    write("D/.f.txt", mmRecipe("Auch versteckt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(d + "/rohr").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(d, d + "/x/y/zurueck")) << "a link back up: a loop";

    import(d + "/", 2);

    // D, then the folders of D as listed, then those of x.
    QStringList folders = {d};
    QStringList level1;
    for (const QString& path : listed(d))
        if (QFileInfo(path).isDir()) level1 << path;
    folders << level1 << d + "/x/y";
    EXPECT_EQ(subdirs(), folders);

    QStringList read;
    for (const QString& path : listed(d))
        if (path.endsWith("a.txt") || path.endsWith("liesmich")) read << path;
    for (const QString& folder : level1) read << listed(folder).filter(".txt");
    read << d + "/x/y/c.txt";
    EXPECT_EQ(ui.idat, read);
    EXPECT_EQ(count("select count(*) from rezepte where rname in ('A', 'Ohne Punkt', 'B', 'C', 'Mit Punkt')"), 5);
    EXPECT_EQ(count("select count(*) from rezepte where rname like '*versteckt'"), 0);
    EXPECT_EQ(count("select count(*) from importerrors"), 0);
    EXPECT_EQ(ui.next, "wizard_nachimport");
}

TEST_F(Driver, AnEmptyFolderReadsNothingAndLeadsToTheCategories)
{
    QDir().mkpath(files() + "leer");
    for (const int typ : {1, 2}) {
        import(files() + "leer/", typ);
        EXPECT_TRUE(fileRows().isEmpty());
        EXPECT_EQ(ui.next, "wizard_nachimport");
        EXPECT_FALSE(ui.loaded);
        EXPECT_FALSE(ui.busy);
    }
}

TEST_F(Driver, ACancelStopsTheWalk)
{
    write("ordner/eins.mmf", mmRecipe("Eins"));
    write("ordner/zwei.mmf", mmRecipe("Zwei"));
    write("ordner/drei.mmf", mmRecipe("Drei"));
    ui.onIdat = [this](const QString&) {
        if (ui.idat.size() == 2) importcancel = true;
    };
    const qint64 before = recipes();
    // The closing message says what the cancelled run stored, not "Fertig.".
    import(files() + "ordner/", 2, false, "Der Import wurde abgebrochen; bis dahin wurde 1 Rezept gespeichert.");
    EXPECT_EQ(ui.idat.size(), 2);
    EXPECT_EQ(fileRows().size(), 2) << "no row for the files after the cancel";
    EXPECT_EQ(recipes(), before + 1);

    write("paare/x.mmf", mmRecipe("X1") + mmRecipe("X2"));
    write("paare/y.mmf", mmRecipe("Y1") + mmRecipe("Y2"));
    ui.idat.clear();
    import(files() + "paare/", 2, false, "Der Import wurde abgebrochen; bis dahin wurden 2 Rezepte gespeichert.");
}

TEST_F(Driver, AFolderGivenAsTheOneFileIsAnErrorAndNoImportedFile)
{
    write("ordner/eins.mmf", mmRecipe("Eins"));
    const qint64 before = recipes();
    bool first = true;
    for (const QString& path : {files() + "ordner/", files() + "ordner"}) {
        import(path, 0, std::exchange(first, false));
        EXPECT_TRUE(fileRows().isEmpty()) << path.toStdString();
        EXPECT_EQ(errorRows(), QStringList("Alle|" + path + "|Datei : Fehler 'Die Datei kann nicht geöffnet werden: " +
                                           path + " (keine Datei)'"));
        EXPECT_EQ(ui.next, "wizard_importerr");
    }
    EXPECT_EQ(recipes(), before);
}

TEST_F(Driver, AFailureOfItsOwnStepsEndsTheRunWithAMessage)
{
    write("ordner/eins.mmf", mmRecipe("Eins"));
    db().execute("drop table importsubdirs");
    dialogs.expect("Der Import wurde wegen eines Fehlers beendet", ui::Answer::Ok).withTitle(" F E H L E R");
    exchange::startimport(files() + "ordner/", 2);
    dialogs.verify();
    EXPECT_FALSE(ui.loaded);
    EXPECT_FALSE(ui.busy);
    EXPECT_TRUE(ui.next.isEmpty());
    EXPECT_FALSE(db().inTransaction());
    // The cookbook is free for the next import.
    import(files() + "ordner/eins.mmf");
    EXPECT_EQ(count("select count(*) from rezepte where rname='Eins'"), 1);
}

TEST_F(Driver, EachErrorRowNamesItsFileAndLine)
{
    const QString good = write("gut.mmf", mmRecipe("Gut") + "MMMMM----- Recipe via Meal-Master\n      Title: Halb\n");
    const QString bad = write("schlecht.mmf", mmRecipe("Schlecht").replace("1 c  Mehl", "1/0 c  Mehl"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(files() + "rohr").constData(), 0600), 0);
    import(files(), 1, true);
    QStringList rows = errorRows();
    rows.sort();
    EXPECT_EQ(rows, QStringList({good + "|Halb|Kategorien : Fehler 'Die Datei endet mitten im Rezept (Zeile 11).'",
                                 bad + "|Schlecht|Quantity : Fehler 'Division durch Null (Zeile 6)'"}));
    EXPECT_EQ(ui.next, "wizard_importerr");

    // A folder that cannot be read; the run's rows replace the last run's.
    import(files() + "kein-ordner/", 2);
    EXPECT_EQ(errorRows(), QStringList(QStringLiteral("Alle|%1|Verzeichnis : Fehler 'Das Verzeichnis %1 kann nicht "
                                                      "gelesen werden (nicht vorhanden).'")
                                           .arg(files() + "kein-ordner/")));
}

TEST_F(Driver, AFileThatCannotBeOpenedIsOneErrorRow)
{
    // One that is not there, and a pipe named alone.
    ASSERT_EQ(::mkfifo(QFile::encodeName(files() + "rohr").constData(), 0600), 0);
    bool first = true;
    for (const QString name : {"fehlt.mmf", "rohr"}) {
        import(files() + name, 0, std::exchange(first, false));
        EXPECT_EQ(errorRows(), QStringList(files() + name + "||Datei : Fehler 'Die Datei kann nicht geöffnet werden: " +
                                           files() + name + " (keine Datei)'"));
        EXPECT_EQ(ui.next, "wizard_importerr");
    }
}

TEST_F(Driver, AFolderReadsFilesByTheirBytesAndSaysWhichItCannotOpen)
{
    // A Latin-1 name on a UTF-8 system is shown with a stand-in but read; a file the
    // system refuses to open (root too may not read a write-only kernel setting) is an
    // error row; a link to nothing is passed over.
    const QByteArray folder = QFile::encodeName(files() + "latin");
    ASSERT_TRUE(QDir().mkpath(files() + "latin"));
    const QByteArray latin = folder + "/K\xE4se.mmf";
    FILE* out = std::fopen(latin.constData(), "wb");
    ASSERT_NE(out, nullptr);
    const QByteArray text = mmRecipe("Aus Latin-1");
    std::fwrite(text.constData(), 1, std::size_t(text.size()), out);
    std::fclose(out);
    ASSERT_EQ(::symlink("/nirgends/da", (folder + "/weg.mmf").constData()), 0);
    const char* refused = "/proc/sys/vm/drop_caches";
    const bool canRefuse = QFileInfo(refused).isFile() && !QFile(refused).open(QIODevice::ReadOnly);
    if (canRefuse) {
        ASSERT_EQ(::symlink(refused, (folder + "/gesperrt.mmf").constData()), 0);
    }

    import(files() + "latin/", 1, canRefuse);
    EXPECT_EQ(count("select count(*) from rezepte where rname='Aus Latin-1'"), 1);
    const QString shown = files() + "latin/" + QFile::decodeName("K\xE4se.mmf");
    EXPECT_TRUE(fileRows().contains(QStringLiteral("%1 %2").arg(count("select did from rezepte where rname='Aus Latin-1'")).arg(shown)));
    if (canRefuse) {
        EXPECT_EQ(errorRows(), QStringList(files() + "latin/gesperrt.mmf||Datei : Fehler 'Die Datei kann nicht geöffnet "
                                                     "werden: " + files() + "latin/gesperrt.mmf (keine Berechtigung)'"));
    } else {
        EXPECT_TRUE(errorRows().isEmpty());
    }
    // The test folder's cleanup reaches files by their names as text only.
    ::unlink(latin.constData());
}

TEST_F(Driver, AFileImportedBeforeIsReadAgainOnlyWhenTheUserSaysSo)
{
    const QString file = write("eins.mmf", mmRecipe("Eins"));
    import(file);
    skipexisting = false;
    const QString question = "Die Datei '" + file + "' wurde schon einmal importiert.";
    dialogs.expect(question, ui::Answer::No).withStyle(ui::YesNo);
    import(file);
    EXPECT_EQ(count("select count(*) from rezepte where rname='Eins'"), 1);
    dialogs.expect(question, ui::Answer::Yes);
    import(file);
    EXPECT_EQ(count("select count(*) from rezepte where rname='Eins'"), 2);
    EXPECT_EQ(count("select count(*) from importdateien where did>1 and \"check\"=0"), 3) << "every row of the file";
}

TEST_F(Driver, TheHandOverFileIsPrivateUtf8AndNamedByTheTimeOfTheImport)
{
    const QString handOver = exchange::handOverFile();
    ASSERT_FALSE(handOver.isEmpty());
    const QString folder = QFileInfo(handOver).absolutePath();
    EXPECT_TRUE(folder.startsWith(paths::tempFolder()));
    EXPECT_EQ(QFileInfo(folder).permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                   QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    QFile file(handOver);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(mmRecipe("Gr\xC3\xBC\xC3\x9F" "e aus der Newsgroup"));
    file.close();

    import(exchange::kHandOverName);
    EXPECT_EQ(ui.idat.last(), handOver);
    const QStringList rows = fileRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_TRUE(QRegularExpression("^302 Newsgroup-Import \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$")
                    .match(rows[0])
                    .hasMatch())
        << rows[0].toStdString();
    EXPECT_EQ(count(QString::fromUtf8("select count(*) from rezepte where rname='Grüße aus der Newsgroup'")), 1);
    EXPECT_EQ(getreg(reg::importpfad), paths::homeFolder() + u'/');
}

}  // namespace kv::test
