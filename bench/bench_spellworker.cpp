// The spell check as the user feels it, beside the floor (a bare
// QPlainTextEdit): typing right after opening 30 MB of text with a realistic
// vocabulary (words drawn by Zipf's law over the dictionary's stems), timed
// as the longest round of the event loop from its waking to its next wait;
// the memory of the process once an open of 20 MiB is idle; the time until
// the menu on a misspelled 30-letter compound exists.
#include <benchmark/benchmark.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QThread>
#include <ctime>
#include <memory>

#include "benchsupport.h"
#include "globals.h"
#include "main.h"
#include "memo.h"
#include "spellview.h"

namespace {

enum Mode { Floor, Off, On };

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Words drawn by Zipf's law over the dictionary's stems, in lines of about 74 characters.
QString RealisticText(qsizetype size)
{
    QStringList stems;
    QFile dic(InstalledGermanDictionary() + QStringLiteral(".dic"));
    if (dic.open(QIODevice::ReadOnly)) {
        dic.readLine();  // the count
        while (!dic.atEnd()) {
            const QString line = QString::fromUtf8(dic.readLine()).trimmed();
            const QString stem = line.section(u'/', 0, 0);
            if (!stem.isEmpty() && stem.size() < 20)
                stems.append(stem);
        }
    }
    if (stems.isEmpty())
        stems = {QStringLiteral("Haus"), QStringLiteral("Satz")};
    // Ranks in the order a fixed shuffle gives; weight 1/rank.
    QRandomGenerator random(31);
    for (qsizetype i = stems.size() - 1; i > 0; --i)
        stems.swapItemsAt(i, qsizetype(random.bounded(quint64(i + 1))));
    std::vector<double> cumulative(size_t(stems.size()));
    double sum = 0;
    for (size_t i = 0; i < cumulative.size(); ++i)
        cumulative[i] = sum += 1.0 / double(i + 1);
    QString text;
    text.reserve(size + 100);
    qsizetype lineStart = 0;
    while (text.size() < size) {
        const double pick = random.generateDouble() * sum;
        const auto rank = std::lower_bound(cumulative.begin(), cumulative.end(), pick) - cumulative.begin();
        text += stems[rank];
        if (text.size() - lineStart > 74) {
            text += u'\n';
            lineStart = text.size();
        } else {
            text += u' ';
        }
    }
    text.truncate(size);
    return text;
}

// The longest round of the event loop, from waking to the next wait.
struct LongestRound {
    double cpuMs = 0;
    double wallMs = 0;
    double startCpu = 0;
    QElapsedTimer wall;
    std::vector<QMetaObject::Connection> connections;
    LongestRound()
    {
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        connections.push_back(QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [this] {
            startCpu = ThreadCpuMs();
            wall.start();
        }));
        connections.push_back(QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [this] {
            if (!wall.isValid())
                return;
            cpuMs = std::max(cpuMs, ThreadCpuMs() - startCpu);
            wallMs = std::max(wallMs, double(wall.nsecsElapsed()) / 1e6);
            wall.invalidate();
        }));
    }
    ~LongestRound()
    {
        for (const auto& connection : connections)
            QObject::disconnect(connection);
    }
};

struct Window {
    QTemporaryDir dir;
    std::unique_ptr<TfrmMain> form;
    std::unique_ptr<QPlainTextEdit> bare;
    QPlainTextEdit* editor = nullptr;
    TSpellChecker* checker = nullptr;

    explicit Window(Mode mode)
    {
        SetProgramDirForTesting(dir.path());
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
        if (mode == Floor) {
            bare = ShownFloorEditor();
            editor = bare.get();
        } else {
            form = std::make_unique<TfrmMain>();
            form->show();
            editor = form->memoMain;
            checker = form->memoMain->findChild<TSpellView*>(QStringLiteral("spellView"))->checker();
            checker->setEnabled(mode == On);
            checker->startLoading();
            // Measured once the dictionary is ready.
            while (checker->state() == TSpellChecker::State::Loading) {
                QCoreApplication::processEvents();
                QThread::msleep(2);
            }
        }
        editor->setFocus();
        Idle();
    }
    void setText(const QString& text)
    {
        if (form)
            form->memoMain->setText(text);
        else
            editor->setPlainText(text);
    }
    void settle()
    {
        Idle();
        while (checker && checker->isBusy()) {
            QCoreApplication::processEvents();
            QThread::msleep(1);
        }
        Idle();
    }
};

// Opening 30 MB, then 40 keys typed at once as a fast typist does (one each
// 50 ms): the longest round of the loop, in CPU and wall time.
void BM_TypingAfterOpen30MB(benchmark::State& state)
{
    Window w{Mode(state.range(0))};
    const QString text = RealisticText(30'000'000);
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        w.setText(text);
        Idle();
        LongestRound longest;
        for (int key = 0; key < 40; ++key) {
            SendKey(w.editor, Qt::Key_X, QStringLiteral("x"));
            QElapsedTimer pause;
            pause.start();
            while (pause.elapsed() < 50)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        cpu = std::max(cpu, longest.cpuMs);
        wall = std::max(wall, longest.wallMs);
        state.PauseTiming();
        w.setText(QString());
        w.settle();
        state.ResumeTiming();
    }
    state.counters["longest_round_cpu_ms"] = cpu;
    state.counters["longest_round_wall_ms"] = wall;
}
BENCHMARK(BM_TypingAfterOpen30MB)
    ->ArgName("floor0_off1_on2")
    ->Arg(Floor)
    ->Arg(On)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The process's resident memory once 20 MiB are open and all is idle.
void BM_MemoryAfterOpen20MiB(benchmark::State& state)
{
    Window w{Mode(state.range(0))};
    const QString path = WriteFile(w.dir, QStringLiteral("open.txt"), RealisticText(20 * 1024 * 1024));
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        w.setText(QString::fromUtf8(file.readAll()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        w.settle();
    }
    state.counters["VmRSS_MiB"] = double(ProcessStatusKiB("VmRSS")) / 1024;
    state.counters["VmHWM_MiB"] = double(ProcessStatusKiB("VmHWM")) / 1024;
}
BENCHMARK(BM_MemoryAfterOpen20MiB)
    ->ArgName("floor0_off1_on2")
    ->Arg(Floor)
    ->Arg(Off)
    ->Arg(On)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The menu on a misspelled 30-letter compound: until it exists, and until
// the suggestions are in it.
void BM_MenuOnCompound(benchmark::State& state)
{
    Window w{On};
    const QString word = QStringLiteral("Donaudampfschiffahrtskapitaenx");
    w.setText(QStringLiteral("Ein ") + word + QStringLiteral(" hier"));
    w.settle();
    TSpellView* view = w.form->memoMain->findChild<TSpellView*>(QStringLiteral("spellView"));
    double suggestionsMs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        view->setMenuPosition(6);
        std::unique_ptr<QMenu> menu(w.form->memoMain->createContextMenu(QPoint()));
        state.PauseTiming();
        while (menu->findChild<QAction*>(QStringLiteral("miSpellSearching")) &&
               !menu->findChild<QAction*>(QStringLiteral("miSpellSuggestion")) && timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        suggestionsMs = std::max(suggestionsMs, double(timer.nsecsElapsed()) / 1e6);
        menu.reset();
        w.settle();
        state.ResumeTiming();
    }
    state.counters["until_suggestions_ms"] = suggestionsMs;
}
BENCHMARK(BM_MenuOnCompound)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return BenchMain(argc, argv);
}
