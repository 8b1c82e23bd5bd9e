#include "platform/textreplace/cp1252.h"
#include "platform/textreplace/doscodepage.h"
#include "platform/textreplace/textfile.h"

#include <gtest/gtest.h>

#include <QBuffer>

using kv::text::Encoding;

namespace {

std::vector<kv::text::TextLine> linesOf(QByteArray bytes, Encoding encoding = Encoding::Windows1252,
                                        qsizetype maxBytes = 1000)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    kv::text::LineReader reader(buffer, encoding, maxBytes);
    std::vector<kv::text::TextLine> lines;
    kv::text::TextLine line;
    while (reader.next(line)) lines.push_back(line);
    return lines;
}

QStringList textsOf(const std::vector<kv::text::TextLine>& lines)
{
    QStringList texts;
    for (const auto& line : lines) texts << line.text;
    return texts;
}

// The lines of a file as the import reads them: in the encoding detected.
QStringList read(const QByteArray& bytes)
{
    return textsOf(linesOf(bytes, kv::text::detectEncoding(bytes)));
}

QByteArray cp850(const QString& text)
{
    return *kv::text::toDos(text, kv::text::DosCodePage::Cp850);
}

QByteArray cp1252(const QString& text)
{
    return *kv::text::toWindows1252(text);
}

}  // namespace

TEST(Encoding, Utf8WhenValidWithMoreThanAsciiOrMarked)
{
    EXPECT_EQ(kv::text::detectEncoding(QString::fromUtf8("Käse").toUtf8()), Encoding::Utf8);
    EXPECT_EQ(kv::text::detectEncoding("\xEF\xBB\xBFplain"), Encoding::Utf8);
    EXPECT_EQ(kv::text::detectEncoding("\xEF\xBB\xBF" "K\xE4se"), Encoding::Windows1252)
        << "a line that is no UTF-8 needs its code page, mark or not";
    EXPECT_EQ(kv::text::detectEncoding("plain ASCII"), Encoding::Windows1252);
    EXPECT_EQ(kv::text::detectEncoding(""), Encoding::Windows1252);
    // Overlong forms, surrogates and a sequence cut off at the end are no UTF-8.
    EXPECT_EQ(kv::text::detectEncoding("\xC0\xAF"), Encoding::Windows1252);
    EXPECT_EQ(kv::text::detectEncoding("\xED\xA0\x80"), Encoding::Windows1252);
    EXPECT_EQ(kv::text::detectEncoding("K\xC3"), Encoding::Windows1252);
}

TEST(Encoding, DosOnlyWhenItsBytesClearlyOutweighWindows)
{
    // "Käse für Brühe, Soße" in code page 850.
    EXPECT_EQ(kv::text::detectEncoding("K\x84se f\x81r Br\x81he, So\xE1" "e"), Encoding::Cp850);
    // A drawn frame.
    EXPECT_EQ(kv::text::detectEncoding("\xC9\xCD\xCD\xCD\xBB Rezept"), Encoding::Cp850);
    // „Käse“ – in Windows: the quote that is ä in DOS is outweighed.
    EXPECT_EQ(kv::text::detectEncoding("\x84K\xE4se\x93 \x96 gut"), Encoding::Windows1252);
    // Ä, Ü and ß alone are box bytes in DOS, but no frame: Windows.
    EXPECT_EQ(kv::text::detectEncoding("\xC4pfel \xDC" "ber Stra\xDF" "e"), Encoding::Windows1252);
    // A German DOS text with a French word keeps its umlauts.
    EXPECT_EQ(kv::text::detectEncoding("Cr\x8Ame fra\x8C" "che, K\x84se, Br\x81he, s\x81\xE1, \x94l"), Encoding::Cp850);
}

TEST(Encoding, CodePages850And437ShareTheGermanLetters)
{
    const QString german = QString::fromUtf8("äöüÄÖÜß");
    const QByteArray dos = "\x84\x94\x81\x8E\x99\x9A\xE1";
    EXPECT_EQ(kv::text::toDos(german, kv::text::DosCodePage::Cp850), dos);
    EXPECT_EQ(kv::text::toDos(german, kv::text::DosCodePage::Cp437), dos);
    EXPECT_EQ(kv::text::fromDos(dos, kv::text::DosCodePage::Cp437), german);
    // Where they differ: Á in 850, a frame in 437.
    EXPECT_EQ(kv::text::fromDos("\xB5", kv::text::DosCodePage::Cp850), QString::fromUtf8("Á"));
    EXPECT_EQ(kv::text::fromDos("\xB5", kv::text::DosCodePage::Cp437), QString::fromUtf8("╡"));
    EXPECT_FALSE(kv::text::toDos(QString::fromUtf8("„"), kv::text::DosCodePage::Cp850));
    EXPECT_EQ(kv::text::decode("K\xE4se", Encoding::Windows1252), QString::fromUtf8("Käse"));
}

