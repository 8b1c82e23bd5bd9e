// The keyset recordset, for a table or a query that reads one table: a cursor over the
// rows it shares with its clones (keysetrows.h), whose edits address rows by rowid. Every
// cursor sees the others' deletes and additions.

#include "platform/db/keysetrows.h"

#include "platform/db/sqltext.h"

namespace kv::db::detail {

// One cursor: its position, a pending Edit or AddNew, the last find's outcome.
class KeysetRecordset final : public RecordsetBase {
public:
    KeysetRecordset(std::shared_ptr<KeysetData> data) : m_d(std::move(data)), m_db(m_d->cfg.db)
    {
        m_d->cursors.push_back(this);
        m_db->registerRecordset(this);
        m_at = At::Row;  // on the first row; an empty set shows as BOF and EOF
    }

    ~KeysetRecordset() override { close(); }

    QString source() const override { return m_d ? m_d->cfg.source : QString(); }
    RecordsetType type() const override { return m_type; }
    bool updatable() const override { return m_d && m_d->cfg.updatable && !m_db->readOnly(); }
    bool isOpen() const override { return bool(m_d); }
    Database* database() const override { return m_d ? m_db : nullptr; }

    void close() override
    {
        if (!m_d) return;
        m_mode = Mode::None;
        std::erase(m_d->cursors, this);
        m_d.reset();
        m_db->unregisterRecordset(this);
    }

    void detach() override { close(); }

    bool eof() const override
    {
        ensureLoaded();
        return m_d->ids.empty() || m_at == At::Eof;
    }

    bool bof() const override
    {
        ensureLoaded();
        return m_d->ids.empty() || m_at == At::Bof;
    }

    void moveFirst() override
    {
        ensureLoaded();
        if (m_d->ids.empty()) noCurrentRecord();
        place(0);
    }

    void moveLast() override
    {
        ensureLoaded();
        if (m_d->ids.empty()) noCurrentRecord();
        place(m_d->size() - 1);
    }

    // Moving on from a deleted row is always allowed, also when it was the last one.
    void moveNext() override
    {
        ensureLoaded();
        const bool fromDeleted = m_at == At::Row && m_deleted;
        if (!fromDeleted && eof()) noCurrentRecord();
        qint64 next = 0;
        if (m_at == At::Row) next = m_deleted ? m_index : m_index + 1;
        if (next < m_d->size()) place(next);
        else setEnd(At::Eof);
    }

    void movePrevious() override
    {
        ensureLoaded();
        const bool fromDeleted = m_at == At::Row && m_deleted;
        if (!fromDeleted && bof()) noCurrentRecord();
        qint64 previous = m_d->size() - 1;
        if (m_at == At::Row) previous = m_index - 1;
        if (previous >= 0) place(previous);
        else setEnd(At::Bof);
    }

    qint64 recordCount() override
    {
        ensureLoaded();
        return m_d->size();
    }

    qint64 absolutePosition() const override { return hasCurrent() ? m_index : -1; }

    void setAbsolutePosition(qint64 position) override
    {
        ensureLoaded();
        if (position < 0 || position >= m_d->size()) invalidPosition(position);
        place(position);
    }

    QVariant bookmark() const override
    {
        requireCurrent();
        return qlonglong(m_d->ids[size_t(m_index)]);
    }

    void setBookmark(const QVariant& bookmark) override
    {
        ensureLoaded();
        bool ok = false;
        const qint64 id = bookmark.toLongLong(&ok);
        const qint64 index = ok ? m_d->indexOf(id) : -1;
        if (index < 0) recordDeleted();
        place(index);
    }

    std::unique_ptr<Recordset> clone() const override
    {
        checkOpen();
        auto copy = std::make_unique<KeysetRecordset>(m_d);
        copy->m_type = m_type;
        return copy;
    }

