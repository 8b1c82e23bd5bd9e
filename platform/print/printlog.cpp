#include "platform/print/printlog.h"

#include "platform/db/database.h"
#include "platform/paths.h"
#include "platform/settings/regstore.h"
#include "platform/ui/dialogs.h"

#include <QFile>

#include <stdexcept>

namespace kv {

namespace {

bool g_printlogon = false;

// Said once per run: logging goes off with it, so no later line can say it again.
void giveUpLog()
{
    g_printlogon = false;
    ui::msgbox(QStringLiteral("Das Logfile %1 kann nicht geschrieben werden. Es wird ohne "
                              "Logfile weitergedruckt.")
                   .arg(printlogPath()),
               ui::Exclamation, QStringLiteral("Kelvor"));
}

}  // namespace

QString printlogPath()
{
    return paths::localPath(QStringLiteral("c:\\kelvor-printlog.txt"));
}

bool printlogon()
{
    return g_printlogon;
}

void setPrintlogon(bool on)
{
    g_printlogon = on;
}

void initprintlog()
{
    if (settings::getregvalue(printlogSetting) != QLatin1String("1"))
        return;
    const ui::Answer answer =
        ui::msgbox(QStringLiteral("Soll ein Logfile während des Druckvorgangs erstellt werden ?"),
                   ui::YesNo, QStringLiteral("Kelvor"));
    g_printlogon = answer == ui::Answer::Yes;
    if (g_printlogon && paths::fileExists(printlogPath()) && !QFile::remove(printlogPath()))
        giveUpLog();
}

void printlog(const QString& text)
{
    if (!g_printlogon)
        return;
    QFile file(printlogPath());
    const QByteArray line = text.toUtf8() + "\r\n";
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size() ||
        !file.flush()) {
        file.close();
        giveUpLog();
    }
}

PrintError printErrorOf(const std::exception& e)
{
    if (const auto* dbe = dynamic_cast<const db::DbError*>(&e))
        return {dbe->number(), dbe->text()};
    return {dynamic_cast<const std::range_error*>(&e) ? 6 : 0, QString::fromUtf8(e.what())};
}

void printlogError(const QString& tag, const std::exception& e)
{
    const PrintError error = printErrorOf(e);
    printlog(tag + QString::number(error.number) + QStringLiteral(" : ") + error.text);
}

}  // namespace kv