TEST(LineReader, CrLfLfAndALoneCrEachEndALine)
{
    const auto lines = linesOf("eins\r\nzwei\ndrei\rvier\r\r\nsechs\n\nacht");
    EXPECT_EQ(textsOf(lines), QStringList({"eins", "zwei", "drei", "vier", "", "sechs", "", "acht"}));
    EXPECT_EQ(lines.back().number, 8);
    EXPECT_EQ(textsOf(linesOf("eins\r\n")), QStringList({"eins"})) << "no line after the last line end";
    EXPECT_TRUE(linesOf("").empty());
    EXPECT_EQ(textsOf(linesOf("\xEF\xBB\xBF" "Gr\xC3\xBC\xC3\x9F" "e\n", Encoding::Utf8)),
              QStringList({QString::fromUtf8("Grüße")}));
}

TEST(LineReader, ALineEndAcrossTheReadersChunksCountsOnce)
{
    // The reader takes 64 KB at a time: CR as the chunk's last byte, LF as the next one's first.
    QByteArray bytes(64 * 1024 - 1, 'a');
    bytes += "\r\nb\r";
    bytes += QByteArray(64 * 1024 - 2, 'c');
    bytes += '\n';
    const auto lines = linesOf(bytes, Encoding::Windows1252, 1 << 20);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text.size(), 64 * 1024 - 1);
    EXPECT_EQ(lines[1].text, "b");
    EXPECT_EQ(lines[2].text.size(), 64 * 1024 - 2);
}

// Lines with letters beyond ASCII are searched for their end a word of bytes at a time:
// an end must be found at any place within a word, after any mix of plain and accented
// letters, for each kind of line end.
TEST(LineReader, EveryLineEndIsFoundWhereverItFallsInALineOfAccentedLetters)
{
    const QByteArray letters = "ab \xE4\xF6\xFC\xDF-";   // Windows-1252: äöüß
    const QList<QByteArray> ends = {"\n", "\r\n", "\r", "\x1A"};
    std::uint32_t state = 99;
    const auto next = [&state](std::uint32_t below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    };
    QByteArray bytes;
    QStringList expected;
    for (int i = 0; i < 300; ++i) {
        QByteArray line;
        // Never empty: a line end right after CR or Ctrl-Z would belong to it.
        for (int k = 1 + int(next(40)); k > 0; --k) line += letters.at(int(next(std::uint32_t(letters.size()))));
        bytes += line + ends.at(int(next(std::uint32_t(ends.size()))));
        expected << kv::text::decode(line, Encoding::Windows1252);
    }
    EXPECT_EQ(textsOf(linesOf(bytes)), expected);
}

TEST(LineReader, ALongLineKeepsItsStartAndIsMarkedCut)
{
    const auto lines = linesOf("kurz\n" + QByteArray(5000, 'x') + "\nweiter", Encoding::Windows1252, 100);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_FALSE(lines[0].cut);
    EXPECT_TRUE(lines[1].cut);
    EXPECT_EQ(lines[1].text, QString(100, u'x'));
    EXPECT_EQ(lines[2].text, "weiter");
    EXPECT_EQ(lines[2].number, 3);
}

TEST(Encoding, DosAccentsInsideWordsAndBytesWindowsLeavesFreeMeanCodePage850)
{
    // Few umlauts against the French accents that are Windows punctuation on the same bytes.
    const QString german = QString::fromUtf8("200 g Crème fraîche\nZwiebeln würfeln\nà la minute, ça va\n");
    EXPECT_EQ(kv::text::detectEncoding(cp850(german)), Encoding::Cp850);
    EXPECT_EQ(read(cp850(german)), german.split(u'\n', Qt::SkipEmptyParts));
    // The accents alone, inside words: è and î.
    EXPECT_EQ(kv::text::detectEncoding(cp850(QString::fromUtf8("Crème fraîche, Käse"))), Encoding::Cp850);
    // One byte no Windows file holds outweighs any amount of Windows punctuation.
    EXPECT_EQ(kv::text::detectEncoding("\x84Zitat\x93 \x96 \x93" "a\x92s\x94 \x80 \x8D"), Encoding::Cp850);
}

