#include "bench/db/gencookbook.h"

#include "core/indizieren.h"
#include "platform/db/database.h"
#include "tests/support/oldschema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <random>
#include <stdexcept>
#include <vector>

namespace kv::bench {

QString deliveredCookbook()
{
    return QStringLiteral(KELVOR_DELIVERED_COOKBOOK);
}

namespace {

// How an ingredient is usually measured; decides unit and amount of a line.
enum class Measure { Weight, Liquid, Piece, Spoon, Spice, Bunch, Pack, Can, Slice };

struct Ingredient {
    const char* name;
    Measure measure;
    const char* variants;  // "|"-separated qualifiers that make further names
};

// A few hundred names arise from these with their variants.
const Ingredient kIngredients[] = {
    {"Mehl", Measure::Weight, "Type 405|Type 550"},
    {"Dinkelmehl", Measure::Weight, ""},
    {"Roggenmehl", Measure::Weight, ""},
    {"Zucker", Measure::Weight, "braun"},
    {"Puderzucker", Measure::Weight, ""},
    {"Butter", Measure::Weight, "weich|kalt|zerlassen"},
    {"Kartoffeln", Measure::Weight, "mehlig kochend|festkochend|vorwiegend festkochend"},
    {"Süßkartoffeln", Measure::Weight, ""},
    {"Möhren", Measure::Weight, "gewürfelt|in Scheiben"},
    {"Tomaten", Measure::Weight, "reif|getrocknet|in Öl"},
    {"Kirschtomaten", Measure::Weight, ""},
    {"Hackfleisch", Measure::Weight, "gemischt"},
    {"Rinderhack", Measure::Weight, ""},
    {"Rindfleisch", Measure::Weight, "aus der Keule|zum Schmoren"},
    {"Schweinefilet", Measure::Weight, ""},
    {"Schweinenacken", Measure::Weight, ""},
    {"Hähnchenbrust", Measure::Weight, "ohne Haut"},
    {"Hähnchenschenkel", Measure::Weight, ""},
    {"Putenbrust", Measure::Weight, "in Streifen"},
    {"Lammkeule", Measure::Weight, ""},
    {"Kasseler", Measure::Weight, ""},
    {"Lachsfilet", Measure::Weight, "ohne Haut|geräuchert"},
    {"Kabeljau", Measure::Weight, ""},
    {"Forelle", Measure::Weight, "geräuchert"},
    {"Garnelen", Measure::Weight, "geschält|roh"},
    {"Speck", Measure::Weight, "durchwachsen|gewürfelt"},
    {"Reis", Measure::Weight, "Basmati|Langkorn|Risotto"},
    {"Spaghetti", Measure::Weight, ""},
    {"Bandnudeln", Measure::Weight, ""},
    {"Penne", Measure::Weight, ""},
    {"Spätzle", Measure::Weight, ""},
    {"Linsen", Measure::Weight, "rot|braun|Beluga"},
    {"Kichererbsen", Measure::Weight, "getrocknet"},
    {"Quark", Measure::Weight, "20 % Fett"},
    {"Magerquark", Measure::Weight, ""},
    {"Schmand", Measure::Weight, ""},
    {"Frischkäse", Measure::Weight, "Doppelrahmstufe"},
    {"Gouda", Measure::Weight, "gerieben|mittelalt"},
    {"Emmentaler", Measure::Weight, "gerieben"},
    {"Parmesan", Measure::Weight, "frisch gerieben|am Stück"},
    {"Mozzarella", Measure::Weight, ""},
    {"Feta", Measure::Weight, ""},
    {"Ziegenkäse", Measure::Weight, ""},
    {"Champignons", Measure::Weight, "braun|in Scheiben"},
    {"Pfifferlinge", Measure::Weight, ""},
    {"Spinat", Measure::Weight, "jung|tiefgekühlt"},
    {"Brokkoli", Measure::Weight, ""},
    {"Blumenkohl", Measure::Weight, ""},
    {"Rosenkohl", Measure::Weight, ""},
    {"grüne Bohnen", Measure::Weight, ""},
    {"Erbsen", Measure::Weight, "tiefgekühlt"},
    {"Kürbis", Measure::Weight, "Hokkaido|Butternut"},
    {"Spargel", Measure::Weight, "weiß|grün"},
    {"Weißkohl", Measure::Weight, ""},
    {"Rotkohl", Measure::Weight, ""},
    {"Sauerkraut", Measure::Weight, ""},
    {"Lauch", Measure::Weight, "in Ringen"},
    {"Knollensellerie", Measure::Weight, ""},
    {"Pastinaken", Measure::Weight, ""},
    {"Rote Bete", Measure::Weight, "gekocht"},
    {"Rucola", Measure::Weight, ""},
    {"Feldsalat", Measure::Weight, ""},
    {"Äpfel", Measure::Weight, "säuerlich|Boskop"},
    {"Birnen", Measure::Weight, ""},
    {"Kirschen", Measure::Weight, "entsteint"},
    {"Erdbeeren", Measure::Weight, ""},
    {"Himbeeren", Measure::Weight, "tiefgekühlt"},
    {"Heidelbeeren", Measure::Weight, ""},
    {"Rhabarber", Measure::Weight, ""},
    {"Zwetschgen", Measure::Weight, ""},
    {"Mandeln", Measure::Weight, "gemahlen|gehobelt|ganz"},
    {"Haselnüsse", Measure::Weight, "gemahlen|gehackt"},
    {"Walnüsse", Measure::Weight, "grob gehackt"},
    {"Rosinen", Measure::Weight, ""},
    {"Zartbitterschokolade", Measure::Weight, "70 %"},
    {"Kuvertüre", Measure::Weight, "weiß|Vollmilch"},
    {"Haferflocken", Measure::Weight, "zart|kernig"},
    {"Grieß", Measure::Weight, ""},
    {"Semmelbrösel", Measure::Weight, ""},
    {"Couscous", Measure::Weight, ""},
    {"Bulgur", Measure::Weight, ""},
    {"Polenta", Measure::Weight, ""},
    {"Marzipanrohmasse", Measure::Weight, ""},
    {"Joghurt", Measure::Weight, "griechisch|natur"},
    {"Bratwurst", Measure::Weight, ""},
    {"Kochschinken", Measure::Weight, "gewürfelt"},
    {"Milch", Measure::Liquid, "lauwarm|fettarm"},
    {"Sahne", Measure::Liquid, ""},
    {"Schlagsahne", Measure::Liquid, ""},
    {"Gemüsebrühe", Measure::Liquid, "heiß"},
    {"Fleischbrühe", Measure::Liquid, ""},
    {"Hühnerbrühe", Measure::Liquid, ""},
    {"Rinderfond", Measure::Liquid, ""},
    {"Weißwein", Measure::Liquid, "trocken"},
    {"Rotwein", Measure::Liquid, "trocken"},
    {"Apfelsaft", Measure::Liquid, "naturtrüb"},
    {"Orangensaft", Measure::Liquid, "frisch gepresst"},
    {"Wasser", Measure::Liquid, "lauwarm|kalt"},
    {"Buttermilch", Measure::Liquid, ""},
    {"Kokosmilch", Measure::Liquid, ""},
    {"Hafermilch", Measure::Liquid, ""},
    {"Eier", Measure::Piece, "Größe M|hart gekocht"},
    {"Eigelb", Measure::Piece, ""},
    {"Eiweiß", Measure::Piece, ""},
    {"Zwiebeln", Measure::Piece, "rot|fein gewürfelt"},
    {"Gemüsezwiebel", Measure::Piece, ""},
    {"Schalotten", Measure::Piece, ""},
    {"Knoblauchzehen", Measure::Piece, "gepresst|fein gehackt"},
    {"Zitronen", Measure::Piece, "unbehandelt"},
    {"Orangen", Measure::Piece, "unbehandelt"},
    {"Limetten", Measure::Piece, ""},
    {"Paprikaschoten", Measure::Piece, "rot|gelb|grün"},
    {"Zucchini", Measure::Piece, ""},
    {"Auberginen", Measure::Piece, ""},
    {"Salatgurke", Measure::Piece, ""},
    {"Avocados", Measure::Piece, "reif"},
    {"Bananen", Measure::Piece, "reif"},
    {"Lorbeerblätter", Measure::Piece, ""},
    {"Chilischoten", Measure::Piece, "rot|entkernt"},
    {"Frühlingszwiebeln", Measure::Piece, ""},
    {"Brötchen", Measure::Piece, "vom Vortag"},
    {"Gewürzgurken", Measure::Piece, ""},
    {"Gewürznelken", Measure::Piece, ""},
    {"Zimtstangen", Measure::Piece, ""},
    {"Sternanis", Measure::Piece, ""},
    {"Vanilleschote", Measure::Piece, ""},
    {"Tortillas", Measure::Piece, ""},
    {"Blatt Gelatine", Measure::Piece, "weiß"},
    {"Mango", Measure::Piece, "reif"},
    {"Olivenöl", Measure::Spoon, "nativ extra"},
    {"Rapsöl", Measure::Spoon, ""},
    {"Sonnenblumenöl", Measure::Spoon, ""},
    {"Butterschmalz", Measure::Spoon, ""},
    {"Weißweinessig", Measure::Spoon, ""},
    {"Aceto balsamico", Measure::Spoon, ""},
    {"Apfelessig", Measure::Spoon, ""},
    {"Senf", Measure::Spoon, "mittelscharf|körnig"},
    {"Tomatenmark", Measure::Spoon, ""},
    {"Honig", Measure::Spoon, "flüssig"},
    {"Sojasauce", Measure::Spoon, "hell|dunkel"},
    {"Ketchup", Measure::Spoon, ""},
    {"Mayonnaise", Measure::Spoon, ""},
    {"Crème fraîche", Measure::Spoon, ""},
    {"saure Sahne", Measure::Spoon, ""},
    {"Kapern", Measure::Spoon, ""},
    {"Zitronensaft", Measure::Spoon, ""},
    {"Ahornsirup", Measure::Spoon, ""},
    {"Erdnussbutter", Measure::Spoon, ""},
    {"Sesam", Measure::Spoon, "geröstet"},
    {"Pinienkerne", Measure::Spoon, ""},
    {"Speisestärke", Measure::Spoon, ""},
    {"Kakaopulver", Measure::Spoon, ""},
    {"Konfitüre", Measure::Spoon, "Aprikose|Erdbeer"},
    {"Salz", Measure::Spice, "grob"},
    {"Pfeffer", Measure::Spice, "frisch gemahlen|weiß"},
    {"Muskatnuss", Measure::Spice, "frisch gerieben"},
    {"Paprikapulver", Measure::Spice, "edelsüß|rosenscharf|geräuchert"},
    {"Currypulver", Measure::Spice, ""},
    {"Kreuzkümmel", Measure::Spice, "gemahlen"},
    {"Zimt", Measure::Spice, ""},
    {"Oregano", Measure::Spice, "getrocknet"},
    {"Thymian", Measure::Spice, "getrocknet|frisch"},
    {"Majoran", Measure::Spice, "getrocknet"},
    {"Rosmarin", Measure::Spice, "frisch|getrocknet"},
    {"Kümmel", Measure::Spice, ""},
    {"Chiliflocken", Measure::Spice, ""},
    {"Backpulver", Measure::Spice, ""},
    {"Natron", Measure::Spice, ""},
    {"Cayennepfeffer", Measure::Spice, ""},
    {"Kurkuma", Measure::Spice, "gemahlen"},
    {"Ingwer", Measure::Spice, "frisch gerieben|gemahlen"},
    {"Koriandersaat", Measure::Spice, ""},
    {"Kräuter der Provence", Measure::Spice, ""},
    {"Petersilie", Measure::Bunch, "glatt|kraus"},
    {"Schnittlauch", Measure::Bunch, ""},
    {"Dill", Measure::Bunch, ""},
    {"Basilikum", Measure::Bunch, ""},
    {"Koriandergrün", Measure::Bunch, ""},
    {"Minze", Measure::Bunch, ""},
    {"Radieschen", Measure::Bunch, ""},
    {"Suppengrün", Measure::Bunch, ""},
    {"Vanillezucker", Measure::Pack, "Bourbon"},
    {"Trockenhefe", Measure::Pack, ""},
    {"Blätterteig", Measure::Pack, "aus dem Kühlregal"},
    {"Sahnesteif", Measure::Pack, ""},
    {"Puddingpulver", Measure::Pack, "Vanille|Schokolade"},
    {"Tomaten, gehackt", Measure::Can, ""},
    {"Kidneybohnen", Measure::Can, ""},
    {"Mais", Measure::Can, ""},
    {"Thunfisch", Measure::Can, "im eigenen Saft"},
    {"Pfirsiche", Measure::Can, ""},
    {"Ananas", Measure::Can, "in Stücken"},
    {"Mandarinen", Measure::Can, ""},
    {"Toastbrot", Measure::Slice, "Vollkorn"},
    {"Frühstücksspeck", Measure::Slice, ""},
    {"Butterkäse", Measure::Slice, ""},
    {"Salami", Measure::Slice, ""},
    {"Bergkäse", Measure::Slice, ""},
};

struct Dish {
    const char* noun;  // appended to a stem: "Kartoffel" + "suppe"
    int kid;           // category of the delivered cookbook
    bool baked;
};

const Dish kDishes[] = {
    {"suppe", 2, false},      {"cremesuppe", 2, false}, {"salat", 3, false},     {"auflauf", 19, true},
    {"gratin", 19, true},     {"eintopf", 21, false},   {"kuchen", 13, true},    {"torte", 13, true},
    {"tarte", 13, true},      {"pfanne", 4, false},     {"ragout", 5, false},    {"curry", 4, false},
    {"risotto", 20, false},   {"quiche", 4, true},      {"strudel", 12, true},   {"muffins", 14, true},
    {"plätzchen", 14, true},  {"brot", 15, true},       {"brötchen", 15, true},  {"creme", 12, false},
    {"sorbet", 12, false},    {"sauce", 11, false},     {"dip", 11, false},      {"pesto", 11, false},
    {"marmelade", 17, false}, {"chutney", 17, false},   {"puffer", 10, false},   {"knödel", 10, false},
    {"püree", 10, false},     {"spieße", 4, false},     {"bowl", 8, false},      {"smoothie", 16, false},
    {"limonade", 16, false},  {"schnitzel", 5, false},  {"frikadellen", 5, false}, {"lasagne", 20, true},
    {"nudeln", 20, false},    {"pizza", 4, true},       {"waffeln", 12, false},  {"happen", 1, false},
};

const char* const kStems[] = {
    "Kartoffel", "Tomaten",  "Kürbis",   "Linsen",     "Erbsen",     "Brokkoli", "Spargel",   "Pilz",
    "Zwiebel",   "Möhren",   "Hähnchen", "Rinder",     "Lachs",      "Gemüse",   "Käse",      "Apfel",
    "Kirsch",    "Zitronen", "Nuss",     "Schoko",     "Erdbeer",    "Bohnen",   "Paprika",   "Zucchini",
    "Spinat",    "Lauch",    "Sellerie", "Kräuter",    "Knoblauch",  "Puten",    "Schinken",  "Mango",
    "Bananen",   "Rhabarber", "Quark",   "Mohn",       "Walnuss",    "Feta",     "Blumenkohl", "Kokos",
    "Rote-Bete-", "Ingwer",  "Bärlauch", "Pfifferling", "Sauerkraut", "Zwetschgen", "Honig",  "Senf",
};

const char* const kSuffixes[] = {
    " mit Speck",       " mit frischen Kräutern", " nach Omas Art",        " vom Blech",
    " aus dem Ofen",    " mit Sahne",             " mit Parmesan",         " mit Zitrone",
    " mit Knoblauch",   " mit Ingwer",            " nach Art des Hauses",  " mit Walnüssen",
    " mit Feta",        " mit Minze",             " mit Chili",            " mit Honig",
    " mit Senf",        " mit Joghurt",           " mit Sesam",            " mit Äpfeln",
    " auf badische Art", " auf italienische Art", " auf provenzalische Art", " mit Kokosmilch",
    " mit Croûtons",    " mit Vanillesauce",      " mit Streuseln",        " mit Schmand",
    " für Eilige",      " wie in Wien",
};

const char* const kOwners[] = {"Omas ", "Opas ", "Mamas ", "Annas ", "Pauls ", "Tante Lenes ", "Onkel Bernds "};

const char* const kHeadings[] = {"Für den Teig",    "Für die Füllung", "Für die Sauce",  "Für das Dressing",
                                 "Für den Belag",   "Zum Garnieren",   "Für die Creme",  "Für die Marinade",
                                 "Für die Streusel", "Außerdem"};

const char* const kComments[] = {
    "schmeckt auch kalt",      "gut vorzubereiten",       "für Gäste",           "Lieblingsrezept",
    "nochmal probieren",       "mit weniger Zucker",      "Kinder mögen es",     "doppelte Menge machen",
    "etwas aufwendig",         "von Tante Hilde",         "aus dem Urlaub",      "sehr gut",
    "weniger Salz nehmen",     "mit Dinkelmehl probiert", "lässt sich einfrieren", "braucht Zeit",
    "für die Party",           "Sonntagsessen",           "schnell gemacht",     "zu Weihnachten",
};

const char* const kFreeKeywords[] = {
    "Party",    "Kinder",       "Buffet",      "Picknick",    "Low Carb",   "glutenfrei", "laktosefrei",
    "scharf",   "Resteverwertung", "Vorrat",   "Brunch",      "Fingerfood", "vegan",      "Gäste",
    "Camping",  "Mikrowelle",   "Dampfgarer",  "Schmortopf",  "Büro",       "Abendbrot",  "Silvester",
    "Muttertag", "Ramadan",     "Oktoberfest", "Sommerfest",  "Kaffeetafel", "Diät",      "eiweißreich",
};

const char* const kOpenings[] = {
    "%1 und %2 putzen, waschen und in mundgerechte Stücke schneiden.",
    "%1 schälen und in feine Würfel schneiden.",
    "Den Backofen auf %4 °C vorheizen und eine Form fetten.",
    "%1 in etwas Öl bei mittlerer Hitze anbraten.",
    "Zuerst %1 vorbereiten und bereitstellen, dann %2 grob hacken.",
    "%1 mit %2 in einer Schüssel gründlich verrühren.",
};

const char* const kMiddles[] = {
    "%2 zugeben und etwa %5 Minuten mitgaren.",
    "Mit %3 ablöschen und kurz aufkochen lassen.",
    "Alles gut vermengen und %5 Minuten ziehen lassen.",
    "Die Masse in die vorbereitete Form füllen und glatt streichen.",
    "%3 unterheben und die Mischung kräftig würzen.",
    "Bei schwacher Hitze zugedeckt %5 Minuten köcheln lassen, dabei gelegentlich umrühren.",
    "%1 herausnehmen, warm halten und im Bratensatz %3 anschwitzen.",
};

const char* const kEndings[] = {
    "Mit Salz und Pfeffer abschmecken und heiß servieren.",
    "Im Ofen etwa %5 Minuten backen, bis die Oberfläche goldbraun ist.",
    "Vor dem Servieren mit frischen Kräutern bestreuen.",
    "Etwas abkühlen lassen und in Stücke schneiden.",
    "Dazu passen Brot, Reis oder ein frischer Salat.",
    "Gut gekühlt servieren; hält sich zwei Tage im Kühlschrank.",
};

// Heading texts of old cookbooks that name no usable number of servings.
const char* const kServingsWithoutNumber[] = {"Für einige Personen", "Personen nach Belieben", "Für viele Personen"};

// Ingredient lines (not headings) that mention persons and a number.
const char* const kLinesNamingPersons[] = {"Brötchen, 1 je 2 Personen", "Eier, 2 für 4 Personen",
                                           "Würstchen, 3 für 2 Personen"};

struct NamedIngredient {
    qint64 zutid;
    QString shortName;  // without the qualifier, for the preparation text
    Measure measure;
};

class Generator {
public:
    Generator(db::Database& db, unsigned seed) : m_db(db), m_rng(seed) {}

