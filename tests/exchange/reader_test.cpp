// The Meal-Master reader on files written for each rule: where a recipe starts and ends,
// its title, categories, servings, ingredient lines, sections, keywords and preparation,
// and what becomes of a recipe that is cut off, too long or refused by the database.

#include "tests/exchange/importfixture.h"

#include <utility>

namespace kv::test {

namespace {

const QByteArray kHeader = "MMMMM----- Recipe via Meal-Master (tm) v8.02\n";

// One recipe: header, title, categories, servings, a blank line, the given lines, "MMMMM".
QByteArray recipe(const QByteArray& title, const QList<QByteArray>& lines, const QByteArray& categories = "Test",
                  const QByteArray& servings = "   Servings:  4")
{
    QByteArray text = kHeader + "\n      Title: " + title + "\n Categories: " + categories + "\n" + servings + "\n\n";
    for (const QByteArray& line : lines) text += line + '\n';
    return text + "\nMMMMM\n";
}

class Reader : public ImportTest {
protected:
    // Imports the text as one file; the rows of the recipes it gave.
    std::vector<QStringList> read(const QByteArray& text, bool firstError = false,
                                  const QString& closing = QStringLiteral("Fertig."))
    {
        const qint64 before = imported().size();
        import(write(QStringLiteral("rezept%1.mmf").arg(++m_files), text), 0, firstError, closing);
        std::vector<QStringList> all;
        for (const qint64 rid : imported().mid(before)) all.push_back(rowsOf(rid));
        return all;
    }
    QString lastPreparation() { return preparationOf(imported().last()); }
    int m_files = 0;
};

}  // namespace

TEST_F(Reader, AnExistingTitleIsFoundAsItWasStoredAfterItsUmlautsWereRestored)
{
    const QByteArray cake = recipe("  Kaesekuchen  ", {"      1 c  Quark"});
    ASSERT_EQ(read(cake).size(), 1u);
    EXPECT_EQ(rowsOf(imported().last()).first(), QString::fromUtf8("Käsekuchen|4|-"));
    // "ignorieren" finds the stored title and skips the recipe, which is no error.
    EXPECT_TRUE(read(cake).empty());
    EXPECT_EQ(count("select count(*) from importerrors"), 0);
    // "einlesen" reads it again.
    skipexisting = false;
    EXPECT_EQ(read(cake).size(), 1u);
}

TEST_F(Reader, TheFirstMappedCategoryIsTheRecipesAndTheOthersBecomeKeywords)
{
    const auto r = read(recipe("Torte", {"      1 c  Mehl"}, "Geburtstag, Kuchen, Cookies, O'Brien's"));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], QStringList({"Torte|4|Kuchen & Torten", "1.1 1 c Mehl", "#Geburtstag", "#O'Brien's"}));
    // A keyword known under an alias is that keyword.
    EXPECT_EQ(read(recipe("Grillteller", {"      1 c  Mehl"}, "Barbecue"))[0].last(), "#Grillfest");
}

TEST_F(Reader, ServingsAreTheFirstNumberOfTheFirstNonEmptyLine)
{
    const QList<std::pair<QByteArray, QString>> cases = {
        {"      Yield: 12 Stück", "12"}, {"   Servings: 0", "4~"}, {"   Servings: 99999", "-"}};
    int n = 0;
    for (const auto& [line, servings] : cases) {
        SCOPED_TRACE(line.constData());
        const auto r = read(recipe("Portionen " + QByteArray::number(++n), {"      1 c  Mehl"}, "Test", line),
                            servings == "-");
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].first().section(u'|', 1, 1), servings);
    }
    // A number the column cannot hold leaves the servings empty and is reported.
    EXPECT_EQ(errorRows().last().section(u'|', 2), "Servings : Fehler 'Überlauf (Zeile 5)'");
}

