#include "platform/textreplace/textfile.h"

#include "platform/textreplace/cp1252.h"
#include "platform/textreplace/doscodepage.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace kv::text {

namespace {

constexpr qint64 kChunk = 64 * 1024;

// ä, ö, ü, Ä, Ö, Ü and ß of the DOS code pages.
bool dosUmlaut(unsigned char b)
{
    return b == 0x81 || b == 0x84 || b == 0x8E || b == 0x94 || b == 0x99 || b == 0x9A || b == 0xE1;
}

// Lines, corners and blocks of code page 850 (437 has them on the same bytes). Alone
// each is also a letter or sign of Windows-1252 (C4 is Ä there), so only two side by side
// count: a drawn line or frame.
bool dosBox(unsigned char b)
{
    switch (b) {
    case 0xB0: case 0xB1: case 0xB2: case 0xB3: case 0xB4: case 0xB9: case 0xBA: case 0xBB:
    case 0xBC: case 0xBF: case 0xC0: case 0xC1: case 0xC2: case 0xC3: case 0xC4: case 0xC5:
    case 0xC8: case 0xC9: case 0xCA: case 0xCB: case 0xCC: case 0xCD: case 0xCE: case 0xD9:
    case 0xDA: case 0xDB: case 0xDC: case 0xDF:
        return true;
    default:
        return false;
    }
}

// Bytes Windows-1252 leaves undefined: no Windows file holds them, DOS has letters there.
bool windowsUndefined(unsigned char b)
{
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

// What only Windows writes: its punctuation and signs between 80 and 9F hex (the DOS
// umlauts and the bytes Windows leaves free are not among them), and its ä, ö and ü,
// which are õ, ÷ and ³ in DOS.
bool windowsOnly(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F) return !dosUmlaut(b) && !windowsUndefined(b);
    return b == 0xE4 || b == 0xF6 || b == 0xFC;
}

// é, â, à, ç, ê, ë, è, ï, î, ô and û of the DOS code pages. In Windows-1252 they are signs
// (‚ ƒ … ‡ ˆ ‰ ‹ “ –) and capitals (Š Œ), which hardly stand between two letters. ù (97 hex)
// is not among them: it is the dash of "word—word".
bool dosAccent(unsigned char b)
{
    switch (b) {
    case 0x82: case 0x83: case 0x85: case 0x87: case 0x88: case 0x89: case 0x8A: case 0x8B: case 0x8C:
    case 0x93: case 0x96:
        return true;
    default:
        return false;
    }
}

// é (82 hex) ends French words (café, Rosé, Pâté); the Windows sign there, "‚", hardly
// follows a letter. The other accents at a word's end are Windows signs after words ("usw…").
constexpr unsigned char kDosEAcute = 0x82;

// What an accent after a letter shows, once the byte after it is known: a letter follows,
// or (for é alone) a blank, a sign or the line's end.
bool accentShowsDos(unsigned char accent, bool letterFollows)
{
    return letterFollows || accent == kDosEAcute;
}

bool asciiLetter(unsigned char b)
{
    return unsigned(b | 0x20) - 'a' < 26u;
}

bool asciiDigit(unsigned char b)
{
    return unsigned(b) - '0' < 10u;
}

// Signs that end a sentence or a part of it, after which a quote closes ("„Fertig!”").
bool endsClause(unsigned char b)
{
    constexpr quint64 kSigns = (1ULL << '!') | (1ULL << '.') | (1ULL << '?') | (1ULL << ',') | (1ULL << ';') |
                               (1ULL << ':');
    return b < 64 && ((kSigns >> b) & 1) != 0;
}

// Ä, Ö and Ü of Windows-1252: a quote opens before them as before an ASCII letter.
bool windowsCapitalUmlaut(unsigned char b)
{
    return b == 0xC4 || b == 0xD6 || b == 0xDC;
}

// Blank to tilde (and DEL): the bytes every encoding here reads alike, and the only ones
// a line of plain text holds.
bool printableAscii(char c)
{
    return unsigned(static_cast<unsigned char>(c)) - 0x20u < 0x60u;
}

// A byte of 01 hex in each place of a word of eight, and its top bit in each place.
constexpr quint64 kOnes = 0x0101010101010101ULL;
constexpr quint64 kHigh = 0x8080808080808080ULL;

// The first byte from `i` on that is no printable ASCII, or `size`. Eight bytes are
// tested at a time: nearly every byte of a file is one to pass over.
qsizetype endOfPrintable(const char* data, qsizetype i, qsizetype size)
{
    while (i + 8 <= size) {
        quint64 w;
        std::memcpy(&w, data + i, 8);
        // A byte of 80 hex or above, or below 20 hex.
        if (((w & kHigh) | ((w - kOnes * 0x20) & ~w & kHigh)) != 0) break;
        i += 8;
    }
    while (i < size && printableAscii(data[i])) ++i;
    return i;
}

bool endsLine(char c)
{
    return c == '\n' || c == '\r' || c == '\x1A';
}

// Where the line that goes on at i ends: the first LF, CR or Ctrl-Z, eight bytes at a time.
qsizetype endOfLine(const char* data, qsizetype i, qsizetype size)
{
    const auto anyZero = [](quint64 v) { return (v - kOnes) & ~v & kHigh; };
    while (i + 8 <= size) {
        quint64 w;
        std::memcpy(&w, data + i, 8);
        if ((anyZero(w ^ (kOnes * '\n')) | anyZero(w ^ (kOnes * '\r')) | anyZero(w ^ (kOnes * 0x1A))) != 0) break;
        i += 8;
    }
    while (i < size && !endsLine(data[i])) ++i;
    return i;
}

}  // namespace

