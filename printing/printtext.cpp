#include "printing/printtext.h"

#include "platform/print/printlog.h"
#include "platform/ui/dialogs.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kv {

namespace {

// The bits of the format flags that change the layout.
constexpr int centred = 1;
constexpr int rightAligned = 2;
constexpr int wordBreak = 16;
constexpr int fittedText = textflags::fitted;

// Ascent + descent over the em of a face: Qt sizes a font by its em, the callers by the
// cell, which for Liberation Sans Narrow is 1.132 em.
double cellPerEm(const QFont& face)
{
    static QHash<QString, double> known;
    const QString key = face.family() + u'|' + QString::number(face.weight()) + u'|' +
                        QString::number(face.italic());
    const auto it = known.constFind(key);
    if (it != known.constEnd())
        return *it;
    constexpr int referenceEm = 2048;
    QFont f = face;
    f.setPixelSize(referenceEm);
    const QFontMetricsF m(f);
    double ratio = (m.ascent() + m.descent()) / referenceEm;
    if (!(ratio > 0))
        ratio = 1;
    known.insert(key, ratio);
    return ratio;
}

// Paragraphs between CR, LF, CR LF and LF CR, each pair one break, by the rule message
// texts break by. A break at the end opens no further line, and an empty text has none.
QStringList paragraphs(const QString& text)
{
    QStringList out = ui::displayText(text).split(u'\n');
    if (out.last().isEmpty())
        out.removeLast();
    return out;
}

QString withoutTrailingBlanks(QString s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == u' ')
        --n;
    s.truncate(n);
    return s;
}

// How much of `line`, which is wider than `width`, goes on a line of its own: as many
// characters as fit, up to the last hyphen among them where that leaves more than blanks,
// and one character at least, so the rest always gets shorter.
qsizetype fittingFront(const QString& line, const QFontMetricsF& metrics, int width)
{
    qsizetype low = 1, high = line.size() - 1;
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(line.left(mid)) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    const qsizetype hyphen = line.left(low).lastIndexOf(u'-');
    if (hyphen > 0 && hyphen + 1 < low && !line.left(hyphen).trimmed().isEmpty())
        return hyphen + 1;
    return low;
}

// Breaks at blanks where the next word would pass `width`; a word wider than `width` on a
// line of its own is broken too, so no text runs past the rectangle, which would cut it off.
// A width narrower than a line's first character breaks no word. Blanks at a break are
// dropped.
QStringList wrapped(const QString& paragraph, const QFontMetricsF& metrics, int width)
{
    const QStringList words = paragraph.split(u' ');
    QStringList out;
    QString line;
    const auto breakLongWord = [&] {
        while (width > 0 && line.size() > 1 && metrics.horizontalAdvance(line) > width &&
               metrics.horizontalAdvance(line.left(1)) <= width) {
            const qsizetype front = fittingFront(line, metrics, width);
            out << withoutTrailingBlanks(line.left(front));
            line = line.mid(front);
        }
    };
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words.at(i);
        if (i == 0) {
            line = word;
        } else {
            const QString candidate = line + u' ' + word;
            const bool hasWord = !line.trimmed().isEmpty();
            if (word.isEmpty() || !hasWord || metrics.horizontalAdvance(candidate) <= width) {
                line = candidate;
            } else {
                out << withoutTrailingBlanks(line);
                line = word;
            }
        }
        breakLongWord();
    }
    out << line;
    return out;
}

struct LaidOut {
    QStringList lines;
    int ascent = 0;
    int lineHeight = 0;
};

// The one layout both drawing and measuring use.
LaidOut layOut(const QString& text, const QFont& font, QPaintDevice* device, int width,
               bool wordbreak)
{
    const QFontMetrics whole(font, device);
    const QFontMetricsF exact(font, device);
    LaidOut result;
    result.ascent = whole.ascent();
    result.lineHeight = whole.ascent() + whole.descent();
    for (const QString& paragraph : paragraphs(text))
        result.lines << (wordbreak ? wrapped(paragraph, exact, width) : QStringList{paragraph});
    return result;
}

