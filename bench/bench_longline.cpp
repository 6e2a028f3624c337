// A keystroke in one line of n units, on the shown main window until the event
// loop is idle, beside a bare QPlainTextEdit of the text area's size and font
// holding the same line whole: where does holding a line whole stop paying,
// and does any length cost more than twice an ordinary line?
// Arguments: the line's length, and 1 for prose with blanks, 0 for a run
// without any (Qt's worst case for wrapping).
#include <benchmark/benchmark.h>

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <memory>

#include "benchsupport.h"
#include "globals.h"
#include "linesplit.h"
#include "main.h"
#include "memo.h"

namespace {

QString Line(qsizetype size, bool blanks)
{
    return blanks ? Repeated(QStringLiteral("Lieber Gästebuchschreiber, hier steht ein Satz mit Umlauten äöü. "), size)
                  : Repeated(QStringLiteral("QmFzZTY0LWtvZGllcnRlciBJbmhhbHQsIGtlaW4gTGVlcnplaWNoZW4gd2VpdA"), size);
}

// Types a character in the middle of the line and deletes it again, each key
// one iteration, until the event loop is idle.
void TypeInTheMiddle(benchmark::State& state, QPlainTextEdit* editor)
{
    QTextCursor cursor(editor->document());
    cursor.setPosition((editor->document()->characterCount() - 1) / 2);
    editor->setTextCursor(cursor);
    editor->ensureCursorVisible();
    editor->setFocus();
    Idle();
    TypeAndDelete(state, editor);
    state.counters["blocks"] = double(editor->document()->blockCount());
}

void BM_KeystrokeInLine_Ours(benchmark::State& state)
{
    QTemporaryDir dir;
    SetProgramDirForTesting(dir.path());
    auto form = std::make_unique<TfrmMain>();
    form->show();
    form->activateWindow();
    form->memoMain->setText(Line(state.range(0), state.range(1) != 0));
    TypeInTheMiddle(state, form->memoMain);
    state.counters["threshold"] = double(LongLineLength);
}

void BM_KeystrokeInLine_Floor(benchmark::State& state)
{
    const auto edit = ShownFloorEditor();
    edit->setPlainText(Line(state.range(0), state.range(1) != 0));
    TypeInTheMiddle(state, edit.get());
}

// 74 units: an ordinary line, the yardstick.
#define LINE_LENGTHS ArgsProduct({{74, 256, 4096, 8192, 16000, 16500, 100000}, {0, 1}})
BENCHMARK(BM_KeystrokeInLine_Ours)->LINE_LENGTHS->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeInLine_Floor)->LINE_LENGTHS->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return BenchMain(argc, argv);
}
