// The files the program ships: the delivered cookbook must open as a cookbook and
// hold everything the program relies on; the exception words must fit where the editor
// keeps them; the print-settings database must be made whole or not at all.

#include "platform/db/database.h"
#include "platform/textreplace/excllist.h"
#include "printing/printsettingsdb.h"
#include "tests/support/testenv.h"
#include "tests/support/writedenied.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

using kv::db::Database;
using kv::db::FieldDef;
using kv::db::FieldType;
using kv::db::IndexDef;
using kv::db::Statement;

namespace {

QString shipped(const QString& name)
{
    return QStringLiteral(KELVOR_SHIPPED_DIR "/") + name;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

qint64 count(Database& db, const QString& sql)
{
    return db.scalar(sql).toLongLong();
}

// No row of `rows` ("table where ...").
void expectNone(Database& db, const char* rows)
{
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from ") + QString::fromUtf8(rows)), 0) << rows;
}

std::optional<FieldDef> fieldOf(Database& db, const QString& table, const QString& name)
{
    return db.field(table, name);
}

std::optional<IndexDef> findIndex(const std::vector<IndexDef>& indexes, const QString& name)
{
    for (const IndexDef& index : indexes)
        if (index.name.compare(name, Qt::CaseInsensitive) == 0) return index;
    return std::nullopt;
}

class ShippedCookbook : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString folder = env.copyShippedCookbook(QStringLiteral("kochbuch"));
        db = Database::open(folder + QStringLiteral("kelvor-daten.mdb"));
        ASSERT_TRUE(db);
    }

    kv::test::TestEnvironment env;
    std::unique_ptr<Database> db;
};

TEST_F(ShippedCookbook, IsACompleteCookbookWithADisplayName)
{
    EXPECT_FALSE(QFileInfo::exists(shipped(QStringLiteral("kochbuch/kelvor-daten.mdb-wal"))));
    EXPECT_FALSE(QFileInfo::exists(shipped(QStringLiteral("kochbuch/kelvor-daten.mdb-journal"))));
    auto candidate = Database::openCandidate(shipped(QStringLiteral("kochbuch/kelvor-daten.mdb")));
    ASSERT_TRUE(candidate);
    EXPECT_EQ(candidate->recordCount(QStringLiteral("kochbuchname")), 1);
    EXPECT_FALSE(db->scalar(QStringLiteral("select bname from kochbuchname")).toString().trimmed().isEmpty());
}

// The upgrade steps test these shapes whatever the changelog says: another shape would
// rebuild or reconvert a table at the first start.
TEST_F(ShippedCookbook, HasTheShapesTheUpgradeStepsLeaveBehind)
{
    EXPECT_EQ(db->fields(QStringLiteral("einheiten")).size(), 10u);
    EXPECT_EQ(db->indexCount(QStringLiteral("einheiten")), 2);
    EXPECT_EQ(fieldOf(*db, "rep-korbliste", "nr")->type, FieldType::Integer);
    EXPECT_NE(fieldOf(*db, "importdateien", "did")->attributes, kv::db::dbAutoIncrField | kv::db::dbFixedField);
    EXPECT_EQ(fieldOf(*db, "umlaute", "alt")->size, 3);
    EXPECT_EQ(fieldOf(*db, "umlaute", "alttext")->size, 15);
    EXPECT_TRUE(fieldOf(*db, "editzutat", "men")->allowZeroLength);
    EXPECT_TRUE(fieldOf(*db, "editzutat", "ename")->allowZeroLength);
    // The first start builds the search indexes only while rezepte has none.
    EXPECT_EQ(db->indexCount(QStringLiteral("rezepte")), 0);
}

TEST_F(ShippedCookbook, ChangelogListsEveryStepButTheIndexBuild)
{
    std::multiset<qint64> steps;
    Statement st(*db, QStringLiteral("select changed from changelog"));
    while (st.step()) steps.insert(st.int64(0));
    EXPECT_EQ(steps, (std::multiset<qint64>{100, 101, 103, 104, 106, 110, 111, 112}));
}

