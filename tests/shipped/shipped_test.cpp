// The files the program ships: the delivered cookbook must open as a cookbook and
// hold everything the program relies on; the list files must be readable in their
// formats; the print-settings database must come out as the print form reads it.

#include "platform/db/database.h"
#include "printing/printsettingsdb.h"
#include "tests/support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

using kv::db::Database;
using kv::db::FieldDef;
using kv::db::FieldType;
using kv::db::IndexDef;
using kv::db::RecordsetType;
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

TEST_F(ShippedCookbook, IsACookbookWithADisplayName)
{
    ASSERT_TRUE(db->hasTable(QStringLiteral("kochbuchname")));
    EXPECT_EQ(db->recordCount(QStringLiteral("kochbuchname")), 1);
    EXPECT_FALSE(db->scalar(QStringLiteral("select bname from kochbuchname")).toString().trimmed().isEmpty());
    EXPECT_FALSE(db->scalar(QStringLiteral("select binfo from kochbuchname")).toString().isEmpty());
}

TEST_F(ShippedCookbook, IsCompleteWithoutCompanionFiles)
{
    EXPECT_FALSE(QFileInfo::exists(shipped(QStringLiteral("kochbuch/kelvor-daten.mdb-wal"))));
    EXPECT_FALSE(QFileInfo::exists(shipped(QStringLiteral("kochbuch/kelvor-daten.mdb-journal"))));
    auto candidate = Database::openCandidate(shipped(QStringLiteral("kochbuch/kelvor-daten.mdb")));
    ASSERT_TRUE(candidate);
    EXPECT_TRUE(candidate->hasTable(QStringLiteral("kochbuchname")));
}

TEST_F(ShippedCookbook, HoldsEveryTableWithTheColumnsTheProgramUses)
{
    const std::map<QString, QStringList> tables = {
        {"rezepte", {"rid", "rname", "port", "ungenau", "kid", "komid", "did"}},
        {"zutaten", {"rid", "tid", "nr", "eid", "menge", "zutid"}},
        {"zubereit", {"rid", "ztext"}},
        {"zutindex", {"zutid", "zutat"}},
        {"zutimp", {"zutat", "zutid"}},
        {"zutmehrzahl", {"zutid"}},
        {"einheiten", {"eid", "ename", "ekurz", "elang", "sprache", "mmunit", "mmscale", "mmorder", "scaleup",
                       "scaledown"}},
        {"impeinheit", {"eid", "ename", "ekurz"}},
        {"hauptkat", {"kid", "kname"}},
        {"impkat", {"kimport", "kid"}},
        {"komment", {"komid", "komment"}},
        {"stichworte", {"sid", "stichwort", "subsid", "ebene"}},
        {"substich", {"sid", "subsid"}},
        {"rezstich", {"rid", "sid"}},
        {"impstich", {"sid", "istich"}},
        {"auswahlen", {"aid", "aname", "adat"}},
        {"rezinaus", {"aid", "rid", "rname", "katego", "port", "komid"}},
        {"menues", {"mid", "mname", "mdat", "mbesch"}},
        {"rezinmen", {"mid", "rid", "nr", "rname", "katego", "port"}},
        {"importdateien", {"did", "dname", "check"}},
        {"importsubdirs", {"subdir"}},
        {"importerrors", {"errid", "did", "rid", "rname", "etext"}},
        {"importerrtexte", {"errid", "rtext"}},
        {"erfasser", {}},
        {"quellen", {}},
        {"letztsuch", {"sid", "ssql", "stext"}},
        {"letztsuchrids", {"sid", "rid"}},
        {"suchzutat", {"zid", "typ"}},
        {"suchrids", {"typ", "rid"}},
        {"suchfound", {"rid"}},
        {"editzutat", {"nr", "men", "ename", "zut"}},
        {"rep-korbliste", {"aname", "adat", "rid", "rname", "p", "port", "ungen", "ztext", "tid", "nr", "eval",
                           "ename", "men", "zname", "rnr"}},
        {"rep-einkauf", {"aname", "adat", "rid", "rname", "p", "port", "ungen", "ztext", "tid", "nr", "eval",
                         "ename", "men", "zname"}},
        {"rep-mbesch", {"aname", "mbesch"}},
        {"rep-einkaufsliste", {}},
        {"umlaute", {"alt", "neu", "alttext"}},
        {"kochbuchname", {"bname", "binfo"}},
        {"changelog", {"changed"}},
        {"-indizes", {"indid", "tabelle", "indexname", "Primary"}},
        {"-indexfelder", {"indid", "feldname", "fnr"}},
        {"html", {}},
        {"-löschtabellen", {}},
    };
    for (const auto& [table, columns] : tables) {
        SCOPED_TRACE(table.toStdString());
        ASSERT_TRUE(db->hasTable(table));
        for (const QString& column : columns)
            EXPECT_TRUE(fieldOf(*db, table, column).has_value()) << column.toStdString();
        // Every table is readable as the program reads it, hyphen or not.
        EXPECT_NO_THROW(db->scalar(QStringLiteral("select count(*) from [%1]").arg(table)));
    }
    // Made later by the duplicate removal itself.
    EXPECT_FALSE(db->hasTable(QStringLiteral("duprez")));
}

