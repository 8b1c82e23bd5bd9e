// The maintenance window on the started program: duplicates, the compaction with its
// failures, the comments editor and the umlaut-exception editor.

#include "core/ende_window.h"
#include "core/mainmod.h"
#include "core/rezsource.h"
#include "core/settings.h"
#include "mainwindow/editor_window.h"
#include "mainwindow/maintenance.h"
#include "mainwindow/units.h"
#include "mainwindow/weiteres_umlaute_window.h"
#include "platform/paths.h"
#include "platform/textreplace/excllist.h"
#include "platform/ui/windows.h"
#include "tests/mainwindow/startedprogram.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace kv::test {
namespace {

using ui::Answer;

class Maintenance : public StartedProgram {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(start()); }
    void TearDown() override
    {
        setCompactionFault({});
        StartedProgram::TearDown();
    }

    QWidget* weiteres()
    {
        button("men7")->click();
        return ui::WindowRegistry::loadedWindow(QStringLiteral("weiteres"));
    }
    void click(const char* name)
    {
        QWidget* w = weiteres();
        ASSERT_NE(w, nullptr);
        control<QPushButton>(w, name)->click();
    }
    QString file() { return cookbook().name(); }
    QString text(const QString& sql) { return db().scalar(sql).toString(); }
    // The recipes as titles and lines, to tell the same cookbook after a compaction.
    QByteArray recipes()
    {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        db::Statement st(db(), QStringLiteral("select r.rid, r.rname, z.tid, z.nr, z.menge, z.zutid from rezepte r "
                                              "left join zutaten z on z.rid=r.rid order by r.rid, z.tid, z.nr"));
        while (st.step())
            for (int i = 0; i < st.columnCount(); ++i) hash.addData(st.text(i).toUtf8() + '|');
        return hash.result();
    }
    QStringList titles()
    {
        QStringList list;
        for (int r = 0; r < rezgrid()->model()->rowCount(); ++r) list << rezgrid()->model()->index(r, 0).data().toString();
        return list;
    }
};

TEST_F(Maintenance, ACompactionShrinksTheFileKeepsEveryRecipeAndBringsTheWindowBack)
{
    const qint64 padding = count(QStringLiteral("select max(rid) from rezepte")) + 1;
    db().execute(QStringLiteral("insert into zubereit (rid,ztext) select ?, hex(randomblob(200000))"), {padding});
    db().execute(QStringLiteral("delete from zubereit where rid=?"), {padding});
    rez()->recordset()->findFirst(QStringLiteral("rid=5"));
    const QString shown = reznam()->text();
    const QByteArray before = recipes();
    const qint64 sizeBefore = QFileInfo(file()).size();

    dialogs.expect(QStringLiteral("Fertig. Das Kochbuch wurde komprimiert. Vorher : ") + QLocale().toString(sizeBefore) +
                       QStringLiteral(" Bytes, jetzt "),
                   Answer::Ok);
    click("komprim");
    dialogs.verify();

    hm = ui::WindowRegistry::instance<Hm>(QStringLiteral("hm"));
    EXPECT_LT(QFileInfo(file()).size(), sizeBefore);
    EXPECT_EQ(recipes(), before);
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(QStringLiteral("ende"))) << "no closing screen";
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(QStringLiteral("weiteres")));
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(reznam()->text(), shown);
    EXPECT_EQ(rezgrid()->currentIndex().data().toString(), shown);
    EXPECT_FALSE(QFile::exists(file() + QStringLiteral(".tmp")));
    // The editor stayed loaded and works on the reopened cookbook.
    ASSERT_TRUE(ui::WindowRegistry::isLoaded(QStringLiteral("neu_rezept")));
    button("neurez")->click();
    EXPECT_EQ(checkUnitText(cookbook(), QStringLiteral("ccm")).ename, QStringLiteral("ml"));
}

