#pragma once
// The kill tests end a helper program at a random moment of its run, then run it to its
// end; a run that fails says how, with what the program wrote to stderr.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <random>

namespace kv::bench {

inline ::testing::AssertionResult ranToTheEnd(QProcess& tool, int timeoutMs, const char* what)
{
    if (!tool.waitForFinished(timeoutMs))
        return ::testing::AssertionFailure() << what << " did not end";
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return ::testing::AssertionFailure() << "exit " << tool.exitCode() << ": "
                                             << tool.readAllStandardError().toStdString();
    return ::testing::AssertionSuccess();
}

// Kills the started tool after a moment drawn from 0 to `longest` ms, unless it has ended
// by then; true when it was killed.
inline bool killAfterAMoment(QProcess& tool, std::mt19937& random, qint64 longest)
{
    QThread::msleep(static_cast<unsigned long>(std::uniform_int_distribution<qint64>(0, longest)(random)));
    const bool running = tool.state() == QProcess::Running;
    if (running)
        tool.kill();
    tool.waitForFinished();
    return running;
}

// A temporary folder in which every run of the tool has a cookbook folder, a program
// folder ("<name>-programm") and a settings file ("<name>.ini") of its own, as a user's
// machine would have them.
class ToolRunTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString cookbook(const QString& name) const { return path(name) + QStringLiteral("/kelvor-daten.mdb"); }

    // The cookbook file `from` copied as run `name`'s cookbook, without a program folder or
    // settings yet.
    void freshCopy(const QString& name, const QString& from)
    {
        QDir(path(name)).removeRecursively();
        QDir().mkpath(path(name));
        QDir(path(name + QStringLiteral("-programm"))).removeRecursively();
        QFile::remove(path(name + QStringLiteral(".ini")));
        ASSERT_TRUE(QFile::copy(from, cookbook(name)));
    }

    QTemporaryDir m_dir;
};

}  // namespace kv::bench
