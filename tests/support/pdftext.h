#pragma once
// The text of a PDF file as Qt's PDF writer makes it, read back line by line: what a
// reader of the printed sheet sees. Qt draws each text piece between BT and ET, glyph by
// glyph as hexadecimal glyph ids of a font whose ToUnicode map gives their characters; the
// page streams are compressed. Pieces that stand on one baseline of a page form a line,
// joined left to right with a blank; the pieces themselves, with where they start, are
// there too.

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kv::test {

namespace pdftext_detail {

// The objects' streams by object number, inflated where compressed.
inline QHash<int, QByteArray> streams(const QByteArray& pdf)
{
    QHash<int, QByteArray> out;
    static const QRegularExpression object(QStringLiteral("(?:^|\\s)(\\d+) 0 obj\\b"));
    const QString text = QString::fromLatin1(pdf);
    for (auto it = object.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const qsizetype begin = m.capturedEnd(0);
        const qsizetype stream = pdf.indexOf("stream", begin);
        const qsizetype endobj = pdf.indexOf("endobj", begin);
        if (stream < 0 || (endobj >= 0 && endobj < stream)) continue;
        qsizetype start = stream + 6;
        if (pdf.at(start) == '\r') ++start;
        if (pdf.at(start) == '\n') ++start;
        const qsizetype end = pdf.indexOf("endstream", start);
        if (end < 0) continue;
        QByteArray data = pdf.mid(start, end - start);
        if (pdf.mid(begin, stream - begin).contains("FlateDecode")) {
            // qUncompress wants the size in front; a guess it grows from will do.
            QByteArray sized(4, '\0');
            const quint32 guess = quint32(data.size()) * 20 + 1024;
            for (int i = 0; i < 4; ++i) sized[i] = char((guess >> (24 - 8 * i)) & 0xff);
            data = qUncompress(sized + data);
        }
        out.insert(m.captured(1).toInt(), data);
    }
    return out;
}

// Glyph id to character, from a ToUnicode map's bfchar and bfrange sections.
inline QHash<uint, QString> toUnicode(const QByteArray& cmap)
{
    QHash<uint, QString> map;
    const auto chars = [](const QString& hex) {
        QString s;
        for (qsizetype i = 0; i + 4 <= hex.size(); i += 4) s += QChar(char16_t(hex.mid(i, 4).toUInt(nullptr, 16)));
        return s;
    };
    const QString text = QString::fromLatin1(cmap);
    static const QRegularExpression section(QStringLiteral("begin(bfchar|bfrange)(.*?)endbf"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression hex(QStringLiteral("<([0-9A-Fa-f]+)>|\\[|\\]"));
    for (auto s = section.globalMatch(text); s.hasNext();) {
        const QRegularExpressionMatch m = s.next();
        QStringList tokens;
        for (auto t = hex.globalMatch(m.captured(2)); t.hasNext();) {
            const QRegularExpressionMatch tm = t.next();
            tokens << (tm.captured(1).isEmpty() ? tm.captured(0) : tm.captured(1));
        }
        if (m.captured(1) == QLatin1String("bfchar")) {
            for (qsizetype i = 0; i + 1 < tokens.size(); i += 2) map.insert(tokens[i].toUInt(nullptr, 16), chars(tokens[i + 1]));
            continue;
        }
        for (qsizetype i = 0; i + 2 < tokens.size();) {
            const uint first = tokens[i].toUInt(nullptr, 16);
            const uint last = tokens[i + 1].toUInt(nullptr, 16);
            if (tokens[i + 2] == QLatin1String("[")) {
                qsizetype j = i + 3;
                for (uint g = first; g <= last && j < tokens.size() && tokens[j] != QLatin1String("]"); ++g, ++j)
                    map.insert(g, chars(tokens[j]));
                while (j < tokens.size() && tokens[j] != QLatin1String("]")) ++j;
                i = j + 1;
            } else {
                const QString base = chars(tokens[i + 2]);
                for (uint g = first; g <= last && !base.isEmpty(); ++g)
                    map.insert(g, base.left(base.size() - 1) + QChar(char16_t(base.back().unicode() + (g - first))));
                i += 3;
            }
        }
    }
    return map;
}

}  // namespace pdftext_detail

// One text piece as drawn: a line of a text block. x and y are where its baseline starts, in
// points from the page's bottom left corner.
struct PdfTextPiece {
    double x = 0;
    double y = 0;
    QString text;
};

// Every page's pieces in the order they were drawn, pages in the order they were written.
inline QList<std::vector<PdfTextPiece>> pdfTextPieces(const QString& path)
{
    using namespace pdftext_detail;
    using Piece = PdfTextPiece;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray pdf = f.readAll();
    const QHash<int, QByteArray> all = streams(pdf);

    // Font resource name to its glyph map.
    QHash<QString, QHash<uint, QString>> fonts;
    static const QRegularExpression fontObject(QStringLiteral("(\\d+) 0 obj\\s*<<[^>]*?/Type /Font[^>]*?/ToUnicode (\\d+) 0 R"));
    QHash<int, int> cmapOfFont;
    for (auto it = fontObject.globalMatch(QString::fromLatin1(pdf)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        cmapOfFont.insert(m.captured(1).toInt(), m.captured(2).toInt());
    }
    static const QRegularExpression fontName(QStringLiteral("/(F\\d+) (\\d+) 0 R"));
    for (auto it = fontName.globalMatch(QString::fromLatin1(pdf)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const int object = m.captured(2).toInt();
        if (cmapOfFont.contains(object)) fonts.insert(m.captured(1), toUnicode(all.value(cmapOfFont.value(object))));
    }

    QList<int> numbers = all.keys();
    std::sort(numbers.begin(), numbers.end());
    QList<std::vector<Piece>> pages;
    static const QRegularExpression token(QStringLiteral("<[0-9A-Fa-f]*>|/[^\\s/<\\[]+|[^\\s<>\\[\\]/]+"));
    for (int number : numbers) {
        const QByteArray& content = all.value(number);
        if (!content.contains("BT")) continue;
        std::vector<Piece> pieces;
        QList<QTransform> saved;
        QTransform ctm;
        QTransform tm;
        QTransform line;
        QString font;
        QStringList operands;
        Piece piece;
        bool inText = false;
        for (auto it = token.globalMatch(QString::fromLatin1(content)); it.hasNext();) {
            const QString t = it.next().captured(0);
            const auto num = [&](int i) { return operands.value(operands.size() - i).toDouble(); };
            if (t == QLatin1String("q")) {
                saved << ctm;
            } else if (t == QLatin1String("Q")) {
                if (!saved.isEmpty()) ctm = saved.takeLast();
            } else if (t == QLatin1String("cm")) {
                ctm = QTransform(num(6), num(5), num(4), num(3), num(2), num(1)) * ctm;
            } else if (t == QLatin1String("BT")) {
                inText = true;
                tm = line = QTransform();
                piece = Piece{};
            } else if (t == QLatin1String("ET")) {
                inText = false;
                if (!piece.text.trimmed().isEmpty()) pieces.push_back(piece);
            } else if (t == QLatin1String("Tf")) {
                font = operands.value(operands.size() - 2).mid(1);
            } else if (t == QLatin1String("Tm")) {
                tm = line = QTransform(num(6), num(5), num(4), num(3), num(2), num(1));
            } else if (t == QLatin1String("Td")) {
                line = QTransform::fromTranslate(num(2), num(1)) * line;
                tm = line;
            } else if (inText && t == QLatin1String("Tj") && !operands.isEmpty()) {
                const QString hex = operands.last().mid(1, operands.last().size() - 2);
                if (piece.text.isEmpty()) {
                    const QPointF at = (tm * ctm).map(QPointF(0, 0));
                    piece.x = at.x();
                    piece.y = at.y();
                }
                for (qsizetype i = 0; i + 4 <= hex.size(); i += 4) {
                    const QString c = fonts.value(font).value(hex.mid(i, 4).toUInt(nullptr, 16));
                    piece.text += (c.isEmpty() || c.at(0).unicode() < 0x20) ? QStringLiteral(" ") : c;
                }
            }
            if (t.at(0).isLetter() && t != QLatin1String("true") && t != QLatin1String("false")) operands.clear();
            else operands << t;
        }
        pages << pieces;
    }
    return pages;
}

// Every page's lines, top to bottom, pages in the order they were written.
inline QStringList pdfTextLines(const QString& path)
{
    using Piece = PdfTextPiece;
    QStringList lines;
    for (std::vector<Piece> pieces : pdfTextPieces(path)) {
        // Top to bottom on the page (PDF's y grows upwards), then the pieces of a line left
        // to right. A smaller font in one box (the print's line numbers) stands on a
        // baseline a few points higher than the text beside it.
        constexpr double kBaselines = 4;
        std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.y > b.y; });
        for (std::size_t i = 0; i < pieces.size();) {
            std::size_t j = i;
            while (j < pieces.size() && pieces[i].y - pieces[j].y <= kBaselines) ++j;
            std::vector<Piece> row(pieces.begin() + qsizetype(i), pieces.begin() + qsizetype(j));
            std::sort(row.begin(), row.end(), [](const Piece& a, const Piece& b) { return a.x < b.x; });
            QStringList words;
            for (const Piece& p : row) words << p.text;
            lines << words.join(u' ').simplified();
            i = j;
        }
    }
    return lines;
}

}  // namespace kv::test
