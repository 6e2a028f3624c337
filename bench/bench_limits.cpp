// The room under the limits on a 10 MB text: a keystroke with the info line
// and the marks on, beside the same window without them and a bare text
// area (the floor); and a select-all, whose selection count must be instant.
// The same keystroke and counts with the limits counting bytes and visible
// characters, beside both counting as the browser sends.
#include <benchmark/benchmark.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>

#include "benchsupport.h"
#include "counting/countrule.h"
#include "counting/infoline.h"
#include "counting/limitview.h"
#include "counting/rulecount.h"
#include "storage/globals.h"
#include "text/memo.h"
#include "windows/main.h"

namespace {

constexpr qsizetype kSize = 10'000'000;

enum Mode { Floor, Off, On, OnNoMarks };

// A shown window holding 10 MB, the caret in the middle of the text.
struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<TfrmMain> form;
    std::unique_ptr<QPlainTextEdit> bare;
    QPlainTextEdit* memo = nullptr;

    explicit Fixture(Mode mode)
    {
        SetProgramDirForTesting(dir.path());
        if (mode == Floor) {
            // The text area's shape and font, as the window sets them.
            bare = std::make_unique<QPlainTextEdit>();
            bare->setFont(QFont(DefaultFontName, DefaultFontSize));
            bare->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            bare->resize(319, 215);
            bare->setPlainText(SampleText(kSize));
            bare->show();
            memo = bare.get();
        } else {
            form = std::make_unique<TfrmMain>();
            if (mode == Off) {
                // The window as it was before: no view, no line, no marks.
                TMemo* m = form->memoMain;
                delete m->findChild<TLimitView*>(QStringLiteral("limitView"));
                delete m->findChild<TInfoLine*>(QStringLiteral("infoLine"));
                m->setViewportMargins(0, 0, 0, 0);
                m->setContextMenuPolicy(Qt::DefaultContextMenu);
                m->viewport()->update();
            }
            form->memoMain->setText(SampleText(kSize));
            if (mode == OnNoMarks) {
                // Limits above the text: the line counts down, nothing is marked.
                Settings.GrenzeGB = Settings.GrenzeForum = 20'000'000;
                form->UpdateCharCount();
            }
            form->show();
            memo = form->memoMain;
        }
        memo->setFocus();
        QTextCursor cursor = memo->textCursor();
        cursor.setPosition(int(kSize / 2));
        memo->setTextCursor(cursor);
        Idle();
    }
};

void BM_Keystroke10MB(benchmark::State& state)
{
    Fixture f(Mode(state.range(0)));
    TypeTimedDeleteUntimed(state, f.memo);
    if (auto* view = f.memo->findChild<TLimitView*>(QStringLiteral("limitView")))
        state.counters["marks"] = double(view->marks().size());
}
BENCHMARK(BM_Keystroke10MB)
    ->ArgName("floor0_off1_on2_onfits3")
    ->Arg(Floor)
    ->Arg(Off)
    ->Arg(On)
    ->Arg(OnNoMarks)
    ->Unit(benchmark::kMicrosecond);

// Select-all, timed up to the info line's text (when there is a line);
// the selection is cleared again untimed.
void SelectAllTimed(benchmark::State& state, QPlainTextEdit* memo, TInfoLine* line)
{
    for (auto _ : state) {
        memo->selectAll();
        if (line)
            benchmark::DoNotOptimize(line->text());
        state.PauseTiming();
        if (line)
            state.SetLabel(line->text().toStdString());
        QTextCursor cursor = memo->textCursor();
        cursor.clearSelection();
        memo->setTextCursor(cursor);
        Idle();
        state.ResumeTiming();
    }
}

// Select-all up to the selection count shown (painting comes after).
void BM_SelectAll10MB(benchmark::State& state)
{
    Fixture f(Mode(state.range(0)));
    SelectAllTimed(state, f.memo, f.form ? f.form->findChild<TInfoLine*>(QStringLiteral("infoLine")) : nullptr);
}
BENCHMARK(BM_SelectAll10MB)->ArgName("floor0_off1_on2")->Arg(Floor)->Arg(Off)->Arg(On)->Unit(benchmark::kMicrosecond);

