#pragma once
// The print job: every page of the last layout onto the chosen printer, in one document,
// or for a booklet in two (the front sides, then, after the stack is put back into the
// printer, the back sides), with the fold mark on the centre spread.

#include "printing/render.h"

#include <QString>

#include <functional>

namespace kv {

class PrintLayout;

// The document being printed. begin() opens the device and the document with its first
// page, newPage() starts each further page, end() ends the document. Each says false when
// the device refused, and failure() then says why, in German.
class PrintDocument {
public:
    virtual ~PrintDocument() = default;
    // `pass` 2 is the second document of a booklet.
    virtual bool begin(int pass) = 0;
    virtual bool newPage() = 0;
    virtual bool end() = 0;
    virtual bool isOpen() const = 0;
    // Valid between begin() and end().
    virtual PageCanvas& canvas() = 0;
    virtual QString failure() const = 0;
};

// The file of a booklet's second document when printing to a PDF file: a second document
// on the same file would overwrite the first. "liste.pdf" gives "liste-2.pdf".
QString secondPassFile(const QString& file);

// Before a job on the PDF output: when its file, or a booklet's second file, is there
// already, asks once whether to overwrite. No says that nothing was printed. True when the
// job may write its files.
bool pdfFilesMayBeReplaced(const QString& file, bool booklet);

// Draws a page of the layout for paper (the form's printpage).
using PagePainter = std::function<void(int page, PageCanvas& canvas)>;

enum class JobEnd {
    Printed,
    Failed,  // stopped at the first call the device refused; said in a message
};

// The job as the print button runs it, with the hourglass for its length. Booklet or not
// follows the layout, whatever the booklet box says now. A layout without pages begins no
// document: one could not be ended without printing a blank page.
JobEnd printJob(PrintLayout& layout, PrintDocument& document, const PagePainter& printpage);

// The booklet's question before the job; Yes: the sheets come out of the printer with the
// first printed at the bottom of the stack.
extern const QString kBookletQuestion;
// The message between the two documents of a booklet.
extern const QString kBookletTurnOver;

}  // namespace kv
