#include "tests/support/testenv.h"

#include "core/mainmod.h"
#include "platform/paths.h"
#include "platform/settings/regstore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <algorithm>

namespace kv::test {

TestEnvironment::TestEnvironment()
    : m_previousLocale(QLocale())
    , m_previousStoreFile(kv::settings::storeFile())
{
    // Without its own folder a test would write into the real home; stop instead.
    if (!m_dir.isValid())
        qFatal("no temp folder for the test: %s", qPrintable(m_dir.errorString()));
    const QString home = tempPath(QStringLiteral("home"));
    QDir().mkpath(home);
    QDir().mkpath(tempPath(QStringLiteral("tmp")));
    setEnv("HOME", home);
    setEnv("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
    setEnv("XDG_DATA_HOME", home + QStringLiteral("/.local/share"));
    setEnv("KELVOR_HOME", tempPath(QStringLiteral("kelvor")));
    setEnv("KELVOR_SHIPPED", QStringLiteral(KELVOR_SHIPPED_DIR));
    setEnv("TMPDIR", tempPath(QStringLiteral("tmp")));
    unsetEnv("KELVOR_SETTINGS");
    kv::settings::setStoreFile(settingsFile());
    kv::paths::resetForTests();
    kv::resetSharedState();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

TestEnvironment::~TestEnvironment()
{
    QLocale::setDefault(m_previousLocale);
    kv::settings::setStoreFile(m_previousStoreFile);
    for (const auto& [name, value] : m_savedEnv) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
    kv::paths::resetForTests();
    kv::resetSharedState();
}

QString TestEnvironment::programFolder() const
{
    return kv::paths::programFolder();
}

QString TestEnvironment::copyShippedCookbook(const QString& folderName) const
{
    const QString folder = tempPath(folderName) + QLatin1Char('/');
    QDir().mkpath(folder);
    const QString source = QStringLiteral(KELVOR_SHIPPED_DIR "/kochbuch/kelvor-daten.mdb");
    const QString target = folder + QStringLiteral("kelvor-daten.mdb");
    if (!QFile::exists(source))
        ADD_FAILURE() << "the shipped cookbook is missing: " << source.toStdString();
    else if (!QFile::copy(source, target))
        ADD_FAILURE() << "cannot copy the shipped cookbook to " << target.toStdString();
    else
        QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
    return folder;
}

QString TestEnvironment::tempPath(const QString& name) const
{
    return m_dir.path() + QLatin1Char('/') + name;
}

QString TestEnvironment::homeFolder() const
{
    return tempPath(QStringLiteral("home"));
}

QString TestEnvironment::settingsFile() const
{
    return homeFolder() + QStringLiteral("/.config/Kelvor/Version2.ini");
}

void TestEnvironment::remember(const char* name)
{
    const QByteArray key(name);
    if (std::any_of(m_savedEnv.begin(), m_savedEnv.end(),
                    [&](const auto& saved) { return saved.first == key; }))
        return;
    std::optional<QByteArray> value;
    if (qEnvironmentVariableIsSet(name))
        value = qgetenv(name);
    m_savedEnv.emplace_back(key, value);
}

void TestEnvironment::setEnv(const char* name, const QString& value)
{
    remember(name);
    qputenv(name, value.toLocal8Bit());
}

void TestEnvironment::unsetEnv(const char* name)
{
    remember(name);
    qunsetenv(name);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<fehlt>");
}

void writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size()) << path.toStdString();
}

}  // namespace kv::test