TEST_F(ShippedCookbook, ColumnsHaveTheTypesTheUpgradeStepsLeaveBehind)
{
    // Steps that look at these types would otherwise rebuild or reconvert tables.
    EXPECT_EQ(db->fields(QStringLiteral("einheiten")).size(), 10u);
    EXPECT_EQ(db->fields(QStringLiteral("rep-korbliste")).size(), 15u);
    EXPECT_EQ(fieldOf(*db, "rep-korbliste", "nr")->type, FieldType::Integer);
    EXPECT_EQ(fieldOf(*db, "rep-korbliste", "rnr")->type, FieldType::Long);
    const FieldDef did = *fieldOf(*db, "importdateien", "did");
    EXPECT_EQ(did.type, FieldType::Long);
    EXPECT_NE(did.attributes, kv::db::dbAutoIncrField | kv::db::dbFixedField);
    EXPECT_EQ(fieldOf(*db, "importdateien", "dname")->size, 255);
    EXPECT_EQ(fieldOf(*db, "importdateien", "check")->type, FieldType::Boolean);
    EXPECT_EQ(fieldOf(*db, "umlaute", "alt")->size, 3);
    EXPECT_EQ(fieldOf(*db, "umlaute", "neu")->size, 1);
    EXPECT_EQ(fieldOf(*db, "umlaute", "alttext")->size, 15);
    EXPECT_TRUE(fieldOf(*db, "editzutat", "men")->allowZeroLength);
    EXPECT_TRUE(fieldOf(*db, "editzutat", "ename")->allowZeroLength);
    EXPECT_EQ(fieldOf(*db, "rep-mbesch", "mbesch")->type, FieldType::Memo);
    EXPECT_EQ(fieldOf(*db, "importsubdirs", "subdir")->size, 255);

    EXPECT_EQ(fieldOf(*db, "einheiten", "elang")->size, 40);
    EXPECT_EQ(fieldOf(*db, "einheiten", "sprache")->type, FieldType::Long);
    EXPECT_EQ(fieldOf(*db, "einheiten", "mmunit")->type, FieldType::Boolean);
    EXPECT_EQ(fieldOf(*db, "einheiten", "mmscale")->type, FieldType::Byte);
    EXPECT_EQ(fieldOf(*db, "einheiten", "mmorder")->type, FieldType::Byte);
    EXPECT_EQ(fieldOf(*db, "einheiten", "scaleup")->type, FieldType::Single);
    EXPECT_EQ(fieldOf(*db, "einheiten", "scaledown")->type, FieldType::Single);
    EXPECT_EQ(fieldOf(*db, "changelog", "changed")->type, FieldType::Long);

    const int autoNumber = kv::db::dbAutoIncrField | kv::db::dbFixedField;
    for (const auto& [table, id] : std::vector<std::pair<QString, QString>>{{"rezepte", "rid"},
                                                                            {"zutindex", "zutid"},
                                                                            {"stichworte", "sid"},
                                                                            {"auswahlen", "aid"},
                                                                            {"menues", "mid"},
                                                                            {"letztsuch", "sid"},
                                                                            {"einheiten", "eid"}})
        EXPECT_EQ(fieldOf(*db, table, id)->attributes, autoNumber) << table.toStdString();
}

