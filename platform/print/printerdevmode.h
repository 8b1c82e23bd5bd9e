#pragma once
// printer_devmode: the printer queues the printer choice offers, as CUPS lists them.
// CUPS queues have no port, so every entry of `printerports` is empty.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kv {

struct PrinterQueue {
    QString name;
    QString makeAndModel;  // what the queue's driver calls the printer
};

struct PrinterQueues {
    QList<PrinterQueue> queues;
    QString defaultName;  // empty when there is no default queue
};

// The queues of this machine. Tests put their own source in place; an empty function
// gives CUPS back.
PrinterQueues printerQueues();
void setPrinterQueueSource(std::function<PrinterQueues()> source);

// Lists the queues into `printernames` and `printerports`, in the order CUPS gives them.
void getprinters();
const QStringList& printernames();
const QStringList& printerports();

}  // namespace kv