// What the first start does: every listed index that is not there yet, built on the
// delivered rows.
TEST_F(ShippedCookbook, IndexDefinitionsAreUniqueAndBuildOnTheDeliveredRows)
{
    expectNone(*db, "(select indid from [-indizes] group by indid having count(*) > 1)");
    expectNone(*db, "(select 1 from [-indizes] group by lower(tabelle), lower(indexname) having count(*) > 1)");
    expectNone(*db, "[-indexfelder] where indid not in (select indid from [-indizes])");
    Statement defs(*db, QStringLiteral("select indid, tabelle, indexname, \"Primary\" from [-indizes] order by indid"));
    while (defs.step()) {
        IndexDef index{defs.text(2), {}, defs.int64(3) != 0, defs.int64(3) != 0};
        Statement fields(*db, QStringLiteral("select feldname from [-indexfelder] where indid = ? order by fnr"));
        fields.bind(1, defs.int64(0));
        while (fields.step()) index.fields.append(fields.text(0));
        const std::string name = (defs.text(1) + "." + index.name).toStdString();
        EXPECT_FALSE(index.fields.isEmpty()) << name;
        if (!findIndex(db->indexes(defs.text(1)), index.name)) {
            EXPECT_NO_THROW(db->createIndex(defs.text(1), index)) << name;
        }
    }
    // The ingredient search reads the recipes of a name from this index alone.
    const std::optional<IndexDef> zutidrid = findIndex(db->indexes(QStringLiteral("zutaten")), QStringLiteral("zutidrid"));
    ASSERT_TRUE(zutidrid);
    EXPECT_EQ(zutidrid->fields, (QStringList{"zutid", "rid"}));
}

TEST_F(ShippedCookbook, HoldsTheRowsWithAFixedMeaning)
{
    EXPECT_EQ(db->scalar(QStringLiteral("select dname from importdateien where did = 0")).toString(),
              QStringLiteral("Alle"));
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from hauptkat where kid = 0")), 1);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from komment where komid = 0")), 1);
    EXPECT_EQ(db->scalar(QStringLiteral("select aname from auswahlen where aid = 1")).toString(),
              QStringLiteral("Schnellauswahl"));
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from zutindex where zutat = '-'")), 1);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from [rep-mbesch] where aname = 'NEU'")), 1);
    // The unit whose amounts are never scaled, kept out of the units list.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from einheiten where eid = 115 and ename = 'x' and "
                                        "ekurz = '$$' and mmunit = 0")),
              1);

    const QVariant root = db->scalar(
        QStringLiteral("select sid from stichworte where ebene = 0 and subsid = 0 and stichwort = 'Eigene Stichworte'"));
    ASSERT_TRUE(root.isValid());
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from substich where sid = %1 and subsid = %1")
                             .arg(root.toLongLong())),
              1);
}

TEST_F(ShippedCookbook, EveryRecipeIsComplete)
{
    EXPECT_GE(db->recordCount(QStringLiteral("rezepte")), 10);
    for (const char* rows : {
             "rezepte where rid not in (select rid from zutaten)",
             "rezepte r where (select count(*) from zubereit z where z.rid = r.rid and length(trim(z.ztext)) > 0) <> 1",
             "rezepte where port is null or port < 1",
             "rezepte where kid not in (select kid from hauptkat)",
             "rezepte where komid is not null and komid not in (select komid from komment)",
             "rezepte where did not in (select did from importdateien)",
             // Heading lines stand without amount or unit; no two lines of a part share a number.
             "zutaten where nr = 0 and (menge is not null or eid is not null)",
             "(select rid, tid, nr from zutaten group by rid, tid, nr having count(*) > 1)",
         })
        expectNone(*db, rows);
}

