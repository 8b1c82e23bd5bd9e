#include "platform/nntp/articletext.h"

#include "platform/textreplace/doscodepage.h"
#include "platform/textreplace/textfile.h"

#include <QStringDecoder>

#include <functional>
#include <optional>

namespace kv::nntp {

namespace {

bool isFolded(const QByteArray& line)
{
    return !line.isEmpty() && (line.front() == ' ' || line.front() == '\t');
}

QByteArray charsetParameter(const QByteArray& contentType)
{
    const QList<QByteArray> parts = contentType.split(';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray part = parts[i].trimmed();
        const qsizetype eq = part.indexOf('=');
        if (eq < 0 || part.left(eq).trimmed().toLower() != "charset") continue;
        QByteArray value = part.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.mid(1, value.size() - 2);
        return value.trimmed().toLower();
    }
    return {};
}

using LineDecoder = std::function<QString(const QByteArray&)>;

std::optional<LineDecoder> decoderFor(const QByteArray& charset)
{
    using text::Encoding;
    if (charset.isEmpty()) return std::nullopt;
    if (charset == "utf-8" || charset == "utf8")
        return [](const QByteArray& b) { return text::decode(b, Encoding::Utf8); };
    // ISO-8859-1 is read as Windows-1252, its superset: programs that name the one
    // commonly write the other's quotes and dashes.
    if (charset == "us-ascii" || charset == "ascii" || charset == "iso-8859-1" || charset == "iso8859-1" ||
        charset == "iso_8859-1" || charset == "latin1" || charset == "latin-1" || charset == "windows-1252" ||
        charset == "cp1252")
        return [](const QByteArray& b) { return text::decode(b, Encoding::Windows1252); };
    if (charset == "ibm850" || charset == "cp850")
        return [](const QByteArray& b) { return text::decode(b, Encoding::Cp850); };
    if (charset == "ibm437" || charset == "cp437")
        return [](const QByteArray& b) { return text::fromDos(b, text::DosCodePage::Cp437); };
    // Any other code page Qt knows (through ICU), or none.
    if (!QStringDecoder(charset.constData()).isValid()) return std::nullopt;
    return [charset](const QByteArray& b) {
        QStringDecoder decoder(charset.constData());
        return QString(decoder(b));
    };
}

}  // namespace

QByteArray articleCharset(const QList<QByteArray>& lines)
{
    for (qsizetype i = 0; i < lines.size() && !lines[i].isEmpty(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (isFolded(line) || colon < 0 || line.left(colon).trimmed().toLower() != "content-type") continue;
        QByteArray value = line.mid(colon + 1);
        for (qsizetype j = i + 1; j < lines.size() && isFolded(lines[j]); ++j) value += ' ' + lines[j].trimmed();
        return charsetParameter(value);
    }
    return {};
}

QStringList decodeArticle(const QList<QByteArray>& lines)
{
    std::optional<LineDecoder> decode = decoderFor(articleCharset(lines));
    if (!decode) {
        text::EncodingDetector detector;
        for (const QByteArray& line : lines) {
            detector.feed(line);
            detector.feed("\n", 1);
        }
        const text::Encoding encoding = detector.result();
        decode = [encoding](const QByteArray& b) { return text::decode(b, encoding); };
    }
    QStringList text;
    text.reserve(lines.size());
    for (const QByteArray& line : lines) text << (*decode)(line);
    return text;
}

}  // namespace kv::nntp