    void requery() override
    {
        checkOpen();
        m_mode = Mode::None;
        auto fresh = std::make_shared<KeysetData>(m_d->cfg);
        const std::shared_ptr<KeysetData> before = m_d;
        std::erase(m_d->cursors, this);
        m_d = std::move(fresh);
        m_d->cursors.push_back(this);
        if (m_type != RecordsetType::Table) {
            // A table none of whose rows has changed gives the same rowids: 250,000 of them
            // are not read again after a save that left the recipe's title as it was.
            if (before->loaded && unchangedSince(*before)) {
                m_d->ids = before->ids;
                m_d->loaded = true;
                m_d->loadStamp = before->loadStamp;
            } else {
                m_d->load(before->ids.size());
            }
        }
        m_at = At::Row;
        m_index = 0;
        m_deleted = false;
        m_noMatch = false;
        notifyChanged();
    }

    bool findFirst(const QString& criteria) override { return find(criteria, 0, +1); }
    bool findLast(const QString& criteria) override
    {
        ensureLoaded();
        return find(criteria, m_d->size() - 1, -1);
    }
    bool findNext(const QString& criteria) override
    {
        ensureLoaded();
        qint64 start = 0;
        if (m_at == At::Eof) start = m_d->size();
        else if (m_at == At::Row) start = m_deleted ? m_index : m_index + 1;
        return find(criteria, start, +1);
    }
    bool findPrevious(const QString& criteria) override
    {
        ensureLoaded();
        qint64 start = -1;
        if (m_at == At::Eof) start = m_d->size() - 1;
        else if (m_at == At::Row) start = m_index - 1;
        return find(criteria, start, -1);
    }
    bool noMatch() const override { return m_noMatch; }

    void setIndex(const QString& indexName) override
    {
        checkOpen();
        if (m_type != RecordsetType::Table)
            throwError(errNotSupported, QStringLiteral("Index nur bei Tabellen-Recordsets."));
        KeysetConfig cfg = m_d->cfg;
        cfg.indexColumns.clear();
        cfg.indexName.clear();
        if (!indexName.isEmpty()) {
            bool found = false;
            for (const auto& idx : m_db->indexes(cfg.table))
                if (idx.name.compare(indexName, Qt::CaseInsensitive) == 0) {
                    cfg.indexColumns = idx.fields;
                    cfg.indexName = idx.name;
                    found = true;
                }
            if (!found)
                throwError(errItemNotFound, QStringLiteral("'%1' ist kein Index der Tabelle '%2'.").arg(indexName, cfg.table));
        }
        m_mode = Mode::None;
        auto fresh = std::make_shared<KeysetData>(cfg);
        std::erase(m_d->cursors, this);
        m_d = std::move(fresh);
        m_d->cursors.push_back(this);
        m_d->load();
        m_at = At::Row;
        m_index = 0;
        m_deleted = false;
        notifyChanged();
    }

    bool seek(const QString& op, const QVariantList& keys) override
    {
        checkOpen();
        if (m_type != RecordsetType::Table)
            throwError(errNotSupported, QStringLiteral("Seek nur bei Tabellen-Recordsets."));
        const QStringList& cols = m_d->cfg.indexColumns;
        if (cols.isEmpty()) throwError(errNoCurrentIndex, QStringLiteral("Operation ohne aktuellen Index ungültig."));
        static const QStringList ops = {QStringLiteral("="), QStringLiteral("<"), QStringLiteral("<="),
                                        QStringLiteral(">"), QStringLiteral(">=")};
        const QString o = op.trimmed();
        if (!ops.contains(o) || keys.isEmpty() || keys.size() > cols.size())
            throwError(errInvalidArgument, QStringLiteral("Ungültiger Seek: %1 mit %2 Werten.").arg(op).arg(keys.size()));
        QStringList left, right, order;
        const bool backwards = o.startsWith(u'<');
        for (int i = 0; i < keys.size(); ++i) {
            left << quoteName(cols[i]);
            right << QStringLiteral("?%1").arg(i + 1);
        }
        for (const QString& c : cols) order << quoteName(c) + (backwards ? QStringLiteral(" DESC") : QString());
        order << (backwards ? QStringLiteral("rowid DESC") : QStringLiteral("rowid"));
        const QString sql = QStringLiteral("SELECT rowid FROM %1 WHERE (%2) %3 (%4) ORDER BY %5 LIMIT 1")
                                .arg(m_d->cfg.tableRef, left.join(u','), o, right.join(u','), order.join(u','));
        Stmt st(m_db->handle(), sql);
        for (int i = 0; i < keys.size(); ++i) st.bind(i + 1, keys[i]);
        if (!st.step()) {
            m_noMatch = true;
            return false;
        }
        const qint64 id = sqlite3_column_int64(st.get(), 0);
        ensureLoaded();
        qint64 index = m_d->indexOf(id);
        if (index < 0) {
            // Added by SQL after the table was opened: a table recordset sees every row.
            reloadKeepingPosition();
            index = m_d->indexOf(id);
        }
        if (index < 0) {
            m_noMatch = true;
            return false;
        }
        m_noMatch = false;
        place(index);
        return true;
    }

