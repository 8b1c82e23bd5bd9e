#include "platform/db/idset.h"

#include "platform/db/database.h"
#include "platform/db/dbinternal.h"

#include <sqlite3.h>

#include <algorithm>
#include <bit>

namespace kv::db {

namespace {

// A bitmap up to 8 MB, or one no larger than the ids would take as a sorted list.
constexpr qint64 kMostBits = qint64(1) << 26;

void testId(sqlite3_context* context, int, sqlite3_value** argv)
{
    const auto* set = static_cast<const IdSet*>(sqlite3_user_data(context));
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_int(context, set->contains(sqlite3_value_int64(argv[0])) ? 1 : 0);
}

constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY;

}  // namespace

IdSet::IdSet(Database& db, const QString& query) : m_db(db)
{
    std::vector<qint64> ids;
    {
        Statement st(db, query);
        while (st.step())
            if (!st.isNull(0)) ids.push_back(st.int64(0));
    }
    if (!ids.empty()) {
        const auto [low, high] = std::minmax_element(ids.begin(), ids.end());
        // One less than the number of ids from the lowest to the highest: never more than
        // 64 bits hold.
        const quint64 reach = quint64(*high) - quint64(*low);
        if (reach < quint64(std::max<qint64>(kMostBits, qint64(ids.size()) * 64))) {
            const quint64 span = reach + 1;
            // Ids close together need no sorting: each sets its bit.
            m_first = *low;
            m_bits.assign(std::size_t((span + 63) / 64), 0);
            for (const qint64 id : ids) {
                const quint64 bit = quint64(id) - quint64(m_first);
                m_bits[bit / 64] |= quint64(1) << (bit % 64);
            }
            for (const quint64 word : m_bits) m_count += std::popcount(word);
        } else {
            std::sort(ids.begin(), ids.end());
            ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
            m_sorted = std::move(ids);
            m_count = qint64(m_sorted.size());
        }
    }
    detail::check(db.handle(),
                  sqlite3_create_function_v2(db.handle(), "kv_idset", 1, kFlags, this, testId, nullptr, nullptr,
                                             nullptr),
                  QStringLiteral("kv_idset"));
}

IdSet::~IdSet()
{
    sqlite3_create_function_v2(m_db.handle(), "kv_idset", 1, kFlags, nullptr, nullptr, nullptr, nullptr, nullptr);
}

bool IdSet::contains(qint64 id) const
{
    if (!m_bits.empty()) {
        const quint64 bit = quint64(id) - quint64(m_first);
        return id >= m_first && bit / 64 < m_bits.size() && (m_bits[bit / 64] >> (bit % 64) & 1);
    }
    return std::binary_search(m_sorted.begin(), m_sorted.end(), id);
}

}  // namespace kv::db