TEST_F(Reader, IngredientLinesGiveAmountUnitAndText)
{
    const auto r = read(recipe("Zutaten",
                               {"      1 c  Flour",
                                "  1 1/2 c  Sugar",
                                "    0,5 l  Milch",
                                "      2    Eggs",
                                "      3 Eggs large",
                                "      2 Zitronen",
                                "      4 ",
                                "           Salt",
                                "           -to taste",
                                "        pn Pepper",
                                "      1 tb ;Oil",
                                "      2.   Nudeln"}));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], QStringList({"Zutaten|4|-",
                                 "1.1 1 c Flour",
                                 "1.2 1.5 c Sugar",
                                 "1.3 0.5 l Milch",
                                 "1.4 2 - Eggs",
                                 // a word of three letters or more is no unit
                                 "1.5 3 - Eggs large",
                                 // the last word of a line, and an amount alone, are rows too
                                 "1.6 2 - Zitronen",
                                 "1.7 4 - ",
                                 // text from column 12, continued by "-" in column 12
                                 "1.8 - - Salt to taste",
                                 // a unit after an empty amount field
                                 "1.9 - pn Pepper",
                                 "1.10 1 tb Oil",
                                 // "2." is an amount, only "1." starts numbered steps
                                 "1.11 2 - Nudeln",
                                 "#Test"}));
}

TEST_F(Reader, ANumberedFirstStepOrAWordEndsTheIngredients)
{
    auto r = read(recipe("Schritte", {"      1 c  Mehl", "  1. Mehl sieben.", "  2. Backen."}));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].size(), 3);
    EXPECT_EQ(lastPreparation(), "1. Mehl sieben. 2. Backen.");
    r = read(recipe("Prosa", {"      1 c  Mehl", "  Alles verruehren.", "   Neue Zeile.", "", "  Absatz."}));
    EXPECT_EQ(lastPreparation(), QString::fromUtf8("Alles verrühren.\r\nNeue Zeile.\r\nAbsatz."));
}

TEST_F(Reader, SectionLinesOpenPartsWithHeadingsAndCanGiveTheServings)
{
    auto r = read(recipe("Teile",
                         {"      1 c  Zucker",
                          "MMMMM--------------------------teig-------------------------------",
                          "      2 c  Mehl",
                          "      3 c  Milch",
                          "-------------------------------Belag--------------------------------",
                          "      4 c  Obst"}));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], QStringList({"Teile|4|-", "1.1 1 c Zucker", "2.0 TEIG", "2.1 2 c Mehl", "2.2 3 c Milch",
                                 "3.0 BELAG", "3.1 4 c Obst", "#Test"}));

    // Servings not given: a heading naming persons gives them, and no row.
    const QByteArray persons = "MMMMM------------------------fuer 6 Personen---------------------------";
    r = read(recipe("Personen", {persons, "      1 c  Mehl"}, "Test", "   Servings: -"));
    EXPECT_EQ(r[0], QStringList({"Personen|6|-", "1.1 1 c Mehl", "#Test"}));
    // With servings known, or without a number, it is an ordinary heading.
    r = read(recipe("Bekannt", {persons, "      1 c  Mehl"}));
    EXPECT_EQ(r[0].mid(0, 2), QStringList({"Bekannt|4|-", QString::fromUtf8("2.0 FÜR 6 PERSONEN")}));
    r = read(recipe("Ohne Zahl", {"MMMMM------------------------fuer viele Personen---------------------", "      1 c  Mehl"},
                    "Test", "   Servings: -"));
    EXPECT_EQ(r[0].mid(0, 2), QStringList({"Ohne Zahl|4~|-", QString::fromUtf8("2.0 FÜR VIELE PERSONEN")}));
}

