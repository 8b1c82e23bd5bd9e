#pragma once
// A private world for one test: its own home, config and data folders, program
// folder, settings file, temp folder and the German locale. Everything is put back
// when the object goes out of scope, so tests never touch the user's files.

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QTemporaryDir>

#include <optional>
#include <ostream>
#include <utility>
#include <vector>

// Readable QStrings in test failures.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace kv::test {

// A file's bytes, or "<fehlt>" when it cannot be read.
QByteArray fileBytes(const QString& path);
// Writes a file anew; fails the test when it cannot.
void writeFileBytes(const QString& path, const QByteArray& bytes);

class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    // The program folder (created and filled from the shipped files on first call).
    QString programFolder() const;
    // A new folder under the temp folder holding a copy of the shipped cookbook;
    // ends with '/'. Fails the test when the shipped cookbook is missing.
    QString copyShippedCookbook(const QString& folderName) const;
    // A path inside this environment's temp folder (nothing is created).
    QString tempPath(const QString& name) const;
    QString homeFolder() const;
    QString settingsFile() const;

    // Sets or unsets a variable for the rest of the test; the destructor restores it.
    void setEnv(const char* name, const QString& value);
    void unsetEnv(const char* name);

private:
    void remember(const char* name);

    QTemporaryDir m_dir;
    QLocale m_previousLocale;
    QString m_previousStoreFile;
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> m_savedEnv;
};

}  // namespace kv::test