TEST_F(ShippedCookbook, CarriesOnlyTheKeysTheFirstStartDoesNotBuild)
{
    // The first start builds the search indexes only while rezepte has none.
    EXPECT_EQ(db->indexCount(QStringLiteral("rezepte")), 0);

    const auto units = db->indexes(QStringLiteral("einheiten"));
    EXPECT_EQ(units.size(), 2u);
    const std::optional<IndexDef> ekurz = findIndex(units, QStringLiteral("ekurz"));
    ASSERT_TRUE(ekurz);
    EXPECT_FALSE(ekurz->unique);
    EXPECT_EQ(ekurz->fields, QStringList{"ekurz"});

    const auto korb = db->indexes(QStringLiteral("rep-korbliste"));
    const std::optional<IndexDef> korbKey = findIndex(korb, QStringLiteral("PrimaryKey"));
    ASSERT_TRUE(korbKey);
    EXPECT_TRUE(korbKey->primary);
    EXPECT_EQ(korbKey->fields, (QStringList{"rid", "tid", "nr"}));

    for (const auto& [table, field] : std::vector<std::pair<QString, QString>>{
             {"importdateien", "did"}, {"hauptkat", "kid"}, {"stichworte", "sid"}}) {
        const std::optional<IndexDef> key = findIndex(db->indexes(table), QStringLiteral("PrimaryKey"));
        ASSERT_TRUE(key) << table.toStdString();
        EXPECT_TRUE(key->primary);
        EXPECT_EQ(key->fields, QStringList{field});
    }
    for (const char* table : {"zutindex", "zutimp", "impeinheit", "impstich", "zutaten"})
        EXPECT_EQ(db->indexCount(QString::fromUtf8(table)), 0) << table;
}

TEST_F(ShippedCookbook, ChangelogListsEveryStepButTheIndexBuild)
{
    std::multiset<qint64> steps;
    Statement st(*db, QStringLiteral("select changed from changelog"));
    while (st.step()) steps.insert(st.int64(0));
    EXPECT_EQ(steps, (std::multiset<qint64>{100, 101, 103, 104, 106, 110, 111}));
}

TEST_F(ShippedCookbook, IndexDefinitionsNameExistingTablesAndFields)
{
    std::set<qint64> ids;
    std::set<std::pair<QString, QString>> named;
    Statement defs(*db, QStringLiteral("select indid, tabelle, indexname from [-indizes]"));
    while (defs.step()) {
        const qint64 id = defs.int64(0);
        const QString table = defs.text(1);
        const QString name = defs.text(2);
        SCOPED_TRACE((table + "." + name).toStdString());
        EXPECT_TRUE(ids.insert(id).second) << "indid used twice";
        EXPECT_TRUE(named.insert({table.toLower(), name.toLower()}).second) << "index listed twice";
        ASSERT_TRUE(db->hasTable(table));

        Statement fields(*db, QStringLiteral("select feldname, fnr from [-indexfelder] where indid = ? order by fnr"));
        fields.bind(1, id);
        int n = 0;
        std::set<qint64> positions;
        while (fields.step()) {
            ++n;
            EXPECT_TRUE(fieldOf(*db, table, fields.text(0)).has_value()) << fields.text(0).toStdString();
            EXPECT_TRUE(positions.insert(fields.int64(1)).second);
        }
        EXPECT_GE(n, 1);
    }
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from [-indexfelder] where indid not in "
                                        "(select indid from [-indizes])")),
              0);

    for (const auto& [table, name] : std::vector<std::pair<QString, QString>>{{"rezepte", "rnam"},
                                                                              {"zutindex", "zutat"},
                                                                              {"zutimp", "zutat"},
                                                                              {"impeinheit", "en"},
                                                                              {"stichworte", "stich"},
                                                                              {"impstich", "is"},
                                                                              {"stichworte", "primarykey"},
                                                                              {"hauptkat", "primarykey"}})
        EXPECT_TRUE(named.count({table, name})) << (table + "." + name).toStdString();
}

