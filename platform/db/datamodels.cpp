#include "platform/db/datamodels.h"

#include "platform/db/sqlfunctions.h"

#include <QScopeGuard>

#include <algorithm>
#include <limits>

namespace kv::db {

namespace {

int clampRows(qint64 n)
{
    return int(std::min<qint64>(n, std::numeric_limits<int>::max()));
}

// How a bound value is recognised: numbers by value ("5" finds 5), text as the
// database compares it.
bool sameValue(const QVariant& a, const QVariant& b)
{
    if (!a.isValid() || a.isNull() || !b.isValid() || b.isNull()) return false;
    bool okA = false, okB = false;
    const double da = a.toDouble(&okA);
    const double db = b.toDouble(&okB);
    if (okA && okB) return da == db;
    return detail::compareNoCaseDe(a.toString().toUtf8(), b.toString().toUtf8()) == 0;
}

struct RowsSeen {
    Recordset* recordset = nullptr;   // null as well when the recordset cannot be read
    int rows = 0;
    quint64 version = 0;
};

// The control's recordset as a model sees it on a reload.
RowsSeen rowsOf(DataControl* control)
{
    RowsSeen seen;
    seen.recordset = control ? control->recordset() : nullptr;
    try {
        if (seen.recordset) {
            seen.rows = clampRows(seen.recordset->recordCount());
            seen.version = seen.recordset->rowsVersion();
        }
    } catch (const DbError&) {
        seen.recordset = nullptr;
    }
    return seen;
}

}  // namespace

namespace detail {

template <class Base>
RecordsetModel<Base>::RecordsetModel(DataControl* control, QObject* parent) : Base(parent), m_control(control)
{
    if (control) {
        QObject::connect(control, &DataControl::refreshed, this, [this] { reloadAll(); });
        QObject::connect(control, &DataControl::changed, this, [this] { reload(); });
    }
}

template <class Base>
void RecordsetModel<Base>::reload()
{
    if (m_ownChanges > 0) return;
    const auto [rs, rows, version] = rowsOf(m_control);
    if (m_resetPending || rs != m_recordset) {
        this->beginResetModel();
        m_recordset = rs;
        m_rows = rs ? rows : 0;
        m_version = version;
        resolveFields();
        m_resetPending = false;
        this->endResetModel();
        return;
    }
    if (version == m_version && rows == m_rows) return;
    if (rows > m_rows) {
        this->beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        this->endInsertRows();
    } else if (rows < m_rows) {
        this->beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        this->endRemoveRows();
    }
    m_version = version;
    // Through the item model's interface: the list model keeps columnCount private.
    const int columns = static_cast<const QAbstractItemModel*>(this)->columnCount();
    if (m_rows > 0 && columns > 0) emit this->dataChanged(this->index(0, 0), this->index(m_rows - 1, columns - 1));
}

template <class Base>
void RecordsetModel<Base>::reloadAll()
{
    m_resetPending = true;
    reload();
}

template <class Base>
int RecordsetModel<Base>::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows + trailingRows();
}

template <class Base>
QVariant RecordsetModel<Base>::valueAt(int row, int field) const
{
    Recordset* rs = liveRecordset();
    if (field < 0 || !rs || row < 0 || row >= m_rows || row == m_blankRow) return {};
    if (m_removed > 0 && row >= m_removedFrom) {
        if (row < m_removedFrom + m_removed) return {};
        row -= m_removed;
    }
    try {
        return rs->valueAt(row, field);
    } catch (const DbError&) {
        return {};  // the rows changed under the view; the next reload brings it up to date
    }
}

template <class Base>
Recordset* RecordsetModel<Base>::liveRecordset() const
{
    Recordset* rs = m_control ? m_control->recordset() : nullptr;
    return rs == m_recordset ? rs : nullptr;
}

template <class Base>
bool RecordsetModel<Base>::changeRows(const std::function<bool()>& work)
{
    bool done = false;
    {
        ++m_ownChanges;
        const auto leave = qScopeGuard([this] { --m_ownChanges; });
        done = work();
    }
    reload();
    return done;
}

template <class Base>
void RecordsetModel<Base>::announceNewRowStored()
{
    const int stored = m_rows;
    this->beginInsertRows({}, stored + 1, stored + 1);
    m_blankRow = stored;
    ++m_rows;
    this->endInsertRows();
    m_blankRow = -1;
    const int columns = static_cast<const QAbstractItemModel*>(this)->columnCount();
    if (columns > 0) emit this->dataChanged(this->index(stored, 0), this->index(stored, columns - 1));
}

template <class Base>
void RecordsetModel<Base>::announceRemoved(int first, int count)
{
    m_removedFrom = first;
    m_removed = count;
    this->beginRemoveRows({}, first, first + count - 1);
    m_removed = 0;
    m_rows -= count;
    this->endRemoveRows();
}

template class RecordsetModel<QAbstractTableModel>;
template class RecordsetModel<QAbstractListModel>;

}  // namespace detail

