// A keystroke in a 10 MB text on the shown window, until the event loop is
// idle, with the recovery copy kept beside the same keystroke without it (the
// floor): keeping the copy must cost a keystroke no more than a timer restart.
#include <benchmark/benchmark.h>

#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextCursor>
#include <memory>

#include "framework/Application.h"
#include "globals.h"
#include "main.h"
#include "memo.h"
#include "recovery.h"

namespace {

void Key(QWidget* target, Qt::Key key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
    QCoreApplication::processEvents();
}

void BM_Keystroke10MB(benchmark::State& state, bool keepCopy)
{
    QTemporaryDir dir;
    SetProgramDirForTesting(dir.path());
    TfrmMain form;
    // Lines of about 70 characters, like written prose.
    const QString line = QStringLiteral("Lieber Gästebuchschreiber, hier steht ein Satz mit Umlauten äöü und mehr.\n");
    form.memoMain->setText(line.repeated(10'000'000 / line.size()));
    std::unique_ptr<TRecovery> recovery;
    if (keepCopy)
        recovery = std::make_unique<TRecovery>(form.memoMain, dir.filePath(QStringLiteral("state")));
    form.show();
    form.memoMain->setFocus();
    QTextCursor cursor = form.memoMain->textCursor();
    cursor.setPosition(form.memoMain->document()->characterCount() / 2);
    form.memoMain->setTextCursor(cursor);
    QCoreApplication::processEvents();

    for (auto _ : state) {
        Key(form.memoMain, Qt::Key_X, QStringLiteral("x"));
        state.PauseTiming();
        Key(form.memoMain, Qt::Key_Backspace, QString());  // the line keeps its length
        state.ResumeTiming();
    }
    state.counters["count"] = double(form.memoMain->charCount());
}
BENCHMARK_CAPTURE(BM_Keystroke10MB, floor_without_copy, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Keystroke10MB, with_copy, true)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
