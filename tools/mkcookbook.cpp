// Builds the delivered cookbook from its SQL text:
//   kelvor_mkcookbook OUTPUT.mdb SCRIPT.sql...
// The file is made through the database layer, so the collation and like() the
// program registers are there while the scripts run.

#include "platform/db/database.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

// The line of the statement that begins at `offset`, past blanks and comments.
int lineOf(const QByteArray& text, qsizetype offset)
{
    while (offset < text.size()) {
        const char c = text.at(offset);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++offset;
        } else if (text.mid(offset, 2) == "--") {
            const qsizetype end = text.indexOf('\n', offset);
            offset = end < 0 ? text.size() : end;
        } else {
            break;
        }
    }
    return 1 + int(text.left(offset).count('\n'));
}

// sqlite3_exec would run the scripts too, but it cannot say where a statement
// failed; walking the statements gives the line for the error message.
void runScript(kv::db::Database& db, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString());
    const QByteArray text = file.readAll();

    const char* begin = text.constData();
    const char* rest = begin;
    while (*rest) {
        sqlite3_stmt* stmt = nullptr;
        const char* tail = nullptr;
        const int rcPrepare = sqlite3_prepare_v2(db.handle(), rest, -1, &stmt, &tail);
        if (rcPrepare != SQLITE_OK) {
            throw std::runtime_error(QStringLiteral("%1:%2: %3")
                                         .arg(path)
                                         .arg(lineOf(text, rest - begin))
                                         .arg(QString::fromUtf8(sqlite3_errmsg(db.handle())))
                                         .toStdString());
        }
        if (!stmt) {  // only blanks or comments were left
            rest = tail;
            continue;
        }
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) {
            throw std::runtime_error(QStringLiteral("%1:%2: %3")
                                         .arg(path)
                                         .arg(lineOf(text, rest - begin))
                                         .arg(QString::fromUtf8(sqlite3_errmsg(db.handle())))
                                         .toStdString());
        }
        rest = tail;
    }
}

// A half-built cookbook must not stay behind: the build would take it as done.
void removeOutput(const QString& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: kelvor_mkcookbook OUTPUT.mdb SCRIPT.sql...\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    bool created = false;
    try {
        auto db = kv::db::Database::create(output);
        created = true;
        {
            kv::db::Transaction tx(*db);
            for (int i = 2; i < argc; ++i)
                runScript(*db, QString::fromLocal8Bit(argv[i]));
            tx.commit();
        }
        // The shipped file must stand on its own: fold the write-ahead log back
        // in and leave the file in rollback-journal mode, so it can be copied or
        // opened read-only without companion files. Every read-write opening
        // switches it back to WAL.
        char* error = nullptr;
        if (sqlite3_exec(db->handle(), "PRAGMA journal_mode=DELETE", nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "journal mode";
            sqlite3_free(error);
            throw std::runtime_error(message);
        }
        db->close();
    } catch (const kv::db::DbError& e) {
        std::fprintf(stderr, "kelvor_mkcookbook: %s\n%s\n", qPrintable(e.text()), qPrintable(e.sql()));
        if (created) removeOutput(output);
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelvor_mkcookbook: %s\n", e.what());
        if (created) removeOutput(output);
        return 1;
    }
    return 0;
}