    void run(int recipes)
    {
        loadUnits();
        addIngredients();
        addComments();
        addKeywords();
        addImportFiles();
        addRecipes(recipes);
    }

    // Recipes as an old version stored them, for a cookbook made by generateOldCookbook.
    void runOld(int recipes)
    {
        loadUnits();
        addIngredients();
        addComments();
        addKeywords();
        addImportFiles();
        addOldRecipes(recipes);
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_rng); }
    template <typename T, size_t N>
    const T& pickOf(const T (&items)[N])
    {
        return items[pick(int(N))];
    }
    template <typename T>
    const T& pickOf(const std::vector<T>& items)
    {
        return items[size_t(pick(int(items.size())))];
    }

    qint64 nextId(const QString& sql) { return m_db.scalar(sql).toLongLong() + 1; }

    void loadUnits()
    {
        db::Statement st(m_db, QStringLiteral("select ekurz, eid from einheiten"));
        while (st.step()) m_units.insert(st.text(0), st.int64(1));
    }

    QVariant unit(const char* code) const
    {
        const auto it = m_units.constFind(QLatin1String(code));
        return it == m_units.cend() ? QVariant() : QVariant(*it);
    }

    void addIngredients()
    {
        QHash<QString, qint64> known;
        {
            db::Statement st(m_db, QStringLiteral("select zutat, zutid from zutindex"));
            while (st.step()) known.insert(st.text(0), st.int64(1));
        }
        qint64 id = nextId(QStringLiteral("select max(zutid) from zutindex"));
        db::Statement insert(m_db, QStringLiteral("insert into zutindex (zutid, zutat) values (?, ?)"));
        const auto add = [&](const QString& name, const QString& shortName, Measure measure) {
            auto it = known.constFind(name);
            qint64 zutid;
            if (it != known.cend()) {
                zutid = *it;
            } else {
                zutid = id++;
                insert.bind(1, zutid);
                insert.bind(2, name);
                insert.step();
                insert.reset();
                known.insert(name, zutid);
            }
            m_ingredients.push_back({zutid, shortName, measure});
        };
        for (const Ingredient& ingredient : kIngredients) {
            const QString base = QString::fromUtf8(ingredient.name);
            add(base, base, ingredient.measure);
            const QString variants = QString::fromUtf8(ingredient.variants);
            if (variants.isEmpty()) continue;
            for (const QString& variant : variants.split(u'|'))
                add(base + QStringLiteral(", ") + variant, base, ingredient.measure);
        }
        for (size_t i = 0; i < m_ingredients.size(); ++i) {
            if (m_ingredients[i].shortName == QLatin1String("Salz")) m_salt = i;
            if (m_ingredients[i].shortName == QLatin1String("Pfeffer")) m_pepper = i;
        }
    }

