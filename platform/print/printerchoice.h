#pragma once
// The chosen printer as one value: which output (a CUPS queue, or a PDF file) and the
// device settings every printer device is made from. It stands for the raw device
// settings and the three names a device context used to be created from.

#include <QPageLayout>
#include <QPageSize>
#include <QString>

namespace kv {

struct PrinterChoice {
    enum class Duplex { None, LongSide, ShortSide };

    QString name;        // the queue; empty for the PDF output
    QString outputFile;  // the PDF file; empty for a queue, or while none is chosen yet
    QPageSize paper = QPageSize(QPageSize::A4);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    Duplex duplex = Duplex::None;
    int resolution = 0;  // pixels per inch; 0 takes the device's own
    bool colour = true;

    bool isPdf() const { return name.isEmpty(); }
    bool operator==(const PrinterChoice&) const = default;
};

}  // namespace kv