TEST_F(ShippedCookbook, IndexDefinitionsBuildOnTheDeliveredRows)
{
    // What the first start does: every listed index that is not there yet.
    std::vector<std::pair<QString, IndexDef>> planned;
    {
        Statement defs(*db, QStringLiteral("select indid, tabelle, indexname, \"Primary\" from [-indizes] order by indid"));
        while (defs.step()) {
            IndexDef index;
            index.name = defs.text(2);
            index.primary = defs.int64(3) != 0;
            index.unique = index.primary;
            Statement fields(*db, QStringLiteral("select feldname from [-indexfelder] where indid = ? order by fnr"));
            fields.bind(1, defs.int64(0));
            while (fields.step()) index.fields.append(fields.text(0));
            planned.emplace_back(defs.text(1), index);
        }
    }
    int built = 0;
    for (const auto& [table, index] : planned) {
        if (findIndex(db->indexes(table), index.name)) continue;
        EXPECT_NO_THROW(db->createIndex(table, index)) << (table + "." + index.name).toStdString();
        ++built;
    }
    EXPECT_GT(built, 0);
    const std::optional<IndexDef> rnam = findIndex(db->indexes(QStringLiteral("rezepte")), QStringLiteral("rnam"));
    ASSERT_TRUE(rnam);
    EXPECT_EQ(rnam->fields, QStringList{"rname"});
    const std::optional<IndexDef> zutatenRid = findIndex(db->indexes(QStringLiteral("zutaten")), QStringLiteral("rid"));
    ASSERT_TRUE(zutatenRid);
    EXPECT_EQ(zutatenRid->fields, (QStringList{"rid", "tid", "nr"}));
    // The ingredient search reads the recipes of a name from this index alone.
    const std::optional<IndexDef> zutidrid = findIndex(db->indexes(QStringLiteral("zutaten")), QStringLiteral("zutidrid"));
    ASSERT_TRUE(zutidrid);
    EXPECT_EQ(zutidrid->fields, (QStringList{"zutid", "rid"}));
    const std::optional<IndexDef> stichKey = findIndex(db->indexes(QStringLiteral("stichworte")), QStringLiteral("PrimaryKey"));
    ASSERT_TRUE(stichKey);
    EXPECT_TRUE(stichKey->primary);
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

    const QVariant root = db->scalar(
        QStringLiteral("select sid from stichworte where ebene = 0 and subsid = 0 and stichwort = 'Eigene Stichworte'"));
    ASSERT_TRUE(root.isValid());
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from substich where sid = %1 and subsid = %1")
                             .arg(root.toLongLong())),
              1);
}

TEST_F(ShippedCookbook, HasTheStandardUnitsExactly)
{
    struct Unit {
        const char* ekurz;
        const char* ename;
        const char* elang;
        int mmscale, mmorder;
        double scaleup, scaledown;
    };
    const std::vector<Unit> expected = {
        {"sm", "kl", "kleine", 4, 1, 0, 0},          {"md", "mittl", "mittlere", 4, 2, 0, 0},
        {"lg", "gr", "groß", 4, 3, 0, 0},            {"fl", "fl oz", "Fluid Ounze", 9, 1, 0, 0},
        {"pt", "pt", "Pint 450 ml", 9, 2, 0, 0},     {"qt", "qt", "Quart 900 ml", 9, 3, 0, 0},
        {"ga", "gal", "Gallon 4 Liter", 9, 4, 0, 0}, {"mg", "mg", "Milligramm", 1, 1, 0.1, 0},
        {"cg", "1/100 gr", "100stel Gramm", 1, 2, 0.1, 10},
        {"dg", "1/10 gr ", "10tel Gramm", 1, 3, 0.1, 10},
        {"g", "g", "Gramm", 1, 4, 0.001, 10},        {"kg", "kg", "Kilogramm", 1, 5, 0, 1000},
        {"ml", "ml", "Milliliter", 2, 1, 0.1, 0},    {"cl", "cl", "Centiliter", 2, 2, 0.1, 10},
        {"dl", "dl", "Deziliter", 2, 3, 0.1, 10},    {"l", "l", "Liter", 2, 4, 0, 10},
        {"bn", "Bd", "Bund", 5, 1, 0, 0},            {"sl", "Sch", "Scheibe", 5, 2, 0, 0},
        {"c", "Ts", "Tasse", 5, 3, 0, 0},            {"pn", "Pr", "Prise", 7, 1, 0, 0},
        {"ds", "Sp", "Spur, Schuss", 7, 2, 0, 0},    {"dr", "Tr", "Tropfen", 7, 3, 0, 0},
        {"oz", "oz", "Ounze 30 g", 8, 1, 0, 0},      {"lb", "pound", "Pound 450 g", 8, 2, 0, 0},
        {"cn", "Ds", "Dose", 6, 1, 0, 0},            {"pk", "Pkg", "Packung", 6, 2, 0, 0},
        {"ct", "Kt", "Karton", 6, 3, 0, 0},          {"ts", "TL", "Teelöffel", 3, 1, 0, 0},
        {"tb", "EL", "Esslöffel", 3, 2, 0, 0},
    };
    Statement st(*db, QStringLiteral("select ekurz, ename, elang, mmscale, mmorder, scaleup, scaledown, sprache, "
                                     "mmunit from einheiten where eid <> 115 order by eid"));
    size_t i = 0;
    while (st.step()) {
        ASSERT_LT(i, expected.size());
        const Unit& u = expected[i++];
        SCOPED_TRACE(u.ekurz);
        // Compared case-sensitively: the texts are written exactly as listed.
        EXPECT_EQ(st.text(0), QString::fromUtf8(u.ekurz));
        EXPECT_EQ(st.text(1), QString::fromUtf8(u.ename));
        EXPECT_EQ(st.text(2), QString::fromUtf8(u.elang));
        EXPECT_EQ(st.int64(3), u.mmscale);
        EXPECT_EQ(st.int64(4), u.mmorder);
        EXPECT_FLOAT_EQ(float(st.value(5).toDouble()), float(u.scaleup));
        EXPECT_FLOAT_EQ(float(st.value(6).toDouble()), float(u.scaledown));
        EXPECT_EQ(st.int64(7), 1);
        EXPECT_EQ(st.int64(8), 1);
    }
    EXPECT_EQ(i, expected.size());
    // The unit whose amounts are never scaled: "x", kept out of the units list.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from einheiten where eid = 115 and ename = 'x' and "
                                        "ekurz = '$$' and mmunit = 0")),
              1);

    // Aliases: cb/ccm to ml, each and Stück to no unit.
    EXPECT_EQ(db->scalar(QStringLiteral("select e.ekurz from impeinheit i join einheiten e on e.eid = i.eid "
                                        "where i.ekurz = 'cb' and i.ename = 'ccm'"))
                  .toString(),
              QStringLiteral("ml"));
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from impeinheit where eid is null and "
                                        "((ekurz = 'ea' and ename = 'each') or (ekurz = 'St' and ename = 'Stück'))")),
              2);
}

