// An article's text as the reader hands it on: the body undone from its transfer
// encoding before its charset is applied, the header's encoded words, and whatever is
// malformed kept as written with the rest of the article.

#include "platform/nntp/articletext.h"

#include <gtest/gtest.h>

namespace kv::test {

namespace {

QList<QByteArray> article(const QList<QByteArray>& header, const QList<QByteArray>& body)
{
    return header + QList<QByteArray>{QByteArray()} + body;
}

// The decoded lines after the header's empty line.
QStringList bodyOf(const QStringList& text)
{
    return text.mid(text.indexOf(QString()) + 1);
}

QStringList decodedBody(const QList<QByteArray>& header, const QList<QByteArray>& body)
{
    return bodyOf(nntp::decodeArticle(article(header, body)));
}

const QList<QByteArray> kQpLatin1 = {"Subject: Suppe", "Content-Type: text/plain; charset=ISO-8859-1",
                                     "Content-Transfer-Encoding: quoted-printable"};

}  // namespace

TEST(ArticleText, QuotedPrintableLosesItsEscapesAndSoftBreaksBeforeTheCharsetApplies)
{
    EXPECT_EQ(decodedBody(kQpLatin1, {"M=F6hrensuppe=20", "Die Zwiebeln in Butter gl=", "asig d=FCnsten, dann =", "",
                                      "3 =3D 3, 1/2 Tasse =E0 la carte", "Ende   \t"}),
              QStringList({"Möhrensuppe ", "Die Zwiebeln in Butter glasig dünsten, dann ", "3 = 3, 1/2 Tasse à la carte",
                           "Ende"}))
        << "a soft break joins the next line; blanks at a line's end came on the way";

    // Without a charset the code page is found in the decoded bytes, not in the escapes.
    EXPECT_EQ(decodedBody({"Content-Transfer-Encoding: Quoted-Printable"}, {"K=C3=A4se f=C3=BCr G=C3=A4ste"}),
              QStringList({"Käse für Gäste"}));
    EXPECT_EQ(decodedBody({"Content-Transfer-Encoding: quoted-printable"}, {"K=E4se f=FCr G=E4ste"}),
              QStringList({"Käse für Gäste"}));

    // An escaped line break is a line of its own, as the import would read it.
    EXPECT_EQ(decodedBody(kQpLatin1, {"eins=0D=0Azwei=0Adrei"}), QStringList({"eins", "zwei", "drei"}));
}

TEST(ArticleText, MalformedQuotedPrintableStaysAsWrittenAndKeepsTheRestOfTheArticle)
{
    EXPECT_EQ(decodedBody(kQpLatin1, {"1 =Glas", "5 = 5 und =XY und =4", "Ende =", "=f6 klein geschrieben",
                                      "zuletzt weich ="}),
              QStringList({"1 =Glas", "5 = 5 und =XY und =4", "Ende ö klein geschrieben", "zuletzt weich "}));
    // A soft break on the last line, and an escape cut off by the end.
    EXPECT_EQ(decodedBody(kQpLatin1, {"ab=", "=4"}), QStringList({"ab=4"}));
    EXPECT_EQ(decodedBody(kQpLatin1, {"=", "="}), QStringList({""}));
}

TEST(ArticleText, ABase64TextBodyIsDecodedAndWhatFollowsItStaysAsWritten)
{
    const QByteArray text = "MMMMM----- Recipe via Meal-Master (tm) v8.02\r\n"
                            "      Title: Gem\xc3\xbcsesuppe f\xc3\xbcr G\xc3\xa4ste\r\n"
                            "    1 l  Br\xc3\xbche\r\n";
    const QByteArray encoded = text.toBase64();
    QList<QByteArray> body;
    for (qsizetype at = 0; at < encoded.size(); at += 40) body << encoded.mid(at, 40);
    const QList<QByteArray> header = {"Content-Type: text/plain; charset=utf-8", "Content-Transfer-Encoding: base64"};
    const QStringList recipe = {"MMMMM----- Recipe via Meal-Master (tm) v8.02", "      Title: Gemüsesuppe für Gäste",
                                "    1 l  Brühe"};

    EXPECT_EQ(decodedBody(header, body), recipe + QStringList({""}));
    // A signature a server added below, after a blank line or straight after the padding.
    EXPECT_EQ(decodedBody(header, body + QList<QByteArray>{"", "-- ", "Gr\xc3\xbc\xc3\x9f"}),
              recipe + QStringList({"", "", "-- ", "Grüß"}));
    EXPECT_EQ(decodedBody(header, {"SGFsbG8=", "Tsch\xc3\xbcss"}), QStringList({"Hallo", "Tschüss"}));
    // A body cut short gives what it holds; one that is no base64 at all stays.
    EXPECT_EQ(decodedBody(header, {"SGFsbG8gV2VsdA"}), QStringList({"Hallo Welt"}));
    EXPECT_EQ(decodedBody(header, {"Das ist kein base64!", "Zweite Zeile"}),
              QStringList({"Das ist kein base64!", "Zweite Zeile"}));

    // What is not text would become bytes no reader can use: it stays as sent.
    EXPECT_EQ(decodedBody({"Content-Type: image/png", "Content-Transfer-Encoding: base64"}, {"iVBORw0KGgo="}),
              QStringList({"iVBORw0KGgo="}));
}

TEST(ArticleText, EncodedWordsInTheHeaderAreDecodedAndAdjacentOnesJoined)
{
    const QList<QByteArray> header = {
        "From: =?ISO-8859-1?Q?J=FCrgen_M=FCller?= <jm@example.org>",
        "Subject: Re: =?utf-8?B?R2Vtw7xzZXN1cHBl?= mit =?iso-8859-15?q?=A4_5?=",
        // A character split between two words of one charset, and a fold between words.
        "Keywords: =?utf-8?Q?K=C3?= =?utf-8?Q?=A4se?=",
        "X-Titel: =?iso-8859-1?Q?Gem=FCse?=",
        "\t=?iso-8859-1?Q?suppe?= und",
        "  Brot",
        "X-Sprache: =?UTF-8*de?Q?Spa=C3=9F?= =?iso-8859-1?Q?_mit_=DF?=",
        "Content-Type: text/plain; charset=iso-8859-1"};
    EXPECT_EQ(nntp::decodeArticle(article(header, {"Text"})),
              QStringList({"From: Jürgen Müller <jm@example.org>", "Subject: Re: Gemüsesuppe mit € 5",
                           "Keywords: Käse", "X-Titel: Gemüsesuppe und", "  Brot", "X-Sprache: Spaß mit ß",
                           "Content-Type: text/plain; charset=iso-8859-1", "", "Text"}));
}

TEST(ArticleText, AnEncodedWordThatCannotBeReadStaysAsWritten)
{
    const QList<QByteArray> header = {
        "Subject: =?x-unbekannt?Q?abc?= =?utf-8?B?!!!!?= =?utf-8?B?SGFsbG8?= =?utf-8?X?abc?=",
        "Summary: =?utf-8?Q?offen und =?utf-8?Q?" "?= =?utf-8?Q?mit Blank?= ==?? =?",
        "X-Umbruch: =?utf-8?Q?a=0Ab?=",
        "X-Roh: Gr\xfc\xdf =?utf-8?Q?G=C3=BC?="};
    EXPECT_EQ(nntp::decodeArticle(article(header, {"Gr\xfc\xdf"})),
              QStringList({"Subject: =?x-unbekannt?Q?abc?= =?utf-8?B?!!!!?= =?utf-8?B?SGFsbG8?= =?utf-8?X?abc?=",
                           "Summary: =?utf-8?Q?offen und  =?utf-8?Q?mit Blank?= ==?? =?", "X-Umbruch: a b",
                           "X-Roh: Grüß Gü", "", "Grüß"}))
        << "an empty word is nothing; bytes as written go by the article's code page";

    // However many beginnings of words a header holds, none makes the reading search on
    // through the rest of it (megabytes for each would not end within the test's time).
    QByteArray endless = "Subject: ";
    for (int i = 0; i < 200000; ++i) endless += "=?utf-8?Q?a";
    const QStringList text = nntp::decodeArticle(article({endless}, {"Rest"}));
    ASSERT_EQ(text.size(), 3);
    EXPECT_EQ(text[0].size(), endless.size());
    EXPECT_EQ(text[2], "Rest");
}

TEST(ArticleText, WithoutACharsetEachLineIsReadAsAFileLineIs)
{
    // A UTF-8 recipe quoted into a post written in Windows-1252.
    EXPECT_EQ(decodedBody({"Subject: Suppe"}, {"K\xC3\xA4se und S\xC3\xBC\xC3\x9F" "es", "Gr\xFCn ist sch\xF6n"}),
              (QStringList{QStringLiteral("Käse und Süßes"), QStringLiteral("Grün ist schön")}));
}

}  // namespace kv::test
