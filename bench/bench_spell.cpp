// The spell check on the shown window: a keystroke at 10 MB with checking
// on (every block checked, the verdicts cached), off, and a bare text area
// (the floor); opening 20 MiB until the window is usable, and the longest
// the event loop is held while the rest is checked in the background; the
// dictionary's loading time and the memory it and the checker's state add.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QThread>
#include <ctime>

#include "benchsupport.h"
#include "framework/SpellDictionary.h"
#include "spelling/spellview.h"
#include "spellwindow.h"
#include "storage/globals.h"
#include "text/memo.h"
#include "windows/main.h"

namespace {

constexpr qsizetype kKeystrokeSize = 10'000'000;
constexpr qsizetype kOpenSize = 20 * 1024 * 1024;

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs the loop until the checker has checked everything; the longest single
// round of the loop, in milliseconds.
double CheckAll(TSpellChecker* checker)
{
    double longest = 0;
    while (checker->isBusy()) {
        // The thread's own time: on a shared machine the wall clock counts others' work.
        const double start = ThreadCpuSeconds();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        longest = std::max(longest, ThreadCpuSeconds() - start);
        if (checker->state() == TSpellChecker::State::Loading)
            QThread::msleep(5);
    }
    Idle();
    return longest * 1e3;
}

void BM_SpellKeystroke10MB(benchmark::State& state)
{
    SpellWindow w{SpellMode(state.range(0))};
    w.setText(SampleText(kKeystrokeSize));
    if (w.checker)
        CheckAll(w.checker);
    QTextCursor cursor = w.editor->textCursor();
    cursor.setPosition(int(kKeystrokeSize / 2));
    w.editor->setTextCursor(cursor);
    Idle();
    TypeTimedDeleteUntimed(state, w.editor);
}
BENCHMARK(BM_SpellKeystroke10MB)
    ->ArgName("floor0_off1_on2")
    ->Arg(Floor)
    ->Arg(Off)
    ->Arg(On)
    ->Unit(benchmark::kMicrosecond);

// Setting 20 MiB until the window is usable; then, untimed, the background
// check: its longest round of the loop and its length in CPU time; and what
// the text and, with checking on, the results and verdicts add to memory.
void BM_SpellOpen20MiB(benchmark::State& state)
{
    SpellWindow w{SpellMode(state.range(0))};
    const QString text = SampleText(kOpenSize);
    double longest = 0;
    double passCpuMs = 0;
    long grownKiB = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const long before = ProcessStatusKiB("VmRSS");
        state.ResumeTiming();
        w.setText(text);
        Idle();
        state.PauseTiming();
        if (w.checker) {
            const double start = ThreadCpuSeconds();
            longest = std::max(longest, CheckAll(w.checker));
            passCpuMs = (ThreadCpuSeconds() - start) * 1e3;
        }
        grownKiB = ProcessStatusKiB("VmRSS") - before;
        w.setText(QString());
        Idle();
        state.ResumeTiming();
    }
    state.counters["longest_round_cpu_ms"] = longest;
    state.counters["background_cpu_ms"] = passCpuMs;
    state.counters["text_and_state_KiB"] = double(grownKiB);
}
BENCHMARK(BM_SpellOpen20MiB)
    ->ArgName("floor0_off1_on2")
    ->Arg(Floor)
    ->Arg(Off)
    ->Arg(On)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

// The dictionary alone: loading time (in the worker, off the window's
// thread) and the memory it takes.
void BM_SpellDictionaryLoad(benchmark::State& state)
{
    const QString base = InstalledGermanDictionary();
    long grownKiB = 0;
    for (auto _ : state) {
        // The heap in use, not the resident pages: those freed by an earlier
        // dictionary are reused and would show nothing.
        const size_t before = mallinfo2().uordblks;
        SpellDictionary dictionary(base);
        grownKiB = long((mallinfo2().uordblks - before) / 1024);
        benchmark::DoNotOptimize(dictionary.check(QStringLiteral("Gästebucheintrag")));
    }
    state.counters["dictionary_KiB"] = double(grownKiB);
}
BENCHMARK(BM_SpellDictionaryLoad)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return BenchMain(argc, argv);
}
