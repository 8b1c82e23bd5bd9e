#include "platform/print/printdlgapi.h"

#include "platform/paths.h"
#include "platform/print/printerdevmode.h"
#include "platform/print/printlog.h"
#include "platform/ui/dialogs.h"

#include <QPrinter>

#include <cmath>

namespace kv {

namespace {

PrinterChoice g_chosen;

// A printer with the device's own settings. Qt gives a name it does not know the PDF
// output, which chosenPrinterDevice() tells apart from the queue asked for.
std::unique_ptr<QPrinter> deviceFor(const QString& name)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (name.isEmpty())
        printer->setOutputFormat(QPrinter::PdfFormat);
    else
        printer->setPrinterName(name);
    return printer;
}

QPrinter::DuplexMode duplexMode(PrinterChoice::Duplex duplex)
{
    switch (duplex) {
    case PrinterChoice::Duplex::LongSide:
        return QPrinter::DuplexLongSide;
    case PrinterChoice::Duplex::ShortSide:
        return QPrinter::DuplexShortSide;
    case PrinterChoice::Duplex::None:
        break;
    }
    return QPrinter::DuplexNone;
}

PrinterChoice::Duplex duplexOf(QPrinter::DuplexMode mode)
{
    switch (mode) {
    case QPrinter::DuplexLongSide:
    case QPrinter::DuplexAuto:
        return PrinterChoice::Duplex::LongSide;
    case QPrinter::DuplexShortSide:
        return PrinterChoice::Duplex::ShortSide;
    case QPrinter::DuplexNone:
        break;
    }
    return PrinterChoice::Duplex::None;
}

bool isThePrinterAskedFor(const QPrinter& printer, const PrinterChoice& choice)
{
    if (choice.isPdf())
        return printer.outputFormat() == QPrinter::PdfFormat;
    return printer.outputFormat() == QPrinter::NativeFormat && printer.isValid() &&
           printer.printerName() == choice.name;
}

// The device settings in the print log, under the labels the raw settings were logged
// with; only the fields that still have a counterpart.
void logDeviceSettings(const PrinterChoice& c)
{
    const int orientation = c.orientation == QPageLayout::Landscape ? 2 : 1;
    const int colour = c.colour ? 2 : 1;
    const int paperLength =
        int(std::lround(c.paper.size(QPageSize::Millimeter).height() * 10));  // tenths of a mm
    printlog(QStringLiteral("pdevmode : orientation") + QString::number(orientation));
    printlog(QStringLiteral("pdevmode : color") + QString::number(colour));
    printlog(QStringLiteral("pdevmode : paperlength") + QString::number(paperLength));
    printlog(QStringLiteral("pdevmode : papersize") + QString::number(c.paper.windowsId()));
}

}  // namespace

const PrinterChoice& chosenPrinter()
{
    return g_chosen;
}

void setChosenPrinter(const PrinterChoice& choice)
{
    g_chosen = choice;
}

std::unique_ptr<QPrinter> makePrinter(const PrinterChoice& choice)
{
    std::unique_ptr<QPrinter> printer = deviceFor(choice.name);
    if (choice.isPdf() && !choice.outputFile.isEmpty())
        printer->setOutputFileName(choice.outputFile);
    printer->setPageSize(choice.paper);
    printer->setPageOrientation(choice.orientation);
    printer->setDuplex(duplexMode(choice.duplex));
    printer->setColorMode(choice.colour ? QPrinter::Color : QPrinter::GrayScale);
    if (choice.resolution > 0)
        printer->setResolution(choice.resolution);
    // Qt's PDF default of 10 pt on every side would count as unprintable border.
    const QPageLayout layout = printer->pageLayout();
    printer->setPageMargins(layout.minimumMargins(), layout.units());
    return printer;
}

PrinterChoice choiceOf(const QPrinter& printer)
{
    PrinterChoice c;
    if (printer.outputFormat() == QPrinter::NativeFormat)
        c.name = printer.printerName();
    else
        c.outputFile = printer.outputFileName();
    const QPageLayout layout = printer.pageLayout();
    c.paper = layout.pageSize();
    c.orientation = layout.orientation();
    c.duplex = duplexOf(printer.duplex());
    c.resolution = printer.resolution();
    c.colour = printer.colorMode() == QPrinter::Color;
    return c;
}

void fillpdevmode()
{
    getprinters();
    const QString name = printerQueues().defaultName;
    printlog(QStringLiteral("fillpdevmode openprinter : printer.devicename ") + name);
    PrinterChoice c = choiceOf(*deviceFor(name));
    // Named as the queue list names it, whatever Qt makes of the name.
    c.name = name;
    c.outputFile.clear();
    g_chosen = c;
    printlog(QStringLiteral("fillpdevmode pdevnames.extra : ") + getdrivername() + u',' +
             getdevicename() + u',' + getoutputname());
    logDeviceSettings(g_chosen);
}

bool showprinter()
{
    getprinters();
    PrinterChoice choice = g_chosen;
    if (!ui::printerSetup(choice))
        return false;
    g_chosen = choice;
    return true;
}

QString getdrivername()
{
    QString driver = pdfOutputName;
    if (!g_chosen.isPdf()) {
        driver.clear();
        for (const PrinterQueue& q : printerQueues().queues)
            if (q.name == g_chosen.name)
                driver = q.makeAndModel;
    }
    printlog(QStringLiteral("pdevdrivername = ") + driver);
    return driver;
}

QString getdevicename()
{
    const QString device = g_chosen.isPdf() ? pdfOutputName : g_chosen.name;
    printlog(QStringLiteral("pdevdevicename (from current_devname) = ") + device);
    return device;
}

QString getoutputname()
{
    printlog(QStringLiteral("pdevoutput (from current_portname) = ") + g_chosen.outputFile);
    return g_chosen.outputFile;
}

std::unique_ptr<QPrinter> chosenPrinterDevice()
{
    std::unique_ptr<QPrinter> printer = makePrinter(g_chosen);
    if (isThePrinterAskedFor(*printer, g_chosen))
        return printer;
    printlog(QStringLiteral("chosenPrinterDevice-> Error : queue ") + g_chosen.name +
             QStringLiteral(" cannot be used, PDF output instead"));
    ui::msgbox(QStringLiteral("Fehler bei der Verbindung zum Druckertreiber. Stellen Sie sicher, "
                              "daß ein Drucker installiert ist."),
               ui::OkOnly | ui::Critical, QStringLiteral(" F E H L E R"));
    // Paper and orientation stay, so the pages keep their layout; the rest is the queue's.
    PrinterChoice pdf;
    pdf.paper = g_chosen.paper;
    pdf.orientation = g_chosen.orientation;
    g_chosen = pdf;
    return makePrinter(g_chosen);
}

QString outputFileForJob()
{
    if (!g_chosen.isPdf() || !g_chosen.outputFile.isEmpty())
        return g_chosen.outputFile;
    // The print job asks once for all of its files, a booklet's second one included.
    return ui::saveFileName(QStringLiteral("Druck als PDF-Datei speichern"), paths::homeFolder(),
                            QStringLiteral("PDF-Dateien (*.pdf)"), ui::OverwriteQuestion::Skip);
}

}  // namespace kv
