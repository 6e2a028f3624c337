#include "benchsupport.h"

#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include "framework/Application.h"

namespace {

// glib's own, looked up in the library Qt has loaded: its headers are not needed.
struct GMainContext;
using PollFunction = int (*)(pollfd*, unsigned, int);
using ContextDefault = GMainContext* (*)();
using SetPollFunction = void (*)(GMainContext*, PollFunction);
using GetPollFunction = PollFunction (*)(GMainContext*);

LoopRounds* ActiveRounds = nullptr;
PollFunction GlibPoll = nullptr;

double Milliseconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The time the calling thread has waited to run while ready, in ms; 0 if unknown.
double RunQueueMilliseconds(int schedstat)
{
    char figures[96];
    const ssize_t length = schedstat >= 0 ? pread(schedstat, figures, sizeof figures - 1, 0) : -1;
    if (length <= 0)
        return 0;
    figures[length] = 0;
    unsigned long long cpu = 0, waited = 0;
    return std::sscanf(figures, "%llu %llu", &cpu, &waited) == 2 ? double(waited) / 1e6 : 0;
}

int MeasuredPoll(pollfd* fds, unsigned count, int timeout)
{
    if (ActiveRounds)
        ActiveRounds->waits();
    const int result = GlibPoll ? GlibPoll(fds, count, timeout) : ::poll(fds, count, timeout);
    if (ActiveRounds)
        ActiveRounds->woke();
    return result;
}

template <typename Function>
Function Glib(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

LoopRounds::LoopRounds()
{
    const auto contextDefault = Glib<ContextDefault>("g_main_context_default");
    const auto setPoll = Glib<SetPollFunction>("g_main_context_set_poll_func");
    const auto getPoll = Glib<GetPollFunction>("g_main_context_get_poll_func");
    if (!contextDefault || !setPoll || !getPoll)
        qFatal("The event loop is not glib's: its rounds cannot be measured");
    if (!GlibPoll) {
        GlibPoll = getPoll(contextDefault());
        setPoll(contextDefault(), MeasuredPoll);
    }
    m_schedstat = open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    m_outer = std::exchange(ActiveRounds, this);
    woke();
}

LoopRounds::~LoopRounds()
{
    ActiveRounds = m_outer;
    if (m_outer)
        m_outer->m_wokeMs = -1;  // the rounds meanwhile were this one's
    if (m_schedstat >= 0)
        close(m_schedstat);
}

void LoopRounds::woke()
{
    m_wokeMs = Milliseconds(CLOCK_MONOTONIC);
    m_wokeCpuMs = Milliseconds(CLOCK_THREAD_CPUTIME_ID);
    m_wokeRunQueueMs = RunQueueMilliseconds(m_schedstat);
}

void LoopRounds::waits()
{
    if (m_wokeMs < 0)
        return;
    const double cpu = Milliseconds(CLOCK_THREAD_CPUTIME_ID) - m_wokeCpuMs;
    const double wall = Milliseconds(CLOCK_MONOTONIC) - m_wokeMs;
    if (wall > m_longestMs) {
        m_longestMs = wall;
        m_longestRunQueueMs = RunQueueMilliseconds(m_schedstat) - m_wokeRunQueueMs;
        m_longestSleptMs = std::max(0.0, wall - cpu - m_longestRunQueueMs);
    }
    m_longestCpuMs = std::max(m_longestCpuMs, cpu);
    m_cpuMs.push_back(cpu);
    m_wokeMs = -1;
}

int LoopRounds::cpuOver(double ms) const
{
    return int(std::count_if(m_cpuMs.begin(), m_cpuMs.end(), [ms](double cpu) { return cpu > ms; }));
}

void Idle()
{
    // Three rounds: the key's posted events, then the layout they schedule, then the paint.
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void SendKey(QWidget* target, int key, const QString& text, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &release);
}

std::unique_ptr<QPlainTextEdit> ShownFloorEditor()
{
    auto edit = std::make_unique<QPlainTextEdit>();
    edit->setFont(QFont(QStringLiteral("Arial"), 10));
    edit->setFrameShape(QFrame::NoFrame);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->resize(319, 215);
    edit->show();
    edit->activateWindow();
    return edit;
}

void TypeAndDelete(benchmark::State& state, QWidget* editor)
{
    bool typed = false;
    for (auto _ : state) {
        if (typed)
            SendKey(editor, Qt::Key_Backspace, QString());
        else
            SendKey(editor, Qt::Key_X, QStringLiteral("x"));
        Idle();
        typed = !typed;
    }
}

void TypeTimedDeleteUntimed(benchmark::State& state, QWidget* editor)
{
    for (auto _ : state) {
        SendKey(editor, Qt::Key_X, QStringLiteral("x"));
        Idle();
        state.PauseTiming();
        SendKey(editor, Qt::Key_Backspace, QString());
        Idle();
        state.ResumeTiming();
    }
}

QString Repeated(const QString& unit, qsizetype size)
{
    QString text;
    text.reserve(size + unit.size());
    while (text.size() < size)
        text += unit;
    text.truncate(size);
    return text;
}

QString SampleText(qsizetype size)
{
    return Repeated(QStringLiteral("Lieber Gästebuchschreiber, hier steht ein Satz mit Umlauten äöü und mehr.\n"),
                    size);
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, QString text, qsizetype maxBytes)
{
    text.replace(u'\n', QStringLiteral("\r\n"));
    QByteArray bytes = text.toUtf8();
    if (maxBytes >= 0)
        bytes.truncate(maxBytes);
    const QString path = dir.filePath(name);
    QFile file(path);
    // A missing file would make every opening measure an error message.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

long ProcessStatusKiB(const char* field)
{
    const QByteArray key = QByteArray(field) + ':';
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLong();
    return 0;
}

int BenchMain(int argc, char** argv, const char* option, int (*instead)())
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (option && instead && argc > 1 && QByteArray(argv[1]) == option)
        return instead();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
