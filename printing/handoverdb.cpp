#include "printing/handoverdb.h"

#include "platform/paths.h"

#include <QFileInfo>

namespace kv {

namespace {

// A recipe's lines keep their key (`rid`, `tid`, `nr`).
const QString kTables[] = {
    QStringLiteral("create table if not exists [rep-korbliste] (%1, rnr LONG)").arg(kHandoverColumns),
    QStringLiteral("create unique index if not exists [rep-korbliste.PrimaryKey.primary] "
                   "on [rep-korbliste] (rid, tid, nr)"),
    QStringLiteral("create table if not exists [rep-einkauf] (%1)").arg(kHandoverColumns),
    QStringLiteral("create table if not exists [rep-mbesch] (aname VARCHAR(255) COLLATE NOCASE_DE, "
                   "mbesch LONGTEXT COLLATE NOCASE_DE)"),
};

}  // namespace

QString HandoverDatabase::path()
{
    const QString folder = paths::privateTempFolder();
    if (folder.isEmpty())
        throw db::DbError(db::errFileNotFound,
                          QStringLiteral("Im Ordner %1 kann kein Ordner für den Druck angelegt werden.")
                              .arg(paths::tempFolder()));
    return folder + QStringLiteral("/kelvor-druckuebergabe.db");
}

db::Database& HandoverDatabase::db()
{
    const QString file = path();
    if (m_db && m_db->isOpen() && m_path == file && QFileInfo::exists(file))
        return *m_db;
    close();
    std::unique_ptr<db::Database> opened =
        QFileInfo::exists(file) ? db::Database::open(file, db::FileLock::HeldByCaller) : db::Database::create(file);
    // Rows that live only until the next print: no commit of them needs to survive a power
    // cut, and syncing each would slow every print down.
    opened->execute(QStringLiteral("PRAGMA synchronous=OFF"));
    db::Transaction tx(*opened);
    for (const QString& sql : kTables)
        opened->execute(sql);
    tx.commit();
    m_db = std::move(opened);
    m_path = file;
    return *m_db;
}

void HandoverDatabase::close()
{
    if (m_db)
        m_db->close();
    m_db.reset();
}

HandoverDatabase& printHandover()
{
    // Never destroyed: the connection must not outlive the database layer's own statics at
    // exit, and the file goes with the private temp folder.
    static HandoverDatabase* handover = new HandoverDatabase;
    return *handover;
}

namespace {

bool attached(db::Database& handover)
{
    db::Statement st(handover, QStringLiteral("select 1 from pragma_database_list where name=?"));
    st.bind(1, kHandoverCookbook);
    return st.step();
}

}  // namespace

CookbookForHandover::CookbookForHandover(db::Database& handover, const db::Database& cookbook)
    : m_handover(handover)
{
    // A detach that failed before left the file of an earlier hand-over attached.
    if (attached(m_handover))
        m_handover.detach(kHandoverCookbook);
    m_handover.attachForReading(cookbook, kHandoverCookbook);
}

CookbookForHandover::~CookbookForHandover()
{
    try {
        m_handover.detach(kHandoverCookbook);
    } catch (const db::DbError&) {
        // Read-only as it is, the file stays attached until the next hand-over detaches it.
    }
}

}  // namespace kv
