// The generator of Meal-Master files for the import benchmark and the kill test: its
// templates are the project's own files, read in their code pages.

#include "bench/exchange/genmealmaster.h"
#include "platform/textreplace/textfile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <stdexcept>

namespace {

QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    files.sort();
    return files;
}

// The titles written into a folder's files, each file read in the code page the import
// finds for it.
QStringList titlesBelow(const QString& folder)
{
    QStringList titles;
    for (const QString& path : filesBelow(folder)) {
        QFile file(path);
        kv::text::Encoding encoding = kv::text::Encoding::Utf8;
        EXPECT_TRUE(file.open(QIODevice::ReadOnly) && kv::text::detectEncoding(file, encoding)) << path.toStdString();
        kv::text::LineReader reader(file, encoding, 1 << 20);
        kv::text::TextLine line;
        while (reader.next(line)) {
            const qsizetype at = line.text.indexOf(QLatin1String("Title:"));
            if (at >= 0) titles << line.text.mid(at + 6).trimmed();
        }
    }
    return titles;
}

QByteArray allBytes(const QString& folder)
{
    QByteArray bytes;
    for (const QString& path : filesBelow(folder)) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        bytes += QDir(folder).relativeFilePath(path).toUtf8() + '\n' + file.readAll();
    }
    return bytes;
}

}  // namespace

TEST(GenMealMaster, ARecipeInEveryCodePageIsOneTemplateAndKeepsItsLetters)
{
    QTemporaryDir dir;
    const kv::bench::GeneratedFiles made = kv::bench::generateMealMaster(
        dir.path(), 60, 20, 3, QStringLiteral(KELVOR_TEST_DATA_DIR "/mealmaster/kodierungen"));
    EXPECT_EQ(made.recipes, 60);
    EXPECT_EQ(made.files, 3);
    // Written in UTF-8, Windows-1252 and DOS 850 alike.
    const QStringList titles = titlesBelow(dir.path());
    ASSERT_EQ(titles.size(), 60);
    for (const QString& title : titles)
        EXPECT_TRUE(title.startsWith(QString::fromUtf8("Käsespätzle mit Röstzwiebeln "))) << title.toStdString();
}

TEST(GenMealMaster, TheProjectsFilesGiveEveryWholeRecipeAndTheSameSeedTheSameFiles)
{
    QTemporaryDir first;
    QTemporaryDir second;
    const kv::bench::GeneratedFiles made = kv::bench::generateMealMaster(first.path(), 3000, 500, 7);
    kv::bench::generateMealMaster(second.path(), 3000, 500, 7);
    EXPECT_EQ(made.files, 6);
    EXPECT_EQ(allBytes(first.path()), allBytes(second.path()));

    // Among 3000 recipes each template comes up: German ones and English ones, the
    // cut-off recipes of the files not among them.
    QStringList kinds;
    for (QString title : titlesBelow(first.path())) {
        title.truncate(title.lastIndexOf(u' '));
        if (!kinds.contains(title)) kinds << title;
    }
    for (const char* expected : {"Blechkuchen mit Zwetschgen und Streuseln", "Linsen mit Spätzle und Saitenwürstchen",
                                 "Black Bean and Sweet Potato Chili", "Buttermilk Pancakes", "Kürbissuppe mit Ingwer"})
        EXPECT_TRUE(kinds.contains(QString::fromUtf8(expected))) << expected;
    for (const char* cut : {"Rindergulasch nach Wiener Art", "Sauerbraten", "Zwiebelkuchen"})
        EXPECT_FALSE(kinds.contains(QString::fromUtf8(cut))) << cut;
}

TEST(GenMealMaster, AFolderWithoutRecipesIsRefused)
{
    QTemporaryDir templates;
    QFile note(templates.filePath(QStringLiteral("notiz.txt")));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("----- keine Rezepte -----\n");
    note.close();
    QTemporaryDir out;
    EXPECT_THROW(kv::bench::generateMealMaster(out.path(), 10, 10, 1, templates.path()), std::runtime_error);
}