TEST_F(Maintenance, AFailingCompactionSaysWhyAndKeepsTheCookbookWholeAndOpen)
{
    const QString path = file();
    for (const char* failing : {"copy", "sync", "check", "permissions", "rename"}) {
        SCOPED_TRACE(failing);
        // A copy left by an interrupted run lies beside the cookbook.
        QFile stale(path + QStringLiteral(".tmp"));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("halb");
        stale.close();
        const QByteArray before = recipes();
        setCompactionFault([failing](const char* step) {
            if (qstrcmp(step, failing) == 0) throw std::runtime_error("eingespielter Fehler");
        });
        dialogs.expect(QStringLiteral("Das Kochbuch wurde nicht komprimiert: eingespielter Fehler"), Answer::Ok);
        click("komprim");
        dialogs.verify();
        hm = ui::WindowRegistry::instance<Hm>(QStringLiteral("hm"));
        ASSERT_TRUE(kochbuchdb && kochbuchdb->isOpen());
        EXPECT_EQ(cookbook().name(), path);
        EXPECT_EQ(recipes(), before);
        EXPECT_EQ(cookbook().scalar(QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
        EXPECT_FALSE(QFile::exists(path + QStringLiteral(".tmp")));
        EXPECT_GT(rezgrid()->model()->rowCount(), 0);
    }
}

TEST_F(Maintenance, ACookbookAnotherProgramHoldsOpenIsNotCompacted)
{
    const QString path = file();
    QProcess holder;
    holder.start(QStringLiteral("flock"), {QStringLiteral("-s"), path, QStringLiteral("sleep"), QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    QTest::qWait(300);
    const QByteArray before = recipes();
    dialogs.expect(QStringLiteral("Dieses Kochbuch kann zur Zeit nicht komprimiert werden."), Answer::Ok);
    click("komprim");
    dialogs.verify();
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(cookbook().name(), path);
    EXPECT_EQ(recipes(), before);
}

TEST_F(Maintenance, DuplicatesGoInOneRunKeepingTheNewestOfEachTitle)
{
    db::Database& book = db();
    const qint64 aliasName = count(QStringLiteral("select zutid from zutimp limit 1"));
    book.execute(QStringLiteral("insert into zutindex (zutat) values ('nur eine Mehrzahl'), ('von niemandem')"));
    const qint64 plural = count(QStringLiteral("select zutid from zutindex where zutat='nur eine Mehrzahl'"));
    book.execute(QStringLiteral("insert into zutmehrzahl (zutid,mehrzahl) values (?, 'Mehrzahlen')"), {plural});
    // Three copies of one title, two differing in case only.
    QList<qint64> copies;
    for (const char* title : {"Hefezopf", "Hefezopf", "KAISERSCHMARRN"}) {
        book.execute(QStringLiteral("insert into rezepte (rname,port,kid) values (?,4,1)"), {QString::fromLatin1(title)});
        const qint64 rid = book.lastInsertId();
        book.execute(QStringLiteral("insert into zutaten (rid,tid,nr,zutid) values (?,1,1,1)"), {rid});
        book.execute(QStringLiteral("insert into zubereit (rid,ztext) values (?,'x')"), {rid});
        book.execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) values (1,?,'x',4)"), {rid});
        copies << rid;
    }
    const qint64 hefezopf = copies[1];
    const qint64 kaiserschmarrn = copies[2];
    const QList<qint64> gone = {count(QStringLiteral("select min(rid) from rezepte where rname='Hefezopf'")), copies[0],
                                count(QStringLiteral("select min(rid) from rezepte where rname='Kaiserschmarrn'"))};
    rez()->refresh();
    const qint64 recipesBefore = count(QStringLiteral("select count(*) from rezepte"));

    dialogs.expect(QStringLiteral("Die Löschung der Duplikate kann etwas dauern."), Answer::Ok);
    dialogs.expect(QStringLiteral("Es wurden alle Duplikate gelöscht. Sie sollten jetzt das Kochbuch komprimieren."),
                   Answer::Ok);
    click("deldup");
    dialogs.verify();

    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), recipesBefore - 3);
    EXPECT_EQ(count(QStringLiteral("select rid from rezepte where rname='Hefezopf'")), hefezopf);
    EXPECT_EQ(count(QStringLiteral("select rid from rezepte where rname='Kaiserschmarrn'")), kaiserschmarrn);
    for (qint64 rid : gone)
        for (const QString& table : reztabellen)
            EXPECT_EQ(count(QStringLiteral("select count(*) from %1 where rid=%2").arg(table).arg(rid)), 0) << table.toStdString();
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutindex where zutid=%1").arg(aliasName)), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutindex where zutid=%1").arg(plural)), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutindex where zutat='von niemandem'")), 0);
    EXPECT_EQ(rezgrid()->model()->rowCount(), recipesBefore - 3);
    EXPECT_EQ(rezzahl()->text(), formatCount(recipesBefore - 3));
    EXPECT_EQ(titles().count(QStringLiteral("Hefezopf")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from duprez")), 0);
}

TEST_F(Maintenance, AFailingDuplicateRemovalDeletesNothing)
{
    db().execute(QStringLiteral("insert into rezepte (rname,port,kid) values ('Hefezopf',4,1)"));
    db().execute(QStringLiteral("create trigger gesperrt before delete on rezepte begin select raise(abort,'gesperrt'); end"));
    const qint64 recipes = count(QStringLiteral("select count(*) from rezepte"));
    const qint64 names = count(QStringLiteral("select count(*) from zutindex"));
    dialogs.expect(QStringLiteral("Die Löschung der Duplikate kann etwas dauern."), Answer::Ok);
    dialogs.expect(QStringLiteral("DELDUP_CLICK : "), Answer::Ok).withTitle(QStringLiteral(" F E H L E R"));
    click("deldup");
    dialogs.verify();
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte")), recipes);
    EXPECT_EQ(count(QStringLiteral("select count(*) from zutindex")), names);
}

TEST_F(Maintenance, ADeletedCommentLeavesRecipesListsAndTheMainWindow)
{
    click("komment");
    QWidget* editor = ui::WindowRegistry::loadedWindow(QStringLiteral("weiters_komment"));
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(QStringLiteral("weiteres")));
    auto* grid = control<QTableView>(editor, "komgrid");
    const auto rowOf = [grid](const QString& text) {
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (grid->model()->index(r, 0).data().toString() == text) return r;
        return -1;
    };
    const QString zero = text(QStringLiteral("select komment from komment where komid=0"));
    const QString other = text(QStringLiteral("select komment from komment where komid=2"));
    db().execute(QStringLiteral("update rezinaus set komid=2"));
    ASSERT_GT(count(QStringLiteral("select count(*) from rezepte where komid=2")), 0);

    grid->setCurrentIndex(grid->model()->index(rowOf(zero), 0));
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(count(QStringLiteral("select count(*) from komment where komid=0")), 1) << "comment 0 stays, silently";

    grid->setCurrentIndex(grid->model()->index(rowOf(other), 0));
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(count(QStringLiteral("select count(*) from komment where komid=2")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where komid=2")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezinaus where komid=2")), 0);
    EXPECT_EQ(komgrid()->findText(other), -1);
    button("rubmodechange")->click();
    EXPECT_EQ(katgrid()->findText(other), -1);
}

