#pragma once
// Reading a text file whose code page nobody wrote down: Meal-Master files come from
// DOS programs (code page 850 or 437), from Windows (1252) and from newer programs and
// the web (UTF-8), with the line ends of each. Files joined from others mix them, so
// each line is judged on its own: a line that is valid UTF-8 and holds more than ASCII
// is UTF-8, the other lines share one 8-bit code page chosen for the file.

#include <QByteArray>
#include <QString>

class QIODevice;

namespace kv::text {

enum class Encoding { Utf8, Windows1252, Cp850 };

// A line holding this byte alone ends a newsgroup article in a file of saved articles.
inline constexpr char kArticleEnd = '\x1C';

// Checks bytes, given one by one, for valid UTF-8: overlong forms, surrogates and code
// points above U+10FFFF are none.
struct Utf8Scan {
    void feed(unsigned char b);
    // Valid, complete and holding at least one sequence beyond ASCII.
    bool multibyteUtf8() const { return valid && multibyte && pending == 0; }

    bool valid = true;
    bool multibyte = false;
    int pending = 0;  // continuation bytes still expected
    unsigned char low = 0x80, high = 0xBF;  // range of the next continuation byte
};

// Decides from all of a file's bytes, given piece by piece, with the lines as the
// LineReader takes them (CR, LF and Ctrl-Z end them; a UTF-8 byte order mark at the
// start and the control characters the reader drops are passed over). The code page of the lines that are
// not UTF-8 comes from their bytes alone:
// - code page 850 when they hold a byte Windows-1252 leaves undefined (81, 8D, 8F, 90,
//   9D hex), or when they clearly show DOS: DOS umlauts (ä is 84 hex), box drawing (two
//   such bytes side by side) and DOS accented letters between two letters (è in
//   "Crème"), or é ending a word ("Rosé"), outweigh twice over what only Windows writes
//   (its punctuation between 80 and 9F hex, its ä, ö, ü, and „ opening a word that ” or
//   “ closes on the same line or a later line of the paragraph);
// - else Windows-1252 (which also reads plain ASCII).
// Code page 437 puts the German letters where 850 does, so 850 reads both.
class EncodingDetector {
public:
    void feed(const char* data, qsizetype size);
    void feed(const QByteArray& bytes) { feed(bytes.constData(), bytes.size()); }
    // Utf8 when no line needs the code page and the file holds UTF-8 (a line, or its
    // byte order mark); else codePage().
    Encoding result() const;
    // The code page of the lines that are not UTF-8: Windows1252 or Cp850.
    Encoding codePage() const;
    bool hasByteOrderMark() const { return m_bom; }

private:
    struct Counts {
        qint64 dos = 0;
        qint64 windows = 0;
        qint64 undefined = 0;   // bytes Windows-1252 leaves free
        qint64 nonAscii = 0;
    };
    struct Line {
        Utf8Scan utf8;
        Counts counts;
        bool previousBox = false;
        bool previousLetter = false;
        bool previousWordStart = true;        // the line's start, or a blank or sign before
        bool previousClosable = false;        // a letter, or a sign ending a sentence after one
        unsigned char accentAfterLetter = 0;  // the last byte, a DOS accented letter after a letter
        // German quotes of Windows: „ (84 hex, ä in DOS) opening a word, ” or “ (94 or 93
        // hex) closing one before a blank, a sign or the line's end. An opening one counts
        // for Windows only where one closes on its line or a later line of its paragraph,
        // since ä begins DOS words as well ("ähnlich"); and ö before ß ("Größe") closes none.
        bool quoteOpenLast = false;           // the last byte was an 84 hex at a word's start
        bool quoteCloseLast = false;          // the last byte was a 93 or 94 hex after a word
        qint64 quoteOpens = 0;
        bool quoteCloses = false;
        // Known only while quotes are open: a byte was taken since the line began, and
        // one was no blank.
        bool any = false;
        bool text = false;
        // A closer at the line's end closes as one before a blank does.
        bool closesQuote() const { return quoteCloses || quoteCloseLast; }
    };
    void take(unsigned char b);
    void takeAscii(const char* run, qsizetype size);
    void endLine(unsigned char end);
    // Nothing counted in an ASCII line: only where it stopped is forgotten.
    void forgetLineEnd()
    {
        m_line.previousBox = false;
        m_line.previousLetter = false;
        m_line.previousClosable = false;
        m_line.previousWordStart = true;
        m_line.any = m_line.text = false;
    }
    // What the lines so far, with the one still open, add up to.
    Counts totals(qint64* codePageLines, qint64* utf8Lines) const;

