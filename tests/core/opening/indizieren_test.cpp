#include "core/indizieren.h"
#include "core/mainmod.h"
#include "core/settings.h"
#include "tests/core/opening/oldcookbook.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

using kv::kochbuchdb;
using kv::ui::Answer;

namespace {

const QString before = QStringLiteral("Kelvor muß beim ersten Starten seine Suchindizes erstellen.");
const QString after = QStringLiteral("Die Suchindizes wurden erstellt. Danke für Ihre Geduld");

class IndexBuild : public ::testing::Test {
protected:
    void SetUp() override
    {
        kochbuchdb = kv::test::createOldCookbook(env.tempPath(QStringLiteral("alt.mdb")));
        kochbuchdb->execute(QStringLiteral("create table changelog (changed LONG)"));
    }
    void TearDown() override { kochbuchdb.reset(); }

    void expectBothMessages()
    {
        dialogs.expect(before, Answer::Ok).withTitle(QStringLiteral(" A c h t u n g")).withStyle(kv::ui::OkOnly);
        dialogs.expect(after, Answer::Ok).withTitle(QStringLiteral(" O K")).withStyle(kv::ui::OkOnly);
    }
    std::optional<kv::db::IndexDef> index(const QString& table, const QString& name)
    {
        for (const kv::db::IndexDef& i : kochbuchdb->indexes(table))
            if (i.name == name) return i;
        return std::nullopt;
    }

    kv::test::TestEnvironment env;
    kv::test::ScriptedDialogs dialogs;
    kv::test::RecordingStartup startup;
};

TEST_F(IndexBuild, BuildsEveryListedIndexBetweenTwoMessages)
{
    expectBothMessages();

    kv::indizieren(*kochbuchdb);

    EXPECT_EQ(dialogs.shownTexts().value(0),
              before + kv::linebreak +
                  QStringLiteral("Es gibt sie bisher noch nicht, um Speicherplatz und Übertragungszeit zu sparen.") +
                  kv::linebreak +
                  QStringLiteral("Bitte haben Sie jetzt etwas Geduld; nach Beendigung der Indizierung erscheint eine "
                                 "weitere Meldung."));
    const auto rnam = index(QStringLiteral("rezepte"), QStringLiteral("rnam"));
    ASSERT_TRUE(rnam);
    EXPECT_FALSE(rnam->unique);
    EXPECT_EQ(rnam->fields, QStringList{QStringLiteral("rname")});
    const auto key = index(QStringLiteral("stichworte"), QStringLiteral("PrimaryKey"));
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->primary);
    const auto zeile = index(QStringLiteral("zutaten"), QStringLiteral("zeile"));
    ASSERT_TRUE(zeile);
    EXPECT_EQ(zeile->fields, (QStringList{QStringLiteral("rid"), QStringLiteral("tid"), QStringLiteral("nr")}));
    EXPECT_TRUE(index(QStringLiteral("impeinheit"), QStringLiteral("en")));
    EXPECT_FALSE(index(QStringLiteral("rezepte"), QStringLiteral("leer")));

    EXPECT_EQ(kv::test::changelogInOrder(*kochbuchdb), QList<int>{102});
    EXPECT_TRUE(startup.calls.contains(QStringLiteral("beep")));
    EXPECT_EQ(kv::getreg(kv::reg::wizard), QStringLiteral("on"));
}

TEST_F(IndexBuild, CompletesABuildThatWasCutShort)
{
    kochbuchdb->createIndex(QStringLiteral("rezepte"), {QStringLiteral("rnam"), {QStringLiteral("rname")}});
    expectBothMessages();

    kv::indizieren(*kochbuchdb);

    EXPECT_TRUE(index(QStringLiteral("zutindex"), QStringLiteral("zutat")));
    EXPECT_TRUE(index(QStringLiteral("zutaten"), QStringLiteral("zeile")));
    EXPECT_EQ(kochbuchdb->indexes(QStringLiteral("rezepte")).size(), 1u);
}

