// What a user feels in the main window: a key event sent to the shown window,
// timed until the event loop is idle (layout and repaint included), beside the
// same on a bare QPlainTextEdit with the same text and font; opening files,
// pasting 1 MB; and peak memory.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QThread>
#include <limits>

#include "benchsupport.h"
#include "framework/FileDialogs.h"
#include "framework/LabelButton.h"
#include "spelling/spellview.h"
#include "storage/globals.h"
#include "text/memo.h"
#include "windows/main.h"

namespace {

// One line without a blank, like minified code or base64.
QString SingleLineText(qsizetype size)
{
    return Repeated(QStringLiteral("QmFzZTY0LWtvZGllcnRlciBJbmhhbHQsIGtlaW4gTGVlcnplaWNoZW4gd2VpdCB1bmQgYnJlaXQ="),
                    size);
}

// Counts paint events, to show that the timed part did repaint.
class PaintCounter : public QObject {
public:
    long paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The main window, shown, with the text area focused.
struct OurStage {
    QTemporaryDir dir;
    TfrmMain* form;
    OurStage()
    {
        SetProgramDirForTesting(dir.path());
        form = new TfrmMain;
        form->show();
        form->activateWindow();
        editor()->setFocus();
        // Measured once the dictionary is ready, as the user types after the
        // start, not while it loads.
        checker()->startLoading();
        while (checker()->state() == TSpellChecker::State::Loading) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        Idle();
    }
    ~OurStage() { delete form; }
    TSpellChecker* checker() const
    {
        return form->memoMain->findChild<TSpellView*>(QStringLiteral("spellView"))->checker();
    }
    // Until the text in view is checked.
    void settle()
    {
        Idle();
        while (checker()->isBusy()) {
            QCoreApplication::processEvents();
            QThread::msleep(1);
        }
        Idle();
    }
    QPlainTextEdit* editor() const { return form->memoMain; }
    void setText(const QString& text) { form->memoMain->setText(text); }
    // Holds every line whole, however long, to measure where pieces start to pay.
    void holdLinesWhole() { form->memoMain->setLongLineLengthForTesting(std::numeric_limits<qsizetype>::max()); }
};

// The floor: a bare QPlainTextEdit of the text area's size and font.
struct FloorStage {
    QPlainTextEdit* edit;
    FloorStage()
    {
        edit = ShownFloorEditor().release();
        edit->setFocus();
        Idle();
    }
    ~FloorStage() { delete edit; }
    QPlainTextEdit* editor() const { return edit; }
    void setText(const QString& text) { edit->setPlainText(text); }
    void holdLinesWhole() {}
    void settle() { Idle(); }
};

// Typing and deleting with the caret in an empty line of its own in the
// middle of the text, so the deletion never shrinks the widest line (which would make Qt
// rescan every line, a cost typing in ordinary text does not pay).
template <class Stage>
void Keystroke(benchmark::State& state, const QString& text, bool ownLine)
{
    Stage stage;
    QPlainTextEdit* editor = stage.editor();
    stage.setText(text);
    QTextCursor cursor(editor->document());
    cursor.setPosition(int(editor->document()->characterCount() / 2));
    if (ownLine) {
        cursor.movePosition(QTextCursor::StartOfBlock);
        cursor.insertBlock();
        cursor.movePosition(QTextCursor::PreviousBlock);
    }
    editor->setTextCursor(cursor);
    editor->ensureCursorVisible();
    stage.settle();
    PaintCounter counter;
    editor->viewport()->installEventFilter(&counter);
    TypeAndDelete(state, editor);
    editor->viewport()->removeEventFilter(&counter);
    state.counters["paints/key"] =
        double(counter.paints) / double(std::max<benchmark::IterationCount>(1, state.iterations()));
    state.counters["chars"] = double(editor->document()->characterCount());
}

void BM_Keystroke_Ours(benchmark::State& state)
{
    Keystroke<OurStage>(state, SampleText(state.range(0)), true);
}
void BM_Keystroke_Floor(benchmark::State& state)
{
    Keystroke<FloorStage>(state, SampleText(state.range(0)), true);
}
BENCHMARK(BM_Keystroke_Ours)->Arg(10'000)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Keystroke_Floor)->Arg(10'000)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);

// A keystroke in the middle of a 10 MiB text: one long line without blanks,
// against ordinary prose of the same size. Both in the main window.
constexpr qsizetype TenMiB = 10 * 1024 * 1024;
void BM_KeystrokeSingleLine10MiB(benchmark::State& state)
{
    Keystroke<OurStage>(state, SingleLineText(TenMiB), false);
}
void BM_KeystrokeOrdinary10MiB(benchmark::State& state)
{
    Keystroke<OurStage>(state, SampleText(TenMiB), false);
}
BENCHMARK(BM_KeystrokeSingleLine10MiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeOrdinary10MiB)->Unit(benchmark::kMicrosecond);

// One paragraph of n characters: prose with blanks, or one run without any
// (Qt's worst case for wrapping). Held whole, not in pieces.
QString Paragraph(qsizetype size, bool blanks)
{
    return blanks ? Repeated(QStringLiteral("Lieber Gästebuchschreiber, hier steht ein Satz mit Umlauten äöü. "), size)
                  : SingleLineText(size);
}

// A keystroke (typing, then deleting) at the end or in the middle of one
// paragraph of range(0) characters, range(1) != 0 with blanks, range(2) != 0
// at its end.
template <class Stage>
void KeystrokeInParagraph(benchmark::State& state)
{
    Stage stage;
    stage.holdLinesWhole();
    QPlainTextEdit* editor = stage.editor();
    stage.setText(Paragraph(state.range(0), state.range(1) != 0));
    QTextCursor cursor(editor->document());
    const int end = editor->document()->characterCount() - 1;
    cursor.setPosition(state.range(2) != 0 ? end : end / 2);
    editor->setTextCursor(cursor);
    editor->ensureCursorVisible();
    Idle();
    TypeAndDelete(state, editor);
    state.counters["blocks"] = double(editor->document()->blockCount());
}
void BM_KeystrokeParagraph_Ours(benchmark::State& state)
{
    KeystrokeInParagraph<OurStage>(state);
}
void BM_KeystrokeParagraph_Floor(benchmark::State& state)
{
    KeystrokeInParagraph<FloorStage>(state);
}
BENCHMARK(BM_KeystrokeParagraph_Ours)
    ->ArgsProduct({{4096, 8192, 12288, 16384, 32768}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokeParagraph_Floor)
    ->ArgsProduct({{4096, 8192, 12288, 16384, 32768}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// Ctrl+Right from the start of the text, then Ctrl+Left back, in alternation:
// in a line of letters only the caret crosses one word of 10 MiB each time.
void WordMove(benchmark::State& state, const QString& text)
{
    OurStage stage;
    QPlainTextEdit* editor = stage.editor();
    stage.setText(text);
    editor->moveCursor(QTextCursor::Start);
    Idle();
    bool right = true;
    int farthest = 0;
    for (auto _ : state) {
        SendKey(editor, right ? Qt::Key_Right : Qt::Key_Left, QString(), Qt::ControlModifier);
        Idle();
        right = !right;
        farthest = std::max(farthest, editor->textCursor().position());
    }
    state.counters["farthest"] = double(farthest);
}
void BM_WordMoveOneWord10MiB(benchmark::State& state)
{
    WordMove(state, Repeated(QStringLiteral("abcdefghijklmnopqrstuvwxyz"), TenMiB));
}
void BM_WordMoveOrdinary10MiB(benchmark::State& state)
{
    WordMove(state, SampleText(TenMiB));
}
// The yardstick for the line above: ordinary lines of 80 letters without a
// blank, 10 MiB of them; each move crosses one line's word.
void BM_WordMoveOneWordLines10MiB(benchmark::State& state)
{
    WordMove(state, Repeated(Repeated(QStringLiteral("abcdefghijklmnopqrstuvwxyz"), 80) + u'\n', TenMiB));
}
BENCHMARK(BM_WordMoveOneWord10MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordMoveOneWordLines10MiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordMoveOrdinary10MiB)->Unit(benchmark::kMillisecond);

// "öffnen" on the shown main window until the text is shown.
void Open(benchmark::State& state, const QString& text, bool whole = false)
{
    OurStage stage;
    if (whole)
        stage.holdLinesWhole();
    const QString path = WriteFile(stage.dir, QStringLiteral("open.txt"), text);
    for (auto _ : state) {
        FileDialogs::QueueAnswerForTesting(path);
        stage.form->lblFileOpenClick();
        Idle();
        state.PauseTiming();
        stage.form->memoMain->clear();
        Idle();
        state.ResumeTiming();
    }
    FileDialogs::QueueAnswerForTesting(path);
    stage.form->lblFileOpenClick();
    state.counters["count"] = double(stage.form->memoMain->charCount());
}

void BM_Open20MB(benchmark::State& state)
{
    Open(state, SampleText(20'000'000));
}
BENCHMARK(BM_Open20MB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenSingleLine10MiB(benchmark::State& state)
{
    Open(state, SingleLineText(TenMiB));
}
void BM_OpenOrdinary10MiB(benchmark::State& state)
{
    Open(state, SampleText(TenMiB));
}
// Opening one paragraph of range(0) characters without a blank, held whole.
void BM_OpenParagraph(benchmark::State& state)
{
    Open(state, Paragraph(state.range(0), false), true);
}
BENCHMARK(BM_OpenParagraph)->Arg(16384)->Arg(32768)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK(BM_OpenSingleLine10MiB)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenOrdinary10MiB)->Unit(benchmark::kMillisecond)->Iterations(3);

// "einfügen" on the shown main window until the text is shown.
void Paste(benchmark::State& state, const QString& text)
{
    OurStage stage;
    QApplication::clipboard()->setText(text);
    for (auto _ : state) {
        state.PauseTiming();
        stage.form->memoMain->clear();
        Idle();
        state.ResumeTiming();
        stage.form->lblClipPasteClick();
        Idle();
    }
    state.counters["count"] = double(stage.form->memoMain->charCount());
}

void BM_Paste1MB(benchmark::State& state)
{
    Paste(state, SampleText(1'000'000));
}
void BM_PasteSingleLine1MB(benchmark::State& state)
{
    Paste(state, SingleLineText(1'000'000));
}
BENCHMARK(BM_Paste1MB)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PasteSingleLine1MB)->Unit(benchmark::kMillisecond)->Iterations(5);

// Peak memory of the window after opening a 20 MB file, over the empty window's.
int MeasureMemory()
{
    OurStage stage;
    const QString path = WriteFile(stage.dir, QStringLiteral("big.txt"), SampleText(20'000'000));
    const long before = ProcessStatusKiB("VmHWM");
    FileDialogs::QueueAnswerForTesting(path);
    stage.form->lblFileOpenClick();
    Idle();
    const long after = ProcessStatusKiB("VmHWM");
    std::printf(
        "empty window peak %ld KiB; after opening a %lld-byte file %ld KiB: +%ld KiB = %.2f x the file's size\n",
        before, (long long)QFileInfo(path).size(), after, after - before,
        (after - before) * 1024.0 / double(QFileInfo(path).size()));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    return BenchMain(argc, argv, "--memory", MeasureMemory);
}
