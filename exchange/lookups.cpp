#include "exchange/lookups.h"

#include "core/mainmod.h"
#include "platform/textreplace/replacer.h"

#include <algorithm>

namespace kv::exchange {

QString foldKey(const QString& text)
{
    // Written into place: every title and ingredient of an import passes here.
    const qsizetype n = text.size();
    QString key(n + n / 4 + 2, Qt::Uninitialized);
    QChar* out = key.data();
    qsizetype k = 0;
    const auto room = [&](qsizetype more) {
        if (k + more <= key.size()) return;
        key.resize(std::max(key.size() * 2, k + more));
        out = key.data();
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80) {
            room(1);
            out[k++] = QChar(c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c);
            continue;
        }
        char32_t cp = c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && text.at(i + 1).isLowSurrogate())
            cp = QChar::surrogateToUcs4(c, text.at(++i).unicode());
        char32_t folded = cp;
        if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) folded = cp + 32;
        else if (cp >= 0x100) folded = cp == 0x1E9E ? 0xDF : QChar::toCaseFolded(cp);
        room(2);
        if (folded == 0xDF) {
            out[k++] = u's';
            out[k++] = u's';
        } else if (QChar::requiresSurrogates(folded)) {
            out[k++] = QChar(QChar::highSurrogate(folded));
            out[k++] = QChar(QChar::lowSurrogate(folded));
        } else {
            out[k++] = QChar(char16_t(folded));
        }
    }
    key.truncate(k);
    return key;
}

QString repstr(const QString& text)
{
    // The library replaces within words, which never span a NUL: replacing the text up to
    // its first NUL is replacing all and cutting there.
    const qsizetype nul = text.indexOf(QChar(0));
    QString buffer = nul < 0 ? text : text.left(nul);
    text::DoSimpleReplace(buffer);
    return buffer;
}

ImportLookups::ImportLookups(db::Database& db)
    : m_db(db)
    , m_insertZutat(db, QStringLiteral("insert into zutindex (zutat) values (?)"))
    , m_insertUnit(db, QStringLiteral("insert into einheiten (ekurz, ename) values (?, ?)"))
    , m_insertStichwort(db, QStringLiteral("insert into stichworte (stichwort) values (?)"))
    , m_insertRezstich(db, QStringLiteral("insert into rezstich (rid, sid) values (?, ?)"))
    , m_dname(db, QStringLiteral("select 1 from importdateien where dname=? and did<>? limit 1"))
{
    // Where a table holds a text twice the lookup finds the first row, as a seek does.
    load(m_zutimp, QStringLiteral("select zutat, zutid from zutimp order by rowid"));
    load(m_zutindex, QStringLiteral("select zutat, zutid from zutindex order by zutid"));
    load(m_unitFolded, QStringLiteral("select ekurz, eid from einheiten order by eid"));
    load(m_impkat, QStringLiteral("select kimport, kid from impkat order by rowid"));
    // Row 0 is the list's "all categories", no category of a recipe.
    load(m_kname, QStringLiteral("select kname, kid from hauptkat where kid<>0 order by kid"));
    load(m_impstich, QStringLiteral("select istich, sid from impstich order by rowid"));
    load(m_stichworte, QStringLiteral("select stichwort, sid from stichworte order by sid"));
    load(m_nameFolded, QStringLiteral("select ename, eid from einheiten order by eid"));
    db::Statement units(db, QStringLiteral("select ekurz, ename, eid from einheiten order by eid"));
    while (units.step()) {
        if (!units.isNull(0) && !m_unitExact.contains(units.text(0))) m_unitExact.insert(units.text(0), units.int64(2));
        if (!units.isNull(1) && !m_nameExact.contains(units.text(1))) m_nameExact.insert(units.text(1), units.int64(2));
    }
}

ImportLookups::~ImportLookups() = default;

void ImportLookups::load(Map& map, const QString& sql)
{
    db::Statement st(m_db, sql);
    while (st.step()) {
        if (st.isNull(0) || st.isNull(1)) continue;
        const QString key = foldKey(st.text(0));
        if (!map.contains(key)) map.insert(key, st.int64(1));
    }
}

qint64 ImportLookups::insert(db::Statement& statement, const QVariantList& values)
{
    statement.reset();
    for (int i = 0; i < values.size(); ++i) statement.bind(i + 1, values.at(i));
    statement.step();
    return m_db.lastInsertId();
}

void ImportLookups::learn(Map& map, const QString& key, qint64 id)
{
    map.insert(key, id);
    m_learnt.emplace_back(&map, key);
}

