#pragma once
// printer_via_gdi, its page part: the page geometry of the chosen printer.

#include "platform/print/pagegeometry.h"

class QPrinter;

namespace kv {

// Reads the sheet, the printable area and the resolution of a device made from the chosen
// printer, and logs each value. POSIX declares a getpagesize() of its own (the memory page),
// so callers name this one kv::getpagesize.
PageGeometry getpagesize();
// The same of a printer at hand, in its device pixels.
PageGeometry pageGeometryOf(const QPrinter& printer);

}  // namespace kv
