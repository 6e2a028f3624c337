// What a user feels in the main window: a keystroke's count update on small
// and very large texts, opening a 20 MB file, pasting 1 MB; and peak memory.
#include <benchmark/benchmark.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextCursor>

#include "framework/Application.h"
#include "framework/FileDialogs.h"
#include "framework/LabelButton.h"
#include "globals.h"
#include "main.h"
#include "memo.h"

namespace {

QString SampleText(qsizetype size)
{
    // Lines of about 70 characters, like written prose.
    const QString line = QStringLiteral("Lieber Gästebuchschreiber, hier steht ein Satz mit Umlauten äöü und mehr.\n");
    QString text;
    text.reserve(size + line.size());
    while (text.size() < size)
        text += line;
    text.truncate(size);
    return text;
}

struct Fixture {
    QTemporaryDir dir;
    TfrmMain form;
    Fixture() { SetProgramDirForTesting(dir.path()); }
};

void BM_KeystrokeCountUpdate(benchmark::State& state)
{
    Fixture f;
    f.form.memoMain->setText(SampleText(state.range(0)));
    // Typing into the middle of the text, in a line of ordinary length.
    QTextCursor cursor(f.form.memoMain->document());
    cursor.setPosition(int(f.form.memoMain->document()->characterCount() / 2));
    for (auto _ : state) {
        // One typed character: the document changes and the window recounts.
        cursor.insertText(QStringLiteral("x"));
        benchmark::DoNotOptimize(f.form.lblCharCount->text());
        state.PauseTiming();
        cursor.deletePreviousChar();  // keeps the line at its length
        state.ResumeTiming();
    }
    state.counters["count"] = double(f.form.memoMain->charCount());
}
BENCHMARK(BM_KeystrokeCountUpdate)->Arg(10'000)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMicrosecond);

void BM_Open20MB(benchmark::State& state)
{
    Fixture f;
    const QString path = f.dir.filePath(QStringLiteral("big.txt"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        QString text = SampleText(20'000'000);
        text.replace(u'\n', QStringLiteral("\r\n"));
        file.write(text.toUtf8());
    }
    for (auto _ : state) {
        FileDialogs::QueueAnswerForTesting(path);
        f.form.lblFileOpenClick();
        benchmark::DoNotOptimize(f.form.lblCharCount->text());
    }
    state.counters["count"] = double(f.form.memoMain->charCount());
}
BENCHMARK(BM_Open20MB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Paste1MB(benchmark::State& state)
{
    Fixture f;
    QApplication::clipboard()->setText(SampleText(1'000'000));
    for (auto _ : state) {
        state.PauseTiming();
        f.form.memoMain->clear();
        state.ResumeTiming();
        f.form.lblClipPasteClick();
    }
    state.counters["count"] = double(f.form.memoMain->charCount());
}
BENCHMARK(BM_Paste1MB)->Unit(benchmark::kMillisecond)->Iterations(5);

long PeakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    if (argc > 1 && QByteArray(argv[1]) == "--memory") {
        // Peak memory of the window after opening a 20 MB file, over the empty window's.
        Fixture f;
        const QString path = f.dir.filePath(QStringLiteral("big.txt"));
        {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            for (int i = 0; i < 20; ++i)
                file.write(SampleText(1'000'000).replace(u'\n', QStringLiteral("\r\n")).toUtf8().left(1'000'000));
        }
        f.form.show();
        QCoreApplication::processEvents();
        const long before = PeakKiB();
        FileDialogs::QueueAnswerForTesting(path);
        f.form.lblFileOpenClick();
        QCoreApplication::processEvents();
        const long after = PeakKiB();
        std::printf(
            "empty window peak %ld KiB; after opening a %lld-byte file %ld KiB: +%ld KiB = %.2f x the file's size\n",
            before, (long long)QFileInfo(path).size(), after, after - before,
            (after - before) * 1024.0 / double(QFileInfo(path).size()));
        return 0;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
