#include "platform/texteditor.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace kv::texteditor {

namespace {

std::function<bool(const QString&)> g_hook;

const QString kTextType = QStringLiteral("text/plain");
const QString kPageType = QStringLiteral("text/html");

// The words of an Exec line: blanks separate them, double quotes keep blanks inside one,
// and a backslash in quotes takes the next character as it is.
QStringList execWords(const QString& line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == u'\\' && i + 1 < line.size()) word += line.at(++i);
            else if (c == u'"') quoted = false;
            else word += c;
        } else if (c == u'"') {
            quoted = inWord = true;
        } else if (c == u' ' || c == u'\t') {
            if (inWord) words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words << word;
    return words;
}

// The value of `key` in the group `group` of a desktop entry or list file.
QString valueIn(const QString& text, const QString& group, const QString& key)
{
    bool inGroup = false;
    const QString start = key + u'=';
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            inGroup = line == u'[' + group + u']';
            continue;
        }
        if (inGroup && line.startsWith(start)) return line.mid(start.size()).trimmed();
    }
    return {};
}

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

QString askXdgMime(const QString& type)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty()) return {};
    QProcess query;
    query.start(tool, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

// The desktop entry chosen for text files: the desktop's own answer, else the lists in
// the order the desktop reads them.
QString defaultEntry(const QString& type)
{
    QString entry = askXdgMime(type);
    if (!entry.isEmpty()) return entry;
    QStringList lists;
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << folder + QStringLiteral("/mimeapps.list");
    const QStringList applications = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString& folder : applications)
        lists << folder + QStringLiteral("/mimeapps.list") << folder + QStringLiteral("/defaults.list");
    for (const QString& folder : applications) lists << folder + QStringLiteral("/mimeinfo.cache");
    for (const QString& list : lists) {
        entry = defaultEntryIn(readText(list), type);
        if (!entry.isEmpty()) return entry;
    }
    return {};
}

bool openOnDesktop(const QString& file)
{
    const QString entry = defaultEntry(kTextType);
    if (entry.isEmpty()) return false;
    const QString desktopFile = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry);
    if (desktopFile.isEmpty()) return false;
    const QString text = readText(desktopFile);
    std::optional<Command> command = commandFor(valueIn(text, QStringLiteral("Desktop Entry"), QStringLiteral("Exec")), file);
    if (!command) return false;
    // An editor that runs in a terminal needs one around it.
    if (valueIn(text, QStringLiteral("Desktop Entry"), QStringLiteral("Terminal")) == u"true") {
        const QString terminal = QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
        if (terminal.isEmpty()) return false;
        command->arguments.prepend(command->program);
        command->arguments.prepend(QStringLiteral("-e"));
        command->program = terminal;
    }
    return QProcess::startDetached(command->program, command->arguments);
}

}  // namespace

std::optional<Command> commandFor(const QString& execLine, const QString& file)
{
    QStringList words;
    bool fileGiven = false;
    for (const QString& word : execWords(execLine)) {
        QString out;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word.at(i) != u'%' || i + 1 == word.size()) {
                out += word.at(i);
                continue;
            }
            const QChar code = word.at(++i);
            if (code == u'%') {
                out += u'%';
            } else if (QStringLiteral("fFuU").contains(code)) {
                // One file, however many the application could take.
                if (!fileGiven) out += file;
                fileGiven = true;
            }
        }
        if (!out.isEmpty()) words << out;
    }
    if (words.isEmpty()) return std::nullopt;
    if (!fileGiven) words << file;
    return Command{words.takeFirst(), words};
}

QString defaultEntryIn(const QString& listText, const QString& type)
{
    for (const QString& group : {QStringLiteral("Default Applications"), QStringLiteral("MIME Cache")}) {
        for (const QString& entry : valueIn(listText, group, type).split(u';'))
            if (!entry.trimmed().isEmpty()) return entry.trimmed();
    }
    return {};
}

bool open(const QString& file)
{
    return g_hook ? g_hook(file) : openOnDesktop(file);
}

bool browserFound()
{
    const QString entry = defaultEntry(kPageType);
    if (!entry.isEmpty() && !QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry).isEmpty()) return true;
    // Without a desktop's choice the page opener tries $BROWSER, then these, in this order.
    QStringList commands;
    for (const QString& command : qEnvironmentVariable("BROWSER").split(u':', Qt::SkipEmptyParts))
        commands << execWords(command).value(0);
    commands << QStringLiteral("x-www-browser") << QStringLiteral("firefox") << QStringLiteral("iceweasel")
             << QStringLiteral("seamonkey") << QStringLiteral("mozilla") << QStringLiteral("epiphany")
             << QStringLiteral("konqueror") << QStringLiteral("chromium") << QStringLiteral("chromium-browser")
             << QStringLiteral("google-chrome") << QStringLiteral("www-browser") << QStringLiteral("links2")
             << QStringLiteral("elinks") << QStringLiteral("links") << QStringLiteral("lynx") << QStringLiteral("w3m");
    return std::any_of(commands.cbegin(), commands.cend(), [](const QString& command) {
        return !command.isEmpty() && !QStandardPaths::findExecutable(command).isEmpty();
    });
}

void setOpenHook(std::function<bool(const QString& file)> hook)
{
    g_hook = std::move(hook);
}

}  // namespace kv::texteditor
