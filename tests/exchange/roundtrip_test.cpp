// Recipes written by the Meal-Master export and read back by the import, into a fresh
// copy of the delivered cookbook: what comes back, and that a second round trip changes
// nothing.
//
// Differences the file format keeps, and which the comparisons allow for:
// - servings are the selection's, exact, and the amounts are scaled to them and written
//   as kitchen fractions (sixteenths, thirds, cents, whole numbers above 50);
// - a unit typed in the editor has no Meal-Master code: its name comes back in front of
//   the ingredient, without a unit;
// - a heading comes back in capitals, unless the cookbook knows the name; the lines
//   before the first heading make the first part, so a heading at the very top opens
//   the second part (part numbers move, the parts stay as they were);
// - a category that the import does not map (`impkat`) comes back as a keyword, cut to
//   the keyword column;
// - the preparation's breaks come back as CR LF, without the blanks around each line
//   and around the text; a recipe without a preparation row gets an empty one.

#include "core/fraction.h"
#include "exchange/export.h"
#include "exchange/kochbuchexport.h"
#include "platform/ui/dialogs.h"
#include "tests/exchange/exportrows.h"
#include "tests/exchange/importfixture.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace kv::test {
namespace {

struct Item {
    std::optional<double> menge;
    std::optional<qint64> eid;
    QString ekurz;
    QString ename;
    QString text;
};

struct Part {
    int tid = 0;
    QString heading;
    std::vector<Item> items;
};

struct Recipe {
    qint64 rid = 0;
    QString title;
    int port = 0;
    bool ungenau = false;
    std::optional<qint64> kid;
    QString kname;
    std::vector<Part> parts;  // a part without rows is not there
    QStringList keywords;     // sorted
    QString zubereitung;
};

Recipe load(db::Database& db, qint64 rid)
{
    Recipe r;
    r.rid = rid;
    db::Statement head(db, QStringLiteral("select r.rname, r.port, r.ungenau, r.kid, h.kname from rezepte r "
                                          "left join hauptkat h on h.kid = r.kid where r.rid = ?"));
    head.bind(1, rid);
    if (!head.step()) return r;
    r.title = head.text(0);
    r.port = int(head.int64(1));
    r.ungenau = head.int64(2) != 0;
    if (!head.isNull(3)) r.kid = head.int64(3);
    r.kname = head.text(4);

    db::Statement lines(db, QStringLiteral("select z.tid, z.nr, z.eid, z.menge, e.ekurz, e.ename, i.zutat "
                                           "from zutaten z left join einheiten e on e.eid = z.eid "
                                           "left join zutindex i on i.zutid = z.zutid "
                                           "where z.rid = ? order by z.tid, z.nr"));
    lines.bind(1, rid);
    while (lines.step()) {
        const int tid = int(lines.int64(0));
        if (r.parts.empty() || r.parts.back().tid != tid) r.parts.push_back({tid, {}, {}});
        if (lines.int64(1) == 0) {
            r.parts.back().heading = lines.text(6);
            continue;
        }
        Item item;
        if (!lines.isNull(2)) item.eid = lines.int64(2);
        if (!lines.isNull(3)) item.menge = lines.value(3).toDouble();
        item.ekurz = lines.text(4);
        item.ename = lines.text(5);
        item.text = lines.text(6);
        r.parts.back().items.push_back(item);
    }

    db::Statement keywords(db, QStringLiteral("select s.stichwort from rezstich r join stichworte s on s.sid = r.sid "
                                              "where r.rid = ?"));
    keywords.bind(1, rid);
    while (keywords.step()) r.keywords << keywords.text(0);
    r.keywords.sort();
    r.zubereitung = db.scalar(QStringLiteral("select ztext from zubereit where rid = ?"), {rid}).toString();
    return r;
}

// The whole recipe as text, amounts to the last digit: for a round trip that must
// change nothing.
QStringList exactly(const Recipe& r)
{
    QStringList out{QStringLiteral("%1|%2|%3|%4").arg(r.title).arg(r.port).arg(int(r.ungenau)).arg(r.kid.value_or(-1))};
    for (const Part& part : r.parts) {
        out << QStringLiteral("%1.0 %2").arg(part.tid).arg(part.heading);
        for (const Item& i : part.items)
            out << QStringLiteral("%1 %2 %3 %4")
                       .arg(part.tid)
                       .arg(i.menge ? QString::number(*i.menge, 'g', 17) : QStringLiteral("-"))
                       .arg(i.eid.value_or(-1))
                       .arg(i.text);
    }
    out << r.keywords << r.zubereitung;
    return out;
}

// The value of an amount as the kitchen fraction shows it: "12 15/16", "2/3", 0.29.
double shownValue(const DisplayAmount& amount)
{
    if (amount.kind == DisplayAmount::Number) return amount.number;
    double value = 0;
    for (const QString& word : amount.text.split(u' ')) {
        const qsizetype slash = word.indexOf(u'/');
        value += slash < 0 ? word.toDouble() : word.left(slash).toDouble() / word.mid(slash + 1).toDouble();
    }
    return value;
}

QString withoutBlanksAroundLines(const QString& ztext)
{
    QStringList lines = ui::displayText(ztext).split(u'\n');
    for (QString& line : lines) line = line.trimmed();
    return lines.join(QStringLiteral("\r\n")).trimmed();
}

// What the import must give for a recipe exported for `p` servings.
void expectCameBack(const Recipe& source, int p, const Recipe& back)
{
    SCOPED_TRACE(source.title.toStdString());
    EXPECT_EQ(back.title, source.title);
    EXPECT_EQ(back.port, p);
    EXPECT_FALSE(back.ungenau);

    QStringList keywords = source.keywords;
    if (back.kid) {
        EXPECT_EQ(back.kid, source.kid);
    } else if (source.kid) {
        keywords << leftChars(source.kname, exchange::kStichwortWidth);
    }
    keywords.sort();
    EXPECT_EQ(back.keywords, keywords);

    ASSERT_EQ(back.parts.size(), source.parts.size());
    for (std::size_t k = 0; k < source.parts.size(); ++k) {
        const Part& from = source.parts[k];
        const Part& to = back.parts[k];
        EXPECT_EQ(to.heading.toUpper(), from.heading.toUpper());
        ASSERT_EQ(to.items.size(), from.items.size()) << "part " << k + 1;
        for (std::size_t i = 0; i < from.items.size(); ++i) {
            const Item& a = from.items[i];
            const Item& b = to.items[i];
            SCOPED_TRACE(a.text.toStdString());
            // A unit typed in the editor goes before the text; the fixed amount's "x" stays a unit.
            if (a.ekurz == QLatin1String("$$") && a.eid != kUnscaledUnit) {
                EXPECT_EQ(b.text, a.ename + u' ' + a.text);
                EXPECT_EQ(b.eid, std::nullopt);
            } else {
                EXPECT_EQ(b.text, a.text);
                EXPECT_EQ(b.eid, a.eid);
            }
            ASSERT_EQ(b.menge.has_value(), a.menge.has_value());
            if (a.menge) {
                EXPECT_NEAR(*b.menge, shownValue(bruchmenge(a.menge, source.port, p, a.eid)), 1e-9);
            }
        }
    }
    EXPECT_EQ(back.zubereitung, withoutBlanksAroundLines(source.zubereitung));
}

class RoundTrip : public ImportTest {
protected:
    void SetUp() override
    {
        ImportTest::SetUp();
        source = db::Database::open(env.copyShippedCookbook(QStringLiteral("quelle")) + kochbuchdatei);
        // The target holds the delivered recipes too; their titles are read in again.
        skipexisting = false;
    }