    void addComments()
    {
        qint64 id = nextId(QStringLiteral("select max(komid) from komment"));
        db::Statement insert(m_db, QStringLiteral("insert into komment (komid, komment) values (?, ?)"));
        for (const char* text : kComments) {
            insert.bind(1, id);
            insert.bind(2, QString::fromUtf8(text));
            insert.step();
            insert.reset();
            m_comments.push_back(id++);
        }
    }

    void addKeywords()
    {
        {
            db::Statement st(m_db, QStringLiteral("select sid from stichworte where ebene >= 1 and ebene < 200"));
            while (st.step()) m_keywords.push_back(st.int64(0));
        }
        // Keywords the import made from category words it could not map stay unplaced.
        db::Statement insert(m_db, QStringLiteral("insert into stichworte (stichwort) values (?)"));
        for (const char* text : kFreeKeywords) {
            insert.bind(1, QString::fromUtf8(text));
            insert.step();
            insert.reset();
        }
        db::Statement st(m_db, QStringLiteral("select sid from stichworte where ebene is null"));
        while (st.step()) m_freeKeywords.push_back(st.int64(0));
    }

    void addImportFiles()
    {
        const qint64 first = std::max<qint64>(301, nextId(QStringLiteral("select max(did) from importdateien")));
        db::Statement insert(m_db, QStringLiteral("insert into importdateien (did, dname) values (?, ?)"));
        constexpr int files = 400;
        for (int i = 0; i < files; ++i) {
            const QString name =
                i % 10 == 9 ? QStringLiteral("Newsgroup-Import %1.%2.2019 %3:%4:%5")
                                  .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                                  .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                  .arg(8 + i % 14, 2, 10, QLatin1Char('0'))
                                  .arg(i % 60, 2, 10, QLatin1Char('0'))
                                  .arg((i * 7) % 60, 2, 10, QLatin1Char('0'))
                            : QStringLiteral("/home/kelvor/rezepte/sammlung-%1/teil-%2.mmf")
                                  .arg(i / 40 + 1, 2, 10, QLatin1Char('0'))
                                  .arg(i, 3, 10, QLatin1Char('0'));
            insert.bind(1, first + i);
            insert.bind(2, name);
            insert.step();
            insert.reset();
            m_files.push_back(first + i);
        }
        const QVariant own =
            m_db.scalar(QStringLiteral("select did from importdateien where dname = 'Selbst eingegeben'"));
        if (own.isValid()) {
            m_ownFile = own.toLongLong();
        } else {
            m_ownFile = first + files;
            insert.bind(1, m_ownFile);
            insert.bind(2, QStringLiteral("Selbst eingegeben"));
            insert.step();
            insert.reset();
        }
    }

