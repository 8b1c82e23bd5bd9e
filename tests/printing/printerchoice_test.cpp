#include "platform/print/pagesize.h"
#include "platform/print/printdlgapi.h"
#include "platform/print/printerdevmode.h"
#include "platform/ui/widgethost.h"
#include "printing/printtext.h"

#include "tests/printing/printtest.h"
#include "tests/support/guitest.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenv.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>

using namespace kv;
using kv::test::control;
using kv::ui::Answer;

namespace kv {

void PrintTo(const PageGeometry& g, std::ostream* os)
{
    *os << "{margintop " << g.margintop << ", marginleft " << g.marginleft << ", printareahorz "
        << g.printareahorz << ", printareavert " << g.printareavert << ", physwidth "
        << g.physwidth << ", physheight " << g.physheight << ", dpix " << g.dpix << ", dpiy "
        << g.dpiy << '}';
}

}  // namespace kv

namespace {

// An A4 PDF at 1200 dpi: 595 × 842 pt, all of it printable.
const PageGeometry a4Pdf{0, 0, 9917, 14033, 9917, 14033, 1200, 1200};

class ChosenPrinter : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kv::test::guiApp(); }
    void SetUp() override { useQueues({}); }
    void TearDown() override
    {
        setPrinterQueueSource({});
        setChosenPrinter({});
    }

    void useQueues(QStringList names, QString defaultName = {})
    {
        setPrinterQueueSource([names, defaultName] {
            PrinterQueues q;
            for (const QString& n : names)
                q.queues.push_back({n, n + QStringLiteral(" PostScript")});
            q.defaultName = defaultName;
            return q;
        });
    }

    void choose(std::function<void(PrinterChoice&)> change, bool ok = true)
    {
        dialogs.expectPrinterSetup([change, ok](PrinterChoice& c) {
            change(c);
            return ok;
        });
        EXPECT_EQ(showprinter(), ok);
        dialogs.verify();
    }

    kv::test::TestEnvironment env;
    kv::test::ScriptedDialogs dialogs;
};

}  // namespace

