// The import reads every line of every file through the line reader, after one pass of
// the code-page detection over the whole file; both are on its hot path.
#include "platform/textreplace/cp1252.h"
#include "platform/textreplace/textfile.h"

#include <benchmark/benchmark.h>

#include <QBuffer>

namespace {

// A Meal-Master recipe as most files hold them: ASCII lines, a few with umlauts.
const QString kRecipe = QString::fromUtf8(
    "MMMMM----- Recipe via Meal-Master (tm) v8.05\r\n"
    "\r\n"
    "      Title: Apple Pie with Cheddar Crust\r\n"
    " Categories: Pies, Desserts\r\n"
    "      Yield: 8 servings\r\n"
    "\r\n"
    "      2 c  All-purpose flour\r\n"
    "      1 ts Salt\r\n"
    "    2/3 c  Shortening\r\n"
    "      1 c  Cheddar cheese, shredded\r\n"
    "      6 tb Cold water\r\n"
    "      6 c  Apples, peeled and sliced\r\n"
    "      1 ts Kümmel, gemahlen\r\n"
    "\r\n"
    "  Combine flour and salt; cut in shortening until the mixture resembles\r\n"
    "  coarse crumbs. Stir in the cheese, sprinkle with water and toss with a\r\n"
    "  fork until all is moistened. Dazu Klöße, Käse und Gemüsebrühe reichen.\r\n"
    "\r\n"
    "MMMMM\r\n"
    "\r\n");

QByteArray fileOf(const QByteArray& recipe)
{
    QByteArray bytes;
    while (bytes.size() < 4 * 1024 * 1024) bytes += recipe;
    return bytes;
}

const QByteArray& asciiFile()
{
    static const QByteArray bytes = fileOf(QString(kRecipe)
                                               .replace(QString::fromUtf8("ü"), QStringLiteral("ue"))
                                               .replace(QString::fromUtf8("ö"), QStringLiteral("oe"))
                                               .replace(QString::fromUtf8("ä"), QStringLiteral("ae"))
                                               .toLatin1());
    return bytes;
}

const QByteArray& windowsFile()
{
    static const QByteArray bytes = fileOf(*kv::text::toWindows1252(kRecipe));
    return bytes;
}

const QByteArray& utf8File()
{
    static const QByteArray bytes = fileOf(kRecipe.toUtf8());
    return bytes;
}

void readLines(benchmark::State& state, const QByteArray& file, kv::text::Encoding encoding)
{
    QByteArray bytes = file;
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        kv::text::LineReader reader(buffer, encoding, 16 * 1024);
        kv::text::TextLine line;
        qint64 chars = 0;
        while (reader.next(line)) chars += line.text.size();
        benchmark::DoNotOptimize(chars);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_readAsciiLines(benchmark::State& state)
{
    readLines(state, asciiFile(), kv::text::Encoding::Windows1252);
}
BENCHMARK(BM_readAsciiLines)->Unit(benchmark::kMillisecond);

void BM_readWindowsLines(benchmark::State& state)
{
    readLines(state, windowsFile(), kv::text::Encoding::Windows1252);
}
BENCHMARK(BM_readWindowsLines)->Unit(benchmark::kMillisecond);

void BM_readUtf8Lines(benchmark::State& state)
{
    readLines(state, utf8File(), kv::text::detectEncoding(utf8File()));
}
BENCHMARK(BM_readUtf8Lines)->Unit(benchmark::kMillisecond);

void BM_detectEncoding(benchmark::State& state)
{
    const QByteArray& bytes = windowsFile();
    for (auto _ : state) benchmark::DoNotOptimize(kv::text::detectEncoding(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_detectEncoding)->Unit(benchmark::kMillisecond);

}  // namespace
