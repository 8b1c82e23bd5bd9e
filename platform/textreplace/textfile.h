#pragma once
// Reading a text file whose code page nobody wrote down: Meal-Master files come from
// DOS programs (code page 850 or 437), from Windows (1252) and from newer programs and
// the web (UTF-8), with the line ends of each.

#include <QByteArray>
#include <QString>

class QIODevice;

namespace kv::text {

enum class Encoding { Utf8, Windows1252, Cp850 };

// Decides from all of a file's bytes, given piece by piece:
// - UTF-8 when the file starts with its byte order mark, or when it is valid UTF-8 and
//   holds anything beyond ASCII;
// - else code page 850 when the bytes clearly show DOS: DOS umlauts (ä is 84 hex) or
//   box drawing (two such bytes side by side) outweigh twice over what only Windows
//   writes (its punctuation between 80 and 9F hex, its ä, ö, ü);
// - else Windows-1252 (which also reads plain ASCII).
// Code page 437 puts the German letters where 850 does, so 850 reads both.
class EncodingDetector {
public:
    void feed(const char* data, qsizetype size);
    void feed(const QByteArray& bytes) { feed(bytes.constData(), bytes.size()); }
    Encoding result() const;
    bool hasByteOrderMark() const { return m_bom; }

private:
    void checkUtf8(unsigned char b);

    qint64 m_seen = 0;
    bool m_bom = false;
    bool m_utf8Valid = true;
    int m_utf8Pending = 0;       // continuation bytes still expected
    unsigned char m_utf8Low = 0x80, m_utf8High = 0xBF;  // range of the next continuation byte
    qint64 m_nonAscii = 0;
    qint64 m_dos = 0;
    qint64 m_windows = 0;
    bool m_previousBox = false;
    unsigned char m_head[3] = {0, 0, 0};
};

Encoding detectEncoding(const QByteArray& bytes);
// Reads the whole device and goes back to where it stood; false when reading failed.
bool detectEncoding(QIODevice& device, Encoding& encoding);

QString decode(const QByteArray& bytes, Encoding encoding);
QString decode(const char* data, qsizetype size, Encoding encoding);

// One line as read: its text without the line end, its number counted from 1, and
// whether it was longer than the reader keeps.
struct TextLine {
    QString text;
    qint64 number = 0;
    bool cut = false;
};

// Lines of a device in a known encoding: CR LF, LF and a lone CR each end a line; the
// text after the last line end is a line when it holds anything; a UTF-8 byte order
// mark is passed over. A line longer than maxBytes keeps its first maxBytes bytes and
// is marked cut; the rest of it is read and dropped, so memory stays bounded whatever
// the file holds.
class LineReader {
public:
    LineReader(QIODevice& device, Encoding encoding, qsizetype maxBytes);
    // False at the end of the device (or when reading failed: see failed()).
    bool next(TextLine& line);
    bool failed() const { return m_failed; }
    QString errorString() const { return m_error; }

private:
    bool fill();

    QIODevice& m_device;
    Encoding m_encoding;
    qsizetype m_maxBytes;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_eof = false;
    bool m_failed = false;
    bool m_skipLf = false;      // the last line ended with CR; a LF right after belongs to it
    bool m_started = false;
    qint64 m_number = 0;
    QString m_error;
};

}  // namespace kv::text
