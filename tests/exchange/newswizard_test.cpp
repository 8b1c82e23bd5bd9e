// The newsgroup wizard and the reader window on the started program: the user database
// moved into place on first use or missing, the old date column, the grids of servers
// and groups, marking and unmarking, the cross, the start without a marked group, the
// log, and a run during which the main window takes no input and which ends in the
// program's own import windows.

#include "exchange/newsreaderwork_window.h"
#include "exchange/userdb.h"
#include "platform/nntp/nntpclient.h"
#include "platform/paths.h"
#include "tests/exchange/importfixture.h"
#include "tests/mainwindow/startedprogram.h"
#include "tests/support/loopbacknntp.h"

#include <QHostAddress>
#include <QListView>
#include <QListWidget>
#include <QScreen>
#include <QTcpServer>
#include <QTest>

#include <sys/stat.h>

namespace kv::test {

namespace {

const QString kWizard = QStringLiteral("wizard_news");
const QString kReader = QStringLiteral("newsreaderwork");

class NewsWizard : public StartedProgram {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(start()); }
    void TearDown() override
    {
        user.reset();
        StartedProgram::TearDown();
    }

    QString programFile(const QString& name) const { return paths::programFolder() + u'/' + name; }

    // The main window's button; the wizard's modal loop is the test's `whileShown`.
    void openWizard(const std::function<void()>& whileShown = {})
    {
        dialogs.expectModal(kWizard, [this, whileShown] {
            wizard = ui::WindowRegistry::get(kWizard);
            if (whileShown) whileShown();
            return 0;
        });
        button("men5")->click();
    }

    // The user database as the wizard left it, on a connection of the test's own.
    db::Database& userDb()
    {
        if (!user) {
            EXPECT_TRUE(exchange::provideUserDb());
            user = exchange::openUserDb();
        }
        return *user;
    }

    QTableView* grid(const char* name) { return control<QTableView>(wizard, name); }
    QListView* selectgrid() { return control<QListView>(wizard, "selectgrid"); }
    QStringList column(const char* gridName, int column)
    {
        QStringList values;
        QAbstractItemModel* model = grid(gridName)->model();
        for (int row = 0; row < model->rowCount(); ++row) values << model->index(row, column).data().toString();
        return values;
    }
    QStringList marked()
    {
        QStringList names;
        QAbstractItemModel* model = selectgrid()->model();
        for (int row = 0; row < model->rowCount(); ++row) names << model->index(row, 0).data().toString();
        return names;
    }
    // Typing a value into a cell and leaving it.
    void type(const char* gridName, int row, int column, const QString& value)
    {
        QAbstractItemModel* model = grid(gridName)->model();
        ASSERT_TRUE(model->setData(model->index(row, column), value, Qt::EditRole));
        QCoreApplication::processEvents();
    }
    void clickCell(const char* gridName, int row, int column)
    {
        QTableView* view = grid(gridName);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, column)).center());
    }

    QWidget* wizard = nullptr;
    std::shared_ptr<db::Database> user;
};

}  // namespace

TEST_F(NewsWizard, FirstUseMovesTheShippedFileAndWithoutOneTheWizardSaysSoAndGoes)
{
    const QString shipped = programFile(QStringLiteral("kochbuch/kelvor-user.mdb"));
    ASSERT_TRUE(QFileInfo::exists(shipped));
    ASSERT_FALSE(QFileInfo::exists(programFile(QStringLiteral("kelvor-user.mdb"))));

    openWizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_FALSE(QFileInfo::exists(shipped));
    EXPECT_EQ(userDb().tableNames(), QStringList({"newsgroups", "newsimport", "newsserver"}));
    EXPECT_EQ(userDb().recordCount(QStringLiteral("newsserver")) + userDb().recordCount(QStringLiteral("newsgroups")), 0);

    ui::WindowRegistry::unload(kWizard);
    user.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(QFile::remove(programFile(QStringLiteral("kelvor-user.mdb"))));
    dialogs.expectModal(kWizard, [] { return ui::execModal(ui::WindowRegistry::get(kWizard)); });
    dialogs.expect(QStringLiteral("Die Datei kelvor-user.mdb muß in dem Verzeichnis sein, in dem auch kelvor.exe sich "
                                  "befindet."),
                   ui::Answer::Ok)
        .withTitle(QStringLiteral(" "))
        .withStyle(ui::OkOnly);
    button("men5")->click();
    dialogs.verify();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(kWizard));
}

