// What the windows after an import read and change, without a window: the error list's
// entries and file, and the merge of imported-files entries. The error detail and the
// category assignment are seen through their windows.

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
    void addError(qint64 errid, qint64 did, const QString& rname)
    {
        db().execute(QStringLiteral("insert into importerrors (errid, did, rname, etext) values (?, ?, ?, 'e')"),
                     {errid, did, rname});
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
    addError(7, 400, "Suppe");
    addError(8, 400, "Brot");
    addError(9, 401, "Kuchen");
    // A folder that could not be read belongs to no file; one started as a file has one.
    addError(10, 0, files() + QStringLiteral("gesperrt/"));
    addFileRow(402, files() + QStringLiteral("ordner/"));
    addError(11, 402, "");
    EXPECT_EQ(exchange::importErrorEntries(db()),
              QList<ListEntry>({{7, "7 - kochen.txt"},
                                {8, "8 - kochen.txt"},
                                {9, "9 - " + newsgroup},
                                {10, "10 - " + files() + "gesperrt/"},
                                {11, "11 - ordner/"}}));
}

TEST_F(ImportLists, OnlyAnExistingImportedFileIsOffered)
{
    const QString withBlanks = write(QStringLiteral("mit Leerzeichen/alte Rezepte.txt"), "x");
    addFileRow(400, withBlanks);
    addFileRow(401, files() + QStringLiteral("weg.txt"));
    addFileRow(402, QStringLiteral("Newsgroup-Import 01.02.2025 10:11:12"));
    addFileRow(403, files());
    addError(1, 400, "A");
    addError(2, 401, "B");
    addError(3, 402, "C");
    addError(4, 0, files());
    addError(5, 403, "");

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

TEST_F(ImportLists, AMergeTakesTheLargestIdPlusOneAndAFailedOneLeavesEverythingAsItWas)
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

    // The second entry's row cannot go, after the first entry's recipes have moved.
    db().execute("create trigger nein before delete on importdateien when old.did = 306 "
                 "begin select raise(abort, 'gesperrt'); end");
    const QStringList rows = fileRows();
    const QStringList recipes = recipeFiles();
    EXPECT_THROW(exchange::mergeImportFiles(db(), QStringLiteral("Sammlung"), {305, 306}), db::DbError);
    EXPECT_EQ(fileRows(), rows);
    EXPECT_EQ(recipeFiles(), recipes);

    db().execute("drop trigger nein");
    EXPECT_EQ(exchange::mergeImportFiles(db(), QStringLiteral("Sammlung"), {305, 306}), 321);
    EXPECT_EQ(fileRows(), QStringList({"0 Alle 0", "1 Beispielrezepte 0", "307 daneben 0", "320 groß 0",
                                       "321 Sammlung 1"}));
    EXPECT_EQ(recipeFiles(), QStringList({"1:14", "307:2", "320:1", "321:15"}));
    EXPECT_EQ(exchange::importFileEntries(db()),
              QList<ListEntry>({{1, "Beispielrezepte"}, {307, "daneben"}, {320, "groß"}, {321, "Sammlung"}}));
}

}  // namespace kv::test
