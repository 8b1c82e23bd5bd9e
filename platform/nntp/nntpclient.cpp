#include "platform/nntp/nntpclient.h"

#include "platform/nntp/articletext.h"

#include <QEventLoop>
#include <QLocale>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace kv::nntp {

namespace {

Limits g_defaultLimits;

// A reply line as the log may show it: short, without control characters.
QString shown(const QByteArray& line)
{
    QString text = QString::fromUtf8(line.left(200));
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = u' ';
    return text.trimmed();
}

// A name sent within a command must not end the command early or start another.
bool fitsCommand(const QString& text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

QString seconds(int ms)
{
    return QLocale().toString(ms / 1000.0);
}

QString socketFailure(const QTcpSocket& socket)
{
    switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("Verbindung abgelehnt");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("Server nicht gefunden");
    case QAbstractSocket::NetworkError:
        return QStringLiteral("Netzwerk nicht erreichbar");
    default:
        return socket.errorString();
    }
}

}  // namespace

Limits defaultLimits()
{
    return g_defaultLimits;
}

void setDefaultLimits(const Limits& limits)
{
    g_defaultLimits = limits;
}

Error::Error(Failure failure, const QString& text)
    : std::runtime_error(text.toStdString()), m_failure(failure), m_text(text)
{
}

int Error::number() const
{
    return m_failure == Failure::ArticleMissing ? errArticleMissing : 0;
}

Client::Client(QObject* parent) : QObject(parent), m_limits(defaultLimits()) {}

Client::~Client()
{
    drop();
}

QString Client::overviewRange(const QString& range, qint64 first)
{
    if (range == QLatin1String("-")) return QString::number(first) + u'-';
    if (range.endsWith(QLatin1String("-end"))) return range.chopped(3);
    return range;
}

bool Client::isConnected() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void Client::abort()
{
    m_aborted = true;
    if (m_waiting) m_waiting->quit();
}

void Client::drop()
{
    if (!m_socket) return;
    m_socket->abort();
    delete m_socket;
    m_socket = nullptr;
    m_in.clear();
    m_pos = 0;
    m_scanned = 0;
    m_inStep = false;
}

void Client::fail(Failure failure, const QString& text, bool dropConnection)
{
    if (dropConnection) drop();
    throw Error(failure, text);
}

void Client::connectToServer(const QString& host, int port, const QString& user, const QString& password)
{
    drop();
    m_aborted = false;
    m_host = host;
    m_groupFirst = 0;
    if (host.trimmed().isEmpty() || !fitsCommand(host))
        throw Error(Failure::Connect, QStringLiteral("Der Name des Servers ist ungültig."));
    if (port < 1 || port > 65535) throw Error(Failure::Connect, QStringLiteral("Der Port %1 ist ungültig.").arg(port));
    if (!fitsCommand(user) || !fitsCommand(password))
        throw Error(Failure::Auth, QStringLiteral("Username oder Paßwort enthält ein Steuerzeichen."));

    m_socket = new QTcpSocket(this);
    // What the server sends beyond what a reply may hold is not buffered without end.
    m_socket->setReadBufferSize(1024 * 1024);
    {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        connect(m_socket, &QAbstractSocket::connected, &loop, &QEventLoop::quit);
        connect(m_socket, &QAbstractSocket::errorOccurred, &loop, &QEventLoop::quit);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        m_socket->connectToHost(host, quint16(port));
        timer.start(m_limits.connectTimeoutMs);
        m_waiting = &loop;
        const auto state = m_socket->state();
        if (state == QAbstractSocket::HostLookupState || state == QAbstractSocket::ConnectingState) loop.exec();
        m_waiting = nullptr;
    }
    if (m_aborted) fail(Failure::Cancelled, QStringLiteral("Abgebrochen."), true);
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        // No failure of its own: the time ran out first.
        const QString why =
            m_socket->error() == QAbstractSocket::UnknownSocketError
                ? QStringLiteral("keine Antwort innerhalb von %1 Sekunden").arg(seconds(m_limits.connectTimeoutMs))
                : socketFailure(*m_socket);
        fail(Failure::Connect, QStringLiteral("Der Server %1 ist nicht erreichbar (%2).").arg(host, why), true);
    }

    QByteArray line;
    int code = readStatus(&line);
    if (code != 200 && code != 201)
        fail(Failure::Service, QStringLiteral("Der Server %1 verweigert den Dienst: %2").arg(host, shown(line)), true);
    send("MODE READER");
    code = readStatus(&line);
    // Servers that only read answer 5xx to a command they do not need; 502 is a refusal.
    if (code == 502)
        fail(Failure::Service, QStringLiteral("Der Server %1 verweigert den Dienst: %2").arg(host, shown(line)), true);
    if (!user.isEmpty()) {
        send("AUTHINFO USER " + user.toUtf8());
        code = readStatus(&line);
        if (code == 381) {
            send("AUTHINFO PASS " + password.toUtf8());
            code = readStatus(&line);
        }
        if (code != 281)
            fail(Failure::Auth, QStringLiteral("Der Server %1 hat die Anmeldung abgelehnt: %2").arg(host, shown(line)),
                 true);
    }
    m_inStep = true;
}

