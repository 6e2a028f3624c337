#pragma once

// What the benchmarks share: driving a shown window as a user does and
// waiting until the event loop is idle, the sample texts, and the program's main.
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>
#include <vector>

class QPlainTextEdit;

// Runs the event loop until nothing is left to do: posted events, the
// layout of the visible lines and the repaint of the window.
void Idle();

// A real key press and release sent to the widget; call Idle() to wait for its effects.
void SendKey(QWidget* target, int key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

namespace benchmark {
class State;
}

// Types "x" and deletes it again, in turns, each key one iteration, until the
// event loop is idle.
void TypeAndDelete(benchmark::State& state, QWidget* editor);
// Types "x" in each iteration, timed until the event loop is idle; the
// Backspace that takes it back again is not timed.
void TypeTimedDeleteUntimed(benchmark::State& state, QWidget* editor);

// The floor: a bare QPlainTextEdit shaped like the main window's text area
// (size, font, no frame, scroll bar always shown), shown and active.
std::unique_ptr<QPlainTextEdit> ShownFloorEditor();

// The unit repeated up to exactly `size` characters.
QString Repeated(const QString& unit, qsizetype size);

// Lines of 74 characters, like written prose.
QString SampleText(qsizetype size);

// Writes the text as a file in `dir` (UTF-8, CR LF line ends, as written text
// comes), cut after `maxBytes` bytes where given; returns its path.
QString WriteFile(const QTemporaryDir& dir, const QString& name, QString text, qsizetype maxBytes = -1);

// The rounds of the GUI thread's event loop, each from its waking out of the
// wait for events to its next wait: the longest is the longest the window
// could not answer. Taken inside the event dispatch (glib's poll, which Qt's
// loop waits in), so that nothing is added to the loop to probe it. One made
// while another is alive takes the rounds over until it goes.
class LoopRounds {
public:
    LoopRounds();
    ~LoopRounds();
    LoopRounds(const LoopRounds&) = delete;
    LoopRounds& operator=(const LoopRounds&) = delete;
    double longestMs() const { return m_longestMs; }
    double longestCpuMs() const { return m_longestCpuMs; }
    // Of the longest round on the clock: the time it was ready but other
    // threads or processes had the processor, and the time it slept (on a
    // lock, say); the rest is its CPU time.
    double longestRunQueueMs() const { return m_longestRunQueueMs; }
    double longestSleptMs() const { return m_longestSleptMs; }
    // Rounds longer than ms, in CPU time.
    int cpuOver(double ms) const;

    // Called by the wait alone.
    void woke();
    void waits();

private:
    double m_wokeMs = -1;
    double m_wokeCpuMs = 0;
    double m_wokeRunQueueMs = 0;
    double m_longestMs = 0;
    double m_longestCpuMs = 0;
    double m_longestRunQueueMs = 0;
    double m_longestSleptMs = 0;
    LoopRounds* m_outer = nullptr;
    int m_schedstat = -1;  // the thread's scheduler figures, kept open: a round reads them twice
    std::vector<double> m_cpuMs;
};

// A figure in KiB from /proc/self/status, e.g. "VmRSS" or "VmHWM"; 0 if missing.
long ProcessStatusKiB(const char* field);

// The benchmark program's main: the application on the offscreen platform,
// then the benchmarks chosen on the command line; or, where `option` is the
// first argument, `instead` alone.
int BenchMain(int argc, char** argv, const char* option = nullptr, int (*instead)() = nullptr);
