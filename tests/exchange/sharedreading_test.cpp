// A cookbook read by a program that may not write it while another program imports into
// it: every read sees whole recipes of one committed state, never a mixture, and the
// import completes.

#include "platform/paths.h"
#include "tests/exchange/importfixture.h"

#include <QRegularExpression>

namespace kv::test {

namespace {

constexpr int kRecipes = 3000;

// Recipes whose lines and preparation name their own number, so a recipe put together
// from the pages of two states shows.
QByteArray numberedRecipes()
{
    QByteArray text;
    for (int n = 1; n <= kRecipes; ++n) {
        const QByteArray number = QByteArray::number(n);
        text += "MMMMM----- Recipe via Meal-Master (tm) v8.06\n      Title: Geteiltes Rezept " + number +
                "\n Categories: Test\n   Servings: 2\n\n    " + number.rightJustified(3, ' ') +
                " g  Zutat " + number + "\n\n  Schritt fuer Rezept " + number + ".\nMMMMM\n";
    }
    return text;
}

class SharedReading : public ImportTest {
protected:
    // What the reader sees: the number of imported recipes, each checked whole.
    qint64 wholeRecipes(db::Database& reader)
    {
        static const QRegularExpression number(QStringLiteral("^Geteiltes Rezept (\\d+)$"));
        db::Statement st(reader, QStringLiteral(
            "select r.rname, (select group_concat(i.zutat || '/' || cast(z.menge as integer), '|') from zutaten z "
            "join zutindex i on i.zutid = z.zutid where z.rid = r.rid), "
            "(select group_concat(ztext, '|') from zubereit where rid = r.rid) from rezepte r where r.did > 1"));
        qint64 recipes = 0;
        while (st.step()) {
            const QString n = number.match(st.text(0)).captured(1);
            EXPECT_FALSE(n.isEmpty()) << st.text(0).toStdString();
            EXPECT_EQ(st.text(1), QStringLiteral("Zutat %1/%1").arg(n)) << st.text(0).toStdString();
            EXPECT_EQ(st.text(2), QStringLiteral("Schritt für Rezept %1.").arg(n)) << st.text(0).toStdString();
            ++recipes;
        }
        return recipes;
    }
};

}  // namespace

TEST_F(SharedReading, AReaderThatMayNotWriteSeesWholeRecipesWhileAnImportWritesAndTheImportCompletes)
{
    const QString file = db().name();
    const QString folder = QFileInfo(file).absolutePath();
    paths::setAccessCheck([folder](const QString& path, paths::Access access) -> std::optional<bool> {
        if (access == paths::Access::Write && QDir::cleanPath(path).startsWith(folder)) return false;
        return std::nullopt;
    });
    std::unique_ptr<db::Database> reader = db::Database::open(file);
    paths::setAccessCheck({});
    ASSERT_TRUE(reader->readOnly());
    // Its cache holds the cookbook as it was before the import.
    EXPECT_EQ(wholeRecipes(*reader), 0);
    const qint64 before = reader->recordCount(QStringLiteral("rezepte"));

    const QString path = write(QStringLiteral("geteilt.mmf"), numberedRecipes());
    qint64 seen = 0;
    ui.onEvents = [&] {
        try {
            seen = std::max(seen, wholeRecipes(*reader));
        } catch (const db::DbError& e) {
            ADD_FAILURE() << "the reader failed while the import ran: " << e.text().toStdString();
        }
    };
    import(path);
    ui.onEvents = nullptr;
    EXPECT_EQ(count(QStringLiteral("select count(*) from importerrors")), 0);
    EXPECT_EQ(recipes(), before + kRecipes);

    // Once the import has committed, the reader sees all of it.
    EXPECT_EQ(wholeRecipes(*reader), kRecipes);
    EXPECT_EQ(reader->recordCount(QStringLiteral("rezepte")), before + kRecipes);
    EXPECT_LE(seen, kRecipes);
}

}  // namespace kv::test
