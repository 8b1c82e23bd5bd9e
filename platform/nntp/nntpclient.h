#pragma once
// An NNTP client (RFC 3977) with the operations the newsgroup reader drives: connect
// (greeting, MODE READER, AUTHINFO), select a group, list the article numbers of a range
// from the overview, fetch one article, disconnect. Each operation runs a local event
// loop until its reply is complete, so it looks synchronous to the caller while the
// window stays able to take its cancel button. The server is not trusted: every wait
// has a time-out and every line, article and listing a largest size.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <stdexcept>

class QEventLoop;
class QTcpSocket;

namespace kv::nntp {

struct Limits {
    int connectTimeoutMs = 30'000;
    int replyTimeoutMs = 60'000;    // the longest silence while a reply is awaited
    qsizetype maxLineBytes = 64 * 1024;
    qsizetype maxArticleBytes = 8 * 1024 * 1024;
    qint64 maxListedArticles = 100'000;
};

// What a new client starts with.
Limits defaultLimits();
// Test hook: shorter time-outs and sizes for every client made afterwards.
void setDefaultLimits(const Limits& limits);

enum class Failure {
    Connect,        // refused, unknown host, no answer in time
    Service,        // the server refuses to serve (greeting or MODE READER)
    Auth,           // user name or password refused, or a login demanded
    NoSuchGroup,
    ArticleMissing, // 423 or 430: the number the old control gave, see number()
    TooLarge,       // an article over the largest size; the connection is dropped
    LineTooLong,    // a line without an end within the longest line; the connection is dropped
    Timeout,        // the connection is dropped
    Dropped,        // the server closed the connection
    Protocol,       // a reply that makes no sense here
    Cancelled,      // abort() during the operation; the connection is dropped
    NotConnected,
};

// A failed operation: its kind and a German text for the log.
class Error : public std::runtime_error {
public:
    Error(Failure failure, const QString& text);
    Failure failure() const { return m_failure; }
    // 20182 for a missing article, as the old control numbered it; 0 otherwise.
    int number() const;
    const QString& text() const { return m_text; }

private:
    Failure m_failure;
    QString m_text;
};

inline constexpr int errArticleMissing = 20182;

struct GroupInfo {
    qint64 count = 0;
    qint64 first = 0;
    qint64 last = 0;
};

struct Listing {
    qint64 listed = 0;
    qint64 malformed = 0;   // overview lines without an article number, skipped
    bool cut = false;       // the listing passed the most articles; the rest was not read
};

class Client : public QObject {
    Q_OBJECT
public:
    explicit Client(QObject* parent = nullptr);
    ~Client() override;

    void setLimits(const Limits& limits) { m_limits = limits; }
    const Limits& limits() const { return m_limits; }

    // Every operation throws Error when it fails.
    void connectToServer(const QString& host, int port, const QString& user, const QString& password);
    GroupInfo selectGroup(const QString& group);
    // The range as the reader writes it: "-" for the whole group, "57-end" from 57 on,
    // or any range of RFC 3977. Emits articleListed once per article number.
    Listing listArticles(const QString& range);
    // Emits textReceived once per line, in order, after the whole article has arrived and
    // been decoded (by its Content-Type charset, else by the rule for files of unknown
    // code page).
    void fetchArticle(qint64 number);
    // QUIT when the connection is in step, then closed; never throws.
    void disconnectFromServer();
    // From an event handler while an operation waits: it ends at once with Cancelled. An
    // operation begun later fails the same way until the next connect.
    void abort();
    bool isConnected() const;

    // "57-end" gives "57-"; "-" gives the group's first number followed by "-" (RFC 3977
    // has no bare "-").
    static QString overviewRange(const QString& range, qint64 first);

signals:
    void articleListed(qint64 number);
    void textReceived(const QString& line);

private:
    void send(const QByteArray& command);
    // One line of the reply without its line end; waits for it.
    QByteArray readLine();
    // The status line's code and the line itself.
    int readStatus(QByteArray* line = nullptr);
    // A line of a multi-line block, dot-unstuffed; false at the block's end.
    bool readBlockLine(QByteArray& line);
    void waitForData();
    [[noreturn]] void fail(Failure failure, const QString& text, bool dropConnection);
    void drop();

    QTcpSocket* m_socket = nullptr;
    Limits m_limits;
    QByteArray m_in;
    qsizetype m_pos = 0;          // start of the unread bytes in m_in
    qsizetype m_scanned = 0;      // bytes after m_pos already searched for a line end
    QEventLoop* m_waiting = nullptr;
    bool m_aborted = false;
    bool m_inStep = false;        // no reply is half read
    QString m_host;
    qint64 m_groupFirst = 0;
};

}  // namespace kv::nntp