// The file's mode bits, as `ls -l` shows them.
int modeOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return -1;
    return int(st.st_mode & 07777);
}

TEST_F(NewsWizard, TheUserDatabaseAndItsJournalAreReadableByTheirOwnerAlone)
{
    const QString shipped = programFile(QStringLiteral("kochbuch/kelvor-user.mdb"));
    const QString moved = programFile(QStringLiteral("kelvor-user.mdb"));
    // Made by the first start from the shipped file, which everybody may read.
    ASSERT_EQ(modeOf(QStringLiteral(KELVOR_SHIPPED_DIR "/kochbuch/kelvor-user.mdb")) & 044, 044);
    EXPECT_EQ(modeOf(shipped), 0600);

    openWizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(modeOf(moved), 0600);
    {
        db::Transaction tx(userDb());
        userDb().execute(QStringLiteral("insert into newsserver (sname, port) values ('news.example.org', 119)"));
        ASSERT_TRUE(QFileInfo::exists(moved + QStringLiteral("-journal")));
        EXPECT_EQ(modeOf(moved + QStringLiteral("-journal")), 0600);
        tx.commit();
    }
    EXPECT_EQ(modeOf(moved), 0600);

    // A file moved into place by an older version, readable by everybody, is closed to
    // others at its next use.
    ui::WindowRegistry::unload(kWizard);
    user.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(QFile::setPermissions(moved, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    ASSERT_EQ(modeOf(moved), 0644);
    openWizard();
    EXPECT_EQ(modeOf(moved), 0600);
    EXPECT_EQ(userDb().recordCount(QStringLiteral("newsserver")), 1);
}

TEST_F(NewsWizard, ADateLdatumBecomesAnIntegerColumnOfNulls)
{
    {
        auto old = db::Database::create(programFile(QStringLiteral("kelvor-user.mdb")));
        old->execute(QStringLiteral("create table newsserver (servid integer primary key autoincrement, sname "
                                    "varchar(255) collate nocase_de, port long)"));
        old->execute(QStringLiteral("create table newsgroups (ngid integer primary key autoincrement, servid long, "
                                    "newsgroup varchar(255) collate nocase_de, userid varchar(100) collate nocase_de, "
                                    "password varchar(100) collate nocase_de, ldatum datetime, import varchar(1) "
                                    "collate nocase_de)"));
        old->execute(QStringLiteral("create table newsimport (msgnr long)"));
        old->execute(QStringLiteral("insert into newsserver (sname, port) values ('news.example.org', 119)"));
        old->execute(QStringLiteral("insert into newsgroups (servid, newsgroup, ldatum, import) values "
                                    "(1, 'de.rec.kochen', '2001-03-04 00:00:00', 'X'), (1, 'de.rec.backen', "
                                    "'2002-05-06 00:00:00', '0')"));
    }
    openWizard();

    const auto ldatum = userDb().field(QStringLiteral("newsgroups"), QStringLiteral("ldatum"));
    ASSERT_TRUE(ldatum);
    EXPECT_EQ(ldatum->type, db::FieldType::Long);
    EXPECT_EQ(userDb().scalar(QStringLiteral("select count(*) from newsgroups where ldatum is null")).toInt(), 2);
    EXPECT_EQ(column("groupgrid", 0), QStringList({"de.rec.kochen", "de.rec.backen", ""}));
    EXPECT_EQ(column("groupgrid", 3), QStringList({"", "", ""})) << "the new row included";
    EXPECT_EQ(marked(), QStringList({"news.example.org : de.rec.kochen"}));
}

TEST_F(NewsWizard, AServerRowGetsPort119WhenItBecomesCurrentAndItsGroupsFollowIt)
{
    userDb().execute(QStringLiteral("insert into newsserver (sname) values ('news.example.org')"));
    userDb().execute(QStringLiteral("insert into newsgroups (servid, newsgroup) values (1, 'de.rec.kochen')"));
    openWizard();
    EXPECT_EQ(column("servgrid", 1), QStringList({"119", ""})) << "the first row is current on loading";
    EXPECT_EQ(column("groupgrid", 0), QStringList({"de.rec.kochen", ""}));

    // A new server: its groups are the new row's, none yet.
    clickCell("servgrid", 1, 0);
    type("servgrid", 1, 0, QStringLiteral("news.zweiter.de"));
    EXPECT_EQ(column("servgrid", 1), QStringList({"119", "119", ""}));
    EXPECT_EQ(userDb().scalar(QStringLiteral("select port from newsserver where sname='news.zweiter.de'")).toInt(), 119);
    EXPECT_EQ(column("groupgrid", 0), QStringList({""}));
    EXPECT_TRUE(grid("groupgrid")->isVisibleTo(wizard));

    // A group typed for it belongs to it.
    type("groupgrid", 0, 0, QStringLiteral("de.rec.backen"));
    type("groupgrid", 0, 3, QStringLiteral("57"));
    EXPECT_EQ(userDb().scalar(QStringLiteral("select servid from newsgroups where newsgroup='de.rec.backen'")).toInt(), 2);
    EXPECT_EQ(userDb().scalar(QStringLiteral("select ldatum from newsgroups where newsgroup='de.rec.backen'")).toInt(), 57);

    clickCell("servgrid", 0, 0);
    EXPECT_EQ(column("groupgrid", 0), QStringList({"de.rec.kochen", ""}));
}

TEST_F(NewsWizard, ADoubleClickMarksAGroupAndDeleteUnmarksItAndTheCrossKeepsTheState)
{
    userDb().execute(QStringLiteral("insert into newsserver (sname, port) values ('news.example.org', 119)"));
    userDb().execute(QStringLiteral("insert into newsgroups (servid, newsgroup, import) values (1, 'de.rec.kochen', "
                                    "'0'), (1, 'de.rec.backen', '0')"));
    openWizard([this] {
        QTableView* groups = grid("groupgrid");
        const QPoint cell = groups->visualRect(groups->model()->index(1, 0)).center();
        QTest::mouseClick(groups->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(groups->viewport(), Qt::LeftButton, {}, cell);
        EXPECT_EQ(userDb().scalar(QStringLiteral("select import from newsgroups where newsgroup='de.rec.backen'")), "X");
        EXPECT_EQ(marked(), QStringList({"news.example.org : de.rec.backen"}));
        EXPECT_FALSE(groups->isPersistentEditorOpen(groups->currentIndex()));

        selectgrid()->setCurrentIndex(selectgrid()->model()->index(0, 0));
        QTest::keyClick(selectgrid(), Qt::Key_Delete);
        EXPECT_EQ(userDb().scalar(QStringLiteral("select import from newsgroups where newsgroup='de.rec.backen'")), "0");
        EXPECT_TRUE(marked().isEmpty());

        // Marked again, then the wizard is closed with its cross.
        QTest::mouseDClick(groups->viewport(), Qt::LeftButton, {}, cell);
        control<QToolButton>(wizard, "kreuz")->click();
        EXPECT_FALSE(wizard->isVisible());
    });
    EXPECT_TRUE(ui::WindowRegistry::isLoaded(kWizard));

    QWidget* first = wizard;
    openWizard();
    EXPECT_EQ(wizard, first) << "the same window, as it was";
    EXPECT_EQ(grid("groupgrid")->currentIndex().row(), 1);
    EXPECT_EQ(marked(), QStringList({"news.example.org : de.rec.backen"}));
}

TEST_F(NewsWizard, NoMarkedGroupEndsTheSessionWithoutAnImport)
{
    writeFileBytes(exchange::handOverFile(), "vom letzten Mal");
    openWizard([this] {
        dialogs.expect(QStringLiteral("Es ist kein Newsserver ausgewählt. Ende der Sitzung."), ui::Answer::Ok)
            .withStyle(ui::OkOnly);
        control<QToolButton>(wizard, "start")->click();
    });
    dialogs.verify();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(kWizard));
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(kReader));
    EXPECT_EQ(fileBytes(exchange::handOverFile()), "vom letzten Mal");
}

TEST_F(NewsWizard, TheLogLosesItsFirstLineOnlyPastFourHundredCharacters)
{
    ASSERT_TRUE(exchange::provideUserDb());
    auto* reader = ui::WindowRegistry::instance<Newsreaderwork>(kReader);
    auto* status = control<QPlainTextEdit>(reader, "status");
    EXPECT_EQ(status->toPlainText(), " ");
    QStringList lines;
    for (int i = 1; i <= 8; ++i) {
        lines << QStringLiteral("Zeile %1 ").arg(i).leftJustified(45, u'.');
        reader->stat(lines.last());
    }
    // 1 + 8 * 47 characters: all there.
    EXPECT_EQ(status->toPlainText(), " \n" + lines.join(u'\n'));
    lines << QStringLiteral("Zeile 9 ").leftJustified(45, u'.');
    reader->stat(lines.last());
    EXPECT_EQ(status->toPlainText(), lines.join(u'\n')) << "424 characters: the first line goes";
    lines << QStringLiteral("Zeile 10");
    reader->stat(lines.last());
    EXPECT_EQ(status->toPlainText(), lines.mid(1).join(u'\n')) << "one line per call, 421 are left over";
    reader->statline(QStringLiteral("Nur noch dies"));
    EXPECT_EQ(status->toPlainText(), "Nur noch dies");
}

TEST_F(NewsWizard, WhileARunLastsOnlyItsCancelButtonTakesInput)
{
    nntp::Limits limits;
    limits.replyTimeoutMs = 3000;
    limits.connectTimeoutMs = 3000;
    nntp::setDefaultLimits(limits);
    LoopbackNntp server;
    LoopbackNntp::Group& group = server.group(QStringLiteral("de.rec.kochen"));
    for (qint64 n = 1; n <= 3; ++n)
        group.articles[n] = LoopbackNntp::article("Rezept", mmRecipe("Newsrezept " + QByteArray::number(n)));
    userDb().execute(QStringLiteral("insert into newsserver (sname, port) values ('127.0.0.1', ?)"), {server.port()});
    userDb().execute(QStringLiteral("insert into newsgroups (servid, newsgroup, import) values (1, 'de.rec.kochen', 'X')"));
    user.reset();

    QWidget* reader = nullptr;
    bool hmTookTheClick = false;
    server.onCommand = [&](LoopbackNntp::Session&, const QByteArray& command) {
        if (command != "ARTICLE 2") return false;
        reader = ui::WindowRegistry::loadedWindow(kReader);
        EXPECT_EQ(QApplication::activeModalWidget(), reader);
        EXPECT_FALSE(wizard->isVisible());
        // A click on the main window's search button, through the window system as the
        // user's would come: the reader blocks it.
        QToolButton* men1 = button("men1");
        const QPoint at = men1->mapTo(hm, men1->rect().center());
        QObject::connect(men1, &QToolButton::clicked, men1, [&] { hmTookTheClick = true; });
        QTest::mouseClick(hm->windowHandle(), Qt::LeftButton, {}, at);
        control<QToolButton>(reader, "abbruch")->click();
        return false;
    };
    openWizard([this] {
        dialogs.expect(QStringLiteral("Fertig."), ui::Answer::Ok);
        control<QToolButton>(wizard, "start")->click();
    });
    dialogs.verify();

    EXPECT_FALSE(hmTookTheClick);
    ASSERT_NE(reader, nullptr);
    EXPECT_TRUE(ui::WindowRegistry::isLoaded(kReader)) << "kept, hidden, for the next run";
    EXPECT_FALSE(reader->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(kWizard));
    EXPECT_TRUE(control<QPlainTextEdit>(reader, "status")->toPlainText().contains("M o m e n t   bitte"));
    // The recipe imported waits in the program's own category window; the progress
    // window is gone.
    QWidget* nachimport = ui::WindowRegistry::loadedWindow(QStringLiteral("wizard_nachimport"));
    ASSERT_NE(nachimport, nullptr);
    EXPECT_TRUE(nachimport->isVisible());
    EXPECT_EQ(control<QListWidget>(nachimport, "neurezgrid")->item(0)->text(), "Newsrezept 1");
    EXPECT_EQ(control<QListWidget>(nachimport, "neurezgrid")->count(), 1);
    QWidget* progress = ui::WindowRegistry::loadedWindow(QStringLiteral("importstatus"));
    EXPECT_TRUE(progress == nullptr || !progress->isVisible());

    // Once more: the second click, answered Yes, ends the run without an import and the
    // window goes.
    server.onCommand = [&](LoopbackNntp::Session&, const QByteArray& command) {
        if (command != "ARTICLE 2") return false;
        QToolButton* abbruch = control<QToolButton>(ui::WindowRegistry::loadedWindow(kReader), "abbruch");
        abbruch->click();
        dialogs.expect(QStringLiteral("Ohne Import der bisher gelesenen Nachrichten abbrechen ?"), ui::Answer::Yes);
        abbruch->click();
        return true;
    };
    openWizard([this] { control<QToolButton>(wizard, "start")->click(); });
    dialogs.verify();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(kReader));
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(kWizard));
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where rname like 'Newsrezept*'")), 1);
    EXPECT_EQ(userDb().scalar(QStringLiteral("select ldatum from newsgroups")).toInt(), 2);
    nntp::setDefaultLimits({});
}

