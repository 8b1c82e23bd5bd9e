#include "mainwindow/recipesave.h"
#include "mainwindow/recipeview.h"
#include "tests/mainwindow/view/viewfixture.h"

namespace {

using kv::test::CookbookTest;
using kv::ui::Answer;

const QString kRezept2 = QStringLiteral("Sommer, schnell, vegetarisch");

class Savestich : public CookbookTest {
protected:
    qint64 sidOf(const QString& stichwort)
    {
        return value(QStringLiteral("select sid from stichworte where stichwort='%1'").arg(stichwort)).toLongLong();
    }
    qint64 links(qint64 rid) { return count(QStringLiteral("select count(*) from rezstich where rid=%1").arg(rid)); }

    // The recipes the keyword tree lists for a keyword's whole subtree.
    QList<qint64> subtreeRecipes(qint64 sid)
    {
        QList<qint64> rids;
        kv::db::Statement st(*db, QStringLiteral(
            "SELECT rezepte.rid FROM substich INNER JOIN (rezepte INNER JOIN rezstich ON rezepte.rid = rezstich.rid) "
            "ON substich.subsid = rezstich.sid WHERE substich.sid=? ORDER BY rezepte.rid"));
        st.bind(1, sid);
        while (st.step()) rids << st.int64(0);
        return rids;
    }
};

TEST_F(Savestich, ReplacesTheLinksAndPlacesNewKeywordsUnderEigeneStichworte)
{
    ASSERT_TRUE(kv::savestich(*db, 2, false, QStringLiteral("Kuchen, Sommer")));
    EXPECT_EQ(kv::stichText(*db, 2), QStringLiteral("Kuchen, Sommer"));
    const qint64 kuchen = sidOf(QStringLiteral("Kuchen"));
    ASSERT_GT(kuchen, 0);
    EXPECT_EQ(value(QStringLiteral("select ebene from stichworte where sid=%1").arg(kuchen)).toInt(), 1);
    EXPECT_EQ(value(QStringLiteral("select subsid from stichworte where sid=%1").arg(kuchen)).toInt(), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from substich where sid=%1 and subsid=%1").arg(kuchen)), 1);
    // The root's subtree search finds the recipe through the new keyword.
    EXPECT_EQ(subtreeRecipes(1), QList<qint64>{2});
}

TEST_F(Savestich, KeywordsAreFoundWithoutRegardToCaseAndLinkedOnceShortPiecesSkipped)
{
    ASSERT_TRUE(kv::savestich(*db, 2, false, QStringLiteral("SOMMER,  schnell , a,, ,x")));
    EXPECT_EQ(kv::stichText(*db, 2), QStringLiteral("Sommer, schnell"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from stichworte")), 20);

    ASSERT_TRUE(kv::savestich(*db, 2, false, QStringLiteral("Picknick, Sommer, picknick, Sommer")));
    EXPECT_EQ(links(2), 2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from stichworte where stichwort='Picknick'")), 1);
    // Keeping the old links does not link a keyword the recipe has already.
    ASSERT_TRUE(kv::savestich(*db, 2, true, QStringLiteral("Sommer, Grillfest")));
    EXPECT_EQ(kv::stichText(*db, 2), QStringLiteral("Picknick, Sommer, Grillfest"));

    // An empty text keeps the links; blanks replace them by none.
    EXPECT_TRUE(kv::savestich(*db, 2, false, QString()));
    EXPECT_EQ(links(2), 3);
    EXPECT_TRUE(kv::savestich(*db, 2, false, QStringLiteral("   ")));
    EXPECT_EQ(links(2), 0);
}

TEST_F(Savestich, OnlyLettersDigitsAndHyphensAreAllowedOthersChangeNothing)
{
    EXPECT_TRUE(kv::stichTextAllowed(QStringLiteral("Frühstück, Süßes, Creme-brulee 2, Öl, ÄÜ, àáâèéê")));
    EXPECT_FALSE(kv::stichTextAllowed(QStringLiteral("Crème brûlée")));
    for (const QString& text : {QStringLiteral("Grill;Sommer"), QStringLiteral("O'Neill")}) {
        dialogs.expect(QStringLiteral("Bitte verwenden Sie nur Buchstaben und Zahlen als Stichworte"), Answer::Ok)
            .withTitle(QStringLiteral(" "))
            .withStyle(kv::ui::Critical);
        EXPECT_FALSE(kv::savestich(*db, 2, false, text));
        dialogs.verify();
    }
    EXPECT_EQ(kv::stichText(*db, 2), kRezept2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from stichworte")), 20);
    ASSERT_TRUE(kv::savestich(*db, 2, false, QStringLiteral("Frühstück, Süßes")));
    EXPECT_EQ(kv::stichText(*db, 2), QStringLiteral("Frühstück, Süßes"));
}

// An import stores keywords as its files write them; the editor and the view must not
// refuse them once they are the cookbook's.
TEST_F(Savestich, AKeywordTheCookbookHoldsPassesWhateverItsCharacters)
{
    db->execute(QStringLiteral("insert into stichworte (stichwort, subsid, ebene) values ('Omi''s Beste', 0, 1)"));
    ASSERT_TRUE(kv::savestich(*db, 2, false, QStringLiteral("Omi's Beste, Sommer")));
    EXPECT_EQ(kv::stichText(*db, 2), QStringLiteral("Omi's Beste, Sommer"));
    EXPECT_TRUE(kv::stichTextAllowed(*db, QStringLiteral(" omi's beste ,Grillfest")));

    kv::EditRecipe edited = kv::loadRecipeForEdit(*db, 2);
    edited.stich = kv::stichText(*db, 2);
    EXPECT_EQ(kv::saveRefusal(*db, edited), std::nullopt);
    // A keyword typed anew is checked as before.
    edited.stich += QStringLiteral(", Omi's Zweitbeste");
    EXPECT_EQ(kv::saveRefusal(*db, edited), kv::stichMessage());
    dialogs.expect(QStringLiteral("Bitte verwenden Sie nur Buchstaben und Zahlen als Stichworte"), Answer::Ok);
    EXPECT_FALSE(kv::savestich(*db, 2, false, edited.stich));
    dialogs.verify();
    EXPECT_EQ(kv::stichText(*db, 2), QStringLiteral("Omi's Beste, Sommer"));
}

TEST_F(Savestich, MissingRootIsCreatedWithItsPair)
{
    db->execute(QStringLiteral("delete from substich where sid=1 or subsid=1"));
    db->execute(QStringLiteral("delete from stichworte where sid=1"));
    ASSERT_TRUE(kv::savestich(*db, 5, false, QStringLiteral("Blech")));
    const qint64 root = value(QStringLiteral(
        "select sid from stichworte where stichwort='Eigene Stichworte' and ebene=0 and subsid=0")).toLongLong();
    ASSERT_GT(root, 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from substich where sid=%1 and subsid=%1").arg(root)), 1);
    const qint64 blech = sidOf(QStringLiteral("Blech"));
    EXPECT_EQ(value(QStringLiteral("select subsid from stichworte where sid=%1").arg(blech)).toLongLong(), root);
    EXPECT_EQ(subtreeRecipes(root), QList<qint64>{5});
}

TEST_F(Savestich, AFailureIsReportedAndLeavesTheOldLinks)
{
    db->execute(QStringLiteral("drop table substich"));
    dialogs.expect(QStringLiteral("Fehler bei der Verarbeitung der Stichworte. Bitte geben Sie ein oder mehrere "
                                  "Stichworte durch ein Komma getrennt ein. ["),
                   Answer::Ok)
        .withTitle(QStringLiteral(" F E H L E R"))
        .withStyle(kv::ui::Critical);
    EXPECT_FALSE(kv::savestich(*db, 2, false, QStringLiteral("Sommer, Neuland")));
    dialogs.verify();
    EXPECT_EQ(kv::stichText(*db, 2), kRezept2);
    EXPECT_EQ(count(QStringLiteral("select count(*) from stichworte where stichwort='Neuland'")), 0);
}

}  // namespace