    // The recipes of the selection in the order the export writes them, with their servings.
    std::vector<std::pair<qint64, int>> selection(db::Database& db, qint64 aid)
    {
        std::vector<std::pair<qint64, int>> out;
        db::Statement st(db, QStringLiteral("select ra.rid, ra.port from rezinaus ra join rezepte r on r.rid = ra.rid "
                                            "where ra.aid = ? order by r.rname, r.rid"));
        st.bind(1, aid);
        while (st.step()) out.emplace_back(st.int64(0), int(st.int64(1)));
        return out;
    }

    // Exports the selection into a file, imports that and gives the recipes it brought.
    QList<qint64> roundTrip(db::Database& from, qint64 aid, const QString& name)
    {
        const QString path = files() + name;
        EXPECT_EQ(mmstring(from, aid, true, path, kHeute), QString());
        const qsizetype before = imported().size();
        import(path);
        return imported().mid(before);
    }

    // Exports the source's selection and compares what came back; then sends what came
    // back round again: the rows and the file stay the same.
    void expectRoundTrips(qint64 aid)
    {
        const auto sent = selection(*source, aid);
        const QList<qint64> first = roundTrip(*source, aid, QStringLiteral("eins.mmf"));
        ASSERT_EQ(first.size(), qsizetype(sent.size()));
        for (std::size_t i = 0; i < sent.size(); ++i)
            expectCameBack(load(*source, sent[i].first), sent[i].second, load(db(), first[qsizetype(i)]));

        const qint64 again = newSelection(db());
        for (const qint64 rid : first) {
            const Recipe r = load(db(), rid);
            db().execute(QStringLiteral("insert into rezinaus (aid, rid, rname, port) values (?, ?, ?, ?)"),
                         {again, rid, r.title, r.port});
        }
        const QList<qint64> second = roundTrip(db(), again, QStringLiteral("zwei.mmf"));
        ASSERT_EQ(second.size(), first.size());
        for (qsizetype i = 0; i < first.size(); ++i)
            EXPECT_EQ(exactly(load(db(), second[i])), exactly(load(db(), first[i])));

        const qint64 third = newSelection(db());
        for (const qint64 rid : second)
            db().execute(QStringLiteral("insert into rezinaus (aid, rid, rname, port) select ?, rid, rname, port "
                                        "from rezepte where rid = ?"),
                         {third, rid});
        const QString path = files() + QStringLiteral("drei.mmf");
        mmstring(db(), third, true, path, kHeute);
        EXPECT_EQ(fileBytes(path), fileBytes(files() + QStringLiteral("zwei.mmf")));
    }