TEST_F(NewsWizard, AFailedRunImportsWhatItReadAndKeepsItsWindowAndLogUntilItsButtonClosesIt)
{
    nntp::Limits limits;
    limits.replyTimeoutMs = 3000;
    limits.connectTimeoutMs = 3000;
    nntp::setDefaultLimits(limits);
    LoopbackNntp server;
    LoopbackNntp::Group& group = server.group(QStringLiteral("de.rec.kochen"));
    for (qint64 n = 1; n <= 3; ++n)
        group.articles[n] = LoopbackNntp::article("Rezept", mmRecipe("Newsrezept " + QByteArray::number(n)));
    // A server that is down: a port nobody listens on any more.
    QTcpServer gone;
    ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
    const int refusedPort = gone.serverPort();
    gone.close();
    userDb().execute(QStringLiteral("insert into newsserver (sname, port) values ('127.0.0.1', ?), ('127.0.0.2', ?)"),
                     {server.port(), refusedPort});
    userDb().execute(QStringLiteral("insert into newsgroups (servid, newsgroup, ldatum, import) values "
                                    "(1, 'de.rec.kochen', 1, 'X'), (2, 'de.rec.backen', null, 'X')"));
    user.reset();
    const auto startRun = [this] {
        openWizard([this] {
            dialogs.expect(QStringLiteral("Fertig."), ui::Answer::Ok);
            control<QToolButton>(wizard, "start")->click();
        });
        dialogs.verify();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    // While a run lasts the reader takes the program's input.
    QWidget* modalDuringRun = nullptr;
    server.onCommand = [&](LoopbackNntp::Session&, const QByteArray& command) {
        if (command.startsWith("ARTICLE")) modalDuringRun = QApplication::activeModalWidget();
        return false;
    };
    const QString failedEnd =
        QStringLiteral("Das Lesen endete mit Fehlern; schließen Sie dieses Fenster mit \"Abbruch\".");

    startRun();

    QWidget* reader = ui::WindowRegistry::loadedWindow(kReader);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(modalDuringRun, reader);
    EXPECT_TRUE(reader->isVisible()) << "the failure stays in sight";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "but takes no input away once the run is over";
    const QStringList log = control<QPlainTextEdit>(reader, "status")->toPlainText().split(u'\n');
    EXPECT_EQ(log.mid(log.size() - 2),
              QStringList({"F e h l e r : Nicht zu Ende gelesen: de.rec.backen (Server nicht erreichbar). Sie bleiben "
                           "zum Lesen gewählt.",
                           failedEnd}));
    // What was read before is imported all the same.
    QWidget* nachimport = ui::WindowRegistry::loadedWindow(QStringLiteral("wizard_nachimport"));
    ASSERT_NE(nachimport, nullptr);
    EXPECT_EQ(control<QListWidget>(nachimport, "neurezgrid")->count(), 3);
    // Beside the log, not over it; both on the screen.
    const QRect area = reader->screen()->availableGeometry();
    EXPECT_FALSE(nachimport->frameGeometry().intersects(reader->frameGeometry()));
    EXPECT_TRUE(area.contains(nachimport->frameGeometry()));
    EXPECT_TRUE(area.contains(reader->frameGeometry()));

    // Its own button closes it, without a question, and leaves it loaded for the next run.
    control<QToolButton>(reader, "abbruch")->click();
    dialogs.verify();
    EXPECT_FALSE(reader->isVisible());
    EXPECT_TRUE(ui::WindowRegistry::isLoaded(kReader));

    // The next run, without failure: modal while it lasts, as before the window was left open.
    group.articles[4] = LoopbackNntp::article("Rezept", mmRecipe("Newsrezept 4"));
    userDb().execute(QStringLiteral("update newsgroups set import=case newsgroup when 'de.rec.kochen' then 'X' else "
                                    "'0' end"));
    user.reset();
    modalDuringRun = nullptr;
    startRun();
    EXPECT_EQ(modalDuringRun, reader);
    EXPECT_FALSE(reader->isVisible()) << "a run without failure hides the window as before";
    EXPECT_FALSE(control<QPlainTextEdit>(reader, "status")->toPlainText().endsWith(failedEnd));
    EXPECT_EQ(count(QStringLiteral("select count(*) from rezepte where rname like 'Newsrezept*'")), 4);
    nntp::setDefaultLimits({});
}

}  // namespace kv::test
