// The cookbook choice on the started program, as the user meets it: the program folder in
// its usual hidden place, a switch to another cookbook and back to the delivered one
// through "Kochbuch laden", and a damaged cookbook whose list cannot be read.

#include "core/finddir_window.h"
#include "core/settings.h"
#include "platform/paths.h"
#include "platform/ui/folderlists.h"
#include "tests/mainwindow/startedprogram.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

#include <sqlite3.h>

namespace kv::test {
namespace {

using ui::Answer;

class CookbookChoice : public StartedProgram {
protected:
    void SetUp() override
    {
        // The program folder where users have it: ~/.local/share/kelvor, below a hidden folder.
        env.unsetEnv("KELVOR_HOME");
        paths::resetForTests();
    }

    QString deliveredFolder() { return env.programFolder() + QStringLiteral("/kochbuch/"); }

    QWidget* finddir() { return ui::WindowRegistry::loadedWindow(QStringLiteral("finddir")); }
    QString status() { return control<QLabel>(finddir(), "status")->text(); }

    // The user opens the dialog from the main window.
    void openFinddir()
    {
        button("loadkoch")->click();
        ASSERT_NE(finddir(), nullptr);
        ASSERT_TRUE(finddir()->isVisible());
    }

    // The user picks the entry of the drive list that stands for `root`.
    void chooseDrive(const QString& root)
    {
        auto* idrive = control<QComboBox>(finddir(), "idrive");
        const int entry = idrive->findData(root);
        ASSERT_GE(entry, 0) << "no entry for " << root.toStdString() << " among " << entries(idrive).toStdString();
        idrive->setCurrentIndex(entry);
    }
    static QString entries(QComboBox* box)
    {
        QStringList all;
        for (int i = 0; i < box->count(); ++i) all << box->itemText(i);
        return all.join(QStringLiteral(" | "));
    }

    // The user clicks on a folder's row in the folder list; it must be in sight below the
    // folders already open in it. The list opens the folder clicked on.
    void clickFolder(const QString& folder)
    {
        auto* idir = control<QTreeView>(finddir(), "idir");
        auto* model = qobject_cast<ui::FolderModel*>(idir->model());
        ASSERT_NE(model, nullptr);
        const QString path = QDir::cleanPath(folder);
        QRect row;
        QTRY_VERIFY2_WITH_TIMEOUT(
            [&] {
                const QModelIndex index = model->indexOf(path);
                if (!index.isValid()) return false;
                idir->scrollTo(index);
                row = idir->visualRect(index);
                return row.isValid();
            }(),
            qPrintable(QStringLiteral("not in the folder list: ") + path), 5000);
        QTest::mouseClick(idir->viewport(), Qt::LeftButton, {}, row.center());
    }
    void clickStart() { control<QPushButton>(finddir(), "start")->click(); }
};

TEST_F(CookbookChoice, KochbuchLadenReachesTheDeliveredCookbookAgainAfterASwitch)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const QString delivered = deliveredFolder();
    ASSERT_TRUE(delivered.contains(QStringLiteral("/.local/share/kelvor/"))) << delivered.toStdString();
    ASSERT_EQ(cookbook().name(), delivered + kochbuchdatei);
    const QString deliveredCaption = label("bname")->text();
    const QString deliveredName = db().scalar(QStringLiteral("select bname from kochbuchname")).toString();
    const QString recipes = rezzahl()->text();

    const QString home = paths::absoluteFolder(paths::homeFolder());
    const QString shelf = home + QStringLiteral("Kochbücher/");
    const QString other = shelf + QStringLiteral("Sonntagsessen/");
    QDir().mkpath(other);
    ASSERT_TRUE(QFile::copy(deliveredFolder() + kochbuchdatei, other + kochbuchdatei));
    {
        auto book = db::Database::open(other + kochbuchdatei);
        book->execute(QStringLiteral("update kochbuchname set bname = 'Sonntagsessen'"));
        book->execute(QStringLiteral("delete from rezepte where rid > 3"));
    }

    ASSERT_NO_FATAL_FAILURE(openFinddir());
    ASSERT_NO_FATAL_FAILURE(chooseDrive(home));
    ASSERT_NO_FATAL_FAILURE(clickFolder(shelf));
    ASSERT_NO_FATAL_FAILURE(clickFolder(other));
    EXPECT_EQ(status(), QStringLiteral("Kochbuch : Sonntagsessen"));
    clickStart();
    dialogs.verify();
    EXPECT_EQ(cookbook().name(), other + kochbuchdatei);
    EXPECT_TRUE(label("bname")->text().endsWith(QStringLiteral(" Sonntagsessen")));
    EXPECT_EQ(rezzahl()->text(), QStringLiteral("3"));
    EXPECT_EQ(finddir(), nullptr);

