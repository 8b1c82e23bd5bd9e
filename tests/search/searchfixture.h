#pragma once
// A fresh copy of the delivered cookbook as the open cookbook, and a recipe list in place of
// the main window's, for the searches' logic and the keyword tree's.

#include "core/mainmod.h"
#include "core/rezsource.h"
#include "core/settings.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/stublistview.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <memory>

namespace kv::test {

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kochbuchdb = db::Database::open(env.copyShippedCookbook(QStringLiteral("kochbuch")) + kochbuchdatei);
        savereg(reg::suchtreffer, QStringLiteral("50"));
        savereg(reg::zuletztgesucht, QStringLiteral("50"));
        view = std::make_unique<StubListView>();
    }
    void TearDown() override
    {
        view.reset();
        kochbuchdb.reset();
    }

    qint64 count(const QString& sql) { return kochbuchdb->scalar(sql).toLongLong(); }
    // Every row of a table as "a|b|c", in stored order.
    QStringList rows(const QString& table)
    {
        QStringList out;
        db::Statement st(*kochbuchdb, QStringLiteral("select * from %1 order by rowid").arg(table));
        while (st.step()) {
            QStringList cells;
            for (int c = 0; c < st.columnCount(); ++c) cells << st.value(c).toString();
            out << cells.join(u'|');
        }
        return out;
    }
    // A recipe of its own with the given ingredient lines; its id.
    qint64 addRecipe(const QString& title, const QStringList& ingredients = {}, int kid = 2)
    {
        kochbuchdb->execute(QStringLiteral("insert into rezepte (rname,port,kid) values (?,4,?)"), {title, kid});
        const qint64 rid = kochbuchdb->lastInsertId();
        int nr = 0;
        for (const QString& name : ingredients) {
            QVariant zutid = kochbuchdb->scalar(QStringLiteral("select zutid from zutindex where zutat=?"), {name});
            if (!zutid.isValid()) {
                kochbuchdb->execute(QStringLiteral("insert into zutindex (zutat) values (?)"), {name});
                zutid = kochbuchdb->lastInsertId();
            }
            kochbuchdb->execute(QStringLiteral("insert into zutaten (rid,tid,nr,zutid) values (?,1,?,?)"),
                                {rid, ++nr, zutid});
        }
        return rid;
    }

    TestEnvironment env;
    ScriptedDialogs dialogs;
    std::unique_ptr<StubListView> view;
};

}  // namespace kv::test