TEST_F(Reader, AStichworteLineGivesKeywordsAndLeavesThePreparationWhileOtherKeywordMentionsStay)
{
    auto r = read(recipe("Stich", {"      1 c  Mehl", "  Gut ruehren.", "  Stichworte: Sommer, Schnell ,", "  Dann backen."}));
    ASSERT_EQ(r.size(), 1u);
    // A keyword the cookbook knows in another case is that one.
    EXPECT_EQ(r[0].mid(2), QStringList({"#schnell", "#Sommer", "#Test"}));
    EXPECT_EQ(lastPreparation(), QString::fromUtf8("Gut rühren. Dann backen."));
    // Elsewhere in a line the keywords are taken and the line stays.
    r = read(recipe("Mitten", {"      1 c  Mehl", "  Etwas Text.", "  Gut ruehren. Stichworte: Herbst"}));
    EXPECT_EQ(r[0].mid(2), QStringList({"#Herbst", "#Test"}));
    EXPECT_EQ(lastPreparation(), QString::fromUtf8("Etwas Text. Gut rühren. Stichworte: Herbst"));
    // A recipe without preparation: the keyword line is the first after the ingredients.
    r = read(recipe("Ohne Text", {"      1 c  Mehl", "STICHWORTE: Winter"}));
    EXPECT_EQ(r[0].mid(2), QStringList({"#Test", "#Winter"}));
    EXPECT_EQ(lastPreparation(), QString());
    // A list ended by "*" gives none; the text after the "*" is looked at again.
    r = read(recipe("Stern", {"      1 c  Mehl", "  Etwas Text.", "  Stichworte: Winter * Stichwort: Herbst"}));
    EXPECT_EQ(r[0].mid(2), QStringList({"#Herbst", "#Test"}));
    EXPECT_EQ(lastPreparation(), "Etwas Text. Stichwort: Herbst");
    // The word is found at any place of a line, however much text stands before it, and
    // is not taken where the line ends inside it.
    for (int before = 0; before < 20; ++before) {
        const QByteArray text = QByteArray(before, 'x') + " stichworte: Herbst";
        r = read(recipe("Versetzt " + QByteArray::number(before), {"      1 c  Mehl", "  Etwas Text.", "  " + text}));
        ASSERT_EQ(r.size(), 1u) << before;
        ASSERT_EQ(r[0].mid(2), QStringList({"#Herbst", "#Test"})) << before;
        r = read(recipe("Abgeschnitten " + QByteArray::number(before),
                        {"      1 c  Mehl", "  Etwas Text.", "  " + QByteArray(before, 'x') + " Stichwor"}));
        ASSERT_EQ(r.size(), 1u) << before;
        ASSERT_EQ(r[0].mid(2), QStringList({"#Test"})) << before;
    }
}

TEST_F(Reader, EveryEndMarkerAfterTheIngredientsEndsTheRecipeAndTheNextIsRead)
{
    // A short "MMMMM", "-----" with a blank after it, and the next header itself each end
    // the recipe before; the recipe after is read whole.
    const QByteArray next = kHeader + "      Title: Danach\n Categories: Test\n   Servings: 2\n\n      1 c  Mehl\nMMMMM\n";
    for (const QByteArray& end : {QByteArray("MMMMM"), QByteArray("----- "), QByteArray("   -----"), QByteArray()}) {
        SCOPED_TRACE(end.constData());
        const QByteArray title = "Ende " + QByteArray::number(m_files);
        QByteArray text = kHeader + "      Title: " + title + "\n Categories: Test\n   Servings: 2\n\n      1 c  Zucker\n";
        if (!end.isEmpty()) text += end + '\n';
        const auto r = read(text + next);
        ASSERT_EQ(r.size(), 2u);
        EXPECT_EQ(r[0], QStringList({title + "|2|-", "1.1 1 c Zucker", "#Test"}));
        EXPECT_EQ(preparationOf(imported()[imported().size() - 2]), QString());
        EXPECT_EQ(r[1], QStringList({"Danach|2|-", "1.1 1 c Mehl", "#Test"}));
        skipexisting = false;
    }
    // A header inside the preparation ends that recipe too.
    const auto r = read(recipe("Mit Text", {"      1 c  Zucker", "  Gut ruehren."}).replace("\nMMMMM\n", "\n") + next);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(preparationOf(imported()[imported().size() - 2]), QString::fromUtf8("Gut rühren."));
    EXPECT_EQ(count("select count(*) from importerrors"), 0);
}