void Utf8Scan::feed(unsigned char b)
{
    if (pending > 0) {
        if (b < low || b > high) {
            valid = false;
            return;
        }
        low = 0x80;
        high = 0xBF;
        --pending;
        return;
    }
    if (b < 0x80) return;
    multibyte = true;
    // Overlong forms, surrogates and code points above U+10FFFF are no valid UTF-8.
    if (b >= 0xC2 && b <= 0xDF) {
        pending = 1;
    } else if (b == 0xE0) {
        pending = 2;
        low = 0xA0;
    } else if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) {
        pending = 2;
    } else if (b == 0xED) {
        pending = 2;
        high = 0x9F;
    } else if (b == 0xF0) {
        pending = 3;
        low = 0x90;
    } else if (b >= 0xF1 && b <= 0xF3) {
        pending = 3;
    } else if (b == 0xF4) {
        pending = 3;
        high = 0x8F;
    } else {
        valid = false;
    }
}

void EncodingDetector::feed(const char* data, qsizetype size)
{
    qsizetype i = 0;
    for (; i < size && m_seen < 3; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        m_head[m_seen++] = b;
        if (m_seen == 3 && m_head[0] == 0xEF && m_head[1] == 0xBB && m_head[2] == 0xBF) {
            // The mark is no part of the first line (which has seen nothing else yet).
            m_bom = true;
            m_line = Line();
            continue;
        }
        take(b);
    }
    while (i < size) {
        if (!printableAscii(data[i])) {
            const auto b = static_cast<unsigned char>(data[i++]);
            // Most lines are ASCII, with no quote open: their end needs no more than this.
            if ((b == '\r' || b == '\n') && m_line.counts.nonAscii == 0 && m_openQuotes == 0) forgetLineEnd();
            else take(b);
            continue;
        }
        // Most text is plain ASCII: a run of it counts only at its ends.
        const qsizetype start = i;
        i = endOfPrintable(data, i + 1, size);
        takeAscii(data + start, i - start);
    }
}