RecordsetTableModel::RecordsetTableModel(DataControl* control, QObject* parent) : RecordsetModel(control, parent)
{
    reload();
}

void RecordsetTableModel::setColumns(const QStringList& fieldNames, const QStringList& headers)
{
    m_columns = fieldNames;
    m_headers = headers;
    reloadAll();
}

void RecordsetTableModel::setEditable(bool editable)
{
    m_editable = editable;
    updateNewRow();
}

void RecordsetTableModel::setAllowAddNew(bool allow)
{
    m_allowAddNew = allow;
    updateNewRow();
}

void RecordsetTableModel::setAllowDelete(bool allow)
{
    m_allowDelete = allow;
}

bool RecordsetTableModel::isNewRow(int row) const
{
    return m_newRowShown && row == m_rows;
}

int RecordsetTableModel::trailingRows() const
{
    return m_newRowShown ? 1 : 0;
}

bool RecordsetTableModel::wantsNewRow() const
{
    Recordset* rs = liveRecordset();
    return m_allowAddNew && m_editable && rs && rs->updatable();
}

void RecordsetTableModel::updateNewRow()
{
    const bool shown = wantsNewRow();
    if (shown == m_newRowShown) return;
    if (shown) {
        beginInsertRows({}, m_rows, m_rows);
        m_newRowShown = true;
        endInsertRows();
    } else {
        beginRemoveRows({}, m_rows, m_rows);
        m_newRowShown = false;
        endRemoveRows();
    }
}

void RecordsetTableModel::resolveFields()
{
    m_newRowShown = wantsNewRow();
    m_fieldIndexes.clear();
    if (!m_recordset) return;
    try {
        if (m_columns.isEmpty()) {
            for (int i = 0; i < m_recordset->fieldCount(); ++i) m_fieldIndexes.push_back(i);
        } else {
            for (const QString& name : m_columns) m_fieldIndexes.push_back(m_recordset->fieldIndex(name));
        }
    } catch (const DbError&) {
        m_fieldIndexes.clear();
    }
}

int RecordsetTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_fieldIndexes.size());
}

QVariant RecordsetTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole) || index.column() >= columnCount()) return {};
    return valueAt(index.row(), m_fieldIndexes[size_t(index.column())]);
}

QVariant RecordsetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && isNewRow(section)) return QStringLiteral("*");
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < m_headers.size()) return m_headers[section];
    if (section < m_columns.size()) return m_columns[section];
    const int field = m_fieldIndexes[size_t(section)];
    try {
        return m_recordset && field >= 0 ? QVariant(m_recordset->fieldName(field)) : QVariant();
    } catch (const DbError&) {
        return {};
    }
}

void RecordsetTableModel::setEditableColumns(const QStringList& fieldNames)
{
    m_editableColumns = fieldNames;
}

bool RecordsetTableModel::columnEditable(int column) const
{
    if (!m_editable || column < 0 || column >= columnCount()) return false;
    if (m_editableColumns.isEmpty()) return true;
    QString name;
    if (column < m_columns.size()) {
        name = m_columns[column];
    } else {
        const int field = m_fieldIndexes[size_t(column)];
        try {
            if (m_recordset && field >= 0) name = m_recordset->fieldName(field);
        } catch (const DbError&) {
        }
    }
    return m_editableColumns.contains(name, Qt::CaseInsensitive);
}

Qt::ItemFlags RecordsetTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && columnEditable(index.column()) && m_recordset && m_recordset->isOpen() &&
        m_recordset->updatable())
        f |= Qt::ItemIsEditable;
    return f;
}

