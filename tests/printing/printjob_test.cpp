// The print job on a recording document, over layouts of one page per recipe (the sheet of
// layoutfixture.h: 2100 pixels wide with a left border of 40, a top border of 50).

#include "core/mainmod.h"
#include "printing/printjob.h"
#include "tests/printing/layoutfixture.h"
#include "tests/printing/recordingcanvas.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>

namespace kv::test {
namespace {

using ui::Answer;

// The device's calls in order, "begin 1", "page", "end", with what was drawn between them;
// the call named in `refuse` fails.
class RecordingDocument : public PrintDocument {
public:
    bool begin(int pass) override
    {
        m_open = record(QStringLiteral("begin %1").arg(pass));
        return m_open;
    }
    bool newPage() override { return record(QStringLiteral("page")); }
    bool end() override
    {
        m_open = false;
        return record(QStringLiteral("end"));
    }
    bool isOpen() const override { return m_open; }
    PageCanvas& canvas() override { return m_canvas; }
    QString failure() const override { return QStringLiteral("Der Drucker ist aus."); }

    QStringList events;
    QString refuse;

private:
    bool record(const QString& event)
    {
        events << event;
        if (event != refuse)
            return true;
        events.last() += QStringLiteral(" refused");
        return false;
    }

    RecordingCanvas m_canvas{events};
    bool m_open = false;
};

class PrintJobTest : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        layout->setColumncount(1);
    }

    JobEnd print()
    {
        return printJob(*layout, document, [this](int page, PageCanvas&) {
            const QCursor* pointer = QGuiApplication::overrideCursor();
            document.events << QStringLiteral("draw %1%2").arg(page).arg(
                pointer && pointer->shape() == Qt::WaitCursor ? QString() : QStringLiteral(" without hourglass"));
        });
    }

    // A booklet of `sides` sheet sides, without title page.
    void booklet(int sides)
    {
        savereg(reg::printbookletfirsttitle, QStringLiteral("yes"));
        onePagePerRecipe(2 * sides);
        bookletmode = true;
        run();
        ASSERT_EQ(layout->pagecount(), sides);
    }

    void expectBookletBoxes(Answer stack)
    {
        dialogs.expect(kBookletQuestion, stack).withTitle(QStringLiteral(" H e f t d r u c k")).withStyle(68);
        dialogs.expect(kBookletTurnOver, Answer::Ok).withTitle(QStringLiteral(" H e f t d r u c k")).withStyle(64);
    }

    RecordingDocument document;
};

// The fold mark: at the sheet's centre, 2100 / 2 - 40 from the printable area's left edge,
// from the top border down a hundredth of the sheet's height.
const QString kFoldMark = QStringLiteral("line|1010,50,1010,81");

QStringList list(std::initializer_list<const char*> items)
{
    QStringList out;
    for (const char* item : items)
        out << QString::fromUtf8(item);
    return out;
}

TEST_F(PrintJobTest, WithoutBookletEveryPageIsDrawnOnceInOrderInOneDocument)
{
    onePagePerRecipe(3);
    run();
    // The box says booklet now; the layout printed is none.
    bookletmode = true;
    EXPECT_EQ(print(), JobEnd::Printed);
    EXPECT_EQ(document.events, list({"begin 1", "draw 1", "page", "draw 2", "page", "draw 3", "end"}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(PrintJobTest, ABookletPrintsTheFrontsThenTheBacksWithOneFoldMarkOnTheCentreSpread)
{
    booklet(8);
    // Laid out as a booklet; the box has been switched off since.
    bookletmode = false;
    const QStringList fronts = list({"begin 1", "draw 1", "page", "draw 3", "page", "draw 5", "page", "draw 7", "end"});

    expectBookletBoxes(Answer::Yes);
    EXPECT_EQ(print(), JobEnd::Printed);
    dialogs.verify();
    const QStringList afterYes = fronts + list({"begin 2", "draw 2", "page", "draw 4", "page", "draw 6", "page",
                                                "draw 8"}) + QStringList{kFoldMark, QStringLiteral("end")};
    EXPECT_EQ(document.events, afterYes);

    // No: the backs in reverse, the centre spread first, its fold mark before its page.
    document.events.clear();
    expectBookletBoxes(Answer::No);
    EXPECT_EQ(print(), JobEnd::Printed);
    dialogs.verify();
    const QStringList afterNo = fronts + QStringList{QStringLiteral("begin 2"), kFoldMark} +
                                list({"draw 8", "page", "draw 6", "page", "draw 4", "page", "draw 2", "end"});
    EXPECT_EQ(document.events, afterNo);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(PrintJobTest, TwoSheetSidesPrintSideOneThenSideTwoWithTheFoldMarkWhateverTheAnswer)
{
    booklet(2);
    const QStringList front = list({"begin 1", "draw 1", "end", "begin 2"});
    expectBookletBoxes(Answer::Yes);
    print();
    EXPECT_EQ(document.events, QStringList(front) << QStringLiteral("draw 2") << kFoldMark << QStringLiteral("end"));
    document.events.clear();
    expectBookletBoxes(Answer::No);
    print();
    EXPECT_EQ(document.events, QStringList(front) << kFoldMark << QStringLiteral("draw 2") << QStringLiteral("end"));
}

TEST_F(PrintJobTest, NoPagesBeginNoDocument)
{
    // A layout that never ran has no pages.
    EXPECT_EQ(layout->pagecount(), 0);
    EXPECT_EQ(print(), JobEnd::Printed);
    EXPECT_TRUE(document.events.isEmpty());
}

TEST_F(PrintJobTest, ADeviceThatRefusesStopsTheJobWhichSaysSoAndGivesThePointerBack)
{
    onePagePerRecipe(3);
    run();
    const std::pair<const char*, QStringList> cases[] = {
        {"begin 1", list({"begin 1 refused"})},
        {"page", list({"begin 1", "draw 1", "page refused", "end"})},
        {"end", list({"begin 1", "draw 1", "page", "draw 2", "page", "draw 3", "end refused"})},
    };
    for (const auto& [refused, events] : cases) {
        document.events.clear();
        document.refuse = QString::fromLatin1(refused);
        dialogs.expect(QStringLiteral("Der Druck wurde abgebrochen: Der Drucker ist aus."), Answer::Ok)
            .withTitle(QStringLiteral(" F E H L E R"))
            .withStyle(16);
        EXPECT_EQ(print(), JobEnd::Failed) << refused;
        dialogs.verify();
        EXPECT_EQ(document.events, events) << refused;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << refused;
    }
}

TEST_F(PrintJobTest, ABookletWhoseSecondDocumentIsRefusedStopsBeforeTheTurnOver)
{
    booklet(2);
    document.refuse = QStringLiteral("begin 2");
    dialogs.expect(kBookletQuestion, Answer::Yes);
    dialogs.expect(QStringLiteral("Der Druck wurde abgebrochen"), Answer::Ok);
    EXPECT_EQ(print(), JobEnd::Failed);
    EXPECT_EQ(document.events, list({"begin 1", "draw 1", "end", "begin 2 refused"}));
}

}  // namespace
}  // namespace kv::test
