// The NNTP client against a news server inside the test: what it sends for a range, how
// it falls back for an old server, what refuses a connection, and how an article's code
// page is found.

#include "platform/nntp/articletext.h"
#include "platform/nntp/nntpclient.h"
#include "tests/support/coreapp.h"
#include "tests/support/loopbacknntp.h"

#include <gtest/gtest.h>


namespace kv::test {

namespace {

class NntpClient : public ::testing::Test {
protected:
    static void SetUpTestSuite() { coreApp(); }
    void SetUp() override
    {
        nntp::Limits limits;
        limits.connectTimeoutMs = 2000;
        limits.replyTimeoutMs = 2000;
        client.setLimits(limits);
    }

    // The failure an operation ends with; nothing when it succeeds.
    template <class Operation>
    std::optional<nntp::Error> failureOf(Operation operation)
    {
        try {
            operation();
        } catch (const nntp::Error& e) {
            return e;
        }
        return std::nullopt;
    }

    LoopbackNntp server;
    nntp::Client client;
};

}  // namespace

TEST_F(NntpClient, RangesAreSentAsTheServerUnderstandsThemAndAnOldServerGetsXover)
{
    EXPECT_EQ(nntp::Client::overviewRange("-", 17), "17-");
    EXPECT_EQ(nntp::Client::overviewRange("1234-end", 17), "1234-");
    EXPECT_EQ(nntp::Client::overviewRange("3-9", 17), "3-9");

    LoopbackNntp::Group& g = server.group("de.rec.kochen");
    g.first = 17;
    for (qint64 n : {17, 18, 20}) g.articles[n] = LoopbackNntp::article("Artikel", "Text\n");
    server.onCommand = [](LoopbackNntp::Session& s, const QByteArray& command) {
        if (!command.startsWith("OVER ")) return false;
        s.reply("500 OVER kenne ich nicht");
        return true;
    };
    QList<qint64> listed;
    QObject::connect(&client, &nntp::Client::articleListed, [&](qint64 n) { listed << n; });

    client.connectToServer("127.0.0.1", server.port(), {}, {});
    const nntp::GroupInfo info = client.selectGroup("de.rec.kochen");
    EXPECT_EQ(info.count, 3);
    EXPECT_EQ(info.first, 17);
    EXPECT_EQ(info.last, 20);
    const nntp::Listing listing = client.listArticles("-");
    EXPECT_EQ(listing.listed, 3);
    EXPECT_EQ(listed, QList<qint64>({17, 18, 20}));
    client.listArticles("18-end");
    client.disconnectFromServer();
    EXPECT_EQ(server.commands, QStringList({"1 MODE READER", "1 GROUP de.rec.kochen", "1 OVER 17-", "1 XOVER 17-",
                                            "1 OVER 18-", "1 XOVER 18-", "1 QUIT"}));
    EXPECT_EQ(listed.mid(3), QList<qint64>({18, 20}));
    EXPECT_FALSE(client.isConnected());
}

TEST_F(NntpClient, ARefusedServiceOrLoginAndANameThatWouldEndTheCommandFailTheConnect)
{
    server.greeting = "502 Sie dürfen hier nicht lesen";
    auto failure = failureOf([&] { client.connectToServer("127.0.0.1", server.port(), {}, {}); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->failure(), nntp::Failure::Service);
    EXPECT_EQ(failure->text(), "Der Server 127.0.0.1 verweigert den Dienst: 502 Sie dürfen hier nicht lesen");
    EXPECT_FALSE(client.isConnected());

    server.greeting = "200 bereit";
    server.user = "koch";
    server.password = "geheim";
    failure = failureOf([&] { client.connectToServer("127.0.0.1", server.port(), "koch", "falsch"); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->failure(), nntp::Failure::Auth);
    EXPECT_EQ(failure->text(), "Der Server 127.0.0.1 hat die Anmeldung abgelehnt: 481 abgelehnt");

    const int before = server.connections();
    failure = failureOf([&] { client.connectToServer("127.0.0.1", server.port(), "koch", "geheim\r\nQUIT"); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->failure(), nntp::Failure::Auth);
    EXPECT_EQ(server.connections(), before) << "nothing is sent";

    client.connectToServer("127.0.0.1", server.port(), "koch", "geheim");
    failure = failureOf([&] { client.selectGroup("de.rec.kochen\r\nPOST"); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->failure(), nntp::Failure::NoSuchGroup);
    EXPECT_TRUE(client.isConnected());
    EXPECT_FALSE(server.commands.last().contains("POST"));
}

TEST_F(NntpClient, AnArticleIsDecodedByTheCharsetItsHeaderNamesElseByTheRuleForFiles)
{
    const QList<QByteArray> folded = {"Subject: K\xe4se", "Content-Type: text/plain;", "\tformat=flowed;",
                                      "  CHARSET=\"ISO-8859-15\"", "", "K\xe4se f\xfcr \xa4 5"};
    EXPECT_EQ(nntp::articleCharset(folded), "iso-8859-15");
    EXPECT_EQ(nntp::decodeArticle(folded).last(), QStringLiteral("Käse für € 5"));

    // A charset only in the body is no header's.
    const QList<QByteArray> bodyOnly = {"Subject: Suppe", "", "Content-Type: text/plain; charset=utf-8",
                                        "Gr\x81n und s\x81\xe1"};
    EXPECT_EQ(nntp::articleCharset(bodyOnly), "");
    EXPECT_EQ(nntp::decodeArticle(bodyOnly).last(), QStringLiteral("Grün und süß")) << "DOS, as the file rule finds";

    const QList<QByteArray> unknown = {"Content-Type: text/plain; charset=x-unbekannt", "", "gr\xc3\xbcn"};
    EXPECT_EQ(nntp::decodeArticle(unknown).last(), QStringLiteral("grün"));
}

}  // namespace kv::test