TEST_F(Reader, AHeaderBeforeTheTitleStartsTheSearchAgain)
{
    // Text around the recipes, and a header or title alone, give no recipe. A title under
    // a header that was not recognised is named in the error list.
    const auto r = read("Liebe Leute, hier zwei Rezepte:\n" + kHeader + "Kein Titel hier\n" +
                            recipe("Eins", {"      1 c  Mehl"}) +
                            "Dazwischen ein Gruss\n----- kein Rezept -----\n      Title: Nicht dieses\n" +
                            recipe("Zwei", {"      2 c  Milch"}) + "Tschuess\n",
                        true);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0], QStringList({"Eins|4|-", "1.1 1 c Mehl", "#Test"}));
    EXPECT_EQ(r[1], QStringList({"Zwei|4|-", "1.1 2 c Milch", "#Test"}));
    EXPECT_EQ(errorRows(), QStringList({files() + "rezept1.mmf|Eins|Titel : Fehler 'Die Zeilen 13 bis 15 enthalten ein "
                                                  "Rezept, dessen Kopfzeile nicht erkannt wurde, und wurden nicht "
                                                  "gelesen.'"}));
}

TEST_F(Reader, ARecipeCutOffBeforeItsListEndedIsReportedWithItsLineAndNotStored)
{
    // Cut off by the file's end inside the list; cut off by the next header before its
    // servings. The recipe's own error rows stay with the one that says why.
    const QByteArray cut = kHeader + "      Title: Abgeschnitten\n Categories: Test\n   Servings: 2\n\n"
                                     "      1/0 c  Mehl\n      1 c  Zucker\n";
    const QByteArray early = kHeader + "      Title: Zu frueh\n Categories: Test\n";
    EXPECT_TRUE(read(early + cut, true).empty());
    EXPECT_EQ(errorRows(), QStringList({files() + "rezept1.mmf|Zu frueh|Servings : Fehler 'Ein neues Rezept "
                                                  "beginnt, bevor dieses vollständig ist (Zeile 4).'",
                                        files() + "rezept1.mmf|Abgeschnitten|Quantity : Fehler 'Division durch Null "
                                                  "(Zeile 9)'",
                                        files() + "rezept1.mmf|Abgeschnitten|Quantity : Fehler 'Die Datei endet in der "
                                                  "Zutatenliste (Zeile 10).'"}));
    EXPECT_EQ(db().scalar("select rtext from importerrtexte order by errid desc limit 1").toString(),
              "      Title: Abgeschnitten\r\n Categories: Test\r\n   Servings: 2\r\n\r\n"
              "      1/0 c  Mehl\r\n      1 c  Zucker\r\n");
    EXPECT_EQ(count("select count(*) from rezepte where rname in ('Abgeschnitten', 'Zu frueh')"), 0);
    EXPECT_EQ(ui.next, "wizard_importerr");
}

TEST_F(Reader, TheFilesEndNeverLoopsAndARecipeWhoseListEndedIsStored)
{
    const QByteArray head = kHeader + "      Title: Kurz\n Categories: Test\n";
    // An empty servings line, a continuation line at the file's end.
    EXPECT_TRUE(read(head + "\n\n", true).empty());
    EXPECT_TRUE(read(head + "   Servings: 2\n\n      1 c  Mehl\n           -fein").empty());
    EXPECT_EQ(count("select count(*) from importerrors"), 1) << "each run keeps its own errors only";
    // The first preparation line as the file's last line, and "-----" as the last line.
    EXPECT_EQ(read(head + "   Servings: 2\n\n      1 c  Mehl\n  Gut backen.").size(), 1u);
    EXPECT_EQ(lastPreparation(), "Gut backen.");
    skipexisting = false;
    EXPECT_EQ(read(head + "   Servings: 2\n\n      1 c  Mehl\n-----").size(), 1u);
    EXPECT_EQ(count("select count(*) from importerrors"), 0);
}

TEST_F(Reader, ADivisionByZeroAddsNothingAndTheRecipeIsStored)
{
    const auto r = read(recipe("Bruch", {"  1 1/0 c  Mehl", "      2 c  Milch"}), true);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], QStringList({"Bruch|4|-", "1.1 1 c Mehl", "1.2 2 c Milch", "#Test"}));
    const QStringList errors = errorRows();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].section(u'|', 2).startsWith("Quantity : Fehler 'Division durch Null (Zeile 7)"));
    EXPECT_EQ(db().scalar("select rid from importerrors").toLongLong(), imported().last());
}