    int m_seen = 0;  // of the first three bytes, which may be the byte order mark
    bool m_bom = false;
    unsigned char m_head[3] = {0, 0, 0};
    Line m_line;
    qint64 m_openQuotes = 0;   // opened on earlier lines of the paragraph, not yet closed
    unsigned char m_lastEnd = 0;   // the byte that ended the last line, while quotes are open
    Counts m_total;
    qint64 m_codePageLines = 0;
    qint64 m_utf8Lines = 0;
};

Encoding detectEncoding(const QByteArray& bytes);
// Reads the whole device and goes back to where it stood; false when reading failed.
bool detectEncoding(QIODevice& device, Encoding& encoding);

// Every byte in the one encoding.
QString decode(const QByteArray& bytes, Encoding encoding);
QString decode(const char* data, qsizetype size, Encoding encoding);
// One line's bytes as the LineReader decodes them: in UTF-8 when the encoding is Utf8 or
// the bytes are valid UTF-8 holding more than ASCII, else in the code page given.
QString decodeLine(const char* data, qsizetype size, Encoding encoding);

// One line as read: its text without the line end, its number counted from 1, whether
// it was longer than the reader keeps, and whether it is the end of an article (a line
// of kArticleEnd alone; its text is empty).
struct TextLine {
    QString text;
    qint64 number = 0;
    bool cut = false;
    bool articleEnd = false;
};

// Lines of a device: CR LF, LF and a lone CR each end a line; so does Ctrl-Z (1A hex),
// which DOS wrote at a file's end and which joined files carry between them: it is
// dropped, with a CR, LF or CR LF right after it, and reading goes on. The text after
// the last line end is a line when it holds anything; a UTF-8 byte order mark at the
// start is passed over. A line's text holds no control character: a tab becomes a
// blank, the others are dropped. A line longer than maxBytes keeps its first maxBytes
// bytes and is marked cut; the rest of it is read and dropped, so memory stays bounded
// whatever the file holds.
// With Encoding::Utf8 every line is read as UTF-8 (a file declared so); with a code
// page, lines as decodeLine() reads them.
class LineReader {
public:
    LineReader(QIODevice& device, Encoding encoding, qsizetype maxBytes);
    // False at the end of the device (or when reading failed: see failed()).
    bool next(TextLine& line);
    bool failed() const { return m_failed; }
    QString errorString() const { return m_error; }

private:
    // What of a line end may still follow at the next byte.
    enum class Pending { Nothing, Lf, LineEnd };

    static Pending pendingAfter(char lineEnd);
    bool fill();
    bool skipRestOfLineEnd();
    void take(TextLine& line, const char* data, qsizetype size, bool plain, bool cut);

    QIODevice& m_device;
    Encoding m_encoding;
    qsizetype m_maxBytes;
    QByteArray m_buffer;
    QByteArray m_spanning;      // a line that goes on in the next chunk
    QByteArray m_kept;          // a line without its control characters
    qsizetype m_pos = 0;
    bool m_eof = false;
    bool m_failed = false;
    Pending m_pending = Pending::Nothing;
    bool m_started = false;
    qint64 m_number = 0;
    QString m_error;
};

}  // namespace kv::text
