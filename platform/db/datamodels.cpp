#include "platform/db/datamodels.h"

#include "platform/db/sqlfunctions.h"

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

RecordsetTableModel::RecordsetTableModel(DataControl* control, QObject* parent)
    : QAbstractTableModel(parent), m_control(control)
{
    if (control) {
        connect(control, &DataControl::refreshed, this, [this] {
            m_resetPending = true;
            reload();
        });
        connect(control, &DataControl::changed, this, &RecordsetTableModel::reload);
    }
    reload();
}

void RecordsetTableModel::setColumns(const QStringList& fieldNames, const QStringList& headers)
{
    m_columns = fieldNames;
    m_headers = headers;
    m_resetPending = true;
    reload();
}

void RecordsetTableModel::setEditable(bool editable)
{
    m_editable = editable;
}

void RecordsetTableModel::resolveFields()
{
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

void RecordsetTableModel::reload()
{
    const auto [rs, rows, version] = rowsOf(m_control);
    if (m_resetPending || rs != m_recordset) {
        beginResetModel();
        m_recordset = rs;
        m_rows = rs ? rows : 0;
        m_version = version;
        resolveFields();
        m_resetPending = false;
        endResetModel();
        return;
    }
    if (version == m_version && rows == m_rows) return;
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    m_version = version;
    if (m_rows > 0 && columnCount() > 0) emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
}

int RecordsetTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int RecordsetTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_fieldIndexes.size());
}

QVariant RecordsetTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    Recordset* rs = m_control ? m_control->recordset() : nullptr;
    if (!rs || rs != m_recordset || index.row() >= m_rows || index.column() >= columnCount()) return {};
    const int field = m_fieldIndexes[size_t(index.column())];
    if (field < 0) return {};
    try {
        return rs->valueAt(index.row(), field);
    } catch (const DbError&) {
        return {};  // the rows changed under the view; the next reload brings it up to date
    }
}

QVariant RecordsetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
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
    if (role != Qt::EditRole || !index.isValid() || !columnEditable(index.column()) || !m_recordset ||
        index.row() >= m_rows)
        return false;
    const int field = m_fieldIndexes[size_t(index.column())];
    if (field < 0) return false;
    if (beforeUpdate && !beforeUpdate(index.row(), index.column(), value)) return false;
    Recordset* rs = m_recordset;
    try {
        rs->setAbsolutePosition(index.row());
        rs->edit();
        rs->setValue(rs->fieldName(field), value);
        rs->update();
    } catch (const DbError& e) {
        try {
            rs->cancelUpdate();
        } catch (const DbError&) {
        }
        emit editFailed(e.number(), e.text());
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

RecordsetListModel::RecordsetListModel(DataControl* control, const QString& listField, const QString& boundColumn,
                                       QObject* parent)
    : QAbstractListModel(parent), m_control(control), m_listField(listField), m_boundColumn(boundColumn)
{
    if (control) {
        connect(control, &DataControl::refreshed, this, [this] {
            m_resetPending = true;
            reload();
        });
        connect(control, &DataControl::changed, this, &RecordsetListModel::reload);
    }
    reload();
}

void RecordsetListModel::reload()
{
    const auto [rs, rows, version] = rowsOf(m_control);
    if (m_resetPending || rs != m_recordset) {
        beginResetModel();
        m_recordset = rs;
        m_rows = rs ? rows : 0;
        m_version = version;
        m_listIndex = rs ? rs->fieldIndex(m_listField) : -1;
        m_boundIndex = rs ? rs->fieldIndex(m_boundColumn) : -1;
        m_resetPending = false;
        endResetModel();
        return;
    }
    if (version == m_version && rows == m_rows) return;
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    m_version = version;
    if (m_rows > 0) emit dataChanged(index(0), index(m_rows - 1));
}

int RecordsetListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

QVariant RecordsetListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows) return {};
    int field = -1;
    if (role == Qt::DisplayRole || role == Qt::EditRole) field = m_listIndex;
    else if (role == BoundRole) field = m_boundIndex;
    Recordset* rs = m_control ? m_control->recordset() : nullptr;
    if (field < 0 || !rs || rs != m_recordset) return {};
    try {
        return rs->valueAt(index.row(), field);
    } catch (const DbError&) {
        return {};
    }
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