    QString title(const Dish& dish)
    {
        QString noun = QString::fromUtf8(dish.noun);
        const QString stem = QString::fromUtf8(pickOf(kStems));
        if (stem.endsWith(u'-')) noun[0] = noun[0].toUpper();
        QString name = stem + noun;
        if (chance(0.08)) name.prepend(QString::fromUtf8(pickOf(kOwners)));
        if (chance(0.55)) name += QString::fromUtf8(pickOf(kSuffixes));
        return name;
    }

    // Amount and unit code as a cook would write them for this kind of ingredient;
    // no code for a line without unit.
    std::pair<QVariant, const char*> measure(Measure kind)
    {
        static constexpr std::array<double, 10> grams = {50, 100, 125, 150, 200, 250, 300, 400, 500, 750};
        static constexpr std::array<double, 6> millilitres = {50, 100, 125, 200, 250, 500};
        static constexpr std::array<double, 8> spoons = {0.5, 1, 1, 1, 2, 2, 3, 1.5};
        static constexpr std::array<double, 8> pieces = {0.5, 1, 1, 1, 2, 2, 3, 4};
        const auto any = [this](const auto& values) { return QVariant(values[size_t(pick(int(values.size())))]); };
        switch (kind) {
        case Measure::Weight:
            if (chance(0.15)) return {QVariant(std::array<double, 4>{0.5, 1, 1.5, 2}[size_t(pick(4))]), "kg"};
            return {any(grams), "g"};
        case Measure::Liquid:
            if (chance(0.3)) return {QVariant(std::array<double, 5>{0.25, 0.5, 1, 1.5, 1.0 / 3}[size_t(pick(5))]), "l"};
            if (chance(0.15)) return {any(spoons), "tb"};
            return {any(millilitres), "ml"};
        case Measure::Piece:
            if (chance(0.05)) return {QVariant(), nullptr};
            return {any(pieces), nullptr};
        case Measure::Spoon:
            if (chance(0.08)) return {QVariant(2.0 / 3), "tb"};
            return {any(spoons), chance(0.7) ? "tb" : "ts"};
        case Measure::Spice:
            if (chance(0.45)) return {QVariant(), nullptr};
            if (chance(0.5)) return {QVariant(1.0), "pn"};
            return {QVariant(std::array<double, 4>{0.25, 0.5, 1, 1.0 / 3}[size_t(pick(4))]), "ts"};
        case Measure::Bunch:
            return {QVariant(std::array<double, 3>{0.5, 1, 2}[size_t(pick(3))]), "bn"};
        case Measure::Pack:
            return {QVariant(double(1 + pick(2))), "pk"};
        case Measure::Can:
            return {QVariant(double(1 + pick(2))), "cn"};
        case Measure::Slice:
            return {QVariant(double(2 * (1 + pick(4)))), "sl"};
        }
        return {QVariant(), nullptr};
    }