TEST(Encoding, WindowsTextWithItsSignsStaysWindows1252)
{
    const QString text = QString::fromUtf8("Äpfel, Öl, Übermaß, süß\n„Zitat“ aus Oma’s Küche – 5 €\n"
                                           "usw… Ende\n");
    EXPECT_EQ(kv::text::detectEncoding(cp1252(text)), Encoding::Windows1252);
    EXPECT_EQ(read(cp1252(text)), text.split(u'\n', Qt::SkipEmptyParts));
    // A dash between two words is punctuation, not a DOS û.
    EXPECT_EQ(kv::text::detectEncoding(cp1252(QString::fromUtf8("Brot – Wein – Käse – Öl"))),
              Encoding::Windows1252);
    EXPECT_EQ(kv::text::detectEncoding(cp1252(QString::fromUtf8("Stück–\nBrot–\nWein–\nSalz"))),
              Encoding::Windows1252)
        << "a dash at a line's end stands after a word, not inside one";
}

TEST(Encoding, EachLineOfAJoinedFileIsReadInItsOwnEncoding)
{
    // A UTF-8 recipe whose quotes and dashes look like Windows punctuation byte by byte,
    // then a DOS one with a few umlauts: the code page comes from the DOS lines alone.
    const QStringList utf8Lines = {QString::fromUtf8("      Title: „Käse“ – überbacken"),
                                   QString::fromUtf8("  Mit „Crème“ – nicht zu dünn – servieren.")};
    const QStringList dosLines = {QString::fromUtf8("      Title: Käsesoße"), QString::fromUtf8("  Öl erhitzen")};
    const QByteArray bytes = (utf8Lines.join(u'\n') + u'\n').toUtf8() + cp850(dosLines.join(QStringLiteral("\r\n")));
    EXPECT_EQ(kv::text::detectEncoding(bytes), Encoding::Cp850);
    EXPECT_EQ(read(bytes), utf8Lines + dosLines);
    EXPECT_EQ(read(cp1252(dosLines.join(u'\n')) + '\n' + utf8Lines.join(u'\n').toUtf8()), dosLines + utf8Lines)
        << "Windows first";

    // A UTF-8 line stays UTF-8 without its mark, an 8-bit one after the mark is no UTF-8.
    EXPECT_EQ(read("\xEF\xBB\xBF" "K\xE4se\n" + QString::fromUtf8("Brühe").toUtf8()),
              QStringList({QString::fromUtf8("Käse"), QString::fromUtf8("Brühe")}));
    // A sequence cut off at the line's end is no UTF-8.
    EXPECT_EQ(read("Kr\xC3\nK\xE4se"), QStringList({QString::fromUtf8("KrÃ"), QString::fromUtf8("Käse")}));
    // A file declared UTF-8 is UTF-8 throughout.
    EXPECT_EQ(textsOf(linesOf("K\xE4se\nK\xC3\xA4se", Encoding::Utf8)),
              QStringList({QString::fromUtf8("K\uFFFDse"), QString::fromUtf8("Käse")}));
}

TEST(Encoding, FedPieceByPieceTheDetectorDecidesAsOnTheWhole)
{
    // The file reaches the detector in chunks: the mark, a word and a line may be split.
    const QList<QByteArray> files = {
        "\xEF\xBB\xBF" + QString::fromUtf8("Käse\r\n").toUtf8() + "Cr\x8Ame fra\x8C" "che\n",
        "\xEF\xBB\xBF" "plain",
        "Br\x8A\nMehl",
        cp1252(QString::fromUtf8("Stück–\nBrot–\nWein–\nSalz")),
        QString::fromUtf8("„Käse“ – gut\n").toUtf8() + cp850(QString::fromUtf8("Käsesoße\r\n")),
    };
    for (const QByteArray& file : files) {
        kv::text::EncodingDetector whole;
        whole.feed(file);
        kv::text::EncodingDetector pieces;
        for (const char c : file) pieces.feed(&c, 1);
        EXPECT_EQ(pieces.result(), whole.result()) << file.toHex().constData();
        EXPECT_EQ(pieces.codePage(), whole.codePage()) << file.toHex().constData();
        EXPECT_EQ(pieces.hasByteOrderMark(), whole.hasByteOrderMark());
    }
}

