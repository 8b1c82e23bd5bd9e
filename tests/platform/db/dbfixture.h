#pragma once
// A fresh database file in a temporary folder for every test.

#include "platform/db/database.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kv::test {

class DbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("kelvor-daten.mdb"));
        db = kv::db::Database::create(m_path);
    }

    void exec(const QString& sql) { db->execute(sql); }
    QVariant scalar(const QString& sql) { return db->scalar(sql); }
    qint64 count(const QString& sql) { return db->scalar(sql).toLongLong(); }
    QString path() const { return m_path; }
    QString dirPath(const QString& name) const { return m_dir.filePath(name); }

    // rezepte as the conventions lay it down, with `n` recipes "Rezept 00001"...
    void makeRecipes(int n)
    {
        exec(QStringLiteral("CREATE TABLE rezepte (rid INTEGER PRIMARY KEY AUTOINCREMENT, "
                            "rname VARCHAR(255) COLLATE NOCASE_DE, port LONG, ungenau BIT, kid LONG, komid LONG, did LONG)"));
        if (n > 0)
            exec(QStringLiteral("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < %1) "
                                "INSERT INTO rezepte (rname, port, ungenau, kid) "
                                "SELECT printf('Rezept %05d', i), 4, 0, i % 3 FROM k")
                     .arg(n));
    }

    std::unique_ptr<kv::db::Database> db;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

}  // namespace kv::test
