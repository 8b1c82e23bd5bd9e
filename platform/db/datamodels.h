#pragma once
// Item models over a DataControl's recordset. Rows are read on demand through
// Recordset::valueAt, so a list of 250,000 recipes shows its first screen at once
// and scrolls to the end without loading every row.

#include "platform/db/datacontrol.h"

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QPointer>

#include <functional>

namespace kv::db {

namespace detail {

// What the grid and the list keep of the control's recordset, and how a reload tells
// the view what changed. A template because one is a table model, the other a list model.
template <class Base>
class RecordsetModel : public Base {
public:
    DataControl* control() const { return m_control; }
    int rowCount(const QModelIndex& parent = {}) const override;

    // After DataControl::refreshed or changed. A new recordset resets the model; new,
    // fewer or edited rows are announced as such; a mere move of the current row
    // announces nothing.
    void reload();

protected:
    RecordsetModel(DataControl* control, QObject* parent);
    // Reloads as for a new recordset: the view resets even when the recordset is the same.
    void reloadAll();
    // Looks up the shown fields of a new recordset, inside the model reset.
    virtual void resolveFields() = 0;
    // Rows shown after the recordset's rows (a grid's new row); they hold no values.
    virtual int trailingRows() const { return 0; }
    // Null for a missing field, a row the model has not counted, a recordset the
    // control no longer holds, or rows that changed under the view.
    QVariant valueAt(int row, int field) const;
    // m_recordset while the control still holds it, else null.
    Recordset* liveRecordset() const;

    // Runs a change of rows that the model announces itself (announceNewRowStored,
    // announceRemoved). The recordset's change notices meanwhile do not reach reload(),
    // which would announce the same rows a second time; whatever else changed (values a
    // trigger wrote) is announced by a reload when `work` is done.
    bool changeRows(const std::function<bool()>& work);
    // The first trailing row was stored as the recordset's new last row: it stays where
    // it is, now a record, and a fresh trailing row appears below it. So a view's current
    // index stays on the record just typed.
    void announceNewRowStored();
    // The recordset no longer holds `count` rows from `first` on.
    void announceRemoved(int first, int count);

    QPointer<DataControl> m_control;
    Recordset* m_recordset = nullptr;
    int m_rows = 0;

private:
    quint64 m_version = 0;
    bool m_resetPending = true;
    int m_ownChanges = 0;
    // While a change is announced the view must still see the rows as they were, though
    // the recordset holds them as they are: a stored new row still shows empty, and
    // after a delete the rows from m_removedFrom on are read m_removed rows further on.
    int m_blankRow = -1;
    int m_removedFrom = 0;
    int m_removed = 0;
};

// Both are instantiated once, in datamodels.cpp.
extern template class RecordsetModel<QAbstractTableModel>;
extern template class RecordsetModel<QAbstractListModel>;

}  // namespace detail

class RecordsetTableModel : public detail::RecordsetModel<QAbstractTableModel> {
    Q_OBJECT
public:
    explicit RecordsetTableModel(DataControl* control, QObject* parent = nullptr);

    // Shown columns by field name with their header texts; all fields when never set.
    void setColumns(const QStringList& fieldNames, const QStringList& headers = {});
    void setEditable(bool editable);   // writes edits through Recordset::edit/update
    // A data grid's new row: one empty row after the recordset's rows (while editable and
    // the recordset takes additions); a value typed into it adds a record.
    void setAllowAddNew(bool allow);
    bool isNewRow(int row) const;
    // Lets removeRows delete records, all of them in one transaction.
    void setAllowDelete(bool allow);
    // Only these shown fields take edits (all shown fields when never set): a constant
    // column of the query has nothing to write to.
    void setEditableColumns(const QStringList& fieldNames);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // Deletes the records at these rows; the new row is never deleted. False when deleting
    // is not allowed or the database refused (then nothing is deleted).
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    // Called before a grid edit is stored, also the first value of a new row (row is then
    // the new row's); return false to refuse it.
    std::function<bool(int row, int column, const QVariant& value)> beforeUpdate;
    // Called for a record being added, before the typed value is set: fields the grid
    // does not show get their values here.
    std::function<void(Recordset& added)> onAddNew;

signals:
    // A grid edit, addition or deletion that the database refused (the rows stay as stored).
    void editFailed(int number, const QString& text);

private:
    void resolveFields() override;
    int trailingRows() const override;
    bool columnEditable(int column) const;
    bool wantsNewRow() const;
    void updateNewRow();
    bool addRecord(Recordset* rs, int field, const QVariant& value);
    // A refused edit or new record: the recordset drops it and the model says why.
    void refuseEdit(Recordset* rs, const DbError& error);
    bool deleteRecords(Recordset* rs, int row, int count);

    QStringList m_columns;
    QStringList m_headers;
    bool m_editable = false;
    bool m_allowAddNew = false;
    bool m_allowDelete = false;
    bool m_newRowShown = false;
    QStringList m_editableColumns;
    std::vector<int> m_fieldIndexes;
};

// For lists and combos: a shown field (list field) and a bound field (bound column).
class RecordsetListModel : public detail::RecordsetModel<QAbstractListModel> {
    Q_OBJECT
public:
    RecordsetListModel(DataControl* control, const QString& listField, const QString& boundColumn,
                       QObject* parent = nullptr);
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant boundValue(int row) const;
    int rowOfBoundValue(const QVariant& value) const;   // -1 when absent

    static constexpr int BoundRole = Qt::UserRole + 1;

private:
    void resolveFields() override;

    QString m_listField;
    QString m_boundColumn;
    int m_listIndex = -1;
    int m_boundIndex = -1;
};

}  // namespace kv::db
