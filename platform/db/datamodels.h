#pragma once
// Item models over a DataControl's recordset. Rows are read on demand through
// Recordset::valueAt, so a list of 250,000 recipes shows its first screen at once
// and scrolls to the end without loading every row.

#include "platform/db/datacontrol.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace kv::db {

class RecordsetTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordsetTableModel(DataControl* control, QObject* parent = nullptr);

    // Shown columns by field name with their header texts; all fields when never set.
    void setColumns(const QStringList& fieldNames, const QStringList& headers = {});
    void setEditable(bool editable);   // writes edits through Recordset::edit/update
    // Only these shown fields take edits (all shown fields when never set): a constant
    // column of the query has nothing to write to.
    void setEditableColumns(const QStringList& fieldNames);

    DataControl* control() const { return m_control; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Called before a grid edit is stored; return false to refuse it.
    std::function<bool(int row, int column, const QVariant& value)> beforeUpdate;

signals:
    // A grid edit that the database refused (the row keeps its stored value).
    void editFailed(int number, const QString& text);

public slots:
    // After DataControl::refreshed or changed. A new recordset resets the model; new,
    // fewer or edited rows are announced as such; a mere move of the current row
    // announces nothing.
    void reload();

private:
    void resolveFields();

    QPointer<DataControl> m_control;
    QStringList m_columns;
    QStringList m_headers;
    bool m_editable = false;
    QStringList m_editableColumns;
    bool columnEditable(int column) const;
    int m_rows = 0;
    Recordset* m_recordset = nullptr;
    quint64 m_version = 0;
    bool m_resetPending = true;
    std::vector<int> m_fieldIndexes;
};

// For lists and combos: a shown field (list field) and a bound field (bound column).
class RecordsetListModel : public QAbstractListModel {
    Q_OBJECT
public:
    RecordsetListModel(DataControl* control, const QString& listField, const QString& boundColumn,
                       QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant boundValue(int row) const;
    int rowOfBoundValue(const QVariant& value) const;   // -1 when absent

    static constexpr int BoundRole = Qt::UserRole + 1;

public slots:
    void reload();

private:
    QPointer<DataControl> m_control;
    QString m_listField;
    QString m_boundColumn;
    int m_rows = 0;
    Recordset* m_recordset = nullptr;
    quint64 m_version = 0;
    bool m_resetPending = true;
    int m_listIndex = -1;
    int m_boundIndex = -1;
};

}  // namespace kv::db
