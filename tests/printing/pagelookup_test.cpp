// How the pages find their rows in the layout database: every statement run for each page
// or each recipe goes through an index, so a long list prints in a time that grows with
// its pages, not with their square; and the pages drawn through the indexes are the pages
// drawn without them, row for row and call for call. The sheet and metrics of
// layoutfixture.h.

#include "core/mainmod.h"
#include "printing/render.h"
#include "tests/printing/layoutfixture.h"
#include "tests/printing/recordingcanvas.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <map>
#include <set>

namespace kv::test {
namespace {

// Every statement run on a database while it lives, by its text, with how often it ran.
class StatementRuns {
public:
    explicit StatementRuns(db::Database& db) : m_handle(db.handle())
    {
        sqlite3_trace_v2(m_handle, SQLITE_TRACE_STMT, &StatementRuns::ran, this);
    }
    ~StatementRuns() { sqlite3_trace_v2(m_handle, 0, nullptr, nullptr); }
    StatementRuns(const StatementRuns&) = delete;
    StatementRuns& operator=(const StatementRuns&) = delete;

    std::map<QString, int> runs;

private:
    static int ran(unsigned, void* self, void*, void* sql)
    {
        ++static_cast<StatementRuns*>(self)->runs[QString::fromUtf8(static_cast<const char*>(sql))];
        return 0;
    }

    sqlite3* m_handle;
};

class PageLookupTest : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        // Pages of one recipe each, a preparation cut over several columns, heading lines,
        // and a recipe without servings or preparation.
        onePagePerRecipe(4);
        addRecipe(5, QStringLiteral("Eintopf"), 4,
                  {QStringLiteral("Bohnen"), QStringLiteral("#Einlage"), QStringLiteral("Speck"),
                   QStringLiteral("Zwiebel")},
                  words(400));
        addRecipe(6, QStringLiteral("Brot"), QVariant(), {QStringLiteral("Mehl")});
        addRecipe(7, QStringLiteral("Salat"), 2, {QStringLiteral("Gurke"), QStringLiteral("Essig")},
                  QStringLiteral("Anmachen."));
    }

    db::Database& layoutDb() { return layout->layoutDatabase().db(); }

    // Every row of the five layout tables as stored, then every page as drawn.
    QStringList snapshot()
    {
        QStringList out;
        for (const char* table : {"blockpos", "zutpos", "zubpos", "headpos", "footpos"}) {
            db::Statement st(layoutDb(), QStringLiteral("select * from %1 order by rowid").arg(QLatin1String(table)));
            while (st.step()) {
                QStringList fields;
                for (int c = 0; c < st.columnCount(); ++c)
                    fields << (st.isNull(c) ? QStringLiteral("Null") : st.text(c));
                out << QLatin1String(table) + u':' + fields.join(u',');
            }
        }
        out << drawn();
        return out;
    }

    // Every page as drawn on paper and in a preview.
    QStringList drawn()
    {
        QStringList out;
        for (int page = 1; page <= layout->pagecount(); ++page) {
            out << QStringLiteral("page %1").arg(page);
            RecordingCanvas paper(out);
            printpage(*layout, false, page, paper);
            RecordingCanvas preview(500, 96);
            printpage(*layout, true, page, preview);
            out << preview.calls;
        }
        return out;
    }

    QStringList indexes()
    {
        QStringList names;
        db::Statement st(layoutDb(), QStringLiteral("select name from sqlite_master where type='index' order by name"));
        while (st.step())
            names << st.text(0);
        return names;
    }

    QStringList queryPlan(const QString& sql)
    {
        QStringList details;
        db::Statement st(layoutDb(), QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
        while (st.step())
            details << st.text(3);
        return details;
    }
};

TEST_F(PageLookupTest, PagesDrawnThroughTheIndexesAreThoseDrawnWithoutThemAndAtEveryLaterLayout)
{
    const QStringList all = {QStringLiteral("blockpos_page"), QStringLiteral("footpos_page"),
                             QStringLiteral("headpos_page"),  QStringLiteral("rezepte_rid"),
                             QStringLiteral("zubpos_page"),   QStringLiteral("zutpos_page")};
    // A booklet page is narrow: more than one column would be warned of.
    for (auto [booklet, columns] :
         {std::pair{false, 1}, std::pair{false, 2}, std::pair{false, 3}, std::pair{true, 1}}) {
        SCOPED_TRACE(testing::Message() << "booklet " << booklet << ", columns " << columns);
        bookletmode = booklet;
        layout->setColumncount(quint8(columns));
        run();
        ASSERT_GT(layout->pagecount(), 1);
        EXPECT_EQ(indexes(), all);
        const QStringList indexed = snapshot();
        // A title and a line once each, on paper and in the preview.
        EXPECT_EQ(indexed.filter(QStringLiteral("|Salat|")).size(), 2);
        EXPECT_EQ(indexed.filter(QStringLiteral("|Gurke|")).size(), 2);

        // A table scanned whole gives its rows in the order they were stored: so did the
        // layout database before it had indexes.
        for (const QString& name : all)
            layoutDb().execute(QStringLiteral("drop index ") + name);
        EXPECT_EQ(snapshot(), indexed);

        // A later layout empties the tables and drops the indexes, writes the rows
        // again and indexes them again.
        run();
        EXPECT_EQ(indexes(), all);
        EXPECT_EQ(snapshot(), indexed);
    }
}

TEST_F(PageLookupTest, EveryStatementRunForEachPageOrRecipeFindsItsRowsThroughAnIndex)
{
    const QStringList tables = {QStringLiteral("rezepte"), QStringLiteral("blockpos"), QStringLiteral("zutpos"),
                                QStringLiteral("zubpos"),  QStringLiteral("headpos"),  QStringLiteral("footpos")};
    for (bool booklet : {false, true}) {
        SCOPED_TRACE(testing::Message() << "booklet " << booklet);
        bookletmode = booklet;
        layout->setColumncount(booklet ? 1 : 2);
        run();
        std::map<QString, int> runs;
        {
            // A later layout and every page drawn, as the print window does them.
            StatementRuns trace(layoutDb());
            run();
            drawn();
            runs = trace.runs;
        }
        ASSERT_GT(layout->pagecount(), 2);

        std::set<QString> looked;
        for (const auto& [sql, count] : runs) {
            // A statement run once in a job may read a whole table: that is linear.
            if (count < 2)
                continue;
            for (const QString& detail : queryPlan(sql))
                EXPECT_FALSE(detail.contains(QStringLiteral("SCAN")) || detail.contains(QStringLiteral("AUTOMATIC")))
                    << sql.toStdString() << " (run " << count << " times): " << detail.toStdString();
            if (sql.startsWith(QStringLiteral("insert"), Qt::CaseInsensitive))
                continue;
            for (const QString& table : tables)
                if (sql.contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(table),
                                                    QRegularExpression::CaseInsensitiveOption)))
                    looked.insert(table);
        }
        // Each table is read again and again: the check above has looked at its statements.
        EXPECT_EQ(looked, std::set<QString>(tables.begin(), tables.end()));
    }
}

}  // namespace
}  // namespace kv::test