GroupInfo Client::selectGroup(const QString& group)
{
    if (group.isEmpty() || !fitsCommand(group) || group.contains(u' '))
        throw Error(Failure::NoSuchGroup, QStringLiteral("Der Name der Newsgroup '%1' ist ungültig.").arg(group));
    send("GROUP " + group.toUtf8());
    QByteArray line;
    const int code = readStatus(&line);
    if (code == 411) {
        m_inStep = true;
        throw Error(Failure::NoSuchGroup, QStringLiteral("Die Newsgroup %1 gibt es auf dem Server nicht.").arg(group));
    }
    if (code == 480 || code == 481) {
        m_inStep = true;
        throw Error(Failure::Auth,
                    QStringLiteral("Der Server verlangt für die Newsgroup %1 Username und Paßwort.").arg(group));
    }
    const QList<QByteArray> fields = line.simplified().split(' ');
    GroupInfo info;
    bool ok[3] = {false, false, false};
    if (code == 211 && fields.size() >= 4) {
        info.count = fields[1].toLongLong(&ok[0]);
        info.first = fields[2].toLongLong(&ok[1]);
        info.last = fields[3].toLongLong(&ok[2]);
    }
    if (!ok[0] || !ok[1] || !ok[2] || info.count < 0 || info.first < 0 || info.last < 0)
        fail(Failure::Protocol, QStringLiteral("Unerwartete Antwort auf GROUP: %1").arg(shown(line)), true);
    m_groupFirst = info.first;
    m_inStep = true;
    return info;
}

Listing Client::listArticles(const QString& range)
{
    const QByteArray wire = overviewRange(range, m_groupFirst).toLatin1();
    send("OVER " + wire);
    QByteArray line;
    int code = readStatus(&line);
    if (code == 500) {  // a server from before RFC 3977
        send("XOVER " + wire);
        code = readStatus(&line);
    }
    Listing listing;
    if (code == 423) {  // no article in the range
        m_inStep = true;
        return listing;
    }
    if (code != 224)
        fail(Failure::Protocol, QStringLiteral("Unerwartete Antwort auf OVER %1: %2").arg(QString::fromLatin1(wire), shown(line)),
             true);
    while (readBlockLine(line)) {
        if (listing.listed >= m_limits.maxListedArticles) {
            // The rest would have to be read only to be thrown away, for as long as the
            // server likes: the connection goes instead.
            listing.cut = true;
            drop();
            return listing;
        }
        const qsizetype tab = line.indexOf('\t');
        bool ok = false;
        const qint64 number = (tab < 0 ? line : line.left(tab)).toLongLong(&ok);
        if (!ok || number <= 0) {
            ++listing.malformed;
            continue;
        }
        ++listing.listed;
        emit articleListed(number);
    }
    m_inStep = true;
    return listing;
}

void Client::fetchArticle(qint64 number)
{
    send("ARTICLE " + QByteArray::number(number));
    QByteArray line;
    const int code = readStatus(&line);
    if (code == 423 || code == 430) {
        m_inStep = true;
        throw Error(Failure::ArticleMissing, QStringLiteral("Artikel nicht vorhanden."));
    }
    if (code != 220)
        fail(Failure::Protocol, QStringLiteral("Unerwartete Antwort auf ARTICLE %1: %2").arg(number).arg(shown(line)), true);
    QList<QByteArray> lines;
    qsizetype size = 0;
    try {
        while (readBlockLine(line)) {
            size += line.size() + 2;
            if (size > m_limits.maxArticleBytes)
                fail(Failure::TooLarge,
                     QStringLiteral("Der Artikel %1 ist größer als %2 KB.").arg(number).arg(m_limits.maxArticleBytes / 1024),
                     true);
            lines << line;
        }
    } catch (const Error& e) {
        if (e.failure() != Failure::LineTooLong) throw;
        throw Error(Failure::LineTooLong, QStringLiteral("Der Artikel %1 hat eine Zeile ohne Ende (länger als %2 KB).")
                                              .arg(number)
                                              .arg(m_limits.maxLineBytes / 1024));
    }
    m_inStep = true;
    for (const QString& text : decodeArticle(lines)) emit textReceived(text);
}