    std::unique_ptr<db::Database> source;
};

TEST_F(RoundTrip, TheDeliveredRecipesComeBackAndASecondRoundTripChangesNothing)
{
    // Every third recipe for three servings, so that amounts are scaled.
    db::Database& from = *source;
    const qint64 aid = newSelection(from);
    from.execute(QStringLiteral("insert into rezinaus (aid, rid, rname, port) "
                                "select ?, rid, rname, case when rid % 3 = 0 then 3 else port end from rezepte"),
                 {aid});
    ASSERT_EQ(selection(from, aid).size(), 14u);
    expectRoundTrips(aid);
}

TEST_F(RoundTrip, TheDeliveredRecipesComeBackWholeIntoACookbookExportedWithoutRecipes)
{
    // The cookbook of an empty selection knows the same categories, units and keywords,
    // so nothing may come back as a stand-in: each category is the recipe's category again,
    // and its keywords are its keywords.
    db::Database& from = *source;
    const qint64 aid = newSelection(from);
    from.execute(QStringLiteral("insert into rezinaus (aid, rid, rname, port) "
                                "select ?, rid, rname, case when rid % 3 = 0 then 3 else port end from rezepte"),
                 {aid});
    QString info;
    const QString folder = env.tempPath(QStringLiteral("leer"));
    exportCookbook(from, folder, QStringLiteral("Leer"), info, newSelection(from));
    kochbuchdb = db::Database::open(folder + u'/' + kochbuchdatei);
    ASSERT_EQ(recipes(), 0);

    const auto sent = selection(from, aid);
    const QList<qint64> back = roundTrip(from, aid, QStringLiteral("alle.mmf"));
    ASSERT_EQ(back.size(), qsizetype(sent.size()));
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const Recipe original = load(from, sent[i].first);
        const Recipe again = load(db(), back[qsizetype(i)]);
        expectCameBack(original, sent[i].second, again);
        EXPECT_EQ(again.kid, original.kid) << original.title.toStdString();
        EXPECT_EQ(again.keywords, original.keywords) << original.title.toStdString();
    }
}

