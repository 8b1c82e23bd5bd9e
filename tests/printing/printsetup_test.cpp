// The print settings window and the print window's scheme list on the started program,
// with the font dialog and the name box scripted. One drop comes as Qt's drag events, the
// others through the drop handlers.

#include "core/settings.h"
#include "platform/db/database.h"
#include "platform/ui/events.h"
#include "printing/print_setup_window.h"
#include "printing/printsettingsdb.h"
#include "tests/printing/printwindowtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QScrollBar>
#include <QtTest/QTest>

#include <sys/stat.h>

namespace kv::test {
namespace {

using ui::Answer;

const QString kSetup = QStringLiteral("print_setup");
const QString kRefused = QStringLiteral("Bitte geben Sie anständige Zahlen ein.");
const QString kNameBox = QStringLiteral("Bitte geben Sie einen Namen für diese Einstellungen ein :");

class PrintSettingsWindow : public PrintWindowTest {
protected:
    // The print window with its settings window open and active.
    void openSetup()
    {
        showForm();
        ASSERT_TRUE(formControl("einstell")->isEnabled());
        formControl("einstell")->click();
        ASSERT_TRUE(setup() && setup()->isVisible());
        activate(setup());
    }
    PrintSetup* setup() { return qobject_cast<PrintSetup*>(ui::WindowRegistry::loadedWindow(kSetup)); }
    template <class T>
    T* setupControl(const char* name)
    {
        return control<T>(setup(), QString::fromLatin1(name));
    }
    QLabel* field(const char* name) { return setupControl<QLabel>(name); }
    QListWidget* list(const char* name) { return setupControl<QListWidget>(name); }
    QLineEdit* marg(int k) { return control<QLineEdit>(setup(), QStringLiteral("marg%1").arg(k)); }
    QScrollBar* mscroll(int k) { return control<QScrollBar>(setup(), QStringLiteral("mscroll%1").arg(k)); }
    QComboBox* schemes() { return formControl<QComboBox>("printsettings"); }

    // A list's entries with the places of their pairs.
    static QStringList entries(const QListWidget* l)
    {
        QStringList shown;
        for (int i = 0; i < l->count(); ++i)
            shown << QStringLiteral("%1@%2").arg(l->item(i)->text()).arg(l->item(i)->data(Qt::UserRole).toInt());
        return shown;
    }
    static void clickEntry(QListWidget* l, int row)
    {
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
    }
    // The user types into a box and moves on to the next control.
    void typeAndLeave(QLineEdit* box, const QString& text, QWidget* next)
    {
        box->setFocus(Qt::OtherFocusReason);
        settle();
        box->setText(text);
        next->setFocus(Qt::OtherFocusReason);
        settle();
    }
    void choose(int row)
    {
        schemes()->setCurrentIndex(row);
        emit schemes()->activated(row);
    }
    void pressKey(QWidget* w, Qt::Key key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &press);
    }

    // Any write replaces the settings file: its inode and time tell whether one happened.
    QString storeStamp()
    {
        struct stat st {};
        if (::stat(QFile::encodeName(env.settingsFile()).constData(), &st) != 0)
            return QStringLiteral("<fehlt>");
        return QStringLiteral("%1/%2.%3").arg(st.st_ino).arg(st.st_mtim.tv_sec).arg(st.st_mtim.tv_nsec);
    }
    // Saves the settings as they are as a scheme through the window's button.
    void saveScheme(const QString& name)
    {
        dialogs.expectInput(kNameBox, name).withTitle(QStringLiteral(" "));
        setupControl<QToolButton>("savesettings")->click();
        dialogs.verify();
    }
    int rowOf(const QString& name) { return schemes()->findText(name); }
};

TEST_F(PrintSettingsWindow, ItShowsTheStoredSettingsAndWritesNothingWhileItLoads)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    savereg(reg::printtitleorder, QStringLiteral("LALD"));
    savereg(reg::printfontbold(1), QStringLiteral("-1"));
    savereg(reg::printfontitalic(3), QStringLiteral("1"));
    savereg(reg::printfontsize(3), QStringLiteral("10.5"));
    savereg(reg::printtitleextra, QStringLiteral("Omas Küche"));
    showForm();
    // After the layout, which would write the printer's border for an empty margin.
    savereg(reg::printmarg(0), QStringLiteral("1.504"));
    savereg(reg::printmarg(1), QString());
    savereg(reg::printmarg(2), QStringLiteral("abc"));
    savereg(reg::printmarg(3), QStringLiteral("15"));
    const QString before = storeStamp();
    formControl("einstell")->click();
    ASSERT_TRUE(setup());
    EXPECT_EQ(storeStamp(), before);

