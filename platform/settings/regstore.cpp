#include "platform/settings/regstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

// A fresh QSettings per call: another instance of the program may have changed the
// file since. QSettings still keeps the parsed file in a process-wide cache and
// re-reads it when the file's size or modification time (to the millisecond)
// differs, so only an outside change of equal size within the same millisecond
// goes unseen.

namespace kv::settings {

namespace {

QString g_storeFile;

// Read at every call, so a test or a second store set in the environment is honoured.
QString userStoreFile()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome)) {
        QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty())
            home = QDir::homePath();
        configHome = home + QStringLiteral("/.config");
    }
    return QDir::cleanPath(configHome + QStringLiteral("/Kelvor/Version2.ini"));
}

// The registry matches value names without regard to case; the INI file does not.
QString storedKey(const QSettings& s, const QString& name)
{
    if (s.contains(name))
        return name;
    const QStringList keys = s.allKeys();
    for (const QString& key : keys) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return key;
    }
    return name;
}

// Registry value names may hold any character but the backslash; QSettings reads
// '/' and '\' as groups, so such names are refused rather than scattered.
bool validName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

}  // namespace

void setStoreFile(const QString& iniPath)
{
    g_storeFile = iniPath.isEmpty() ? QString() : QFileInfo(iniPath).absoluteFilePath();
}

QString storeFile()
{
    if (!g_storeFile.isEmpty())
        return g_storeFile;
    const QString fromEnv = qEnvironmentVariable("KELVOR_SETTINGS");
    if (!fromEnv.isEmpty())
        return QFileInfo(fromEnv).absoluteFilePath();
    return userStoreFile();
}

QString getregvalue(const QString& name)
{
    if (!validName(name))
        return {};
    const QSettings s(storeFile(), QSettings::IniFormat);
    const QVariant value = s.value(storedKey(s, name));
    // A value some other tool wrote as a list ("a, b" unquoted) is one text to us.
    if (value.typeId() == QMetaType::QStringList)
        return trimBlanks(value.toStringList().join(QStringLiteral(", ")));
    return trimBlanks(value.toString());
}

QString setregvalue(const QString& name, const QString& value)
{
    if (!validName(name))
        return QString::number(int(QSettings::FormatError));
    QSettings s(storeFile(), QSettings::IniFormat);
    if (s.status() != QSettings::NoError)
        return QString::number(int(s.status()));
    s.setValue(storedKey(s, name), value);
    s.sync();
    return QString::number(int(s.status()));
}

}  // namespace kv::settings
