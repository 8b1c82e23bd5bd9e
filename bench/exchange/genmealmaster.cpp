#include "bench/exchange/genmealmaster.h"

#include "platform/textreplace/cp1252.h"
#include "platform/textreplace/doscodepage.h"
#include "platform/textreplace/textfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <algorithm>
#include <optional>
#include <random>
#include <stdexcept>

namespace kv::bench {

namespace {

struct Template {
    QStringList before;   // header and everything up to the title
    QString title;
    QStringList after;    // from the categories to the line before the end marker
    QString end;
};

bool headerLine(const QString& line)
{
    return line.contains(QLatin1String("-----")) && line.contains(QLatin1String("MEAL-MASTER"), Qt::CaseInsensitive);
}

bool endLine(const QString& line)
{
    const QString t = line.trimmed();
    if (t == u"MMMMM") return true;
    if (t.size() < 5) return false;
    for (const QChar c : t)
        if (c != u'-') return false;
    return true;
}

bool operator==(const Template& a, const Template& b)
{
    return a.before == b.before && a.title == b.title && a.after == b.after && a.end == b.end;
}

// A file's lines in the code page the import finds for it; its line ends and a byte
// order mark are left behind.
QStringList linesOf(const QString& path)
{
    QFile file(path);
    text::Encoding encoding = text::Encoding::Utf8;
    if (!file.open(QIODevice::ReadOnly) || !text::detectEncoding(file, encoding))
        throw std::runtime_error("cannot read " + path.toStdString());
    text::LineReader reader(file, encoding, 64 * 1024);
    QStringList lines;
    text::TextLine line;
    while (reader.next(line)) lines << line.text;
    if (reader.failed()) throw std::runtime_error("cannot read " + path.toStdString());
    return lines;
}

// The whole recipes of the folder's files, each from its header to its end marker; a
// recipe written in several code pages or with several line ends counts once.
std::vector<Template> templatesOf(const QString& folder)
{
    std::vector<Template> templates;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    QStringList paths;
    while (it.hasNext()) paths << it.next();
    paths.sort();
    for (const QString& path : paths) {
        std::optional<Template> current;
        for (const QString& line : linesOf(path)) {
            if (headerLine(line)) {
                current = Template();
                current->before << line;
                continue;
            }
            if (!current) continue;
            if (current->title.isNull()) {
                const qsizetype at = line.indexOf(QLatin1String("Title:"), 0, Qt::CaseInsensitive);
                if (at < 0) current->before << line;
                else current->title = line.mid(at + 6).trimmed();
                continue;
            }
            if (endLine(line)) {
                current->end = line;
                if (std::find(templates.begin(), templates.end(), *current) == templates.end())
                    templates.push_back(*current);
                current.reset();
                continue;
            }
            current->after << line;
        }
    }
    if (templates.empty()) throw std::runtime_error("no recipes in " + folder.toStdString());
    return templates;
}

// German lines: real umlauts for the code pages, two-letter ones for the replacement.
const QString kGermanIngredient = QString::fromUtf8("      1 ts Kümmel, gemahlen");
const QString kGermanText = QString::fromUtf8("  Dazu Klöße, Käse und Gemüsebrühe reichen; mit Kaese ueberbacken.");

QByteArray encoded(const QString& text, int encoding)
{
    std::optional<QByteArray> bytes = text.toUtf8();
    if (encoding == 1) bytes = text::toWindows1252(text);
    if (encoding == 2) bytes = text::toDos(text, text::DosCodePage::Cp850);
    if (!bytes) throw std::runtime_error("a character the code page lacks");
    return *bytes;
}

}  // namespace

QString mealMasterTemplates()
{
    return QStringLiteral(KELVOR_MEALMASTER_TEMPLATES);
}

GeneratedFiles generateMealMaster(const QString& folder, qint64 recipes, qint64 perFile, unsigned seed,
                                  const QString& templateFolder)
{
    const std::vector<Template> templates = templatesOf(templateFolder);
    std::mt19937 random(seed);
    GeneratedFiles made;
    QString text;
    qint64 inFile = 0;
    const auto flush = [&] {
        if (inFile == 0) return;
        const qint64 n = made.files++;
        const int encoding = int(n % 3);
        const char* ends[] = {"\r\n", "\n", "\r"};
        const QString path = QStringLiteral("%1/teil%2/gruppe%3/rezepte%4.mmf")
                                 .arg(folder)
                                 .arg(n % 4)
                                 .arg(n % 7)
                                 .arg(n, 5, 10, QLatin1Char('0'));
        QDir().mkpath(path.left(path.lastIndexOf(u'/')));
        QFile file(path);
        const QByteArray bytes = encoded(QString(text).replace(u'\n', QLatin1String(ends[(n / 3) % 3])), encoding);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write " + path.toStdString());
        text.clear();
        inFile = 0;
    };
    for (qint64 i = 0; i < recipes; ++i) {
        const Template& t = templates[random() % templates.size()];
        const bool broken = random() % 250 == 0;
        // The last recipe of every tenth file is cut off by the file's end.
        const bool cutAtEnd = inFile == perFile - 1 && made.files % 10 == 9;
        text += t.before.join(u'\n') + QStringLiteral("\n      Title: %1 %2\n").arg(t.title).arg(i + 1);
        if (broken) {
            // Only its categories: the next header comes before its servings.
            text += t.after.value(0) + u'\n';
            ++made.broken;
        } else if (cutAtEnd) {
            text += QStringLiteral(" Categories: Test\n   Servings: 2\n\n") + kGermanIngredient + u'\n';
            ++made.broken;
        } else {
            // The German ingredient after the last ingredient line, the German text last.
            QStringList after = t.after;
            qsizetype lastIngredient = -1;
            for (qsizetype k = 0; k < after.size(); ++k)
                if (after[k].size() > 7 && after[k].at(6).isDigit() && after[k].at(7) == u' ') lastIngredient = k;
            if (lastIngredient >= 0) after.insert(lastIngredient + 1, kGermanIngredient);
            after << kGermanText << QString() << t.end;
            text += after.join(u'\n') + u'\n';
        }
        ++made.recipes;
        if (++inFile == perFile) flush();
    }
    flush();
    return made;
}

}  // namespace kv::bench