    EXPECT_EQ(setup()->parentWidget(), nullptr);
    EXPECT_FALSE(setup()->isModal());
    const char* fonts[] = {" Arial Narrow, 12 Punkt", " Arial Narrow, fett, 10 Punkt", " Arial Narrow, 9 Punkt",
                           " Arial Narrow, kursiv, 10,5 Punkt", " Arial Narrow, 9 Punkt"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(control<QLabel>(setup(), QStringLiteral("printfont%1").arg(i))->text(), QString::fromUtf8(fonts[i]));

    // A number shows with a decimal comma, to the hundredth, and moves its scroll bar; anything
    // else shows as stored; a margin beyond the bar's end stays whole and puts the bar at its end.
    const std::pair<const char*, int> margins[] = {{"1,5 cm", 150}, {" cm", 0}, {"abc cm", 0}, {"15 cm", 1000}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(marg(k)->text(), QString::fromUtf8(margins[k].first)) << k;
        EXPECT_EQ(mscroll(k)->value(), margins[k].second) << k;
    }

    EXPECT_EQ(entries(list("kl")), (QStringList{QStringLiteral("Name Auswahl/Menü@1"), QStringLiteral("Datum@3")}));
    EXPECT_EQ(list("km")->count(), 0);
    EXPECT_EQ(list("kr")->count(), 0);
    EXPECT_EQ(entries(list("fr")), (QStringList{QStringLiteral("Seite@1"), QStringLiteral("Seitenzahl@3")}));
    EXPECT_EQ(setupControl<QLineEdit>("hextra")->text(), QStringLiteral("Omas Küche"));
    EXPECT_FALSE(setupControl<QCheckBox>("makebooklet1")->isChecked());
    EXPECT_EQ(storeStamp(), before);
}

TEST_F(PrintSettingsWindow, DroppedFieldsAreAppendedAndAClickTakesOutTheEntryClicked)
{
    openSetup();
    // Dragged from the button and dropped on the footer's right list.
    auto* drag = new QMimeData;
    drag->setData(PrintSetup::kFieldMime, "D");
    QWidget* target = list("fr")->viewport();
    const QPointF at = target->rect().center();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, drag, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, drag, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(getreg(reg::printfootorder), QStringLiteral("RSRGRD"));
    EXPECT_EQ(entries(list("fr")),
              (QStringList{QStringLiteral("Seite@1"), QStringLiteral("Seitenzahl@3"), QStringLiteral("Datum@5")}));
    // Text dragged from elsewhere is no field.
    QMimeData text;
    text.setText(QStringLiteral("D"));
    QDragEnterEvent foreign(at.toPoint(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &foreign);
    EXPECT_FALSE(foreign.isAccepted());
    delete drag;

    // The entries after the one clicked away take their pairs' new places.
    clickEntry(list("fr"), 1);
    EXPECT_EQ(getreg(reg::printfootorder), QStringLiteral("RSRD"));
    EXPECT_EQ(entries(list("fr")), (QStringList{QStringLiteral("Seite@1"), QStringLiteral("Datum@3")}));
    clickEntry(list("fr"), 1);
    EXPECT_EQ(getreg(reg::printfootorder), QStringLiteral("RS"));
    EXPECT_EQ(entries(list("fr")), (QStringList{QStringLiteral("Seite@1")}));

    // A field dropped twice is there twice; other lists of the same string follow a click.
    setup()->kl_DragDrop(field("A"));
    setup()->kr_DragDrop(field("G"));
    setup()->kl_DragDrop(field("S"));
    EXPECT_EQ(getreg(reg::printtitleorder), QStringLiteral("LALARGLS"));
    EXPECT_EQ(entries(list("kl")), (QStringList{QStringLiteral("Name Auswahl/Menü@1"),
                                                QStringLiteral("Name Auswahl/Menü@3"), QStringLiteral("Seite@7")}));
    clickEntry(list("kl"), 0);
    EXPECT_EQ(getreg(reg::printtitleorder), QStringLiteral("LARGLS"));
    EXPECT_EQ(entries(list("kr")), (QStringList{QStringLiteral("Seitenzahl@3")}));
    clickEntry(list("kr"), 0);
    EXPECT_EQ(getreg(reg::printtitleorder), QStringLiteral("LALS"));
}

TEST_F(PrintSettingsWindow, OwnTextIsStoredWhenDroppedWhenLeftAndWhenTheWindowCloses)
{
    openSetup();
    QLineEdit* hextra = setupControl<QLineEdit>("hextra");
    QLineEdit* fextra = setupControl<QLineEdit>("fextra");
    hextra->setText(QStringLiteral("Omas Küche"));
    fextra->setText(QStringLiteral("Sonntag"));
    setup()->km_DragDrop(field("X"));
    EXPECT_EQ(getreg(reg::printtitleorder), QStringLiteral("LACX"));
    EXPECT_EQ(getreg(reg::printtitleextra), QStringLiteral("Omas Küche"));
    EXPECT_EQ(getreg(reg::printfootextra), QString());
    setup()->fl_DragDrop(field("X"));
    EXPECT_EQ(getreg(reg::printfootextra), QStringLiteral("Sonntag"));

    typeAndLeave(hextra, QStringLiteral("Omas Backstube"), fextra);
    EXPECT_EQ(getreg(reg::printtitleextra), QStringLiteral("Omas Backstube"));

    // Typed, and the window closed without leaving the box.
    fextra->setText(QStringLiteral("Feiertag"));
    setupControl<QToolButton>("kreuz")->click();
    EXPECT_EQ(getreg(reg::printfootextra), QStringLiteral("Feiertag"));
    EXPECT_EQ(form()->layout().headfoottext(1, false).left, QStringLiteral("Feiertag "));
}

TEST_F(PrintSettingsWindow, AMarginIsStoredWithADecimalCommaWhenLeftOrClosedAndWhatIsNoNumberRefused)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    openSetup();
    QWidget* next = setupControl<QLineEdit>("hextra");
    typeAndLeave(marg(0), QStringLiteral("1.5"), next);
    EXPECT_EQ(getreg(reg::printmarg(0)), QStringLiteral("1,5"));
    EXPECT_EQ(marg(0)->text(), QStringLiteral("1,5 cm"));
    EXPECT_EQ(mscroll(0)->value(), 150);
    // What the box shows is read back as it stands.
    typeAndLeave(marg(0), marg(0)->text(), next);
    EXPECT_EQ(getreg(reg::printmarg(0)), QStringLiteral("1,5"));

    for (const char* bad : {"2,5x", "1,2,3", ","}) {
        dialogs.expect(kRefused, Answer::Ok).withTitle(QStringLiteral(" ")).withStyle(ui::Critical);
        typeAndLeave(marg(1), QString::fromLatin1(bad), next);
        dialogs.verify();
        EXPECT_EQ(getreg(reg::printmarg(1)), QStringLiteral("2")) << bad;
        EXPECT_EQ(QApplication::focusWidget(), marg(1)) << bad;
    }
    typeAndLeave(marg(1), QStringLiteral("2,25"), next);
    EXPECT_EQ(getreg(reg::printmarg(1)), QStringLiteral("2,25"));

    typeAndLeave(marg(2), QString(), next);
    EXPECT_EQ(getreg(reg::printmarg(2)), QString());
    EXPECT_EQ(marg(2)->text(), QStringLiteral(" cm"));
    EXPECT_EQ(mscroll(2)->value(), 200);

    // The scroll bar moves only its box; the box is stored when it is left.
    mscroll(3)->setValue(250);
    EXPECT_EQ(marg(3)->text(), QStringLiteral("2,5 cm"));
    EXPECT_EQ(getreg(reg::printmarg(3)), QStringLiteral("2"));
    EXPECT_EQ(marg(0)->text(), QStringLiteral("1,5 cm"));

    // Closing moves no focus, yet counts as leaving: what is no number keeps the window
    // open, a number is stored, and so is the scrolled one.
    marg(0)->setText(QStringLiteral("x"));
    dialogs.expect(kRefused, Answer::Ok);
    setupControl<QToolButton>("kreuz")->click();
    dialogs.verify();
    ASSERT_TRUE(ui::WindowRegistry::isLoaded(kSetup));
    marg(0)->setText(QStringLiteral("3"));
    setupControl<QToolButton>("kreuz")->click();
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(kSetup));
    EXPECT_EQ(getreg(reg::printmarg(0)), QStringLiteral("3"));
    EXPECT_EQ(getreg(reg::printmarg(3)), QStringLiteral("2,5"));
}