TEST_F(ChosenPrinter, WithoutAQueueThePdfOutputIsChosenAndAllOfA4IsPrintable)
{
    fillpdevmode();
    EXPECT_TRUE(chosenPrinter().isPdf());
    EXPECT_EQ(getdevicename(), pdfOutputName);
    EXPECT_EQ(getoutputname(), QString());
    EXPECT_TRUE(printernames().isEmpty());
    const std::unique_ptr<QPrinter> printer = chosenPrinterDevice();
    EXPECT_EQ(printer->outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(kv::getpagesize(), a4Pdf);
}

TEST_F(ChosenPrinter, OkChangesPaperOrOrientationAndThePageFollows)
{
    fillpdevmode();
    choose([](PrinterChoice& c) { c.orientation = QPageLayout::Landscape; });
    PageGeometry landscape = a4Pdf;
    std::swap(landscape.physwidth, landscape.physheight);
    std::swap(landscape.printareahorz, landscape.printareavert);
    EXPECT_EQ(kv::getpagesize(), landscape);

    choose([](PrinterChoice& c) {
        c.paper = QPageSize(QPageSize::A5);
        c.orientation = QPageLayout::Portrait;
    });
    const PageGeometry a5 = kv::getpagesize();
    // A5 is 420 × 595 pt.
    EXPECT_EQ(a5.physwidth, 7000);
    EXPECT_EQ(a5.physheight, 9917);
    EXPECT_EQ(a5.printareahorz, a5.physwidth);
    EXPECT_EQ(a5.marginleft, 0);
}

TEST_F(ChosenPrinter, CancelChangesNothing)
{
    fillpdevmode();
    const PrinterChoice before = chosenPrinter();
    choose(
        [](PrinterChoice& c) {
            c.name = QStringLiteral("HP");
            c.orientation = QPageLayout::Landscape;
            c.paper = QPageSize(QPageSize::Letter);
        },
        false);
    EXPECT_EQ(chosenPrinter(), before);
    EXPECT_EQ(kv::getpagesize(), a4Pdf);
}

TEST_F(ChosenPrinter, AQueueWhoseNameBeginsAnothersKeepsItsOwnName)
{
    for (const QStringList& queues : {QStringList{"HP", "HP LaserJet"}, QStringList{"HP LaserJet", "HP"}}) {
        SCOPED_TRACE(queues.join(QStringLiteral(", ")).toStdString());
        useQueues(queues);
        fillpdevmode();
        for (const QString& name : queues) {
            choose([name](PrinterChoice& c) { c.name = name; });
            EXPECT_EQ(getdevicename(), name);
            EXPECT_EQ(getdrivername(), name + QStringLiteral(" PostScript"));
            EXPECT_EQ(getoutputname(), QString());
        }
        EXPECT_EQ(printernames(), queues);
        EXPECT_EQ(printerports(), QStringList(queues.size(), QString()));
    }
}

TEST_F(ChosenPrinter, AQueueThatCannotBeUsedIsReportedOnceAndThePdfOutputStandsIn)
{
    // The default queue is listed but gone by the time a device is made of it.
    useQueues({QStringLiteral("Küche")}, QStringLiteral("Küche"));
    fillpdevmode();
    EXPECT_EQ(getdevicename(), QStringLiteral("Küche"));
    dialogs.expect(QStringLiteral("Fehler bei der Verbindung zum Druckertreiber. Stellen Sie "
                                  "sicher, daß ein Drucker installiert ist."),
                   Answer::Ok)
        .withTitle(QStringLiteral(" F E H L E R"))
        .withStyle(ui::Critical);
    EXPECT_EQ(kv::getpagesize(), a4Pdf);
    dialogs.verify();
    EXPECT_EQ(getdevicename(), pdfOutputName);
    EXPECT_EQ(kv::getpagesize(), a4Pdf);
}

TEST_F(ChosenPrinter, ThePdfFileIsTheDialogsOrAskedForWhenTheJobStarts)
{
    fillpdevmode();
    const QString asked = env.tempPath(QStringLiteral("rezepte.pdf"));
    dialogs.expectFile(QStringLiteral("PDF-Datei"), asked);
    EXPECT_EQ(outputFileForJob(), asked);
    dialogs.expectFile(QStringLiteral("PDF-Datei"), QString());
    EXPECT_EQ(outputFileForJob(), QString());

    const QString chosen = env.tempPath(QStringLiteral("gewählt.pdf"));
    choose([chosen](PrinterChoice& c) { c.outputFile = chosen; });
    EXPECT_EQ(getoutputname(), chosen);
    EXPECT_EQ(outputFileForJob(), chosen);
    EXPECT_EQ(chosenPrinterDevice()->outputFileName(), chosen);
}

TEST_F(ChosenPrinter, AnImageMeasuresAsThePdfPrints)
{
    ASSERT_TRUE(kv::test::arialNarrowIsLiberationSansNarrow());
    fillpdevmode();
    std::unique_ptr<QPrinter> printer = chosenPrinterDevice();
    printer->setOutputFileName(env.tempPath(QStringLiteral("messen.pdf")));
    QPainter painter(printer.get());
    PrintSurface pdf(painter);
    ImageSurface image(1200);
    ASSERT_EQ(pdf.dpiy(), 1200);
    const QString text = QStringLiteral(
        "Die Zwiebeln schälen, fein würfeln und in Butter glasig dünsten.\r\nMehl & Milch dazu.");
    for (double size : {9.0, 10.0, 12.0})
        for (bool bold : {false, true})
            for (bool italic : {false, true}) {
                SCOPED_TRACE(testing::Message() << size << " pt bold " << bold << " italic " << italic);
                for (int width : {0, 1500, 4000})
                    EXPECT_EQ(measuretextblock(pdf, text, QStringLiteral("Arial Narrow"), size, bold,
                                               italic, 0, 0, width, 0),
                              measuretextblock(image.surface(), text, QStringLiteral("Arial Narrow"),
                                               size, bold, italic, 0, 0, width, 0));
                EXPECT_EQ(gettextmetric(pdf, QStringLiteral("Arial Narrow"), size, bold, italic),
                          gettextmetric(image.surface(), QStringLiteral("Arial Narrow"), size, bold,
                                        italic));
            }
    painter.end();
}

namespace {

// The real printer dialog through the widget host: the setup form, its file field filled
// with `file`, left with OK or Cancel.
bool runPrinterDialog(PrinterChoice& choice, const QString& file, bool ok)
{
    kv::test::whenModal([file, ok](QWidget* w) {
        auto* dialog = qobject_cast<QPrintDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Druckeinrichtung"));
        auto* tabs = control<QTabWidget>(dialog, "tabs");
        EXPECT_FALSE(tabs->isTabVisible(tabs->indexOf(control(dialog, "copiesTab"))));
        control<QLineEdit>(dialog, "filename")->setText(file);
        if (ok)
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        else
            dialog->reject();
    });
    kv::ui::WidgetDialogHost host;
    return host.printerSetup(choice);
}

}  // namespace

TEST(PrinterDialog, SetupFormTakesThePdfFileOnOkAndNothingOnCancel)
{
    kv::test::guiApp();
    kv::test::TestEnvironment env;
    PrinterChoice choice;
    choice.orientation = QPageLayout::Landscape;
    const PrinterChoice before = choice;
    EXPECT_FALSE(runPrinterDialog(choice, env.tempPath(QStringLiteral("verworfen.pdf")), false));
    EXPECT_EQ(choice, before);

    const QString file = env.tempPath(QStringLiteral("rezepte.pdf"));
    EXPECT_TRUE(runPrinterDialog(choice, file, true));
    EXPECT_TRUE(choice.isPdf());
    EXPECT_EQ(choice.outputFile, file);
    EXPECT_EQ(choice.orientation, QPageLayout::Landscape);
    EXPECT_EQ(choice.paper, QPageSize(QPageSize::A4));
    EXPECT_EQ(choice.resolution, 1200);
}