TEST_F(ShippedCookbook, HasNoOrphanRows)
{
    for (const char* rows : {
             "zutaten where zutid not in (select zutid from zutindex)",
             "zutaten where eid is not null and eid not in (select eid from einheiten)",
             "zutaten where rid not in (select rid from rezepte)",
             "zubereit where rid not in (select rid from rezepte)",
             "zutimp where zutid not in (select zutid from zutindex)",
             "zutmehrzahl where zutid not in (select zutid from zutindex)",
             "rezstich where sid not in (select sid from stichworte)",
             "rezstich where rid not in (select rid from rezepte)",
             "impstich where sid not in (select sid from stichworte)",
             "impkat where kid not in (select kid from hauptkat)",
             "impeinheit where eid is not null and eid not in (select eid from einheiten)",
             "rezinaus where rid not in (select rid from rezepte) or aid not in (select aid from auswahlen)",
             "rezinmen where rid not in (select rid from rezepte) or mid not in (select mid from menues)",
             "substich where sid not in (select sid from stichworte) or subsid not in (select sid from stichworte)",
             "stichworte where subsid > 0 and subsid not in (select sid from stichworte)",
         })
        expectNone(*db, rows);
}

TEST_F(ShippedCookbook, KeywordTreeAndItsPairsAgree)
{
    for (const char* rows : {
             // Every placed keyword pairs with itself and its parent pairs with it; no other pairs.
             "stichworte s where ebene is not null and not exists "
             "(select 1 from substich p where p.sid = s.sid and p.subsid = s.sid)",
             "stichworte s where subsid > 0 and not exists "
             "(select 1 from substich p where p.sid = s.subsid and p.subsid = s.sid)",
             "substich p where p.sid <> p.subsid and not exists "
             "(select 1 from stichworte s where s.sid = p.subsid and s.subsid = p.sid)",
             // Depth follows the parent.
             "stichworte c join stichworte p on p.sid = c.subsid where c.subsid > 0 and c.ebene <> p.ebene + 1",
             "stichworte where subsid = 0 and ebene <> 0",
         })
        expectNone(*db, rows);
}

TEST_F(ShippedCookbook, CategoryKeysFitTheImportLookup)
{
    // The import compares the first eight characters of a category, trimmed and without
    // regard to case, so two keys must differ in more than case.
    expectNone(*db, "impkat where length(kimport) > 8 or kimport <> trim(kimport)");
    expectNone(*db, "(select kimport from impkat group by kimport having count(*) > 1)");
}

TEST_F(ShippedCookbook, TextComparesAsTheProgramExpects)
{
    // Case-insensitive for German letters, and the old wildcards in like.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from hauptkat where kname = 'GEFLÜGEL'")), 1);
    EXPECT_GE(count(*db, QStringLiteral("select count(*) from rezepte where rname like '*SUPPE*'")), 1);
}

// The list files' formats are proven by their readers' tests on these very files; the
// maintenance editor keeps each exception word in a column 15 characters wide.
TEST(ShippedLists, ExceptionWordsFitTheUmlautTable)
{
    const std::vector<kv::text::ExclWord> words = kv::text::readExclList(bytesOf(shipped(QStringLiteral("ExclList.txt"))));
    ASSERT_GE(words.size(), 10u);
    for (const kv::text::ExclWord& word : words) EXPECT_LE(word.alttext.size(), 15) << word.alttext.toStdString();
}

TEST(ShippedFiles, LogoAndHelpAreThere)
{
    QImage image(shipped(QStringLiteral("kelvor-logo.bmp")));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(200, 60));

    QFile help(shipped(QStringLiteral("kelvor-hilfe.html")));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(help.readAll());
    EXPECT_TRUE(html.contains(QStringLiteral("<html")));
}

TEST(PrintSettingsDb, RefusesToReplaceACompleteFile)
{
    kv::test::TestEnvironment env;
    kv::createprintsettingsdb();
    {
        auto db = Database::open(kv::printsettingsPath());
        db->execute(QStringLiteral("insert into choices (cid, cname) values (1, 'Heft')"));
    }
    const QByteArray before = bytesOf(kv::printsettingsPath());
    EXPECT_TRUE(kv::printsettingsComplete());
    EXPECT_THROW(kv::createprintsettingsdb(), kv::db::DbError);
    EXPECT_EQ(bytesOf(kv::printsettingsPath()), before);
    auto db = Database::open(kv::printsettingsPath());
    EXPECT_EQ(db->recordCount(QStringLiteral("choices")), 2);
}

