#pragma once
// The kill tests end a helper program at a random moment of its run, then run it to its
// end; a run that fails says how, with what the program wrote to stderr.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

// The rounds of a kill test. Each round starts the tool, kills it at a moment drawn from 0
// to the time the last whole run took, and leaves the checks and the run that completes
// the work to the test. The rounds stop at their number or once the budget is spent,
// whichever comes first: a slow or busy machine runs fewer of them instead of running into
// the test's ctest limit. Drawing from the last run rather than the first keeps most kills
// mid-way when the machine gets quieter or busier during the test.
class KillRounds {
public:
    // Whether the run after a kill goes on from where the killed one stopped (an import, an
    // upgrade) or does the whole work again (a compaction, an export): only the latter's
    // time alone is a whole run's.
    enum class Completion { Resumes, StartsOver };

    KillRounds(const char* what, int most, int leastMidway, std::chrono::seconds budget, qint64 wholeRunMs,
               Completion completion)
        : m_what(what), m_most(most), m_leastMidway(leastMidway), m_budgetMs(budget.count() * 1000),
          m_wholeRunMs(wholeRunMs), m_completion(completion), m_seed(std::random_device{}()), m_random(m_seed)
    {
        m_clock.start();
    }

    ~KillRounds()
    {
        std::printf("%s: %d of %d rounds in %lld s (budget %lld s), %d killed mid-way, seed %u\n", m_what, m_rounds,
                    m_most, static_cast<long long>(m_clock.elapsed() / 1000),
                    static_cast<long long>(m_budgetMs / 1000), m_midway, m_seed);
        std::fflush(stdout);
    }

    // Starts the next round, if the number and the budget allow one.
    bool another()
    {
        if (m_rounds == m_most || m_clock.elapsed() >= m_budgetMs)
            return false;
        ++m_rounds;
        m_killedAt = -1;
        return true;
    }

    ::testing::Message trace() const
    {
        return ::testing::Message() << m_what << " round " << m_rounds << ", seed " << m_seed;
    }

    // Waits for the started tool to end, at most a moment drawn from 0 to the last whole
    // run's time, and kills it if it has not; true when it was killed.
    bool killAfterAMoment(QProcess& tool)
    {
        const qint64 moment = std::uniform_int_distribution<qint64>(0, m_wholeRunMs)(m_random);
        QElapsedTimer ran;
        ran.start();
        if (tool.state() == QProcess::Running && !tool.waitForFinished(static_cast<int>(moment))) {
            m_killedAt = ran.elapsed();
            tool.kill();
            tool.waitForFinished();
            ++m_midway;
            return true;
        }
        tool.waitForFinished();
        // It ended on its own: this was a whole run.
        m_wholeRunMs = std::max<qint64>(ran.elapsed(), 1);
        return false;
    }

    // Runs `complete` (the run after the kill) and learns from its time what a whole run
    // takes now.
    template <typename Run>
    ::testing::AssertionResult completion(Run complete)
    {
        QElapsedTimer ran;
        ran.start();
        ::testing::AssertionResult result = complete();
        if (result) {
            if (m_completion == Completion::StartsOver)
                m_wholeRunMs = std::max<qint64>(ran.elapsed(), 1);
            else if (m_killedAt >= 0)
                m_wholeRunMs = m_killedAt + ran.elapsed();
        }
        return result;
    }

    // The rounds prove something only when most kills came mid-way, and enough of them.
    ::testing::AssertionResult landedEnough() const
    {
        if (m_midway * 2 > m_rounds && m_midway >= m_leastMidway)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << m_what << ": " << m_midway << " of " << m_rounds
                                             << " kills mid-way, at least " << m_leastMidway
                                             << " and more than half needed";
    }

private:
    const char* m_what;
    int m_most;
    int m_leastMidway;
    qint64 m_budgetMs;
    qint64 m_wholeRunMs;
    Completion m_completion;
    unsigned m_seed;
    std::mt19937 m_random;
    QElapsedTimer m_clock;
    int m_rounds = 0;
    int m_midway = 0;
    qint64 m_killedAt = -1;
};

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
