// The longest pass of the event loop during which the window could not
// answer, while the recovery copy is kept: after opening a file (the copy of
// the new text is taken and written) and while typing steadily on and then
// pausing (copies are taken and written between the keystrokes). Beside it
// the floor, a bare QPlainTextEdit of the text area's shape, font and
// wrapping doing the same with no copy; and our text area alone with and
// without the copy, which tells what the copy itself costs apart from the
// rest of the window.
//
// A pass of the loop is measured inside the event dispatch, from its waking
// to its next wait (a probe timer of its own would slow down what it
// measures and never let the loop wait). Keystrokes are posted as the window system would deliver them, and
// the time until each is handled is its latency. The copy's delays are
// shortened so that a run is brief; the passes it causes stay the same.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>
#include <deque>
#include <memory>
#include <utility>

#include "benchsupport.h"
#include "storage/globals.h"
#include "storage/recovery.h"
#include "storage/textfile.h"
#include "text/memo.h"
#include "windows/main.h"

namespace {

qint64 ThreadCpuNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

enum class Who { Floor, MemoWithoutCopy, MemoWithCopy, Ours };
enum class Scenario { Open, Typing };
// Lines of prose, or short ones whose blocks the heap keeps in its quick lists.
enum class Lines { Prose, Short };

constexpr int PauseDelay = 200;     // ms after the last keystroke
constexpr int LongestDelay = 1000;  // ms after the first keystroke not in the copy
constexpr int TypingMs = 3000;
constexpr int KeyInterval = 40;
constexpr int PaintWait = 50;  // ms for the paint after the copy

// Times each pass of the event loop and each posted keystroke until handled.
class LoopProbe : public QObject {
public:
    void begin()
    {
        m_clock.start();
        m_longestKey = 0;
        m_longestKeyCpu = 0;
        m_posted.clear();
        m_rounds = std::make_unique<LoopRounds>();
    }
    void end()
    {
        m_longestPassMs = m_rounds->longestMs();
        m_longestCpuMs = m_rounds->longestCpuMs();
        m_longestRunQueueMs = m_rounds->longestRunQueueMs();
        m_longestSleptMs = m_rounds->longestSleptMs();
        m_rounds.reset();
    }
    void postKey(QWidget* target)
    {
        m_posted.push_back({m_clock.nsecsElapsed(), ThreadCpuNanoseconds()});
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"));
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, "x"));
    }
    double longestPassMs() const { return m_longestPassMs; }
    // The same in the GUI thread's CPU time: what other processes on a busy
    // machine take from it does not count.
    double longestCpuMs() const { return m_longestCpuMs; }
    // Of the longest pass: ready but not let run, and asleep (on a lock).
    double longestRunQueueMs() const { return m_longestRunQueueMs; }
    double longestSleptMs() const { return m_longestSleptMs; }
    double longestKeyMs() const { return double(m_longestKey) / 1e6; }
    double longestKeyCpuMs() const { return double(m_longestKeyCpu) / 1e6; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && !m_posted.empty()) {
            m_longestKey = std::max(m_longestKey, m_clock.nsecsElapsed() - m_posted.front().first);
            m_longestKeyCpu = std::max(m_longestKeyCpu, ThreadCpuNanoseconds() - m_posted.front().second);
            m_posted.pop_front();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::unique_ptr<LoopRounds> m_rounds;
    QElapsedTimer m_clock;
    double m_longestPassMs = 0;
    double m_longestCpuMs = 0;
    double m_longestRunQueueMs = 0;
    double m_longestSleptMs = 0;
    qint64 m_longestKey = 0;
    qint64 m_longestKeyCpu = 0;
    // When each key was posted, on the clock and in the thread's CPU time.
    std::deque<std::pair<qint64, qint64>> m_posted;
};

// Resets the process's peak memory; returns the resident memory now, KiB.
long PeakFromHere()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    return ProcessStatusKiB("VmRSS");
}

// The peak since PeakFromHere over the text's own size (two bytes a unit).
double PeakOver(long before, const QPlainTextEdit* edit)
{
    return double(ProcessStatusKiB("VmHWM") - before) * 1024 / double(2 * edit->document()->characterCount());
}

