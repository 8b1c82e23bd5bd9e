#include "printing/printerdocument_window.h"

#include <QPrinter>

namespace kv {

const QString PrinterDocument::kDocName = QStringLiteral("Kelvor Rezeptliste");

PrinterDocument::PrinterDocument(std::unique_ptr<QPrinter> printer, const QString& pdfFile)
    : m_printer(std::move(printer)), m_pdfFile(pdfFile)
{
    m_printer->setDocName(kDocName);
}

PrinterDocument::~PrinterDocument()
{
    if (m_painter.isActive())
        m_painter.end();
}

bool PrinterDocument::begin(int pass)
{
    const bool pdf = m_printer->outputFormat() == QPrinter::PdfFormat;
    QString file;
    if (pdf) {
        file = pass == 1 ? m_pdfFile : secondPassFile(m_pdfFile);
        m_printer->setOutputFileName(file);
    }
    m_canvas.reset();
    m_surface.reset();
    if (!m_painter.begin(m_printer.get())) {
        m_failure = pdf ? QStringLiteral("Die Datei %1 kann nicht geschrieben werden.").arg(file)
                        : QStringLiteral("Der Drucker %1 kann nicht geöffnet werden.").arg(m_printer->printerName());
        return false;
    }
    m_surface.emplace(m_painter);
    m_canvas.emplace(*m_surface);
    return true;
}

bool PrinterDocument::newPage()
{
    if (m_printer->newPage())
        return true;
    m_failure = QStringLiteral("Der Drucker nimmt keine weitere Seite an.");
    return false;
}

bool PrinterDocument::end()
{
    m_canvas.reset();
    m_surface.reset();
    if (m_painter.end())
        return true;
    m_failure = QStringLiteral("Das Dokument konnte nicht abgeschlossen werden.");
    return false;
}

}  // namespace kv
