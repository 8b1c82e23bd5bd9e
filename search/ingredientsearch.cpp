#include "search/ingredientsearch.h"

#include "core/mainmod.h"
#include "core/rezsource.h"
#include "core/settings.h"
#include "platform/db/datacontrol.h"
#include "platform/ui/dialogs.h"
#include "search/shownlist.h"

#include <QStringList>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

namespace kv {

namespace {

// Characters as the user sees them: a character outside the basic plane counts once.
qsizetype charCount(const QString& text)
{
    qsizetype n = 0;
    for (const QChar c : text)
        if (!c.isLowSurrogate()) ++n;
    return n;
}

QStringList termTexts(const QList<IngredientTerm>& terms, TermColumn column)
{
    QStringList texts;
    for (const IngredientTerm& t : terms)
        if (t.column == column && !t.tooShort) texts << t.text;
    return texts;
}

// A recipe id as the work tables hold it: a number, or Null (which groups apart and sorts
// first, as it does in SQL).
struct RidKey {
    bool isNumber = false;
    qint64 value = 0;
    auto operator<=>(const RidKey&) const = default;
};

// The recipes that have a line in every positive group (1 to noneGroup - 1), ascending as
// "group by rid" gives them. Nothing when a recipe id is stored as anything but a number
// or Null: only SQL compares such ids as the search always has.
std::optional<std::vector<RidKey>> recipesOfEveryGroup(db::Database& db, int noneGroup)
{
    std::vector<std::pair<RidKey, qint64>> pairs;
    db::Statement st(db, QStringLiteral("select zutaten.rid, suchzutat.typ from suchzutat cross join zutaten "
                                        "on zutaten.zutid = suchzutat.zid where suchzutat.typ<?"));
    st.bind(1, noneGroup);
    while (st.step()) {
        const QVariant rid = st.value(0);
        if (!rid.isNull() && rid.typeId() != QMetaType::Int && rid.typeId() != QMetaType::LongLong) return std::nullopt;
        pairs.emplace_back(RidKey{!rid.isNull(), rid.toLongLong()}, st.int64(1));
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    std::vector<RidKey> found;
    for (size_t i = 0; i < pairs.size();) {
        size_t end = i;
        while (end < pairs.size() && pairs[end].first == pairs[i].first) ++end;
        if (qint64(end - i) == noneGroup - 1) found.push_back(pairs[i].first);
        i = end;
    }
    return found;
}

// The recipes with a line whose ingredient the group matched, sorted. An id stored as
// text or Null equals no number.
std::vector<qint64> recipesWithGroup(db::Database& db, int group)
{
    std::vector<qint64> rids;
    db::Statement st(db, QStringLiteral("select zutaten.rid from suchzutat cross join zutaten "
                                        "on zutaten.zutid = suchzutat.zid where suchzutat.typ=? and typeof(zutaten.rid)='integer'"));
    st.bind(1, group);
    while (st.step()) rids.push_back(st.int64(0));
    std::sort(rids.begin(), rids.end());
    return rids;
}

// The same in the work tables, for recipe ids that only SQL compares rightly.
void groupInTables(db::Database& db, int noneGroup)
{
    db.execute(QStringLiteral("insert into suchrids (typ,rid) select distinct suchzutat.typ,zutaten.rid from suchzutat "
                              "cross join zutaten on zutaten.zutid = suchzutat.zid where suchzutat.typ<?"),
               {noneGroup});
    db.execute(QStringLiteral("insert into suchfound (rid) select rid from suchrids group by rid having count(typ)=?"),
               {noneGroup - 1});
    db.execute(QStringLiteral("delete from suchfound where exists (select 1 from zutaten where zutaten.rid = "
                              "suchfound.rid and zutaten.zutid in (select zid from suchzutat where typ=?))"),
               {noneGroup});
}

}  // namespace

QList<IngredientTerm> ingredientTerms(const IngredientFields& fields)
{
    QList<IngredientTerm> terms;
    auto take = [&terms](const std::array<QString, 7>& column, TermColumn kind) {
        for (const QString& text : column) {
            const qsizetype n = charCount(text);
            if (n > 0) terms.append({text, kind, n < 3, 0});
        }
    };
    take(fields.z, TermColumn::AnyOf);
    take(fields.m, TermColumn::AllOf);
    take(fields.n, TermColumn::NoneOf);

    // The any-of terms are one group, each all-of term one of its own, the none-of terms
    // one more after the last of these.
    const bool anyOf = !termTexts(terms, TermColumn::AnyOf).isEmpty();
    int next = anyOf ? 2 : 1;
    for (IngredientTerm& t : terms) {
        if (t.tooShort) continue;
        if (t.column == TermColumn::AnyOf) t.group = 1;
        if (t.column == TermColumn::AllOf) t.group = next++;
    }
    for (IngredientTerm& t : terms)
        if (!t.tooShort && t.column == TermColumn::NoneOf) t.group = next;
    return terms;
}

TermsCheck checkTerms(const QList<IngredientTerm>& terms)
{
    bool any = false;
    bool positive = false;
    for (const IngredientTerm& t : terms) {
        if (t.tooShort) continue;
        any = true;
        positive = positive || t.column != TermColumn::NoneOf;
    }
    if (!any) return TermsCheck::NoTerm;
    return positive ? TermsCheck::Ok : TermsCheck::OnlyNoneOf;
}

QString describeSearch(const QList<IngredientTerm>& terms)
{
    QString text = termTexts(terms, TermColumn::AnyOf).join(u'|');
    const QStringList all = termTexts(terms, TermColumn::AllOf);
    if (!all.isEmpty()) text += (text.isEmpty() ? QString() : QStringLiteral(" + ")) + all.join(QStringLiteral(" + "));
    const QStringList none = termTexts(terms, TermColumn::NoneOf);
    if (!none.isEmpty()) text += QStringLiteral(" - ") + none.join(u'|');
    return text;
}

QString searchProgressText(int step, int total)
{
    return QStringLiteral("Die Zutatensuche ist ein umfangreicher Vorgang. Kelvor verarbeitet gerade Schritt %1 von %2.")
        .arg(step)
        .arg(total);
}

qint64 runIngredientSeries(db::Database& db, const QList<IngredientTerm>& terms, const SearchProgress& progress)
{
    int termCount = 0;
    int noneGroup = 1;
    for (const IngredientTerm& t : terms) {
        if (t.tooShort) continue;
        ++termCount;
        if (t.column != TermColumn::NoneOf) noneGroup = std::max(noneGroup, t.group + 1);
    }
    const int total = termCount + 4;
    int step = 1;
    progress(step, total);
    db.execute(QStringLiteral("delete from suchzutat"));

    // Bound: a term is text, whatever quotes it holds; its wildcards keep their meaning.
    db::Statement match(db, QStringLiteral("insert into suchzutat (zid,typ) select zutid,? from zutindex where zutat like ?"));
    for (const IngredientTerm& t : terms) {
        if (t.tooShort) {
            ui::msgbox(QStringLiteral("Der Begriff '") + t.text + QStringLiteral("' wird übergangen, da er zu kurz ist."),
                       ui::OkOnly, QStringLiteral(" "));
            continue;
        }
        progress(++step, total);
        match.reset();
        match.bind(1, t.group);
        match.bind(2, QStringLiteral("*") + t.text + u'*');
        match.step();
    }

    // The pairs of positive group and recipe are counted here rather than stored in suchrids
    // and grouped there: writing and sorting every pair cost more than the search itself.
    // The join starts from the matched names (CROSS JOIN keeps that order) and reads only
    // their lines, through the index on (zutid, rid).
    progress(++step, total);
    db.execute(QStringLiteral("delete from suchrids"));
    db.execute(QStringLiteral("delete from suchfound"));
    const std::optional<std::vector<RidKey>> positive = recipesOfEveryGroup(db, noneGroup);

    // The recipes of every positive group, less those with a none-of ingredient, in the order
    // and under the row numbers the grouping gave them.
    progress(++step, total);
    if (positive) {
        const std::vector<qint64> excluded = recipesWithGroup(db, noneGroup);
        db::Statement add(db, QStringLiteral("insert into suchfound (rowid,rid) values (?,?)"));
        for (size_t i = 0; i < positive->size(); ++i) {
            const RidKey& rid = (*positive)[i];
            if (rid.isNumber && std::binary_search(excluded.begin(), excluded.end(), rid.value)) continue;
            add.reset();
            add.bind(1, qint64(i + 1));
            add.bind(2, rid.isNumber ? QVariant(rid.value) : QVariant());
            add.step();
        }
    } else {
        groupInTables(db, noneGroup);
    }

    progress(++step, total);
    db.execute(QStringLiteral("delete from suchrids"));
    db.execute(QStringLiteral("delete from suchzutat"));
    return db.scalar(QStringLiteral("select count(*) from suchfound")).toLongLong();
}

bool suchliste(const IngredientFields& fields, const SearchProgress& progress)
{
    const QList<IngredientTerm> terms = ingredientTerms(fields);
    switch (checkTerms(terms)) {
    case TermsCheck::NoTerm:
        ui::msgbox(QStringLiteral("Sie müssen mindestens einen Begriff eingeben."), ui::OkOnly, QStringLiteral(" "));
        return false;
    case TermsCheck::OnlyNoneOf:
        ui::msgbox(QStringLiteral("Die Zutatensuche funktioniert nicht, wenn Sie nur Zutaten eingeben, die NICHT "
                                  "vorkommen."),
                   ui::Information, QStringLiteral(" O B A C H T"));
        return false;
    case TermsCheck::Ok:
        break;
    }
    if (!cookbookWritable()) return false;

    return changeRecipeList(QStringLiteral("SUCHLISTE : "), [&] {
        db::Database& db = cookbook();
        RecipeListView* view = recipeListView();
        const QString description = describeSearch(terms);
        db::Transaction tx(db);
        const qint64 found = runIngredientSeries(db, terms, progress);
        view->setGesucht(QStringLiteral("> ") + description);
        view->setRezzahl(formatCount(found));
        // An empty result is recorded too; nothing is pushed out of the history here.
        if (found < regNumber(reg::suchtreffer)) {
            QList<qint64> rids;
            db::Statement st(db, QStringLiteral("select rid from suchfound"));
            while (st.step()) rids.append(st.int64(0));
            recordSearch(db, QString(), QStringLiteral("Zutatensuche : ") + description, rids,
                         std::numeric_limits<qint64>::max());
        }
        tx.commit();
        view->rez()->setRecordSource(suchfoundSource);
        view->rez()->refresh();
    });
}

}  // namespace kv
