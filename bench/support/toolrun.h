#pragma once
// The kill tests end a helper program at a random moment of its run, then run it to its
// end; a run that fails says how, with what the program wrote to stderr.

#include <gtest/gtest.h>

#include <QProcess>
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

}  // namespace kv::bench
