#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <map>
#include <thread>

#include "spelling/personalwordlist.h"
#include "spelling/personalwords.h"

using namespace std::chrono_literals;

namespace {

// A personal list of about megabytes MB: one made-up word a line.
QString ListOf(int megabytes)
{
    static QTemporaryDir dir;
    static std::map<int, QString> made;
    if (auto found = made.find(megabytes); found != made.end())
        return found->second;
    QByteArray bytes;
    const qsizetype size = qsizetype(megabytes) * 1000 * 1000;
    bytes.reserve(size + 64);
    for (int i = 0; bytes.size() < size; ++i)
        bytes += "Karstwörter" + QByteArray::number(i) + '\n';
    const QString name = dir.filePath(QStringLiteral("liste%1.txt").arg(megabytes));
    QFile file(name);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return made[megabytes] = name;
}

// Reading the list, in the worker thread.
void BM_ReadWordList(benchmark::State& state)
{
    const QString list = ListOf(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadPersonalWords(list));
}
BENCHMARK(BM_ReadWordList)->Arg(15)->Arg(50)->Unit(benchmark::kMillisecond);

// One add: lock, read, merge, replace, in the worker thread.
void BM_AddToWordList(benchmark::State& state)
{
    const QString list = ListOf(int(state.range(0)));
    int n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(AddPersonalWords(list, {QStringLiteral("Neuwort%1").arg(++n)}, 2000ms));
}
BENCHMARK(BM_AddToWordList)->Arg(15)->Unit(benchmark::kMillisecond);

// What an add costs the GUI thread on a loaded list: the call, and taking
// the worker's outcome in.
void BM_AddOnGuiThread(benchmark::State& state)
{
    const QString list = ListOf(int(state.range(0)));
    TPersonalWords words(list);
    words.load();
    while (words.isBusy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    int n = 0;
    for (auto _ : state) {
        words.add(QStringLiteral("Gui%1").arg(++n));
        state.PauseTiming();
        std::this_thread::sleep_for(8000ms);  // far longer than the worker's part
        state.ResumeTiming();
        QCoreApplication::sendPostedEvents();  // the outcome taken in
    }
    state.counters["unfinished"] = words.isBusy();  // the worker took longer: the figure is void
}
BENCHMARK(BM_AddOnGuiThread)->Arg(15)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
