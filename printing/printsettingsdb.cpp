#include "printing/printsettingsdb.h"

#include "platform/db/database.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>

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

void createprintsettingsdb()
{
    const QString path = printsettingsPath();
    auto db = db::Database::create(path);
    try {
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
        db->close();
    } catch (...) {
        // The opening creates the file only when it is missing; a half-made one
        // would never be completed.
        try {
            db->close();
        } catch (...) {
        }
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(path + QLatin1String(suffix));
        throw;
    }
}

}  // namespace kv
