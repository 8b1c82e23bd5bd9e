// The project's own Meal-Master files (tests/data/mealmaster), imported whole: what any
// reading of them must give, whatever the finer rules for headings, preparations and
// code pages are. Nothing is lost, and one recipe gives the same rows in every code page
// and with every line end.

#include "platform/textreplace/textfile.h"
#include "tests/exchange/importfixture.h"

#include <QDirIterator>
#include <QMap>
#include <QStringDecoder>

#include <optional>

namespace kv::test {

namespace {

QString mealMasterFiles()
{
    return QStringLiteral(KELVOR_TEST_DATA_DIR "/mealmaster");
}

// Every file a tree import reads (hidden ones are not), sorted.
QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir::cleanPath(it.next());
    files.sort();
    return files;
}

// The titles of a file's recipes as written: the first "Title:" line after each header
// that names Meal-Master, in the code page the import finds for the file.
QStringList titlesIn(const QString& path)
{
    QFile file(path);
    text::Encoding encoding = text::Encoding::Utf8;
    if (!file.open(QIODevice::ReadOnly) || !text::detectEncoding(file, encoding)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    text::LineReader reader(file, encoding, 1 << 20);
    QStringList titles;
    bool afterHeader = false;
    text::TextLine line;
    while (reader.next(line)) {
        if (line.text.contains(QLatin1String("-----")) &&
            line.text.contains(QLatin1String("Meal-Master"), Qt::CaseInsensitive)) {
            afterHeader = true;
            continue;
        }
        const qsizetype at = line.text.indexOf(QLatin1String("Title:"), 0, Qt::CaseInsensitive);
        if (afterHeader && at >= 0) {
            titles << line.text.mid(at + 6).trimmed();
            afterHeader = false;
        }
    }
    return titles;
}

class MealMasterFiles : public ImportTest {
protected:
    // The file ids of an import by the files' paths.
    QMap<QString, qint64> fileIds()
    {
        QMap<QString, qint64> ids;
        db::Statement st(db(), QStringLiteral("select did, dname from importdateien where did > 1"));
        while (st.step()) ids.insert(QDir::cleanPath(st.text(1)), st.int64(0));
        return ids;
    }
    QStringList texts(const QString& sql, qint64 did)
    {
        QStringList out;
        db::Statement st(db(), sql);
        st.bind(1, did);
        while (st.step()) out << st.text(0);
        return out;
    }

    // Imports a tree with "einlesen": each title after a header is stored (under its
    // replaced title) or named in an error row of its file, and nothing is stored without
    // a title. Files without recipes count only when every file must hold some.
    void expectEveryTitleAccountedFor(const QString& folder, bool onlyRecipeFiles)
    {
        skipexisting = false;
        // The project's files hold cut-off recipes on purpose; the corpus reads cleanly.
        import(folder + u'/', 2, onlyRecipeFiles);

        const QStringList files = filesBelow(folder);
        const QMap<QString, qint64> ids = fileIds();
        EXPECT_EQ(QStringList(ids.keys()), files);
        for (const QString& path : files) {
            SCOPED_TRACE(path.toStdString());
            ASSERT_TRUE(ids.contains(path)) << "not imported";
            const qint64 did = ids.value(path);
            const QStringList titles = titlesIn(path);
            EXPECT_TRUE(!onlyRecipeFiles || !titles.isEmpty()) << "a file without recipes proves nothing here";
            m_titles += titles.size();
            QStringList stored = texts(QStringLiteral("select rname from rezepte where did=?"), did);
            QStringList listed = texts(QStringLiteral("select rname from importerrors where did=?"), did);
            for (const QString& title : titles) {
                // A stored title has been through the umlaut replacement, a listed one not.
                if (stored.removeOne(exchange::repstr(title))) continue;
                EXPECT_TRUE(listed.removeOne(title)) << "neither stored nor listed: " << title.toStdString();
            }
            EXPECT_TRUE(stored.isEmpty()) << "stored without a title in the file: " << stored.join(u'|').toStdString();
        }
    }

    qsizetype m_titles = 0;
};

}  // namespace

TEST_F(MealMasterFiles, EveryTitledRecipeIsStoredOrListedAsAnError)
{
    // The cut-off recipes among them make errors.
    expectEveryTitleAccountedFor(mealMasterFiles(), true);
    EXPECT_GE(m_titles, 30);
}

TEST_F(MealMasterFiles, EveryTitledRecipeOfTheCorpusBesideTheProjectIsStoredOrListed)
{
    const QString corpus = QStringLiteral(KELVOR_CORPUS_DIR "/mealmaster");
    if (!QDir(corpus).exists()) GTEST_SKIP() << "the Meal-Master corpus is missing: " << corpus.toStdString();
    expectEveryTitleAccountedFor(corpus, false);
    EXPECT_GE(m_titles, 15);
}

TEST_F(MealMasterFiles, OneRecipeInEveryCodePageAndLineEndStoresTheSameRows)
{
    skipexisting = false;
    const QString folder = mealMasterFiles() + QStringLiteral("/kodierungen");
    import(folder + u'/', 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from importerrors")), 0);

    const QMap<QString, qint64> ids = fileIds();
    std::optional<QStringList> first;
    for (const QString& path : filesBelow(folder)) {
        SCOPED_TRACE(path.toStdString());
        db::Statement st(db(), QStringLiteral("select rid from rezepte where did=?"));
        st.bind(1, ids.value(path, -1));
        ASSERT_TRUE(st.step()) << "nothing stored";
        const qint64 rid = st.int64(0);
        EXPECT_FALSE(st.step()) << "more than the one recipe";
        const QStringList rows = rowsOf(rid) << preparationOf(rid);
        if (!first) {
            first = rows;
            EXPECT_TRUE(rows.first().startsWith(QString::fromUtf8("Käsespätzle mit Röstzwiebeln|"))) << rows.first().toStdString();
            // Its three parts' ingredients, not only a title.
            EXPECT_GE(rows.size(), 12);
            EXPECT_TRUE(rows.last().contains(QString::fromUtf8("bei 200 °C fünf Minuten"))) << rows.last().toStdString();
            continue;
        }
        EXPECT_EQ(rows, *first);
    }
    EXPECT_TRUE(first.has_value());
}

// The files of that recipe are what their names say, byte for byte: a checkout that
// changed line ends or a code page would leave the test above proving nothing.
TEST(MealMasterFileBytes, EachCodePageAndLineEndHoldsTheSameText)
{
    const QString folder = mealMasterFiles() + QStringLiteral("/kodierungen");
    std::optional<QString> first;
    int variants = 0;
    for (const QString& code : QStringList{"utf8", "utf8-bom", "cp1252", "cp850"}) {
        for (const QString& end : QStringList{"lf", "crlf", "cr"}) {
            const QString path = QStringLiteral("%1/%2-%3.mmf").arg(folder, code, end);
            SCOPED_TRACE(path.toStdString());
            QByteArray bytes = fileBytes(path);
            ASSERT_NE(bytes, "<fehlt>");
            ++variants;

            EXPECT_EQ(bytes.startsWith("\xEF\xBB\xBF"), code == u"utf8-bom");
            if (code == u"utf8-bom") bytes.remove(0, 3);
            const qsizetype crs = bytes.count('\r');
            const qsizetype lfs = bytes.count('\n');
            const qsizetype crlfs = bytes.count("\r\n");
            if (end == u"lf") {
                EXPECT_TRUE(crs == 0 && lfs > 30);
            } else if (end == u"cr") {
                EXPECT_TRUE(lfs == 0 && crs > 30);
            } else {
                EXPECT_TRUE(crlfs == crs && crlfs == lfs && crlfs > 30);
            }

            QString text;
            if (code.startsWith(u"utf8")) {
                QStringDecoder utf8(QStringDecoder::Utf8);
                text = utf8(bytes);
                EXPECT_FALSE(utf8.hasError());
            } else {
                // The German letters where each code page has them: ä is E4 in Windows, 84 in DOS.
                EXPECT_TRUE(bytes.contains(code == u"cp850" ? '\x84' : '\xE4'));
                text = text::decode(bytes, code == u"cp850" ? text::Encoding::Cp850 : text::Encoding::Windows1252);
            }
            text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
            if (!first) first = text;
            else EXPECT_EQ(text, *first);
        }
    }
    EXPECT_EQ(variants, 12);
    ASSERT_TRUE(first.has_value());
    EXPECT_TRUE(first->contains(QString::fromUtf8("Title: Käsespätzle mit Röstzwiebeln\n")));
}

}  // namespace kv::test