TEST_F(Maintenance, UmlautExceptionsRoundTripThroughTheEditor)
{
    const QString path = text::exclListPath();
    ASSERT_FALSE(path.isEmpty());
    const auto contents = [&path] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray before = contents();
    ASSERT_FALSE(before.isEmpty());

    const auto openEditor = [&]() -> WeiteresUmlaute* {
        dialogs.expectModal(QStringLiteral("weiteres_umlaute"), [] { return 1; });
        click("umlaut");
        return qobject_cast<WeiteresUmlaute*>(ui::WindowRegistry::loadedWindow(QStringLiteral("weiteres_umlaute")));
    };
    // Opened and closed without a change: the file as it was, byte for byte.
    WeiteresUmlaute* editor = openEditor();
    ASSERT_NE(editor, nullptr);
    control<QPushButton>(editor, "kreuz")->click();
    EXPECT_EQ(contents(), before);

    // A word added under "Ae" and one deleted under "ae".
    editor = openEditor();
    ASSERT_NE(editor, nullptr);
    editor->v_Click(4);
    auto* grid = control<QTableView>(editor, "umgrid");
    auto* model = grid->model();
    const int words = model->rowCount() - 1;
    dialogs.expect(QStringLiteral("Das Wort muss die Buchstaben 'Ae' enthalten"), Answer::Ok);
    EXPECT_FALSE(model->setData(model->index(words, 0), QStringLiteral("Aerodynamisch").toLower()));
    dialogs.expect(QStringLiteral("ein Zeichen"), Answer::Ok);
    EXPECT_FALSE(model->setData(model->index(words, 0), QString::fromUtf8("Aeł")));
    EXPECT_TRUE(model->setData(model->index(words, 0), QStringLiteral("Aerodynamik")));
    EXPECT_EQ(count(QStringLiteral("select count(*) from umlaute where alt='gAe' and alttext='Aerodynamik'")), 1);
    editor->v_Click(1);
    const qint64 israel = count(QStringLiteral("select count(*) from umlaute where alttext='Israel'"));
    ASSERT_EQ(israel, 1);
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        if (grid->model()->index(r, 0).data().toString() == QStringLiteral("Israel")) {
            grid->setCurrentIndex(grid->model()->index(r, 0));
            QTest::keyClick(grid, Qt::Key_Delete);
            break;
        }
    control<QPushButton>(editor, "kreuz")->click();
    const std::vector<text::ExclWord> stored = text::readExclList(contents());
    EXPECT_TRUE(std::any_of(stored.begin(), stored.end(),
                            [](const text::ExclWord& w) { return w.alt == "gAe" && w.alttext == "Aerodynamik"; }));
    EXPECT_FALSE(std::any_of(stored.begin(), stored.end(), [](const text::ExclWord& w) { return w.alttext == "Israel"; }));

    // A missing file is said, and the editor does not open.
    ASSERT_TRUE(QFile::remove(path));
    dialogs.expect(QStringLiteral("Die Datei excllist.txt fehlt !"), Answer::Ok);
    click("umlaut");
    dialogs.verify();
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(QStringLiteral("weiteres_umlaute")));

    // A malformed file opens.
    QFile broken(QDir(paths::programFolder()).filePath(QStringLiteral("excllist.TXT")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("kein Format\r\n/////\r\nae\r\n");
    broken.close();
    editor = openEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(count(QStringLiteral("select count(*) from umlaute")), 0);
    control<QPushButton>(editor, "kreuz")->click();
    EXPECT_TRUE(QFile::exists(broken.fileName())) << "the file keeps its own name";
}

TEST_F(Maintenance, WordsTypedOneAfterAnotherIntoTheNewRowAreAllKept)
{
    dialogs.expectModal(QStringLiteral("weiteres_umlaute"), [] { return 1; });
    click("umlaut");
    auto* editor = qobject_cast<WeiteresUmlaute*>(ui::WindowRegistry::loadedWindow(QStringLiteral("weiteres_umlaute")));
    ASSERT_NE(editor, nullptr);
    editor->show();
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    auto* grid = control<QTableView>(editor, "umgrid");
    const qint64 before = count(QStringLiteral("select count(*) from umlaute where alt='ae'"));
    // Keys as a user presses them: each goes where the focus is, the open cell or the grid.
    const auto typeWord = [](const QString& word) {
        for (const QChar c : word) QTest::keyClicks(QApplication::focusWidget(), QString(c));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
    };
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(grid->model()->rowCount() - 1, 0));
    typeWord(QStringLiteral("Gaeta"));
    typeWord(QStringLiteral("Raffaela"));
    typeWord(QStringLiteral("Kaempfer"));

    EXPECT_EQ(count(QStringLiteral("select count(*) from umlaute where alt='ae'")), before + 3);
    for (const char* word : {"Gaeta", "Raffaela", "Kaempfer"})
        EXPECT_EQ(count(QStringLiteral("select count(*) from umlaute where alt='ae' and alttext='%1'")
                            .arg(QString::fromLatin1(word))),
                  1)
            << word;
    EXPECT_TRUE(grid->model()->data(grid->model()->index(grid->model()->rowCount() - 1, 0)).toString().isEmpty())
        << "the new row stays empty for the next word";
    control<QPushButton>(editor, "kreuz")->click();
    QFile list(text::exclListPath());
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    const std::vector<text::ExclWord> stored = text::readExclList(list.readAll());
    for (const char* word : {"Gaeta", "Raffaela", "Kaempfer"})
        EXPECT_TRUE(std::any_of(stored.begin(), stored.end(),
                                [&](const text::ExclWord& w) { return w.alt == "ae" && w.alttext == QLatin1String(word); }))
            << word;
}