    QString preparation(const std::vector<size_t>& lines, const Dish& dish)
    {
        const auto name = [&](int k) { return m_ingredients[lines[size_t(k) % lines.size()]].shortName; };
        const auto fill = [&](const char* pattern) {
            QString sentence = QString::fromUtf8(pattern);
            sentence.replace(QLatin1String("%1"), name(0));
            sentence.replace(QLatin1String("%2"), name(1));
            sentence.replace(QLatin1String("%3"), name(2));
            sentence.replace(QLatin1String("%4"), QString::number(160 + 10 * pick(7)));
            sentence.replace(QLatin1String("%5"), QString::number(5 + 5 * pick(8)));
            sentence[0] = sentence[0].toUpper();
            return sentence;
        };
        QStringList sentences;
        sentences << fill(pickOf(kOpenings));
        const int middles = 1 + pick(3);
        for (int i = 0; i < middles; ++i) sentences << fill(pickOf(kMiddles));
        sentences << fill(dish.baked ? kEndings[1] : pickOf(kEndings));
        // Paragraphs as typed: a line break after some sentences.
        QString text = sentences.takeFirst();
        for (const QString& sentence : sentences) text += (chance(0.3) ? u'\n' : u' ') + sentence;
        return text;
    }

    // Five to fifteen ingredients, often ending in salt and pepper.
    void pickLines(std::vector<size_t>& lines)
    {
        const int count = 5 + pick(11);
        lines.clear();
        for (int i = 0; i < count; ++i) {
            size_t k;
            do k = size_t(pick(int(m_ingredients.size())));
            while (k == m_salt || k == m_pepper);
            lines.push_back(k);
        }
        if (chance(0.6)) lines.push_back(m_salt);
        if (chance(0.5)) lines.push_back(m_pepper);
    }

