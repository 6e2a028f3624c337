#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "storage/textfile.h"

namespace {

constexpr qsizetype FileBytes = 20 * 1000 * 1000;

// About 20 MB of German text with CR LF line ends, written once.
const QString& LargeFile()
{
    static QTemporaryDir dir;
    static const QString name = [] {
        const QByteArray line("Ein Gästebuch-Eintrag mit Umlauten: äöü ß und dem Euro €.\r\n");
        QByteArray bytes;
        bytes.reserve(FileBytes + line.size());
        while (bytes.size() < FileBytes)
            bytes += line;
        const QString fileName = dir.filePath("large.txt");
        QFile file(fileName);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return fileName;
    }();
    return name;
}

void BM_ReadTextFile(benchmark::State& state)
{
    const QString& name = LargeFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadTextFile(name));
    state.SetBytesProcessed(state.iterations() * FileBytes);
}
BENCHMARK(BM_ReadTextFile)->Unit(benchmark::kMillisecond);

void BM_CountChars(benchmark::State& state)
{
    const QString text = ReadTextFile(LargeFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(CountChars(text));
    state.SetItemsProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_CountChars)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
