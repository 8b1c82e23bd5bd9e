// The import's windows on the started program: the wizard with its file, folder, tree and
// clipboard imports, the progress window and its cancel, the error list, the category
// assignment and the imported-files list with its merge.

#include "core/rezsource.h"
#include "core/settings.h"
#include "exchange/import.h"
#include "exchange/importsession.h"
#include "exchange/importstatus_window.h"
#include "platform/paths.h"
#include "platform/texteditor.h"
#include "platform/ui/folderlists.h"
#include "platform/ui/look.h"
#include "tests/exchange/importfixture.h"
#include "tests/mainwindow/startedprogram.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QGuiApplication>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>
#include <QWindow>

#include <algorithm>

namespace kv::test {
namespace {

using ui::Answer;

// The project's own Meal-Master files.
QString mealMasterFiles(const QString& path)
{
    return QStringLiteral(KELVOR_TEST_DATA_DIR "/mealmaster/") + path;
}

void copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    const QDir source(from);
    for (const QString& name : source.entryList(QDir::Files)) ASSERT_TRUE(QFile::copy(from + u'/' + name, to + u'/' + name));
    for (const QString& name : source.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        copyTree(from + u'/' + name, to + u'/' + name);
}

QStringList texts(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

// The real windows, with a look at each file as the driver names it.
class WatchedWindows : public exchange::ImportUi {
public:
    void showImportstatus() override { real().showImportstatus(); }
    void setIdat(const QString& path) override
    {
        real().setIdat(path);
        ++files;
        if (onIdat) onIdat(path);
    }
    void setIrez(const QString& count) override { real().setIrez(count); }
    void unloadImportstatus() override { real().unloadImportstatus(); }
    void doEvents() override { real().doEvents(); }
    void setBusy(bool busy) override { real().setBusy(busy); }
    void beep() override {}
    void showImportErrors() override { real().showImportErrors(); }
    void showNachimport() override { real().showNachimport(); }

    int files = 0;
    std::function<void(const QString&)> onIdat;

private:
    static exchange::ImportUi& real() { return exchange::importWindows(); }
};

class ImportWindows : public StartedProgram {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(start());
        exchange::lasterrid = 0;
        skipexisting = true;
        exchange::setImportUi(&watched);
        texteditor::setOpenHook([this](const QString& file) {
            opened << file;
            return true;
        });
        QDir().mkpath(files());
    }
    void TearDown() override
    {
        texteditor::setOpenHook({});
        exchange::setImportUi(&exchange::importWindows());
        StartedProgram::TearDown();
    }

    QString files() const { return env.tempPath(QStringLiteral("dateien")) + u'/'; }
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = files() + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeFileBytes(path, bytes);
        return path;
    }