TEST_F(PrintSettingsWindow, TheFontDialogOpensOnTheStoredFontAndOnlyOkStores)
{
    savereg(reg::printfontsize(1), QStringLiteral("10,5"));
    openSetup();
    QLabel* printfont1 = setupControl<QLabel>("printfont1");
    const QString before = storeStamp();
    dialogs.expectFont([](ui::FontChoice& f) {
        EXPECT_EQ(f.name, QStringLiteral("Arial Narrow"));
        EXPECT_EQ(f.size, 10.5);
        EXPECT_FALSE(f.bold);
        EXPECT_FALSE(f.italic);
        f.size = 20;
        return false;
    });
    QTest::mouseClick(printfont1, Qt::LeftButton);
    dialogs.verify();
    EXPECT_EQ(storeStamp(), before);
    EXPECT_EQ(printfont1->text(), QStringLiteral(" Arial Narrow, 10,5 Punkt"));

    dialogs.expectFont([](ui::FontChoice& f) {
        f.name = QStringLiteral("Liberation Serif");
        f.size = 11.5;
        f.bold = true;
        return true;
    });
    QTest::mouseClick(printfont1, Qt::LeftButton);
    dialogs.verify();
    EXPECT_EQ(getreg(reg::printfontname(1)), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(getreg(reg::printfontsize(1)), QStringLiteral("11,5"));
    EXPECT_EQ(getreg(reg::printfontbold(1)), QStringLiteral("-1"));
    EXPECT_EQ(getreg(reg::printfontitalic(1)), QStringLiteral("0"));
    EXPECT_EQ(printfont1->text(), QStringLiteral(" Liberation Serif, fett, 11,5 Punkt"));
}

TEST_F(PrintSettingsWindow, ClosingLaysOutOnceWithTheNewValuesAndTheWindowGoesWithThePrintWindow)
{
    openSetup();
    // Back to the print window while the settings window stays open: an activation.
    activate(form());
    EXPECT_EQ(layouts(), 1);
    activate(setup());
    const double leftBefore = form()->layout().state().margleft;

    typeAndLeave(marg(0), QStringLiteral("4"), setupControl<QLineEdit>("hextra"));
    EXPECT_EQ(layouts(), 1);
    setupControl<QToolButton>("kreuz")->click();
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(kSetup));
    activate(form());
    EXPECT_EQ(layouts(), 2);
    EXPECT_GT(form()->layout().state().margleft, leftBefore);

    // The print window closed while the settings window is open closes it, and lays out
    // nothing.
    formControl("einstell")->click();
    ASSERT_TRUE(setup());
    formControl("kreuz")->click();
    settle();
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(QStringLiteral("print_rezept")));
    EXPECT_FALSE(ui::WindowRegistry::isLoaded(kSetup));
    EXPECT_EQ(layouts(), 2);
}