// The selection count alone: the count of the range from the first to the last position.
void BM_SelectionCount10MB(benchmark::State& state)
{
    Fixture f(On);
    const TLimitMath& math = f.form->findChild<TLimitView*>(QStringLiteral("limitView"))->math();
    for (auto _ : state)
        benchmark::DoNotOptimize(math.count(0, math.endPosition()));
}
BENCHMARK(BM_SelectionCount10MB)->Unit(benchmark::kMicrosecond);

// Where the guest-book limit falls: a search over the blocks.
void BM_LimitPosition10MB(benchmark::State& state)
{
    Fixture f(On);
    const TLimitMath& math = f.form->findChild<TLimitView*>(QStringLiteral("limitView"))->math();
    for (auto _ : state)
        benchmark::DoNotOptimize(math.limitPosition(DefaultGrenzeGB));
}
BENCHMARK(BM_LimitPosition10MB)->Unit(benchmark::kMicrosecond);

// Both limits on the given rules (1: as today), the caret in the middle of
// the text, past both limits, or at its start, where each keystroke moves
// where the limits fall.
void BM_KeystrokeRules10MB(benchmark::State& state)
{
    Fixture f(On);
    Settings.ZaehlweiseGB = std::int32_t(state.range(0));
    Settings.ZaehlweiseForum = std::int32_t(state.range(1));
    f.form->UpdateCharCount();
    if (state.range(2)) {
        QTextCursor cursor = f.memo->textCursor();
        cursor.setPosition(0);
        f.memo->setTextCursor(cursor);
    }
    Idle();
    TypeTimedDeleteUntimed(state, f.memo);
    state.SetLabel(f.form->findChild<TInfoLine*>(QStringLiteral("infoLine"))->text().toStdString());
}
BENCHMARK(BM_KeystrokeRules10MB)
    ->ArgNames({"gb", "forum", "atStart"})
    ->Args({1, 1, 0})
    ->Args({4, 5, 0})
    ->Args({1, 1, 1})
    ->Args({4, 5, 1})
    ->Unit(benchmark::kMicrosecond);

// Select-all until the info line shows, both limits on the given rules.
void BM_SelectAllRules10MB(benchmark::State& state)
{
    Fixture f(On);
    Settings.ZaehlweiseGB = std::int32_t(state.range(0));
    Settings.ZaehlweiseForum = std::int32_t(state.range(1));
    f.form->UpdateCharCount();
    Idle();
    SelectAllTimed(state, f.memo, f.form->findChild<TInfoLine*>(QStringLiteral("infoLine")));
}
BENCHMARK(BM_SelectAllRules10MB)->ArgNames({"gb", "forum"})->Args({1, 1})->Args({4, 5})->Unit(benchmark::kMicrosecond);

// The selection's count under one rule, as its tooltip shows it: a selection
// from just after the start to just before the end, of a counted text.
void BM_RuleSelectionCount10MB(benchmark::State& state)
{
    Fixture f(On);
    const TLimitMath& math = f.form->findChild<TLimitView*>(QStringLiteral("limitView"))->math();
    const TRuleCount counter(&f.form->memoMain->pieces(), math, TCountRule(state.range(0)));
    benchmark::DoNotOptimize(counter.count());
    const int end = math.endPosition();
    for (auto _ : state)
        benchmark::DoNotOptimize(counter.count(37, end - 37));
}
BENCHMARK(BM_RuleSelectionCount10MB)->ArgName("rule")->DenseRange(1, 5)->Unit(benchmark::kMicrosecond);

// The first count of a 10 MB text under one rule: what opening a file adds.
void BM_RuleFirstCount10MB(benchmark::State& state)
{
    Fixture f(On);
    const TLimitMath& math = f.form->findChild<TLimitView*>(QStringLiteral("limitView"))->math();
    for (auto _ : state) {
        const TRuleCount counter(&f.form->memoMain->pieces(), math, TCountRule(state.range(0)));
        benchmark::DoNotOptimize(counter.count());
    }
}
BENCHMARK(BM_RuleFirstCount10MB)->ArgName("rule")->DenseRange(2, 5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return BenchMain(argc, argv);
}
