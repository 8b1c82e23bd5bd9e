// Every file of the Meal-Master corpus, imported into the delivered cookbook, against its
// recipes written out by hand from the files: titles, servings, categories, parts,
// amounts, units, ingredients and keywords. The corpus lies beside the project, not in
// it; where it is missing the tests are skipped.

#include "tests/exchange/importfixture.h"

namespace kv::test {

namespace {

QString corpus(const char* file)
{
    return QStringLiteral(KELVOR_CORPUS_DIR "/mealmaster/") + QLatin1String(file);
}

class Corpus : public ImportTest {
protected:
    void SetUp() override
    {
        if (!QDir(corpus("")).exists())
            GTEST_SKIP() << "the Meal-Master corpus is missing: " << KELVOR_CORPUS_DIR "/mealmaster";
        ImportTest::SetUp();
    }
    // Imports a corpus file and gives each imported recipe's rows.
    std::vector<QStringList> importCorpus(const char* file)
    {
        import(corpus(file));
        std::vector<QStringList> all;
        for (const qint64 rid : imported()) all.push_back(rowsOf(rid));
        return all;
    }
    // Where a file's recipe is like those before, its count of rows and the lines that
    // make it different.
    static void expectRows(const QStringList& recipe, qsizetype rows, const QStringList& lines)
    {
        EXPECT_EQ(recipe.size(), rows) << recipe.first().toStdString();
        for (const QString& line : lines) EXPECT_TRUE(recipe.contains(line)) << line.toStdString();
    }
};

}  // namespace

TEST_F(Corpus, GourmetRangesFillingTheAmountFieldStayIngredients)
{
    const auto r = importCorpus("gourmet/mealmaster.mmf");
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0], QStringList({"Almond Mushroom Pate|6|Vorspeisen",
                                 "1.1 - tb 1-2 Margarine",
                                 "1.2 1 sm Onion, Chopped",
                                 "1.3 - - Clove Garlic, Minced",
                                 "1.4 - c 1-1 1/2 Sliced Mushrooms",
                                 "1.5 0.5 ts Tarragon",
                                 "1.6 - c 1/2-1 Blanched Whole Almonds",
                                 "1.7 1 tb Lemon Juice",
                                 "1.8 2 ts Soy Sauce",
                                 "1.9 1 ds White Pepper",
                                 "1.10 2 tb Cream Cheese, Optional *"}));
    // The plain ones between them, by their titles.
    EXPECT_EQ(r[1].first(), "Almond Puff|6|Vorspeisen");
    EXPECT_EQ(r[2].first(), "Almond Stuffed Dates with Bacon|6|Vorspeisen");
    EXPECT_EQ(r[3], QStringList({"Anchovy Olive Dip|6|Saucen & Dips",
                                 "1.1 1 c Dairy sour cream",
                                 "1.2 0.5 c Finely chopped stuffed green olives",
                                 "1.3 1.5 tb Anchovy paste",
                                 "1.4 0.5 ts Grated onion"}));
    EXPECT_EQ(r[4], QStringList({"Anchoyade|6|Vorspeisen",
                                 "1.1 - - Jim Vorheis",
                                 "1.2 4 oz Flat anchovy fillets",
                                 "1.3 2 md Cloves garlic, finely chopped",
                                 "1.4 1 ts Tomato paste",
                                 "1.5 1 tb To 1 1/2 tb olive oil",
                                 "1.6 2 ts Lemon juice (or red wine vinegar)",
                                 "1.7 - - Freshly ground black pepper",
                                 "1.8 - - 8-10 slices French bread, 1/2-inch thick, cut into Strips",
                                 "1.9 1 ts Finely chopped fresh parsley"}));

    const QList<qint64> rids = imported();
    // The ingredient list ends at the first line that is no ingredient; blank lines and
    // lines indented by three make paragraphs, others are joined with a blank.
    EXPECT_TRUE(preparationOf(rids[0]).startsWith(
        "* or Kefir cheese, or Neufchatel cheese GARNISH: Slivered or finely chopped almonds, fresh parsley"));
    EXPECT_TRUE(preparationOf(rids[0]).endsWith("curry powder, or nutmeg."));
    EXPECT_EQ(preparationOf(rids[3]), "Combine ingredients; mix well.  Chill\r\nRandy Rigg");
    EXPECT_EQ(count("select count(*) from importerrors"), 0);
}

