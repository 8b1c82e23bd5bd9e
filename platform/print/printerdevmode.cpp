#include "platform/print/printerdevmode.h"

#include "platform/print/printlog.h"

#include <QPrinterInfo>

namespace kv {

namespace {

std::function<PrinterQueues()> g_source;
QStringList g_names;
QStringList g_ports;

PrinterQueues cupsQueues()
{
    PrinterQueues result;
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
        result.queues.push_back({info.printerName(), info.makeAndModel()});
    result.defaultName = QPrinterInfo::defaultPrinterName();
    return result;
}

}  // namespace

PrinterQueues printerQueues()
{
    return g_source ? g_source() : cupsQueues();
}

void setPrinterQueueSource(std::function<PrinterQueues()> source)
{
    g_source = std::move(source);
}

void getprinters()
{
    printlog(QStringLiteral("getprinters start."));
    const PrinterQueues found = printerQueues();
    g_names.clear();
    g_ports.clear();
    for (qsizetype i = 0; i < found.queues.size(); ++i) {
        const QString& name = found.queues.at(i).name;
        const QString number = QString::number(i);
        g_names << name;
        g_ports << QString();
        printlog(QStringLiteral("getprinters: printer ") + number + u'=' + name);
        printlog(QStringLiteral("Printer ") + number + QStringLiteral(" -> DeviceName: ") + name +
                 QStringLiteral(", Port: "));
    }
}

const QStringList& printernames()
{
    return g_names;
}

const QStringList& printerports()
{
    return g_ports;
}

}  // namespace kv