void EncodingDetector::takeAscii(const char* run, qsizetype size)
{
    const auto first = static_cast<unsigned char>(run[0]);
    const auto last = static_cast<unsigned char>(run[size - 1]);
    Line& line = m_line;
    if (line.accentAfterLetter != 0) {
        ++(accentShowsDos(line.accentAfterLetter, asciiLetter(first)) ? line.counts.dos : line.counts.windows);
        line.accentAfterLetter = 0;
    }
    if (line.quoteOpenLast && asciiLetter(first)) ++line.quoteOpens;
    if (line.quoteCloseLast && !asciiLetter(first) && !asciiDigit(first)) line.quoteCloses = true;
    line.quoteOpenLast = line.quoteCloseLast = false;
    if (line.utf8.pending > 0) line.utf8.valid = false;
    // Whether a paragraph ends here matters only while a quote is open.
    if (m_openQuotes > 0) {
        line.any = true;
        if (!line.text) line.text = std::any_of(run, run + size, [](char c) { return c != ' '; });
    }
    const bool letterBefore = line.previousLetter;
    line.previousBox = false;
    line.previousLetter = asciiLetter(last);
    line.previousClosable =
        line.previousLetter ||
        (endsClause(last) && (size > 1 ? asciiLetter(static_cast<unsigned char>(run[size - 2])) : letterBefore));
    line.previousWordStart = !asciiLetter(last) && !asciiDigit(last);
}

void EncodingDetector::take(unsigned char b)
{
    if (b < 0x20) {
        if (b == '\n' || b == '\r' || b == 0x1A) {
            endLine(b);
            return;
        }
        if (b != '\t') return;  // dropped by the reader
        takeAscii(" ", 1);
        return;
    }
    if (b < 0x80) {
        const char c = static_cast<char>(b);
        takeAscii(&c, 1);
        return;
    }
    Line& line = m_line;
    line.any = line.text = true;
    if (line.accentAfterLetter != 0) {
        line.accentAfterLetter = 0;
        ++line.counts.windows;
    }
    // A byte of the upper half closes no quote: "ö" before "ß" is a DOS word ("Größe").
    // Before Windows' Ä, Ö or Ü one opens.
    if (line.quoteOpenLast && windowsCapitalUmlaut(b)) ++line.quoteOpens;
    line.quoteOpenLast = b == 0x84 && line.previousWordStart;
    line.quoteCloseLast = (b == 0x93 || b == 0x94) && line.previousClosable;
    if (line.utf8.valid) line.utf8.feed(b);
    Counts& counts = line.counts;
    ++counts.nonAscii;
    if (windowsUndefined(b)) ++counts.undefined;
    if (dosUmlaut(b)) ++counts.dos;
    const bool box = dosBox(b);
    if (box && line.previousBox) ++counts.dos;
    // Whether an accent stands inside a word shows only at the next byte.
    if (dosAccent(b) && line.previousLetter) line.accentAfterLetter = b;
    else if (windowsOnly(b)) ++counts.windows;
    line.previousBox = box;
    line.previousLetter = false;
    line.previousClosable = false;
    line.previousWordStart = false;
}

void EncodingDetector::endLine(unsigned char end)
{
    if (m_line.counts.nonAscii == 0) {
        if (m_openQuotes > 0) {
            // An empty or blank line ends a paragraph, and with it the quotes left open
            // there; the LF of a CR LF ends no line of its own.
            const bool secondHalf = end == '\n' && m_lastEnd == '\r' && !m_line.any;
            if (!secondHalf && !m_line.text) m_openQuotes = 0;
            m_lastEnd = end;
        }
        forgetLineEnd();
        return;
    }
    m_total = totals(&m_codePageLines, &m_utf8Lines);
    m_openQuotes = m_line.closesQuote() ? 0 : m_openQuotes + m_line.quoteOpens;
    m_lastEnd = end;
    m_line = Line();
}