TEST_F(ShippedCookbook, EveryRecipeIsComplete)
{
    EXPECT_GE(db->recordCount(QStringLiteral("rezepte")), 10);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from rezepte where rid not in (select rid from zutaten)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from rezepte r where (select count(*) from zubereit z "
                                        "where z.rid = r.rid and length(trim(z.ztext)) > 0) <> 1")),
              0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from rezepte where port is null or port < 1")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from rezepte where kid not in (select kid from hauptkat)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from rezepte where komid is not null and komid not in "
                                        "(select komid from komment)")),
              0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from rezepte where did not in (select did from importdateien)")),
              0);
    // Heading lines stand without amount or unit; lines number from 1 within their part.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from zutaten where nr = 0 and (menge is not null or eid is "
                                        "not null)")),
              0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (select rid, tid, nr from zutaten group by rid, tid, nr "
                                        "having count(*) > 1)")),
              0);
}

TEST_F(ShippedCookbook, HasNoOrphanRows)
{
    const QStringList orphans = {
        "select count(*) from zutaten where zutid not in (select zutid from zutindex)",
        "select count(*) from zutaten where eid is not null and eid not in (select eid from einheiten)",
        "select count(*) from zutaten where rid not in (select rid from rezepte)",
        "select count(*) from zubereit where rid not in (select rid from rezepte)",
        "select count(*) from zutimp where zutid not in (select zutid from zutindex)",
        "select count(*) from zutmehrzahl where zutid not in (select zutid from zutindex)",
        "select count(*) from rezstich where sid not in (select sid from stichworte)",
        "select count(*) from rezstich where rid not in (select rid from rezepte)",
        "select count(*) from impstich where sid not in (select sid from stichworte)",
        "select count(*) from impkat where kid not in (select kid from hauptkat)",
        "select count(*) from impeinheit where eid is not null and eid not in (select eid from einheiten)",
        "select count(*) from rezinaus where rid not in (select rid from rezepte) or aid not in (select aid from "
        "auswahlen)",
        "select count(*) from rezinmen where rid not in (select rid from rezepte) or mid not in (select mid from "
        "menues)",
        "select count(*) from substich where sid not in (select sid from stichworte) or subsid not in (select sid "
        "from stichworte)",
    };
    for (const QString& sql : orphans) EXPECT_EQ(count(*db, sql), 0) << sql.toStdString();
}