TEST_F(Reader, ARecipeBeyondTheLimitsIsReportedOnceAndSkipped)
{
    QList<QByteArray> lines;
    for (int i = 0; i <= exchange::kMaxRecipeLines; ++i) lines << "      1 c  Mehl";
    const QByteArray tooLong = QByteArray(exchange::kMaxLineBytes + 10, 'x');
    auto r = read(recipe("Lang", lines) + recipe("Breit", {"      1 c  Mehl", "  " + tooLong}) +
                      recipe("Danach", {"      1 c  Mehl"}),
                  true);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].first(), "Danach|4|-");
    const QStringList errors = errorRows();
    ASSERT_EQ(errors.size(), 2);
    // The title stands in line 3, and the recipe counts its lines from there.
    EXPECT_TRUE(errors[0].endsWith(QStringLiteral("Lang|Quantity : Fehler 'Das Rezept ist zu lang (Zeile %1).'")
                                       .arg(3 + exchange::kMaxRecipeLines)))
        << errors[0].toStdString();
    EXPECT_TRUE(errors[1].endsWith("Breit|Quantity : Fehler 'Zeile 5017 ist zu lang.'")) << errors[1].toStdString();
}

TEST_F(Reader, CancelFinishesTheRecipeBeingReadAndStops)
{
    ui.onEvents = [] { importcancel = true; };
    // The window's first events come before the file; the flag is set afresh for it.
    ui.onIdat = [this](const QString&) { ui.onEvents = [] { importcancel = true; }; importcancel = false; };
    const auto r = read(recipe("Eins", {"      1 c  Mehl"}) + recipe("Zwei", {"      1 c  Mehl"}), false,
                        QStringLiteral("Der Import wurde abgebrochen; bis dahin wurde 1 Rezept gespeichert."));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].first(), "Eins|4|-");
    EXPECT_EQ(ui.irez, "1");
}

TEST_F(Reader, ADatabaseFailureRollsTheRecipeBackReportsItAndForgetsWhatItAdded)
{
    // The database refuses the ingredient line with 13; the recipe's new ingredient and
    // unit go with it, and the next recipe adds them afresh.
    db().execute("create trigger kaputt before insert on zutaten when new.menge = 13 "
                 "begin select raise(abort, 'Dreizehn geht nicht'); end");
    const auto r = read(recipe("Vorher", {"      1 zz Sternfrucht"}) +
                            recipe("Unglueck", {"      1 yy Drachenfrucht", "     13 c  Mehl"}, "Neuland") +
                            recipe("Nachher", {"      2 yy Drachenfrucht"}, "Neuland"),
                        true);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0], QStringList({"Vorher|4|-", "1.1 1 zz Sternfrucht", "#Test"}));
    EXPECT_EQ(r[1], QStringList({"Nachher|4|-", "1.1 2 yy Drachenfrucht", "#Neuland"}));
    EXPECT_EQ(count("select count(*) from zutindex where zutat='Drachenfrucht'"), 1);
    EXPECT_EQ(count("select count(*) from einheiten where ekurz='yy'"), 1);
    EXPECT_EQ(count("select count(*) from stichworte where stichwort='Neuland'"), 1);
    EXPECT_EQ(count("select count(*) from zutaten z left join zutindex i on i.zutid=z.zutid where i.zutid is null"), 0);
    const QStringList errors = errorRows();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QString::fromUtf8("|Unglueck|Zutaten : Fehler '")));
    EXPECT_TRUE(errors[0].contains("Dreizehn geht nicht")) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains("Das Rezept wurde nicht gespeichert (Zeile 12)")) << errors[0].toStdString();
}

