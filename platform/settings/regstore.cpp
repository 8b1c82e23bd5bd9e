#include "platform/settings/regstore.h"

#include "platform/ui/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>

#include <cstdio>
#include <stdexcept>

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

// The format error of QSettings reaches only the instance that parsed the file; one
// that finds it in the cache reports no error, and its next write keeps whatever the
// parser made of the file. A copy under a new name is always parsed afresh.
bool unparsable(const QByteArray& content)
{
    QTemporaryFile scratch;
    if (!scratch.open() || scratch.write(content) != content.size() || !scratch.flush())
        return false;
    QSettings s(scratch.fileName(), QSettings::IniFormat);
    s.allKeys();  // sections are parsed on first use
    return s.status() == QSettings::FormatError;
}

// A store file that was read but cannot be parsed is renamed to its name + ".defekt":
// the user keeps it and the store starts afresh. A file that could not be opened
// (permissions, a folder) is never taken for a broken one.
enum class Store { Readable, SetAside, Stuck };

// Says `text` of the store at `path` once per run: `told` holds the stores already spoken of.
void tellOnce(QSet<QString>& told, const QString& path, const QString& text)
{
    if (told.contains(path)) return;
    told.insert(path);
    try {
        ui::msgbox(text, ui::OkOnly | ui::Exclamation, QStringLiteral(" "));
    } catch (const std::logic_error&) {
        // No dialog host (a tool, a test without one): nobody to tell; the caller goes on.
    }
}

Store setAsideIfBroken(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || !unparsable(file.readAll()))
        return Store::Readable;
    file.close();
    const QString kept = path + QStringLiteral(".defekt");
    // rename replaces an older copy in one step and keeps the bytes as they were.
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(kept).constData()) != 0)
        return Store::Stuck;

    static QSet<QString> told;
    tellOnce(told, path,
             QStringLiteral("Die Einstellungsdatei %1 war beschädigt und konnte nicht gelesen werden. "
                            "Sie wurde als %2 aufbewahrt; Kelvor legt eine neue an.")
                 .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(kept)));
    return Store::SetAside;
}

// A store that cannot be written loses every change at the end of the run, so the user
// hears of it, once per run and file: the next failures say nothing new.
void tellNotStored(const QString& path)
{
    static QSet<QString> told;
    tellOnce(told, path,
             QStringLiteral("Die Einstellungen können nicht in der Datei %1 gespeichert werden. Kelvor darf sie "
                            "nicht schreiben, oder an ihrer Stelle steht ein Ordner. Änderungen der "
                            "Einstellungen gehen beim Beenden verloren.")
                 .arg(QDir::toNativeSeparators(path)));
}

QString failed(const QString& path, int status)
{
    tellNotStored(path);
    return QString::number(status);
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
    const QString path = storeFile();
    if (setAsideIfBroken(path) == Store::Stuck)
        return failed(path, int(QSettings::AccessError));
    QSettings s(path, QSettings::IniFormat);
    if (s.status() != QSettings::NoError)
        return failed(path, int(s.status()));
    s.setValue(storedKey(s, name), value);
    s.sync();
    if (s.status() != QSettings::NoError)
        return failed(path, int(s.status()));
    return QStringLiteral("0");
}

}  // namespace kv::settings
