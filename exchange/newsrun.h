#pragma once
// The reading run of the newsgroup reader `newsreaderwork`: it connects to each server
// with groups marked for reading, lists the new articles of each marked group, fetches
// them into the hand-over file, keeps for each group the next article to read, and hands
// the file to the import. The window shows the log and carries the cancel button; all
// else is here.

#include "platform/db/database.h"
#include "platform/nntp/nntpclient.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

namespace kv::exchange {

// What the run needs of its window.
class NewsReaderHost {
public:
    virtual ~NewsReaderHost() = default;
    virtual void stat(const QString& message) = 0;     // one more line in the log
    virtual void showCounter(qint64 number) = 0;       // in place of the log's last nine characters
    virtual void beforeImport() = 0;                   // the beep, and the window hidden
};

// The log after one more line: the old text, CR LF and the message; past 400 characters
// everything up to and including the first line feed goes (one line per call, so the
// log may stay a little longer than 400).
QString appendLogLine(const QString& log, const QString& message);
// The log with its last nine characters replaced by the number in eight digits and "]".
QString withCounter(const QString& log, qint64 number);

enum class NewsRunEnd {
    NoGroups,    // nothing marked: said so, nothing written, no import
    Imported,    // the hand-over file went to the import
    Abandoned,   // the second cancel: no import
    Failed,      // the hand-over file could not be made: said so, no import
};

class NewsRun : public QObject {
    Q_OBJECT
public:
    explicit NewsRun(NewsReaderHost& host, QObject* parent = nullptr);
    ~NewsRun() override;

    // The user database, opened when the window loads and again by a later run.
    void openUserDb();
    NewsRunEnd startread();
    void importnews();
    // The cancel button. The first click asks the run to stop after the article being
    // fetched and to import what it wrote; the second asks whether to stop without the
    // import, and a Yes abandons the run, which then unwinds by itself. True when the
    // window should go at once (a Yes while no run lasts).
    bool abbruch_Click();

    bool running() const { return m_running; }
    bool cancelRaised() const { return m_cancel; }
    // The last run logged a failure (a server not reached, a connection lost, a group or
    // an article not read): its log must stay to be read.
    bool failed() const { return m_failed; }

    // The client's events.
    void NNTP_ArticleListed(qint64 number);
    void NNTP_TextReceived(const QString& line);

private:
    struct Group {
        QString sname;
        int port = 119;
        QString newsgroup;
        qint64 ngid = 0;
        QString userid;
        QString password;
        QVariant ldatum;
    };
    enum class GroupEnd { Done, Declined, Failed, ConnectionLost, Stop };

    std::vector<Group> markedGroups();
    // One connection serves the groups of one server, port and login.
    static bool sameConnection(const Group& a, const Group& b);
    // What failed; nothing when connected.
    std::optional<nntp::Failure> connectServer(const Group& g);
    GroupEnd readGroup(const Group& g);
    GroupEnd fetchAll(const Group& g, const std::vector<qint64>& numbers, bool listingCut);
    GroupEnd groupFailed(const Group& g, const nntp::Error& e, const QVariant& ldatum);
    void saveGroup(const Group& g, const QString& mark, const QVariant& ldatum);
    void incomplete(const Group& g, const QString& why);
    // A log line; a counter line ends in "[00000000]", which counter() then overwrites.
    void stat(const QString& message, bool counterLine = false);
    // A failure's line, "F e h l e r : " and the message; the run then counts as failed.
    void fehler(const QString& message);
    void counter(qint64 number, bool now);
    void closeUserDb();

    NewsReaderHost& m_host;
    nntp::Client m_client;
    std::shared_ptr<db::Database> m_db;
    QFile m_file;
    QString m_buffer;
    QStringList m_incomplete;
    QElapsedTimer m_counterShown;
    qint64 m_counterPending = -1;
    bool m_counterLine = false;
    bool m_running = false;
    bool m_cancel = false;
    bool m_abandoned = false;
    bool m_failed = false;
};

}  // namespace kv::exchange
