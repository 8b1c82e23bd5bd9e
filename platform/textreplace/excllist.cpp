#include "platform/textreplace/excllist.h"

#include "platform/paths.h"
#include "platform/textreplace/cp1252.h"

#include <QDir>

namespace kv::text {

namespace {

const QString kGroup = QStringLiteral("/////");

QStringList linesOf(const QByteArray& file)
{
    QStringList lines = fromWindows1252(file).split(u'\n');
    for (QString& line : lines)
        if (line.endsWith(u'\r')) line.chop(1);
    // The text after the last line break is a line only when it holds anything.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

}  // namespace

QString pairOf(const QString& alt)
{
    return alt.startsWith(u'g') ? alt.mid(1) : alt;
}

std::vector<ExclWord> readExclList(const QByteArray& file)
{
    const QStringList lines = linesOf(file);
    std::vector<ExclWord> words;
    qsizetype i = lines.indexOf(kGroup);
    if (i < 0) return words;
    ++i;
    while (i < lines.size()) {
        const QString pair = lines.at(i++);
        if (i >= lines.size()) break;
        const QString umlaut = lines.at(i++);
        const bool capital = pair == u"Ae" || pair == u"Oe" || pair == u"Ue";
        const QString alt = capital ? u'g' + pair : pair;
        for (; i < lines.size() && lines.at(i) != kGroup; ++i) {
            const QString& line = lines.at(i);
            const qsizetype slash = line.indexOf(u'/');
            const QString word = slash < 0 ? line : line.left(slash) + pair + line.mid(slash + 1);
            words.push_back({alt, umlaut, word});
        }
        ++i;
    }
    return words;
}

QByteArray writeExclList(const std::vector<ExclWord>& words)
{
    QString text;
    const QString crlf = QStringLiteral("\r\n");
    for (std::size_t i = 0; i < words.size();) {
        const QString alt = words[i].alt;
        const QString pair = pairOf(alt);
        text += kGroup + crlf + pair + crlf + words[i].neu + crlf;
        for (; i < words.size() && words[i].alt == alt; ++i) {
            QString line = words[i].alttext;
            const qsizetype at = line.indexOf(pair);
            if (at >= 0) line.replace(at, pair.size(), QStringLiteral("/"));
            text += line + crlf;
        }
    }
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) bytes += toWindows1252(QString(c)).value_or(QByteArray("?"));
    return bytes;
}

QString exclListPath()
{
    const QDir folder(paths::programFolder());
    for (const QString& name : folder.entryList(QDir::Files))
        if (name.compare(QStringLiteral("ExclList.txt"), Qt::CaseInsensitive) == 0) return folder.filePath(name);
    return {};
}

}  // namespace kv::text