    // Back: the program folder is offered in the drive list, hidden or not.
    ASSERT_NO_FATAL_FAILURE(openFinddir());
    ASSERT_NO_FATAL_FAILURE(chooseDrive(paths::absoluteFolder(env.programFolder())));
    ASSERT_NO_FATAL_FAILURE(clickFolder(delivered));
    EXPECT_EQ(status(), QStringLiteral("Kochbuch : ") + deliveredName);
    clickStart();
    dialogs.verify();
    EXPECT_EQ(cookbook().name(), delivered + kochbuchdatei);
    EXPECT_EQ(getreg(reg::loadeddir), delivered);
    EXPECT_EQ(label("bname")->text(), deliveredCaption);
    EXPECT_EQ(rezzahl()->text(), recipes);
    EXPECT_EQ(finddir(), nullptr);
    EXPECT_EQ(quits, 0);
}

// The program folder lies below a hidden folder of the home folder. Once a list has read
// the home folder, the program folder entry must still show the program folder's tree.
TEST_F(CookbookChoice, TheProgramFolderEntryShowsItsTreeAfterTheHomeFolderWasListed)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const QString delivered = deliveredFolder();
    const QString home = paths::absoluteFolder(paths::homeFolder());
    const QString program = paths::absoluteFolder(env.programFolder());
    const QString other = home + QStringLiteral("Sonntagsessen/");
    QDir().mkpath(other);
    for (const char* more : {"Bilder", "Dokumente", "Musik"}) QDir().mkpath(home + QLatin1String(more));
    ASSERT_TRUE(QFile::copy(delivered + kochbuchdatei, other + kochbuchdatei));
    // The folders a listing of the home folder shows; the model adds a folder asked for by
    // its path before it has read the others.
    const auto visibleFolders = [](const QString& folder) {
        return int(QDir(folder).entryList(QDir::AllDirs | QDir::NoDotAndDotDot).size());
    };
    ASSERT_NO_FATAL_FAILURE(openFinddir());
    ASSERT_NO_FATAL_FAILURE(chooseDrive(home));
    ASSERT_NO_FATAL_FAILURE(clickFolder(other));
    clickStart();
    dialogs.verify();
    ASSERT_EQ(cookbook().name(), other + kochbuchdatei);

    // The next run starts on that cookbook: its dialog lists the home folder before the
    // program folder was ever asked for.
    shutDown();
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_EQ(cookbook().name(), other + kochbuchdatei);
    ASSERT_NO_FATAL_FAILURE(openFinddir());
    auto* idir = control<QTreeView>(finddir(), "idir");
    auto* model = qobject_cast<ui::FolderModel*>(idir->model());
    ASSERT_NE(model, nullptr);
    // A row is asked for anew each time: the rows move as the folders arrive.
    QTRY_VERIFY_WITH_TIMEOUT(model->rowCount(model->indexOf(QDir::cleanPath(home))) >= visibleFolders(home), 5000);
    ASSERT_NO_FATAL_FAILURE(chooseDrive(program));
    EXPECT_EQ(model->filePath(idir->rootIndex()), QDir::cleanPath(program));
    ASSERT_NO_FATAL_FAILURE(clickFolder(delivered));
    EXPECT_EQ(status().left(10), QStringLiteral("Kochbuch :"));
    clickStart();
    dialogs.verify();
    EXPECT_EQ(cookbook().name(), delivered + kochbuchdatei);

