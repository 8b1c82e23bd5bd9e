#include "platform/ui/dialogs.h"

#include "platform/db/database.h"

#include <QtGlobal>

#include <stdexcept>

namespace kv::ui {

namespace {

DialogHost* g_host = nullptr;

// A box shown with no host is a wiring fault; answering it silently would let a test or a
// half-started program take a branch nobody chose.
DialogHost& host(const QString& what)
{
    if (!g_host)
        throw std::logic_error("no dialog host installed for: " + what.toStdString());
    return *g_host;
}

}  // namespace

bool DialogHost::printerSetup(PrinterChoice&)
{
    throw std::logic_error("the dialog host shows no printer dialog");
}

bool DialogHost::fontDialog(FontChoice&)
{
    throw std::logic_error("the dialog host shows no font dialog");
}

void setDialogHost(DialogHost* h)
{
    g_host = h;
}

DialogHost* dialogHost()
{
    return g_host;
}

Answer msgbox(const QString& text, int style, const QString& title)
{
    return host(text).msgbox(text, style, title);
}

std::optional<QString> inputbox(const QString& prompt, const QString& title,
                                const QString& defaultText)
{
    return host(prompt).inputbox(prompt, title, defaultText);
}

QString openFileName(const QString& caption, const QString& startFolder, const QString& filter)
{
    return host(caption).openFileName(caption, startFolder, filter);
}

QString saveFileName(const QString& caption, const QString& startFolder, const QString& filter,
                     OverwriteQuestion overwrite)
{
    return host(caption).saveFileName(caption, startFolder, filter, overwrite);
}

QString existingFolder(const QString& caption, const QString& startFolder)
{
    return host(caption).existingFolder(caption, startFolder);
}

int runModal(const QString& name, const std::function<int()>& exec)
{
    return host(name).runModal(name, exec);
}

bool printerSetup(PrinterChoice& choice)
{
    return host(QStringLiteral("printer dialog")).printerSetup(choice);
}

bool fontDialog(FontChoice& font)
{
    return host(QStringLiteral("font dialog")).fontDialog(font);
}

Answer errorbox(const QString& tag, int number, const QString& text, int buttons)
{
    return msgbox(tag + QString::number(number) + QStringLiteral(" : ") + text, Critical | buttons,
                  QStringLiteral(" F E H L E R"));
}

bool guarded(const QString& tag, const std::function<void()>& body)
{
    int number = 0;
    QString text;
    try {
        body();
        return true;
    } catch (const db::DbError& e) {
        number = e.number();
        text = e.text();
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    }
    try {
        errorbox(tag, number, text);
    } catch (const std::exception& boxFailure) {
        // No host to show it (a tool, a half-torn-down program): the failure is still kept.
        qWarning("%s%d : %s (%s)", qPrintable(tag), number, qPrintable(text), boxFailure.what());
    }
    return false;
}

QString displayText(const QString& text)
{
    // The program breaks lines with LF CR; texts from files bring CR LF or a lone CR.
    // Each pair is one break, so LF CR LF CR stays two breaks.
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\n' || c == u'\r') {
            out += u'\n';
            const QChar partner = c == u'\n' ? u'\r' : u'\n';
            if (i + 1 < text.size() && text.at(i + 1) == partner)
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace kv::ui
