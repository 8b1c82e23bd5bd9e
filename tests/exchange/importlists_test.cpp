// What the windows after an import read and change, without a window: the error list's
// entries, detail and file, the category assignment's lists and next entry, and the
// merge of imported-files entries.

#include "exchange/importlists.h"
#include "tests/exchange/importfixture.h"

namespace kv::test {

namespace {

using exchange::ErrorFile;
using exchange::ListEntry;

class ImportLists : public ImportTest {
protected:
    void addFileRow(qint64 did, const QString& name)
    {
        db().execute(QStringLiteral("insert into importdateien (did, dname) values (?, ?)"), {did, name});
    }
    void addError(qint64 errid, qint64 did, const QString& rname, const QString& etext, const QString& rtext)
    {
        db().execute(QStringLiteral("insert into importerrors (errid, did, rname, etext) values (?, ?, ?, ?)"),
                     {errid, did, rname, etext});
        db().execute(QStringLiteral("insert into importerrtexte (errid, rtext) values (?, ?)"), {errid, rtext});
    }
    // Recipes filed under an imported-files entry.
    void addRecipes(qint64 did, int n)
    {
        for (int i = 0; i < n; ++i)
            db().execute(QStringLiteral("insert into rezepte (rname, port, did, kid) values (?, 4, ?, 1)"),
                         {QStringLiteral("R %1-%2").arg(did).arg(i), did});
    }
    QStringList fileRows()
    {
        QStringList rows;
        db::Statement st(db(), QStringLiteral("select did, dname, \"check\" from importdateien order by did"));
        while (st.step()) rows << QStringLiteral("%1 %2 %3").arg(st.int64(0)).arg(st.text(1)).arg(st.int64(2));
        return rows;
    }
    QStringList recipeFiles()
    {
        QStringList rows;
        db::Statement st(db(), QStringLiteral("select did, count(*) from rezepte group by did order by did"));
        while (st.step()) rows << QStringLiteral("%1:%2").arg(st.int64(0)).arg(st.int64(1));
        return rows;
    }
};

}  // namespace

TEST_F(ImportLists, ErrorEntriesNameTheFileWithoutItsFolderAndOtherNamesWhole)
{
    const QString newsgroup = QStringLiteral("Newsgroup-Import 01.02.2025 10:11:12");
    addFileRow(400, files() + QStringLiteral("kochen.txt"));
    addFileRow(401, newsgroup);
    addError(7, 400, "Suppe", "Zutaten : Fehler 'x'", "");
    addError(8, 400, "Brot", "Zutaten : Fehler 'y'", "");
    addError(9, 401, "Kuchen", "Titel : Fehler 'z'", "");
    // A folder that could not be read belongs to no file; one started as a file has one.
    addError(10, 0, files() + QStringLiteral("gesperrt/"), "Verzeichnis : Fehler 'w'", "");
    addFileRow(402, files() + QStringLiteral("ordner/"));
    addError(11, 402, "", "Datei : Fehler 'v'", "");
    EXPECT_EQ(exchange::importErrorEntries(db()),
              QList<ListEntry>({{7, "7 - kochen.txt"},
                                {8, "8 - kochen.txt"},
                                {9, "9 - " + newsgroup},
                                {10, "10 - " + files() + "gesperrt/"},
                                {11, "11 - ordner/"}}));
}

TEST_F(ImportLists, ErrorDetailOfABrokenFileHasTitleErrorAndRawTextAndClearingEmptiesBothTables)
{
    const QString broken = write(QStringLiteral("kaputt.mmf"),
                                 "MMMMM----- Recipe via Meal-Master (tm) v8.02\n      Title: Halbes Brot\n"
                                 " Categories: Brot\n   Servings: 2\n\n      1 c  Mehl\n");
    import(broken, 0, true);
    const QList<ListEntry> entries = exchange::importErrorEntries(db());
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].text, QString::number(entries[0].id) + " - kaputt.mmf");

    const QString etext = db().scalar("select etext from importerrors").toString();
    const QString rtext = db().scalar("select rtext from importerrtexte").toString();
    EXPECT_TRUE(etext.contains("Die Datei endet in der Zutatenliste (Zeile 6).")) << etext.toStdString();
    EXPECT_TRUE(rtext.startsWith("      Title: Halbes Brot\r\n")) << rtext.toStdString();
    EXPECT_EQ(exchange::importErrorDetail(db(), entries[0].id),
              "Rezept : Halbes Brot" + linebreak + "Fehler : " + etext + linebreak + linebreak + rtext);
    EXPECT_EQ(exchange::importErrorDetail(db(), entries[0].id + 1), "");

    exchange::clearImportErrors(db());
    EXPECT_EQ(count("select count(*) from importerrors"), 0);
    EXPECT_EQ(count("select count(*) from importerrtexte"), 0);
    EXPECT_TRUE(exchange::importErrorEntries(db()).isEmpty());
}