TEST_F(ShippedCookbook, KeywordTreeAndItsPairsAgree)
{
    // Every placed keyword pairs with itself and its parent pairs with it; no other pairs.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from stichworte s where ebene is not null and not exists "
                                        "(select 1 from substich p where p.sid = s.sid and p.subsid = s.sid)")),
              0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from stichworte s where subsid > 0 and not exists "
                                        "(select 1 from substich p where p.sid = s.subsid and p.subsid = s.sid)")),
              0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from substich p where p.sid <> p.subsid and not exists "
                                        "(select 1 from stichworte s where s.sid = p.subsid and s.subsid = p.sid)")),
              0);
    // Depth follows the parent.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from stichworte c join stichworte p on p.sid = c.subsid "
                                        "where c.subsid > 0 and c.ebene <> p.ebene + 1")),
              0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from stichworte where subsid > 0 and subsid not in "
                                        "(select sid from stichworte)")),
              0);
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from stichworte where subsid = 0 and ebene <> 0")), 0);
}

TEST_F(ShippedCookbook, CategoryKeysFitTheImportLookup)
{
    // The import compares the first eight characters of a category, trimmed.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from impkat where length(kimport) > 8 or kimport <> "
                                        "trim(kimport)")),
              0);
    // Keys are compared without regard to case, so two keys must differ in more than case.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from (select kimport from impkat group by kimport having "
                                        "count(*) > 1)")),
              0);
    for (const char* key : {"Main dis", "main dis", "SOUPS", "Geflügel", "GEFLÜGEL", "Vegetari", "Desserts"})
        EXPECT_EQ(count(*db, QStringLiteral("select count(*) from impkat where kimport = %1")
                                 .arg(kv::db::sqlQuote(QString::fromUtf8(key)))),
                  1)
            << key;
}

TEST_F(ShippedCookbook, TextComparesAsTheProgramExpects)
{
    // Case-insensitive for German letters, and the old wildcards in like.
    EXPECT_EQ(count(*db, QStringLiteral("select count(*) from hauptkat where kname = 'GEFLÜGEL'")), 1);
    EXPECT_GE(count(*db, QStringLiteral("select count(*) from rezepte where rname like '*SUPPE*'")), 1);
}