void Client::disconnectFromServer()
{
    if (!m_socket) return;
    if (m_inStep && !m_aborted && isConnected()) {
        const int replyTimeout = m_limits.replyTimeoutMs;
        m_limits.replyTimeoutMs = std::min(replyTimeout, 5000);
        try {
            send("QUIT");
            readStatus();
        } catch (const Error&) {
            // Gone either way.
        }
        m_limits.replyTimeoutMs = replyTimeout;
    }
    drop();
}

void Client::send(const QByteArray& command)
{
    if (m_aborted) fail(Failure::Cancelled, QStringLiteral("Abgebrochen."), true);
    if (!isConnected()) {
        const bool wasConnected = m_socket != nullptr;
        drop();
        throw Error(wasConnected ? Failure::Dropped : Failure::NotConnected,
                    wasConnected ? QStringLiteral("Der Server %1 hat die Verbindung getrennt.").arg(m_host)
                                 : QStringLiteral("Keine Verbindung zum Server."));
    }
    m_inStep = false;
    m_socket->write(command + "\r\n");
}

int Client::readStatus(QByteArray* lineOut)
{
    const QByteArray line = readLine();
    if (lineOut) *lineOut = line;
    bool ok = false;
    const int code = line.left(3).toInt(&ok);
    if (!ok || line.size() < 3 || (line.size() > 3 && line.at(3) != ' ') || code < 100 || code > 599)
        fail(Failure::Protocol, QStringLiteral("Unverständliche Antwort des Servers: %1").arg(shown(line)), true);
    return code;
}

bool Client::readBlockLine(QByteArray& line)
{
    line = readLine();
    if (line.startsWith('.')) {
        if (line.size() == 1) return false;
        line.remove(0, 1);
    }
    return true;
}

QByteArray Client::readLine()
{
    for (;;) {
        const qsizetype end = m_in.indexOf('\n', m_pos + m_scanned);
        if (end >= 0) {
            qsizetype stop = end;
            if (stop > m_pos && m_in.at(stop - 1) == '\r') --stop;
            if (stop - m_pos > m_limits.maxLineBytes)
                fail(Failure::LineTooLong,
                     QStringLiteral("Der Server sendet eine Zeile von mehr als %1 KB.").arg(m_limits.maxLineBytes / 1024),
                     true);
            QByteArray line = m_in.mid(m_pos, stop - m_pos);
            m_pos = end + 1;
            m_scanned = 0;
            if (m_pos == m_in.size()) {
                m_in.truncate(0);
                m_pos = 0;
            } else if (m_pos > 64 * 1024 && m_pos > m_in.size() / 2) {
                m_in.remove(0, m_pos);
                m_pos = 0;
            }
            return line;
        }
        m_scanned = m_in.size() - m_pos;
        if (m_scanned > m_limits.maxLineBytes)
            fail(Failure::LineTooLong,
                 QStringLiteral("Der Server sendet eine Zeile ohne Ende (mehr als %1 KB).").arg(m_limits.maxLineBytes / 1024),
                 true);
        waitForData();
    }
}

void Client::waitForData()
{
    if (m_aborted) fail(Failure::Cancelled, QStringLiteral("Abgebrochen."), true);
    if (!m_socket) throw Error(Failure::NotConnected, QStringLiteral("Keine Verbindung zum Server."));
    if (m_socket->bytesAvailable() == 0) {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            fail(Failure::Dropped, QStringLiteral("Der Server %1 hat die Verbindung getrennt.").arg(m_host), true);
        bool timedOut = false;
        {
            QEventLoop loop;
            QTimer timer;
            timer.setSingleShot(true);
            connect(m_socket, &QIODevice::readyRead, &loop, &QEventLoop::quit);
            connect(m_socket, &QAbstractSocket::disconnected, &loop, &QEventLoop::quit);
            connect(m_socket, &QAbstractSocket::errorOccurred, &loop, &QEventLoop::quit);
            connect(&timer, &QTimer::timeout, &loop, [&] {
                timedOut = true;
                loop.quit();
            });
            timer.start(m_limits.replyTimeoutMs);
            m_waiting = &loop;
            loop.exec();
            m_waiting = nullptr;
        }
        if (m_aborted) fail(Failure::Cancelled, QStringLiteral("Abgebrochen."), true);
        if (m_socket->bytesAvailable() == 0) {
            if (timedOut)
                fail(Failure::Timeout,
                     QStringLiteral("Der Server %1 hat %2 Sekunden lang nicht geantwortet.")
                         .arg(m_host)
                         .arg(seconds(m_limits.replyTimeoutMs)),
                     true);
            if (m_socket->state() != QAbstractSocket::ConnectedState)
                fail(Failure::Dropped, QStringLiteral("Der Server %1 hat die Verbindung getrennt.").arg(m_host), true);
            return;
        }
    }
    m_in += m_socket->readAll();
}

}  // namespace kv::nntp
