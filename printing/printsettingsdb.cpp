#include "printing/printsettingsdb.h"

#include "core/settings.h"
#include "platform/db/database.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"

#include <QDir>
#include <QHash>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace kv {

const std::vector<PrintSettingColumn>& printsettingsColumns()
{
    static const std::vector<PrintSettingColumn> columns = {
        {"printfont0name", 50},   {"printorient", 10},      {"printfont0size", 5},
        {"printfont1name", 50},   {"printfont1size", 5},    {"printfont0bold", 2},
        {"printfont0italic", 2},  {"printfont1bold", 2},    {"printfont1italic", 2},
        {"printfont2name", 50},   {"printfont2size", 5},    {"printfont2bold", 2},
        {"printfont2italic", 2},  {"printfont3name", 50},   {"printfont3size", 5},
        {"printfont3bold", 2},    {"printfont3italic", 2},  {"printfont4name", 50},
        {"printfont4size", 5},    {"printfont4bold", 2},    {"printfont4italic", 2},
        {"printmarg0", 10},       {"printmarg1", 10},       {"printmarg2", 10},
        {"printmarg3", 10},       {"printtitleorder", 50},  {"printfootorder", 50},
        {"printbooklet", 2},      {"printspalten", 4},
    };
    return columns;
}

QString printsettingsPath()
{
    return QDir(paths::programFolder()).filePath(QStringLiteral("kelvor-printsettings.mdb"));
}

namespace {

void removeWithLogs(const QString& file)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(file + QLatin1String(suffix));
}

// Only a file that could be read may count as incomplete: one we cannot open may
// hold the user's schemes.
bool readableFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

// The print window's list keeps a read open on its connection; a second connection's write
// would wait for it and fail. Without the window the file is opened for the one call.
class SchemeFile {
public:
    SchemeFile() : m_db(db::Database::byName(printsettingsPath()))
    {
        if (!m_db) {
            m_own = db::Database::open(printsettingsPath());
            m_db = m_own.get();
        }
    }
    db::Database& db() { return *m_db; }

private:
    std::unique_ptr<db::Database> m_own;
    db::Database* m_db;
};

}  // namespace

bool printsettingsComplete()
{
    try {
        const auto db = db::Database::openCandidate(printsettingsPath());
        return db && db->hasTable(QStringLiteral("choices")) && db->hasTable(QStringLiteral("settings"));
    } catch (const db::DbError&) {
        return false;  // not a database at all
    }
}

void ensureprintsettingsdb()
{
    if (printsettingsComplete()) return;
    if (!paths::mayAccess(paths::programFolder(), paths::Access::Write))
        throw db::DbError(SQLITE_READONLY,
                          QStringLiteral("Der Programmordner %1 ist schreibgeschützt; die Datei %2 kann dort "
                                         "nicht angelegt werden.")
                              .arg(QDir::toNativeSeparators(paths::programFolder()),
                                   QFileInfo(printsettingsPath()).fileName()));
    createprintsettingsdb();
}

void createprintsettingsdb()
{
    const QString path = printsettingsPath();
    if (QFileInfo::exists(path) && (printsettingsComplete() || !readableFile(path)))
        throw db::DbError(db::errFileExists,
                          QStringLiteral("Datenbank ist bereits vorhanden: %1").arg(QDir::toNativeSeparators(path)));

    // Built under another name and moved into place whole: a start killed midway
    // leaves at most the temporary file, which the next start removes.
    const QString temporary = path + QStringLiteral(".tmp");
    removeWithLogs(temporary);
    std::unique_ptr<db::Database> db;
    try {
        db = db::Database::create(temporary);
        QString settings = QStringLiteral("create table settings (cid LONG");
        for (const PrintSettingColumn& column : printsettingsColumns())
            settings += QStringLiteral(", %1 VARCHAR(%2) COLLATE NOCASE_DE")
                            .arg(QLatin1String(column.name))
                            .arg(column.width);
        settings += QLatin1Char(')');

        db::Transaction tx(*db);
        db->execute(QStringLiteral("create table choices (cid LONG, cname VARCHAR(50) COLLATE NOCASE_DE)"));
        db->execute(settings);
        db->execute(QStringLiteral("insert into choices (cid,cname) select 0,'aktuelle Einstellungen'"));
        tx.commit();
        // Out of WAL mode the tables are in the file itself; a log named after the
        // temporary file would not follow the rename.
        const QString mode = QStringLiteral("PRAGMA journal_mode=DELETE");
        if (db->scalar(mode).toString().compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
            throw db::DbError(db::errReadOnly,
                              QStringLiteral("Die Druckeinstellungen bleiben im Protokoll statt in der Datei."), mode);
        db->close();

        // A log left by the incomplete file would be replayed onto the new one.
        for (const char* suffix : {"-wal", "-shm", "-journal"})
            QFile::remove(path + QLatin1String(suffix));
        if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
            const int error = errno;
            throw db::DbError(db::errReadOnly, QStringLiteral("%1 kann nicht durch %2 ersetzt werden: %3")
                                                   .arg(QDir::toNativeSeparators(path),
                                                        QDir::toNativeSeparators(temporary),
                                                        QString::fromLocal8Bit(std::strerror(error))));
        }
    } catch (...) {
        if (db) {
            try {
                db->close();
            } catch (...) {
            }
        }
        removeWithLogs(temporary);
        throw;
    }
}

