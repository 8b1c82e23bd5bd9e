#include "printing/printsettingsdb.h"

#include "platform/db/database.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

}  // namespace kv
