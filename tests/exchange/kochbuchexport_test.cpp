// The cookbook export from a copy of the delivered cookbook: what the new cookbook holds,
// an empty selection, and the failures that must leave nothing behind.

#include "core/mainmod.h"
#include "exchange/kochbuchexport.h"
#include "platform/paths.h"
#include "tests/mainwindow/view/viewfixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kv::test {
namespace {

QStringList column(db::Database& d, const QString& sql)
{
    QStringList out;
    db::Statement st(d, sql);
    while (st.step()) out << st.text(0);
    return out;
}

QStringList rows(db::Database& d, const QString& table)
{
    QStringList out;
    db::Statement st(d, QStringLiteral("select * from [%1] order by rowid").arg(table));
    while (st.step()) {
        QStringList values;
        for (int i = 0; i < st.columnCount(); ++i) values << (st.isNull(i) ? QStringLiteral("NULL") : st.text(i));
        out << values.join(u'|');
    }
    return out;
}

QStringList definition(const db::Database& d, const QString& table)
{
    QStringList out;
    for (const db::FieldDef& f : d.fields(table))
        out << QStringLiteral("%1 %2 %3 %4 %5").arg(f.name).arg(int(f.type)).arg(f.size).arg(f.attributes).arg(f.allowZeroLength);
    for (const db::IndexDef& i : d.indexes(table))
        out << QStringLiteral("index %1 (%2) %3 %4").arg(i.name, i.fields.join(u',')).arg(i.primary).arg(i.unique);
    return out;
}

class CookbookExport : public CookbookTest {
protected:
    std::unique_ptr<db::Database> exported(const QString& folder)
    {
        return db::Database::open(QDir(folder).filePath(kochbuchdatei));
    }
    QString failure(const QString& folder, qint64 aid = 1)
    {
        QString info = QStringLiteral("Info");
        try {
            exportCookbook(*db, folder, QStringLiteral("Neu"), info, aid);
        } catch (const ExportError& e) {
            return e.text();
        }
        return QStringLiteral("keine Meldung");
    }
};

TEST_F(CookbookExport, HoldsEveryTableTheMarkerTheReferenceRowsAndExactlyTheSelectedRecipes)
{
    db->execute(QStringLiteral("create table MSysObjekte (id LONG)"));
    db->execute(QStringLiteral("create table msysklein (id LONG)"));
    db->execute(QStringLiteral("create table MSy (id LONG)"));
    // The list holds the spaghetti twice; the new cookbook holds them once.
    db->execute(QStringLiteral("insert into rezinaus (aid, rid, rname, port) values (1, 6, 'Spaghetti', 2)"));
    const QString folder = env.tempPath(QStringLiteral("neu"));
    QString info;

    exportCookbook(*db, folder, QStringLiteral("Auszug"), info, 1);

    EXPECT_EQ(info, QStringLiteral("-"));
    auto out = exported(folder);
    QStringList tables = db->tableNames();
    tables.removeAll(QStringLiteral("MSysObjekte"));
    EXPECT_EQ(out->tableNames(), tables);
    for (const QString& table : tables) EXPECT_EQ(definition(*out, table), definition(*db, table)) << table.toStdString();

    EXPECT_EQ(rows(*out, QStringLiteral("kochbuchname")), QStringList{QStringLiteral("Auszug|-")});
    EXPECT_EQ(column(*out, QStringLiteral("select aname from auswahlen")), QStringList{QStringLiteral("Schnellauswahl")});
    for (const QString& table : {QStringLiteral("einheiten"), QStringLiteral("hauptkat"), QStringLiteral("html"),
                                 QStringLiteral("impeinheit"), QStringLiteral("impkat"), QStringLiteral("impstich"),
                                 QStringLiteral("-indexfelder"), QStringLiteral("-indizes"), QStringLiteral("komment"),
                                 QStringLiteral("-löschtabellen"), QStringLiteral("stichworte"),
                                 QStringLiteral("substich"), QStringLiteral("changelog")})
        EXPECT_EQ(rows(*out, table), rows(*db, table)) << table.toStdString();

    EXPECT_EQ(column(*out, QStringLiteral("select rname from rezepte order by rid")),
              (QStringList{QStringLiteral("Kartoffelsuppe mit Majoran"), QStringLiteral("Spaghetti mit Tomatensauce")}));
    for (const QString& table : {QStringLiteral("zutaten"), QStringLiteral("zubereit"), QStringLiteral("rezstich")})
        EXPECT_EQ(out->recordCount(table),
                  db->scalar(QStringLiteral("select count(*) from [%1] where rid in (1, 6)").arg(table)).toLongLong())
            << table.toStdString();
    // Both recipes use the onion: one name, one plural, and only the aliases of names used.
    EXPECT_EQ(column(*out, QStringLiteral("select zutat from zutindex where zutat like 'Zwiebel*'")),
              QStringList{QStringLiteral("Zwiebel")});
    EXPECT_EQ(out->scalar(QStringLiteral("select count(*) from zutindex where zutid not in (select zutid from zutaten)"))
                  .toLongLong(),
              0);
    EXPECT_EQ(column(*out, QStringLiteral("select mehrzahl from zutmehrzahl")), QStringList{QStringLiteral("Zwiebeln")});
    EXPECT_EQ(column(*out, QStringLiteral("select zutat from zutimp order by zutat")),
              (QStringList{QStringLiteral("Karotten"), QStringLiteral("Rahm"), QStringLiteral("Zwiebeln")}));
    for (const QString& table : {QStringLiteral("rezinaus"), QStringLiteral("menues"), QStringLiteral("rezinmen"),
                                 QStringLiteral("importdateien"), QStringLiteral("letztsuch")})
        EXPECT_EQ(out->recordCount(table), 0) << table.toStdString();
}

TEST_F(CookbookExport, AnEmptySelectionOfAReadOnlyCookbookStillMakesACookbook)
{
    db->execute(QStringLiteral("insert into auswahlen (aname) values ('Leer')"));
    const qint64 aid = db->lastInsertId();
    const QString file = db->name();
    db.reset();
    paths::setAccessCheck([](const QString&, paths::Access access) -> std::optional<bool> {
        if (access == paths::Access::Write) return false;
        return std::nullopt;
    });
    db = db::Database::open(file);
    paths::setAccessCheck({});
    ASSERT_TRUE(db->readOnly());
    const QString folder = env.tempPath(QStringLiteral("leer"));
    QString info = QStringLiteral("Nur die Grundtabellen");

    exportCookbook(*db, folder, QStringLiteral("Leer"), info, aid);

    auto out = exported(folder);
    EXPECT_EQ(rows(*out, QStringLiteral("kochbuchname")), QStringList{QStringLiteral("Leer|Nur die Grundtabellen")});
    EXPECT_EQ(out->recordCount(QStringLiteral("auswahlen")), 1);
    EXPECT_EQ(out->recordCount(QStringLiteral("rezepte")), 0);
    EXPECT_EQ(out->recordCount(QStringLiteral("zutindex")), 0);
    EXPECT_EQ(rows(*out, QStringLiteral("einheiten")), rows(*db, QStringLiteral("einheiten")));
}

TEST_F(CookbookExport, AnExistingOrUnwritableFolderAndAFailedCopyLeaveNothingBehind)
{
    const QString existing = env.tempPath(QStringLiteral("da"));
    ASSERT_TRUE(QDir().mkpath(existing));
    writeFileBytes(existing + QStringLiteral("/notiz.txt"), "Notiz");
    EXPECT_TRUE(failure(existing).contains(QStringLiteral("gibt es schon")));
    EXPECT_EQ(QDir(existing).entryList(QDir::Files), QStringList{QStringLiteral("notiz.txt")});

    const QString parent = env.tempPath(QStringLiteral("gesperrt"));
    ASSERT_TRUE(QDir().mkpath(parent));
    paths::setAccessCheck([parent](const QString& path, paths::Access access) -> std::optional<bool> {
        if (QDir::cleanPath(path) == parent && access == paths::Access::Write) return false;
        return std::nullopt;
    });
    EXPECT_TRUE(failure(parent + QStringLiteral("/neu")).contains(QStringLiteral("kann nicht angelegt werden")));
    paths::setAccessCheck({});
    EXPECT_FALSE(QFileInfo::exists(parent + QStringLiteral("/neu")));

    // An index on an expression has no field list to copy: the copy fails half-way.
    db->execute(QStringLiteral("create index [rezepte.klein] on rezepte (lower(rname))"));
    const QString half = env.tempPath(QStringLiteral("halb"));
    EXPECT_TRUE(failure(half).contains(QStringLiteral("Es wurde nichts angelegt.")));
    EXPECT_FALSE(QFileInfo::exists(half));
}

QStringList builds(const QString& parent)
{
    return QDir(parent).entryList({kBauordnerPrefix + u'*'}, QDir::AllEntries | QDir::Hidden | QDir::System);
}

TEST_F(CookbookExport, ABuildFolderLeftByAnEndedExportGoesAtTheNextOneAndOnlyThatOne)
{
    const QString parent = env.tempPath(QStringLiteral("ziel"));
    ASSERT_TRUE(QDir().mkpath(parent));
    // Left by an export that was killed: a folder with a half-written cookbook.
    const QString left = parent + u'/' + kBauordnerPrefix + QStringLiteral("abgebrochen");
    ASSERT_TRUE(QDir().mkpath(left));
    writeFileBytes(left + u'/' + kochbuchdatei, QByteArray(4096, 'x'));
    writeFileBytes(left + u'/' + kochbuchdatei + QStringLiteral("-journal"), "halb");
    // An export another program runs right now holds its folder.
    const QString running = parent + u'/' + kBauordnerPrefix + QStringLiteral("laeuft");
    ASSERT_TRUE(QDir().mkpath(running));
    const int held = ::open(QFile::encodeName(running).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    // A link of that name leads elsewhere; what it leads to is not the export's.
    const QString elsewhere = env.tempPath(QStringLiteral("fremd"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    writeFileBytes(elsewhere + QStringLiteral("/brief.txt"), "bleibt");
    const QString link = parent + u'/' + kBauordnerPrefix + QStringLiteral("verweis");
    ASSERT_TRUE(QFile::link(elsewhere, link));

    QString info;
    exportCookbook(*db, parent + QStringLiteral("/neu"), QStringLiteral("Neu"), info, 1);

    EXPECT_EQ(exported(parent + QStringLiteral("/neu"))->recordCount(QStringLiteral("kochbuchname")), 1);
    EXPECT_FALSE(QFileInfo::exists(left));
    EXPECT_TRUE(QFileInfo(running).isDir());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileBytes(elsewhere + QStringLiteral("/brief.txt")), "bleibt");
    EXPECT_EQ(builds(parent).size(), 2) << builds(parent).join(u' ').toStdString();
    ::close(held);

    // Once its program has ended, the next export clears it too.
    exportCookbook(*db, parent + QStringLiteral("/zweites"), QStringLiteral("Zwei"), info, 1);
    EXPECT_FALSE(QFileInfo::exists(running));
    EXPECT_EQ(QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("neu"), QStringLiteral("zweites")}));
}

TEST_F(CookbookExport, AFailedExportLeavesNeitherTheFolderNorItsBuildFolder)
{
    const QString parent = env.tempPath(QStringLiteral("ziel"));
    ASSERT_TRUE(QDir().mkpath(parent));
    db->execute(QStringLiteral("create index [rezepte.klein] on rezepte (lower(rname))"));
    EXPECT_TRUE(failure(parent + QStringLiteral("/halb")).contains(QStringLiteral("Es wurde nichts angelegt.")));
    EXPECT_EQ(QDir(parent).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

TEST(NewFolderName, SeparatorsDotAndDotDotAreRefusedInGerman)
{
    for (const char* name : {"../draussen", "a/b", "/tmp/x", "a\\b", "..\\x", ".", "..", "/"}) {
        SCOPED_TRACE(name);
        const QString why = refusedFolderName(QString::fromUtf8(name));
        EXPECT_TRUE(why.startsWith(QStringLiteral("Der Name \"") + QString::fromUtf8(name) + u'"')) << why.toStdString();
        EXPECT_TRUE(why.contains(QStringLiteral("kann kein neues Verzeichnis benennen"))) << why.toStdString();
    }
    for (const char* name : {"Auszug", "...", ".versteckt", "a.b", "Suppen & Eintöpfe", "x..y"})
        EXPECT_EQ(refusedFolderName(QString::fromUtf8(name)), QString()) << name;
}

}  // namespace
}  // namespace kv::test
