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

}  // namespace

TEST(Encoding, Utf8WhenValidWithMoreThanAsciiOrMarked)
{
    EXPECT_EQ(kv::text::detectEncoding(QString::fromUtf8("Käse").toUtf8()), Encoding::Utf8);
    EXPECT_EQ(kv::text::detectEncoding("\xEF\xBB\xBFplain"), Encoding::Utf8);
    EXPECT_EQ(kv::text::detectEncoding("\xEF\xBB\xBF" "K\xE4se"), Encoding::Utf8) << "the mark decides";
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