TEST_F(ImportLists, OnlyAnExistingImportedFileIsOffered)
{
    const QString withBlanks = write(QStringLiteral("mit Leerzeichen/alte Rezepte.txt"), "x");
    addFileRow(400, withBlanks);
    addFileRow(401, files() + QStringLiteral("weg.txt"));
    addFileRow(402, QStringLiteral("Newsgroup-Import 01.02.2025 10:11:12"));
    addFileRow(403, files());
    addError(1, 400, "A", "e", "");
    addError(2, 401, "B", "e", "");
    addError(3, 402, "C", "e", "");
    addError(4, 0, files(), "e", "");
    addError(5, 403, "", "e", "");

    EXPECT_EQ(exchange::importErrorFile(db(), 1).kind, ErrorFile::File);
    EXPECT_EQ(exchange::importErrorFile(db(), 1).path, withBlanks);
    const ErrorFile gone = exchange::importErrorFile(db(), 2);
    EXPECT_EQ(gone.kind, ErrorFile::Missing);
    EXPECT_EQ(exchange::errorFileMessage(gone), "Die Datei '" + files() + "weg.txt' gibt es nicht mehr.");
    for (const qint64 errid : {3, 4, 5}) {
        const ErrorFile none = exchange::importErrorFile(db(), errid);
        EXPECT_EQ(none.kind, ErrorFile::NotAFile) << errid;
        EXPECT_TRUE(exchange::errorFileMessage(none).contains("Es gibt keine Datei zum Bearbeiten."));
    }
    EXPECT_EQ(exchange::importErrorFile(db(), 99).kind, ErrorFile::None);
}

TEST_F(ImportLists, RecipesWithoutCategoryByTitleAndEveryCategoryButTheFirstRow)
{
    db().execute("update rezepte set kid = null where rname in ('Ratatouille', 'Hefezopf')");
    db().execute("update rezepte set kid = 0 where rname = 'Kräuterquark'");
    const QList<ListEntry> recipes = exchange::recipesWithoutCategory(db());
    ASSERT_EQ(recipes.size(), 2);
    EXPECT_EQ(recipes[0].text, "Hefezopf");
    EXPECT_EQ(recipes[1].text, "Ratatouille");

    const QList<ListEntry> categories = exchange::categoriesOffered(db());
    EXPECT_EQ(qint64(categories.size()), count("select count(*) from hauptkat") - 1);
    EXPECT_TRUE(std::none_of(categories.begin(), categories.end(), [](const ListEntry& e) { return e.id == 0; }));
    EXPECT_TRUE(std::is_sorted(categories.begin(), categories.end(), [](const ListEntry& a, const ListEntry& b) {
        return QString::localeAwareCompare(a.text, b.text) < 0;
    }));

    exchange::assignCategory(db(), recipes[0].id, 12);
    EXPECT_EQ(count(QStringLiteral("select kid from rezepte where rid = %1").arg(recipes[0].id)), 12);
}

TEST_F(ImportLists, TheNextEntryFollowsTheRemovedOneOrIsTheNewLast)
{
    EXPECT_EQ(exchange::nextSelection(0, 3), 0);
    EXPECT_EQ(exchange::nextSelection(1, 3), 1);
    EXPECT_EQ(exchange::nextSelection(2, 3), 1);
    EXPECT_EQ(exchange::nextSelection(0, 1), -1);
}

TEST_F(ImportLists, AMergeTakesTheLargestIdPlusOneSoNoRecipeJoinsAnotherEntry)
{
    // Stored out of id order: the row stored last is 306, and 307 is in use.
    addFileRow(307, QStringLiteral("daneben"));
    addFileRow(320, QStringLiteral("groß"));
    addFileRow(305, QStringLiteral("zehn"));
    addFileRow(306, QStringLiteral("fünf"));
    addRecipes(305, 10);
    addRecipes(306, 5);
    addRecipes(307, 2);
    addRecipes(320, 1);

    EXPECT_EQ(exchange::mergeImportFiles(db(), QStringLiteral("Sammlung"), {305, 306}), 321);
    EXPECT_EQ(fileRows(), QStringList({"0 Alle 0", "1 Beispielrezepte 0", "307 daneben 0", "320 groß 0",
                                       "321 Sammlung 1"}));
    EXPECT_EQ(recipeFiles(), QStringList({"1:14", "307:2", "320:1", "321:15"}));
    EXPECT_EQ(exchange::importFileEntries(db()),
              QList<ListEntry>({{1, "Beispielrezepte"}, {307, "daneben"}, {320, "groß"}, {321, "Sammlung"}}));
}

TEST_F(ImportLists, AFailingMergeLeavesEverythingAsItWas)
{
    addFileRow(305, QStringLiteral("zehn"));
    addFileRow(306, QStringLiteral("fünf"));
    addRecipes(305, 10);
    addRecipes(306, 5);
    // The second entry's row cannot go, after the first entry's recipes have moved.
    db().execute("create trigger nein before delete on importdateien when old.did = 306 "
                 "begin select raise(abort, 'gesperrt'); end");
    const QStringList rows = fileRows();
    const QStringList recipes = recipeFiles();
    EXPECT_THROW(exchange::mergeImportFiles(db(), QStringLiteral("Sammlung"), {305, 306}), db::DbError);
    EXPECT_EQ(fileRows(), rows);
    EXPECT_EQ(recipeFiles(), recipes);
}

}  // namespace kv::test