std::optional<qint64> saveprintsettings()
{
    SchemeFile file;
    db::Database& db = file.db();
    const std::optional<QString> name =
        ui::inputbox(QStringLiteral("Bitte geben Sie einen Namen für diese Einstellungen ein :"), QStringLiteral(" "));
    if (!name)
        return std::nullopt;

    QString columns = QStringLiteral("cid");
    QString places = QStringLiteral("?");
    QVariantList values;
    for (const PrintSettingColumn& column : printsettingsColumns()) {
        columns += QStringLiteral(",") + QLatin1String(column.name);
        places += QStringLiteral(",?");
        values << getreg(QLatin1String(column.name));
    }

    db::Transaction tx(db);
    const QVariant highest = db.scalar(QStringLiteral("select max(cid) from choices"));
    const qint64 cid = highest.isNull() ? 1 : highest.toLongLong() + 1;
    db.execute(QStringLiteral("insert into choices (cid,cname) values (?,?)"), {cid, *name});
    values.prepend(cid);
    db.execute(QStringLiteral("insert into settings (%1) values (%2)").arg(columns, places), values);
    tx.commit();
    return cid;
}

bool loadprintsettings(qint64 cid)
{
    SchemeFile file;
    db::Statement row(file.db(), QStringLiteral("select * from settings where cid=?"));
    row.bind(1, cid);
    if (!row.step())
        return false;
    QHash<QString, QString> scheme;
    for (int i = 0; i < row.columnCount(); ++i)
        scheme.insert(row.columnName(i).toLower(), row.text(i));
    // Every value is read before the first is written: a scheme missing one changes nothing.
    QList<QPair<QString, QString>> values;
    for (const reg::Default& setting : reg::printdefaults()) {
        const auto found = scheme.constFind(setting.name.toLower());
        if (found == scheme.constEnd())
            throw db::DbError(db::errItemNotFound,
                              QStringLiteral("Das Druckschema hat keinen Wert für %1.").arg(setting.name));
        values.append({setting.name, *found});
    }
    for (const auto& [name, value] : values)
        savereg(name, value);
    return true;
}

std::optional<QString> printsettingsValue(qint64 cid, const QString& name)
{
    // The name becomes a column of the statement: only the table's own columns are taken.
    const auto& columns = printsettingsColumns();
    const auto column = std::find_if(columns.begin(), columns.end(), [&](const PrintSettingColumn& c) {
        return name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0;
    });
    if (column == columns.end())
        return std::nullopt;
    SchemeFile file;
    db::Statement row(file.db(),
                      QStringLiteral("select %1 from settings where cid=?").arg(QLatin1String(column->name)));
    row.bind(1, cid);
    if (!row.step())
        return std::nullopt;
    return row.text(0);
}

void deleteprintsettings(qint64 cid)
{
    SchemeFile file;
    db::Database& db = file.db();
    db::Transaction tx(db);
    db.execute(QStringLiteral("delete from settings where cid=?"), {cid});
    db.execute(QStringLiteral("delete from choices where cid=?"), {cid});
    tx.commit();
}

}  // namespace kv