    using RecordsetBase::value;
    QVariant value(int index) const override
    {
        checkField(index);
        if (m_mode != Mode::None) return m_buffer[size_t(index)];
        requireCurrent();
        const auto& row = m_d->row(m_index);
        return row.empty() ? QVariant() : row[size_t(index)];
    }

    QVariant valueAt(qint64 position, int index) override
    {
        checkField(index);
        ensureLoaded();
        if (position < 0 || position >= m_d->size()) invalidPosition(position);
        const auto& row = m_d->row(position);
        return row.empty() ? QVariant() : row[size_t(index)];
    }

    void edit() override
    {
        requireUpdatable();
        requireCurrent();
        const auto& row = m_d->row(m_index);
        if (row.empty()) recordDeleted();
        m_buffer = row;
        m_dirty.assign(m_d->fields.size(), false);
        m_editId = m_d->ids[size_t(m_index)];
        m_mode = Mode::Edit;
    }

    void addNew() override
    {
        requireUpdatable();
        ensureLoaded();
        if (m_mode != Mode::AddNew) {
            m_savedAt = m_at;
            m_savedIndex = m_index;
            m_savedDeleted = m_deleted;
        }
        m_buffer.assign(m_d->fields.size(), QVariant());
        m_dirty.assign(m_d->fields.size(), false);
        m_editId = m_d->reserveId();
        if (m_d->rowidField >= 0) m_buffer[size_t(m_d->rowidField)] = qlonglong(m_editId);
        m_mode = Mode::AddNew;
    }

    void setValue(const QString& name, const QVariant& value) override
    {
        checkOpen();
        const int index = requireField(name);
        if (m_mode == Mode::None)
            throwError(errNotEditing, QStringLiteral("Update oder CancelUpdate ohne AddNew oder Edit."));
        const FieldInfo& f = m_d->fields[size_t(index)];
        if (f.column.isEmpty() || (m_mode == Mode::Edit && index == m_d->rowidField))
            throwError(errFieldNotUpdatable, QStringLiteral("Feld '%1' kann nicht aktualisiert werden.").arg(f.name));
        m_buffer[size_t(index)] = toStorage(f, value);
        m_dirty[size_t(index)] = true;
    }

    void update() override
    {
        checkOpen();
        if (m_mode == Mode::None)
            throwError(errNotEditing, QStringLiteral("Update oder CancelUpdate ohne AddNew oder Edit."));
        QStringList columns;
        QVariantList values;
        for (size_t i = 0; i < m_d->fields.size(); ++i) {
            if (!m_dirty[i] || int(i) == m_d->rowidField) continue;
            const QString& column = m_d->fields[i].column;
            const int existing = columns.indexOf(column);
            if (existing >= 0) values[existing] = m_buffer[i];
            else {
                columns << column;
                values << m_buffer[i];
            }
        }
        if (m_mode == Mode::AddNew) insertRow(columns, values);
        else updateRow(columns, values);
    }

    void cancelUpdate() override
    {
        checkOpen();
        if (m_mode == Mode::AddNew) restoreSaved();
        m_mode = Mode::None;
    }