    void addRecipes(int recipes)
    {
        qint64 rid = nextId(QStringLiteral("select max(rid) from rezepte"));
        db::Statement rezept(m_db, QStringLiteral("insert into rezepte (rid, rname, port, ungenau, kid, komid, did) "
                                                  "values (?, ?, ?, ?, ?, ?, ?)"));
        db::Statement zutat(m_db, QStringLiteral("insert into zutaten (rid, tid, nr, eid, menge, zutid) "
                                                 "values (?, ?, ?, ?, ?, ?)"));
        db::Statement zubereit(m_db, QStringLiteral("insert into zubereit (rid, ztext) values (?, ?)"));
        db::Statement stich(m_db, QStringLiteral("insert into rezstich (rid, sid) values (?, ?)"));
        db::Statement heading(m_db, QStringLiteral("insert into zutindex (zutat) select ? where not exists "
                                                   "(select 1 from zutindex where zutat = ?)"));
        QHash<QString, qint64> headings;
        for (const char* text : kHeadings) {
            const QString h = QString::fromUtf8(text);
            heading.bind(1, h);
            heading.bind(2, h);
            heading.step();
            heading.reset();
            headings.insert(h, m_db.scalar(QStringLiteral("select zutid from zutindex where zutat = %1")
                                               .arg(db::sqlQuote(h)))
                                   .toLongLong());
        }
        static constexpr std::array<int, 20> servings = {2, 2, 2, 2, 4, 4, 4, 4, 4, 4, 4, 4, 6, 6, 6, 8, 1, 3, 10, 12};

        std::vector<size_t> lines;
        for (int n = 0; n < recipes; ++n, ++rid) {
            const Dish& dish = pickOf(kDishes);
            rezept.bind(1, rid);
            rezept.bind(2, title(dish));
            rezept.bind(3, servings[size_t(pick(int(servings.size())))]);
            rezept.bind(4, chance(0.03) ? 1 : 0);
            rezept.bind(5, chance(0.04) ? QVariant() : QVariant(dish.kid));
            rezept.bind(6, chance(0.08) ? QVariant(pickOf(m_comments)) : QVariant());
            rezept.bind(7, chance(0.05) ? m_ownFile : pickOf(m_files));
            rezept.step();
            rezept.reset();

            pickLines(lines);

            const bool twoParts = chance(0.25) && lines.size() >= 6;
            const size_t split = twoParts ? lines.size() / 2 : lines.size();
            int tid = 1, nr = 1;
            const auto writeHeading = [&](int part) {
                zutat.bind(1, rid);
                zutat.bind(2, part);
                zutat.bind(3, 0);
                zutat.bind(4, QVariant());
                zutat.bind(5, QVariant());
                zutat.bind(6, headings.value(QString::fromUtf8(pickOf(kHeadings))));
                zutat.step();
                zutat.reset();
            };
            if (twoParts) writeHeading(1);
            for (size_t i = 0; i < lines.size(); ++i) {
                if (twoParts && i == split) {
                    tid = 2;
                    nr = 1;
                    writeHeading(2);
                }
                const NamedIngredient& ingredient = m_ingredients[lines[i]];
                const auto [amount, code] = measure(ingredient.measure);
                zutat.bind(1, rid);
                zutat.bind(2, tid);
                zutat.bind(3, nr++);
                zutat.bind(4, code ? unit(code) : QVariant());
                zutat.bind(5, amount);
                zutat.bind(6, ingredient.zutid);
                zutat.step();
                zutat.reset();
            }

            addPreparationAndKeywords(zubereit, stich, rid, lines, dish);
        }
    }

    // A recipe's preparation and up to four keywords, mostly from the tree.
    void addPreparationAndKeywords(db::Statement& zubereit, db::Statement& stich, qint64 rid,
                                   const std::vector<size_t>& lines, const Dish& dish)
    {
        zubereit.bind(1, rid);
        zubereit.bind(2, preparation(lines, dish));
        zubereit.step();
        zubereit.reset();

        const int keywords = pick(4);
        qint64 previous = -1;
        for (int i = 0; i < keywords; ++i) {
            const qint64 sid = chance(0.8) ? pickOf(m_keywords) : pickOf(m_freeKeywords);
            if (sid == previous) continue;
            previous = sid;
            stich.bind(1, rid);
            stich.bind(2, sid);
            stich.step();
            stich.reset();
        }
    }

    // Old cookbooks know only g, ccm, Stück and EL; a line in another unit lost it on import.
    std::pair<QVariant, QVariant> oldUnit(const QVariant& amount, const char* code) const
    {
        if (!code) return {amount, QVariant()};
        const QLatin1String c(code);
        if (c == QLatin1String("kg")) return {amount.toDouble() * 1000, unit("g")};
        if (c == QLatin1String("l")) return {amount.toDouble() * 1000, unit("cb")};
        if (c == QLatin1String("ml")) return {amount, unit("cb")};
        if (c == QLatin1String("g") || c == QLatin1String("tb")) return {amount, unit(code)};
        if (c == QLatin1String("pk") || c == QLatin1String("cn") || c == QLatin1String("sl"))
            return {amount, unit("ea")};
        return {amount, QVariant()};
    }

    enum class Case { Servings, NoLines, ZeroServings, NoNumber, PersonsInALine, ShortHeading };

