#include "tests/support/loopbacknntp.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace kv::test {

void LoopbackNntp::Session::send(const QByteArray& bytes)
{
    if (m_socket->state() == QAbstractSocket::ConnectedState) m_socket->write(bytes);
}

void LoopbackNntp::Session::reply(const QByteArray& line)
{
    send(line + "\r\n");
}

void LoopbackNntp::Session::close()
{
    m_left = 0;
    m_socket->disconnectFromHost();
}

void LoopbackNntp::Session::stream(const QByteArray& head, const QByteArray& chunk, qint64 total, const QByteArray& tail)
{
    send(head);
    m_chunk = chunk;
    m_tail = tail;
    m_left = total;
    if (!m_streaming) QObject::connect(m_socket, &QIODevice::bytesWritten, m_socket, [this] { streamMore(); });
    m_streaming = true;
    streamMore();
}

void LoopbackNntp::Session::streamMore()
{
    // Only a little ahead of the client: what it never reads is never made.
    while (m_left > 0 && m_socket->state() == QAbstractSocket::ConnectedState && m_socket->bytesToWrite() < 256 * 1024) {
        const QByteArray slice = m_chunk.left(qsizetype(std::min<qint64>(m_left, m_chunk.size())));
        m_socket->write(slice);
        m_left -= slice.size();
        streamed += slice.size();
        if (m_left == 0) send(m_tail);
    }
}

LoopbackNntp::LoopbackNntp() : m_server(new QTcpServer(this))
{
    if (!m_server->listen(QHostAddress::LocalHost, 0)) ADD_FAILURE() << "the loopback news server cannot listen";
    connect(m_server, &QTcpServer::newConnection, this, &LoopbackNntp::accept);
}

LoopbackNntp::~LoopbackNntp()
{
    for (auto& session : m_sessions) session->close();
}

quint16 LoopbackNntp::port() const
{
    return m_server->serverPort();
}

QByteArray LoopbackNntp::article(const QByteArray& subject, const QByteArray& body, const QByteArray& charset)
{
    QByteArray text = "From: koch@example.org\nNewsgroups: de.rec.kochen\nSubject: " + subject + "\n";
    if (!charset.isEmpty()) text += "MIME-Version: 1.0\nContent-Type: text/plain;\n charset=\"" + charset + "\"\n";
    return text + "\n" + body;
}

void LoopbackNntp::accept()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        m_sessions.push_back(std::make_unique<Session>(socket, int(m_sessions.size()) + 1));
        Session* session = m_sessions.back().get();
        connect(socket, &QIODevice::readyRead, this, [this, session, socket] {
            session->input += socket->readAll();
            qsizetype end;
            while ((end = session->input.indexOf('\n')) >= 0) {
                QByteArray command = session->input.left(end);
                session->input.remove(0, end + 1);
                if (command.endsWith('\r')) command.chop(1);
                commands << QString::number(session->number()) + u' ' + QString::fromUtf8(command);
                if (!onCommand || !onCommand(*session, command)) serve(*session, command);
            }
        });
        session->reply(greeting);
    }
}

void LoopbackNntp::serve(Session& session, const QByteArray& command)
{
    const qsizetype blank = command.indexOf(' ');
    const QByteArray verb = (blank < 0 ? command : command.left(blank)).toUpper();
    const QByteArray argument = blank < 0 ? QByteArray() : command.mid(blank + 1);
    if (verb == "MODE") {
        session.reply("200 Lesen erlaubt");
    } else if (verb == "AUTHINFO" && session.authenticated) {
        session.reply("502 schon angemeldet");
    } else if (verb == "AUTHINFO" && argument.startsWith("USER ")) {
        session.loggedInAs = QString::fromUtf8(argument.mid(5));
        const bool known = (!user.isEmpty() && session.loggedInAs == user) || accounts.count(session.loggedInAs);
        session.reply(known ? "381 Passwort bitte" : "481 unbekannt");
    } else if (verb == "AUTHINFO" && argument.startsWith("PASS ")) {
        const QString pass = QString::fromUtf8(argument.mid(5));
        const auto account = accounts.find(session.loggedInAs);
        session.authenticated = (!user.isEmpty() && session.loggedInAs == user && pass == password) ||
                                (account != accounts.end() && account->second == pass);
        if (!session.authenticated) session.loggedInAs.clear();
        session.reply(session.authenticated ? "281 angemeldet" : "481 abgelehnt");
    } else if (verb == "GROUP") {
        const auto found = m_groups.find(QString::fromUtf8(argument));
        const bool allowed = found == m_groups.end() || found->second.reader.isEmpty() ||
                             (session.authenticated && session.loggedInAs == found->second.reader);
        if ((!user.isEmpty() && !session.authenticated) || !allowed) {
            session.reply("480 Anmeldung erforderlich");
        } else if (found == m_groups.end()) {
            session.reply("411 keine solche Newsgroup");
        } else {
            const Group& g = found->second;
            session.group = found->first;
            const qint64 last = g.last ? g.last : (g.articles.empty() ? g.first - 1 : g.articles.rbegin()->first);
            const qint64 count = g.count.value_or(qint64(g.articles.size()));
            session.reply("211 " + QByteArray::number(count) + ' ' + QByteArray::number(g.first) + ' ' +
                          QByteArray::number(last) + ' ' + argument);
        }
    } else if (verb == "OVER" || verb == "XOVER") {
        overview(session, argument);
    } else if (verb == "ARTICLE") {
        sendArticle(session, argument.toLongLong());
    } else if (verb == "QUIT") {
        session.reply("205 Tschüss");
        session.close();
    } else {
        session.reply("500 unbekannter Befehl");
    }
}

void LoopbackNntp::overview(Session& session, const QByteArray& range)
{
    const auto found = m_groups.find(session.group);
    if (found == m_groups.end()) {
        session.reply("412 keine Newsgroup gewählt");
        return;
    }
    const qsizetype dash = range.indexOf('-');
    const qint64 from = (dash < 0 ? range : range.left(dash)).toLongLong();
    qint64 to = dash < 0 ? from : range.mid(dash + 1).toLongLong();
    if (dash == range.size() - 1) to = std::numeric_limits<qint64>::max();
    QByteArray block = "224 Übersicht folgt\r\n";
    for (const auto& [number, text] : found->second.articles) {
        if (number < from || number > to) continue;
        const QByteArray n = QByteArray::number(number);
        block += n + "\tArtikel " + n + "\tkoch@example.org\t1 Jan 2024 12:00:00 +0100\t<" + n + "@test>\t\t" +
                 QByteArray::number(text.size()) + "\t" + QByteArray::number(text.count('\n')) + "\r\n";
    }
    session.send(block + ".\r\n");
}

void LoopbackNntp::sendArticle(Session& session, qint64 number)
{
    const auto found = m_groups.find(session.group);
    if (found == m_groups.end() || !found->second.articles.count(number)) {
        session.reply("423 kein Artikel mit dieser Nummer");
        return;
    }
    QByteArray block = "220 " + QByteArray::number(number) + " <" + QByteArray::number(number) + "@test>\r\n";
    const QByteArray& text = found->second.articles.at(number);
    for (QByteArray line : text.split('\n')) {
        if (line.startsWith('.')) line.prepend('.');
        block += line + "\r\n";
    }
    if (text.endsWith('\n')) block.chop(2);   // the split gives an empty last line
    session.send(block + ".\r\n");
}

}  // namespace kv::test