// Runs the loop pass by pass until done() holds.
template <typename Done>
void RunUntil(Done done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BM_LongestPass(benchmark::State& state, Who who, Scenario scenario, Lines lines = Lines::Prose)
{
    const qsizetype size = state.range(0) * 1'000'000;
    QTemporaryDir dir;
    SetProgramDirForTesting(dir.path());
    const QString file =
        WriteFile(dir, QStringLiteral("text.txt"),
                  lines == Lines::Short ? Repeated(QStringLiteral("Kurze Zeile, äöü.\n"), size) : SampleText(size));

    std::unique_ptr<TfrmMain> form;
    std::unique_ptr<QPlainTextEdit> bare;
    std::unique_ptr<TRecovery> recovery;
    QPlainTextEdit* edit = nullptr;
    TMemo* memo = nullptr;
    if (who == Who::Ours) {
        form = std::make_unique<TfrmMain>();
        form->show();
        edit = memo = form->memoMain;
    } else {
        if (who == Who::Floor) {
            bare = ShownFloorEditor();
        } else {
            bare.reset(memo = new TMemo);
            bare->setFont(QFont(QStringLiteral("Arial"), 10));
            bare->setFrameShape(QFrame::NoFrame);
            bare->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            bare->resize(319, 215);
            bare->show();
        }
        // Wrapped as the main window's text area wraps.
        bare->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        edit = bare.get();
    }
    if (who == Who::Ours || who == Who::MemoWithCopy) {
        recovery = std::make_unique<TRecovery>(memo, dir.filePath(QStringLiteral("state")));
        recovery->setDelaysForTesting(PauseDelay, LongestDelay);
    }
    const auto open = [&] {
        if (form)
            form->OpenTextFile(file);
        else if (memo)
            memo->setText(ReadTextFile(file));
        else
            bare->setPlainText(ReadTextFile(file));
    };
    // Until the copy is written, or as long as it would take with one.
    const auto settled = [&](const QElapsedTimer& since) {
        if (recovery)
            return since.elapsed() > PauseDelay && !recovery->isBusy();
        return since.elapsed() > PauseDelay + 100;
    };
    edit->setFocus();
    LoopProbe probe;
    edit->installEventFilter(&probe);
    open();
    Idle();

    for (auto _ : state) {
        if (scenario == Scenario::Open) {
            open();  // its own pass is the opening's, the same for all
            const long before = PeakFromHere();
            probe.begin();
            QElapsedTimer since;
            since.start();
            RunUntil([&] { return settled(since); });
            state.counters["copy_peak_over_text"] += PeakOver(before, edit);
            // The next paint, as the caret's blink brings it: the first
            // large allocation after the copy's memory went back. Its passes
            // are counted here alone.
            LoopRounds paint;
            bool painted = false;
            edit->viewport()->update();
            QTimer::singleShot(PaintWait, [&] { painted = true; });
            RunUntil([&] { return painted; });
            state.counters["paint_after_ms"] += paint.longestMs();
            state.counters["paint_after_cpu_ms"] += paint.longestCpuMs();
        } else {
            QTextCursor cursor = edit->textCursor();
            cursor.setPosition(edit->document()->characterCount() / 2);
            edit->setTextCursor(cursor);
            Idle();
            // The peak from here on: what the copies taken while typing add.
            const long before = PeakFromHere();
            probe.begin();
            QTimer keys;
            keys.setInterval(KeyInterval);
            QObject::connect(&keys, &QTimer::timeout, [&] { probe.postKey(edit); });
            QElapsedTimer typing;
            typing.start();
            keys.start();
            RunUntil([&] { return typing.elapsed() > TypingMs; });
            keys.stop();
            QElapsedTimer since;
            since.start();
            RunUntil([&] { return settled(since); });
            state.counters["copy_peak_over_text"] += PeakOver(before, edit);
        }
        probe.end();
        state.counters["longest_pass_ms"] += probe.longestPassMs();
        state.counters["longest_pass_cpu_ms"] += probe.longestCpuMs();
        state.counters["longest_pass_runq_ms"] += probe.longestRunQueueMs();
        state.counters["longest_pass_slept_ms"] += probe.longestSleptMs();
        if (scenario == Scenario::Typing) {
            state.counters["longest_key_ms"] += probe.longestKeyMs();
            state.counters["longest_key_cpu_ms"] += probe.longestKeyCpuMs();
        }
    }
    for (auto& [name, counter] : state.counters)
        counter.value /= double(state.iterations());
    edit->removeEventFilter(&probe);
}

void Sizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(1)->Arg(10)->Arg(30)->Iterations(3)->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_LongestPass, open_floor, Who::Floor, Scenario::Open)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_LongestPass, open_memo_without_copy, Who::MemoWithoutCopy, Scenario::Open)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_LongestPass, open_memo_with_copy, Who::MemoWithCopy, Scenario::Open)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_LongestPass, open_ours, Who::Ours, Scenario::Open)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_LongestPass, open_floor_short_lines, Who::Floor, Scenario::Open, Lines::Short)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_LongestPass, open_ours_short_lines, Who::Ours, Scenario::Open, Lines::Short)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_LongestPass, typing_floor, Who::Floor, Scenario::Typing)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_LongestPass, typing_memo_without_copy, Who::MemoWithoutCopy, Scenario::Typing)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_LongestPass, typing_memo_with_copy, Who::MemoWithCopy, Scenario::Typing)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_LongestPass, typing_ours, Who::Ours, Scenario::Typing)->Apply(Sizes);

}  // namespace

int main(int argc, char** argv)
{
    return BenchMain(argc, argv);
}
