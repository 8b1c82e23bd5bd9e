#include "platform/db/idset.h"

#include "platform/db/database.h"
#include "platform/db/dbinternal.h"

#include <sqlite3.h>

#include <algorithm>

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
    {
        Statement ids(db, query);
        while (ids.step())
            if (!ids.isNull(0)) m_sorted.push_back(ids.int64(0));
    }
    std::sort(m_sorted.begin(), m_sorted.end());
    m_sorted.erase(std::unique(m_sorted.begin(), m_sorted.end()), m_sorted.end());
    m_count = qint64(m_sorted.size());
    if (!m_sorted.empty()) {
        const quint64 span = quint64(m_sorted.back()) - quint64(m_sorted.front()) + 1;
        if (span <= quint64(std::max(kMostBits, m_count * 64))) {
            m_first = m_sorted.front();
            m_bits.assign(std::size_t((span + 63) / 64), 0);
            for (const qint64 id : m_sorted) {
                const quint64 bit = quint64(id) - quint64(m_first);
                m_bits[bit / 64] |= quint64(1) << (bit % 64);
            }
            m_sorted = {};
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
