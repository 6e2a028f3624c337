// The spell check as the user feels it, beside the floor (a bare
// QPlainTextEdit): typing right after opening 30 MB of text with a realistic
// vocabulary (words drawn by Zipf's law over the dictionary's stems), timed
// as the longest round of the event loop from its waking to its next wait;
// the memory of the process once an open of 20 MiB is idle; the time until
// the menu on a misspelled 30-letter compound exists.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QThread>
#include <QTimer>
#include <ctime>
#include <deque>
#include <memory>

#include "benchsupport.h"
#include "spelling/spellview.h"
#include "spellwindow.h"
#include "storage/globals.h"
#include "storage/textfile.h"
#include "text/memo.h"
#include "text/rangepainter.h"
#include "windows/main.h"

namespace {

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

// How long posted keys wait until the text area has them.
class KeyWaits : public QObject {
public:
    double longestMs = 0;
    void post(QWidget* target)
    {
        if (!m_clock.isValid())
            m_clock.start();
        m_sent.push_back(m_clock.nsecsElapsed());
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"));
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, "x"));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && !m_sent.empty()) {
            longestMs = std::max(longestMs, double(m_clock.nsecsElapsed() - m_sent.front()) / 1e6);
            m_sent.pop_front();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QElapsedTimer m_clock;
    std::deque<qint64> m_sent;
};

// Opening 30 MB, then 40 keys posted at once as a fast typist types them
// (one each 50 ms): the longest round of the loop, in CPU and wall time, and
// the longest a key waited.
void BM_TypingAfterOpen30MB(benchmark::State& state)
{
    SpellWindow w{SpellMode(state.range(0))};
    const QString text = RealisticText(30'000'000);
    double cpu = 0, wall = 0, key = 0;
    int over = 0;
    for (auto _ : state) {
        w.setText(text);
        Idle();  // the opening's own pass, the same for all
        KeyWaits waits;
        w.editor->installEventFilter(&waits);
        LoopRounds rounds;
        QTimer keys;
        keys.setInterval(50);
        int typed = 0;
        QEventLoop loop;
        QObject::connect(&keys, &QTimer::timeout, [&] {
            if (typed++ == 40)
                loop.quit();
            else
                waits.post(w.editor);
        });
        keys.start();
        loop.exec();
        cpu = std::max(cpu, rounds.longestCpuMs());
        wall = std::max(wall, rounds.longestMs());
        over = std::max(over, rounds.cpuOver(4));
        key = std::max(key, waits.longestMs);
        w.editor->removeEventFilter(&waits);
        state.PauseTiming();
        w.setText(QString());
        w.settle();
        state.ResumeTiming();
    }
    state.counters["longest_round_cpu_ms"] = cpu;
    state.counters["longest_round_wall_ms"] = wall;
    state.counters["rounds_over_4ms_cpu"] = over;
    state.counters["longest_key_wait_ms"] = key;
}
BENCHMARK(BM_TypingAfterOpen30MB)
    ->ArgName("floor0_off1_on2")
    ->Arg(Floor)
    ->Arg(On)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The heap in use, in MiB: finer than the resident memory, which pages
// freed and kept by the allocator blur.
double HeapMiB()
{
    const struct mallinfo2 heap = mallinfo2();
    return double(heap.uordblks + heap.hblkhd) / (1024 * 1024);
}

double ProcessCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The paints of the text area's viewport after an open: when the text first
// shows, and when a paint first shows a wavy line (the checker's misses for a
// block in the painted area, as the spell view reads them for that paint).
class PaintWatch : public QObject {
public:
    PaintWatch(QPlainTextEdit* editor, const TSpellChecker* checker) : m_editor(editor), m_checker(checker)
    {
        m_clock.start();
        editor->viewport()->installEventFilter(this);
    }
    ~PaintWatch() override { m_editor->viewport()->removeEventFilter(this); }
    double textMs = -1;
    double underlineMs = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || m_editor->document()->isEmpty())
            return false;
        const double now = double(m_clock.nsecsElapsed()) / 1e6;
        if (textMs < 0)
            textMs = now;
        if (underlineMs < 0 && m_checker && m_checker->isEnabled() && shows(static_cast<QPaintEvent*>(event)->rect()))
            underlineMs = now;
        return false;
    }

private:
    bool shows(const QRect& area) const
    {
        bool any = false;
        ForEachVisibleBlock(static_cast<const TMemo*>(m_editor)->visibleArea(), area,
                            [&](const QTextBlock& block, const QPointF&) {
                                any = bool(m_checker->misses(block));
                                return !any;
                            });
        return any;
    }
    QPlainTextEdit* m_editor;
    const TSpellChecker* m_checker;
    QElapsedTimer m_clock;
};

// Opening 20 MiB from a file until all is idle, run alone in its process
// (see spellaims.sh): the CPU of all threads, the time from the open to the
// text's first paint, from there to the first paint with a wavy line, until
// the words in view are checked, and the process's resident and peak memory
// once idle, and once a screen further down is checked.
void BM_Open20MiB(benchmark::State& state)
{
    SpellWindow w{SpellMode(state.range(0))};
    const QString path = WriteFile(w.dir, QStringLiteral("open.txt"), RealisticText(20 * 1024 * 1024));
    double cpu = 0, underlined = 0, shows = 0, firstLine = -1;
    for (auto _ : state) {
        const double start = ProcessCpuMs();
        const PaintWatch paints(w.editor, w.checker);
        if (w.form) {
            w.form->OpenTextFile(path);
        } else {
            w.setText(ReadTextFile(path));
        }
        Idle();
        QElapsedTimer shown;
        shown.start();
        while (w.checker && w.checker->isBusy()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        underlined = double(shown.nsecsElapsed()) / 1e6;
        w.settle();
        cpu = ProcessCpuMs() - start;
        shows = paints.textMs;
        if (paints.underlineMs >= 0)
            firstLine = paints.underlineMs - paints.textMs;
    }
    state.counters["cpu_ms"] = cpu;
    state.counters["text_shows_ms"] = shows;
    state.counters["first_underline_ms"] = firstLine;
    state.counters["in_view_checked_ms"] = underlined;
    state.counters["VmRSS_MiB"] = double(ProcessStatusKiB("VmRSS")) / 1024;
    state.counters["VmHWM_MiB"] = double(ProcessStatusKiB("VmHWM")) / 1024;
    state.counters["heap_MiB"] = HeapMiB();
    // A screen further down, once its words are checked.
    SendKey(w.editor, Qt::Key_PageDown, QString());
    w.settle();
    state.counters["VmRSS_scrolled_MiB"] = double(ProcessStatusKiB("VmRSS")) / 1024;
    state.counters["heap_scrolled_MiB"] = HeapMiB();
}
BENCHMARK(BM_Open20MiB)
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
    SpellWindow w{On};
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
