#pragma once
// The print window on the started program, printing to PDF (the machine has no printer
// queue). Activations are driven the way the window system drives them: a window is
// activated, and when one closes the next is activated at once. Layouts are counted in the
// print log, which is on from the moment the window has been shown.

#include "core/mainmod.h"
#include "platform/print/printdlgapi.h"
#include "platform/print/printerdevmode.h"
#include "platform/print/printlog.h"
#include "printing/print_rezept_window.h"
#include "printing/render.h"
#include "tests/mainwindow/startedprogram.h"
#include "tests/printing/printtest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QToolButton>

namespace kv::test {

inline void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

// A copy of the printed `file` in the folder KELVOR_PRINT_PDF_DIR names, for looking at.
inline void keepForLooking(const QString& file)
{
    const QString folder = qEnvironmentVariable("KELVOR_PRINT_PDF_DIR");
    if (!folder.isEmpty()) {
        const QString copy = QDir(folder).filePath(QFileInfo(file).fileName());
        QFile::remove(copy);
        QFile::copy(file, copy);
    }
}

// The pages of a PDF file as Qt writes it: one page object each.
inline int pdfPages(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return int(QString::fromLatin1(f.readAll()).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

class PrintWindowTest : public StartedProgram {
protected:
    void SetUp() override
    {
        setPrinterQueueSource([] { return PrinterQueues{}; });
        setPrintlogon(false);
        // A fresh program run: no booklet box has been ticked yet.
        bookletmode = false;
        start();
    }
    void TearDown() override
    {
        StartedProgram::TearDown();
        setPrintlogon(false);
        bookletmode = false;
        setPrinterQueueSource({});
        setChosenPrinter({});
    }

    PrintRezept* form()
    {
        return qobject_cast<PrintRezept*>(ui::WindowRegistry::loadedWindow(QStringLiteral("print_rezept")));
    }
    template <class T = QToolButton>
    T* formControl(const char* name)
    {
        return control<T>(form(), QString::fromLatin1(name));
    }

    // The print window shown for the quick list, with the print log on from here.
    void showForm()
    {
        button("druckaus")->click();
        ASSERT_TRUE(form() && form()->isVisible());
        settle();
        setPrintlogon(true);
        QFile::remove(printlogPath());
    }
    // Page `page` as it prints, drawn as the print job draws it.
    QImage paperPage(int page)
    {
        const PageGeometry& g = form()->layout().geometry();
        ImageSurface image(g.dpiy, QSize(g.printareahorz, g.printareavert));
        SurfaceCanvas canvas(image.surface());
        form()->printpage(false, page, &canvas);
        return image.finish();
    }
    // Layouts run since the print log was started.
    int layouts() { return int(logText().count(QStringLiteral("calcrezsizes start"))); }
    void activate(QWidget* window)
    {
        window->activateWindow();
        settle();
    }
};

}  // namespace kv::test