    static QWidget* window(const char* name) { return ui::WindowRegistry::loadedWindow(QString::fromLatin1(name)); }
    template <class T = QWidget>
    T* in(const char* windowName, const char* name)
    {
        return control<T>(window(windowName), name);
    }
    QListWidget* list(const char* windowName, const char* name) { return in<QListWidget>(windowName, name); }
    void press(const char* windowName, const char* name)
    {
        QTest::mouseClick(in<QToolButton>(windowName, name), Qt::LeftButton);
    }
    // As a hand does it: the first click, then the second one that makes it double.
    static void doubleClick(QListWidget* list, int row)
    {
        QListWidgetItem* item = list->item(row);
        list->scrollToItem(item);
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    // A click that goes the way of the window system's, which a modal window blocks
    // (QTest hands its events for a widget to the widget directly).
    static void clickAsTheWindowSystem(QWidget* widget)
    {
        QTest::mouseClick(widget->window()->windowHandle(), Qt::LeftButton, {},
                          widget->mapTo(widget->window(), widget->rect().center()));
    }
    static void choose(QListWidget* list, const QString& text)
    {
        const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        list->setCurrentItem(found[0]);
    }

    // Opens the wizard through the main window's import button on `folder`; `act` works in
    // it as the user would. Boxes the test expects after the window come after it.
    void inWizard(const QString& folder, const std::function<void(QWidget*)>& act)
    {
        if (!folder.isEmpty()) savereg(reg::importpfad, folder);
        dialogs.expectModal(QStringLiteral("wizard_import"), [act] {
            QWidget* w = ui::WindowRegistry::get(QStringLiteral("wizard_import"));
            w->show();
            act(w);
            return 0;
        });
    }
    // Imports through the wizard with the scope `typ`: the file `file` of `folder` chosen
    // (none when empty), then the closing message.
    void importThroughWizard(const QString& folder, int typ, const QString& file = {}, bool firstError = false,
                             const QString& closing = QStringLiteral("Fertig."))
    {
        inWizard(folder, [&](QWidget* w) {
            control<QRadioButton>(w, QStringLiteral("styp%1").arg(typ).toLatin1().constData())->click();
            if (!file.isEmpty()) choose(control<QListWidget>(w, "ifile"), file);
            QTest::mouseClick(control<QToolButton>(w, "start"), Qt::LeftButton);
        });
        if (firstError)
            dialogs.expect(QStringLiteral("In der MealMaster-Datei wurde ein Fehler entdeckt"), Answer::Ok);
        dialogs.expect(closing, Answer::Ok).withTitle(QStringLiteral(" ")).withStyle(ui::OkOnly);
        button("men6")->click();
        dialogs.verify();
        EXPECT_EQ(window("wizard_import"), nullptr);
        EXPECT_EQ(window("importstatus"), nullptr);
    }
    qint64 recipes() { return count(QStringLiteral("select count(*) from rezepte")); }
    bool chosen(QWidget* w, const char* option)
    {
        return control<QLabel>(w, option)->palette().color(QPalette::WindowText) == QColor::fromRgb(ui::kOptionChosen);
    }

    WatchedWindows watched;
    QStringList opened;
};

TEST_F(ImportWindows, TheWizardOpensOnTheLastFolderWithItsFilesAndEveryLoadSkipsExistingTitles)
{
    write(QStringLiteral("start/rezepte.mmf"), mmRecipe("A"));
    write(QStringLiteral("start/ohnepunkt"), mmRecipe("B"));
    write(QStringLiteral("start/.versteckt"), mmRecipe("C"));
    write(QStringLiteral("start/unter/tief.mmf"), mmRecipe("D"));
    skipexisting = false;
    inWizard(files() + QStringLiteral("start/"), [&](QWidget* w) {
        EXPECT_TRUE(control<QRadioButton>(w, "styp0")->isChecked());
        // Every file the import would read, also one without a dot; no hidden one.
        EXPECT_EQ(texts(control<QListWidget>(w, "ifile")), QStringList({"ohnepunkt", "rezepte.mmf"}));
        EXPECT_TRUE(skipexisting);
        EXPECT_TRUE(chosen(w, "vorhand0") && !chosen(w, "vorhand1"));

        // The file list follows the folder list.
        auto* idir = control<QTreeView>(w, "idir");
        auto* model = qobject_cast<ui::FolderModel*>(idir->model());
        ASSERT_NE(model, nullptr);
        idir->setCurrentIndex(model->indexOf(files() + QStringLiteral("start/unter")));
        EXPECT_EQ(texts(control<QListWidget>(w, "ifile")), QStringList({"tief.mmf"}));

        QTest::mouseClick(control<QLabel>(w, "vorhand1"), Qt::LeftButton);
        EXPECT_FALSE(skipexisting);
        EXPECT_TRUE(!chosen(w, "vorhand0") && chosen(w, "vorhand1"));
        QTest::mouseClick(control<QToolButton>(w, "kreuz"), Qt::LeftButton);
    });
    button("men6")->click();
    dialogs.verify();
    EXPECT_EQ(window("wizard_import"), nullptr);
    EXPECT_FALSE(skipexisting) << "the choice holds until the next load";

    inWizard({}, [&](QWidget* w) {
        EXPECT_TRUE(skipexisting);
        EXPECT_TRUE(chosen(w, "vorhand0"));
        QTest::mouseClick(control<QToolButton>(w, "kreuz"), Qt::LeftButton);
    });
    button("men6")->click();
    dialogs.verify();
}

TEST_F(ImportWindows, AFileAFolderAndATreeShowInTheListItsCountAndTheFileFilter)
{
    ASSERT_NO_FATAL_FAILURE(copyTree(mealMasterFiles(QStringLiteral("kuchen")), files() + QStringLiteral("eins")));
    ASSERT_NO_FATAL_FAILURE(copyTree(mealMasterFiles(QStringLiteral("hauptgerichte")), files() + QStringLiteral("ordner")));
    ASSERT_NO_FATAL_FAILURE(copyTree(mealMasterFiles(QString()), files() + QStringLiteral("baum")));
    const auto fileRows = [this] { return count(QStringLiteral("select count(*) from importdateien where did > 1")); };
    const qint64 delivered = recipes();

    // One file: the one chosen, not its neighbour.
    const QString one = files() + QStringLiteral("eins/blechkuchen.mmf");
    importThroughWizard(files() + QStringLiteral("eins/"), 0, QStringLiteral("blechkuchen.mmf"));
    EXPECT_EQ(recipes(), delivered + 3);
    EXPECT_EQ(fileRows(), 1);
    EXPECT_EQ(rezzahl()->text(), QString::number(delivered + 3));
    EXPECT_EQ(rezgrid()->model()->rowCount(), delivered + 3);
    EXPECT_NE(window("wizard_nachimport"), nullptr) << "no error: the category window follows";

    // The file filter lists the new entry and shows its recipes.
    button("rubmodechange")->click();
    button("rubmodechange")->click();
    EXPECT_EQ(label("ger")->text(), "D a t e i :");
    ASSERT_NO_FATAL_FAILURE(chooseFilter(one));
    EXPECT_EQ(rezzahl()->text(), "3");
    EXPECT_EQ(rezgrid()->model()->index(0, 0).data().toString(), "Blechkuchen mit Zwetschgen und Streuseln");
    EXPECT_TRUE(gesucht()->text().contains("Datei '" + one + "'"));

    // A folder: each of its files, none of the folder below it.
    const qint64 folderFiles = QDir(files() + QStringLiteral("ordner")).entryList(QDir::Files).size();
    ASSERT_FALSE(QDir(files() + QStringLiteral("ordner/reste")).entryList(QDir::Files).isEmpty());
    // english.mmf's note after the old layout's closing rule lies between recipes: no error.
    importThroughWizard(files() + QStringLiteral("ordner/"), 1);
    EXPECT_EQ(fileRows(), 1 + folderFiles);
    EXPECT_EQ(count(QStringLiteral("select count(*) from importdateien where dname like '%/reste/%'")), 0);
    EXPECT_EQ(rezzahl()->text(), "3") << "the list keeps its filter";
    const QString english = files() + QStringLiteral("ordner/english.mmf");
    ASSERT_NO_FATAL_FAILURE(chooseFilter(english));
    EXPECT_EQ(rezzahl()->text(),
              formatCount(count(QStringLiteral("select count(*) from rezepte r join importdateien d on d.did = r.did "
                                               "where d.dname = '%1'").arg(english))));
    EXPECT_NE(rezzahl()->text(), "0");

    // A tree: every file at every depth, the new ones in the filter list at once. Its
    // cut-off recipes make the first error of the run.
    qint64 treeFiles = 0;
    qint64 treeFolders = 1;
    for (QDirIterator it(files() + QStringLiteral("baum"), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        it.next();
        ++(it.fileInfo().isDir() ? treeFolders : treeFiles);
    }
    importThroughWizard(files() + QStringLiteral("baum/"), 2, {}, true);
    EXPECT_EQ(fileRows(), 1 + folderFiles + treeFiles);
    EXPECT_GE(katgrid()->findText(files() + QStringLiteral("baum/hauptgerichte/reste/abgeschnitten.mmf")), 0);
    EXPECT_EQ(count(QStringLiteral("select count(*) from importsubdirs")), treeFolders);
    ASSERT_NO_FATAL_FAILURE(chooseFilter(QStringLiteral("Alle")));
    EXPECT_EQ(rezzahl()->text(), formatCount(recipes()));
}

TEST_F(ImportWindows, IgnorierenSkipsATitleThatExistsAndEinlesenReadsItAgain)
{
    write(QStringLiteral("doppelt/erste.mmf"), mmRecipe("Kaiserschmarrn"));
    write(QStringLiteral("doppelt/zweite.mmf"), mmRecipe("Kaiserschmarrn"));
    const QString title = QStringLiteral("select count(*) from rezepte where rname = 'Kaiserschmarrn'");
    ASSERT_EQ(count(title), 1);

    importThroughWizard(files() + QStringLiteral("doppelt/"), 0, QStringLiteral("erste.mmf"));
    EXPECT_EQ(count(title), 1);

    inWizard(files() + QStringLiteral("doppelt/"), [&](QWidget* w) {
        QTest::mouseClick(control<QLabel>(w, "vorhand1"), Qt::LeftButton);
        choose(control<QListWidget>(w, "ifile"), QStringLiteral("zweite.mmf"));
        QTest::mouseClick(control<QToolButton>(w, "start"), Qt::LeftButton);
    });
    dialogs.expect(QStringLiteral("Fertig."), Answer::Ok);
    button("men6")->click();
    dialogs.verify();
    EXPECT_EQ(count(title), 2);
}

TEST_F(ImportWindows, OneFileWithNoFileChosenAsksForItAndImportsNothing)
{
    write(QStringLiteral("wahl/eins.mmf"), mmRecipe("Eins"));
    const qint64 before = recipes();
    const qint64 fileRows = count(QStringLiteral("select count(*) from importdateien"));
    inWizard(files() + QStringLiteral("wahl/"), [&](QWidget* w) {
        ASSERT_TRUE(control<QRadioButton>(w, "styp0")->isChecked());
        ASSERT_TRUE(control<QListWidget>(w, "ifile")->selectedItems().isEmpty());
        dialogs.expect(QStringLiteral("Bitte wählen Sie unter '4. Datei' die Datei aus, die eingelesen werden soll."),
                       Answer::Ok)
            .withStyle(ui::OkOnly);
        QTest::mouseClick(control<QToolButton>(w, "start"), Qt::LeftButton);
        dialogs.verify();
        EXPECT_TRUE(w->isVisible()) << "the wizard stays for the choice";
        QTest::mouseClick(control<QToolButton>(w, "kreuz"), Qt::LeftButton);
    });
    button("men6")->click();
    dialogs.verify();
    EXPECT_EQ(recipes(), before);
    EXPECT_EQ(count(QStringLiteral("select count(*) from importdateien")), fileRows) << "no entry for the folder";
}

TEST_F(ImportWindows, TheWizardsTextsAndFolderArrowsStandOutFromTheirGround)
{
    write(QStringLiteral("baum/a.mmf"), mmRecipe("A"));
    write(QStringLiteral("baum/unter/tief/b.mmf"), mmRecipe("B"));
    inWizard(files() + QStringLiteral("baum/"), [&](QWidget* w) {
        // Every text on the dark ground, with either option chosen.
        const QColor ground = w->palette().color(QPalette::Window);
        for (const char* option : {"vorhand1", "vorhand0"}) {
            QTest::mouseClick(control<QLabel>(w, option), Qt::LeftButton);
            for (const QLabel* text : w->findChildren<QLabel*>())
                EXPECT_GE(ui::contrastRatio(text->palette().color(QPalette::WindowText), ground), 4.5)
                    << text->objectName().toStdString() << " with " << option << " chosen";
        }

        // The arrow before a folder that holds folders, on the list's ground.
        auto* idir = control<QTreeView>(w, "idir");
        auto* model = qobject_cast<ui::FolderModel*>(idir->model());
        ASSERT_NE(model, nullptr);
        const QPersistentModelIndex unter = model->indexOf(files() + QStringLiteral("baum/unter"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return idir->visualRect(unter).isValid(); }));
        const QRect row = idir->visualRect(unter);
        const QImage shot = idir->viewport()->grab().toImage();
        const QColor base = idir->palette().color(QPalette::Base);
        double strongest = 1;
        for (int y = row.top(); y <= row.bottom(); ++y)
            for (int x = qMax(0, row.left() - idir->indentation()); x < row.left(); ++x)
                strongest = qMax(strongest, ui::contrastRatio(shot.pixelColor(x, y), base));
        EXPECT_GE(strongest, 3.0) << "the arrow must be seen";
        QTest::mouseClick(control<QToolButton>(w, "kreuz"), Qt::LeftButton);
    });
    button("men6")->click();
    dialogs.verify();
}

TEST_F(ImportWindows, ClipboardTextIsImportedAsOneFileAndAnEmptyClipboardIsSaid)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    const QByteArray text = mmRecipe("Aus der Zwischenablage");
    const QString before = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy"));
    inWizard(files(), [&](QWidget* w) {
        dialogs.expect(QStringLiteral("In der Zwischenablage befindet sich kein Text."), Answer::Ok)
            .withTitle(QStringLiteral(" "))
            .withStyle(ui::OkOnly);
        QTest::mouseClick(control<QToolButton>(w, "inclip"), Qt::LeftButton);
        dialogs.verify();
        EXPECT_TRUE(w->isVisible()) << "the wizard stays";

        clipboard->setText(QString::fromLatin1(text));
        dialogs.expect(QStringLiteral("Fertig."), Answer::Ok);
        QTest::mouseClick(control<QToolButton>(w, "inclip"), Qt::LeftButton);
    });
    button("men6")->click();
    dialogs.verify();
    EXPECT_EQ(window("wizard_import"), nullptr);
    EXPECT_EQ(count("select count(*) from rezepte where rname = 'Aus der Zwischenablage'"), 1);
    const QString name = db().scalar("select d.dname from rezepte r join importdateien d on d.did = r.did "
                                     "where r.rname = 'Aus der Zwischenablage'")
                             .toString();
    EXPECT_TRUE(name.startsWith("Newsgroup-Import " + before)) << name.toStdString();
    EXPECT_EQ(fileBytes(exchange::handOverFile()), text + "\r\n");
}

TEST_F(ImportWindows, ACancelStopsAFolderImportWhileOnlyTheProgressWindowTakesInput)
{
    write(QStringLiteral("drei/a.mmf"), mmRecipe("Eins"));
    write(QStringLiteral("drei/b.mmf"), mmRecipe("Zwei"));
    write(QStringLiteral("drei/c.mmf"), mmRecipe("Drei"));
    bool looked = false;
    watched.onIdat = [&](const QString& path) {
        if (watched.files != 2) return;
        looked = true;
        QWidget* status = window("importstatus");
        ASSERT_NE(status, nullptr);
        EXPECT_TRUE(status->isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), status);
        EXPECT_EQ(in<QLabel>("importstatus", "idat")->text(), path);
        EXPECT_EQ(in<QLabel>("importstatus", "irez")->text(), "1");
        // The main window takes no click: a second import would fail the script.
        clickAsTheWindowSystem(button("men6"));
        clickAsTheWindowSystem(button("men7"));
        EXPECT_EQ(window("weiteres"), nullptr);
        press("importstatus", "kreuz");
        EXPECT_TRUE(importcancel);
        EXPECT_NE(window("importstatus"), nullptr) << "the driver closes it";
    };
    const qint64 before = recipes();
    // Not "Fertig.": the user learns that the run stopped and what it stored.
    importThroughWizard(files() + QStringLiteral("drei/"), 1, {}, false,
                        QStringLiteral("Der Import wurde abgebrochen; bis dahin wurde 1 Rezept gespeichert."));
    EXPECT_TRUE(looked);
    EXPECT_EQ(watched.files, 2);
    EXPECT_EQ(recipes(), before + 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from importdateien where did > 1")), 2);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ImportWindows, TheEndShowsTheErrorListAfterABrokenFileAndTheCategoryWindowOtherwise)
{
    write(QStringLiteral("gut/neu.mmf"), mmRecipe("Unbekannte Rubrik", "Xyzzy"));
    importThroughWizard(files() + QStringLiteral("gut/"), 0, QStringLiteral("neu.mmf"));
    EXPECT_EQ(window("wizard_importerr"), nullptr);
    ASSERT_NE(window("wizard_nachimport"), nullptr);
    EXPECT_TRUE(window("wizard_nachimport")->isVisible());
    EXPECT_EQ(texts(list("wizard_nachimport", "neurezgrid")), QStringList({"Unbekannte Rubrik"}));

    // The next import closes the lists of the last one.
    write(QStringLiteral("schlecht/kaputt.mmf"), mmRecipe("Vorher", "Suppen") + mmBroken("Halb"));
    importThroughWizard(files() + QStringLiteral("schlecht/"), 0, QStringLiteral("kaputt.mmf"), true);
    EXPECT_EQ(window("wizard_nachimport"), nullptr);
    ASSERT_NE(window("wizard_importerr"), nullptr);
    EXPECT_TRUE(window("wizard_importerr")->isVisible());
    const qint64 errid = count(QStringLiteral("select errid from importerrors"));
    EXPECT_EQ(texts(list("wizard_importerr", "fehlgrid")), QStringList({QString::number(errid) + " - kaputt.mmf"}));

    // Closing the list leads on to the category window.
    press("wizard_importerr", "kreuz");
    EXPECT_EQ(window("wizard_importerr"), nullptr);
    ASSERT_NE(window("wizard_nachimport"), nullptr);
    EXPECT_EQ(texts(list("wizard_nachimport", "neurezgrid")), QStringList({"Unbekannte Rubrik"}));
    EXPECT_EQ(count("select count(*) from importerrors"), 1) << "closing keeps the rows";

    // The first error of a run is announced once while the program runs.
    write(QStringLiteral("schlecht/zwei.mmf"), mmBroken("Auch halb"));
    importThroughWizard(files() + QStringLiteral("schlecht/"), 0, QStringLiteral("zwei.mmf"));
    ASSERT_NE(window("wizard_importerr"), nullptr);
    write(QStringLiteral("gut2/noch.mmf"), mmRecipe("Noch eins"));
    importThroughWizard(files() + QStringLiteral("gut2/"), 1);
    EXPECT_EQ(window("wizard_importerr"), nullptr);
    EXPECT_NE(window("wizard_nachimport"), nullptr);
}

TEST_F(ImportWindows, AnImportUnderACategoryKeepsBoxListCaptionAndCountTogether)
{
    const auto fleisch = [this] { return count(QStringLiteral("select count(*) from rezepte where kid=5")); };
    ASSERT_NO_FATAL_FAILURE(chooseFilter(QStringLiteral("Fleisch")));
    const QString caption = gesucht()->text();
    ASSERT_TRUE(caption.contains(QStringLiteral("Rubrik 'Fleisch'")));
    const qint64 before = fleisch();

    write(QStringLiteral("fleisch/neu.mmf"), mmRecipe("Schmorbraten", "Beef") + mmRecipe("Ohne Rubrik", "Xyzzy"));
    // The count changes with the list, not only after the closing box.
    const auto countMatchesList = [this] {
        EXPECT_EQ(rezzahl()->text(), formatCount(rezgrid()->model()->rowCount()));
    };
    inWizard(files() + QStringLiteral("fleisch/"), [&](QWidget* w) {
        choose(control<QListWidget>(w, "ifile"), QStringLiteral("neu.mmf"));
        QTest::mouseClick(control<QToolButton>(w, "start"), Qt::LeftButton);
    });
    dialogs.expect(QStringLiteral("Fertig."), Answer::Ok).whileShown(countMatchesList);
    button("men6")->click();
    dialogs.verify();
    ASSERT_EQ(fleisch(), before + 1);
    ASSERT_NE(window("wizard_nachimport"), nullptr);
    EXPECT_EQ(katgrid()->currentText(), QStringLiteral("Fleisch")) << "the box keeps the filter the list keeps";
    EXPECT_EQ(gesucht()->text(), caption);
    EXPECT_EQ(rezgrid()->model()->rowCount(), before + 1);
    EXPECT_EQ(rezzahl()->text(), formatCount(before + 1));

    // A recipe given "Fleisch" in the category window joins the list, and the count with it.
    QListWidget* neurezgrid = list("wizard_nachimport", "neurezgrid");
    choose(neurezgrid, QStringLiteral("Ohne Rubrik"));
    choose(list("wizard_nachimport", "rublist"), QStringLiteral("Fleisch"));
    doubleClick(list("wizard_nachimport", "rublist"), list("wizard_nachimport", "rublist")->currentRow());
    ASSERT_EQ(fleisch(), before + 2);
    EXPECT_EQ(rezgrid()->model()->rowCount(), before + 2);
    EXPECT_EQ(rezzahl()->text(), formatCount(before + 2));
    EXPECT_EQ(katgrid()->currentText(), QStringLiteral("Fleisch"));
}

TEST_F(ImportWindows, TheErrorListShowsTheDetailAndOpensOnlyAnExistingFileWhole)
{
    const QString file = write(QStringLiteral("mit Leerzeichen/kaputte datei.mmf"), mmBroken("Halb"));
    importThroughWizard(files() + QStringLiteral("mit Leerzeichen/"), 0, QStringLiteral("kaputte datei.mmf"), true);
    QListWidget* fehlgrid = list("wizard_importerr", "fehlgrid");
    auto* fehltext = in<QPlainTextEdit>("wizard_importerr", "fehltext");
    ASSERT_EQ(fehlgrid->count(), 1);
    EXPECT_EQ(fehlgrid->selectedItems().size(), 0);
    EXPECT_TRUE(fehltext->toPlainText().isEmpty());
    EXPECT_TRUE(fehltext->font().fixedPitch());

    // Nothing selected: nothing opened, nothing said.
    press("wizard_importerr", "edit");
    EXPECT_TRUE(opened.isEmpty());

    // The focus makes the entry current without selecting it; the click selects it.
    fehlgrid->selectionModel()->setCurrentIndex(fehlgrid->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    EXPECT_TRUE(fehltext->toPlainText().isEmpty());
    QTest::mouseClick(fehlgrid->viewport(), Qt::LeftButton, {}, fehlgrid->visualItemRect(fehlgrid->item(0)).center());
    const QString etext = db().scalar("select etext from importerrors").toString();
    EXPECT_EQ(fehltext->toPlainText(), "Rezept : Halb\nFehler : " + etext +
                                           "\n\n      Title: Halb\n Categories: Test\n   Servings: 2\n\n      1 c  Mehl\n");
    press("wizard_importerr", "edit");
    EXPECT_EQ(opened, QStringList({file}));

    ASSERT_TRUE(QFile::remove(file));
    dialogs.expect(QStringLiteral("Die Datei '") + file + QStringLiteral("' gibt es nicht mehr."), Answer::Ok);
    press("wizard_importerr", "edit");
    dialogs.verify();
    EXPECT_EQ(opened.size(), 1);

    // Clearing empties both tables and leads on.
    press("wizard_importerr", "abbruch");
    EXPECT_EQ(count("select count(*) from importerrors"), 0);
    EXPECT_EQ(count("select count(*) from importerrtexte"), 0);
    EXPECT_EQ(window("wizard_importerr"), nullptr);
    EXPECT_NE(window("wizard_nachimport"), nullptr);
}

TEST_F(ImportWindows, DoubleClicksOnEitherSideGiveTheCategoryAndMoveToTheNextRecipe)
{
    db().execute("update rezepte set kid = null where rname in ('Ratatouille', 'Hefezopf', 'Gurkensalat mit Dill', "
                 "'Vanillekipferl')");
    db().execute("update rezepte set kid = 0 where rname = 'Kräuterquark'");
    button("men7")->click();
    control<QPushButton>(window("weiteres"), "ohnerub")->click();
    EXPECT_EQ(window("weiteres"), nullptr);
    QListWidget* neurezgrid = list("wizard_nachimport", "neurezgrid");
    QListWidget* rublist = list("wizard_nachimport", "rublist");
    // By title, only those without a category; every category by name but "- alle Rubriken -".
    EXPECT_EQ(texts(neurezgrid), QStringList({"Gurkensalat mit Dill", "Hefezopf", "Ratatouille", "Vanillekipferl"}));
    EXPECT_EQ(rublist->count(), count("select count(*) from hauptkat") - 1);
    const QStringList kategorien = texts(rublist);
    EXPECT_TRUE(std::is_sorted(kategorien.begin(), kategorien.end(), [](const QString& a, const QString& b) {
        return QString::localeAwareCompare(a, b) < 0;
    }));
    const auto kidOf = [this](const char* title) {
        return db().scalar(QStringLiteral("select kid from rezepte where rname = '%1'").arg(QLatin1String(title)));
    };

    // One side without a selection: a double click on the other changes nothing.
    doubleClick(rublist, 0);
    rublist->clearSelection();
    rublist->setCurrentRow(-1);
    doubleClick(neurezgrid, 0);
    EXPECT_EQ(neurezgrid->count(), 4);
    EXPECT_TRUE(kidOf("Gurkensalat mit Dill").isNull());
    neurezgrid->clearSelection();
    neurezgrid->setCurrentRow(-1);

    ASSERT_NO_FATAL_FAILURE(choose(rublist, QStringLiteral("Salate")));
    doubleClick(neurezgrid, 0);
    EXPECT_EQ(kidOf("Gurkensalat mit Dill").toLongLong(), 3);
    EXPECT_EQ(texts(neurezgrid), QStringList({"Hefezopf", "Ratatouille", "Vanillekipferl"}));
    EXPECT_EQ(neurezgrid->currentItem()->text(), "Hefezopf") << "the one that followed";
    EXPECT_TRUE(neurezgrid->currentItem()->isSelected());

    // The last one: the one before it comes next; the category stays chosen.
    neurezgrid->setCurrentRow(2);
    ASSERT_NO_FATAL_FAILURE(choose(rublist, QStringLiteral("Gebäck & Plätzchen")));
    doubleClick(rublist, rublist->currentRow());
    EXPECT_EQ(kidOf("Vanillekipferl").toLongLong(), 14);
    EXPECT_EQ(neurezgrid->currentItem()->text(), "Ratatouille");
    EXPECT_EQ(rublist->currentItem()->text(), "Gebäck & Plätzchen");

    doubleClick(neurezgrid, 1);
    doubleClick(neurezgrid, 0);
    EXPECT_EQ(kidOf("Hefezopf").toLongLong(), 14);
    EXPECT_EQ(window("wizard_nachimport"), nullptr) << "the list is empty";
    EXPECT_EQ(count("select count(*) from rezepte where kid is null"), 0);
}

TEST_F(ImportWindows, ACookbookSwitchClosesTheErrorListAndTheCategoryWindow)
{
    write(QStringLiteral("k/kaputt.mmf"), mmBroken("Halb"));
    importThroughWizard(files() + QStringLiteral("k/"), 0, QStringLiteral("kaputt.mmf"), true);
    exchange::showModeless(QStringLiteral("wizard_nachimport"));
    ASSERT_NE(window("wizard_importerr"), nullptr);
    ASSERT_NE(window("wizard_nachimport"), nullptr);

    const QString second = env.copyShippedCookbook(QStringLiteral("zweites"));
    expectIndexBuild();
    ASSERT_TRUE(switchCookbook(second));
    dialogs.verify();
    EXPECT_EQ(window("wizard_importerr"), nullptr);
    EXPECT_EQ(window("wizard_nachimport"), nullptr) << "and the error list did not lead on to it";
}

TEST_F(ImportWindows, AMergeGathersTheRecipesUnderOneNewEntryOrChangesNothing)
{
    db().execute("insert into importdateien (did, dname) values (306, 'fünf'), (305, 'zehn')");
    for (int i = 0; i < 15; ++i)
        db().execute(QStringLiteral("insert into rezepte (rname, port, kid, did) values ('R%1', 4, 1, %2)")
                         .arg(i)
                         .arg(i < 10 ? 305 : 306));
    const auto rows = [this] {
        QStringList out;
        db::Statement st(db(), "select d.did, d.dname, count(r.rid) from importdateien d left join rezepte r "
                               "on r.did = d.did where d.did > 1 group by d.did order by d.did");
        while (st.step()) out << QStringLiteral("%1 %2 %3").arg(st.int64(0)).arg(st.text(1)).arg(st.int64(2));
        return out;
    };

    dialogs.expectModal(QStringLiteral("weiteres_dateien"), [&] {
        QWidget* w = ui::WindowRegistry::get(QStringLiteral("weiteres_dateien"));
        w->show();
        auto* implist = control<QListWidget>(w, "implist");
        auto* newlist = control<QListWidget>(w, "newlist");
        auto* neunam = control<QLineEdit>(w, "neunam");
        const auto click = [&](const char* name) { QTest::mouseClick(control<QToolButton>(w, name), Qt::LeftButton); };
        EXPECT_EQ(texts(implist), QStringList({"Beispielrezepte", "fünf", "zehn"}));

        // Marked out of order, moved in list order.
        implist->item(2)->setSelected(true);
        implist->item(1)->setSelected(true);
        click("hinueber");
        EXPECT_EQ(texts(newlist), QStringList({"fünf", "zehn"}));
        EXPECT_EQ(texts(implist), QStringList({"Beispielrezepte"}));
        // Clicked back, it keeps its id.
        QTest::mouseClick(newlist->viewport(), Qt::LeftButton, {}, newlist->visualItemRect(newlist->item(0)).center());
        EXPECT_EQ(texts(implist), QStringList({"Beispielrezepte", "fünf"}));
        EXPECT_EQ(implist->item(1)->data(Qt::UserRole).toLongLong(), 306);
        implist->clearSelection();
        implist->item(1)->setSelected(true);
        click("hinueber");
        EXPECT_EQ(texts(newlist), QStringList({"zehn", "fünf"}));

        // No name: nothing happens.
        click("weiter");
        EXPECT_EQ(rows(), QStringList({"305 zehn 10", "306 fünf 5"}));

        // A merge that fails is rolled back whole and said once, with OK only.
        db().execute("create trigger nein before delete on importdateien when old.did = 306 "
                     "begin select raise(abort, 'gesperrt'); end");
        neunam->setText(QStringLiteral("Sammlung"));
        dialogs.expect(QStringLiteral("Fehler : "), Answer::Ok)
            .withTitle(QStringLiteral(" F E H L E R"))
            .withStyle(ui::Critical | ui::OkOnly);
        click("weiter");
        dialogs.verify();
        EXPECT_EQ(rows(), QStringList({"305 zehn 10", "306 fünf 5"}));
        EXPECT_EQ(texts(newlist), QStringList({"zehn", "fünf"}));

        db().execute("drop trigger nein");
        dialogs.expect(QStringLiteral("Fertig."), Answer::Ok).withTitle(QStringLiteral(" ")).withStyle(ui::OkOnly);
        click("weiter");
        dialogs.verify();
        EXPECT_EQ(rows(), QStringList({"307 Sammlung 15"}));
        EXPECT_EQ(texts(implist), QStringList({"Beispielrezepte", "Sammlung"}));
        EXPECT_EQ(newlist->count(), 0);
        EXPECT_TRUE(neunam->text().isEmpty());
        click("kreuz");
        return 0;
    });
    button("men7")->click();
    control<QPushButton>(window("weiteres"), "imporg")->click();
    dialogs.verify();
    EXPECT_EQ(window("weiteres_dateien"), nullptr);
    EXPECT_EQ(window("weiteres"), nullptr);
}

}  // namespace
}  // namespace kv::test
