// The print window: its controls, paging, columns, activations, the printer and the print
// job. Set KELVOR_PRINT_PDF_DIR to a folder to keep the PDF files printed here for looking at
// (keepForLooking).

#include "core/settings.h"
#include "platform/db/database.h"
#include "platform/ui/closinghooks.h"
#include "printing/layoutdb.h"
#include "platform/print/printdialog.h"
#include "printing/printjob.h"
#include "tests/printing/printwindowtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QMessageBox>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QTemporaryDir>
#include <QTimer>

namespace kv::test {
namespace {

using ui::Answer;

const QString kPdfQuestion = QStringLiteral("Druck als PDF-Datei speichern");

class PrintForm : public PrintWindowTest {
protected:
    void SetUp() override
    {
        PrintWindowTest::SetUp();
        ASSERT_TRUE(out.isValid());
    }

    QString caption() { return formControl<QLabel>("anzseit")->text(); }
    qint64 previewKey() { return formControl<QLabel>("preview")->pixmap().cacheKey(); }
    // Every recipe of the cookbook in the quick list: several pages.
    void fillQuickList()
    {
        db().execute(QStringLiteral("delete from rezinaus where aid=1"));
        db().execute(QStringLiteral("insert into rezinaus (aid,rid,rname,port) select 1,rid,rname,4 from rezepte"));
    }