TEST_F(Maintenance, SettingsAreWrittenAsTheWindowOpensAndAsTyped)
{
    savereg(reg::wizard, QStringLiteral("OFF"));
    QWidget* w = weiteres();
    EXPECT_EQ(getreg(reg::wizard), QStringLiteral("on"));
    control<QLabel>(w, "zeig0")->setFocus();
    ui::WindowRegistry::unload(QStringLiteral("weiteres"));
    savereg(reg::wizard, QStringLiteral("off"));
    w = weiteres();
    EXPECT_EQ(getreg(reg::wizard), QStringLiteral("off"));
    auto* box = control<QLineEdit>(w, "suchtreffer");
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("abc"));
    control<QPushButton>(w, "kreuz")->click();
    EXPECT_EQ(getreg(reg::suchtreffer), QStringLiteral("abc")) << "stored as typed";
}

// A damaged cookbook cannot be compacted; the reason reaches the user in German, and the
// file and its folder stay as they were.
TEST(DamagedCookbookCompaction, SaysWhyInGerman)
{
    TestEnvironment env;
    const struct {
        const char* damage;
        qint64 offset;
        QByteArray from;
        QByteArray to;
        const char* sentence;
    } cases[] = {
        {"format number", 44, {}, QByteArray("\x00\x00\x00\x09", 4),
         "Die Datenbankdatei hat ein Format, das Kelvor nicht lesen kann"},
        {"collation in the schema", -1, "NOCASE_DE", "NOCASX_DE", "Die Sortierfolge NOCASX_DE ist unbekannt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        const QString folder = env.copyShippedCookbook(QString::fromLatin1(c.damage).replace(u' ', u'_'));
        const QString file = folder + kochbuchdatei;
        QByteArray bytes = fileBytes(file);
        if (c.offset >= 0) {
            bytes.replace(c.offset, c.to.size(), c.to);
        } else {
            ASSERT_TRUE(bytes.contains(c.from));
            bytes.replace(c.from, c.to);
        }
        writeFileBytes(file, bytes);

        try {
            compactCookbookFile(file);
            ADD_FAILURE() << "compacted";
        } catch (const CookbookInUse&) {
            ADD_FAILURE() << "taken for a cookbook in use";
        } catch (const std::exception& e) {
            const QString why = QString::fromStdString(e.what());
            EXPECT_TRUE(why.startsWith(QString::fromUtf8(c.sentence))) << e.what();
        }
        EXPECT_EQ(fileBytes(file), bytes);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{kochbuchdatei});
    }
}

}  // namespace
}  // namespace kv::test