    // The first recipes show each unusual case once, so even a small cookbook has them all.
    Case recipeCase(int n)
    {
        static constexpr std::array<Case, 5> firsts = {Case::NoLines, Case::ZeroServings, Case::NoNumber,
                                                       Case::PersonsInALine, Case::ShortHeading};
        if (n < int(firsts.size())) return firsts[size_t(n)];
        const int roll = pick(1000);
        if (roll < 10) return Case::NoLines;
        if (roll < 25) return Case::ZeroServings;
        if (roll < 45) return Case::NoNumber;
        if (roll < 75) return Case::PersonsInALine;
        if (roll < 175) return Case::ShortHeading;
        return Case::Servings;
    }

    // Every recipe with lines begins its first part with a heading that names the
    // servings; the first start moves a usable number into rezepte.port.
    void addOldRecipes(int recipes)
    {
        db::Statement rezept(m_db, QStringLiteral("insert into rezepte (rid, rname, port, ungenau, kid, komid, did) "
                                                  "values (?, ?, ?, ?, ?, ?, ?)"));
        db::Statement zutat(m_db, QStringLiteral("insert into zutaten (rid, tid, nr, eid, menge, zutid) "
                                                 "values (?, ?, ?, ?, ?, ?)"));
        db::Statement zubereit(m_db, QStringLiteral("insert into zubereit (rid, ztext) values (?, ?)"));
        db::Statement stich(m_db, QStringLiteral("insert into rezstich (rid, sid) values (?, ?)"));
        static constexpr std::array<int, 24> servings = {1, 2, 2, 2, 2, 3, 3, 4, 4, 4, 4, 4,
                                                         4, 5, 6, 6, 6, 7, 8, 8, 9, 10, 11, 12};
        // Every recipe with the same heading shares one zutindex row, as the old import stored them.
        db::Statement addText(m_db, QStringLiteral("insert into zutindex (zutid, zutat) values (?, ?)"));
        QHash<QString, qint64> texts;
        qint64 nextText = nextId(QStringLiteral("select max(zutid) from zutindex"));
        const auto textId = [&](const QString& text) {
            const auto it = texts.constFind(text);
            if (it != texts.cend()) return *it;
            addText.bind(1, nextText);
            addText.bind(2, text);
            addText.step();
            addText.reset();
            texts.insert(text, nextText);
            return nextText++;
        };
        const auto addLine = [&](qint64 rid, int tid, int nr, const QVariant& eid, const QVariant& amount,
                                 qint64 zutid) {
            zutat.bind(1, rid);
            zutat.bind(2, tid);
            zutat.bind(3, nr);
            zutat.bind(4, eid);
            zutat.bind(5, amount);
            zutat.bind(6, zutid);
            zutat.step();
            zutat.reset();
        };

        qint64 rid = nextId(QStringLiteral("select max(rid) from rezepte"));
        std::vector<size_t> lines;
        for (int n = 0; n < recipes; ++n, ++rid) {
            const Case kind = recipeCase(n);
            const Dish& dish = pickOf(kDishes);
            rezept.bind(1, rid);
            rezept.bind(2, title(dish));
            // Often not what the heading says: the heading is what counts.
            rezept.bind(3, chance(0.1) ? QVariant() : QVariant(servings[size_t(pick(int(servings.size())))]));
            rezept.bind(4, chance(0.03) ? 1 : 0);
            rezept.bind(5, chance(0.04) ? 0 : dish.kid);
            rezept.bind(6, chance(0.08) ? pickOf(m_comments) : 0);
            rezept.bind(7, chance(0.05) ? m_ownFile : pickOf(m_files));
            rezept.step();
            rezept.reset();

            if (kind == Case::NoLines) {
                zubereit.bind(1, rid);
                zubereit.bind(2, QString::fromUtf8(kEndings[0]));
                zubereit.step();
                zubereit.reset();
                continue;
            }

            QString heading;
            switch (kind) {
            case Case::ZeroServings: heading = QStringLiteral("Für 0 Personen"); break;
            case Case::NoNumber: heading = QString::fromUtf8(pickOf(kServingsWithoutNumber)); break;
            case Case::ShortHeading:
                heading = QStringLiteral("%1 Personen").arg(servings[size_t(pick(int(servings.size())))]);
                break;
            default: heading = QStringLiteral("Für %1 Personen").arg(servings[size_t(pick(int(servings.size())))]);
            }
            addLine(rid, 1, 0, QVariant(), QVariant(), textId(heading));

            pickLines(lines);
            const bool twoParts = chance(0.25) && lines.size() >= 6;
            const size_t split = twoParts ? lines.size() / 2 : lines.size();
            const size_t personsAt = kind == Case::PersonsInALine ? size_t(pick(int(lines.size()))) : lines.size();
            int tid = 1, nr = 1;
            for (size_t i = 0; i < lines.size(); ++i) {
                if (i == split) {
                    tid = 2;
                    nr = 1;
                    addLine(rid, 2, 0, QVariant(), QVariant(), textId(QString::fromUtf8(pickOf(kHeadings))));
                }
                if (i == personsAt)
                    addLine(rid, tid, nr++, unit("ea"), QVariant(),
                            textId(QString::fromUtf8(pickOf(kLinesNamingPersons))));
                const NamedIngredient& ingredient = m_ingredients[lines[i]];
                const auto [amount, code] = measure(ingredient.measure);
                const auto [oldAmount, eid] = oldUnit(amount, code);
                addLine(rid, tid, nr++, eid, oldAmount, ingredient.zutid);
            }

            addPreparationAndKeywords(zubereit, stich, rid, lines, dish);
        }
    }