TEST(ShippedLists, ExceptionListReadsInItsFormat)
{
    QFile file(shipped(QStringLiteral("ExclList.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n')) << "every line ends with CR LF";
    // Windows-1252: the umlauts and ß are single bytes as in Latin-1, and the file
    // uses none of the code page's own characters (0x80 to 0x9F).
    for (const char c : bytes) EXPECT_FALSE(uchar(c) >= 0x80 && uchar(c) <= 0x9F);
    EXPECT_FALSE(bytes.contains("\xc3\xa4")) << "UTF-8 instead of the ANSI code page";
    const QString text = QString::fromLatin1(bytes);
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();

    const std::map<QString, QString> umlautOf = {{"ae", "ä"}, {"oe", "ö"}, {"ue", "ü"}, {"Ae", "Ä"},
                                                 {"Oe", "Ö"}, {"Ue", "Ü"}, {"sz", "ß"}};
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("/////"));
    QSet<QString> pairs;
    int words = 0;
    for (qsizetype i = 0; i < lines.size();) {
        ASSERT_EQ(lines[i], QStringLiteral("/////")) << i;
        ASSERT_LT(i + 2, lines.size());
        const QString pair = lines[i + 1];
        ASSERT_TRUE(umlautOf.count(pair)) << pair.toStdString();
        EXPECT_EQ(lines[i + 2], umlautOf.at(pair));
        EXPECT_FALSE(pairs.contains(pair)) << "a pair has one group";
        pairs.insert(pair);
        for (i += 3; i < lines.size() && lines[i] != QStringLiteral("/////"); ++i) {
            const QString& line = lines[i];
            const qsizetype slash = line.indexOf(u'/');
            ASSERT_GE(slash, 0) << line.toStdString();
            const QString word = line.left(slash) + pair + line.mid(slash + 1);
            EXPECT_LE(word.size(), 15) << word.toStdString();
            // The writer replaces the first occurrence: a word read back must write the same line.
            EXPECT_EQ(word.indexOf(pair), slash) << word.toStdString();
            ++words;
        }
    }
    EXPECT_TRUE(pairs.contains(QStringLiteral("ue")));
    EXPECT_GE(words, 10);
}

TEST(ShippedLists, ReplacementListHasTheSevenPairs)
{
    QFile file(shipped(QStringLiteral("RepList.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(file.readAll());
    EXPECT_FALSE(utf8.hasError());
    std::map<QString, QString> pairs;
    for (const QString& line : text.split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const QStringList parts = line.split(u'\t');
        ASSERT_EQ(parts.size(), 2) << line.toStdString();
        EXPECT_FALSE(parts[0].isEmpty());
        EXPECT_FALSE(parts[1].isEmpty());
        pairs[parts[0]] = parts[1];
    }
    EXPECT_EQ(pairs, (std::map<QString, QString>{{"ae", "ä"}, {"oe", "ö"}, {"ue", "ü"}, {"Ae", "Ä"},
                                                   {"Oe", "Ö"}, {"Ue", "Ü"}, {"sz", "ß"}}));
}

TEST(ShippedFiles, LogoAndHelpAreThere)
{
    const QString logo = shipped(QStringLiteral("kelvor-logo.bmp"));
    EXPECT_LT(QFileInfo(logo).size(), 50 * 1024);
    QImage image(logo);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(200, 60));

    QFile help(shipped(QStringLiteral("kelvor-hilfe.html")));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(help.readAll());
    EXPECT_TRUE(html.contains(QStringLiteral("<html")));
    EXPECT_TRUE(html.contains(QStringLiteral("Version2.ini")));
    EXPECT_TRUE(html.contains(QStringLiteral("Schnellauswahl")));
}

TEST(PrintSettingsDb, IsCreatedWithItsTwoTablesAndTheCurrentRow)
{
    kv::test::TestEnvironment env;
    const QString path = QDir(env.programFolder()).filePath(QStringLiteral("kelvor-printsettings.mdb"));
    ASSERT_FALSE(QFileInfo::exists(path));

    kv::createprintsettingsdb();
    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(kv::printsettingsPath(), path);

    auto db = Database::open(path);
    EXPECT_EQ(db->tableNames().size(), 2);
    ASSERT_TRUE(db->hasTable(QStringLiteral("choices")));
    ASSERT_TRUE(db->hasTable(QStringLiteral("settings")));
    EXPECT_EQ(db->recordCount(QStringLiteral("settings")), 0);
    EXPECT_EQ(db->recordCount(QStringLiteral("choices")), 1);
    EXPECT_EQ(db->scalar(QStringLiteral("select cname from choices where cid = 0")).toString(),
              QStringLiteral("aktuelle Einstellungen"));
    EXPECT_EQ(fieldOf(*db, "choices", "cid")->type, FieldType::Long);
    EXPECT_EQ(fieldOf(*db, "choices", "cname")->size, 50);
    EXPECT_TRUE(db->indexes(QStringLiteral("settings")).empty());

    // cid and one text column for each print value of a scheme.
    QStringList names = {"printspalten", "printtitleorder", "printfootorder", "printbooklet", "printorient"};
    for (int i = 0; i < 5; ++i)
        for (const char* kind : {"name", "size", "bold", "italic"})
            names << QStringLiteral("printfont%1%2").arg(i).arg(QLatin1String(kind));
    for (int i = 0; i < 4; ++i) names << QStringLiteral("printmarg%1").arg(i);
    ASSERT_EQ(names.size(), 29);
    const auto fields = db->fields(QStringLiteral("settings"));
    ASSERT_EQ(fields.size(), 30u);
    EXPECT_EQ(fields[0].name, QStringLiteral("cid"));
    EXPECT_EQ(fields[0].type, FieldType::Long);
    QSet<QString> columns;
    for (size_t i = 1; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].type, FieldType::Text) << fields[i].name.toStdString();
        EXPECT_TRUE(fields[i].allowZeroLength) << fields[i].name.toStdString();
        columns.insert(fields[i].name);
    }
    EXPECT_EQ(columns, QSet<QString>(names.begin(), names.end()));
    EXPECT_EQ(fieldOf(*db, "settings", "printfont0name")->size, 50);
    EXPECT_EQ(fieldOf(*db, "settings", "printspalten")->size, 4);

    // A scheme row as the save path writes it goes in.
    EXPECT_NO_THROW(db->execute(QStringLiteral("insert into settings (cid, printfont0bold, printmarg0) values (1, "
                                               "'-1', '1,5')")));
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