TEST_F(Corpus, GourmetTwoColumnsGiveTheLeftColumnOfEachPartFirst)
{
    const auto r = importCorpus("gourmet/mealmaster_2_col.mmf");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], QStringList({"Chiles Rellenos de Queso|2|Vorspeisen",
                                 "1.1 2 - Chiles, calif.; roast & peel",
                                 "1.2 1.333 oz Cheese, monterey jack",
                                 "1.3 - - Oil; for frying",
                                 "1.4 1 - Eggs; separated",
                                 "1.5 0.1875 c Flour, all purpose",
                                 "2.0 TOMATO SAUCE",
                                 "2.1 1.333 sm Tomatoes; peeled",
                                 "2.2 0.3333 sm Onion",
                                 "2.3 0.3333 - Garlic clove",
                                 "2.4 0.3333 tb Oil, vegetable",
                                 "2.5 0.1875 c Chicken broth",
                                 "2.6 0.1875 ts Salt",
                                 "2.7 0.6667 sm Chiles, calif.",
                                 "2.8 - pn Cinnamon, ground",
                                 "2.9 - pn Cloves, ground",
                                 "#Cheese",
                                 "#Mexican"}));
    EXPECT_TRUE(preparationOf(imported()[0]).startsWith("Prepare tomato sauce; keep warm.\r\nCut as small"));
}

TEST_F(Corpus, KrecipesTwoRecipesOfOneTitleAreBothReadWhenExistingOnesAreRead)
{
    skipexisting = false;
    const auto r = importCorpus("krecipes/mmftest.txt");
    ASSERT_EQ(r.size(), 2u);
    // Its unit stands one column to the right of Meal-Master's, so it stays in the text.
    const QStringList cookies = {"Cookies_Test|2|Snacks",
                                 "1.1 1 - c a, or",
                                 "1.2 2 - c b, or",
                                 "1.3 3 - c c",
                                 "2.0 DRY INGREDIENTS",
                                 "2.1 0.75 - c. granulated sugar",
                                 "2.2 1 - c. brown sugar",
                                 "2.3 2 - c. all-purpose flour",
                                 "2.4 1 - tsp. baking soda",
                                 "3.0 FAT & LIQUIDS",
                                 "3.1 1 - c. shortening; softened, at room temperature",
                                 "3.2 1 - c. peanut butter",
                                 "3.3 2 - eggs",
                                 "3.4 1 - tsp. vanilla extract"};
    EXPECT_EQ(r[0], cookies);
    EXPECT_EQ(r[1], cookies);
    EXPECT_EQ(preparationOf(imported()[0]), "Drop by spoonful on greased cookie sheet.  Bake in moderate oven.");
}

TEST_F(Corpus, KrecipesSecondRecipeOfATitleIsSkippedWhenExistingOnesAreIgnored)
{
    EXPECT_EQ(importCorpus("krecipes/mmftest.txt").size(), 1u);
}

TEST_F(Corpus, AHeaderWithoutTitleGivesNoRecipe)
{
    EXPECT_TRUE(importCorpus("mealmaster-distinct/read-recipes.txt").empty());
    EXPECT_EQ(count("select count(*) from importerrors"), 0);
    EXPECT_EQ(ui.next, "wizard_nachimport");
}