TEST_F(RoundTrip, WhatTheColumnsCannotHoldComesBackWhole)
{
    db::Database& from = *source;
    const qint64 aid = newSelection(from);

    // Headings of every length: up to 61 characters centred on the rule, longer ones
    // between "MMMMM-----" and "-----".
    const QString text = QStringLiteral("Füllung für den Boden, die Creme und den Guss aus Äpfeln, Zimt und Zucker.");
    std::vector<ExportLine> headings;
    for (int n = 1; n <= 69; ++n) {
        QString heading = text.left(n);
        if (heading.endsWith(u' ')) heading[n - 1] = u'.';
        headings.push_back({n, 0, {}, {}, heading});
        headings.push_back({n, 1, kGramm, double(n), QStringLiteral("Zucker")});
    }
    addRecipe(from, aid, QStringLiteral("Überschriften jeder Länge"), 4, headings, QStringLiteral("In Schichten backen."));

    // Texts without a blank to cut at; doubled to 1/16, 1 1/3, 0.29, 12 15/16 (wider than
    // the column), 52, 2469, 0, no amount; units typed in the editor, one never scaled.
    addRecipe(from, aid, QStringLiteral("Lange Namen und krumme Mengen"), 4,
              {{1, 1, kGramm, 1.0 / 32, QStringLiteral("Donaudampfschifffahrtsgesellschaftskapitänsmütze")},
               {1, 2, {}, 2.0 / 3, QStringLiteral("Rindfleischetikettierungsüberwachungsaufgaben und Salz")},
               {1, 3, kEL, 0.145, QStringLiteral("a b Superlangeswortohneleerzeichendazwischen")},
               {1, 4, kMilliliter, 6.46875, QStringLiteral("Milch")},
               {1, 5, kGramm, 25.75, QStringLiteral("Mehl")},
               {1, 6, kGramm, 1234.5, QStringLiteral("Zucker")},
               {1, 7, kGramm, 0, QStringLiteral("Hefe")},
               {1, 8, kGramm, {}, QStringLiteral("Salz")},
               {1, 9, addOwnUnit(from, QStringLiteral("Handvoll")), 2, QStringLiteral("Petersilie")},
               {1, 10, kUnscaledUnit, 3, QStringLiteral("Eier")}},
              QStringLiteral("Alles mischen."), 8);

    addRecipe(from, aid, QStringLiteral("Zubereitung mit Trennlinien"), 4, {{1, 1, kGramm, 100, QStringLiteral("Mehl")}},
              QStringLiteral("----- Vorbereitung\nMehl sieben.\n\nMMMMM, wie gut das riecht.\n"
                             "   Eingerückt und mit Leerzeichen am Ende   \n-----Tipp: warm essen."));

    const qint64 ohneZubereitung =
        addRecipe(from, aid, QStringLiteral("Ohne Zubereitung"), 4, {{1, 1, kGramm, 200, QStringLiteral("Quark")}},
                  std::nullopt, 0, 13);
    addRecipe(from, aid, QStringLiteral("Ohne Zutaten"), 2, {}, QStringLiteral("Alles aus der Dose essen."));
    const qint64 leer = addRecipe(from, aid, QStringLiteral("Ganz leer"), 2, {}, std::nullopt);

    // Characters Windows-1252 lacks: the file is UTF-8.
    const qint64 pierogi = addRecipe(from, aid, QStringLiteral("Pierogi aus Łódź 🥟"), 4,
                                     {{1, 0, {}, {}, QStringLiteral("Teig wie in Kraków")},
                                      {1, 1, kGramm, 300, QStringLiteral("Mehl")},
                                      {1, 2, {}, 1, QStringLiteral("Ei 🥚")}},
                                     QStringLiteral("Teig kneten → ausrollen.\nFüllen 🥟 und kochen."), 0, 6);
    from.execute(QStringLiteral("insert into rezstich (rid, sid) values (?, 9), (?, 18), (?, 11)"),
                 {ohneZubereitung, leer, pierogi});

    expectRoundTrips(aid);
    EXPECT_TRUE(fileBytes(files() + QStringLiteral("eins.mmf")).contains("\xC5\x81\xC3\xB3" "d\xC5\xBA"));
}

// The writer puts a text that begins with "-" in column 12 after its amount and unit; the
// reader must not take such a line for the continuation of the line above.
TEST_F(RoundTrip, AnIngredientBeginningWithADashComesBackWithItsAmountAndUnit)
{
    constexpr qint64 kPound = 24;
    constexpr qint64 kCup = 19;
    constexpr qint64 kTL = 28;
    db::Database& from = *source;
    const qint64 aid = newSelection(from);
    addRecipe(from, aid, QStringLiteral("Reis mit Garnelen"), 4,
              {{1, 1, kPound, 1, QStringLiteral("Shrimp, raw shelled, deveined")},
               {1, 2, kCup, 1, QStringLiteral("-Hot water")},
               {1, 3, {}, 12, QStringLiteral("-Eier, hart gekocht")},
               {1, 4, kTL, {}, QStringLiteral("-Salz")},
               {1, 5, kCup, 0.5, QStringLiteral("-Sugar")}},
              QStringLiteral("Alles schichten und backen."));
    expectRoundTrips(aid);
}

}  // namespace
}  // namespace kv::test
