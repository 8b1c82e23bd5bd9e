// Files made by hand as a new user's collection holds them (tests/data/handgemacht), read
// with "einlesen": rules inside a recipe, French words in a DOS file beside Windows files
// with quotes and dashes, German unit names, and what stands between recipes in real
// files and newsgroup articles.

#include "exchange/lookups.h"
#include "platform/textreplace/textfile.h"
#include "tests/exchange/importfixture.h"

#include <QFile>

#include <utility>

namespace kv::test {

namespace {

QString handMade(const QString& name)
{
    return QStringLiteral(KELVOR_TEST_DATA_DIR "/handgemacht/") + name;
}

class HandMadeFiles : public ImportTest {
protected:
    void SetUp() override
    {
        ImportTest::SetUp();
        skipexisting = false;
    }

    // Imports the file under its own name; the rows of each recipe stored, by title.
    QMap<QString, QStringList> imported(const QString& name, bool firstError = false)
    {
        QFile file(handMade(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const qint64 before = ImportTest::imported().size();
        import(write(name, file.readAll()), 0, firstError);
        QMap<QString, QStringList> recipes;
        for (const qint64 rid : ImportTest::imported().mid(before)) {
            QStringList rows = rowsOf(rid);
            rows << preparationOf(rid);
            recipes.insert(rows.first().section(u'|', 0, 0), rows);
        }
        return recipes;
    }
    // The file of one recipe is read in the code page and gives the preparation.
    void expectPreparation(const char* name, text::Encoding encoding, const char* preparation)
    {
        SCOPED_TRACE(name);
        QFile file(handMade(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(text::detectEncoding(file.readAll()), encoding);
        EXPECT_EQ(imported(QString::fromLatin1(name)).first().last(), QString::fromUtf8(preparation));
    }
    // The raw text of each error row, in the order they were written.
    QStringList rawTexts()
    {
        QStringList raw;
        db::Statement st(db(), QStringLiteral("select rtext from importerrtexte order by errid"));
        while (st.step()) raw << st.text(0);
        return raw;
    }
    qint64 units(const char* ename)
    {
        return count(QStringLiteral("select count(*) from einheiten where ename='%1'").arg(QLatin1String(ename)));
    }
};

}  // namespace

TEST_F(HandMadeFiles, ARuleInsideTheListIsDroppedAndTheListGoesOn)
{
    const auto mmmmm = imported(QStringLiteral("linien-mmmmm.mmf"));
    // Karotten are stored as the cookbook names them.
    EXPECT_EQ(mmmmm.value(QStringLiteral("Linsensuppe mit Trennlinien")).mid(1, 6),
              QStringList({"1.1 250 g Linsen, braun", "1.2 1 - Zwiebel", QString::fromUtf8("1.3 2 - Möhren"),
                           QString::fromUtf8("1.4 1 l Gemüsebrühe"), "1.5 2 tb Essig", "1.6 1 ts Salz"}));
    const auto dashes = imported(QStringLiteral("linien-strich.mmf"));
    EXPECT_EQ(dashes.value(QStringLiteral("Apfelmus mit Strich")).mid(1, 3),
              QStringList({QString::fromUtf8("1.1 1 kg Äpfel"), "1.2 100 g Zucker", "1.3 1 - Zitrone; Saft davon"}));
    EXPECT_EQ(errorRows(), QStringList());
}

TEST_F(HandMadeFiles, ARuleInsideThePreparationStaysALineOfItsOwnAndReadingGoesOn)
{
    const QString rule(77, u'-');
    const auto mmmmm = imported(QStringLiteral("linien-mmmmm.mmf"));
    EXPECT_EQ(mmmmm.value(QStringLiteral("Linsensuppe mit Trennlinien")).last(),
              QString::fromUtf8("Die Linsen waschen und abtropfen lassen.\r\n-----\r\nZwiebel und Karotten würfeln und "
                                "mit den Linsen in die Brühe geben.\r\n") +
                  rule + QStringLiteral("\r\nZum Schluss mit Essig und Salz abschmecken."));
    EXPECT_EQ(mmmmm.value(QStringLiteral("Zweiteiliger Auflauf")).last(),
              QStringLiteral("Erster Teil.\r\n-----\r\nZweiter Teil nach dem Strich.\r\n") + rule +
                  QStringLiteral("\r\nNotizen nach der Linie."));
    const auto dashes = imported(QStringLiteral("linien-strich.mmf"));
    EXPECT_EQ(dashes.value(QStringLiteral("Apfelmus mit Strich")).last(),
              QString::fromUtf8("Die Äpfel schälen, vierteln und mit Zucker und Zitronensaft weich kochen.\r\n"
                                "----------\r\nDurch ein Sieb streichen und kalt stellen."));
    EXPECT_EQ(errorRows(), QStringList());
}

// Where the closing line does not follow, or a recipe whose header was not recognised
// stands before it, a rule ends the recipe, and the text after it is named once.
TEST_F(HandMadeFiles, TextAfterARuleThatEndedTheRecipeIsNamedOnce)
{
    const QByteArray header = "MMMMM----- Recipe via Meal-Master (tm) v8.06\n";
    const QByteArray head = "      Title: %1\n Categories: Test\n   Servings: 2\n\n      1 c  Mehl\n\n  Backen.\n";
    const QByteArray text = header + QByteArray(head).replace("%1", "Mit Notiz") + QByteArray(77, '-') +
                            "\n\nEine Notiz zum Rezept.\n----------\n" + header +
                            QByteArray(head).replace("%1", "Ohne Notiz") + QByteArray(35, '-') + "\n\n" + header +
                            QByteArray(head).replace("%1", "Vor fremdem Kopf") + "-----\n" +
                            "Ein anderes Programm:\n      Title: Fremd\n  Lesen.\nMMMMM\n";
    import(write(QStringLiteral("notizen.mmf"), text), 0, true);
    QStringList titles;
    for (const qint64 rid : ImportTest::imported()) titles << rowsOf(rid).first().section(u'|', 0, 0);
    EXPECT_EQ(titles, QStringList({"Mit Notiz", "Ohne Notiz", "Vor fremdem Kopf"}));
    EXPECT_EQ(errorRows(),
              QStringList({files() + "notizen.mmf|Mit Notiz|Rezeptende : Fehler 'Die Zeilen 10 bis 12 stehen hinter "
                                     "einer Linie, die das Rezept davor beendet hat, und wurden nicht gelesen.'",
                           files() + "notizen.mmf|Vor fremdem Kopf|Titel : Fehler 'Die Zeilen 32 bis 35 enthalten ein "
                                     "Rezept, dessen Kopfzeile nicht erkannt wurde, und wurden nicht gelesen.'"}));
    EXPECT_EQ(db().scalar(QStringLiteral("select rtext from importerrtexte order by errid")).toString(),
              QStringLiteral("\r\nEine Notiz zum Rezept.\r\n----------\r\n"));
    EXPECT_EQ(preparationOf(ImportTest::imported().last()), QStringLiteral("Backen."));
}

TEST_F(HandMadeFiles, ADosFileWithFrenchWordEndsIsReadAsDos)
{
    const auto pate = imported(QStringLiteral("pate-850.mmf"));
    ASSERT_EQ(pate.size(), 1);
    const QStringList rows = pate.first();
    EXPECT_EQ(rows.first(), QString::fromUtf8("Pâté de Campagne à la Maison|8|Vorspeisen"));
    EXPECT_EQ(rows.mid(3, 3), QStringList({QString::fromUtf8("1.3 125 ml Rosé"),
                                           QString::fromUtf8("1.4 2 tb Kräuter der Provence"),
                                           QString::fromUtf8("1.5 200 ml Gelée")}));
    EXPECT_TRUE(rows.last().contains(QString::fromUtf8("mit Rosé und Kräuter"))) << rows.last().toStdString();
}

TEST_F(HandMadeFiles, WindowsFilesWithQuotesDashesAndEllipsesAfterWordsStayWindows)
{
    const std::pair<const char*, const char*> files[] = {
        {"zitat-1252.mmf", "Omas „Zitat“-Kuchen"},
        {"ohne-umlaute-1252.mmf", "Brotsalat mit Ciabatta"},
        {"kalter-hund-1252.mmf", "„Kalter Hund“ vom Blech"},
        {"grandma-1252.mmf", "Grandma’s Apple Crumble"}};
    for (const auto& [name, title] : files) {
        SCOPED_TRACE(name);
        QFile file(handMade(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(text::detectEncoding(file.readAll()), text::Encoding::Windows1252);
        const auto recipes = imported(QString::fromLatin1(name));
        ASSERT_EQ(recipes.size(), 1);
        EXPECT_EQ(recipes.firstKey(), QString::fromUtf8(title));
    }
    // A word's é alone shows DOS; the other accents at a word's end do not.
    EXPECT_EQ(text::detectEncoding("Caf\x82, Ros\x82.\r\nPt\x82\r\n"), text::Encoding::Cp850);
    EXPECT_EQ(text::detectEncoding("usw\x85 und so\x85\r\nCr\x8Ame\r\n"), text::Encoding::Windows1252);
    EXPECT_EQ(text::detectEncoding("Ch\x83teau, No\x89l, Ma\x8Bs, C\x93te\r\n"), text::Encoding::Cp850);
    EXPECT_EQ(text::detectEncoding("Wort\x97Wort, Wort\x97Wort\r\n"), text::Encoding::Windows1252);
}

TEST_F(HandMadeFiles, GermanUnitNamesFindTheCookbooksUnitsAndGrStaysItsOwn)
{
    const auto cake = imported(QStringLiteral("einheiten.mmf"));
    ASSERT_EQ(cake.size(), 1);
    EXPECT_EQ(cake.first().mid(1, 9),
              QStringList({"1.1 250 gr Mehl", "1.2 2 tb Butter", "1.3 1 ts Zimt", "1.4 1 pn Salz", "1.5 1 c Milch",
                           "1.6 1 cn Aprikosen", "1.7 1 $$ Backblech, gefettet", "1.8 2 tb Zucker",
                           "1.9 1 ts Backpulver"}));
    EXPECT_EQ(units("EL"), 1);
    EXPECT_EQ(units("TL"), 1);
    EXPECT_EQ(units("x"), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from einheiten where ekurz='gr' and ename='gr'")), 1);
}

TEST_F(HandMadeFiles, WhatStandsBetweenRecipesPassesSilentlyButARecipeWithAHeaderNotRecognised)
{
    const auto recipes = imported(QStringLiteral("zwischen-rezepten.mmf"), true);
    EXPECT_EQ(recipes.keys(),
              QStringList({"Bratapfel", QString::fromUtf8("Grüne Soße"), "Kartoffelpuffer"}));
    EXPECT_EQ(recipes.value(QStringLiteral("Kartoffelpuffer")).last(),
              QString::fromUtf8("Die Kartoffeln reiben, gut ausdrücken, mit Zwiebel und Eiern mischen und in heißem Öl "
                                "ausbacken."));
    EXPECT_EQ(recipes.value(QStringLiteral("Bratapfel")).last(),
              QString::fromUtf8("Die Äpfel aushöhlen, mit Marzipan füllen und 30 Minuten backen."));
    EXPECT_EQ(errorRows(), QStringList({files() + QString::fromUtf8(
                                                     "zwischen-rezepten.mmf|Kartoffelpuffer|Titel : Fehler 'Die "
                                                     "Zeilen 17 bis 32 enthalten ein Rezept, dessen Kopfzeile nicht "
                                                     "erkannt wurde, und wurden nicht gelesen.'")}));
}

TEST_F(HandMadeFiles, NewsArticlesWithTheirHeaderLinesAndSignaturesGiveTheirRecipesAndNoError)
{
    const auto recipes = imported(QStringLiteral("news-uebergabe.txt"));
    EXPECT_EQ(recipes.keys(), QStringList({"Dampfnudeln", QString::fromUtf8("Grießbrei"),
                                           QString::fromUtf8("Linsen mit Spätzle")}));
    EXPECT_EQ(recipes.value(QString::fromUtf8("Grießbrei")).last(),
              QString::fromUtf8("Die Milch aufkochen, den Grieß einrühren und quellen lassen."));
    EXPECT_EQ(errorRows(), QStringList());
}

// Only a line with nothing before its "-" in column 12 goes on with the ingredient above;
// an amount of one or two digits, or a unit alone, makes a line of its own.
TEST_F(HandMadeFiles, AnIngredientBeginningWithADashKeepsItsAmountAndUnit)
{
    const auto rice = imported(QStringLiteral("strich-vor-zutat.mmf"));
    ASSERT_EQ(rice.size(), 1);
    EXPECT_EQ(rice.first().mid(1, 5),
              QStringList({"1.1 1 lb Shrimp, raw shelled, deveined", "1.2 1 c -Hot water",
                           "1.3 12 - -Eier, hart gekocht", "1.4 - ts -Salz", "1.5 0.5 c -Sugar"}));
    EXPECT_EQ(errorRows(), QStringList());
}

// The old layout's header begins with dashes and names no "MMMMM"; its long rule is the
// recipe's own end, and what follows it lies between recipes.
TEST_F(HandMadeFiles, TheOldLayoutEndsAtItsRuleAndItsPostingLinesPassSilently)
{
    const auto recipes = imported(QStringLiteral("alte-form-news.txt"));
    EXPECT_EQ(recipes.keys(), QStringList({"Ofenkartoffeln", "Quarkspeise"}));
    EXPECT_EQ(recipes.value(QStringLiteral("Quarkspeise")).last(), QString::fromUtf8("Den Quark mit dem Honig glatt rühren."));
    EXPECT_EQ(errorRows(), QStringList());
}

TEST_F(HandMadeFiles, TextAfterTheOwnClosingLineIsNamedButARuleAboveItEndsTheRecipeQuietly)
{
    const auto recipes = imported(QStringLiteral("schlusszeilen.mmf"), true);
    EXPECT_EQ(recipes.value(QStringLiteral("Nur ein Teil")).last(), QStringLiteral("Nur ein Teil."));
    EXPECT_EQ(recipes.value(QStringLiteral("Auflauf mit Strich")).last(), QStringLiteral("Erster Teil."));
    EXPECT_EQ(recipes.value(QStringLiteral("Auflauf mit MMMMM")).last(), QStringLiteral("Erster Teil."));
    EXPECT_EQ(errorRows(),
              QStringList({files() + "schlusszeilen.mmf|Auflauf mit Strich|Rezeptende : Fehler 'Die Zeile 26 steht "
                                     "hinter einer Linie, die das Rezept davor beendet hat, und wurde nicht gelesen.'",
                           files() + "schlusszeilen.mmf|Auflauf mit MMMMM|Rezeptende : Fehler 'Die Zeile 39 steht "
                                     "hinter einer Linie, die das Rezept davor beendet hat, und wurde nicht gelesen.'"}));
    EXPECT_EQ(rawTexts(),
              QStringList({"  Zweiter Teil nach dem Strich.\r\n", "  Zweiter Teil nach dem Strich.\r\n"}));
}

TEST_F(HandMadeFiles, WindowsQuotesOpeningWordsStayQuotesAndDosWordsBeginningWithAeStayDos)
{
    const std::pair<const char*, text::Encoding> files[] = {{"anfuehrung-unten-1252.mmf", text::Encoding::Windows1252},
                                                            {"aehnlich-850.mmf", text::Encoding::Cp850}};
    for (const auto& [name, encoding] : files) {
        QFile file(handMade(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(text::detectEncoding(file.readAll()), encoding) << name;
    }
    EXPECT_EQ(imported(QStringLiteral("anfuehrung-unten-1252.mmf")).first().last(),
              QString::fromUtf8("Mit „Omas Dressing” und „Kräutern” servieren."));
    EXPECT_TRUE(imported(QStringLiteral("aehnlich-850.mmf")).first().last().startsWith(
        QString::fromUtf8("Die Kartoffeln kochen, ähnlich wie Salzkartoffeln")));
}

// A "Recipe via" recipe of dashes closes with "-----": where that is missing (a cut
// article), the text after a rule is named, in the file and at its end.
TEST_F(HandMadeFiles, TextAfterARuleOfARecipeViaWithoutItsClosingLineIsNamed)
{
    const auto recipes = imported(QStringLiteral("strich-ohne-schluss.mmf"), true);
    EXPECT_EQ(recipes.keys(), QStringList({"Am Dateiende", "Mit Schluss", "Strich ohne Schluss"}));
    EXPECT_EQ(recipes.value(QStringLiteral("Strich ohne Schluss")).last(), QStringLiteral("Erster Teil."));
    EXPECT_EQ(recipes.value(QStringLiteral("Mit Schluss")).last(), QStringLiteral("Aufkochen."));
    EXPECT_EQ(recipes.value(QStringLiteral("Am Dateiende")).last(), QStringLiteral("Erster Teil."));
    const QString file = files() + "strich-ohne-schluss.mmf|";
    EXPECT_EQ(errorRows(),
              QStringList({file + "Strich ohne Schluss|Rezeptende : Fehler 'Die Zeilen 11 bis 12 stehen hinter einer "
                                  "Linie, die das Rezept davor beendet hat, und wurden nicht gelesen.'",
                           file + "Am Dateiende|Rezeptende : Fehler 'Die Zeile 35 steht hinter einer Linie, die das "
                                  "Rezept davor beendet hat, und wurde nicht gelesen.'"}));
    EXPECT_EQ(rawTexts(), QStringList({"  Zweiter Teil nach der Regel.\r\n\r\n", "  Zweiter Teil am Dateiende.\r\n"}));
}

// The old layout closes its recipes with a long rule: text that a second such rule closes
// is named, and a short "-----" before text and the long rule divides the preparation.
TEST_F(HandMadeFiles, TheOldLayoutNamesTextBetweenItsLongRulesAndKeepsTextAfterAShortOne)
{
    const auto recipes = imported(QStringLiteral("alte-form-regeln.mmf"), true);
    EXPECT_EQ(recipes.keys(), QStringList({"Danach", "Kurzer Strich", "Zwei lange Regeln"}));
    EXPECT_EQ(recipes.value(QStringLiteral("Zwei lange Regeln")).last(), QStringLiteral("Erster Teil."));
    EXPECT_EQ(recipes.value(QStringLiteral("Kurzer Strich")).last(),
              QStringLiteral("Erster Teil der Zubereitung.\r\n-----\r\nZweiter Teil nach dem kurzen Strich."));
    EXPECT_EQ(recipes.value(QStringLiteral("Danach")).last(), QString::fromUtf8("Glatt rühren."));
    // The posting lines after each closing rule pass without a word.
    EXPECT_EQ(errorRows(),
              QStringList({files() + "alte-form-regeln.mmf|Zwei lange Regeln|Rezeptende : Fehler 'Die Zeilen 12 bis "
                                     "14 stehen hinter einer Linie, die das Rezept davor beendet hat, und wurden nicht "
                                     "gelesen.'"}));
    EXPECT_EQ(rawTexts(), QStringList({"\r\n  Zweiter Teil nach der langen Regel.\r\n\r\n"}));
}

// "ö" before "ß" (Größe, größer) is a DOS word, not a Windows quote closing one.
TEST_F(HandMadeFiles, DosWordsWithOeBeforeSzStayDos)
{
    const std::pair<const char*, const char*> files[] = {{"groesse-850.mmf", "Kartoffeln ähnlicher Größe nehmen."},
                                                         {"groesser-850.mmf", "Die älteren Eier größer schneiden."}};
    for (const auto& [name, preparation] : files) expectPreparation(name, text::Encoding::Cp850, preparation);
}

// Windows quotes with no other byte above 127 in the file: closed after a sign, opened on
// one line and closed on the next, opened before a Windows capital umlaut. DOS lines with
// "ä" opening and "ö" ending words stay DOS.
TEST_F(HandMadeFiles, WindowsQuotesAfterSignsOverTwoLinesAndBeforeCapitalUmlautsStayQuotes)
{
    const std::pair<const char*, const char*> files[] = {
        {"anfuehrung-ausruf-1252.mmf", "Dann rufen: „Fertig!” und „Guten Appetit.”"},
        {"anfuehrung-zeilen-1252.mmf", "Mit „Omas Dressing” servieren."},
        {"anfuehrung-umlaut-1252.mmf", "Mit „Äpfeln” und „Omas Dressing” servieren."}};
    for (const auto& [name, preparation] : files) expectPreparation(name, text::Encoding::Windows1252, preparation);
    // A quote open over a line end pairs in every line end, but not over a blank line.
    const QByteArray twoLines = "  Mit \x84Omas\r\n  Dressing\x94 servieren.\r\n";
    for (const char* end : {"\n", "\r"})
        EXPECT_EQ(text::detectEncoding(QByteArray(twoLines).replace("\r\n", end)), text::Encoding::Windows1252) << end;
    EXPECT_EQ(text::detectEncoding(QByteArray(twoLines).replace("Omas\r\n", "Omas\r\n \r\n")), text::Encoding::Cp850);
    for (const char* dos : {"  \x84hnlich wie der \x84lteren Art\r\n",
                            "  gro\xE1" "e Sch\x81ssel, \x84hnlich wie fr\x81her\r\n",
                            "  Die \x84lteren Eier sch\x94n verquirlen.\r\n",
                            "  Die \x84lteren Eier\r\n  sch\x94n verquirlen.\r\n"}) {
        SCOPED_TRACE(dos);
        EXPECT_EQ(text::detectEncoding(QByteArray(dos)), text::Encoding::Cp850);
    }
}

}  // namespace kv::test