TEST_F(Reader, OnlyALineOfMarksEndsTheRecipeAndAHeadingInThePreparationStaysAsALine)
{
    // A heading between two steps is a line of the text; the recipe reads on to its end.
    auto r = read(recipe("Mit Sosse", {"      1 c  Mehl", "  Den Teig kneten.",
                                       "MMMMM-----------------------F\xC3\xBCr die So\xC3\x9F" "e------------------------",
                                       "  Sahne aufkochen."}));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(lastPreparation(), QString::fromUtf8("Den Teig kneten.\r\nFür die Soße\r\nSahne aufkochen."));

    // A rule of dashes and "MMMMM-----" end it when no closing line follows, also with
    // blanks around them, and the text after them is named; shorter dashes and a marker
    // line indented as the export writes one stay text.
    const QByteArray next = recipe("Danach", {"      1 c  Milch"});
    bool said = false;
    for (const QByteArray& end : {QByteArray(77, '-'), QByteArray("MMMMM-----"), QByteArray(" MMMMM  ")}) {
        SCOPED_TRACE(end.constData());
        skipexisting = false;
        const bool rule = end.trimmed() != "MMMMM";
        r = read(kHeader + "      Title: Geteilt\n Categories: Test\n   Servings: 2\n\n      1 c  Mehl\n\n"
                           "  Erster Teil.\n  --\n  -\n     -----\n  Zweiter Teil.\n" +
                     end + "\n  Nicht mehr dabei.\n" + next,
                 rule && !std::exchange(said, true));
        ASSERT_EQ(r.size(), 2u);
        EXPECT_EQ(preparationOf(imported()[imported().size() - 2]),
                  "Erster Teil. -- -\r\n----- Zweiter Teil.");
        EXPECT_EQ(r[1].first(), "Danach|4|-");
        if (rule) {
            EXPECT_EQ(errorRows().value(0).section(u'|', 1),
                      "Geteilt|Rezeptende : Fehler 'Die Zeile 14 steht hinter einer Linie, die das Rezept davor "
                      "beendet hat, und wurde nicht gelesen.'");
        }
    }
    EXPECT_EQ(count("select count(*) from importerrors"), 0);
}

TEST_F(Reader, ShortHeadingsOpenPartsAsLongOnesDo)
{
    const auto r = read(recipe("Kurz", {"      1 c  Mehl", "-----FOR THE SAUCE-----", "      2 c  Milch",
                                        "MMMMM---F\xC3\xBCllung---", "      3 c  Quark", "MMMMM----- Ende -----"}));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], QStringList({"Kurz|4|-", "1.1 1 c Mehl", "2.0 FOR THE SAUCE", "2.1 2 c Milch",
                                 QString::fromUtf8("3.0 FÜLLUNG"), "3.1 3 c Quark", "4.0 ENDE", "#Test"}));
}

TEST_F(Reader, ALineOfOneWordStartsThePreparationWhenItReadsAsItsStart)
{
    // "Zubereitung:" above text, and a sentence of one word, begin the preparation; a title
    // above an amount names a part of the list, and a plain word is an ingredient.
    auto r = read(recipe("Ueberschrift", {"Teig:", "    200 g  Mehl", "Salz", "Zubereitung:", "",
                                          "  Den Teig kneten."}));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], QStringList({QString::fromUtf8("Überschrift|4|-"), "1.1 - - Teig:", "1.2 200 g Mehl",
                                 "1.3 - - Salz", "#Test"}));
    EXPECT_EQ(lastPreparation(), "Zubereitung:\r\nDen Teig kneten.");

    // The file's last line: the recipe is stored with it as its preparation.
    r = read(kHeader + "      Title: Zuletzt\n Categories: Test\n   Servings: 2\n\n      1 c  Mehl\nBacken.");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], QStringList({"Zuletzt|2|-", "1.1 1 c Mehl", "#Test"}));
    EXPECT_EQ(lastPreparation(), "Backen.");

    // A colon at a line's start is a break the writer forced.
    read(recipe("Doppelpunkt", {"      1 c  Mehl", "  Erster Satz.", ":Zweiter Satz.", "  Dritter Satz."}));
    EXPECT_EQ(lastPreparation(), "Erster Satz.\r\nZweiter Satz. Dritter Satz.");
}

