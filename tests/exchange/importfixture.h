#pragma once
// A fresh copy of the delivered cookbook opened as the program's cookbook, scripted
// import windows and message boxes, recipes to import, and the rows of an imported recipe
// as text.

#include "core/mainmod.h"
#include "exchange/import.h"
#include "exchange/importsession.h"
#include "platform/db/database.h"
#include "platform/textreplace/replacer.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>

#include <functional>

namespace kv::test {

// A small recipe as Meal-Master writes it, and the same cut off by the file's end inside
// its ingredient list.
inline QByteArray mmRecipe(const QByteArray& title, const QByteArray& category = "Test")
{
    return "MMMMM----- Recipe via Meal-Master (tm) v8.02\n      Title: " + title + "\n Categories: " + category +
           "\n   Servings: 2\n\n      1 c  Mehl\n\n  Gut ruehren.\nMMMMM\n";
}
inline QByteArray mmBroken(const QByteArray& title)
{
    return "MMMMM----- Recipe via Meal-Master (tm) v8.02\n      Title: " + title +
           "\n Categories: Test\n   Servings: 2\n\n      1 c  Mehl\n";
}

// The import's windows as a test sees them: what was shown and written, and hooks to
// act while the import runs (the cancel button).
class ScriptedImportUi : public exchange::ImportUi {
public:
    void showImportstatus() override
    {
        ++shown;
        loaded = true;
    }
    void setIdat(const QString& path) override
    {
        idat << path;
        if (onIdat) onIdat(path);
    }
    void setIrez(const QString& count) override { irez = count; }
    void unloadImportstatus() override { loaded = false; }
    void doEvents() override
    {
        if (onEvents) onEvents();
    }
    void setBusy(bool on) override { busy = on; }
    void beep() override { ++beeps; }
    void showImportErrors() override { next = QStringLiteral("wizard_importerr"); }
    void showNachimport() override { next = QStringLiteral("wizard_nachimport"); }

    int shown = 0;
    bool loaded = false;
    QStringList idat;
    QString irez;
    bool busy = false;
    int beeps = 0;
    QString next;
    std::function<void(const QString&)> onIdat;
    std::function<void()> onEvents;
};

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString folder = env.copyShippedCookbook(QStringLiteral("kochbuch"));
        kochbuchdb = db::Database::open(folder + kochbuchdatei);
        // The replacement lists every import loads; tests that call the lookups directly
        // need them too.
        text::InitReplacer(env.programFolder() + QStringLiteral("/ExclList.txt"),
                           env.programFolder() + QStringLiteral("/RepList.txt"));
        exchange::setImportUi(&ui);
        exchange::lasterrid = 0;
        skipexisting = true;
        importcancel = false;
        QDir().mkpath(files());
    }
    void TearDown() override
    {
        exchange::setImportUi(nullptr);
        kochbuchdb.reset();
    }

    db::Database& db() { return *kochbuchdb; }
    QString files() const { return env.tempPath(QStringLiteral("dateien")) + u'/'; }

    // Writes a file below the test's folder of files; its path.
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = files() + name;
        QDir().mkpath(path.left(path.lastIndexOf(u'/')));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // Runs an import to its end: the first error's message when one is expected, then
    // the closing message.
    void import(const QString& path, int typ = 0, bool firstError = false,
                const QString& closing = QStringLiteral("Fertig."))
    {
        if (firstError)
            dialogs.expect(QStringLiteral("In der MealMaster-Datei wurde ein Fehler entdeckt"), ui::Answer::Ok);
        dialogs.expect(closing, ui::Answer::Ok).withTitle(QStringLiteral(" "));
        exchange::startimport(path, typ);
        dialogs.verify();
    }

    qint64 count(const QString& sql) { return db().scalar(sql).toLongLong(); }
    qint64 recipes() { return count(QStringLiteral("select count(*) from rezepte")); }
    // The recipes imported (the delivered ones come from file 1), oldest first.
    QList<qint64> imported()
    {
        QList<qint64> rids;
        db::Statement st(db(), QStringLiteral("select rid from rezepte where did>1 order by rid"));
        while (st.step()) rids << st.int64(0);
        return rids;
    }

    // A recipe as text: "title|servings[~ inexact]|category", its lines as
    // "tid.nr amount unit ingredient" (a heading as "tid.0 ingredient"), then its
    // keywords as "#keyword", sorted.
    QStringList rowsOf(qint64 rid)
    {
        QStringList rows;
        db::Statement head(db(), QStringLiteral("select r.rname, r.port, r.ungenau, h.kname from rezepte r "
                                                "left join hauptkat h on h.kid=r.kid where r.rid=?"));
        head.bind(1, rid);
        if (!head.step()) return {QStringLiteral("(fehlt)")};
        rows << QStringLiteral("%1|%2%3|%4")
                    .arg(head.text(0), head.isNull(1) ? QStringLiteral("-") : head.text(1),
                         head.int64(2) ? QStringLiteral("~") : QString(),
                         head.isNull(3) ? QStringLiteral("-") : head.text(3));
        db::Statement lines(db(), QStringLiteral("select z.tid, z.nr, z.menge, e.ekurz, i.zutat from zutaten z "
                                                 "left join einheiten e on e.eid=z.eid "
                                                 "left join zutindex i on i.zutid=z.zutid "
                                                 "where z.rid=? order by z.tid, z.nr"));
        lines.bind(1, rid);
        while (lines.step()) {
            const QString place = QStringLiteral("%1.%2").arg(lines.int64(0)).arg(lines.int64(1));
            if (lines.int64(1) == 0) {
                rows << place + u' ' + lines.text(4);
                continue;
            }
            rows << QStringLiteral("%1 %2 %3 %4")
                        .arg(place,
                             lines.isNull(2) ? QStringLiteral("-")
                                             : QString::number(lines.value(2).toDouble(), 'g', 4),
                             lines.isNull(3) ? QStringLiteral("-") : lines.text(3), lines.text(4));
        }
        db::Statement keywords(db(), QStringLiteral("select s.stichwort from rezstich r join stichworte s "
                                                    "on s.sid=r.sid where r.rid=? order by s.stichwort"));
        keywords.bind(1, rid);
        while (keywords.step()) rows << u'#' + keywords.text(0);
        return rows;
    }
    QString preparationOf(qint64 rid)
    {
        return db().scalar(QStringLiteral("select ztext from zubereit where rid=?"), {rid}).toString();
    }
    // The error rows: "file name|recipe|etext", in the order written.
    QStringList errorRows()
    {
        QStringList rows;
        db::Statement st(db(), QStringLiteral("select d.dname, e.rname, e.etext from importerrors e "
                                              "left join importdateien d on d.did=e.did order by e.errid"));
        while (st.step()) rows << QStringLiteral("%1|%2|%3").arg(st.text(0), st.text(1), st.text(2));
        return rows;
    }

    TestEnvironment env;
    ScriptedDialogs dialogs;
    ScriptedImportUi ui;
};

}  // namespace kv::test
