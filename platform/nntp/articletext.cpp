#include "platform/nntp/articletext.h"

#include "platform/textreplace/doscodepage.h"
#include "platform/textreplace/textfile.h"

#include <QStringDecoder>

#include <algorithm>
#include <functional>
#include <optional>

namespace kv::nntp {

namespace {

bool isFolded(const QByteArray& line)
{
    return !line.isEmpty() && (line.front() == ' ' || line.front() == '\t');
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The index of the empty line that ends the header; the article's size when none does.
qsizetype headerEnd(const QList<QByteArray>& lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].isEmpty()) return i;
    return lines.size();
}

// The value of the header field `name` (lower case), its folded lines joined; empty when
// the header has none.
QByteArray headerField(const QList<QByteArray>& lines, const QByteArray& name)
{
    const qsizetype end = headerEnd(lines);
    for (qsizetype i = 0; i < end; ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (isFolded(line) || colon < 0 || line.left(colon).trimmed().toLower() != name) continue;
        QByteArray value = line.mid(colon + 1);
        for (qsizetype j = i + 1; j < end && isFolded(lines[j]); ++j) value += ' ' + lines[j].trimmed();
        return value;
    }
    return {};
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

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    // Lower case is not what the standard writes, but some programs do.
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "=XX" escapes undone; an '=' not followed by two hex digits stays as written.
QByteArray unescape(const QByteArray& text, bool underscoreIsSpace)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '=' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else if (c == '_' && underscoreIsSpace) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

// CR LF, LF and a lone CR each end a line, as the import reads the file.
void appendLines(QList<QByteArray>& out, const QByteArray& bytes)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        out << bytes.mid(start, i - start);
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    out << bytes.mid(start);
}

QList<QByteArray> fromQuotedPrintable(const QList<QByteArray>& body)
{
    QList<QByteArray> out;
    QByteArray joined;
    bool open = false;   // a soft line break waits for the line it continues
    for (QByteArray line : body) {
        // Blanks at a line's end were added on the way; a blank meant is written "=20".
        while (!line.isEmpty() && (line.back() == ' ' || line.back() == '\t')) line.chop(1);
        open = line.endsWith('=');
        if (open) line.chop(1);
        joined += unescape(line, false);
        if (open) continue;
        appendLines(out, joined);
        joined.clear();
    }
    if (open) appendLines(out, joined);
    return out;
}

bool isBase64Text(const QByteArray& text)
{
    for (const char c : text)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' ||
              c == '='))
            return false;
    return true;
}

// The run of base64 lines decoded; the lines before it and what follows it (a signature
// a server added, text that was never encoded) as written.
QList<QByteArray> fromBase64(const QList<QByteArray>& body)
{
    qsizetype i = 0;
    while (i < body.size() && body[i].trimmed().isEmpty()) ++i;
    QList<QByteArray> out = body.mid(0, i);
    QByteArray data;
    for (; i < body.size(); ++i) {
        const QByteArray text = body[i].trimmed();
        if (text.isEmpty() || !isBase64Text(text)) break;
        data += text;
        if (text.endsWith('=')) {
            ++i;
            break;
        }
    }
    // Not strict: a body cut short still gives what it holds.
    if (!data.isEmpty()) appendLines(out, QByteArray::fromBase64(data));
    out += body.mid(i);
    return out;
}

// One piece of a header field: bytes as written, or the bytes an encoded word stands for.
struct Piece {
    QByteArray bytes;
    QByteArray charset;   // empty for bytes as written
};

// The end of the token from `from` up to its closing `stop`: the index of `stop`, or -1
// when a blank or a '?' comes first. Encoded words hold neither, so no search runs on
// into the rest of the header.
qsizetype tokenEnd(const QByteArray& text, qsizetype from, char stop)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == stop) return i;
        if (text[i] == '?' || isBlank(text[i])) return -1;
    }
    return -1;
}

