// The snapshot recordset, for any query that is no keyset (joins, grouping): read-only,
// its rows read forward as far as someone looks and kept.

#include "platform/db/recordsetbase.h"

#include "platform/db/sqltext.h"

#include <QSet>

#include <limits>

namespace kv::db::detail {

namespace {

class SnapshotRecordset;

struct SnapshotData {
    Database* db;
    QString source;
    Stmt stmt;
    bool done = false;
    std::vector<std::vector<QVariant>> rows;
    std::vector<FieldInfo> fields;
    qint64 count = -1;
    quint64 version = nextVersion();

    SnapshotData(Database& database, const QString& sql) : db(&database), source(sql), stmt(database.handle(), sql)
    {
        fields = fieldsOf(database, stmt.get(), 0);
    }

    bool fetchTo(qint64 index)
    {
        while (!done && qint64(rows.size()) <= index) {
            if (stmt.step()) {
                std::vector<QVariant> values;
                values.reserve(fields.size());
                for (size_t f = 0; f < fields.size(); ++f) values.push_back(readColumn(stmt.get(), int(f), fields[f]));
                rows.push_back(std::move(values));
            } else {
                done = true;
                stmt.finalize();
            }
        }
        return index >= 0 && index < qint64(rows.size());
    }

    void finish() { fetchTo(std::numeric_limits<qint64>::max()); }

    qint64 total()
    {
        if (done) return qint64(rows.size());
        if (count < 0) {
            try {
                Stmt st(db->handle(), QStringLiteral("SELECT count(*) FROM (%1)").arg(withoutTerminator(source)));
                st.step();
                count = sqlite3_column_int64(st.get(), 0);
            } catch (const DbError&) {
                finish();
                return qint64(rows.size());
            }
        }
        return count;
    }
};

class SnapshotRecordset final : public RecordsetBase {
public:
    explicit SnapshotRecordset(Database& db, std::shared_ptr<SnapshotData> data) : m_d(std::move(data)), m_db(&db)
    {
        m_db->registerRecordset(this);
        m_at = m_d->fetchTo(0) ? At::Row : At::Eof;
    }

    ~SnapshotRecordset() override { close(); }

    QString source() const override { return m_d ? m_d->source : QString(); }
    RecordsetType type() const override { return RecordsetType::Snapshot; }
    bool updatable() const override { return false; }
    bool isOpen() const override { return bool(m_d); }
    Database* database() const override { return m_d ? m_db : nullptr; }

    void close() override
    {
        if (!m_d) return;
        m_d.reset();
        m_db->unregisterRecordset(this);
    }

    void detach() override { close(); }
    void finishReading() override
    {
        if (m_d) m_d->finish();
    }

    bool eof() const override
    {
        checkOpen();
        return empty() || m_at == At::Eof;
    }
    bool bof() const override
    {
        checkOpen();
        return empty() || m_at == At::Bof;
    }

    void moveFirst() override
    {
        checkOpen();
        if (!m_d->fetchTo(0)) noCurrentRecord();
        place(0);
    }

    void moveLast() override
    {
        checkOpen();
        m_d->finish();
        if (m_d->rows.empty()) noCurrentRecord();
        place(qint64(m_d->rows.size()) - 1);
    }

    void moveNext() override
    {
        if (eof()) noCurrentRecord();
        const qint64 next = m_at == At::Bof ? 0 : m_index + 1;
        if (m_d->fetchTo(next)) place(next);
        else setEnd(At::Eof);
    }

    void movePrevious() override
    {
        if (bof()) noCurrentRecord();
        if (m_at == At::Eof) m_d->finish();
        const qint64 previous = m_at == At::Eof ? qint64(m_d->rows.size()) - 1 : m_index - 1;
        if (previous >= 0) place(previous);
        else setEnd(At::Bof);
    }

    qint64 recordCount() override
    {
        checkOpen();
        return m_d->total();
    }

    qint64 absolutePosition() const override { return m_d && m_at == At::Row ? m_index : -1; }

    void setAbsolutePosition(qint64 position) override
    {
        checkOpen();
        if (!m_d->fetchTo(position)) invalidPosition(position);
        place(position);
    }

    QVariant bookmark() const override
    {
        requireCurrent();
        return qlonglong(m_index);
    }

    void setBookmark(const QVariant& bookmark) override
    {
        checkOpen();
        bool ok = false;
        const qint64 index = bookmark.toLongLong(&ok);
        if (!ok || !m_d->fetchTo(index)) throwError(errInvalidArgument, QStringLiteral("Ungültiges Lesezeichen."));
        place(index);
    }

    std::unique_ptr<Recordset> clone() const override
    {
        checkOpen();
        return std::make_unique<SnapshotRecordset>(*m_db, m_d);
    }

