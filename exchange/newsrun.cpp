#include "exchange/newsrun.h"

#include "core/mainmod.h"
#include "exchange/import.h"
#include "exchange/userdb.h"
#include "platform/textreplace/textfile.h"
#include "platform/ui/dialogs.h"

#include <QLocale>
#include <QScopeGuard>
#include <QTime>

#include <algorithm>

namespace kv::exchange {

namespace {

constexpr int kLogLimit = 400;
constexpr qint64 kAskAbove = 200;
const QString kNoGroup = QStringLiteral("Es ist kein Newsserver ausgewählt. Ende der Sitzung.");
const QString kFehler = QStringLiteral("F e h l e r : ");
const QString kFetching = QStringLiteral("N a c h r i c h t e n   werden eingelesen ... [00000000]");
// The import reads a line of text::kArticleEnd alone as the end of an article, so a
// recipe whose closing line is missing ends with its article instead of running on into
// the next one's header.
using text::kArticleEnd;

QString now()
{
    return QLocale().toString(QTime::currentTime(), QStringLiteral("HH:mm:ss"));
}

QString serverText(const QString& sname, int port)
{
    return QStringLiteral("S e r v e r   ") + sname + QStringLiteral(", Port ") + QString::number(port);
}

// What stopped a group, in the run's closing line.
QString shortReason(nntp::Failure failure)
{
    using nntp::Failure;
    switch (failure) {
    case Failure::Connect:
    case Failure::NotConnected:
        return QStringLiteral("Server nicht erreichbar");
    case Failure::Service:
        return QStringLiteral("Dienst verweigert");
    case Failure::Auth:
        return QStringLiteral("Anmeldung abgelehnt");
    case Failure::NoSuchGroup:
        return QStringLiteral("Newsgroup unbekannt");
    case Failure::Timeout:
        return QStringLiteral("keine Antwort");
    case Failure::Dropped:
        return QStringLiteral("Verbindung getrennt");
    case Failure::TooLarge:
    case Failure::LineTooLong:
        return QStringLiteral("zu lange Antwort");
    case Failure::Protocol:
    case Failure::ArticleMissing:
    case Failure::Cancelled:
        break;
    }
    return QStringLiteral("unverständliche Antwort");
}

}  // namespace

QString appendLogLine(const QString& log, const QString& message)
{
    QString text = log + QStringLiteral("\r\n") + message;
    if (text.size() > kLogLimit) text.remove(0, text.indexOf(u'\n') + 1);
    return text;
}

QString withCounter(const QString& log, qint64 number)
{
    return log.chopped(std::min<qsizetype>(9, log.size())) + QStringLiteral("%1]").arg(number, 8, 10, QLatin1Char('0'));
}

NewsRun::NewsRun(NewsReaderHost& host, QObject* parent) : QObject(parent), m_host(host)
{
    connect(&m_client, &nntp::Client::articleListed, this, &NewsRun::NNTP_ArticleListed);
    connect(&m_client, &nntp::Client::textReceived, this, &NewsRun::NNTP_TextReceived);
}

NewsRun::~NewsRun() = default;

void NewsRun::openUserDb()
{
    m_db = exchange::openUserDb();
}

void NewsRun::closeUserDb()
{
    m_db.reset();
}

std::vector<NewsRun::Group> NewsRun::markedGroups()
{
    std::vector<Group> groups;
    db::Statement st(*m_db,
                     QStringLiteral("SELECT newsserver.servid, newsserver.sname,newsserver.port, newsgroups.newsgroup, "
                                    "newsgroups.ngid, newsgroups.userid, newsgroups.password, newsgroups.ldatum, "
                                    "newsgroups.import ") +
                         QStringLiteral("FROM newsserver INNER JOIN newsgroups ON newsserver.servid = newsgroups.servid ") +
                         QStringLiteral("Where newsgroups.import = 'X' ORDER BY newsserver.sname, newsgroups.newsgroup;"));
    while (st.step()) {
        Group g;
        g.sname = st.text(1);
        // A row the wizard never showed as current has no port yet: the standard one.
        if (!st.isNull(2)) g.port = int(st.int64(2));
        g.newsgroup = st.text(3);
        g.ngid = st.int64(4);
        g.userid = st.text(5);
        g.password = st.text(6);
        g.ldatum = st.value(7);
        groups.push_back(std::move(g));
    }
    return groups;
}

NewsRunEnd NewsRun::startread()
{
    m_running = true;
    m_abandoned = false;
    m_failed = false;
    m_incomplete.clear();
    const auto ended = qScopeGuard([this] { m_running = false; });
    if (!m_db) openUserDb();

    stat(QStringLiteral("S t a r t .   [") + now() + u']');
    const std::vector<Group> groups = markedGroups();
    if (groups.empty()) {
        ui::msgbox(kNoGroup, ui::OkOnly, QString());
        closeUserDb();
        return NewsRunEnd::NoGroups;
    }
    m_file.setFileName(handOverFile());
    if (m_file.fileName().isEmpty() || !m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ui::msgbox(QStringLiteral("Die Datei für die gelesenen Nachrichten kann nicht angelegt werden (%1). Es wird "
                                  "nichts gelesen.")
                       .arg(m_file.errorString()),
                   ui::Critical | ui::OkOnly, QStringLiteral(" F E H L E R"));
        closeUserDb();
        return NewsRunEnd::Failed;
    }

    bool leave = false;
    std::size_t i = 0;
    // Connections that failed: a server that is not reached is not tried again in this
    // run, a login refused not sent again; other logins to the same server are tried.
    std::vector<std::pair<const Group*, nntp::Failure>> refused;
    const auto refusedFor = [&refused](const Group& g) -> std::optional<nntp::Failure> {
        for (const auto& [tried, failure] : refused)
            if (failure == nntp::Failure::Auth ? sameConnection(g, *tried)
                                               : g.sname == tried->sname && g.port == tried->port)
                return failure;
        return std::nullopt;
    };
    try {
        while (i < groups.size() && !leave && !m_abandoned) {
            std::optional<nntp::Failure> failure = refusedFor(groups[i]);
            if (!failure) failure = connectServer(groups[i]);
            if (failure) {
                // The group stays marked.
                refused.emplace_back(&groups[i], *failure);
                incomplete(groups[i], shortReason(*failure));
                ++i;
                continue;
            }
            // A group that logs in otherwise than the connection did gets a connection of
            // its own: a server takes one login per connection, and a group is read with
            // its own login or, without one, with none.
            const Group& opened = groups[i];
            while (i < groups.size() && sameConnection(groups[i], opened)) {
                const GroupEnd end = readGroup(groups[i]);
                ++i;
                if (end == GroupEnd::Stop) leave = true;
                // After a No to the question, or a lost connection, the next group of the
                // same server connects anew.
                if (end != GroupEnd::Done && end != GroupEnd::Failed) break;
            }
            m_client.disconnectFromServer();
        }
    } catch (const db::DbError& e) {
        // The user database failed: what was written so far is still imported.
        fehler(e.text());
        for (; i < groups.size(); ++i) incomplete(groups[i], QStringLiteral("Datenbankfehler"));
    }
    m_client.disconnectFromServer();
    m_file.close();

    if (m_abandoned) {
        try {
            m_db->execute(QStringLiteral("delete from newsimport"));
        } catch (const db::DbError&) {
        }
        closeUserDb();
        return NewsRunEnd::Abandoned;
    }
    if (!m_incomplete.isEmpty())
        fehler(QStringLiteral("Nicht zu Ende gelesen: ") + m_incomplete.join(QStringLiteral(", ")) +
               QStringLiteral(". Sie bleiben zum Lesen gewählt."));
    importnews();
    return NewsRunEnd::Imported;
}

bool NewsRun::sameConnection(const Group& a, const Group& b)
{
    const auto login = [](const Group& g) {
        return g.userid.isEmpty() ? std::pair<QString, QString>() : std::pair(g.userid, g.password);
    };
    return a.sname == b.sname && a.port == b.port && login(a) == login(b);
}

std::optional<nntp::Failure> NewsRun::connectServer(const Group& g)
{
    stat(serverText(g.sname, g.port) + QStringLiteral(" wird gesucht ... "));
    try {
        m_client.connectToServer(g.sname, g.port, g.userid, g.password);
    } catch (const nntp::Error& e) {
        if (!m_abandoned) fehler(e.text());
        return e.failure();
    }
    stat(serverText(g.sname, g.port) + QStringLiteral(" gefunden. [") + now() + u']');
    return std::nullopt;
}

NewsRun::GroupEnd NewsRun::readGroup(const Group& g)
{
    m_db->execute(QStringLiteral("delete from newsimport "));
    nntp::GroupInfo info;
    try {
        info = m_client.selectGroup(g.newsgroup);
    } catch (const nntp::Error& e) {
        return groupFailed(g, e, g.ldatum);
    }
    stat(QStringLiteral("N e w s g r o u p   ") + g.newsgroup + QStringLiteral(" : ") + QString::number(info.count) +
         QStringLiteral(" Artikel (") + QString::number(info.first) + u'-' + QString::number(info.last) + u')');
    if (info.count > kAskAbove &&
        ui::msgbox(QStringLiteral("Es befinden sich mehr als 200 Nachrichten (nämlich ") + QString::number(info.count) +
                       QStringLiteral(" auf dem Server. Wollen Sie wirklich alle diese Nachrichten lesen ? [Sie können "
                                      "die Startnummer vorher in der Newsgroupliste eintragen]."),
                   ui::YesNo, QStringLiteral(" ")) != ui::Answer::Yes)
        return GroupEnd::Declined;
    if (info.count == 0) {
        stat(QStringLiteral("Es sind keine Artikel vorhanden. Der Server führt eventuell diese Newsgroup nicht."));
        // No number of its own to go on from: the group keeps its start.
        saveGroup(g, QStringLiteral("0"), g.ldatum);
        return GroupEnd::Done;
    }

    stat(QStringLiteral("Ü b e r s i c h t   wird eingelesen ... [00000000]"), true);
    const qint64 start = g.ldatum.toLongLong();
    const QString range = start == 0 ? QStringLiteral("-") : QString::number(start) + QStringLiteral("-end");
    nntp::Listing listing;
    {
        db::Transaction tx(*m_db);
        try {
            listing = m_client.listArticles(range);
        } catch (const nntp::Error& e) {
            return groupFailed(g, e, g.ldatum);
        }
        tx.commit();
    }
    if (listing.malformed > 0)
        fehler(
            QStringLiteral("%1 Zeilen der Übersicht ohne Artikelnummer wurden übersprungen.").arg(listing.malformed));
    if (listing.cut)
        fehler(QStringLiteral("Die Übersicht hat mehr als %1 Artikel; die übrigen folgen beim nächsten Lesen.")
                   .arg(m_client.limits().maxListedArticles));

    // In order and each once, whatever the server listed: "the first article not
    // fetched" then means what it says.
    std::vector<qint64> numbers;
    {
        db::Statement st(*m_db, QStringLiteral("select distinct msgnr from newsimport order by msgnr"));
        while (st.step()) numbers.push_back(st.int64(0));
    }
    stat(kFetching, true);
    return fetchAll(g, numbers, listing.cut);
}

NewsRun::GroupEnd NewsRun::fetchAll(const Group& g, const std::vector<qint64>& numbers, bool listingCut)
{
    for (const qint64 number : numbers) {
        if (!m_client.isConnected()) {
            // The client dropped the connection to skip an article: the rest needs a new one.
            try {
                m_client.connectToServer(g.sname, g.port, g.userid, g.password);
                m_client.selectGroup(g.newsgroup);
            } catch (const nntp::Error& e) {
                return groupFailed(g, e, number);
            }
        }
        m_buffer.clear();
        try {
            m_client.fetchArticle(number);
        } catch (const nntp::Error& e) {
            switch (e.failure()) {
            case nntp::Failure::ArticleMissing:
                stat(QStringLiteral("Fehler : Artikel nicht vorhanden; wird übersprungen."));
                break;
            case nntp::Failure::TooLarge:
            case nntp::Failure::LineTooLong:
                // Fetching it again would fail again: it is passed over for good.
                fehler(e.text() + QStringLiteral(" Er wird übersprungen."));
                break;
            default:
                return groupFailed(g, e, number);
            }
            // The counter goes on in a line of its own, not over the message.
            stat(kFetching, true);
            counter(number, true);
            continue;
        }
        if (m_cancel) {
            // Not written: the next run begins with it.
            saveGroup(g, QStringLiteral("X"), number);
            return GroupEnd::Stop;
        }
        counter(number, false);
        const QByteArray bytes = (m_buffer + QStringLiteral("\r\n")).toUtf8() + kArticleEnd + "\r\n";
        if (m_file.write(bytes) != bytes.size()) {
            fehler(QStringLiteral("Die gelesenen Nachrichten können nicht gespeichert werden (%1).")
                       .arg(m_file.errorString()));
            saveGroup(g, QStringLiteral("X"), number);
            incomplete(g, QStringLiteral("Datei nicht geschrieben"));
            return GroupEnd::Stop;
        }
    }
    counter(-1, true);
    const QVariant highest = m_db->scalar(QStringLiteral("select max(msgnr) as mn from newsimport"));
    if (listingCut) incomplete(g, QStringLiteral("Übersicht zu lang"));
    saveGroup(g, listingCut ? QStringLiteral("X") : QStringLiteral("0"),
              highest.isValid() ? QVariant(highest.toLongLong() + 1) : g.ldatum);
    return GroupEnd::Done;
}

NewsRun::GroupEnd NewsRun::groupFailed(const Group& g, const nntp::Error& e, const QVariant& ldatum)
{
    if (m_abandoned) return GroupEnd::Stop;
    fehler(e.text());
    // The group keeps its mark; what was fetched before counts, the rest comes next time.
    saveGroup(g, QStringLiteral("X"), ldatum);
    incomplete(g, shortReason(e.failure()));
    return m_client.isConnected() ? GroupEnd::Failed : GroupEnd::ConnectionLost;
}

void NewsRun::saveGroup(const Group& g, const QString& mark, const QVariant& ldatum)
{
    m_db->execute(QStringLiteral("update newsgroups set import=?, ldatum=? where ngid=?"), {mark, ldatum, g.ngid});
}

void NewsRun::incomplete(const Group& g, const QString& why)
{
    m_incomplete << g.newsgroup + QStringLiteral(" (") + why + u')';
}

void NewsRun::fehler(const QString& message)
{
    m_failed = true;
    stat(kFehler + message);
}

void NewsRun::stat(const QString& message, bool counterLine)
{
    counter(-1, true);
    m_host.stat(message);
    m_counterLine = counterLine;
}

void NewsRun::counter(qint64 number, bool now)
{
    // Only over a counter line: a message logged since (the cancel's) keeps its end.
    if (!m_counterLine) {
        m_counterPending = -1;
        return;
    }
    // Shown at most every 50 ms: a listing of many thousand articles would spend its time
    // drawing the log.
    if (number >= 0) m_counterPending = number;
    if (m_counterPending < 0) return;
    if (!now && m_counterShown.isValid() && m_counterShown.elapsed() < 50) return;
    m_host.showCounter(m_counterPending);
    m_counterPending = -1;
    m_counterShown.start();
}

void NewsRun::NNTP_ArticleListed(qint64 number)
{
    m_db->execute(QStringLiteral("insert into newsimport (msgnr) values (?)"), {number});
    counter(number, false);
}

void NewsRun::NNTP_TextReceived(const QString& line)
{
    m_buffer += QStringLiteral("\r\n");
    // An article of its own must not end early: the byte means nothing in a text.
    m_buffer += QString(line).remove(QChar(kArticleEnd));
}

void NewsRun::importnews()
{
    try {
        if (m_db) m_db->execute(QStringLiteral("delete from newsimport"));
    } catch (const db::DbError&) {
    }
    closeUserDb();
    m_host.beforeImport();
    m_cancel = true;
    const auto lowered = qScopeGuard([this] { m_cancel = false; });
    skipexisting = true;
    startimport(kHandOverName, 0);
}

bool NewsRun::abbruch_Click()
{
    if (!m_cancel) {
        m_cancel = true;
        stat(QStringLiteral("M o m e n t   bitte ... Trennung vom Server ..."));
        return false;
    }
    if (ui::msgbox(QStringLiteral("Ohne Import der bisher gelesenen Nachrichten abbrechen ?"), ui::YesNo,
                   QStringLiteral(" ")) != ui::Answer::Yes)
        return false;
    if (m_running) {
        // The run is somewhere inside an action of the client: it unwinds from there, then
        // the window goes.
        m_abandoned = true;
        m_client.abort();
        return false;
    }
    closeUserDb();
    return true;
}

}  // namespace kv::exchange
