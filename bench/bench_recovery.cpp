// A keystroke in a 10 MB text on the shown window, until the event loop is
// idle, with the recovery copy kept beside the same keystroke without it (the
// floor): keeping the copy must cost a keystroke no more than a timer restart.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <QTextCursor>
#include <memory>

#include "benchsupport.h"
#include "globals.h"
#include "main.h"
#include "memo.h"
#include "recovery.h"

namespace {

void BM_Keystroke10MB(benchmark::State& state, bool keepCopy)
{
    QTemporaryDir dir;
    SetProgramDirForTesting(dir.path());
    TfrmMain form;
    form.memoMain->setText(SampleText(10'000'000));
    std::unique_ptr<TRecovery> recovery;
    if (keepCopy)
        recovery = std::make_unique<TRecovery>(form.memoMain, dir.filePath(QStringLiteral("state")));
    form.show();
    form.memoMain->setFocus();
    QTextCursor cursor = form.memoMain->textCursor();
    cursor.setPosition(form.memoMain->document()->characterCount() / 2);
    form.memoMain->setTextCursor(cursor);
    Idle();

    for (auto _ : state) {
        SendKey(form.memoMain, Qt::Key_X, QStringLiteral("x"));
        Idle();
        state.PauseTiming();
        SendKey(form.memoMain, Qt::Key_Backspace, QString());  // the line keeps its length
        Idle();
        state.ResumeTiming();
    }
    state.counters["count"] = double(form.memoMain->charCount());
}
BENCHMARK_CAPTURE(BM_Keystroke10MB, floor_without_copy, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Keystroke10MB, with_copy, true)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    return BenchMain(argc, argv);
}