bool fitsIn32Bits(qint64 v)
{
    return v >= std::numeric_limits<std::int32_t>::min() &&
           v <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

int fontCellHeight(double size, int dpiy)
{
    const double exact = size * dpiy / 72.0;
    const double below = std::floor(exact);
    const double fraction = exact - below;
    double rounded = below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        rounded = below + 1;
    return static_cast<int>(rounded);
}

QFont printFont(const PrintSurface& surface, const QString& fontname, double size, bool bold,
                bool italic, bool drawing)
{
    QFont font(fontname);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    int cell = fontCellHeight(size, surface.dpiy());
    if (cell <= 0)
        cell = drawing ? 1 : fontCellHeight(defaultFontSize, surface.dpiy());
    const double em = cell / cellPerEm(font);
    // Points of this device, so the painter and the metrics arrive at the same pixel size.
    font.setPointSizeF(em * 72.0 / surface.dpiy());
    return font;
}

void drawtextblock(PrintSurface& surface, const QString& text, const QString& fontname,
                   double size, bool bold, bool italic, int x, int y, int width, int height,
                   int flags)
{
    printlog(QStringLiteral("drawtextblock: ") + text);
    if (!fitsIn32Bits(qint64(x) + width) || !fitsIn32Bits(qint64(y) + height)) {
        printlog(QStringLiteral("drawtextblock ERROR: 6 - Überlauf"));
        return;
    }
    QPainter& painter = surface.painter();
    const QFont font = printFont(surface, fontname, size, bold, italic, true);
    const LaidOut laid = layOut(text, font, surface.device(), width, flags & wordBreak);
    const QFontMetricsF exact(font, surface.device());
    // A fitted line too wide for the rectangle is drawn smaller, on the baseline it would have.
    const double smallest = textflags::smallestFit * size;
    const auto fit = [&](const QString& line, QFont& lineFont) {
        const qreal full = exact.horizontalAdvance(line);
        if (!(flags & fittedText) || full <= width || full <= 0)
            return line;
        const double smaller = std::max(smallest, size * width / full);
        lineFont = printFont(surface, fontname, smaller, bold, italic, true);
        return QFontMetricsF(lineFont, surface.device()).elidedText(line, Qt::ElideRight, width);
    };

    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QRect box(x, y, width, height);
    painter.setClipRect(box, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    for (qsizetype i = 0; i < laid.lines.size(); ++i) {
        QFont lineFont = font;
        const QString line = fit(laid.lines.at(i), lineFont);
        painter.setFont(lineFont);
        const qreal lineWidth = QFontMetricsF(lineFont, surface.device()).horizontalAdvance(line);
        qreal left = x;
        if (flags & rightAligned)
            left = x + width - lineWidth;
        else if (flags & centred)
            left = x + (width - lineWidth) / 2;
        const qreal baseline = y + qreal(i) * laid.lineHeight + laid.ascent;
        painter.drawText(QPointF(left, baseline), line);
    }
    painter.restore();
}

int measuretextblock(PrintSurface& surface, const QString& text, const QString& fontname,
                     double size, bool bold, bool italic, int /*x*/, int /*y*/, int width,
                     int /*height*/)
{
    const QFont font = printFont(surface, fontname, size, bold, italic);
    const LaidOut laid = layOut(text, font, surface.device(), width, textflags::measure & wordBreak);
    return static_cast<int>(laid.lines.size()) * laid.lineHeight;
}

int gettextmetric(PrintSurface& surface, const QString& fontname, double size, bool bold,
                  bool italic)
{
    return QFontMetrics(printFont(surface, fontname, size, bold, italic), surface.device())
        .averageCharWidth();
}

}  // namespace kv
