#pragma once
// The print job's document on a printer made from the chosen printer: a queue, or a PDF
// file whose booklet back sides go to a second file.

#include "printing/printjob.h"

#include <QPainter>

#include <memory>
#include <optional>

class QPrinter;

namespace kv {

class PrinterDocument : public PrintDocument {
public:
    // `pdfFile`: the file a PDF printer writes; ignored for a queue.
    PrinterDocument(std::unique_ptr<QPrinter> printer, const QString& pdfFile);
    ~PrinterDocument() override;

    bool begin(int pass) override;
    bool newPage() override;
    bool end() override;
    bool isOpen() const override { return m_painter.isActive(); }
    PageCanvas& canvas() override { return *m_canvas; }
    QString failure() const override { return m_failure; }

    // The document's name in the printer queue.
    static const QString kDocName;

private:
    std::unique_ptr<QPrinter> m_printer;
    QString m_pdfFile;
    QPainter m_painter;
    std::optional<PrintSurface> m_surface;
    std::optional<SurfaceCanvas> m_canvas;
    QString m_failure;
};

}  // namespace kv