TEST_F(Reader, ATagsLineBeforeTheServingsGivesKeywordsAndTheServingsFollowIt)
{
    const QList<std::pair<QByteArray, QStringList>> cases = {
        {"Tags: Sommer, Party\n\n   Servings: 6", {"#Party", "#Sommer", "#Test"}},
        {"  KEYWORDS: Grillfest\n Stichworte: Herbst\n      Yield: 6 Stueck", {"#Grillfest", "#Herbst", "#Test"}},
        {"Menge: 6 Personen", {"#Test"}}};
    int n = 0;
    for (const auto& [lines, keywords] : cases) {
        SCOPED_TRACE(lines.constData());
        const auto r = read(recipe("Markiert " + QByteArray::number(++n), {"      1 c  Mehl"}, "Test", lines));
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].first().section(u'|', 1, 1), "6");
        EXPECT_EQ(r[0].mid(2), keywords);
    }
}

TEST_F(Reader, ACategoryNamedAsTheCookbookNamesItIsThatCategoryAndAnImportKeyComesFirst)
{
    auto r = read(recipe("Fischkuchen", {"      1 c  Mehl"}, "Fisch & Meeresfr\xC3\xBC" "chte, Kuchen & Torten, Abend"));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], QStringList({QString::fromUtf8("Fischkuchen|4|Fisch & Meeresfrüchte"), "1.1 1 c Mehl", "#Abend"}));
    // A keyword named as a category and again in the text is the recipe's once.
    r = read(recipe("Doppelt", {"      1 c  Mehl", "  Backen. Stichworte: Abend, abend"}, "Abend"));
    EXPECT_EQ(r[0].mid(2), QStringList{"#Abend"});
    db().execute("insert into impkat (kimport, kid) values ('Kuchen &', 12)");
    r = read(recipe("Nachtisch", {"      1 c  Mehl"}, "kuchen & torten"));
    EXPECT_EQ(r[0].first(), "Nachtisch|4|Desserts");
}

TEST_F(Reader, IngredientsKeepTheirNamesWhereNoOtherNameMeansTheSame)
{
    const auto r = read(recipe("Gewuerze", {"           Pfeffer", "      1    Knoblauch", "      2    Karotten"}));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].mid(1, 3), QStringList({"1.1 - - Pfeffer", "1.2 1 - Knoblauch", QString::fromUtf8("1.3 2 - Möhren")}));
}

TEST_F(Reader, ARecipeEndsWithItsNewsgroupArticle)
{
    // Articles are handed over with a line of the separator after each. A recipe cut off
    // in its list goes as one cut off by a file's end would; one cut off in its preparation
    // is kept; the next article's mail headers reach no recipe.
    const QByteArray end = QByteArray(1, text::kArticleEnd) + "\r\n";
    const QByteArray headers = "From: koch@example.org\r\nSubject: Rezepte\r\n\r\n";
    const auto r = read(headers + kHeader + "      Title: Halb\n Categories: Test\n   Servings: 2\n\n      1 c  Mehl\n" +
                            end + headers + kHeader + "      Title: Ohne Ende\n Categories: Test\n   Servings: 2\n\n"
                                                      "      1 c  Milch\n\n  Erhitzen.\n" +
                            end + headers + recipe("Ganz", {"      1 c  Quark"}) + end,
                        true);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].first(), "Ohne Ende|2|-");
    EXPECT_EQ(preparationOf(imported().first()), "Erhitzen.");
    EXPECT_EQ(r[1].first(), "Ganz|4|-");
    EXPECT_EQ(errorRows(), QStringList(files() + "rezept1.mmf|Halb|Quantity : Fehler 'Die Datei endet in der "
                                                 "Zutatenliste (Zeile 10).'"));
}

