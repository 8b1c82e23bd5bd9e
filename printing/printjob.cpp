#include "printing/printjob.h"

#include "platform/print/printlog.h"
#include "platform/ui/dialogs.h"
#include "printing/layout.h"
#include "printing/printnumber.h"

#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace kv {

const QString kBookletQuestion = QStringLiteral(
    "Zuerst werden die Vorderseiten des Hefts ausgedruckt. Dann müssen Sie den Stapel - so wie er "
    "aus dem Drucker kommt, wieder einlegen. Dann werden die Rückseiten ausgedruckt. Wenn das beim ersten "
    "Druchgang zuerst ausgedruckte Papier zuunterst im Stapel liegt und das zuletzt ausgedruckte Papier mit der"
    " unbedruckten leeren Seite oben liegt, klicken Sie jetzt auf JA, andernfalls auf NEIN. Haben Sie einen "
    "Laserjet, dann müssen Sie jetzt auf JA klicken. Bei den meisten Tintenstrahldruckern auf NEIN.");

const QString kBookletTurnOver = QStringLiteral(
    "Bitte legen Sie nun den ausgedruckten Stapel wieder in den Drucker ein und klicken Sie danach auf OK.");

QString secondPassFile(const QString& file)
{
    if (file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return file.left(file.size() - 4) + QStringLiteral("-2") + file.right(4);
    return file + QStringLiteral("-2");
}

bool pdfFilesMayBeReplaced(const QString& file, bool booklet)
{
    QStringList files{file};
    if (booklet)
        files << secondPassFile(file);
    QStringList there;
    for (const QString& f : files)
        if (QFileInfo::exists(f))
            there << QDir::toNativeSeparators(f);
    if (there.isEmpty())
        return true;
    const QString question =
        there.size() == 1
            ? QStringLiteral("Die Datei '%1' gibt es schon. Soll sie überschrieben werden ?").arg(there[0])
            : QStringLiteral("Die Dateien '%1' und '%2' gibt es schon. Sollen sie überschrieben werden ?")
                  .arg(there[0], there[1]);
    if (ui::msgbox(question, ui::YesNo | ui::Question, QStringLiteral(" ")) == ui::Answer::Yes)
        return true;
    printlog(QStringLiteral("print_rezept.printpreview -> not printed: ") + there.join(QStringLiteral(", ")));
    ui::msgbox(QStringLiteral("Es wurde nichts gedruckt."), ui::OkOnly | ui::Information, QStringLiteral(" "));
    return false;
}

namespace {

const QString kHeftdruck = QStringLiteral(" H e f t d r u c k");

class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { release(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    void release()
    {
        if (m_on)
            QGuiApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

void logResult(const char* call, bool ok)
{
    printlog(QStringLiteral("print_rezept.printpreview result ") + QLatin1String(call) + u'=' +
             QString::number(ok ? 1 : 0));
}

// A short vertical line at the top of the sheet's centre, where it is folded. The page's
// coordinates start at the printable area, so the centre lies the left border short of
// half the sheet's width.
void foldMark(const PageGeometry& g, PageCanvas& canvas)
{
    const int x = whole(g.physwidth / 2.0 - g.marginleft);
    canvas.printline(x, g.margintop, x, whole(g.margintop + g.physheight / 100.0));
}

}  // namespace

JobEnd printJob(PrintLayout& layout, PrintDocument& document, const PagePainter& printpage)
{
    printlog(QStringLiteral("print_rezept.printpreview start"));
    BusyCursor busy;
    const bool booklet = layout.booklet();
    bool stackAnswer = false;
    if (booklet) {
        printlog(QStringLiteral("print_rezept.printpreview booklet=true"));
        stackAnswer = ui::msgbox(kBookletQuestion, ui::YesNo | ui::Information, kHeftdruck) == ui::Answer::Yes;
    }

    const auto fail = [&] {
        const QString why = document.failure();
        printlog(QStringLiteral("print_rezept.printpreview -> Error : ") + why);
        if (document.isOpen())
            document.end();
        busy.release();
        ui::msgbox(QStringLiteral("Der Druck wurde abgebrochen: ") + why, ui::Critical,
                   QStringLiteral(" F E H L E R"));
        return JobEnd::Failed;
    };

    const int m = layout.pagecount();
    const int half = m / 2;
    for (int p = 1; p <= m; ++p) {
        printlog(QStringLiteral("print_rezept.printpreview page=") + QString::number(p));
        if (p == 1) {
            // The document's first page comes with it.
            const bool begun = document.begin(1);
            logResult("startdoc", begun);
            if (!begun)
                return fail();
            logResult("startpage", true);
        } else if (!(booklet && p == half + 1)) {
            const bool started = document.newPage();
            logResult("startpage", started);
            if (!started)
                return fail();
        }

        if (!booklet) {
            printpage(p, document.canvas());
        } else if (p <= half) {
            printpage(2 * p - 1, document.canvas());
        } else {
            if (p == half + 1) {
                const bool ended = document.end();
                logResult("enddoc", ended);
                if (!ended)
                    return fail();
                const bool begun = document.begin(2);
                logResult("startdoc", begun);
                if (!begun)
                    return fail();
                logResult("startpage", true);
                ui::msgbox(kBookletTurnOver, ui::OkOnly | ui::Information, kHeftdruck);
                if (!stackAnswer)
                    foldMark(layout.geometry(), document.canvas());
            }
            printpage(stackAnswer ? 2 * (p - half) : 2 * (m - p + 1), document.canvas());
        }
        if (booklet && stackAnswer && p == m)
            foldMark(layout.geometry(), document.canvas());
        logResult("endpage", true);
    }
    if (document.isOpen()) {
        const bool ended = document.end();
        logResult("enddoc", ended);
        if (!ended)
            return fail();
    }
    return JobEnd::Printed;
}

}  // namespace kv