EncodingDetector::Counts EncodingDetector::totals(qint64* codePageLines, qint64* utf8Lines) const
{
    *codePageLines = m_codePageLines;
    *utf8Lines = m_utf8Lines;
    Counts total = m_total;
    const Counts& line = m_line.counts;
    if (line.nonAscii == 0) return total;
    if (m_line.utf8.multibyteUtf8()) {
        ++*utf8Lines;
        return total;
    }
    ++*codePageLines;
    // An accent at the line's end stood after a word, not inside it.
    const unsigned char accent = m_line.accentAfterLetter;
    const bool endDos = accent != 0 && accentShowsDos(accent, false);
    // Opening quotes were counted as ä; where the line closes one, they are quotes, and
    // so are those its paragraph left open on the lines before.
    const qint64 quotes = m_line.closesQuote() ? m_line.quoteOpens + m_openQuotes : 0;
    total.dos += line.dos + (endDos ? 1 : 0) - quotes;
    total.windows += line.windows + (accent != 0 && !endDos ? 1 : 0) + quotes;
    total.undefined += line.undefined;
    total.nonAscii += line.nonAscii;
    return total;
}

Encoding EncodingDetector::codePage() const
{
    qint64 codePageLines = 0;
    qint64 utf8Lines = 0;
    const Counts total = totals(&codePageLines, &utf8Lines);
    if (total.undefined > 0) return Encoding::Cp850;
    if (total.dos > 0 && total.dos > 2 * total.windows) return Encoding::Cp850;
    return Encoding::Windows1252;
}

Encoding EncodingDetector::result() const
{
    qint64 codePageLines = 0;
    qint64 utf8Lines = 0;
    totals(&codePageLines, &utf8Lines);
    if (codePageLines == 0 && (utf8Lines > 0 || m_bom)) return Encoding::Utf8;
    return codePage();
}

Encoding detectEncoding(const QByteArray& bytes)
{
    EncodingDetector detector;
    detector.feed(bytes);
    return detector.result();
}

bool detectEncoding(QIODevice& device, Encoding& encoding)
{
    const qint64 start = device.pos();
    EncodingDetector detector;
    QByteArray chunk(kChunk, Qt::Uninitialized);
    for (;;) {
        const qint64 n = device.read(chunk.data(), kChunk);
        if (n < 0) return false;
        if (n == 0) break;
        detector.feed(chunk.constData(), n);
    }
    if (!device.seek(start)) return false;
    encoding = detector.result();
    return true;
}

QString decode(const char* data, qsizetype size, Encoding encoding)
{
    if (encoding == Encoding::Utf8) return QString::fromUtf8(data, size);
    if (encoding == Encoding::Cp850) {
        QString text(size, Qt::Uninitialized);
        QChar* out = text.data();
        for (qsizetype i = 0; i < size; ++i)
            out[i] = QChar(dosChar(static_cast<unsigned char>(data[i]), DosCodePage::Cp850));
        return text;
    }
    return fromWindows1252(QByteArray::fromRawData(data, size));
}

QString decode(const QByteArray& bytes, Encoding encoding)
{
    return decode(bytes.constData(), bytes.size(), encoding);
}

namespace {

// A line cut short may end inside a UTF-8 sequence: what stands before it still decides,
// and the broken end is left out.
QString decodeLine(const char* data, qsizetype size, Encoding encoding, bool cut)
{
    if (encoding == Encoding::Utf8) return QString::fromUtf8(data, size);
    Utf8Scan scan;
    qsizetype sequenceStart = 0;
    for (qsizetype i = 0; i < size && scan.valid; ++i) {
        if (scan.pending == 0) sequenceStart = i;
        scan.feed(static_cast<unsigned char>(data[i]));
    }
    if (scan.multibyteUtf8()) return QString::fromUtf8(data, size);
    if (cut && scan.valid && scan.multibyte) return QString::fromUtf8(data, sequenceStart);
    return decode(data, size, encoding);
}

}  // namespace

QString decodeLine(const char* data, qsizetype size, Encoding encoding)
{
    return decodeLine(data, size, encoding, false);
}

LineReader::LineReader(QIODevice& device, Encoding encoding, qsizetype maxBytes)
    : m_device(device), m_encoding(encoding), m_maxBytes(maxBytes)
{
}

