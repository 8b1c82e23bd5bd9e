#pragma once
// A layout on a copy of the delivered cookbook, with print settings at their defaults, a
// made-up printer whose centimetres are whole pixels (254 dpi: 1 cm = 100 px) and fixed
// metrics, so every position can be worked out by hand:
//
//   sheet 2100 x 3100, printable area 2000 x 3000 at (40, 50); margins of 2 cm give
//   margleft 160, margright 140, margtop 150, margbottom 150, printwidth 1700.
//   A line of a font is size x 10 pixels high (12 pt: 120, 10 pt: 100, 9 pt: 90); every
//   character is 10 pixels wide; words wrap at blanks, CR and LF break lines.
//   Two columns: rezwidth 765 (76 characters), ingredient width 585 (58 characters),
//   colgap 170, headerheight 180, footerheight 135, contenttop 330, footery 2715, s = 20.

#include "core/mainmod.h"
#include "core/settings.h"
#include "platform/db/database.h"
#include "platform/print/printlog.h"
#include "printing/layout.h"
#include "tests/printing/printtest.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QVariant>

#include <cmath>
#include <memory>
#include <vector>

namespace kv::test {

class FixedMetrics : public TextMeasure {
public:
    static int lineHeight(const PrintFontDef& font) { return int(std::lround(font.size * 10)); }
    static constexpr int charWidth = 10;

    int textHeight(const QString& text, const PrintFontDef& font, int width) override
    {
        return lines(text, width) * lineHeight(font);
    }
    int averageCharWidth(const PrintFontDef&) override { return charWidth; }

    // Lines as the print text engine makes them: paragraphs at CR and LF (CR LF once),
    // words greedily at blanks, a word never split, blanks at a break dropped.
    static int lines(const QString& text, int width)
    {
        if (text.isEmpty())
            return 0;
        QString t = text;
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        t.replace(u'\r', u'\n');
        QStringList paragraphs = t.split(u'\n');
        if (paragraphs.last().isEmpty())
            paragraphs.removeLast();
        const int capacity = width / charWidth;
        int n = 0;
        for (const QString& paragraph : paragraphs) {
            const QStringList words = paragraph.split(u' ');
            QString line = words.first();
            int count = 1;
            for (qsizetype i = 1; i < words.size(); ++i) {
                const QString candidate = line + u' ' + words.at(i);
                if (words.at(i).isEmpty() || line.trimmed().isEmpty() || candidate.size() <= capacity) {
                    line = candidate;
                    continue;
                }
                ++count;
                line = words.at(i);
            }
            n += count;
        }
        return n;
    }
};

// The print window as the layout sees it: what it was asked to do, in order.
class FakeWindow : public LayoutWindow {
public:
    void waitmess(bool visible) override { calls << (visible ? "waitmess on" : "waitmess off"); }
    void setBusy(bool busy) override { calls << (busy ? "busy" : "idle"); }
    void pagescapt() override { calls << "pagescapt"; }
    void printpage(int page) override { calls << QStringLiteral("printpage %1").arg(page); }
    ui::Answer msgbox(const QString& text, int style, const QString& title) override
    {
        calls << "msgbox";
        if (duringBox)
            duringBox();
        return LayoutWindow::msgbox(text, style, title);
    }

    QStringList calls;
    std::function<void()> duringBox;
};

class LayoutTest : public ::testing::Test {
protected:
    static PageGeometry sheet() { return {50, 40, 2000, 3000, 2100, 3100, 254, 254}; }

    void SetUp() override
    {
        ensureFontApplication();
        folder = env.copyShippedCookbook(QStringLiteral("kochbuch"));
        book = db::Database::open(folder + QStringLiteral("kelvor-daten.mdb"));
        book->execute(QStringLiteral("delete from [rep-korbliste]"));
        defaultprint();
        bookletmode = false;
        setPrintlogon(false);
        layout = std::make_unique<PrintLayout>(window);
        layout->setHandoverSource([this]() -> db::Database& { return *book; });
        layout->setMeasure(&metrics);
        layout->setGeometry(sheet());
        layout->setColumncount(2);
    }

