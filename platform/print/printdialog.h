#pragma once
// The printer dialog in its setup form, as the widget dialog host shows it: the queue
// or the PDF output with its file, and the printer's properties (paper, orientation),
// without page range, copies and collation, which belong to no setup.

#include "platform/print/printerchoice.h"

class QWidget;

namespace kv {

// Shows `choice`; OK writes what the user chose back into it and returns true.
bool execPrinterDialog(PrinterChoice& choice, QWidget* owner);

}  // namespace kv