bool LineReader::fill()
{
    if (m_eof) return false;
    m_buffer.resize(kChunk);
    const qint64 n = m_device.read(m_buffer.data(), kChunk);
    if (n <= 0) {
        m_buffer.clear();
        m_pos = 0;
        m_eof = true;
        if (n < 0) {
            m_failed = true;
            m_error = m_device.errorString();
        }
        return false;
    }
    m_buffer.resize(n);
    m_pos = 0;
    if (!m_started) {
        m_started = true;
        if (m_buffer.startsWith("\xEF\xBB\xBF")) m_pos = 3;
    }
    return true;
}

LineReader::Pending LineReader::pendingAfter(char lineEnd)
{
    if (lineEnd == '\r') return Pending::Lf;
    if (lineEnd == '\n') return Pending::Nothing;
    return Pending::LineEnd;  // Ctrl-Z
}

// True when the next byte belonged to the last line's end and was passed over.
bool LineReader::skipRestOfLineEnd()
{
    const char c = m_buffer.at(m_pos);
    const Pending pending = m_pending;
    m_pending = Pending::Nothing;
    if (c == '\n') {
        ++m_pos;
        return true;
    }
    if (c == '\r' && pending == Pending::LineEnd) {
        ++m_pos;
        m_pending = Pending::Lf;
        return true;
    }
    return false;
}

void LineReader::take(TextLine& line, const char* data, qsizetype size, bool plain, bool cut)
{
    line.number = ++m_number;
    line.cut = cut;
    line.articleEnd = false;
    if (plain) {
        // The last line's buffer is written over where nothing else shares it: a file's
        // lines then cost no allocation each.
        if (line.text.isDetached() && line.text.capacity() >= size) {
            line.text.resize(size);
            char16_t* out = reinterpret_cast<char16_t*>(line.text.data());
            for (qsizetype i = 0; i < size; ++i) out[i] = static_cast<unsigned char>(data[i]);
        } else {
            line.text = QString::fromLatin1(data, size);
        }
        return;
    }
    if (size == 1 && data[0] == kArticleEnd && !cut) {
        line.text.clear();
        line.articleEnd = true;
        return;
    }
    const char* end = data + size;
    const char* control = std::find_if(data, end, [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (control != end) {
        m_kept.resize(0);
        m_kept.append(data, control - data);
        for (; control != end; ++control) {
            if (static_cast<unsigned char>(*control) >= 0x20) m_kept += *control;
            else if (*control == '\t') m_kept += ' ';
        }
        data = m_kept.constData();
        size = m_kept.size();
    }
    line.text = decodeLine(data, size, m_encoding, cut);
}

bool LineReader::next(TextLine& line)
{
    m_spanning.resize(0);
    bool cut = false;
    bool any = false;
    bool plain = true;
    for (;;) {
        if (m_pos >= m_buffer.size() && !fill()) {
            if (!any) return false;
            break;
        }
        if (m_pending != Pending::Nothing && skipRestOfLineEnd()) continue;
        const char* data = m_buffer.constData();
        const qsizetype size = m_buffer.size();
        qsizetype end = m_pos;
        // Most lines are plain ASCII: one test a byte finds their end.
        end = endOfPrintable(data, end, size);
        if (end < size && !endsLine(data[end])) {
            plain = false;
            end = endOfLine(data, end, size);
        }
        if (!any && end < size) {
            // The whole line lies in the buffer: decoded from there, without a copy.
            take(line, data + m_pos, std::min(end - m_pos, m_maxBytes), plain, end - m_pos > m_maxBytes);
            m_pending = pendingAfter(data[end]);
            m_pos = end + 1;
            return true;
        }
        const qsizetype room = m_maxBytes - m_spanning.size();
        const qsizetype length = std::min(end - m_pos, room);
        if (length > 0) m_spanning.append(data + m_pos, length);
        if (end - m_pos > room) cut = true;
        any = true;
        if (end < size) {
            m_pending = pendingAfter(data[end]);
            m_pos = end + 1;
            break;
        }
        m_pos = end;
    }
    take(line, m_spanning.constData(), m_spanning.size(), plain, cut);
    return true;
}

}  // namespace kv::text
