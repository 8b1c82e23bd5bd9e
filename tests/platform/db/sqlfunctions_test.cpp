#include "platform/db/sqlfunctions.h"

#include "tests/platform/db/dbfixture.h"

#include <algorithm>
#include <random>

using kv::db::detail::compareNoCaseDe;
using kv::db::detail::likeMatches;
using kv::db::detail::likeMatchesTokenwise;

namespace {

int cmp(const char* a, const char* b)
{
    return compareNoCaseDe(QByteArray(a), QByteArray(b));
}

bool like(const char* pattern, const char* text)
{
    return likeMatches(QByteArray(pattern), QByteArray(text));
}

}  // namespace

TEST(NoCaseDe, IgnoresCaseOfGermanLettersButKeepsUmlautsApart)
{
    EXPECT_EQ(cmp("ÄPFEL", "äpfel"), 0);
    EXPECT_EQ(cmp("Ü-Ei", "ü-ei"), 0);
    EXPECT_EQ(cmp("Straße", "STRASSE"), 0);
    EXPECT_EQ(cmp("straße", "strasse"), 0);
    EXPECT_NE(cmp("Bär", "Bar"), 0);
    EXPECT_NE(cmp("Crème", "creme"), 0);
}

TEST(NoCaseDe, SortsUmlautsWithTheirBaseLetter)
{
    std::vector<QByteArray> words = {"Zucker", "Birne", "Äpfel", "apfelmus", "Apfel", "Öl", "Orange", "Obst", "Ei", "Straße", "Strauß"};
    std::sort(words.begin(), words.end(), [](const QByteArray& a, const QByteArray& b) { return compareNoCaseDe(a, b) < 0; });
    const std::vector<QByteArray> expected = {"Apfel", "Äpfel", "apfelmus", "Birne", "Ei", "Obst", "Öl", "Orange", "Straße", "Strauß", "Zucker"};
    EXPECT_EQ(words, expected);
}

TEST(NoCaseDe, IsATotalOrderEvenOnOddInput)
{
    // An inconsistent collation corrupts indexes; check the order laws on awkward text.
    const std::vector<QByteArray> words = {"", "a", "A", "ä", "Ä", "ae", "ss", "ß", "SS", "sß", "ssa", "ßa", "s",
                                           "é", "e", "É", "1", "10", "9", "\xff", "a\xc3", "\xe2\x82\xac", "z", "Ω", "ω"};
    for (const auto& a : words) {
        EXPECT_EQ(compareNoCaseDe(a, a), 0);
        for (const auto& b : words) {
            const int ab = compareNoCaseDe(a, b);
            EXPECT_EQ(ab < 0, compareNoCaseDe(b, a) > 0) << a.toStdString() << " / " << b.toStdString();
            for (const auto& c : words) {
                if (ab <= 0 && compareNoCaseDe(b, c) <= 0) {
                    EXPECT_LE(compareNoCaseDe(a, c), 0) << a.toStdString() << b.toStdString() << c.toStdString();
                }
            }
        }
    }
}

TEST(Like, KnowsTheOldWildcards)
{
    struct Case {
        const char* pattern;
        const char* text;
        bool matches;
    };
    const Case cases[] = {
        {"A*", "apfel", true},
        {"A*", "Äpfel", false},
        {"*an*na", "banana", true},
        {"?pfel", "Äpfel", true},
        {"?", "", false},
        {"*", "", true},
        {"#*", "4 Eier", true},
        {"#*", "Eier", false},
        {"[a-c]*", "Dattel", false},
        {"[A-C]*", "birne", true},
        {"[!a-c]*", "Dattel", true},
        {"[!a-c]*", "Apfel", false},
        {"[*]*", "*x", true},
        {"[?]", "x", false},
        {"a[", "a[", true},
        {"100%", "1000", false},
        {"a_b", "axb", false},
        {"straße", "STRASSE", true},
        {"stra?e", "Straße", true},
        {"*ss*", "Großmutter", true},
        {"bar", "Bär", false},
        {"BÄR", "bär", true},
    };
    for (const auto& c : cases) EXPECT_EQ(like(c.pattern, c.text), c.matches) << c.pattern << " ~ " << c.text;
}

