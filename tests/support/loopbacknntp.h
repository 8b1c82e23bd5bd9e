#pragma once
// A news server on 127.0.0.1 for one test. It runs on the test's own thread: the
// client's waits keep the events flowing, so the server answers while the client waits.
// It serves its groups as a news server does (MODE READER, AUTHINFO, GROUP, OVER and
// XOVER, ARTICLE, QUIT), and the test may answer any command itself for the hostile cases.
//
//   LoopbackNntp server;
//   server.group("de.rec.kochen").articles[57] = LoopbackNntp::article("Suppe", "Text\n");
//   server.onCommand = [](LoopbackNntp::Session& s, const QByteArray& command) {
//       if (command != "ARTICLE 58") return false;
//       s.close();                       // dropped in the middle
//       return true;
//   };

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace kv::test {

class LoopbackNntp : public QObject {
    Q_OBJECT
public:
    struct Group {
        qint64 first = 1;
        qint64 last = 0;                       // the highest article's number when 0
        std::optional<qint64> count;           // what GROUP reports; the articles' number when unset
        std::map<qint64, QByteArray> articles; // lines ended by "\n", dot-stuffed when sent
        QString reader;                        // when set, GROUP answers 480 to any other login
    };

    class Session {
    public:
        explicit Session(QTcpSocket* socket, int number) : m_socket(socket), m_number(number) {}
        void send(const QByteArray& bytes);
        void reply(const QByteArray& line);    // followed by CR LF
        void close();
        // Sends `head`, then `chunk` over and over up to `total` bytes, as fast as the client
        // takes them and no faster, and then `tail`; stops when the client goes.
        void stream(const QByteArray& head, const QByteArray& chunk, qint64 total, const QByteArray& tail = {});
        int number() const { return m_number; }   // the connection's, from 1
        QString group;
        bool authenticated = false;
        QString loggedInAs;
        qint64 streamed = 0;
        QByteArray input;   // received, not yet a whole command

    private:
        void streamMore();
        QTcpSocket* m_socket;
        int m_number;
        QByteArray m_chunk;
        QByteArray m_tail;
        qint64 m_left = 0;
        bool m_streaming = false;
    };

    LoopbackNntp();
    ~LoopbackNntp() override;

    quint16 port() const;
    Group& group(const QString& name) { return m_groups[name]; }

    // An article with a header naming `charset` (none when empty) and the body's lines.
    static QByteArray article(const QByteArray& subject, const QByteArray& body, const QByteArray& charset = {});

    QByteArray greeting = "200 Testserver bereit";
    // When set, GROUP answers 480 until the client has logged in with them.
    QString user;
    QString password;
    // Further logins the server takes (user name, password). As a server does, it takes
    // one login per connection: a second AUTHINFO after a good one is refused with 502.
    std::map<QString, QString> accounts;
    // The test's answer to a command, asked before the server's own; true when it
    // answered (or chose to say nothing).
    std::function<bool(Session&, const QByteArray& command)> onCommand;
    // Every command received, as "connection command" ("1 GROUP de.rec.kochen").
    QStringList commands;
    int connections() const { return int(m_sessions.size()); }

private:
    void accept();
    void serve(Session& session, const QByteArray& command);
    void overview(Session& session, const QByteArray& range);
    void sendArticle(Session& session, qint64 number);

    QTcpServer* m_server = nullptr;
    std::map<QString, Group> m_groups;
    std::vector<std::unique_ptr<Session>> m_sessions;
};

}  // namespace kv::test
