#include "platform/textreplace/cp1252.h"
#include "platform/textreplace/excllist.h"

#include <gtest/gtest.h>

#include <QFile>

using kv::text::ExclWord;

namespace {

QByteArray shippedList()
{
    QFile f(QStringLiteral(KELVOR_SHIPPED_DIR "/ExclList.txt"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

}  // namespace

TEST(ExclList, TheShippedFileReadsAndWritesBackByteForByte)
{
    const QByteArray file = shippedList();
    const std::vector<ExclWord> words = kv::text::readExclList(file);
    ASSERT_GT(words.size(), 40u);
    EXPECT_EQ(kv::text::writeExclList(words), file);
    const auto israel = std::find_if(words.begin(), words.end(), [](const ExclWord& w) { return w.alttext == "Israel"; });
    ASSERT_NE(israel, words.end());
    EXPECT_EQ(israel->alt, "ae");
    EXPECT_EQ(israel->neu, QString::fromUtf8("ä"));
}

TEST(ExclList, CapitalPairsAreStoredWithTheirMarkAndWrittenWithout)
{
    const QByteArray file = QByteArray("vorher\r\n/////\r\nAe\r\n\xC4\r\n/rosol\r\n/////\r\nae\r\n\xE4\r\nIsr/l\r\n"
                                       "/////\r\nue\r\n\xFC\r\nBag/tte\r\nakt/ll/x\r\n");
    const std::vector<ExclWord> words = kv::text::readExclList(file);
    ASSERT_EQ(words.size(), 4u);
    EXPECT_EQ(words[0].alt, "gAe");
    EXPECT_EQ(words[0].alttext, "Aerosol");
    EXPECT_EQ(words[1].alttext, "Israel");
    // Only the first slash stands for the pair.
    EXPECT_EQ(words[3].alttext, "aktuell/x");

    // Written in the order of the stored pairs, a word with its pair twice replaced once.
    const std::vector<ExclWord> sorted = {{"ae", QString::fromUtf8("ä"), "Israelae"},
                                          {"gAe", QString::fromUtf8("Ä"), "Aerosol"}};
    EXPECT_EQ(kv::text::writeExclList(sorted),
              QByteArray("/////\r\nae\r\n\xE4\r\nIsr/lae\r\n/////\r\nAe\r\n\xC4\r\n/rosol\r\n"));
}

TEST(ExclList, AMalformedFileNeverFails)
{
    EXPECT_TRUE(kv::text::readExclList(QByteArray()).empty());
    EXPECT_TRUE(kv::text::readExclList("keine Gruppe\r\n").empty());
    EXPECT_TRUE(kv::text::readExclList("/////\r\nae\r\n").empty()) << "a group cut short after its pair";
    // A word line without "/" is kept as the word it is, and written back as it came.
    const std::vector<ExclWord> words =
        kv::text::readExclList("/////\nsz\n\xDF\nStrasse\nAu/ahlung\nEin_sehr_langes_Wort_ohne/Ende\n");
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0].alttext, "Strasse");
    EXPECT_EQ(words[1].alttext, "Auszahlung");
    EXPECT_EQ(words[2].alttext, "Ein_sehr_langes_Wort_ohneszEnde") << "long words stay whole";
    EXPECT_EQ(kv::text::readExclList(kv::text::writeExclList(words))[0].alttext, "Strasse");
}

TEST(Windows1252, TheCodePageRoundTripsAndKnowsWhatItLacks)
{
    const QString text = QString::fromUtf8("Ä€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ ¡ÿ");
    const std::optional<QByteArray> bytes = kv::text::toWindows1252(text);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(kv::text::fromWindows1252(*bytes), text);
    EXPECT_FALSE(kv::text::fitsWindows1252(QString::fromUtf8("Łódź")));
}
