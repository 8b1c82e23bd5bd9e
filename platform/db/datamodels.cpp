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
    return parent.isValid() ? 0 : m_rows;
}

template <class Base>
QVariant RecordsetModel<Base>::valueAt(int row, int field) const
{
    Recordset* rs = m_control ? m_control->recordset() : nullptr;
    if (field < 0 || !rs || rs != m_recordset || row >= m_rows) return {};
    try {
        return rs->valueAt(row, field);
    } catch (const DbError&) {
        return {};  // the rows changed under the view; the next reload brings it up to date
    }
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