    void requery() override
    {
        checkOpen();
        m_d = std::make_shared<SnapshotData>(*m_db, m_d->source);
        m_at = m_d->fetchTo(0) ? At::Row : At::Eof;
        m_index = 0;
        m_noMatch = false;
        notifyChanged();
    }

    bool findFirst(const QString& criteria) override { return find(criteria, 0, +1); }
    bool findLast(const QString& criteria) override
    {
        checkOpen();
        m_d->finish();
        return find(criteria, qint64(m_d->rows.size()) - 1, -1);
    }
    bool findNext(const QString& criteria) override
    {
        checkOpen();
        if (m_at == At::Eof) {
            m_noMatch = true;
            return false;
        }
        return find(criteria, m_at == At::Bof ? 0 : m_index + 1, +1);
    }
    bool findPrevious(const QString& criteria) override
    {
        checkOpen();
        if (m_at == At::Eof) m_d->finish();
        return find(criteria, m_at == At::Eof ? qint64(m_d->rows.size()) - 1 : m_at == At::Bof ? -1 : m_index - 1, -1);
    }
    bool noMatch() const override { return m_noMatch; }

    void setIndex(const QString&) override
    {
        throwError(errNotSupported, QStringLiteral("Index nur bei Tabellen-Recordsets."));
    }
    bool seek(const QString&, const QVariantList&) override
    {
        throwError(errNotSupported, QStringLiteral("Seek nur bei Tabellen-Recordsets."));
    }

    using RecordsetBase::value;
    QVariant value(int index) const override
    {
        checkField(index);
        requireCurrent();
        return m_d->rows[size_t(m_index)][size_t(index)];
    }

    QVariant valueAt(qint64 position, int index) override
    {
        checkField(index);
        if (!m_d->fetchTo(position)) invalidPosition(position);
        return m_d->rows[size_t(position)][size_t(index)];
    }

    void edit() override { readOnly(); }
    void addNew() override { readOnly(); }
    void setValue(const QString&, const QVariant&) override { readOnly(); }
    void update() override { readOnly(); }
    void cancelUpdate() override {}
    void deleteCurrent() override { readOnly(); }
    bool editing() const override { return false; }

    quint64 rowsVersion() const override { return m_d ? m_d->version : 0; }
    qint64 rowsFetched() const override { return m_d ? qint64(m_d->rows.size()) : 0; }

private:
    enum class At { Bof, Row, Eof };

    const std::vector<FieldInfo>& fields() const override
    {
        checkOpen();
        return m_d->fields;
    }
    bool empty() const { return !m_d->fetchTo(0); }
    void requireCurrent() const
    {
        checkOpen();
        if (m_at != At::Row) noCurrentRecord();
    }
    [[noreturn]] void readOnly() const
    {
        checkOpen();
        readOnlyRecordset(m_d->source);
    }
    void place(qint64 index)
    {
        m_at = At::Row;
        m_index = index;
        notifyChanged();
    }
    void setEnd(At at)
    {
        m_at = at;
        notifyChanged();
    }

    // Each row is tested on its own: its values are bound into a one-row table named
    // like the fields, and the criteria run against it with the engine's rules.
    bool find(const QString& criteria, qint64 start, int step)
    {
        QStringList names, values;
        QSet<QString> seen;
        for (size_t i = 0; i < m_d->fields.size(); ++i) {
            QString name = m_d->fields[i].name;
            if (seen.contains(name.toLower())) name = QStringLiteral("kv_dup%1").arg(i);
            seen.insert(name.toLower());
            names << quoteName(name);
            values << QStringLiteral("?%1 COLLATE NOCASE_DE").arg(i + 1);
        }
        Stmt st(m_db->handle(), QStringLiteral("WITH kv_row(%1) AS (SELECT %2) SELECT 1 FROM kv_row WHERE (%3)")
                                    .arg(names.join(u','), values.join(u','), criteria));
        for (qint64 i = start; i >= 0 && m_d->fetchTo(i); i += step) {
            st.reset();
            const auto& row = m_d->rows[size_t(i)];
            for (size_t f = 0; f < row.size(); ++f) st.bind(int(f) + 1, row[f]);
            const bool hit = st.step();
            st.reset();
            if (hit) {
                m_noMatch = false;
                place(i);
                return true;
            }
        }
        m_noMatch = true;
        return false;
    }

    std::shared_ptr<SnapshotData> m_d;
    Database* m_db;
    At m_at = At::Bof;
    qint64 m_index = 0;
    bool m_noMatch = false;
};

}  // namespace

std::unique_ptr<Recordset> openSnapshot(Database& db, const QString& sql)
{
    return std::make_unique<SnapshotRecordset>(db, std::make_shared<SnapshotData>(db, sql));
}

}  // namespace kv::db::detail