// What a start killed while creating the file, or a damaged disk, leaves behind.
TEST(PrintSettingsDb, AnIncompleteFileIsCompleted)
{
    kv::test::TestEnvironment env;
    const QString path = kv::printsettingsPath();
    const std::vector<std::pair<const char*, std::function<void()>>> leftovers = {
        {"zero bytes, a stale temporary file and log",
         [&] {
             writeBytes(path, {});
             writeBytes(path + QStringLiteral("-wal"), "kein Protokoll");
             writeBytes(path + QStringLiteral(".tmp"), "halb");
         }},
        {"a database without tables",
         [&] { Database::create(path)->execute(QStringLiteral("PRAGMA user_version=1")); }},
        {"only one of the two tables",
         [&] { Database::create(path)->execute(QStringLiteral("create table choices (cid LONG)")); }},
        {"no database at all", [&] { writeBytes(path, QByteArray(4096, 'x')); }},
    };
    for (const auto& [what, leave] : leftovers) {
        SCOPED_TRACE(what);
        leave();
        ASSERT_TRUE(QFileInfo::exists(path));
        EXPECT_FALSE(kv::printsettingsComplete());

        ASSERT_NO_THROW(kv::createprintsettingsdb());
        EXPECT_TRUE(kv::printsettingsComplete());
        {
            auto db = Database::open(path);
            EXPECT_EQ(db->scalar(QStringLiteral("select cname from choices where cid = 0")).toString(),
                      QStringLiteral("aktuelle Einstellungen"));
            EXPECT_EQ(db->recordCount(QStringLiteral("settings")), 0);
        }
        EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".tmp")));
        QFile::remove(path);
    }
}

// What the opening runs: a complete file is left as it is, a missing one made, and a
// program folder that may not be written is named before anything is tried there.
TEST(PrintSettingsDb, TheOpeningsStepMakesAMissingFileOnlyAndNamesAReadOnlyFolder)
{
    kv::test::TestEnvironment env;
    const QString path = kv::printsettingsPath();
    {
        const kv::test::WriteDenied denied(env.programFolder());
        try {
            kv::ensureprintsettingsdb();
            ADD_FAILURE() << "a read-only program folder was not reported";
        } catch (const kv::db::DbError& e) {
            EXPECT_TRUE(e.text().startsWith(QStringLiteral("Der Programmordner "))) << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(QStringLiteral("kelvor-printsettings.mdb"))) << e.text().toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".tmp")));
    }

    ASSERT_NO_THROW(kv::ensureprintsettingsdb());
    EXPECT_TRUE(kv::printsettingsComplete());
    Database::open(path)->execute(QStringLiteral("insert into choices (cid, cname) values (1, 'Heft')"));
    const QByteArray before = bytesOf(path);

    // A complete file needs nothing, even where the folder may no longer be written.
    const kv::test::WriteDenied denied(env.programFolder());
    ASSERT_NO_THROW(kv::ensureprintsettingsdb());
    EXPECT_EQ(bytesOf(path), before);
}

TEST(PrintSettingsDb, AFailedCreationLeavesNoTemporaryAndNoHalfFile)
{
    kv::test::TestEnvironment env;
    const QString path = kv::printsettingsPath();
    // A folder where the temporary file's log belongs: SQLite fails after it has made the file.
    ASSERT_TRUE(QDir().mkpath(path + QStringLiteral(".tmp-wal/belegt")));

    EXPECT_THROW(kv::createprintsettingsdb(), kv::db::DbError);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".tmp")));

    // An incomplete file stays as it was until a whole one can take its place.
    writeBytes(path, {});
    EXPECT_THROW(kv::createprintsettingsdb(), kv::db::DbError);
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".tmp")));
}

}  // namespace
