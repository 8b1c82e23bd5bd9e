#include "exchange/export.h"

#include "core/fraction.h"
#include "core/ingredientline.h"
#include "platform/db/database.h"
#include "platform/paths.h"
#include "platform/textreplace/cp1252.h"
#include "platform/ui/dialogs.h"

#include <QDir>
#include <QSaveFile>

#include <cmath>
#include <functional>
#include <optional>
#include <vector>

namespace kv {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kHinweis =
    QStringLiteral("############ In dieser Anzeige nach 30 Rezepten abgeschnitten ###########\r\n"
                   "(In die Datei werden alle Rezepte geschrieben; in die Zwischenablage nur die hier angezeigten.)");

struct Zeile {
    int tid = 0;
    bool heading = false;  // opens a part of the ingredient list: its text alone is written
    std::optional<qint64> eid;
    std::optional<double> menge;
    QString ekurz;
    QString ename;
    QString zname;
};

struct Rezept {
    qint64 rid = 0;
    QString rname;
    QString kname;
    QString ztext;
    int port = 0;  // servings the stored amounts are written for
    int p = 0;     // servings the selection asks for
    std::vector<Zeile> zeilen;
};

// The recipes of a selection in title order, one at a time. Outer joins keep a recipe
// without preparation or ingredient lines; a line whose ingredient name is missing is
// left out, as it cannot be written.
class Auswahl {
public:
    Auswahl(db::Database& db, qint64 aid)
        : m_rows(db, QStringLiteral(
                         "select ra.rowid, r.rid, r.rname, r.port, ra.port, k.kname, zb.ztext, "
                         "z.rowid, z.tid, z.nr, z.eid, z.menge, e.ekurz, e.ename, i.zutat, i.zutid "
                         "from rezinaus ra join rezepte r on r.rid = ra.rid "
                         "left join hauptkat k on k.kid = r.kid "
                         "left join zubereit zb on zb.rowid = (select min(rowid) from zubereit where rid = r.rid) "
                         "left join zutaten z on z.rid = r.rid "
                         "left join zutindex i on i.zutid = z.zutid "
                         "left join einheiten e on e.eid = z.eid "
                         "where ra.aid = ? order by r.rname, r.rid, ra.rowid, z.tid, z.nr"))
    {
        m_rows.bind(1, aid);
        m_pending = m_rows.step();
    }

    bool next(Rezept& r)
    {
        if (!m_pending) return false;
        // A recipe that stands twice in the list is written twice, each copy whole.
        const qint64 entry = m_rows.int64(0);
        r = Rezept{};
        r.rid = m_rows.int64(1);
        r.rname = m_rows.text(2);
        r.port = int(m_rows.int64(3));
        r.p = m_rows.isNull(4) ? r.port : int(m_rows.int64(4));
        r.kname = m_rows.text(5);
        r.ztext = m_rows.text(6);
        do {
            if (!m_rows.isNull(7) && !m_rows.isNull(15)) {
                Zeile z;
                z.tid = int(m_rows.int64(8));
                z.heading = isHeadingLine(m_rows.value(9), m_rows.value(11), m_rows.value(10));
                if (!m_rows.isNull(10)) z.eid = m_rows.int64(10);
                if (!m_rows.isNull(11)) z.menge = m_rows.value(11).toDouble();
                z.ekurz = m_rows.text(12);
                z.ename = m_rows.text(13);
                z.zname = m_rows.text(14);
                r.zeilen.push_back(std::move(z));
            }
            m_pending = m_rows.step();
        } while (m_pending && m_rows.int64(0) == entry);
        return true;
    }

private:
    db::Statement m_rows;
    bool m_pending = false;
};

// Every block of the selection, each followed by a line break (a file), or the first 30
// and the note (a preview). Nothing for a selection without recipes.
std::optional<QString> blocks(db::Database& db, qint64 aid, bool toFile,
                              const std::function<QString(const Rezept&)>& block)
{
    Auswahl auswahl(db, aid);
    Rezept r;
    QString out;
    int count = 0;
    while (auswahl.next(r)) {
        out += block(r);
        ++count;
        if (toFile) {
            out += kCrLf;
        } else if (count == kPreviewRezepte) {
            out += kHinweis;
            break;
        }
    }
    if (count == 0) return std::nullopt;
    return out;
}

// Stored texts break lines with CR LF, LF CR or a lone LF; a file has CR LF throughout.
// Each pair is one break, as on screen.
QString crlf(const QString& text)
{
    return ui::displayText(text).replace(u'\n', kCrLf);
}

// Amounts as the kitchen fractions of the view, with a decimal point whatever the locale.
QString mengeText(const Zeile& z, const Rezept& r)
{
    QString text = bruchmenge(z.menge, r.port, r.p, z.eid).toText();
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0) text[comma] = u'.';
    return text;
}

