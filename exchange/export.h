#pragma once
// The export wizard's writers: the recipes of one selection list as Meal-Master text or
// as the blocks of an HTML page, either as the wizard's preview (and clipboard) text or
// whole into a file.

#include <QByteArray>
#include <QDate>
#include <QString>

#include <stdexcept>

namespace kv {

namespace db {
class Database;
}

// What both writers return for a selection without recipes; no file is written then.
inline const QString kLeereAuswahl = QStringLiteral("0");
// The preview stops after this many recipes.
inline constexpr int kPreviewRezepte = 30;

// A file or cookbook that could not be written, with what the user is told (German).
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const QString& text);
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// toFile false: the blocks of the first 30 recipes, after the 30th the two note lines.
// toFile true: every block into `fileName`, which is replaced only once the new text is
// complete; returns the empty text. Lines end in CR LF. Throws ExportError when the file
// cannot be written (the old one stays as it was).
QString mmstring(db::Database& db, qint64 aid, bool toFile, const QString& fileName,
                 const QDate& today = QDate::currentDate());
// The same for the HTML blocks; in a file they stand between `head` and `foot`.
QString htmlstring(db::Database& db, qint64 aid, bool toFile, const QString& fileName,
                   const QString& head = {}, const QString& foot = {});

// A Meal-Master file is Windows-1252, as older readers expect, unless a character of it
// is missing there; then the whole file is UTF-8 (without a byte-order mark).
QByteArray mealMasterBytes(const QString& text);
// An HTML file in ASCII, every other character as a numeric reference, so the page reads
// right whatever charset its head names, or none.
QByteArray htmlBytes(const QString& text);

}  // namespace kv