    // The export wizard's folder list, after it has shown the home folder.
    button("export")->click();
    QWidget* wizard = ui::WindowRegistry::loadedWindow(QStringLiteral("wizard_export"));
    ASSERT_NE(wizard, nullptr);
    auto* l3 = control<QTreeView>(wizard, "l3");
    auto* folders = qobject_cast<ui::FolderModel*>(l3->model());
    ASSERT_NE(folders, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(folders->rowCount(folders->indexOf(QDir::cleanPath(home))) >= visibleFolders(home), 5000);
    auto* l2 = control<QComboBox>(wizard, "l2");
    l2->setCurrentIndex(l2->findData(program));
    EXPECT_EQ(folders->filePath(l3->rootIndex()), QDir::cleanPath(program));
    QTRY_VERIFY_WITH_TIMEOUT(l3->visualRect(folders->indexOf(QDir::cleanPath(delivered))).isValid(), 5000);
    // Hidden folders elsewhere stay hidden.
    QDir().mkpath(program + QStringLiteral("../.versteckt"));
    EXPECT_FALSE(folders->indexOf(QDir::cleanPath(program + QStringLiteral("../.versteckt"))).isValid());
}

// A click on a folder leaves the list where it is: moving it under the mouse would make
// the next click land on another folder.
TEST_F(CookbookChoice, AClickOnAFolderDoesNotScrollTheList)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const QString home = paths::absoluteFolder(paths::homeFolder());
    for (int i = 0; i < 80; ++i)
        QDir().mkpath(home + QStringLiteral("Ordner%1/unten").arg(i, 2, 10, QLatin1Char('0')));
    ASSERT_NO_FATAL_FAILURE(openFinddir());
    ASSERT_NO_FATAL_FAILURE(chooseDrive(home));
    auto* idir = control<QTreeView>(finddir(), "idir");
    auto* model = qobject_cast<ui::FolderModel*>(idir->model());
    ASSERT_NE(model, nullptr);
    const auto folder = [&](int i) {
        return model->indexOf(QDir::cleanPath(home + QStringLiteral("Ordner%1").arg(i, 2, 10, QLatin1Char('0'))));
    };
    // Read and sorted.
    QTRY_VERIFY_WITH_TIMEOUT(folder(79).isValid() && folder(79).row() == folder(0).row() + 79, 5000);
    idir->scrollTo(folder(40), QAbstractItemView::PositionAtTop);
    QTRY_VERIFY_WITH_TIMEOUT(idir->visualRect(folder(40)).top() == 0, 5000);
    const int scrolled = idir->verticalScrollBar()->value();

    const QString target = model->filePath(folder(41));
    QTest::mouseClick(idir->viewport(), Qt::LeftButton, {}, idir->visualRect(folder(41)).center());
    EXPECT_EQ(model->filePath(idir->currentIndex()), target);
    // Its subfolder arrives later: the list stays put then too.
    QTRY_VERIFY_WITH_TIMEOUT(model->indexOf(target + QStringLiteral("/unten")).isValid(), 5000);
    QTest::qWait(100);
    EXPECT_EQ(idir->verticalScrollBar()->value(), scrolled);
}

// Overwrites the cells of the first page of the table and of each of its indexes: the
// pages still count their rows, but none of the rows can be read.
void damageRowsOf(const QString& file, const QString& table)
{
    int pageSize = 0;
    QList<int> rootPages;
    {
        auto book = db::Database::open(file);
        pageSize = book->scalar(QStringLiteral("pragma page_size")).toInt();
        db::Statement st(*book, QStringLiteral("select rootpage from sqlite_master where tbl_name = ?"));
        st.bind(1, table);
        while (st.step()) rootPages << int(st.int64(0));
    }
    ASSERT_GE(rootPages.size(), 2) << "the table and its indexes";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    for (int rootPage : rootPages) {
        ASSERT_GT(rootPage, 1);
        const qint64 end = qint64(rootPage) * pageSize;
        const int damaged = pageSize / 2;
        ASSERT_TRUE(f.seek(end - damaged));
        ASSERT_EQ(f.write(QByteArray(damaged, '\xff')), damaged);
    }
}

TEST_F(CookbookChoice, ADamagedCookbookShowsNoCountOfRowsItCannotShow)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const QString file = cookbook().name();
    ASSERT_EQ(rezzahl()->text(), QString::number(count(QStringLiteral("select count(*) from rezepte"))));
    shutDown();
    ASSERT_NO_FATAL_FAILURE(damageRowsOf(file, QStringLiteral("rezepte")));
    {
        auto book = db::Database::open(file);
        ASSERT_GT(book->recordCount(QStringLiteral("rezepte")), 0) << "the damage must leave the count readable";
    }

    // Said in German as the window loads, as the list is bound and as the window is set up.
    dialogs.expect(QStringLiteral("ZUTAUSWAHL : 11 : Die Datenbankdatei ist beschädigt."), Answer::Ok);
    dialogs.expect(QStringLiteral("LOADDATA - 11 : Die Datenbankdatei ist beschädigt."), Answer::Ok);
    dialogs.expect(QStringLiteral("MAIN - 11 : Die Datenbankdatei ist beschädigt."), Answer::Ok);
    ASSERT_NO_FATAL_FAILURE(launch());

    EXPECT_EQ(rezgrid()->model()->rowCount(), 0);
    EXPECT_EQ(rezzahl()->text(), QString());
}

}  // namespace
}  // namespace kv::test
