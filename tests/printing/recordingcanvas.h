#pragma once
// A canvas that draws nothing and keeps every call as a line of text, in order, so a test
// can say what a page draws: "text|Liste |Arial Narrow|12|0|0|160,150,1700,180|2048"
// (text, face, size, bold, italic, rectangle, flags), "bitmap|kelvor-logo.bmp|1726.67,3000,133.333"
// (file, x, bottom, width), "line|1010,50,1010,81".

#include "printing/render.h"

#include <QFileInfo>
#include <QStringList>

namespace kv::test {

class RecordingCanvas : public PageCanvas {
public:
    explicit RecordingCanvas(int width = 2000, int dpiy = 254) : m_width(width), m_dpiy(dpiy) {}
    // Records into `sink`, with whatever else a test records there.
    explicit RecordingCanvas(QStringList& sink) : m_sink(&sink) {}

    int width() const override { return m_width; }
    int dpiy() const override { return m_dpiy; }
    void drawtextblock(const QString& text, const QString& fontname, double size, bool bold, bool italic, int x,
                       int y, int w, int h, int flags) override
    {
        *m_sink << QStringLiteral("text|%1|%2|%3|%4|%5|%6,%7,%8,%9|%10")
                       .arg(text, fontname, QString::number(size))
                       .arg(int(bold))
                       .arg(int(italic))
                       .arg(x)
                       .arg(y)
                       .arg(w)
                       .arg(h)
                       .arg(flags);
    }
    void printbitmap(const QString& path, double x, double y, double w) override
    {
        *m_sink << QStringLiteral("bitmap|%1|%2,%3,%4")
                       .arg(QFileInfo(path).fileName(), QString::number(x), QString::number(y), QString::number(w));
    }
    void printline(int x1, int y1, int x2, int y2) override
    {
        *m_sink << QStringLiteral("line|%1,%2,%3,%4").arg(x1).arg(y1).arg(x2).arg(y2);
    }

    QStringList calls;

private:
    QStringList* m_sink = &calls;
    int m_width = 2000;
    int m_dpiy = 254;
};

}  // namespace kv::test
