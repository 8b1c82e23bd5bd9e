#pragma once
// The replacement of the bindable data control: a database file name, a record
// source and the recordset opened from them. Grids, lists and combos bind to it
// through the models in datamodels.h.

#include "platform/db/database.h"

#include <QObject>

namespace kv::db {

class DataControl : public QObject {
    Q_OBJECT
public:
    explicit DataControl(QObject* parent = nullptr);
    ~DataControl() override;

    void setDatabaseName(const QString& fileName);
    QString databaseName() const;
    void setRecordSource(const QString& source);
    QString recordSource() const;
    void setRecordsetType(RecordsetType type);

    // Re-opens the recordset on the open connection of databaseName() (shared, never a
    // second connection) and positions it on its first row. Throws DbError.
    void refresh();
    // Null until the first refresh (or when the database is not open).
    Recordset* recordset() const;
    // Drops the recordset, e.g. before its database is closed.
    void release();

signals:
    void refreshed();                // a new recordset (rows may all differ)
    void changed();                  // position or rows of the current recordset changed

private:
    QString m_databaseName;
    QString m_recordSource;
    RecordsetType m_type = RecordsetType::Dynaset;
    std::unique_ptr<Recordset> m_recordset;
};

}  // namespace kv::db