TEST_F(PrintSettingsWindow, BothBookletBoxesShowTheSettingAndThePagesFollowAtTheNextLayout)
{
    savereg(reg::printspalten, QStringLiteral("1"));
    openSetup();
    QCheckBox* makebooklet1 = setupControl<QCheckBox>("makebooklet1");
    makebooklet1->click();
    EXPECT_EQ(getreg(reg::printbooklet), QStringLiteral("1"));
    EXPECT_TRUE(bookletmode);
    EXPECT_TRUE(formControl<QCheckBox>("makebooklet")->isChecked());
    EXPECT_EQ(layouts(), 0);

    activate(form());
    EXPECT_EQ(layouts(), 1);
    EXPECT_TRUE(form()->layout().booklet());

    formControl<QCheckBox>("makebooklet")->click();
    EXPECT_FALSE(makebooklet1->isChecked());
    EXPECT_EQ(getreg(reg::printbooklet), QStringLiteral("0"));
    EXPECT_EQ(layouts(), 2);
    EXPECT_FALSE(form()->layout().booklet());
}

TEST_F(PrintSettingsWindow, ChoosingASchemeLoadsItAndLaysOutOnce)
{
    openSetup();
    saveScheme(QStringLiteral("Zwei Spalten"));
    savereg(reg::printspalten, QStringLiteral("3"));
    savereg(reg::printtitleorder, QStringLiteral("RD"));
    savereg(reg::printfontitalic(2), QStringLiteral("-1"));
    const QMap<QString, QString> three = printValues();
    saveScheme(QStringLiteral("Schmal"));
    savereg(reg::printspalten, QStringLiteral("1"));
    savereg(reg::printbooklet, QStringLiteral("1"));
    saveScheme(QStringLiteral("Schmal"));
    savereg(reg::printspalten, QStringLiteral("0"));
    savereg(reg::printbooklet, QStringLiteral("0"));
    saveScheme(QStringLiteral("ohne Spalten"));
    EXPECT_EQ(layouts(), 0);
    // Listed by name, the two of one name both.
    QStringList names;
    for (int i = 0; i < schemes()->count(); ++i)
        names << schemes()->itemText(i);
    EXPECT_EQ(names, (QStringList{QStringLiteral("aktuelle Einstellungen"), QStringLiteral("ohne Spalten"),
                                  QStringLiteral("Schmal"), QStringLiteral("Schmal"), QStringLiteral("Zwei Spalten")}));

    const QString before = storeStamp();
    choose(0);
    EXPECT_EQ(storeStamp(), before);
    EXPECT_EQ(layouts(), 0);

    // Three columns, the booklet as it is: the 29 values, the label, one layout; the open
    // settings window shows them.
    const int first = rowOf(QStringLiteral("Schmal"));
    const bool threeColumnsFirst = control<db::DataControl>(form(), QStringLiteral("printsettdata"))
                                       ->recordset()
                                       ->valueAt(first, 0)
                                       .toInt() == 2;
    choose(threeColumnsFirst ? first : first + 1);
    EXPECT_EQ(printValues(), three);
    EXPECT_EQ(formControl<QLabel>("spaltlabel")->text(), QStringLiteral("Spaltenanzahl : 3"));
    EXPECT_EQ(form()->layout().columncount(), 3);
    EXPECT_EQ(layouts(), 1);
    EXPECT_EQ(entries(list("kr")), (QStringList{QStringLiteral("Datum@1")}));
    // Chosen again, it is loaded again.
    choose(schemes()->currentIndex());
    EXPECT_EQ(layouts(), 2);

    // One column and the booklet on: the box follows, one layout all the same.
    choose(threeColumnsFirst ? first + 1 : first);
    EXPECT_EQ(form()->layout().columncount(), 1);
    EXPECT_TRUE(formControl<QCheckBox>("makebooklet")->isChecked());
    EXPECT_TRUE(setupControl<QCheckBox>("makebooklet1")->isChecked());
    EXPECT_TRUE(form()->layout().booklet());
    EXPECT_EQ(layouts(), 3);

    // No column count is two, written back.
    choose(rowOf(QStringLiteral("ohne Spalten")));
    EXPECT_EQ(form()->layout().columncount(), 2);
    EXPECT_EQ(getreg(reg::printspalten), QStringLiteral("2"));
    EXPECT_EQ(formControl<QLabel>("spaltlabel")->text(), QStringLiteral("Spaltenanzahl : 2"));
    EXPECT_EQ(layouts(), 4);

    // A scheme without values says so and changes nothing.
    db::Database::byName(printsettingsPath())->execute(QStringLiteral("delete from settings where cid=1"));
    const QString unchanged = storeStamp();
    dialogs.expect(QStringLiteral("keine Einstellungen gespeichert"), Answer::Ok);
    choose(rowOf(QStringLiteral("Zwei Spalten")));
    dialogs.verify();
    EXPECT_EQ(storeStamp(), unchanged);
    EXPECT_EQ(layouts(), 4);
}

