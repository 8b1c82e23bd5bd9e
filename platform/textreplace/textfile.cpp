#include "platform/textreplace/textfile.h"

#include "platform/textreplace/cp1252.h"
#include "platform/textreplace/doscodepage.h"

#include <QIODevice>

#include <algorithm>

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

// What only Windows writes: its punctuation and signs between 80 and 9F hex (the DOS
// umlauts and the bytes Windows leaves free are not among them), and its ä, ö and ü,
// which are õ, ÷ and ³ in DOS.
bool windowsOnly(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F)
        return !dosUmlaut(b) && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D;
    return b == 0xE4 || b == 0xF6 || b == 0xFC;
}

}  // namespace

void EncodingDetector::checkUtf8(unsigned char b)
{
    if (m_utf8Pending > 0) {
        if (b < m_utf8Low || b > m_utf8High) {
            m_utf8Valid = false;
            return;
        }
        m_utf8Low = 0x80;
        m_utf8High = 0xBF;
        --m_utf8Pending;
        return;
    }
    if (b < 0x80) return;
    // Overlong forms, surrogates and code points above U+10FFFF are no valid UTF-8.
    if (b >= 0xC2 && b <= 0xDF) {
        m_utf8Pending = 1;
    } else if (b == 0xE0) {
        m_utf8Pending = 2;
        m_utf8Low = 0xA0;
    } else if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) {
        m_utf8Pending = 2;
    } else if (b == 0xED) {
        m_utf8Pending = 2;
        m_utf8High = 0x9F;
    } else if (b == 0xF0) {
        m_utf8Pending = 3;
        m_utf8Low = 0x90;
    } else if (b >= 0xF1 && b <= 0xF3) {
        m_utf8Pending = 3;
    } else if (b == 0xF4) {
        m_utf8Pending = 3;
        m_utf8High = 0x8F;
    } else {
        m_utf8Valid = false;
    }
}

void EncodingDetector::feed(const char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (m_seen < 3) {
            m_head[m_seen] = b;
            if (m_seen == 2) m_bom = m_head[0] == 0xEF && m_head[1] == 0xBB && m_head[2] == 0xBF;
        }
        ++m_seen;
        if (m_utf8Valid) checkUtf8(b);
        if (b < 0x80) {
            m_previousBox = false;
            continue;
        }
        ++m_nonAscii;
        if (dosUmlaut(b)) ++m_dos;
        const bool box = dosBox(b);
        if (box && m_previousBox) ++m_dos;
        if (windowsOnly(b)) ++m_windows;
        m_previousBox = box;
    }
}

Encoding EncodingDetector::result() const
{
    if (m_bom) return Encoding::Utf8;
    if (m_utf8Valid && m_utf8Pending == 0 && m_nonAscii > 0) return Encoding::Utf8;
    if (m_dos > 0 && m_dos > 2 * m_windows) return Encoding::Cp850;
    return Encoding::Windows1252;
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
        if (m_encoding == Encoding::Utf8 && m_buffer.startsWith("\xEF\xBB\xBF")) m_pos = 3;
    }
    return true;
}

bool LineReader::next(TextLine& line)
{
    QByteArray bytes;
    bool cut = false;
    bool any = false;
    for (;;) {
        if (m_pos >= m_buffer.size() && !fill()) {
            if (!any) return false;
            break;
        }
        if (m_skipLf) {
            m_skipLf = false;
            if (m_buffer.at(m_pos) == '\n') {
                ++m_pos;
                continue;
            }
        }
        const char* data = m_buffer.constData();
        qsizetype end = m_pos;
        const qsizetype size = m_buffer.size();
        while (end < size && data[end] != '\n' && data[end] != '\r') ++end;
        if (!any && end < size) {
            // The whole line lies in the buffer: decoded from there, without a copy.
            const qsizetype length = std::min(end - m_pos, m_maxBytes);
            line.text = decode(data + m_pos, length, m_encoding);
            line.cut = end - m_pos > m_maxBytes;
            line.number = ++m_number;
            m_skipLf = data[end] == '\r';
            m_pos = end + 1;
            return true;
        }
        const qsizetype room = m_maxBytes - bytes.size();
        const qsizetype take = std::min(end - m_pos, room);
        if (take > 0) bytes.append(data + m_pos, take);
        if (end - m_pos > room) cut = true;
        any = true;
        if (end < size) {
            m_skipLf = data[end] == '\r';
            m_pos = end + 1;
            break;
        }
        m_pos = end;
    }
    line.text = decode(bytes, m_encoding);
    line.number = ++m_number;
    line.cut = cut;
    return true;
}

}  // namespace kv::text