    void deleteCurrent() override
    {
        requireUpdatable();
        requireCurrent();
        m_mode = Mode::None;
        const qint64 id = m_d->ids[size_t(m_index)];
        Stmt st(m_db->handle(), QStringLiteral("DELETE FROM %1 WHERE rowid=?1").arg(m_d->cfg.tableRef));
        st.bind(1, qlonglong(id));
        st.step();
        m_d->erase(m_index);
        notifyChanged();
    }

    bool editing() const override { return m_mode != Mode::None; }

    QVariant lastModified() const override { return m_lastModified; }
    quint64 rowsVersion() const override { return m_d ? m_d->version : 0; }
    qint64 rowsFetched() const override { return m_d ? m_d->fetched : 0; }

    void setType(RecordsetType type) { m_type = type; }

    // Called by KeysetData::erase for every cursor on the same rows.
    void rowErased(qint64 index)
    {
        auto shift = [index](qint64& at, bool& deleted) {
            if (at > index) --at;
            else if (at == index) deleted = true;
        };
        if (m_at == At::Row) shift(m_index, m_deleted);
        if (m_mode == Mode::AddNew && m_savedAt == At::Row) shift(m_savedIndex, m_savedDeleted);
        if (m_mode == Mode::Edit && m_at == At::Row && m_deleted) m_mode = Mode::None;
    }

private:
    enum class At { Bof, Row, Eof };
    enum class Mode { None, Edit, AddNew };

    const std::vector<FieldInfo>& fields() const override
    {
        checkOpen();
        return m_d->fields;
    }

    bool unchangedSince(const KeysetData& loaded) const
    {
        try {
            return stampHolds(*m_db, loaded.loadStamp);
        } catch (const DbError&) {
            return false;  // reading again says what is wrong
        }
    }

    void ensureLoaded() const
    {
        checkOpen();
        if (m_d->loaded) return;
        m_d->load();
        for (KeysetRecordset* c : m_d->cursors)
            if (c->m_at == At::Row && c->m_index >= m_d->size()) c->m_at = At::Eof;
    }

    bool hasCurrent() const
    {
        ensureLoaded();
        return m_at == At::Row && !m_deleted && m_index < m_d->size();
    }

    void requireCurrent() const
    {
        if (hasCurrent()) return;
        if (m_at == At::Row && m_deleted) recordDeleted();
        noCurrentRecord();
    }

    void requireUpdatable() const
    {
        checkOpen();
        if (!updatable()) readOnlyRecordset(m_d->cfg.source);
    }

    // Moving ends a pending Edit or AddNew without storing it, as the old engine did.
    void place(qint64 index)
    {
        m_mode = Mode::None;
        m_at = At::Row;
        m_index = index;
        m_deleted = false;
        notifyChanged();
    }

    void setEnd(At at)
    {
        m_mode = Mode::None;
        m_at = at;
        m_deleted = false;
        notifyChanged();
    }

    void restoreSaved()
    {
        m_at = m_savedAt;
        m_index = m_savedIndex;
        m_deleted = m_savedDeleted;
    }

    // Every cursor on these rows stays on its row; one whose row is gone goes to the start.
    void reloadKeepingPosition()
    {
        std::vector<std::pair<KeysetRecordset*, qint64>> current;
        for (KeysetRecordset* c : m_d->cursors)
            if (c->hasCurrent()) current.emplace_back(c, m_d->ids[size_t(c->m_index)]);
        m_d->load();
        for (KeysetRecordset* c : m_d->cursors) {
            c->m_index = 0;
            c->m_deleted = false;
            if (c->m_at == At::Row) c->m_at = m_d->ids.empty() ? At::Eof : At::Row;
        }
        for (auto [c, id] : current) {
            const qint64 index = m_d->indexOf(id);
            if (index >= 0) c->m_index = index;
        }
    }

    bool find(const QString& criteria, qint64 start, int step)
    {
        checkOpen();
        ensureLoaded();
        const auto& matches = m_d->matches(criteria);
        const qint64 at = matches.size() == 1 ? firstOf(*matches.begin(), start, step) : firstOf(matches, start, step);
        if (at >= 0) {
            m_noMatch = false;
            place(at);
            return true;
        }
        m_noMatch = true;
        return false;
    }

