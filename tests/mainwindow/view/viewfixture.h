#pragma once
// A fresh copy of the delivered cookbook for each test, with private settings and scripted
// dialogs.

#include "platform/db/database.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QVariant>

#include <memory>

namespace kv::test {

class CookbookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString folder = env.copyShippedCookbook(QStringLiteral("kochbuch"));
        db = db::Database::open(folder + QStringLiteral("kelvor-daten.mdb"));
    }

    QVariant value(const QString& sql) { return db->scalar(sql); }
    qint64 count(const QString& sql) { return db->scalar(sql).toLongLong(); }

    TestEnvironment env;
    ScriptedDialogs dialogs;
    std::unique_ptr<db::Database> db;
};

}  // namespace kv::test
