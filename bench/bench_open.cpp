// Opening a 20 MiB text file as the user does it ("öffnen", a file chosen),
// beside the floor: a bare QPlainTextEdit that reads the same file with QFile,
// QString::fromUtf8 and setPlainText. Each opening runs in a fresh process,
// which reports the CPU time of the opening (until the event loop is idle)
// and the memory resident afterwards.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "framework/Application.h"
#include "framework/FileDialogs.h"
#include "framework/LabelButton.h"
#include "globals.h"
#include "main.h"
#include "memo.h"

namespace {

constexpr qsizetype FileBytes = 20 * 1024 * 1024;

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

void UntilIdle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Prose with umlauts, CR LF line ends, as written text comes.
QString MakeFile(const QTemporaryDir& dir)
{
    const QByteArray line(
        "Lieber G\xC3\xA4stebuchschreiber, hier steht ein Satz mit Umlauten \xC3\xA4\xC3\xB6\xC3\xBC und mehr.\r\n");
    QByteArray bytes;
    bytes.reserve(FileBytes + line.size());
    while (bytes.size() < FileBytes)
        bytes += line;
    bytes.truncate(FileBytes);
    const QString name = dir.filePath(QStringLiteral("big.txt"));
    QFile file(name);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return name;
}

void Click(QWidget* widget)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

// One opening in this process; prints "cpu-seconds resident-KiB-after resident-KiB-before".
int OpenOnce(const QString& who, const QString& fileName, int argc, char** argv)
{
    TApplication app(argc, argv);
    QTemporaryDir settingsDir;
    SetProgramDirForTesting(settingsDir.path());
    double cpu = 0;
    long before = 0;
    long after = 0;
    qsizetype count = 0;
    if (who == QLatin1String("ours")) {
        TfrmMain form;
        form.show();
        UntilIdle();
        before = ResidentKiB();
        const double start = CpuSeconds();
        FileDialogs::QueueAnswerForTesting(fileName);
        Click(form.lblFileOpen);
        UntilIdle();
        cpu = CpuSeconds() - start;
        after = ResidentKiB();
        count = form.memoMain->charCount();
    } else {
        QPlainTextEdit edit;
        edit.resize(319, 215);
        edit.show();
        UntilIdle();
        before = ResidentKiB();
        const double start = CpuSeconds();
        QFile file(fileName);
        file.open(QIODevice::ReadOnly);
        edit.setPlainText(QString::fromUtf8(file.readAll()));
        file.close();
        UntilIdle();
        cpu = CpuSeconds() - start;
        after = ResidentKiB();
        count = edit.document()->characterCount();
    }
    std::printf("%.6f %ld %ld %lld\n", cpu, after, before, (long long)count);
    return 0;
}

struct Totals {
    double cpu = 0;
    double resident = 0;
    double growth = 0;
    int runs = 0;
};
Totals g_totals[2];  // ours, floor
QString g_self;
QString g_file;

void BM_Open20MiB(benchmark::State& state)
{
    const bool ours = state.range(0) == 0;
    state.SetLabel(ours ? "ours" : "floor (bare QPlainTextEdit)");
    Totals& totals = g_totals[ours ? 0 : 1];
    for (auto _ : state) {
        QProcess child;
        child.start(g_self,
                    {QStringLiteral("--open-once"), ours ? QStringLiteral("ours") : QStringLiteral("floor"), g_file});
        child.waitForFinished(-1);
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 4) {
            state.SkipWithError("the child did not report");
            return;
        }
        const double cpu = fields[0].toDouble();
        state.SetIterationTime(cpu);
        totals.cpu += cpu;
        totals.resident += fields[1].toDouble() / 1024;
        totals.growth += (fields[1].toDouble() - fields[2].toDouble()) / 1024;
        ++totals.runs;
    }
    state.counters["resident_MiB"] = totals.resident / totals.runs;
    state.counters["growth_MiB"] = totals.growth / totals.runs;
}
BENCHMARK(BM_Open20MiB)->Arg(0)->Arg(1)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && QByteArray(argv[1]) == "--open-once") {
        int childArgc = 1;
        return OpenOnce(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), childArgc, argv);
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_self = QCoreApplication::applicationFilePath();
    g_file = MakeFile(dir);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const Totals& ours = g_totals[0];
    const Totals& floor = g_totals[1];
    if (ours.runs > 0 && floor.runs > 0) {
        std::printf("CPU time to open:      ours %.1f ms, floor %.1f ms, ratio %.3f\n", 1000 * ours.cpu / ours.runs,
                    1000 * floor.cpu / floor.runs, (ours.cpu / ours.runs) / (floor.cpu / floor.runs));
        std::printf("resident after open:   ours %.1f MiB, floor %.1f MiB, ratio %.3f\n", ours.resident / ours.runs,
                    floor.resident / floor.runs, (ours.resident / ours.runs) / (floor.resident / floor.runs));
        std::printf("growth by the opening: ours %.1f MiB, floor %.1f MiB, ratio %.3f\n", ours.growth / ours.runs,
                    floor.growth / floor.runs, (ours.growth / ours.runs) / (floor.growth / floor.runs));
    }
    return 0;
}