    // A find by key ("rid=12") has one match; comparing ids is cheaper than a hash look-up
    // for each of the rows it passes.
    qint64 firstOf(qint64 id, qint64 start, int step) const
    {
        const auto& ids = m_d->ids;
        for (qint64 i = start; i >= 0 && i < m_d->size(); i += step)
            if (ids[size_t(i)] == id) return i;
        return -1;
    }

    qint64 firstOf(const std::unordered_set<qint64>& matches, qint64 start, int step) const
    {
        if (matches.empty()) return -1;
        for (qint64 i = start; i >= 0 && i < m_d->size(); i += step)
            if (matches.count(m_d->ids[size_t(i)])) return i;
        return -1;
    }

    void insertRow(const QStringList& columns, const QVariantList& values)
    {
        qint64 id = m_editId;
        if (m_d->rowidField >= 0 && m_dirty[size_t(m_d->rowidField)]) {
            bool ok = false;
            const qint64 explicitId = m_buffer[size_t(m_d->rowidField)].toLongLong(&ok);
            if (ok) id = explicitId;
        }
        QStringList names{QStringLiteral("rowid")};
        QStringList params{QStringLiteral("?1")};
        for (int i = 0; i < columns.size(); ++i) {
            names << quoteName(columns[i]);
            params << QStringLiteral("?%1").arg(i + 2);
        }
        Stmt st(m_db->handle(), QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(m_d->cfg.tableRef, names.join(QStringLiteral(", ")), params.join(QStringLiteral(", "))));
        st.bind(1, qlonglong(id));
        for (int i = 0; i < values.size(); ++i) st.bind(i + 2, values[i]);
        st.step();
        qint64& reserved =
            DatabaseAccess::d(*m_db).reservedIds[m_d->cfg.schema.toLower() + u'.' + m_d->cfg.table.toLower()];
        reserved = std::max(reserved, id);
        m_lastModified = qlonglong(id);
        m_mode = Mode::None;
        restoreSaved();
        m_d->append(id);
        notifyChanged();
    }

    void updateRow(const QStringList& columns, const QVariantList& values)
    {
        if (columns.isEmpty()) {
            m_mode = Mode::None;
            return;
        }
        QStringList sets;
        for (int i = 0; i < columns.size(); ++i) sets << QStringLiteral("%1=?%2").arg(quoteName(columns[i])).arg(i + 1);
        const int idParam = int(columns.size()) + 1;
        Stmt st(m_db->handle(), QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?%3")
                                    .arg(m_d->cfg.tableRef, sets.join(QStringLiteral(", ")))
                                    .arg(idParam));
        for (int i = 0; i < values.size(); ++i) st.bind(i + 1, values[i]);
        st.bind(idParam, qlonglong(m_editId));
        st.step();
        if (sqlite3_changes(m_db->handle()) == 0) {
            m_mode = Mode::None;
            recordDeleted();
        }
        m_lastModified = qlonglong(m_editId);
        m_mode = Mode::None;
        m_d->version = nextVersion();
        notifyChanged();
    }

    std::shared_ptr<KeysetData> m_d;
    Database* m_db;
    RecordsetType m_type = RecordsetType::Dynaset;
    At m_at = At::Row;
    qint64 m_index = 0;
    bool m_deleted = false;  // the current row was deleted; m_index is where the next one is now
    Mode m_mode = Mode::None;
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_dirty;
    qint64 m_editId = 0;
    At m_savedAt = At::Row;
    qint64 m_savedIndex = 0;
    bool m_savedDeleted = false;
    bool m_noMatch = false;
    QVariant m_lastModified;
};

void KeysetData::erase(qint64 index)
{
    ids.erase(ids.begin() + index);
    for (KeysetRecordset* c : cursors) c->rowErased(index);
    version = nextVersion();
}

std::unique_ptr<Recordset> openKeyset(const KeysetConfig& config)
{
    auto data = std::make_shared<KeysetData>(config);
    if (config.type != RecordsetType::Table) data->load();
    auto rs = std::make_unique<KeysetRecordset>(std::move(data));
    rs->setType(config.type);
    return rs;
}

}  // namespace kv::db::detail