bool RecordsetTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    Recordset* rs = liveRecordset();
    if (role != Qt::EditRole || !index.isValid() || !columnEditable(index.column()) || !rs) return false;
    const bool adding = isNewRow(index.row());
    if (!adding && index.row() >= m_rows) return false;
    const int field = m_fieldIndexes[size_t(index.column())];
    if (field < 0) return false;
    // An editor closed on the new row without typing adds no empty record.
    if (adding && value.toString().isEmpty()) return false;
    if (beforeUpdate && !beforeUpdate(index.row(), index.column(), value)) return false;
    if (adding) return addRecord(rs, field, value);
    try {
        rs->setAbsolutePosition(index.row());
        rs->edit();
        rs->setValue(rs->fieldName(field), value);
        rs->update();
    } catch (const DbError& e) {
        refuseEdit(rs, e);
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

void RecordsetTableModel::refuseEdit(Recordset* rs, const DbError& error)
{
    try {
        rs->cancelUpdate();
    } catch (const DbError&) {
        // Nothing was pending; the error to report is the first one.
    }
    emit editFailed(error.number(), error.text());
}

bool RecordsetTableModel::addRecord(Recordset* rs, int field, const QVariant& value)
{
    return changeRows([&] {
        try {
            rs->addNew();
            if (onAddNew) onAddNew(*rs);
            rs->setValue(rs->fieldName(field), value);
            rs->update();
        } catch (const DbError& e) {
            refuseEdit(rs, e);
            return false;
        }
        // The control stands on the new record, as it does on an edited one.
        try {
            rs->setBookmark(rs->lastModified());
            // Elsewhere than last, the reload after the change announces it as an outside addition.
            if (rs->absolutePosition() == m_rows) announceNewRowStored();
        } catch (const DbError&) {
        }
        return true;
    });
}

bool RecordsetTableModel::removeRows(int row, int count, const QModelIndex& parent)
{
    Recordset* rs = liveRecordset();
    if (!m_allowDelete || parent.isValid() || !rs || !rs->updatable() || row < 0 || count <= 0 ||
        row + count > rowCount())
        return false;
    count = std::min(count, m_rows - row);
    if (count <= 0) return false;
    return deleteRecords(rs, row, count);
}

bool RecordsetTableModel::deleteRecords(Recordset* rs, int row, int count)
{
    Database* db = rs->database();
    if (!db) return false;
    return changeRows([&] {
        QVariant current;
        int deleted = 0;
        try {
            if (rs->absolutePosition() >= 0) current = rs->bookmark();
            // Positions move while deleting, bookmarks do not. A clone reads them without
            // moving the control's current row.
            std::vector<QVariant> marks;
            {
                const auto reader = rs->clone();
                for (int i = row; i < row + count; ++i) {
                    reader->setAbsolutePosition(i);
                    marks.push_back(reader->bookmark());
                }
            }
            Transaction tx(*db);
            for (const QVariant& mark : marks) {
                rs->setBookmark(mark);
                rs->deleteCurrent();
                ++deleted;
            }
            tx.commit();
        } catch (const DbError& e) {
            try {
                // The rollback brought back rows that the recordset has dropped already.
                if (deleted > 0) rs->requery();
                if (current.isValid()) rs->setBookmark(current);
            } catch (const DbError&) {
            }
            emit editFailed(e.number(), e.text());
            return false;
        }
        announceRemoved(row, count);
        // The control must not stay on a deleted record: back to its own, else to the one
        // now in the deleted rows' place.
        bool placed = false;
        try {
            if (current.isValid()) {
                rs->setBookmark(current);
                placed = true;
            }
        } catch (const DbError&) {
        }
        try {
            if (!placed && m_rows > 0) rs->setAbsolutePosition(std::min(row, m_rows - 1));
        } catch (const DbError&) {
        }
        return true;
    });
}

RecordsetListModel::RecordsetListModel(DataControl* control, const QString& listField, const QString& boundColumn,
                                       QObject* parent)
    : RecordsetModel(control, parent), m_listField(listField), m_boundColumn(boundColumn)
{
    reload();
}

void RecordsetListModel::resolveFields()
{
    m_listIndex = m_recordset ? m_recordset->fieldIndex(m_listField) : -1;
    m_boundIndex = m_recordset ? m_recordset->fieldIndex(m_boundColumn) : -1;
}

QVariant RecordsetListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) return valueAt(index.row(), m_listIndex);
    if (role == BoundRole) return valueAt(index.row(), m_boundIndex);
    return {};
}

QVariant RecordsetListModel::boundValue(int row) const
{
    return data(index(row), BoundRole);
}

int RecordsetListModel::rowOfBoundValue(const QVariant& value) const
{
    for (int row = 0; row < m_rows; ++row)
        if (sameValue(boundValue(row), value)) return row;
    return -1;
}

}  // namespace kv::db