TEST_F(Corpus, RecipyaFilesOfEachVersion)
{
    // An empty "Tags:" line between the categories and the servings gives no keyword, and
    // the servings come from "Yield: 36" after it; Cookmate writes its units after the
    // unit column, so they stay in the ingredients' texts.
    auto r = importCorpus("recipya-rs/cookmate.mmf");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], QStringList({"Baklava with Cooky Filling|36|Desserts", "1.1 - - Karen Mintzias",
                                 "1.2 2 - c Sweet butter 1 ts", "1.3 1 - c Confectioners' sugar 4 c Flour",
                                 "1.4 1 - Egg yolk", "1.5 4 - c Granulated sugar 1 c Honey",
                                 "1.6 4 - c Water Lemon juice to taste", "1.7 1 lb Toasted blanched almonds *",
                                 "1.8 0.5 - c Zwieback crumbs 1 lb", "1.9 4 tb Granulated sugar 1 1/2 c", "#Greek"}));
    EXPECT_TRUE(preparationOf(imported().last()).startsWith("*Note: Either toasted blanched almonds"));

    r = importCorpus("recipya-rs/v6_14.mmf");
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1], QStringList({"Poppin' Fresh Barbe Cups|6|-",
                                 "1.1 0.75 lb Ground Beef; Lean",
                                 "1.2 1 tb Onion; Minced",
                                 "1.3 2 tb Brown Sugar",
                                 "1.4 12 ea Biscuits; *",
                                 "1.5 0.5 c Barbecue Sauce; **",
                                 "1.6 0.75 c Cheddar; Sharp, Shredded",
                                 "#Breads Cheese Main d"}));

    r = importCorpus("recipya-rs/v6_20.mmf");
    ASSERT_EQ(r.size(), 3u);
    expectRows(r[2], 13, {"Magic Pan Orange Almond Salad|6|Salate", "1.5 0.5 c Mushrooms; sliced (optional",
                          "1.6 1 $$ Dressing:", "1.9 0.3333 c Oil; vegetable", "1.12 1 ea Egg yolk"});

    // A range that does not fill the amount field starts the preparation.
    r = importCorpus("recipya-rs/v7_01.mmf");
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[3], QStringList({"Old Style Enchiladas|4|Eintöpfe",
                                 "1.1 2 lb Hamburger",
                                 "1.2 16 oz Can tomatoes",
                                 "1.3 2 - Lg. onions, chopped separate",
                                 "1.4 16 oz Can kidney beans, drained",
                                 "1.5 4 tb Chili powder (adjust to tast",
                                 "1.6 1 t Sugar",
                                 "1.7 1 t Salt and pepper to taste",
                                 "1.8 1 - Pkg. corn tortillas",
                                 "1.9 1 lb Cheese, grated"}));
    EXPECT_TRUE(preparationOf(imported().last()).startsWith("1-2 c Oil for cooking corn tortillas Brown hamburger"));

    r = importCorpus("recipya-rs/v7_04.mmf");
    ASSERT_EQ(r.size(), 5u);
    expectRows(r[4], 9, {"Apple Pork Chops|1|Fleisch", "1.3 2 ts Butter salt and pepper to taste", "#Benoit",
                         "#French can"});

    r = importCorpus("recipya-rs/v8_00.mmf");
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(r[5], QStringList({"Chicken Avocado Melt|2|Geflügel",
                                 "1.1 2 - Chicken breast halves",
                                 "1.2 1 tb Cornstarch",
                                 "1.3 0.5 ts Cumin, ground",
                                 "1.4 0.5 ts Garlic salt",
                                 "1.5 0.5 - Egg; lightly beaten",
                                 "1.6 0.5 tb Water",
                                 "1.7 3 tb Cornmeal",
                                 "1.8 1.5 tb Oil",
                                 "1.9 0.5 - Avocado; peeled, sliced",
                                 "1.10 0.75 c Cheese, monterey jack; shredded",
                                 "1.11 0.25 c Sour cream; divided",
                                 "1.12 0.125 c Onion, green, tops only",
                                 "1.13 0.125 - Pepper, red bell; chopped",
                                 "1.14 - - Tomatoes, cherry",
                                 "1.15 - - Parsley sprigs"}));
    // UTF-8: its one non-ASCII character (an ø where a degree sign was meant) is read as one.
    EXPECT_TRUE(preparationOf(imported().last()).contains(QString::fromUtf8("Bake in 350øF oven")));

    r = importCorpus("recipya-rs/v8_01.mmf");
    ASSERT_EQ(r.size(), 7u);
    // The "-" line at the top of the dough's right column continues its left column's
    // last line, which Meal-Master wrapped over.
    EXPECT_EQ(r[6], QStringList({"Cannoli|16|Desserts",
                                 "2.0 FILLING",
                                 "2.1 1.5 c Whole-milk ricotta cheese; well drained",
                                 "2.2 3 tb Sugar",
                                 "2.3 1.5 ts Cinnamon",
                                 "2.4 1.5 c Milk chocolate; coarsely chopped",
                                 "2.5 0.25 c Pistachio nuts; coarsely chopped",
                                 "3.0 DOUGH",
                                 "3.1 1 c All-purpose flour",
                                 "3.2 1 tb Sugar",
                                 "3.3 1 tb Butter or lard",
                                 "3.4 4 tb To 5 Tbl sweet Marsala wine or dry white wine",
                                 "3.5 2 c Vegetable oil",
                                 "3.6 - - Colored sprinkles",
                                 "#Italienisch"}));

    // An ingredient the cookbook knows in another case is that one: "Butter".
    r = importCorpus("recipya-rs/v8_05.mmf");
    ASSERT_EQ(r.size(), 8u);
    expectRows(r[7], 12, {"South of the Border Stew|6|Hauptgerichte", "1.1 0.25 c Butter", "1.7 1 ts salt",
                          "1.9 0.25 ts cumin"});

    // "Cumin" and "Salt" find the "cumin" and "salt" of the stew before.
    r = importCorpus("recipya-rs/v8_06.mmf");
    ASSERT_EQ(r.size(), 9u);
    expectRows(r[8], 25, {"Yellow Rice & Shrimp Casserole|6|Fisch & Meeresfrüchte", "1.9 0.25 ts cumin",
                          "1.13 1 c -Hot water", "1.16 1 tb salt", "1.19 2.5 c -Water", "1.23 - - Parsley bouquets",
                          "#Ethnic"});
    EXPECT_EQ(count("select count(*) from importerrors"), 0);
}