TEST_F(IndexBuild, CompleteIndexesOnlyRecordTheStepAndWriteTheDefaults)
{
    expectBothMessages();
    kv::indizieren(*kochbuchdb);
    dialogs.verify();
    dialogs.clearShown();
    kochbuchdb->execute(QStringLiteral("delete from changelog"));
    kv::savereg(kv::reg::wizard, QString());
    const QStringList built = kv::test::snapshot(*kochbuchdb);

    kv::indizieren(*kochbuchdb);

    EXPECT_TRUE(dialogs.shownTexts().isEmpty());
    EXPECT_EQ(kv::test::changelogInOrder(*kochbuchdb), QList<int>{102});
    kochbuchdb->execute(QStringLiteral("delete from changelog"));
    EXPECT_EQ(kv::test::snapshot(*kochbuchdb), built);
    EXPECT_EQ(kv::getreg(kv::reg::wizard), QStringLiteral("on"));
}

TEST_F(IndexBuild, ABadDefinitionBuildsNothingAndIsNotRecorded)
{
    kochbuchdb->execute(QStringLiteral("insert into [-indizes] (indid,tabelle,indexname,\"Primary\") "
                                       "values (7,'gibtsnicht','x',0)"));
    kochbuchdb->execute(QStringLiteral("insert into [-indexfelder] (indid,feldname,fnr) values (7,'y',1)"));
    const QStringList unchanged = kv::test::snapshot(*kochbuchdb);

    EXPECT_THROW(kv::indizieren(*kochbuchdb), kv::db::DbError);

    EXPECT_EQ(kv::test::snapshot(*kochbuchdb), unchanged);
}

// A plain definition whose fields lead a longer one (listed or already built) answers no
// seek the longer one does not: it is not built, whatever the order of the definitions.
TEST_F(IndexBuild, APlainIndexLeadingALongerOneIsNotBuilt)
{
    kochbuchdb->execute(QStringLiteral("insert into [-indizes] (indid,tabelle,indexname,\"Primary\") values "
                                       "(10,'zutaten','zutid',0), (11,'zutaten','zutidrid',0), "
                                       "(12,'zutindex','kurz',0), (13,'rezepte','rid',1)"));
    kochbuchdb->execute(QStringLiteral("insert into [-indexfelder] (indid,feldname,fnr) values "
                                       "(10,'zutid',1), (11,'rid',2), (11,'zutid',1), (12,'zutat',1), (13,'rid',1)"));
    kochbuchdb->createIndex(QStringLiteral("zutindex"),
                            {QStringLiteral("lang"), {QStringLiteral("zutat"), QStringLiteral("zutid")}});
    expectBothMessages();

    kv::indizieren(*kochbuchdb);

    EXPECT_FALSE(index(QStringLiteral("zutaten"), QStringLiteral("zutid")));
    const auto longer = index(QStringLiteral("zutaten"), QStringLiteral("zutidrid"));
    ASSERT_TRUE(longer);
    EXPECT_EQ(longer->fields, (QStringList{QStringLiteral("zutid"), QStringLiteral("rid")}));
    EXPECT_FALSE(index(QStringLiteral("zutindex"), QStringLiteral("zutat")));
    EXPECT_FALSE(index(QStringLiteral("zutindex"), QStringLiteral("kurz")));
    // A key is built even where a longer index begins with its field; an index of the
    // same fields as another is no shorter one.
    EXPECT_TRUE(index(QStringLiteral("rezepte"), QStringLiteral("rid")));
    EXPECT_TRUE(index(QStringLiteral("rezepte"), QStringLiteral("rnam")));
    EXPECT_TRUE(index(QStringLiteral("zutaten"), QStringLiteral("zeile")));
}

TEST(LeadingFields, OnlyAStrictPrefixInAnyCaseLeads)
{
    const QStringList zutidrid = {QStringLiteral("zutid"), QStringLiteral("rid")};
    EXPECT_TRUE(kv::leadsIndex({QStringLiteral("ZUTID")}, zutidrid));
    EXPECT_FALSE(kv::leadsIndex(zutidrid, zutidrid));
    EXPECT_FALSE(kv::leadsIndex({QStringLiteral("rid")}, zutidrid));
    EXPECT_FALSE(kv::leadsIndex({}, zutidrid));
}

}  // namespace