// The encoded word at `at` ("=?charset?Q?text?="), its end in `end`; nothing when there
// is none or it cannot be read.
std::optional<Piece> encodedWord(const QByteArray& text, qsizetype at, qsizetype& end)
{
    if (at + 1 >= text.size() || text[at] != '=' || text[at + 1] != '?') return std::nullopt;
    const qsizetype q1 = tokenEnd(text, at + 2, '?');
    if (q1 < 0 || q1 + 2 >= text.size() || text[q1 + 2] != '?') return std::nullopt;
    const qsizetype close = tokenEnd(text, q1 + 3, '?');
    if (close < 0 || close + 1 >= text.size() || text[close + 1] != '=') return std::nullopt;
    QByteArray charset = text.mid(at + 2, q1 - at - 2);
    const QByteArray payload = text.mid(q1 + 3, close - q1 - 3);
    // The language that may follow the charset ("utf-8*de") says nothing about the bytes.
    if (const qsizetype star = charset.indexOf('*'); star >= 0) charset.truncate(star);
    charset = charset.toLower();
    if (charset.isEmpty() || !decoderFor(charset)) return std::nullopt;
    Piece piece{{}, charset};
    const char encoding = text[q1 + 1];
    if (encoding == 'Q' || encoding == 'q') {
        piece.bytes = unescape(payload, true);
    } else if (encoding == 'B' || encoding == 'b') {
        if (payload.size() % 4 != 0 || !isBase64Text(payload)) return std::nullopt;
        auto decoded = QByteArray::fromBase64Encoding(payload, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) return std::nullopt;
        piece.bytes = *decoded;
    } else {
        return std::nullopt;
    }
    end = close + 2;
    return piece;
}

// A header field's lines, its encoded words decoded. Blanks between two encoded words
// go, a line break among them too, so a word cut over two words (or two lines) is whole
// again; bytes as written are decoded by the article's charset.
QList<QString> decodeField(const QList<QByteArray>& fieldLines, const LineDecoder& decode)
{
    const QByteArray text = fieldLines.join('\n');
    std::vector<Piece> pieces;
    QByteArray plain;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype end = i;
        std::optional<Piece> word = text[i] == '=' ? encodedWord(text, i, end) : std::nullopt;
        if (!word) {
            plain += text[i++];
            continue;
        }
        const bool follows = !pieces.empty() && !pieces.back().charset.isEmpty();
        const bool onlyBlanks = std::all_of(plain.begin(), plain.end(), isBlank);
        if (!(follows && onlyBlanks) && !plain.isEmpty()) pieces.push_back({plain, {}});
        plain.clear();
        // Of one charset, the bytes are joined before decoding: a character may be split
        // between two words.
        if (follows && pieces.back().charset == word->charset) pieces.back().bytes += word->bytes;
        else pieces.push_back(*word);
        i = end;
    }
    if (!plain.isEmpty()) pieces.push_back({plain, {}});

    QString decoded;
    for (const Piece& piece : pieces) {
        if (piece.charset.isEmpty()) {
            const QList<QByteArray> parts = piece.bytes.split('\n');
            for (qsizetype i = 0; i < parts.size(); ++i) {
                if (i > 0) decoded += u'\n';
                decoded += decode(parts[i]);
            }
            continue;
        }
        QString word = (*decoderFor(piece.charset))(piece.bytes);
        // A line break inside a word would cut the header in two.
        for (QChar& c : word)
            if (c == u'\r' || c == u'\n') c = u' ';
        decoded += word;
    }
    return decoded.split(u'\n');
}

}  // namespace

QByteArray articleCharset(const QList<QByteArray>& lines)
{
    return charsetParameter(headerField(lines, "content-type"));
}

QStringList decodeArticle(const QList<QByteArray>& lines)
{
    const qsizetype end = headerEnd(lines);
    const QList<QByteArray> header = lines.mid(0, end);
    QList<QByteArray> body = lines.mid(end + 1);
    const QByteArray transfer = headerField(lines, "content-transfer-encoding").trimmed().toLower();
    const QByteArray contentType = headerField(lines, "content-type");
    const QByteArray mediaType = contentType.split(';').first().trimmed().toLower();
    if (transfer == "quoted-printable") body = fromQuotedPrintable(body);
    // Anything but text would give bytes no reader can use.
    else if (transfer == "base64" && (mediaType.isEmpty() || mediaType.startsWith("text/"))) body = fromBase64(body);

    std::optional<LineDecoder> decode = decoderFor(charsetParameter(contentType));
    if (!decode) {
        text::EncodingDetector detector;
        for (const QByteArray& line : header + body) {
            detector.feed(line);
            detector.feed("\n", 1);
        }
        // Line by line, as a file: a UTF-8 line stays UTF-8 among lines of a code page.
        const text::Encoding encoding = detector.result();
        decode = [encoding](const QByteArray& b) { return text::decodeLine(b.constData(), b.size(), encoding); };
    }

    QStringList text;
    text.reserve(lines.size());
    for (qsizetype i = 0; i < header.size();) {
        qsizetype next = i + 1;
        while (next < header.size() && isFolded(header[next])) ++next;
        text << decodeField(header.mid(i, next - i), *decode);
        i = next;
    }
    if (end < lines.size()) text << QString();
    for (const QByteArray& line : body) text << (*decode)(line);
    return text;
}

}  // namespace kv::nntp