TEST_F(Corpus, NewUnitsAreNamedByTheirCodeAndTeaspoonAndTablespoonStayApart)
{
    import(corpus("recipya-rs/v7_01.mmf"));
    import(corpus("recipya-rs/v6_20.mmf"));
    import(corpus("recipya-rs/v6_14.mmf"));
    // "x" is the cookbook's unit of fixed amounts, found by its name.
    EXPECT_EQ(count(QStringLiteral("select count(*) from einheiten where ename='x'")), 1);
    for (const char* code : {"t", "ea"}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(count(QStringLiteral("select count(*) from einheiten where ekurz='%1' and ename='%1'")
                            .arg(QLatin1String(code))),
                  1);
    }
    EXPECT_NE(db().scalar("select eid from einheiten where ekurz='t'"), db().scalar("select eid from einheiten where ekurz='tb'"));
    const QString tablespoon = write(QStringLiteral("loeffel.mmf"),
                                     "MMMMM----- Recipe via Meal-Master (tm) v8.00\n"
                                     "      Title: Loeffel\n"
                                     " Categories: Test\n"
                                     "   Servings: 2\n"
                                     "\n"
                                     "      1 T  Essig\n"
                                     "      1 t  Salz\n"
                                     "      1 TS Zucker\n"
                                     "MMMMM\n");
    import(tablespoon);
    const qint64 rid = imported().last();
    EXPECT_EQ(rowsOf(rid).mid(1), QStringList({"1.1 1 T Essig", "1.2 1 t Salz", "1.3 1 ts Zucker", "#Test"}));
}

}  // namespace kv::test
