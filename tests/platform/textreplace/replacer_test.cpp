#include "platform/textreplace/excllist.h"
#include "platform/textreplace/replacer.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

QByteArray shipped(const char* name)
{
    QFile f(QStringLiteral(KELVOR_SHIPPED_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

kv::text::Replacer shippedReplacer()
{
    kv::text::Replacer r;
    r.setReplacements(shipped("RepList.txt"));
    r.setExclusions(kv::text::readExclList(shipped("ExclList.txt")));
    r.setWords(kv::text::shippedWordList());
    return r;
}

}  // namespace

TEST(Umlauts, GermanWordsGetTheirUmlauts)
{
    const kv::text::Replacer r = shippedReplacer();
    EXPECT_EQ(r.replace("Aepfel, Kaese, Bruehe und Kloesse"), QString::fromUtf8("Äpfel, Käse, Brühe und Klösse"));
    // Parts of four letters or more count anywhere in a word; shorter ones only as the
    // word itself, with an ending.
    EXPECT_EQ(r.replace("Gemuesebruehe, Kaesekuchen, Oele, grosze Suesze"),
              QString::fromUtf8("Gemüsebrühe, Käsekuchen, Öle, große Süße"));
    EXPECT_EQ(r.replace("Ueberbacken"), QString::fromUtf8("Überbacken"));
    // Of two pairs only the one that makes a German word: the Bauer stays.
    EXPECT_EQ(r.replace("Bauernbruehe"), QString::fromUtf8("Bauernbrühe"));
}

TEST(Umlauts, EnglishAndTheExceptionWordsStay)
{
    const kv::text::Replacer r = shippedReplacer();
    const QString english = "Tomatoes, Continue, Queso, bouquets, Barbecue, blue cheese, Noel, Tuesday, does";
    EXPECT_EQ(r.replace(english), english);
    const QString exceptions = "Israel, Michael, Sauerkraut, Aerobic, Goethe, Steuer, aktuell, neue, Feuer";
    EXPECT_EQ(r.replace(exceptions), exceptions);
    EXPECT_EQ(r.replace("KAESE"), "KAESE") << "the list has no pairs in capitals";

    // An exception word keeps its pair even where the result would be German, also with
    // more letters around it.
    kv::text::Replacer excepting = shippedReplacer();
    excepting.setExclusions({{"ue", QString::fromUtf8("ü"), "Bruehe"}});
    EXPECT_EQ(excepting.replace("Bruehe, Gemuesebruehen, Kaese"), QString::fromUtf8("Bruehe, Gemüsebruehen, Käse"));
}

TEST(Umlauts, TheTextNeverGrows)
{
    kv::text::Replacer r;
    r.setReplacements("# Kommentar\nae\t\xC3\xA4\nss\tsss\nx\n\nue\t\xC3\xBC\n");
    r.setWords(kv::text::shippedWordList());
    EXPECT_EQ(r.replace("Kaese und Strasse"), QString::fromUtf8("Käse und Strasse")) << "ss to sss is left out";
    const QString text = "Aepfel Oel Gemuesebruehe ueber Suesze Kaesekloesse";
    EXPECT_LE(r.replace(text).size(), text.size());
    EXPECT_EQ(kv::text::Replacer().replace("Kaese"), "Kaese") << "nothing loaded, nothing replaced";
}

TEST(Umlauts, TheLibraryLoadsTheListsOfTheProgramFolder)
{
    ASSERT_EQ(kv::text::InitReplacer(QStringLiteral(KELVOR_SHIPPED_DIR "/ExclList.txt"),
                                     QStringLiteral(KELVOR_SHIPPED_DIR "/RepList.txt")),
              1);
    QString buffer = QStringLiteral("Kaese, Israel") + QChar(0);
    kv::text::DoSimpleReplace(buffer);
    EXPECT_EQ(buffer, QString::fromUtf8("Käse, Israel") + QChar(0));
    EXPECT_EQ(kv::text::InitReplacer("/nicht/da/ExclList.txt", "/nicht/da/RepList.txt"), 0);
    buffer = QStringLiteral("Kaese");
    kv::text::DoSimpleReplace(buffer);
    EXPECT_EQ(buffer, "Kaese");
}

// Words are found in blocks of characters at a time: a pair must be seen wherever it falls
// in a block, across two blocks and at the very end of a text. Each text is compared with
// its words replaced one by one.
TEST(Umlauts, APairIsFoundWhereverItStandsInTheText)
{
    const kv::text::Replacer r = shippedReplacer();
    const QStringList words = {"Kaese", "Tomatoes", "Bruehe", "grosze", "x", "Oel", "ae", "Ueber", "Queso", QString::fromUtf8("Äpfel"), "blue"};
    const QStringList gaps = {" ", ", ", "  ", "-", QString::fromUtf8(" € "), "1", "\t"};
    std::uint32_t state = 12345;
    const auto next = [&state](std::uint32_t below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    };
    for (int round = 0; round < 400; ++round) {
        QString text;
        QString expected;
        const int count = int(next(9));
        text += QString(int(next(10)), u' ');
        expected = text;
        for (int w = 0; w < count; ++w) {
            const QString& word = words.at(int(next(std::uint32_t(words.size()))));
            text += word;
            expected += r.replace(word);
            if (w + 1 < count || next(2)) {
                const QString& gap = gaps.at(int(next(std::uint32_t(gaps.size()))));
                text += gap;
                expected += gap;
            }
        }
        ASSERT_EQ(r.replace(text), expected) << qPrintable(text);
    }
}