void ImportLookups::committed()
{
    m_learnt.clear();
}

void ImportLookups::rolledBack()
{
    rolledBackTo(0);
}

void ImportLookups::rolledBackTo(std::size_t mark)
{
    while (m_learnt.size() > mark) {
        m_learnt.back().first->remove(m_learnt.back().second);
        m_learnt.pop_back();
    }
    // The recipe whose keywords were noted may have lost them.
    m_keywordsOf = -1;
}

qint64 ImportLookups::getzutid(const QString& ingredient)
{
    // Cut before the lookup: the name is stored cut, and must find itself next time.
    return zutidOf(leftChars(repstr(ingredient.trimmed()), kZutatWidth));
}

qint64 ImportLookups::zutidOf(const QString& name)
{
    const QString key = foldKey(name);
    if (const auto alias = m_zutimp.constFind(key); alias != m_zutimp.constEnd()) return *alias;
    if (const auto known = m_zutindex.constFind(key); known != m_zutindex.constEnd()) return *known;
    const qint64 id = insert(m_insertZutat, {name});
    learn(m_zutindex, key, id);
    return id;
}

std::optional<qint64> ImportLookups::geteid(const QString& code)
{
    if (code.isEmpty() || code == QLatin1String("  ")) return std::nullopt;
    return eidOf(repstr(code));
}

std::optional<qint64> ImportLookups::eidOf(const QString& unit)
{
    if (unit.isEmpty()) return std::nullopt;
    if (const auto exact = m_unitExact.constFind(unit); exact != m_unitExact.constEnd()) return *exact;
    const QString key = foldKey(unit);
    // German files write "gr" for Gramm; the cookbook's unit named "gr" is groß.
    const bool byName = key != u"gr";
    if (byName)
        if (const auto named = m_nameExact.constFind(unit); named != m_nameExact.constEnd()) return *named;
    // Teaspoon and tablespoon differ in case only.
    const bool spoon = unit == u"t" || unit == u"T";
    if (!spoon) {
        if (const auto folded = m_unitFolded.constFind(key); folded != m_unitFolded.constEnd()) return *folded;
        if (byName)
            if (const auto named = m_nameFolded.constFind(key); named != m_nameFolded.constEnd()) return *named;
    }
    // Views, prints and HTML show the unit's name, so a new code is its own name too.
    const qint64 id = insert(m_insertUnit, {leftChars(unit, 10), leftChars(unit, 20)});
    learn(m_unitExact, unit, id);
    if (!spoon && !m_unitFolded.contains(key)) learn(m_unitFolded, key, id);
    return id;
}

std::optional<qint64> ImportLookups::kidOf(const QString& category) const
{
    if (const auto found = m_impkat.constFind(foldKey(leftChars(category, 8).trimmed())); found != m_impkat.constEnd())
        return *found;
    if (const auto named = m_kname.constFind(foldKey(category.trimmed())); named != m_kname.constEnd()) return *named;
    return std::nullopt;
}

std::optional<qint64> ImportLookups::getkid(const QString& category, qint64 rid)
{
    const QString text = repstr(category);
    const std::optional<qint64> kid = kidOf(text);
    if (!kid) addstich(rid, text);
    return kid;
}

void ImportLookups::addstich(qint64 rid, const QString& keyword)
{
    if (keyword.isEmpty()) return;
    addKeyword(rid, repstr(keyword));
}

void ImportLookups::addKeyword(qint64 rid, const QString& text)
{
    if (text.isEmpty()) return;
    qint64 sid = 0;
    if (const auto alias = m_impstich.constFind(foldKey(text)); alias != m_impstich.constEnd()) {
        sid = *alias;
    } else {
        const QString stored = leftChars(text, kStichwortWidth);
        const QString key = foldKey(stored);
        if (const auto known = m_stichworte.constFind(key); known != m_stichworte.constEnd()) {
            sid = *known;
        } else {
            sid = insert(m_insertStichwort, {stored});
            learn(m_stichworte, key, sid);
        }
    }
    if (rid != m_keywordsOf) {
        m_keywordsOf = rid;
        m_keywords.clear();
    }
    if (!m_keywords.contains(sid)) {
        insert(m_insertRezstich, {rid, sid});
        m_keywords.insert(sid);
    }
}

bool ImportLookups::dnameexists(const QString& dname, qint64 did)
{
    m_dname.reset();
    m_dname.bind(1, dname);
    m_dname.bind(2, did);
    const bool found = m_dname.step();
    m_dname.reset();
    return found;
}

}  // namespace kv::exchange
