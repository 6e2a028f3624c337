// A keystroke in one line of n units, on the shown main window until the event
// loop is idle, beside a bare QPlainTextEdit of the text area's size and font
// holding the same line whole: where does holding a line whole stop paying,
// and does any length cost more than twice an ordinary line?
// Arguments: the line's length; 1 for prose with blanks, 0 for a run without
// any (Qt's worst case for wrapping); and how the main window holds it: 0 as
// it ships, 1 whole whatever its length, 2 in pieces whenever it is longer
// than a piece.
#include <benchmark/benchmark.h>

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <limits>
#include <memory>
#include <vector>

#include "benchsupport.h"
#include "storage/globals.h"
#include "text/linesplit.h"
#include "text/memo.h"
#include "windows/main.h"

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
    if (state.range(2) == 1)
        form->memoMain->setLongLineLengthForTesting(std::numeric_limits<qsizetype>::max());
    else if (state.range(2) == 2)
        form->memoMain->setLongLineLengthForTesting(PieceLength);
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

// 80 units: an ordinary line, the yardstick. Either side of the threshold: one
// under it, as the typed key makes the line as long as the threshold itself.
const std::vector<int64_t> LineLengths{80,    300,   1000, LongLineLength - 1, LongLineLength + 1, 8000,
                                       16000, 16385, 50000};
BENCHMARK(BM_KeystrokeInLine_Ours)->ArgsProduct({LineLengths, {0, 1}, {0, 1, 2}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeInLine_Floor)->ArgsProduct({LineLengths, {0, 1}, {1}})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return BenchMain(argc, argv);
}