TEST(Like, SingleLiteralPatternsMatchAsTheWildcardMatcherDoes)
{
    // A literal with at most a '*' at either end is matched on folded bytes; pit it against
    // the wildcard matcher on text made of the letters where folding is tricky.
    const std::vector<QByteArray> fragments = {"a", "A", "s", "S", "ss", "ß", "ẞ", "ä", "Ä", "é", "É", "Ω", "ω",
                                              "e", " ", "-", "\xc3", "\xff", "Apfel", "STRASSE", "straße",
                                              "ſ", "\xe2\x84\xaa" /* Kelvin sign, folds to k */, "k"};
    std::mt19937 random(15);
    auto make = [&](int most) {
        QByteArray out;
        const int n = int(random() % (most + 1));
        for (int i = 0; i < n; ++i) out += fragments[random() % fragments.size()];
        return out;
    };
    int checked = 0;
    for (int round = 0; round < 20000; ++round) {
        const QByteArray literal = make(3);
        const QByteArray text = make(6);
        for (const QByteArray& pattern : {literal, "*" + literal, literal + "*", "*" + literal + "*"}) {
            ASSERT_EQ(likeMatches(pattern, text), likeMatchesTokenwise(pattern, text))
                << pattern.toStdString() << " ~ " << text.toStdString();
            ++checked;
        }
    }
    EXPECT_EQ(checked, 80000);
    EXPECT_TRUE(like("*äpfel*", "BRATÄPFEL"));
    EXPECT_TRUE(like("*süß*", "Paprikapulver, SÜSS"));
    EXPECT_TRUE(like("süss*", "Süßkartoffel"));
    EXPECT_TRUE(like("*ÄPFEL", "Bratäpfel"));
    EXPECT_FALSE(like("*apfel*", "Bratäpfel"));
}

class LikeInSql : public kv::test::DbTest {};

TEST_F(LikeInSql, OperatorUsesTheOldWildcardsAndIgnoresCase)
{
    exec("CREATE TABLE t (name VARCHAR(50) COLLATE NOCASE_DE)");
    for (const char* name : {"Apfel", "apfelmus", "Äpfel", "Birne", "50% Rabatt", "5 Eier"})
        exec(QStringLiteral("INSERT INTO t VALUES (%1)").arg(kv::db::sqlQuote(QString::fromUtf8(name))));
    EXPECT_EQ(count("SELECT count(*) FROM t WHERE name LIKE 'a*'"), 2);
    EXPECT_EQ(count("SELECT count(*) FROM t WHERE name LIKE '%'"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM t WHERE name LIKE '#*'"), 2);
    EXPECT_EQ(count("SELECT count(*) FROM t WHERE name LIKE '*!%*' ESCAPE '!'"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM t WHERE name NOT LIKE '*e*'"), 1);
    EXPECT_FALSE(scalar("SELECT NULL LIKE 'a*'").isValid());
}

TEST_F(LikeInSql, CollationGovernsEqualsOrderAndGrouping)
{
    exec("CREATE TABLE t (name VARCHAR(50) COLLATE NOCASE_DE)");
    exec("CREATE INDEX \"t.name\" ON t (name)");
    for (const char* name : {"äpfel", "Birne", "ÄPFEL", "Apfel", "straße"})
        exec(QStringLiteral("INSERT INTO t VALUES (%1)").arg(kv::db::sqlQuote(QString::fromUtf8(name))));
    EXPECT_EQ(count("SELECT count(*) FROM t WHERE name = 'ÄPFEL'"), 2);
    EXPECT_EQ(count("SELECT count(*) FROM t WHERE name = 'STRASSE'"), 1);
    EXPECT_EQ(count("SELECT count(DISTINCT name) FROM t"), 4);
    EXPECT_EQ(scalar("SELECT group_concat(name, '|') FROM (SELECT name FROM t ORDER BY name, rowid)").toString(),
              QString::fromUtf8("Apfel|äpfel|ÄPFEL|Birne|straße"));
    EXPECT_EQ(scalar("SELECT max(name) FROM t").toString(), QString::fromUtf8("straße"));
}
