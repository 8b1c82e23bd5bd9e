// The newsgroup reading run against a news server inside the test: what it sends, what
// it keeps in the user database, what it writes for the import and what the import makes
// of it; the hostile servers, and the two cancels.

#include "exchange/newsrun.h"
#include "exchange/userdb.h"
#include "platform/nntp/nntpclient.h"
#include "tests/exchange/importfixture.h"
#include "tests/support/coreapp.h"
#include "tests/support/loopbacknntp.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpServer>

namespace kv::test {

namespace {

QByteArray recipeArticle(const QByteArray& title, const QByteArray& charset = {})
{
    return LoopbackNntp::article(title, "Ein Rezept:\n\n" + mmRecipe(title), charset);
}

// The window as the run sees it: the log as lines, the counter over the last one.
class ScriptedReaderHost : public exchange::NewsReaderHost {
public:
    void stat(const QString& message) override { lines << message; }
    void showCounter(qint64 number) override
    {
        if (!lines.isEmpty()) lines.last() = exchange::withCounter(lines.last(), number);
    }
    void beforeImport() override { ++imports; }

    // Times as "hh:mm:ss".
    QStringList log() const
    {
        static const QRegularExpression time(QStringLiteral("\\d\\d:\\d\\d:\\d\\d"));
        QStringList masked = lines;
        for (QString& line : masked) line.replace(time, QStringLiteral("hh:mm:ss"));
        return masked;
    }

    QStringList lines;
    int imports = 0;
};

class NewsReading : public ImportTest {
protected:
    static void SetUpTestSuite() { coreApp(); }

    void SetUp() override
    {
        ImportTest::SetUp();
        ASSERT_TRUE(exchange::provideUserDb());
        user = exchange::openUserDb();
        nntp::Limits limits;
        limits.connectTimeoutMs = 3000;
        limits.replyTimeoutMs = 3000;
        setLimits(limits);
    }
    void TearDown() override
    {
        run.reset();
        user.reset();
        nntp::setDefaultLimits({});
        ImportTest::TearDown();
    }

    // The run is made after the limits are set, as the window is made after the wizard.
    void setLimits(const nntp::Limits& limits)
    {
        nntp::setDefaultLimits(limits);
        run = std::make_unique<exchange::NewsRun>(host);
        run->openUserDb();
    }

    qint64 addServer(const QString& name, int port)
    {
        user->execute(QStringLiteral("insert into newsserver (sname, port) values (?, ?)"), {name, port});
        return user->lastInsertId();
    }
    // The test's server, stored once.
    qint64 local()
    {
        if (!m_local) m_local = addServer(QStringLiteral("127.0.0.1"), server.port());
        return m_local;
    }
    qint64 addGroup(qint64 servid, const QString& name, const QVariant& ldatum = {}, const QString& userid = {},
                    const QString& password = {})
    {
        user->execute(QStringLiteral("insert into newsgroups (servid, newsgroup, userid, password, ldatum, import) "
                                     "values (?, ?, ?, ?, ?, 'X')"),
                      {servid, name, userid, password, ldatum});
        return user->lastInsertId();
    }
    // "ldatum mark" of a group, "-" for Null.
    QString state(qint64 ngid)
    {
        db::Statement st(*user, QStringLiteral("select ldatum, import from newsgroups where ngid=?"));
        st.bind(1, ngid);
        if (!st.step()) return QStringLiteral("(fehlt)");
        return (st.isNull(0) ? QStringLiteral("-") : st.text(0)) + u' ' + st.text(1);
    }

    // A whole run that ends in the import.
    void readAndImport()
    {
        dialogs.expect(QStringLiteral("Fertig."), ui::Answer::Ok);
        EXPECT_EQ(run->startread(), exchange::NewsRunEnd::Imported);
        dialogs.verify();
        // The window's database went with the import; the test's own connection keeps the file.
        EXPECT_EQ(count(QStringLiteral("select count(*) from importdateien where dname like 'Newsgroup-Import *'")),
                  1);
        db().execute(QStringLiteral("delete from importdateien where did>1"));
    }