    void TearDown() override
    {
        layout.reset();
        bookletmode = false;
        setPrintlogon(false);
    }

    // A recipe of the hand-over: `lines` are ingredient texts; one that begins with "#"
    // is a heading line (nr 0) that starts the next part.
    void addRecipe(qint64 rid, const QString& rname, const QVariant& p, const QStringList& lines,
                   const QVariant& ztext = {}, const QVariant& rnr = {}, const QString& aname = QStringLiteral("Liste"))
    {
        int tid = 1;
        int nr = 0;
        for (const QString& line : lines) {
            const bool heading = line.startsWith(u'#');
            if (heading) {
                ++tid;
                nr = 0;
            } else {
                ++nr;
            }
            book->execute(QStringLiteral("insert into [rep-korbliste] (aname,rid,rname,p,ztext,tid,nr,zname,rnr) "
                                         "values (?,?,?,?,?,?,?,?,?)"),
                          {aname, rid, rname, p, ztext, tid, heading ? 0 : nr, heading ? line.mid(1) : line, rnr});
        }
    }

    // A recipe whose lines have an amount and unit, a heading, and none, in ten columns of
    // 153 pixels, where 18 characters of 10 leave the name nothing beside amount and unit.
    void narrowColumnRecipe()
    {
        addRecipe(1, QStringLiteral("Topf"), {},
                  {QStringLiteral("Mehl"), QStringLiteral("#Für die Füllung"),
                   QStringLiteral("Kartoffeln, mehlig kochend, geschält"), QStringLiteral("Salz und Pfeffer")});
        book->execute(QStringLiteral("update [rep-korbliste] set men='500', ename='g' where zname='Mehl'"));
        book->execute(QStringLiteral("update [rep-korbliste] set men='1', ename='kg' where zname=?"),
                      {QStringLiteral("Kartoffeln, mehlig kochend, geschält")});
        book->execute(QStringLiteral("update [rep-korbliste] set men=' ' where men is null"));
        layout->setColumncount(10);
    }

    // `count` recipes "Rezept 01" ..., each too long to share a page with another when the
    // page has one column.
    void onePagePerRecipe(int count, const QString& aname = QStringLiteral("Liste"))
    {
        QStringList lines;
        for (int i = 1; i <= 13; ++i)
            lines << QStringLiteral("Zutat %1").arg(i);
        for (int r = 1; r <= count; ++r)
            addRecipe(r, QStringLiteral("Rezept %1").arg(r, 2, 10, QLatin1Char('0')), 4, lines, {}, {}, aname);
    }

    // One column of numbers of the layout database, in the order given.
    QVariantList column(const QString& sql)
    {
        QVariantList out;
        db::Statement st(layout->layoutDatabase().db(), sql);
        while (st.step())
            out << st.value(0);
        return out;
    }
    QVariant value(const QString& sql) { return layout->layoutDatabase().db().scalar(sql); }
    // A row as "a,b,c".
    QString row(const QString& sql)
    {
        db::Statement st(layout->layoutDatabase().db(), sql);
        if (!st.step())
            return QStringLiteral("(none)");
        QStringList parts;
        for (int c = 0; c < st.columnCount(); ++c)
            parts << (st.isNull(c) ? QStringLiteral("Null") : st.text(c));
        return parts.join(u',');
    }

    void run()
    {
        ASSERT_EQ(layout->calcrezsizes(), PrintLayout::Run::Done);
    }

    TestEnvironment env;
    ScriptedDialogs dialogs;
    QString folder;
    std::unique_ptr<db::Database> book;
    FixedMetrics metrics;
    FakeWindow window;
    std::unique_ptr<PrintLayout> layout;
};

// Words of nine letters, numbered, "w00000001 w00000002 ...": ten characters each with its
// blank, so seven fill a line of 76.
inline QString words(int count, int from = 1)
{
    QStringList list;
    for (int i = from; i < from + count; ++i)
        list << QStringLiteral("w%1").arg(i, 8, 10, QLatin1Char('0'));
    return list.join(u' ');
}

}  // namespace kv::test