TEST(LineReader, CtrlZEndsALineWithTheLineEndAfterItAndReadingGoesOn)
{
    EXPECT_EQ(textsOf(linesOf("eins\x1A\r\nzwei\x1A\ndrei\x1A\rvier\x1A" "f\x1A\x1A" "sechs\x1A\n\nacht")),
              QStringList({"eins", "zwei", "drei", "vier", "f", "", "sechs", "", "acht"}));
    EXPECT_EQ(textsOf(linesOf("MMMMM\x1A")), QStringList({"MMMMM"})) << "at the file's end";
    // Files joined byte for byte: the first one's Ctrl-Z stands on a line of its own.
    const auto joined = linesOf("Ende\r\n\x1A" "Anfang\r\n");
    EXPECT_EQ(textsOf(joined), QStringList({"Ende", "", "Anfang"}));
    EXPECT_EQ(joined.back().number, 3);

    // Ctrl-Z as the last byte of the reader's 64 KB chunk, its line end in the next one.
    QByteArray bytes(64 * 1024 - 1, 'a');
    bytes += "\x1A\r\nb";
    bytes += QByteArray(64 * 1024 - 3, 'c');
    bytes += "\x1A\r\nd";
    const auto lines = linesOf(bytes, Encoding::Windows1252, 1 << 20);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text.size(), 64 * 1024 - 1);
    EXPECT_EQ(lines[1].text.size(), 64 * 1024 - 2);
    EXPECT_EQ(lines[2].text, "d");
}

TEST(LineReader, ControlCharactersAreDroppedAndATabIsABlank)
{
    EXPECT_EQ(textsOf(linesOf(QByteArray("Ti\x14tel\x00!\x07\x1B\x7F\n\x01\n1\tEL\tZucker\r\n", 26))),
              QStringList({"Titel!\x7F", "", "1 EL Zucker"}));
    // In lines beyond ASCII, in each encoding.
    EXPECT_EQ(read("K\xE4se\t\x14gut\x1F"), QStringList({QString::fromUtf8("Käse gut")}));
    EXPECT_EQ(read(cp850(QString::fromUtf8("Brühe")) + "\x02\tgut\n"), QStringList({QString::fromUtf8("Brühe gut")}));
    EXPECT_EQ(read(QString::fromUtf8("Kä\u0010se\tgut").toUtf8()), QStringList({QString::fromUtf8("Käse gut")}));
    EXPECT_EQ(textsOf(linesOf("K\xC3\xA4se\x03\n", Encoding::Utf8)), QStringList({QString::fromUtf8("Käse")}));
}

TEST(LineReader, ALineOfTheArticleSeparatorAloneEndsAnArticle)
{
    const auto lines = linesOf("Text\n\x1C\nmit\x1C Trenner\n \x1C\n\x1C\r\n\x1C");
    EXPECT_EQ(textsOf(lines), QStringList({"Text", "", "mit Trenner", " ", "", ""}));
    std::vector<bool> ends;
    for (const auto& line : lines) ends.push_back(line.articleEnd);
    EXPECT_EQ(ends, std::vector<bool>({false, true, false, false, true, true}));
    EXPECT_EQ(lines.back().number, 6);
    EXPECT_EQ(kv::text::kArticleEnd, '\x1C');
}

TEST(LineReader, LinesBeyondAsciiAreCutAtTheLimitToo)
{
    // Windows-1252 with a Ctrl-Z ending the cut line: the rest after it is read.
    auto lines = linesOf("K\xE4se\n" + QByteArray(5000, '\xE4') + "\x1A" "weiter", Encoding::Windows1252, 100);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_FALSE(lines[0].cut);
    EXPECT_TRUE(lines[1].cut);
    EXPECT_EQ(lines[1].text, QString(100, u'\u00e4'));
    EXPECT_EQ(lines[2].text, "weiter");
    // UTF-8 cut inside a character keeps the whole characters before it.
    lines = linesOf(QString(3000, u'\u00fc').toUtf8() + "\nx", Encoding::Windows1252, 101);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].cut);
    EXPECT_EQ(lines[0].text, QString(50, u'\u00fc'));
    // Control characters count towards the limit, and the kept part still drops them.
    lines = linesOf(QByteArray(50, '\t') + QByteArray(200, 'x') + "\n", Encoding::Windows1252, 100);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].cut);
    EXPECT_EQ(lines[0].text, QString(50, u' ') + QString(50, u'x'));
    // A long line across the reader's chunks, with a control character past the limit.
    lines = linesOf(QByteArray(70000, 'y') + "\x14\nz", Encoding::Cp850, 1000);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].cut);
    EXPECT_EQ(lines[0].text, QString(1000, u'y'));
    EXPECT_EQ(lines[1].text, "z");
}