    QTemporaryDir out;
};

TEST_F(PrintForm, DruckausShowsTheFormWithEveryControlAtPageOne)
{
    button("druckaus")->click();
    PrintRezept* f = form();
    ASSERT_TRUE(f && f->isVisible());
    EXPECT_EQ(f->parentWidget(), nullptr);
    EXPECT_EQ(caption(), QStringLiteral("Seite : 1 von %1").arg(f->layout().pagecount()));
    EXPECT_GE(f->layout().pagecount(), 1);
    EXPECT_EQ(formControl<QLabel>("spaltlabel")->text(), QStringLiteral("Spaltenanzahl : 2"));
    EXPECT_FALSE(formControl<QLabel>("waitmess")->isVisible());
    // The tooltip's grammar as it was given.
    EXPECT_EQ(formControl<QCheckBox>("makebooklet")->toolTip(), QStringLiteral("Ankreuzen, um eine Heft zu drucken"));
    EXPECT_EQ(formControl<QComboBox>("printsettings")->currentText(), QStringLiteral("aktuelle Einstellungen"));
    EXPECT_TRUE(formControl("printpreview")->isEnabled());

    // The page is drawn into the preview, which is the printable area of the sheet.
    QLabel* preview = formControl<QLabel>("preview");
    const QImage page = preview->pixmap().toImage();
    EXPECT_EQ(page.size(), preview->size());
    EXPECT_TRUE(formControl<QFrame>("printrand")->geometry().contains(preview->geometry()));
    int ink = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            ink += qGray(page.pixel(x, y)) < 128;
    EXPECT_GT(ink, 500);
}

TEST_F(PrintForm, PagingStopsAtBothEnds)
{
    fillQuickList();
    showForm();
    const int n = form()->layout().pagecount();
    ASSERT_GE(n, 3);
    const qint64 first = previewKey();
    formControl("pageminus")->click();
    EXPECT_EQ(caption(), QStringLiteral("Seite : 1 von %1").arg(n));
    EXPECT_EQ(previewKey(), first);
    for (int page = 2; page <= n; ++page) {
        const qint64 before = previewKey();
        formControl("pageplus")->click();
        EXPECT_EQ(caption(), QStringLiteral("Seite : %1 von %2").arg(page).arg(n));
        EXPECT_NE(previewKey(), before);
    }
    const qint64 last = previewKey();
    formControl("pageplus")->click();
    EXPECT_EQ(caption(), QStringLiteral("Seite : %1 von %1").arg(n));
    EXPECT_EQ(previewKey(), last);
    formControl("pageminus")->click();
    EXPECT_EQ(caption(), QStringLiteral("Seite : %1 von %2").arg(n - 1).arg(n));
    EXPECT_EQ(layouts(), 0);
}

TEST_F(PrintForm, TheColumnButtonsStopAtOneAndAt24AndAnUnreadableCountGivesTwo)
{
    savereg(reg::printspalten, QStringLiteral("1"));
    showForm();
    QLabel* spaltlabel = formControl<QLabel>("spaltlabel");
    EXPECT_EQ(spaltlabel->text(), QStringLiteral("Spaltenanzahl : 1"));
    formControl("minus")->click();
    EXPECT_EQ(spaltlabel->text(), QStringLiteral("Spaltenanzahl : 1"));
    EXPECT_EQ(layouts(), 0);

    formControl("plus")->click();
    EXPECT_EQ(spaltlabel->text(), QStringLiteral("Spaltenanzahl : 2"));
    EXPECT_EQ(getreg(reg::printspalten), QStringLiteral("2"));
    EXPECT_EQ(form()->layout().columncount(), 2);
    EXPECT_EQ(layouts(), 1);
    formControl("minus")->click();
    EXPECT_EQ(getreg(reg::printspalten), QStringLiteral("1"));
    EXPECT_EQ(layouts(), 2);

    formControl("kreuz")->click();
    savereg(reg::printspalten, QStringLiteral("24"));
    dialogs.expect(QStringLiteral("Obacht !"), Answer::Ok);
    showForm();
    dialogs.expect(QStringLiteral("Mehr als 24 Spalten sind nicht möglich."), Answer::Ok)
        .withTitle(QStringLiteral(" "))
        .withStyle(64);
    formControl("plus")->click();
    dialogs.verify();
    EXPECT_EQ(formControl<QLabel>("spaltlabel")->text(), QStringLiteral("Spaltenanzahl : 24"));
    EXPECT_EQ(getreg(reg::printspalten), QStringLiteral("24"));
    EXPECT_EQ(layouts(), 0);

    // Missing, no number or beyond a byte: two, written back.
    for (const char* stored : {"", "keine", "300"}) {
        formControl("kreuz")->click();
        savereg(reg::printspalten, QString::fromLatin1(stored));
        showForm();
        EXPECT_EQ(formControl<QLabel>("spaltlabel")->text(), QStringLiteral("Spaltenanzahl : 2")) << stored;
        EXPECT_EQ(getreg(reg::printspalten), QStringLiteral("2")) << stored;
    }
}

TEST_F(PrintForm, AnActivationFromTheMainWindowLaysOutOnceAndABoxClosingDoesNot)
{
    // Shown and activated by the window system: one layout.
    setPrintlogon(true);
    button("druckaus")->click();
    settle();
    ASSERT_TRUE(form() && form()->isActiveWindow());
    EXPECT_EQ(layouts(), 1);
    QFile::remove(printlogPath());

    activate(hm);
    activate(form());
    EXPECT_EQ(layouts(), 1);

    // The booklet was switched on elsewhere: the box follows and lays out, once. (One
    // column: two would be too narrow on half a sheet.)
    savereg(reg::printbooklet, QStringLiteral("1"));
    savereg(reg::printspalten, QStringLiteral("1"));
    formControl("minus")->click();
    EXPECT_EQ(layouts(), 2);
    activate(hm);
    activate(form());
    EXPECT_EQ(layouts(), 3);
    EXPECT_TRUE(formControl<QCheckBox>("makebooklet")->isChecked());
    EXPECT_TRUE(form()->layout().booklet());
    EXPECT_EQ(form()->layout().pagecount(), 2);

    // A box of its own closes and the window system hands the window back.
    {
        QMessageBox box(form());
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        settle();
        box.hide();
        activate(form());
    }
    EXPECT_EQ(layouts(), 3);

    // Back from a window that has closed, as from another program: nothing was changed.
    {
        QWidget elsewhere;
        elsewhere.show();
        settle();
        elsewhere.hide();
        activate(form());
    }
    EXPECT_EQ(layouts(), 3);

    // The user unticks the box: one layout, without booklet.
    formControl<QCheckBox>("makebooklet")->click();
    EXPECT_EQ(layouts(), 4);
    EXPECT_EQ(getreg(reg::printbooklet), QStringLiteral("0"));
    EXPECT_FALSE(form()->layout().booklet());
}

TEST_F(PrintForm, KreuzAndShowingAgainMakesTheLayoutDatabaseAfreshAndACookbookClosingDropsIt)
{
    showForm();
    form()->layout().layoutDatabase().db().execute(QStringLiteral("create table marker (x integer)"));
    formControl("kreuz")->click();
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(QStringLiteral("print_rezept")));
    settle();
    showForm();
    EXPECT_FALSE(form()->layout().layoutDatabase().db().hasTable(QStringLiteral("marker")));
    EXPECT_TRUE(form()->layout().layoutdbopen());

