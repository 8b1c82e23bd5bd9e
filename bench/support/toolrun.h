#pragma once
// The kill tests run a helper program to its end after the runs they killed; a run that
// fails says how, with what the program wrote to stderr.

#include <gtest/gtest.h>

#include <QProcess>

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

}  // namespace kv::bench