// Units typed in the editor carry no Meal-Master code; a reader would take "$$" for some
// other unit, so the unit's name goes in front of the text instead.
const QString kEigeneEinheit = QStringLiteral("$$");

QString mmZutat(const Zeile& z, const Rezept& r)
{
    QString unit = z.ekurz;
    QString text = z.zname;
    // The fixed amount's unit keeps its letter, so a reader takes it back as that unit.
    if (z.eid == kUnscaledUnit) {
        unit = QStringLiteral("x");
    } else if (unit == kEigeneEinheit) {
        unit.clear();
        if (!z.ename.isEmpty()) text = z.ename + u' ' + text;
    }
    // A value too wide for its column is written whole; readers split the words at blanks.
    QString line = mengeText(z, r).rightJustified(7, u' ') + u' ' + unit.leftJustified(2, u' ') + u' ';
    // The text starts in column 12; while longer than 27 it is cut after the last blank
    // among characters 10 to 26, and the rest goes on in continuation lines. A reader
    // joins the pieces with a blank, so a text is cut at a blank only: without one there,
    // at the next blank, or not at all.
    while (text.size() > 27) {
        qsizetype cut = 0;
        for (qsizetype i = 26; i >= 10 && cut == 0; --i)
            if (text.at(i - 1) == u' ') cut = i;
        if (cut == 0) cut = text.indexOf(u' ', 26) + 1;
        if (cut == 0 || cut == text.size()) break;
        line += text.left(cut) + kCrLf + QStringLiteral("           - ");
        text = text.mid(cut);
    }
    return line + text + kCrLf;
}

// A heading centred on column 40 of an 80-character rule, so that the reader finds a
// heading (no dashes at the middle of the line) for every length up to 61; a longer one
// goes between the rule's start and five dashes, which also brings it back whole.
QString mmUeberschrift(const QString& heading)
{
    static const QString rule = QStringLiteral("MMMMM") + QString(75, u'-');
    const qsizetype n = heading.size();
    if (n > 61) return QStringLiteral("MMMMM-----") + heading + QStringLiteral("-----");
    const auto left = qsizetype(std::nearbyint(40.0 - double(n) / 2.0));
    const auto from = qsizetype(std::nearbyint(40.0 + double(n) / 2.0));
    return rule.left(left) + heading + rule.mid(from - 1);
}

// A reader joins the lines of a preparation with blanks and takes an empty line, or
// one indented by three blanks, for a break; a line that begins with "-----" or "MMMMM"
// ends the recipe or is read as a heading. So each stored break is written as an empty
// line before the next line (a break of its own when that line is empty), and a line
// beginning with a marker is indented instead. Blanks around a line are dropped, as a reader drops them.
QString mmZubereitung(const QString& ztext)
{
    const QStringList lines = ui::displayText(ztext).split(u'\n');
    QString out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        const bool marker = line.startsWith(QLatin1String("-----")) || line.startsWith(QLatin1String("MMMMM"));
        if (i > 0) out += kCrLf;
        if (marker) out += QStringLiteral("   ");
        else if (i > 0 && !line.isEmpty()) out += kCrLf;
        out += line;
    }
    return out;
}