TEST_F(PrintSettingsWindow, DeleteAsksForTheSchemeShownAndOnlyYesDeletesIt)
{
    openSetup();
    saveScheme(QStringLiteral("Heft"));
    saveScheme(QStringLiteral("Liste"));
    db::Database& file = *db::Database::byName(printsettingsPath());
    const auto schemesInFile = [&] {
        return file.scalar(QStringLiteral("select count(*) from choices")).toInt() * 10 +
               file.scalar(QStringLiteral("select count(*) from settings")).toInt();
    };
    ASSERT_EQ(schemesInFile(), 32);
    const QString before = storeStamp();
    schemes()->setCurrentIndex(rowOf(QStringLiteral("Liste")));

    pressKey(schemes(), Qt::Key_Insert);
    pressKey(schemes(), Qt::Key_Backspace);
    dialogs.expect(QStringLiteral("Wollen Sie das Schema 'Liste' löschen ?"), Answer::No)
        .withTitle(QStringLiteral(" "))
        .withStyle(ui::YesNo | ui::Question);
    pressKey(schemes(), Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(schemesInFile(), 32);

    dialogs.expect(QStringLiteral("Wollen Sie das Schema 'Liste' löschen ?"), Answer::Yes);
    pressKey(schemes(), Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(schemesInFile(), 21);
    EXPECT_EQ(rowOf(QStringLiteral("Liste")), -1);
    EXPECT_NE(rowOf(QStringLiteral("Heft")), -1);

    // The current settings' row goes like any other.
    schemes()->setCurrentIndex(rowOf(QStringLiteral("aktuelle Einstellungen")));
    dialogs.expect(QStringLiteral("'aktuelle Einstellungen'"), Answer::Yes);
    pressKey(schemes(), Qt::Key_Delete);
    dialogs.verify();
    EXPECT_EQ(schemesInFile(), 11);
    EXPECT_EQ(storeStamp(), before);
    EXPECT_EQ(layouts(), 0);
}

// Landscape is chosen in the printer dialog; the scheme saved then gives it back, its sheet
// and its layout, and so does opening the window again.
TEST_F(PrintSettingsWindow, ASchemeSavedInLandscapeBringsLandscapeBack)
{
    const auto orient = [](QPageLayout::Orientation o) {
        return [o](PrinterChoice& c) {
            c.orientation = o;
            return true;
        };
    };
    const auto sheetIsLandscape = [this] {
        const PageGeometry& g = form()->layout().geometry();
        const QRect sheet = formControl<QFrame>("printrand")->geometry();
        return g.physwidth > g.physheight && sheet.width() > sheet.height();
    };
    openSetup();
    activate(form());
    dialogs.expectPrinterSetup(orient(QPageLayout::Landscape));
    formControl("druckaus")->click();
    dialogs.verify();
    EXPECT_EQ(getreg(reg::printorient), QStringLiteral("quer"));
    ASSERT_TRUE(sheetIsLandscape());
    activate(setup());
    saveScheme(QStringLiteral("Quer"));

    activate(form());
    dialogs.expectPrinterSetup(orient(QPageLayout::Portrait));
    formControl("druckaus")->click();
    dialogs.verify();
    EXPECT_EQ(getreg(reg::printorient), QStringLiteral("hoch"));
    ASSERT_FALSE(sheetIsLandscape());
    const QRect portraitSheet = formControl<QFrame>("printrand")->geometry();

    const int before = layouts();
    choose(rowOf(QStringLiteral("Quer")));
    EXPECT_EQ(getreg(reg::printorient), QStringLiteral("quer"));
    EXPECT_EQ(chosenPrinter().orientation, QPageLayout::Landscape);
    EXPECT_TRUE(sheetIsLandscape());
    EXPECT_EQ(layouts(), before + 1);
    // The page laid out is the landscape one: its text is wider than the sheet is high.
    const PageGeometry& g = form()->layout().geometry();
    EXPECT_GT(form()->layout().state().printwidth, g.printareavert);

    // The window opened again keeps the orientation of the settings; back to portrait, the
    // sheet is as high as before, not the landscape sheet's height.
    formControl("kreuz")->click();
    settle();
    button("druckaus")->click();
    settle();
    ASSERT_TRUE(form() && form()->isVisible());
    EXPECT_TRUE(sheetIsLandscape());
    dialogs.expectPrinterSetup(orient(QPageLayout::Portrait));
    formControl("druckaus")->click();
    dialogs.verify();
    EXPECT_EQ(formControl<QFrame>("printrand")->geometry(), portraitSheet);
}

// The scheme box names the scheme only while its orientation is the one set: the printer
// dialog turning a landscape scheme's sheet upright leaves "aktuelle Einstellungen" shown.
TEST_F(PrintSettingsWindow, TheSchemeBoxFollowsTheOrientationThePrinterDialogSets)
{
    const auto orient = [](QPageLayout::Orientation o) {
        return [o](PrinterChoice& c) {
            c.orientation = o;
            return true;
        };
    };
    openSetup();
    activate(form());
    dialogs.expectPrinterSetup(orient(QPageLayout::Landscape));
    formControl("druckaus")->click();
    dialogs.verify();
    activate(setup());
    saveScheme(QStringLiteral("Quer"));
    activate(form());
    choose(rowOf(QStringLiteral("Quer")));
    ASSERT_EQ(schemes()->currentText(), QStringLiteral("Quer"));

    // Kept as it was, the scheme still describes the sheet.
    dialogs.expectPrinterSetup(orient(QPageLayout::Landscape));
    formControl("druckaus")->click();
    dialogs.verify();
    EXPECT_EQ(schemes()->currentText(), QStringLiteral("Quer"));

    dialogs.expectPrinterSetup(orient(QPageLayout::Portrait));
    formControl("druckaus")->click();
    dialogs.verify();
    EXPECT_EQ(getreg(reg::printorient), QStringLiteral("hoch"));
    EXPECT_EQ(schemes()->currentText(), QStringLiteral("aktuelle Einstellungen"));
}

}  // namespace
}  // namespace kv::test
