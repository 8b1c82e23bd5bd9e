#pragma once
// printdlg_api: the chosen printer of this run, filled from the default queue when the
// print form loads and changed only by an OK in the printer dialog. Every printer device
// of printing is made from it, always at the device's high resolution.

#include "platform/print/printerchoice.h"

#include <QString>

#include <memory>

class QPrinter;

namespace kv {

// What the device and driver names say for the PDF output.
inline const QString pdfOutputName = QStringLiteral("PDF");

const PrinterChoice& chosenPrinter();
void setChosenPrinter(const PrinterChoice& choice);

// The default queue with its own settings, or the PDF output when there is no queue.
void fillpdevmode();
// The printer dialog in its setup form, through the dialog layer. OK takes the queue
// name the dialog returns, whole, with the settings; Cancel changes nothing. True after OK.
bool showprinter();

QString getdrivername();  // the queue's make and model, for the log
QString getdevicename();  // the queue name, or pdfOutputName
QString getoutputname();  // the PDF file; empty for a queue

// A printer for `choice`, in high-resolution mode (a plain QPrinter reports 96 dpi), with
// the page margins at the device's minimum so the painter's origin is the printable area.
std::unique_ptr<QPrinter> makePrinter(const PrinterChoice& choice);
// What a printer is set to, read back after the printer dialog.
PrinterChoice choiceOf(const QPrinter& printer);
// The printer device of the chosen printer. A queue that can no longer be used is reported
// once and the PDF output takes its place.
std::unique_ptr<QPrinter> chosenPrinterDevice();
// The file a print job on the PDF output writes: the one the printer dialog's file field
// gave, else asked for with a file dialog now, which leaves asking before an existing file
// is overwritten to the job. Empty when that dialog was cancelled.
QString outputFileForJob();

}  // namespace kv