QString mmBlock(const Rezept& r, const QString& stichworte, const QDate& today)
{
    QString b;
    b += QStringLiteral("MMMMM----- Meal-Master-Rezept-Format - exportiert aus Kelvor 2.0 am ") +
         today.toString(QStringLiteral("dd.MM.yyyy")) + kCrLf;
    b += QStringLiteral("     Title: ") + r.rname + kCrLf;
    b += QStringLiteral("Categories: ") + r.kname + kCrLf;
    b += QStringLiteral("  Servings: ") + QString::number(r.p) + QStringLiteral(" Portionen") + kCrLf + kCrLf;
    for (const Zeile& z : r.zeilen)
        b += z.heading ? mmUeberschrift(z.zname) + kCrLf : mmZutat(z, r);
    b += kCrLf + mmZubereitung(r.ztext) + kCrLf;
    b += QStringLiteral("Stichworte: ") + stichworte + kCrLf;
    b += QStringLiteral("MMMMM") + kCrLf + kCrLf;
    return b;
}

QString htmlBlock(const Rezept& r)
{
    QString b;
    b += QStringLiteral("<P><FONT SIZE=+1>") + r.rname.toHtmlEscaped() + QStringLiteral("</FONT></P>") + kCrLf;
    b += kCrLf + QStringLiteral("<P><FONT SIZE=-1>") + QString::number(r.p) + QStringLiteral(" Portionen</FONT></P>") +
         kCrLf;
    b += kCrLf + QStringLiteral("<PRE>");
    for (const Zeile& z : r.zeilen) {
        if (z.heading) {
            b += QStringLiteral("</PRE>") + kCrLf + QStringLiteral("<P>") + z.zname.toHtmlEscaped() +
                 QStringLiteral(" :</P>") + kCrLf + QStringLiteral("<PRE>");
        } else {
            const QString line = mengeText(z, r).rightJustified(7, u' ') + u' ' + z.ename.rightJustified(10, u' ') +
                                 u' ' + z.zname;
            b += line.toHtmlEscaped() + kCrLf;
        }
    }
    b += QStringLiteral("</PRE>") + kCrLf + QStringLiteral("<P>");
    b += crlf(r.ztext).toHtmlEscaped().replace(kCrLf, QStringLiteral("<BR>") + kCrLf);
    b += kCrLf + QStringLiteral("</P>") + kCrLf + kCrLf;
    return b;
}

void writeFile(const QString& fileName, const QByteArray& bytes)
{
    const QString shown = QDir::toNativeSeparators(fileName);
    // Written beside the old file and put in its place only when complete, so a failure
    // leaves the old file as it was. A file the user may not change is not replaced.
    if (QFileInfo::exists(fileName) && !paths::mayAccess(fileName, paths::Access::Write))
        throw ExportError(QStringLiteral("Die Datei '%1' ist schreibgeschützt und wurde nicht verändert.").arg(shown));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ExportError(QStringLiteral("Die Datei '%1' kann nicht geschrieben werden.").arg(shown));
}

}  // namespace

ExportError::ExportError(const QString& text)
    : std::runtime_error(text.toStdString()), m_text(text)
{
}

QString mmstring(db::Database& db, qint64 aid, bool toFile, const QString& fileName, const QDate& today)
{
    db::Statement stich(db, QStringLiteral("select s.stichwort from rezstich rs join stichworte s on s.sid = rs.sid "
                                           "where rs.rid = ? order by rs.rowid"));
    const auto text = blocks(db, aid, toFile, [&](const Rezept& r) {
        stich.reset();
        stich.bind(1, r.rid);
        QStringList words;
        while (stich.step()) words << stich.text(0);
        return mmBlock(r, words.join(QStringLiteral(", ")), today);
    });
    if (!text) return kLeereAuswahl;
    if (!toFile) return *text;
    writeFile(fileName, mealMasterBytes(*text));
    return {};
}

QString htmlstring(db::Database& db, qint64 aid, bool toFile, const QString& fileName, const QString& head,
                   const QString& foot)
{
    const auto text = blocks(db, aid, toFile, htmlBlock);
    if (!text) return kLeereAuswahl;
    if (!toFile) return *text;
    writeFile(fileName, htmlBytes(crlf(head) + kCrLf + *text + crlf(foot) + kCrLf));
    return {};
}

QByteArray mealMasterBytes(const QString& text)
{
    if (auto bytes = text::toWindows1252(text)) return *bytes;
    return text.toUtf8();
}

QByteArray htmlBytes(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 8);
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += "&#";
            out += QByteArray::number(uint(c));
            out += ';';
        }
    }
    return out;
}

}  // namespace kv
