#pragma once
// What the printing tests share: an application object for fonts, the check that the print
// fonts are the faces every figure here was worked out for, ink found in pixels, the print
// log's text and the print settings' values.

#include "core/settings.h"
#include "platform/print/printlog.h"

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QList>
#include <QMap>
#include <QRect>

#include <gtest/gtest.h>

#include <algorithm>

namespace kv::test {

// Fonts need a Gui application; GUI test programs have made theirs already.
inline void ensureFontApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kelvor-tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

inline const QString narrowFace = QStringLiteral("Liberation Sans Narrow");

// Every print font defaults to "Arial Narrow"; the heights and widths the tests expect hold
// for the face fontconfig maps it to once Debian's fonts-liberation is installed.
inline ::testing::AssertionResult arialNarrowIsLiberationSansNarrow()
{
    const QString family = QFontInfo(QFont(QStringLiteral("Arial Narrow"))).family();
    if (family == narrowFace)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\"Arial Narrow\" resolves to \"" << family.toStdString() << "\", not \""
           << narrowFace.toStdString()
           << "\": install Debian's fonts-liberation (scripts/setup.sh does)";
}

inline bool isInk(QRgb pixel)
{
    return qGray(pixel) < 160;
}

// The smallest rectangle holding every inked pixel of `area`; empty when there is none.
inline QRect inkBounds(const QImage& image, QRect area = {})
{
    if (area.isNull())
        area = image.rect();
    int left = area.right() + 1, right = area.left() - 1;
    int top = area.bottom() + 1, bottom = area.top() - 1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            if (isInk(row[x])) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    if (left > right)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// The numbers of the bands of `bandHeight` rows below `top` that hold ink: the text lines
// that were drawn, when each line is one band.
inline QList<int> inkedBands(const QImage& image, int top, int bandHeight)
{
    QList<int> bands;
    for (int y = top; y < image.height(); ++y) {
        const int band = (y - top) / bandHeight;
        if (!bands.isEmpty() && bands.last() == band)
            continue;
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (isInk(row[x])) {
                bands << band;
                break;
            }
    }
    return bands;
}

// Everything logged since the log file was started.
inline QString logText()
{
    QFile f(printlogPath());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Every print setting a scheme holds, by name.
inline QMap<QString, QString> printValues()
{
    QMap<QString, QString> values;
    for (const reg::Default& d : reg::printdefaults())
        values.insert(d.name, getreg(d.name));
    return values;
}

}  // namespace kv::test