// The same rules after a preparation, in each layout: whether a layout ends its recipe
// there, keeps the text as a divided preparation, or names the text in one error row
// depends on its own closing line ("MMMMM", "-----", or the old layout's long rule).
TEST_F(Reader, EachLayoutEndsDividesOrNamesAtTheSameRulesByItsOwnClosingLine)
{
    const QByteArray rule(77, '-');
    struct Layout {
        QByteArray header;
        QByteArray closing;
    };
    const Layout mmmmm{kHeader, "MMMMM"};
    const Layout via{"---------- Recipe via Meal-Master (tm) v8.02\n", "-----"};
    const Layout old{"------------- Recipe Extracted from Meal-Master (tm) v6.14 ------------------\n", rule};
    const auto named = [](int first, int last) {
        return QStringLiteral("Rezeptende : Fehler 'Die Zeilen %1 bis %2 stehen hinter einer Linie, die das Rezept "
                              "davor beendet hat, und wurden nicht gelesen.'").arg(first).arg(last);
    };
    const QString divided = QStringLiteral("Erster Teil.\r\n-----\r\nZweiter Teil.");
    struct Case {
        const char* shape;
        const Layout* layout;
        QByteArray lines;     // after "Erster Teil." on line 9, before the next recipe
        QString preparation;
        QString error;        // empty: none
    };
    const QByteArray cut = "----------\n  Zweiter Teil.\n\n";
    const QByteArray twoLong = rule + "\n\n  Zweiter Teil.\n\n" + rule + "\n\n";
    const QByteArray shortThenLong = "-----\n  Zweiter Teil.\n\n" + rule + "\n\n";
    const auto closedTwice = [](const Layout& l) { return l.closing + "\n\n  Zweiter Teil.\n\n" + l.closing + "\n\n"; };
    const Case cases[] = {
        // A rule, text and no closing line (a cut article): only the old layout ends there
        // without a word.
        {"cut", &mmmmm, cut, "Erster Teil.", named(11, 12)},
        {"cut", &via, cut, "Erster Teil.", named(11, 12)},
        {"cut", &old, cut, "Erster Teil.", {}},
        // Text between two long rules: the old layout's own closing line closes it again.
        {"two long rules", &mmmmm, twoLong, "Erster Teil.", named(11, 15)},
        {"two long rules", &via, twoLong, "Erster Teil.", named(11, 15)},
        {"two long rules", &old, twoLong, "Erster Teil.", named(11, 13)},
        // "-----", text and a long rule: the end of a "Recipe via", a divider in the old
        // layout, a rule with no "MMMMM" after it in the other.
        {"short then long", &mmmmm, shortThenLong, "Erster Teil.", named(11, 14)},
        {"short then long", &via, shortThenLong, "Erster Teil.", {}},
        {"short then long", &old, shortThenLong, divided, {}},
        // The own closing line twice: the text between is named in every layout.
        {"closed twice", &mmmmm, closedTwice(mmmmm), "Erster Teil.", named(11, 13)},
        {"closed twice", &via, closedTwice(via), "Erster Teil.", named(11, 13)},
        {"closed twice", &old, closedTwice(old), "Erster Teil.", named(11, 13)},
    };
    skipexisting = false;
    bool said = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.shape) + " after " + c.layout->header.trimmed().toStdString());
        const QByteArray head = "\n      Title: %1\n Categories: Test\n   Servings: 2\n\n      1 c  Mehl\n\n";
        const QByteArray text = c.layout->header + QByteArray(head).replace("%1", "Geteilt") + "  Erster Teil.\n" +
                                c.lines + c.layout->header + QByteArray(head).replace("%1", "Danach") +
                                "  Backen.\n" + c.layout->closing + "\n";
        const auto r = read(text, !c.error.isEmpty() && !std::exchange(said, true));
        ASSERT_EQ(r.size(), 2u);
        EXPECT_EQ(preparationOf(imported()[imported().size() - 2]), c.preparation);
        EXPECT_EQ(r[1].first(), "Danach|2|-");
        // Each run keeps its own error rows.
        QStringList errors;
        for (const QString& row : errorRows()) errors << row.section(u'|', 2);
        EXPECT_EQ(errors, c.error.isEmpty() ? QStringList() : QStringList({c.error}));
    }
}

}  // namespace kv::test