    // Dropped until the next activation.
    ui::runCookbookClosing();
    EXPECT_FALSE(form()->layout().layoutdbopen());
    EXPECT_FALSE(formControl("printpreview")->isEnabled());
    activate(hm);
    activate(form());
    EXPECT_TRUE(form()->layout().layoutdbopen());
    EXPECT_TRUE(formControl("printpreview")->isEnabled());
}

TEST_F(PrintForm, ALandscapeSheetIsFittedToTheWindowsWidth)
{
    showForm();
    dialogs.expectPrinterSetup([](PrinterChoice& c) {
        c.orientation = QPageLayout::Landscape;
        return true;
    });
    formControl("druckaus")->click();
    dialogs.verify();
    const PageGeometry& g = form()->layout().geometry();
    ASSERT_GT(g.physwidth, g.physheight);
    const QRect sheet = formControl<QFrame>("printrand")->geometry();
    EXPECT_NEAR(sheet.width(), form()->width() - 2 * sheet.x(), 1);
    EXPECT_NEAR(double(sheet.width()) / sheet.height(), double(g.physwidth) / g.physheight, 0.01);
    EXPECT_TRUE(sheet.contains(formControl<QLabel>("preview")->geometry()));
    EXPECT_EQ(layouts(), 1);
    EXPECT_TRUE(logText().contains(QStringLiteral("changeprinter -> calcrezsites\r\ncalcrezsizes start")));
    EXPECT_EQ(caption(), QStringLiteral("Seite : 1 von %1").arg(form()->layout().pagecount()));
}

TEST_F(PrintForm, AResizeBeforeTheFirstLayoutOrToATinyWindowDoesNothing)
{
    setPrintlogon(true);
    auto* f = ui::WindowRegistry::instance<PrintRezept>(QStringLiteral("print_rezept"));
    QWidget* sheet = control<QFrame>(f, QStringLiteral("printrand"));
    QWidget* preview = control<QLabel>(f, QStringLiteral("preview"));
    const QRect sheetBefore = sheet->geometry();
    QResizeEvent early(QSize(900, 600), f->size());
    QCoreApplication::sendEvent(f, &early);
    EXPECT_EQ(sheet->geometry(), sheetBefore);
    EXPECT_EQ(preview->geometry(), sheetBefore);

    button("druckaus")->click();
    settle();
    const QRect shown = sheet->geometry();
    const QRect previewShown = preview->geometry();
    const qint64 drawn = previewKey();
    for (QSize tiny : {QSize(300, 120), QSize(10, 10)}) {
        f->resize(tiny);
        settle();
        EXPECT_EQ(sheet->geometry(), shown);
        EXPECT_EQ(preview->geometry(), previewShown);
        EXPECT_EQ(previewKey(), drawn);
    }

    // A larger window: the sheet is as high as the window leaves it, the page drawn anew.
    f->resize(760, 1000);
    settle();
    EXPECT_EQ(sheet->height(), 1000 - sheet->y() - 32);
    EXPECT_NE(previewKey(), drawn);
    EXPECT_EQ(formControl<QLabel>("preview")->pixmap().size(), preview->size());
}

TEST_F(PrintForm, APdfOfTheQuickListHasAsManyPagesAsThePreviewAndAFileThatCannotBeWrittenIsSaid)
{
    showForm();
    const QString missing = out.filePath(QStringLiteral("fehlt/liste.pdf"));
    dialogs.expectFile(kPdfQuestion, missing);
    dialogs.expect(QStringLiteral("Der Druck wurde abgebrochen: Die Datei %1 kann nicht geschrieben werden.").arg(missing),
                   Answer::Ok)
        .withTitle(QStringLiteral(" F E H L E R"));
    formControl("printpreview")->click();
    dialogs.verify();
    EXPECT_TRUE(form()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(QFile::exists(missing));

    const int n = form()->layout().pagecount();
    const QString file = out.filePath(QStringLiteral("schnell.pdf"));
    dialogs.expectFile(kPdfQuestion, file);
    formControl("printpreview")->click();
    dialogs.verify();
    EXPECT_EQ(pdfPages(file), n);
    keepForLooking(file);
    // Printed: hidden, with its layout kept.
    ASSERT_TRUE(form());
    EXPECT_FALSE(form()->isVisible());
    EXPECT_TRUE(form()->layout().printable());
}

TEST_F(PrintForm, ABookletToPdfGivesTwoFilesTheSecondWithMinus2)
{
    savereg(reg::printbooklet, QStringLiteral("1"));
    savereg(reg::printspalten, QStringLiteral("1"));
    fillQuickList();
    showForm();
    const int sides = form()->layout().pagecount();
    ASSERT_GE(sides, 4);
    const QString file = out.filePath(QStringLiteral("heft.pdf"));
    dialogs.expectFile(kPdfQuestion, file);
    dialogs.expect(kBookletQuestion, Answer::Yes);
    dialogs.expect(kBookletTurnOver, Answer::Ok);
    formControl("printpreview")->click();
    dialogs.verify();
    EXPECT_EQ(pdfPages(file), sides / 2);
    EXPECT_EQ(pdfPages(out.filePath(QStringLiteral("heft-2.pdf"))), sides / 2);
    keepForLooking(file);
    keepForLooking(out.filePath(QStringLiteral("heft-2.pdf")));
    EXPECT_FALSE(form()->isVisible());
}

// The printer dialog's PDF file stays chosen for every later print, and the save dialog
// asks nothing before the job; the job asks once when a file of it is there.
TEST_F(PrintForm, APdfFileThatIsThereIsOverwrittenOnlyAfterOneYesAndNoPrintsNothing)
{
    showForm();
    const QString file = out.filePath(QStringLiteral("print.pdf"));
    dialogs.expectPrinterSetup([file](PrinterChoice& c) {
        c.outputFile = file;
        return true;
    });
    formControl("druckaus")->click();
    dialogs.verify();
    // A new file: no question.
    formControl("printpreview")->click();
    dialogs.verify();
    ASSERT_EQ(pdfPages(file), form()->layout().pagecount());

    const auto writeOld = [](const QString& path) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("alt");
    };
    const auto content = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    writeOld(file);
    const QString question =
        QStringLiteral("Die Datei '%1' gibt es schon. Soll sie überschrieben werden ?").arg(QDir::toNativeSeparators(file));
    showForm();
    dialogs.expect(question, Answer::No).withStyle(ui::YesNo | ui::Question);
    dialogs.expect(QStringLiteral("Es wurde nichts gedruckt."), Answer::Ok);
    formControl("printpreview")->click();
    dialogs.verify();
    EXPECT_EQ(content(file), QByteArray("alt"));
    EXPECT_TRUE(form()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    dialogs.expect(question, Answer::Yes);
    formControl("printpreview")->click();
    dialogs.verify();
    EXPECT_EQ(pdfPages(file), form()->layout().pagecount());
    EXPECT_FALSE(form()->isVisible());

    // A file named in the save dialog is asked about once, by the job.
    setChosenPrinter({});
    writeOld(file);
    showForm();
    dialogs.expectFile(kPdfQuestion, file);
    dialogs.expect(question, Answer::No);
    dialogs.expect(QStringLiteral("Es wurde nichts gedruckt."), Answer::Ok);
    formControl("printpreview")->click();
    dialogs.verify();
    ASSERT_FALSE(dialogs.shown().empty());
    for (const auto& shown : dialogs.shown())
        EXPECT_FALSE(shown.asksOverwrite);
    EXPECT_EQ(content(file), QByteArray("alt"));
}

TEST_F(PrintForm, ABookletAsksOnceForItsFilesThatAreThereTheSecondIncluded)
{
    savereg(reg::printbooklet, QStringLiteral("1"));
    savereg(reg::printspalten, QStringLiteral("1"));
    fillQuickList();
    const QString file = out.filePath(QStringLiteral("heft.pdf"));
    const QString second = out.filePath(QStringLiteral("heft-2.pdf"));
    {
        QFile old(second);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("alt");
    }
    showForm();
    // Only the second file is there.
    dialogs.expectFile(kPdfQuestion, file);
    dialogs.expect(QStringLiteral("Die Datei '%1' gibt es schon.").arg(QDir::toNativeSeparators(second)), Answer::No);
    dialogs.expect(QStringLiteral("Es wurde nichts gedruckt."), Answer::Ok);
    formControl("printpreview")->click();
    dialogs.verify();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(QFileInfo(second).size(), 3);

    // Both are there after a print: one question names both; Yes prints the booklet.
    dialogs.expectFile(kPdfQuestion, file);
    dialogs.expect(QStringLiteral("Die Datei '%1' gibt es schon.").arg(QDir::toNativeSeparators(second)), Answer::Yes);
    dialogs.expect(kBookletQuestion, Answer::Yes);
    dialogs.expect(kBookletTurnOver, Answer::Ok);
    formControl("printpreview")->click();
    dialogs.verify();
    const int sides = form()->layout().pagecount();
    EXPECT_EQ(pdfPages(second), sides / 2);
    showForm();
    dialogs.expectFile(kPdfQuestion, file);
    dialogs.expect(QStringLiteral("Die Dateien '%1' und '%2' gibt es schon. Sollen sie überschrieben werden ?")
                       .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(second)),
                   Answer::No);
    dialogs.expect(QStringLiteral("Es wurde nichts gedruckt."), Answer::Ok);
    formControl("printpreview")->click();
    dialogs.verify();
    EXPECT_TRUE(form()->isVisible());
}

// The window opens no larger than the screen leaves it, with the whole sheet in sight; a
// narrow window keeps the column count readable, and a wide one has the sheet in its middle.
TEST_F(PrintForm, TheWindowFitsTheScreenKeepsTheColumnCountAndCentresTheSheet)
{
    button("druckaus")->click();
    settle();
    ASSERT_TRUE(form() && form()->isVisible());
    const QRect screen = form()->screen()->availableGeometry();
    EXPECT_LT(form()->height(), screen.height());
    EXPECT_LE(form()->width(), screen.width());
    auto* sheet = formControl<QFrame>("printrand");
    EXPECT_LE(sheet->geometry().bottom(), form()->height() - 1);

    auto* spalten = formControl<QLabel>("spaltlabel");
    form()->resize(600, form()->height());
    settle();
    EXPECT_EQ(spalten->text(), QStringLiteral("Spaltenanzahl : 2"));
    // The whole text has room, and the buttons beside it leave it uncovered.
    EXPECT_GE(spalten->width(), spalten->sizeHint().width());
    EXPECT_LT(spalten->geometry().right(), formControl("minus")->geometry().left());
    EXPECT_LE(spalten->mapTo(form(), QPoint(spalten->width(), 0)).x(), form()->width());

    form()->resize(1400, form()->height());
    settle();
    const int gapLeft = sheet->geometry().left();
    const int gapRight = form()->width() - 1 - sheet->geometry().right();
    EXPECT_NEAR(gapLeft, gapRight, 1);
    EXPECT_GT(gapLeft, 200);
    // The page is drawn in the sheet, not beside it.
    EXPECT_TRUE(sheet->geometry().contains(formControl<QLabel>("preview")->geometry()));
}

// A file that is there, named in the real printer dialog, is asked about once: by the print
// job, in German; the dialog's own question would be a second one.
TEST_F(PrintForm, APdfFileNamedInThePrinterDialogIsAskedAboutOnce)
{
    const QString file = out.filePath(QStringLiteral("da.pdf"));
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("alt");
    }
    showForm();
    // Every other box is one of Qt's own, shown past the dialog layer; it is answered Yes.
    QStringList qtBoxes;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&qtBoxes] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            qtBoxes << box->text();
            box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes)->click() : box->accept();
        }
    });
    watch.start();
    dialogs.expectPrinterSetup([this, file](PrinterChoice& c) {
        whenModal([file](QWidget* w) {
            auto* dialog = qobject_cast<QPrintDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            control<QLineEdit>(dialog, "filename")->setText(file);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        return execPrinterDialog(c, form());
    });
    formControl("druckaus")->click();
    dialogs.verify();
    EXPECT_EQ(chosenPrinter().outputFile, file);

    dialogs.expect(QStringLiteral("Die Datei '%1' gibt es schon. Soll sie überschrieben werden ?")
                       .arg(QDir::toNativeSeparators(file)),
                   Answer::Yes);
    formControl("printpreview")->click();
    dialogs.verify();
    watch.stop();
    EXPECT_EQ(qtBoxes, QStringList());
    EXPECT_EQ(pdfPages(file), form()->layout().pagecount());
}

}  // namespace
}  // namespace kv::test