    QStringList titles()
    {
        QStringList names;
        db::Statement st(db(), QStringLiteral("select rname from rezepte where did>1 order by rid"));
        while (st.step()) names << st.text(0);
        return names;
    }
    QStringList commandsOf(int connection) const
    {
        QStringList list;
        const QString prefix = QString::number(connection) + u' ';
        for (const QString& c : server.commands)
            if (c.startsWith(prefix)) list << c.mid(prefix.size());
        return list;
    }
    QByteArray handedOver() { return fileBytes(exchange::handOverFile()); }

    LoopbackNntp server;
    ScriptedReaderHost host;
    std::shared_ptr<db::Database> user;
    std::unique_ptr<exchange::NewsRun> run;
    qint64 m_local = 0;
};

}  // namespace

TEST_F(NewsReading, GroupsOfOneServerShareOneLoggedInConnectionAndReadOnFromTheirStart)
{
    server.user = QStringLiteral("koch");
    server.password = QStringLiteral("geheim");
    LoopbackNntp::Group& kochen = server.group(QStringLiteral("de.rec.kochen"));
    kochen.last = 80;
    for (qint64 n = 50; n <= 80; ++n) kochen.articles[n] = recipeArticle("Suppe " + QByteArray::number(n));
    LoopbackNntp::Group& backen = server.group(QStringLiteral("de.rec.backen"));
    backen.first = 5;
    for (qint64 n = 5; n <= 7; ++n) backen.articles[n] = recipeArticle("Kuchen " + QByteArray::number(n));
    const QString koch = QStringLiteral("koch");
    const qint64 k = addGroup(local(), QStringLiteral("de.rec.kochen"), 57, koch, QStringLiteral("geheim"));
    const qint64 b = addGroup(local(), QStringLiteral("de.rec.backen"), {}, koch, QStringLiteral("geheim"));

    readAndImport();

    QStringList expected = {"MODE READER", "AUTHINFO USER koch", "AUTHINFO PASS geheim",
                            "GROUP de.rec.backen", "OVER 5-", "ARTICLE 5", "ARTICLE 6", "ARTICLE 7",
                            "GROUP de.rec.kochen", "OVER 57-"};
    for (int n = 57; n <= 80; ++n) expected << QStringLiteral("ARTICLE %1").arg(n);
    expected << "QUIT";
    EXPECT_EQ(commandsOf(1), expected);
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(state(k), "81 0");
    EXPECT_EQ(state(b), "8 0");

    const QString port = QString::number(server.port());
    EXPECT_EQ(host.log(), QStringList({"S t a r t .   [hh:mm:ss]",
                                       "S e r v e r   127.0.0.1, Port " + port + " wird gesucht ... ",
                                       "S e r v e r   127.0.0.1, Port " + port + " gefunden. [hh:mm:ss]",
                                       "N e w s g r o u p   de.rec.backen : 3 Artikel (5-7)",
                                       "Ü b e r s i c h t   wird eingelesen ... [00000007]",
                                       "N a c h r i c h t e n   werden eingelesen ... [00000007]",
                                       "N e w s g r o u p   de.rec.kochen : 31 Artikel (1-80)",
                                       "Ü b e r s i c h t   wird eingelesen ... [00000080]",
                                       "N a c h r i c h t e n   werden eingelesen ... [00000080]"}));
    EXPECT_EQ(host.imports, 1);
    EXPECT_TRUE(skipexisting);
    EXPECT_FALSE(run->cancelRaised());
    EXPECT_EQ(user->recordCount(QStringLiteral("newsimport")), 0);

    // Each article: a line break, its lines, a line break.
    const QByteArray file = handedOver();
    EXPECT_TRUE(file.startsWith("\r\nFrom: koch@example.org\r\n")) << file.left(60).constData();
    EXPECT_TRUE(file.contains("  Gut ruehren.\r\nMMMMM\r\n\x1C\r\n\r\nFrom: "))
        << "articles follow one another, each ended by its line";
    const QStringList read = titles();
    ASSERT_EQ(read.size(), 27);
    EXPECT_EQ(read.first(), "Kuchen 5");
    EXPECT_EQ(read.last(), "Suppe 80");
    EXPECT_EQ(ui.next, "wizard_nachimport");
}

TEST_F(NewsReading, TwoHundredArticlesAreReadWithoutAQuestionAndANoAt201ReconnectsForTheNextGroup)
{
    for (const char* name : {"a.zweihundert", "b.zweihundertundeins", "c.danach"}) {
        LoopbackNntp::Group& g = server.group(QString::fromLatin1(name));
        g.articles[1] = recipeArticle(QByteArray(name));
        g.last = 300;
    }
    server.group(QStringLiteral("a.zweihundert")).count = 200;
    server.group(QStringLiteral("b.zweihundertundeins")).count = 201;
    const qint64 a = addGroup(local(), QStringLiteral("a.zweihundert"));
    const qint64 b = addGroup(local(), QStringLiteral("b.zweihundertundeins"), 0);
    const qint64 c = addGroup(local(), QStringLiteral("c.danach"));

    dialogs
        .expect(QStringLiteral("Es befinden sich mehr als 200 Nachrichten (nämlich 201 auf dem Server. Wollen Sie "
                               "wirklich alle diese Nachrichten lesen ? [Sie können die Startnummer vorher in der "
                               "Newsgroupliste eintragen]."),
                ui::Answer::No)
        .withTitle(QStringLiteral(" "))
        .withStyle(ui::YesNo);
    readAndImport();

    EXPECT_EQ(commandsOf(1), QStringList({"MODE READER", "GROUP a.zweihundert", "OVER 1-", "ARTICLE 1",
                                          "GROUP b.zweihundertundeins", "QUIT"}));
    EXPECT_EQ(commandsOf(2), QStringList({"MODE READER", "GROUP c.danach", "OVER 1-", "ARTICLE 1", "QUIT"}));
    EXPECT_EQ(state(a), "2 0");
    EXPECT_EQ(state(b), "0 X") << "declined: mark and start kept";
    EXPECT_EQ(state(c), "2 0");
    EXPECT_EQ(titles(), QStringList({"a.zweihundert", "c.danach"}));

    // A second run with the same window reopens the user database, which the import closed.
    user->execute(QStringLiteral("update newsgroups set import='X' where ngid=?"), {c});
    server.group(QStringLiteral("c.danach")).articles[2] = recipeArticle("c.zweiter");
    const QString path = user->name();
    user.reset();
    ASSERT_EQ(db::Database::byName(path), nullptr);
    dialogs.expect(QStringLiteral("Es befinden sich mehr als 200 Nachrichten"), ui::Answer::No);
    readAndImport();
    user = exchange::openUserDb();
    EXPECT_EQ(commandsOf(3), QStringList({"MODE READER", "GROUP b.zweihundertundeins", "QUIT"}))
        << "asked again, and declined again";
    EXPECT_EQ(commandsOf(4), QStringList({"MODE READER", "GROUP c.danach", "OVER 2-", "ARTICLE 2", "QUIT"}));
    EXPECT_EQ(state(c), "3 0");
}

TEST_F(NewsReading, AnEmptyGroupKeepsItsStartAnAbsentArticleIsSkippedAndDotsAreUnstuffed)
{
    server.group(QStringLiteral("leer")).first = 40;
    LoopbackNntp::Group& g = server.group(QStringLiteral("voll"));
    g.articles[10] = recipeArticle("Zehn");
    g.articles[11] = recipeArticle("Elf");
    g.articles[12] = LoopbackNntp::article("Punkte", ".Punkt am Anfang\n..zwei Punkte\n.\nEnde\n");
    server.onCommand = [](LoopbackNntp::Session& s, const QByteArray& command) {
        if (command != "ARTICLE 11") return false;
        s.reply("423 gelöscht");
        return true;
    };
    const qint64 leer = addGroup(local(), QStringLiteral("leer"), 33);
    const qint64 voll = addGroup(local(), QStringLiteral("voll"));

    readAndImport();

    EXPECT_EQ(state(leer), "33 0");
    EXPECT_EQ(state(voll), "13 0");
    const QStringList log = host.log();
    EXPECT_TRUE(log.contains("Es sind keine Artikel vorhanden. Der Server führt eventuell diese Newsgroup nicht."));
    const qsizetype skipped = log.indexOf("Fehler : Artikel nicht vorhanden; wird übersprungen.");
    ASSERT_GE(skipped, 0);
    EXPECT_EQ(log.at(skipped + 1), "N a c h r i c h t e n   werden eingelesen ... [00000012]")
        << "the counter goes on below the message";
    EXPECT_EQ(titles(), QStringList({"Zehn"}));
    EXPECT_TRUE(handedOver().contains("\r\n\r\n.Punkt am Anfang\r\n..zwei Punkte\r\n.\r\nEnde\r\n"));
}

TEST_F(NewsReading, ArticlesKeepTheirUmlautsByTheirCharsetOrByTheRuleForFiles)
{
    LoopbackNntp::Group& g = server.group(QStringLiteral("de.rec.kochen"));
    g.articles[1] = recipeArticle("Gem\xfcsesuppe f\xfcr G\xe4ste", "ISO-8859-1");
    g.articles[2] = recipeArticle("Apfelstrudel f\xc3\xbcr K\xc3\xa4the", "utf-8");
    g.articles[3] = recipeArticle("K\xe4sesp\xe4tzle mit Spie\xdf");
    addGroup(local(), QStringLiteral("de.rec.kochen"));

    readAndImport();

    EXPECT_EQ(titles(), QStringList({"Gemüsesuppe für Gäste", "Apfelstrudel für Käthe", "Käsespätzle mit Spieß"}));
    EXPECT_TRUE(handedOver().contains("Subject: Gem\xc3\xbcsesuppe")) << "the hand-over file is UTF-8";
}

TEST_F(NewsReading, AnEndlessArticleAndALineWithoutEndAreSkippedAndTheRestIsRead)
{
    LoopbackNntp::Group& g = server.group(QStringLiteral("de.rec.kochen"));
    for (qint64 n = 1; n <= 4; ++n) g.articles[n] = recipeArticle("Rezept " + QByteArray::number(n));
    constexpr qint64 fiftyMegabytes = 50LL * 1024 * 1024;
    LoopbackNntp::Session* endless = nullptr;
    LoopbackNntp::Session* unended = nullptr;
    server.onCommand = [&](LoopbackNntp::Session& s, const QByteArray& command) {
        if (command == "ARTICLE 2") {
            endless = &s;
            s.stream("220 2 <2@test>\r\n", QByteArray(70, 'z') + "\r\n", fiftyMegabytes, ".\r\n");
            return true;
        }
        if (command == "ARTICLE 3") {
            unended = &s;
            s.stream("220 3 <3@test>\r\nSubject: ohne Ende\r\n\r\n", QByteArray(4096, 'y'), fiftyMegabytes);
            return true;
        }
        return false;
    };
    const qint64 ngid = addGroup(local(), QStringLiteral("de.rec.kochen"));

    QElapsedTimer clock;
    clock.start();
    readAndImport();

    EXPECT_LT(clock.elapsed(), 3000);
    ASSERT_TRUE(endless && unended);
    EXPECT_LT(endless->streamed, 20 * 1024 * 1024) << "the client stops taking the article at its limit";
    EXPECT_LT(unended->streamed, 2 * 1024 * 1024);
    const QStringList log = host.log();
    EXPECT_TRUE(log.contains("F e h l e r : Der Artikel 2 ist größer als 8192 KB. Er wird übersprungen."));
    EXPECT_TRUE(log.contains(
        "F e h l e r : Der Artikel 3 hat eine Zeile ohne Ende (länger als 64 KB). Er wird übersprungen."));
    // A new connection for each article after one that was cut off.
    EXPECT_EQ(commandsOf(2), QStringList({"MODE READER", "GROUP de.rec.kochen", "ARTICLE 3"}));
    EXPECT_EQ(commandsOf(3), QStringList({"MODE READER", "GROUP de.rec.kochen", "ARTICLE 4", "QUIT"}));
    EXPECT_EQ(state(ngid), "5 0") << "passed over for good, like an absent article";
    EXPECT_EQ(titles(), QStringList({"Rezept 1", "Rezept 4"}));
}

TEST_F(NewsReading, ADroppedConnectionKeepsTheGroupMarkedFromTheArticleNotFetched)
{
    LoopbackNntp::Group& g = server.group(QStringLiteral("de.rec.kochen"));
    for (qint64 n = 1; n <= 4; ++n) g.articles[n] = recipeArticle("Rezept " + QByteArray::number(n));
    server.group(QStringLiteral("de.rec.lecker")).articles[9] = recipeArticle("Lecker");
    server.onCommand = [](LoopbackNntp::Session& s, const QByteArray& command) {
        if (command != "ARTICLE 3") return false;
        s.send("220 3 <3@test>\r\nSubject: halb\r\n\r\nMMMMM----- Recipe via Meal-Master (tm) v8.02\r\n");
        s.close();
        return true;
    };
    const qint64 kochen = addGroup(local(), QStringLiteral("de.rec.kochen"));
    const qint64 lecker = addGroup(local(), QStringLiteral("de.rec.lecker"));

    readAndImport();

    EXPECT_EQ(state(kochen), "3 X");
    EXPECT_EQ(state(lecker), "10 0") << "the next group connects anew";
    EXPECT_EQ(server.connections(), 2);
    const QStringList log = host.log();
    EXPECT_TRUE(log.contains("F e h l e r : Der Server 127.0.0.1 hat die Verbindung getrennt."));
    EXPECT_EQ(log.last(), "F e h l e r : Nicht zu Ende gelesen: de.rec.kochen (Verbindung getrennt). Sie bleiben "
                          "zum Lesen gewählt.");
    EXPECT_EQ(titles(), QStringList({"Rezept 1", "Rezept 2", "Lecker"}));
}

TEST_F(NewsReading, AStalledReplyEndsTheGroupAfterTheTimeOut)
{
    nntp::Limits limits = nntp::defaultLimits();
    limits.replyTimeoutMs = 300;
    setLimits(limits);
    LoopbackNntp::Group& g = server.group(QStringLiteral("de.rec.kochen"));
    for (qint64 n = 1; n <= 3; ++n) g.articles[n] = recipeArticle("Rezept " + QByteArray::number(n));
    server.onCommand = [](LoopbackNntp::Session&, const QByteArray& command) { return command == "ARTICLE 2"; };
    const qint64 ngid = addGroup(local(), QStringLiteral("de.rec.kochen"));

    QElapsedTimer clock;
    clock.start();
    readAndImport();

    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(state(ngid), "2 X");
    EXPECT_TRUE(host.log().contains("F e h l e r : Der Server 127.0.0.1 hat 0,3 Sekunden lang nicht geantwortet."));
    EXPECT_EQ(host.log().last(),
              "F e h l e r : Nicht zu Ende gelesen: de.rec.kochen (keine Antwort). Sie bleiben zum Lesen gewählt.");
    EXPECT_EQ(titles(), QStringList({"Rezept 1"}));
}

TEST_F(NewsReading, MalformedOverviewLinesAreSkippedAndCounted)
{
    LoopbackNntp::Group& g = server.group(QStringLiteral("de.rec.kochen"));
    g.articles[1] = recipeArticle("Eins");
    g.articles[2] = recipeArticle("Zwei");
    server.onCommand = [](LoopbackNntp::Session& s, const QByteArray& command) {
        if (!command.startsWith("OVER")) return false;
        s.send("224 Übersicht\r\n1\tEins\r\nkein Tab und keine Nummer\r\n\tleer\r\n-4\tnegativ\r\n2\tZwei\r\n.\r\n");
        return true;
    };
    const qint64 ngid = addGroup(local(), QStringLiteral("de.rec.kochen"));

    readAndImport();

    EXPECT_TRUE(host.log().contains("F e h l e r : 3 Zeilen der Übersicht ohne Artikelnummer wurden übersprungen."));
    EXPECT_EQ(state(ngid), "3 0");
    EXPECT_EQ(titles(), QStringList({"Eins", "Zwei"}));
}

TEST_F(NewsReading, AnUnknownGroupAndARefusedServerKeepTheirMarksAndTheRunGoesOn)
{
    // A port nobody listens on any more; another address of the loopback, so that it
    // counts as another server.
    QTcpServer gone;
    ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
    const int refusedPort = gone.serverPort();
    gone.close();
    server.group(QStringLiteral("de.rec.kochen")).articles[1] = recipeArticle("Gefunden");
    const qint64 unknown = addGroup(local(), QStringLiteral("de.gibt.es.nicht"), 12);
    const qint64 known = addGroup(local(), QStringLiteral("de.rec.kochen"));
    const qint64 away = addGroup(addServer(QStringLiteral("127.0.0.2"), refusedPort), QStringLiteral("de.rec.backen"), 7);

    readAndImport();

    EXPECT_EQ(state(unknown), "12 X");
    EXPECT_EQ(state(known), "2 0");
    EXPECT_EQ(state(away), "7 X");
    const QStringList log = host.log();
    EXPECT_TRUE(log.contains("F e h l e r : Die Newsgroup de.gibt.es.nicht gibt es auf dem Server nicht."));
    EXPECT_TRUE(log.contains(QStringLiteral("F e h l e r : Der Server 127.0.0.2 ist nicht erreichbar (Verbindung "
                                            "abgelehnt).")))
        << log.join('\n').toStdString();
    EXPECT_EQ(log.last(), "F e h l e r : Nicht zu Ende gelesen: de.gibt.es.nicht (Newsgroup unbekannt), "
                          "de.rec.backen (Server nicht erreichbar). Sie bleiben zum Lesen gewählt.");
    EXPECT_EQ(titles(), QStringList({"Gefunden"}));
}

TEST_F(NewsReading, AFirstCancelImportsWhatWasWrittenAndTheNextRunBeginsWithTheArticleNotWritten)
{
    LoopbackNntp::Group& g = server.group(QStringLiteral("de.rec.kochen"));
    for (qint64 n = 1; n <= 5; ++n) g.articles[n] = recipeArticle("Rezept " + QByteArray::number(n));
    server.onCommand = [this](LoopbackNntp::Session&, const QByteArray& command) {
        // The user clicks while the third article comes in.
        if (command == "ARTICLE 3") {
            EXPECT_FALSE(run->abbruch_Click());
        }
        return false;
    };
    const qint64 ngid = addGroup(local(), QStringLiteral("de.rec.kochen"));

    readAndImport();

    EXPECT_EQ(commandsOf(1).mid(3), QStringList({"ARTICLE 1", "ARTICLE 2", "ARTICLE 3", "QUIT"}));
    EXPECT_TRUE(host.log().contains("M o m e n t   bitte ... Trennung vom Server ..."));
    EXPECT_EQ(host.log().last(), "M o m e n t   bitte ... Trennung vom Server ...") << "no counter over it";
    EXPECT_EQ(state(ngid), "3 X");
    EXPECT_EQ(titles(), QStringList({"Rezept 1", "Rezept 2"}));

    server.onCommand = {};
    readAndImport();
    EXPECT_EQ(commandsOf(2).mid(2), QStringList({"OVER 3-", "ARTICLE 3", "ARTICLE 4", "ARTICLE 5", "QUIT"}));
    EXPECT_EQ(state(ngid), "6 0");
}

TEST_F(NewsReading, ASecondCancelAnsweredYesImportsNothingAndKeepsWhatWasSaved)
{
    server.group(QStringLiteral("a.erste")).articles[1] = recipeArticle("Erste");
    LoopbackNntp::Group& g = server.group(QStringLiteral("b.zweite"));
    for (qint64 n = 1; n <= 3; ++n) g.articles[n] = recipeArticle("Zweite " + QByteArray::number(n));
    const QString question = QStringLiteral("Ohne Import der bisher gelesenen Nachrichten abbrechen ?");
    server.onCommand = [&](LoopbackNntp::Session& s, const QByteArray& command) {
        if (s.group != "b.zweite" || command != "ARTICLE 2") return false;
        EXPECT_FALSE(run->abbruch_Click());
        dialogs.expect(question, ui::Answer::No).withTitle(QStringLiteral(" ")).withStyle(ui::YesNo);
        EXPECT_FALSE(run->abbruch_Click());
        EXPECT_TRUE(run->running()) << "No leaves the run going";
        dialogs.expect(question, ui::Answer::Yes);
        EXPECT_FALSE(run->abbruch_Click()) << "the run unwinds first";
        return true;  // the article never comes: the run must not wait for it
    };
    const qint64 erste = addGroup(local(), QStringLiteral("a.erste"));
    const qint64 zweite = addGroup(local(), QStringLiteral("b.zweite"), 1);
    const qint64 before = recipes();

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(run->startread(), exchange::NewsRunEnd::Abandoned);
    dialogs.verify();

    EXPECT_LT(clock.elapsed(), 2000) << "abandoned at once, not after the time-out";
    EXPECT_EQ(host.imports, 0);
    EXPECT_EQ(recipes(), before);
    EXPECT_EQ(ui.shown, 0);
    EXPECT_EQ(state(erste), "2 0");
    EXPECT_EQ(state(zweite), "1 X");
    EXPECT_EQ(user->recordCount(QStringLiteral("newsimport")), 0);
    EXPECT_EQ(server.commands.last(), "1 ARTICLE 2") << "no QUIT into a reply half read";
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(NewsReading, EachArticleIsFollowedByALineOfTheArticleEndByteAndNoArticleWritesOneItself)
{
    LoopbackNntp::Group& g = server.group(QStringLiteral("de.rec.kochen"));
    g.articles[1] = LoopbackNntp::article("Eins", "Erste Zeile\n");
    g.articles[2] = LoopbackNntp::article("Zwei", "\x1C\na\x1C" "b\n\x1C");
    addGroup(local(), QStringLiteral("de.rec.kochen"));

    readAndImport();

    const QByteArray head = "\r\nFrom: koch@example.org\r\nNewsgroups: de.rec.kochen\r\nSubject: ";
    EXPECT_EQ(handedOver(), head + "Eins\r\n\r\nErste Zeile\r\n\x1C\r\n" + head + "Zwei\r\n\r\n\r\nab\r\n\r\n\x1C\r\n");
}

TEST_F(NewsReading, QuotedPrintableAndBase64ArticlesReachTheImportDecoded)
{
    LoopbackNntp::Group& g = server.group(QStringLiteral("de.rec.kochen"));
    g.articles[1] = "Subject: =?ISO-8859-1?Q?M=F6hrensuppe?=\nContent-Type: text/plain; charset=ISO-8859-1\n"
                    "Content-Transfer-Encoding: quoted-printable\n\n"
                    "MMMMM----- Recipe via Meal-Master (tm) v8.02\n      Title: M=F6hren=\nsuppe\n Categories: Suppen\n"
                    "   Servings: 2\n\n    500 g  M=F6hren\n\n  In Br=FChe weich kochen, 1 Prise =3D 1 g.=20\nMMMMM\n";
    g.articles[2] = "Subject: =?utf-8?B?S8Okc2U=?=\n =?utf-8?B?c3DDpHR6bGU=?=\n"
                    "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: base64\n\n" +
                    mmRecipe("K\xc3\xa4sesp\xc3\xa4tzle").toBase64() + '\n';
    addGroup(local(), QStringLiteral("de.rec.kochen"));

    readAndImport();

    EXPECT_EQ(titles(), QStringList({"Möhrensuppe", "Käsespätzle"}));
    const QString file = QString::fromUtf8(handedOver());
    EXPECT_TRUE(file.contains(QStringLiteral("\r\nSubject: Möhrensuppe\r\n")));
    EXPECT_TRUE(file.contains(QStringLiteral("\r\nSubject: Käsespätzle\r\n"))) << "joined over the folded line";
    EXPECT_TRUE(file.contains(QStringLiteral("\r\n  In Brühe weich kochen, 1 Prise = 1 g. \r\nMMMMM\r\n")));
}

TEST_F(NewsReading, EachGroupOfAServerIsReadWithItsOwnLoginAndAGroupWithoutOneWithNone)
{
    server.accounts = {{QStringLiteral("anna"), QStringLiteral("pa")}, {QStringLiteral("bert"), QStringLiteral("pb")}};
    for (const char* name : {"a.anna", "b.bert", "c.frei", "d.anna"}) {
        LoopbackNntp::Group& g = server.group(QString::fromLatin1(name));
        g.articles[1] = recipeArticle(QByteArray(name));
        const QString owner = QString::fromLatin1(name).mid(2);
        if (owner != QLatin1String("frei")) g.reader = owner;
    }
    const qint64 a = addGroup(local(), QStringLiteral("a.anna"), {}, QStringLiteral("anna"), QStringLiteral("pa"));
    const qint64 b = addGroup(local(), QStringLiteral("b.bert"), {}, QStringLiteral("bert"), QStringLiteral("pb"));
    const qint64 c = addGroup(local(), QStringLiteral("c.frei"));
    const qint64 d = addGroup(local(), QStringLiteral("d.anna"), {}, QStringLiteral("anna"), QStringLiteral("pa"));

    readAndImport();

    const QStringList anna = {"MODE READER", "AUTHINFO USER anna", "AUTHINFO PASS pa"};
    const QStringList read = {"OVER 1-", "ARTICLE 1", "QUIT"};
    EXPECT_EQ(commandsOf(1), anna + QStringList({"GROUP a.anna"}) + read);
    EXPECT_EQ(commandsOf(2),
              QStringList({"MODE READER", "AUTHINFO USER bert", "AUTHINFO PASS pb", "GROUP b.bert"}) + read);
    EXPECT_EQ(commandsOf(3), QStringList({"MODE READER", "GROUP c.frei"}) + read);
    EXPECT_EQ(commandsOf(4), anna + QStringList({"GROUP d.anna"}) + read);
    EXPECT_EQ(server.connections(), 4);
    for (const qint64 ngid : {a, b, c, d}) EXPECT_EQ(state(ngid), "2 0");
    EXPECT_EQ(titles(), QStringList({"a.anna", "b.bert", "c.frei", "d.anna"}));
    EXPECT_FALSE(run->failed());
}

TEST_F(NewsReading, ARefusedLoginIsNotSentAgainAndOtherLoginsToTheServerAreStillTried)
{
    server.accounts = {{QStringLiteral("anna"), QStringLiteral("pa")}, {QStringLiteral("bert"), QStringLiteral("pb")}};
    for (const char* name : {"a.anna", "b.bert", "c.anna"}) {
        LoopbackNntp::Group& g = server.group(QString::fromLatin1(name));
        g.articles[1] = recipeArticle(QByteArray(name));
        g.reader = QString::fromLatin1(name).mid(2);
    }
    // A server that is not reached is tried once, whatever logins its groups have.
    QTcpServer gone;
    ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
    const int refusedPort = gone.serverPort();
    gone.close();
    const qint64 away = addServer(QStringLiteral("127.0.0.2"), refusedPort);
    const qint64 x = addGroup(away, QStringLiteral("x.anna"), {}, QStringLiteral("anna"), QStringLiteral("pa"));
    const qint64 y = addGroup(away, QStringLiteral("y.bert"), {}, QStringLiteral("bert"), QStringLiteral("pb"));
    const qint64 a = addGroup(local(), QStringLiteral("a.anna"), {}, QStringLiteral("anna"), QStringLiteral("falsch"));
    const qint64 b = addGroup(local(), QStringLiteral("b.bert"), {}, QStringLiteral("bert"), QStringLiteral("pb"));
    const qint64 c = addGroup(local(), QStringLiteral("c.anna"), {}, QStringLiteral("anna"), QStringLiteral("falsch"));

    readAndImport();

    EXPECT_EQ(commandsOf(1), QStringList({"MODE READER", "AUTHINFO USER anna", "AUTHINFO PASS falsch"}));
    EXPECT_EQ(commandsOf(2), QStringList({"MODE READER", "AUTHINFO USER bert", "AUTHINFO PASS pb", "GROUP b.bert",
                                          "OVER 1-", "ARTICLE 1", "QUIT"}));
    EXPECT_EQ(server.connections(), 2);
    EXPECT_EQ(state(a), "- X");
    EXPECT_EQ(state(b), "2 0");
    EXPECT_EQ(state(c), "- X");
    EXPECT_EQ(state(x), "- X");
    EXPECT_EQ(state(y), "- X");
    const QStringList log = host.log();
    EXPECT_EQ(log.filter(QStringLiteral("Der Server 127.0.0.2 ist nicht erreichbar")).size(), 1);
    EXPECT_EQ(log.filter(QStringLiteral("hat die Anmeldung abgelehnt")).size(), 1);
    EXPECT_EQ(log.last(), "F e h l e r : Nicht zu Ende gelesen: a.anna (Anmeldung abgelehnt), c.anna (Anmeldung "
                          "abgelehnt), x.anna (Server nicht erreichbar), y.bert (Server nicht erreichbar). Sie bleiben "
                          "zum Lesen gewählt.");
    EXPECT_EQ(titles(), QStringList({"b.bert"}));
    EXPECT_TRUE(run->failed());
}

}  // namespace kv::test
