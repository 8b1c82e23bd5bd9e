#pragma once
// The lookups of an import: an ingredient name, a unit code, a category and a keyword
// become ids of the cookbook's tables, missing ones being added on the way. Each table is
// read once into memory at the start of a run; what a run adds is learnt when its rows
// are written and forgotten again when they are rolled back, so the maps always say
// what the cookbook holds.

#include "platform/db/database.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

namespace kv::exchange {

// Texts that the collation NOCASE_DE holds equal have the same key: case is ignored, ß
// and "ss" are one, umlauts and accents are kept apart ("Käse" is not "Kase").
QString foldKey(const QString& text);

// The import's text replacement (umlauts): the text up to its first NUL character, as
// the replacement library leaves it.
QString repstr(const QString& text);

// The widths the import cuts its texts to before it looks them up, so that a text finds
// the row it added before.
constexpr qsizetype kZutatWidth = 150;
constexpr qsizetype kStichwortWidth = 20;

class ImportLookups {
public:
    explicit ImportLookups(db::Database& db);
    ~ImportLookups();
    ImportLookups(const ImportLookups&) = delete;
    ImportLookups& operator=(const ImportLookups&) = delete;

    // The ingredient's id: an import alias first, then the ingredient names; a new name
    // is added (cut to 150 characters).
    qint64 getzutid(const QString& ingredient);
    // The unit of a code, or none for an empty unit column: the unit whose Meal-Master
    // code is the code as written, else whose short name is ("EL", "Ts", "x"), else whose
    // code, then whose short name, differs in case only; among several the lowest id.
    // "t" (teaspoon) and "T" (tablespoon) never meet, and "gr" (Gramm in German files,
    // while the cookbook's "gr" is groß) is never taken for a name. A new code becomes a
    // unit whose short and long name are the code.
    std::optional<qint64> geteid(const QString& code);
    // The category whose import key is the first 8 characters of the text, else the one
    // the text names whole (as the export writes it); none when there is neither, and the
    // text then becomes a keyword of the recipe.
    std::optional<qint64> getkid(const QString& category, qint64 rid);
    // getkid's lookup alone, for a text replaced already: nothing is added.
    std::optional<qint64> kidOf(const QString& category) const;
    // The keyword (an alias first, then the keywords; a new one cut to 20 characters) is
    // given to the recipe, once however often the recipe names it.
    void addstich(qint64 rid, const QString& keyword);
    // True when another imported-files row carries the same file name.
    bool dnameexists(const QString& dname, qint64 did);

    // The same lookups for texts the import has replaced already (trimmed, and an
    // ingredient cut to its column): the reader replaces every text once, so nothing here
    // needs the replacement, which is not safe to share between threads.
    qint64 zutidOf(const QString& name);
    std::optional<qint64> eidOf(const QString& unit);
    void addKeyword(qint64 rid, const QString& keyword);

    // What the lookups learnt since the last commit can be forgotten back to a mark, as
    // a savepoint is rolled back to.
    std::size_t mark() const { return m_learnt.size(); }
    void rolledBackTo(std::size_t mark);

    // The rows written since the last commit were committed, or rolled back: the maps
    // keep, or forget, what was added with them.
    void committed();
    void rolledBack();

private:
    using Map = QHash<QString, qint64>;
    void load(Map& map, const QString& sql);
    qint64 insert(db::Statement& statement, const QVariantList& values);
    void learn(Map& map, const QString& key, qint64 id);

    db::Database& m_db;
    Map m_zutimp;
    Map m_zutindex;
    Map m_unitExact;
    Map m_unitFolded;
    Map m_nameExact;
    Map m_nameFolded;
    Map m_impkat;
    Map m_kname;
    Map m_impstich;
    Map m_stichworte;
    std::vector<std::pair<Map*, QString>> m_learnt;   // since the last commit
    qint64 m_keywordsOf = -1;                          // the recipe whose keywords are in m_keywords
    QSet<qint64> m_keywords;

    db::Statement m_insertZutat;
    db::Statement m_insertUnit;
    db::Statement m_insertStichwort;
    db::Statement m_insertRezstich;
    db::Statement m_dname;
};

}  // namespace kv::exchange
