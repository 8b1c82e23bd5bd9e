#include "platform/db/datacontrol.h"

namespace kv::db {

DataControl::DataControl(QObject* parent) : QObject(parent) {}

DataControl::~DataControl() = default;

void DataControl::setDatabaseName(const QString& fileName)
{
    m_databaseName = fileName;
}

QString DataControl::databaseName() const
{
    return m_databaseName;
}

void DataControl::setRecordSource(const QString& source)
{
    m_recordSource = source;
}

QString DataControl::recordSource() const
{
    return m_recordSource;
}

void DataControl::setRecordsetType(RecordsetType type)
{
    m_type = type;
}

void DataControl::refresh()
{
    Database* db = Database::byName(m_databaseName);
    if (!db) {
        release();
        throw DbError(errFileNotFound, QStringLiteral("Die Datenbank '%1' ist nicht geöffnet.").arg(m_databaseName));
    }
    if (m_recordSource.trimmed().isEmpty()) {
        release();
        emit refreshed();
        return;
    }
    // Opened before the old one is dropped: a failing source leaves nothing half-bound.
    std::unique_ptr<Recordset> fresh;
    try {
        fresh = db->openRecordset(m_recordSource, m_type);
    } catch (...) {
        release();
        throw;
    }
    if (!fresh->eof()) fresh->moveFirst();
    fresh->setChangeCallback([this] { emit changed(); });
    if (m_recordset) m_recordset->setChangeCallback({});
    m_recordset = std::move(fresh);
    emit refreshed();
}

Recordset* DataControl::recordset() const
{
    return m_recordset && m_recordset->isOpen() ? m_recordset.get() : nullptr;
}

void DataControl::release()
{
    if (!m_recordset) return;
    m_recordset->setChangeCallback({});
    m_recordset.reset();
    emit refreshed();
}

}  // namespace kv::db