    db::Database& m_db;
    std::mt19937 m_rng;
    QHash<QString, qint64> m_units;
    std::vector<NamedIngredient> m_ingredients;
    size_t m_salt = 0;
    size_t m_pepper = 0;
    std::vector<qint64> m_comments;
    std::vector<qint64> m_keywords;
    std::vector<qint64> m_freeKeywords;
    std::vector<qint64> m_files;
    qint64 m_ownFile = 0;
};

bool hasIndex(db::Database& db, const QString& table, const QString& name)
{
    for (const db::IndexDef& index : db.indexes(table))
        if (index.name.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// The first start's index build: every listed index that is not there yet.
void buildIndexes(db::Database& db)
{
    std::vector<std::pair<QString, db::IndexDef>> planned;
    {
        db::Statement defs(db, QStringLiteral("select indid, tabelle, indexname, \"Primary\" from [-indizes] "
                                              "order by indid"));
        while (defs.step()) {
            db::IndexDef index;
            index.name = defs.text(2);
            index.primary = defs.int64(3) != 0;
            index.unique = index.primary;
            db::Statement fields(db, QStringLiteral("select feldname from [-indexfelder] where indid = ? order by fnr"));
            fields.bind(1, defs.int64(0));
            while (fields.step()) index.fields.append(fields.text(0));
            planned.emplace_back(defs.text(1), index);
        }
    }
    kv::IndexBuildCache cache(db);
    for (const auto& [table, index] : planned)
        if (!index.fields.isEmpty() && !hasIndex(db, table, index.name)) db.createIndex(table, index);
}

void removeFile(const QString& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + QLatin1String(suffix));
}

// The cookbook file in `folder`, which is created when missing; never one that exists.
QString newCookbookIn(const QString& folder)
{
    if (!QDir().mkpath(folder))
        throw std::runtime_error(QStringLiteral("Der Ordner %1 kann nicht angelegt werden.").arg(folder).toStdString());
    const QString target = QDir(folder).filePath(QStringLiteral("kelvor-daten.mdb"));
    if (QFileInfo::exists(target))
        throw std::runtime_error(QStringLiteral("%1 gibt es schon.").arg(target).toStdString());
    return target;
}

// A large keyword tree: four depths, every keyword below one of the depth above, paired
// with itself and with its parent as the keyword tree pairs them.
void addKeywordTree(db::Database& db, int keywords, unsigned seed)
{
    static constexpr std::array<const char*, 4> kWords = {"Bereich", "Gruppe", "Sorte", "Variante"};
    static constexpr std::array<int, 4> kPercent = {1, 9, 30, 60};
    std::mt19937 rng(seed ^ 0x5717u);
    db::Statement insert(db, QStringLiteral("insert into stichworte (stichwort, subsid, ebene) values (?, ?, ?)"));
    db::Statement pair(db, QStringLiteral("insert into substich (sid, subsid) values (?, ?)"));
    const auto addPair = [&](qint64 sid, qint64 below) {
        pair.bind(1, sid);
        pair.bind(2, below);
        pair.step();
        pair.reset();
    };
    std::vector<qint64> above;
    int made = 0;
    for (int depth = 0; depth < int(kWords.size()); ++depth) {
        const int n = depth + 1 == int(kWords.size()) ? keywords - made
                                                      : std::max(1, keywords * kPercent[size_t(depth)] / 100);
        std::vector<qint64> level;
        for (int i = 0; i < n; ++i) {
            const qint64 parent =
                depth == 0 ? 0 : above[size_t(std::uniform_int_distribution<int>(0, int(above.size()) - 1)(rng))];
            insert.bind(1, QStringLiteral("%1 %2").arg(QLatin1String(kWords[size_t(depth)])).arg(i + 1, 4, 10, QLatin1Char('0')));
            insert.bind(2, parent);
            insert.bind(3, depth);
            insert.step();
            insert.reset();
            const qint64 sid = db.lastInsertId();
            addPair(sid, sid);
            if (parent != 0) addPair(parent, sid);
            level.push_back(sid);
        }
        made += n;
        above = std::move(level);
    }
}

// Rows an old cookbook had as the delivered one has them: categories, comments, the
// keyword tree, the selection list, the index definitions.
void copyDeliveredRows(db::Database& db, const QString& alias)
{
    for (const char* name : {"hauptkat", "impkat", "komment", "stichworte", "substich", "impstich", "auswahlen",
                             "-löschtabellen", "-indizes", "-indexfelder"}) {
        const QString table = QString::fromUtf8(name);
        QStringList columns;
        for (const db::FieldDef& field : db.fields(table)) columns << u'"' + field.name + u'"';
        const QString list = columns.join(u',');
        db.execute(QStringLiteral("insert into [%1] (%2) select %2 from %3.[%1]").arg(table, list, alias));
    }
}

}  // namespace

void generateCookbook(const QString& folder, int recipes, unsigned seed, const QString& source, int keywords)
{
    const QString target = newCookbookIn(folder);
    if (!QFile::copy(source, target))
        throw std::runtime_error(
            QStringLiteral("%1 kann nicht nach %2 kopiert werden.").arg(source, target).toStdString());
    QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);

    try {
        auto db = db::Database::open(target);
        // A larger page cache keeps the lines being added in memory; the index build at the
        // end sorts with a small one.
        sqlite3_exec(db->handle(), "PRAGMA cache_size=-131072", nullptr, nullptr, nullptr);
        {
            db::Transaction tx(*db);
            if (keywords > 0) addKeywordTree(*db, keywords, seed);
            Generator(*db, seed).run(recipes);
            buildIndexes(*db);
            db->execute(QStringLiteral("insert into changelog (changed) select  102;"));
            tx.commit();
        }
        db->close();
    } catch (...) {
        removeFile(target);
        throw;
    }
}

void generateOldCookbook(const QString& folder, int recipes, unsigned seed, const QString& source)
{
    const QString target = newCookbookIn(folder);
    const QString alias = QStringLiteral("geliefert");
    try {
        auto db = db::Database::create(target);
        sqlite3_exec(db->handle(), "PRAGMA cache_size=-131072", nullptr, nullptr, nullptr);
        db->attach(source, alias);
        {
            db::Transaction tx(*db);
            kv::test::createOldTables(*db);
            kv::test::insertOldUnits(*db);
            db->execute(QStringLiteral("insert into kochbuchname (bname, binfo) values ('Altes Kochbuch', "
                                       "'erzeugt für Messungen')"));
            copyDeliveredRows(*db, alias);
            Generator(*db, seed).runOld(recipes);
            tx.commit();
        }
        db->detach(alias);
        db->close();
    } catch (...) {
        removeFile(target);
        throw;
    }
}

}  // namespace kv::bench
