// Opening a 20 MiB text file as the user does it ("öffnen", a file chosen),
// beside the floor: a bare QPlainTextEdit of the same shape that reads the
// same file with QFile, QString::fromUtf8 and setPlainText. Each opening runs in a fresh process,
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
#include <algorithm>
#include <cstdio>
#include <vector>

#include "benchsupport.h"
#include "framework/Application.h"
#include "framework/FileDialogs.h"
#include "framework/LabelButton.h"
#include "storage/globals.h"
#include "text/memo.h"
#include "windows/main.h"

namespace {

constexpr qsizetype FileBytes = 20 * 1024 * 1024;

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Prose with umlauts, CR LF line ends, as written text comes.
QString MakeFile(const QTemporaryDir& dir)
{
    return WriteFile(dir, QStringLiteral("big.txt"), SampleText(FileBytes), FileBytes);
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
    if (who == QLatin1String("ours45")) {
        // Both limits counting otherwise: bytes and visible characters.
        QFile ini(settingsDir.filePath(QStringLiteral("vexloed.ini")));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Zaehlweise]\r\nGB=4\r\nForum=5\r\n");
        ini.close();
    }
    if (who.startsWith(QLatin1String("ours"))) {
        TfrmMain form;
        form.show();
        Idle();
        before = ProcessStatusKiB("VmRSS");
        const double start = CpuSeconds();
        FileDialogs::QueueAnswerForTesting(fileName);
        Click(form.lblFileOpen);
        Idle();
        cpu = CpuSeconds() - start;
        after = ProcessStatusKiB("VmRSS");
        count = form.memoMain->charCount();
    } else {
        // Shaped like the main window's text area: the scroll bar policy alone
        // changes how much of a large document Qt lays out.
        QPlainTextEdit edit;
        edit.resize(319, 215);
        edit.setFrameShape(QFrame::NoFrame);
        edit.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        edit.show();
        Idle();
        before = ProcessStatusKiB("VmRSS");
        const double start = CpuSeconds();
        QFile file(fileName);
        file.open(QIODevice::ReadOnly);
        edit.setPlainText(QString::fromUtf8(file.readAll()));
        file.close();
        Idle();
        cpu = CpuSeconds() - start;
        after = ProcessStatusKiB("VmRSS");
        count = edit.document()->characterCount();
    }
    std::printf("%.6f %ld %ld %lld\n", cpu, after, before, (long long)count);
    return 0;
}

struct Opening {
    double cpu = 0;       // seconds
    double resident = 0;  // MiB after the opening
    double growth = 0;    // MiB the opening added
};

QString g_self;
QString g_file;
std::vector<Opening> g_ours;
std::vector<Opening> g_floor;
std::vector<Opening> g_rules;  // ours with the limits on bytes and visible characters
std::vector<Opening> g_rule1;  // ours, both limits as the browser sends, its pair

bool OpenInChild(const QString& who, Opening& opening)
{
    QProcess child;
    child.start(g_self, {QStringLiteral("--open-once"), who, g_file});
    child.waitForFinished(-1);
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 4)
        return false;
    opening.cpu = fields[0].toDouble();
    opening.resident = fields[1].toDouble() / 1024;
    opening.growth = (fields[1].toDouble() - fields[2].toDouble()) / 1024;
    return true;
}

// Ours and the floor by turns, each in a fresh process, so that a busy
// machine weighs on both alike. The time shown is ours; the floor's and the
// ratios are counters.
void BM_Open20MiB(benchmark::State& state)
{
    for (auto _ : state) {
        Opening ours;
        Opening floor;
        const bool oursFirst = g_ours.size() % 2 == 0;
        if (!OpenInChild(oursFirst ? "ours" : "floor", oursFirst ? ours : floor) ||
            !OpenInChild(oursFirst ? "floor" : "ours", oursFirst ? floor : ours)) {
            state.SkipWithError("a child did not report");
            return;
        }
        state.SetIterationTime(ours.cpu);
        g_ours.push_back(ours);
        g_floor.push_back(floor);
    }
}
BENCHMARK(BM_Open20MiB)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// Ours with both limits counting bytes and visible characters against ours
// with both as the browser sends, by turns in fresh processes.
void BM_Open20MiBCountRules(benchmark::State& state)
{
    for (auto _ : state) {
        Opening rules;
        Opening rule1;
        const bool rulesFirst = g_rules.size() % 2 == 0;
        if (!OpenInChild(rulesFirst ? "ours45" : "ours", rulesFirst ? rules : rule1) ||
            !OpenInChild(rulesFirst ? "ours" : "ours45", rulesFirst ? rule1 : rules)) {
            state.SkipWithError("a child did not report");
            return;
        }
        state.SetIterationTime(rules.cpu);
        g_rules.push_back(rules);
        g_rule1.push_back(rule1);
    }
}
BENCHMARK(BM_Open20MiBCountRules)->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Median over the runs of ours, the floor, and the ratio of each pair.
void Report(const char* what, const char* unit, double scale, double Opening::*field,
            const std::vector<Opening>& oursRuns = g_ours, const std::vector<Opening>& floorRuns = g_floor,
            const char* floorName = "floor")
{
    std::vector<double> ours, floor, ratio;
    for (size_t i = 0; i < oursRuns.size(); ++i) {
        ours.push_back(oursRuns[i].*field * scale);
        floor.push_back(floorRuns[i].*field * scale);
        ratio.push_back(oursRuns[i].*field / floorRuns[i].*field);
    }
    std::printf("%-24s ours %7.1f %s, %s %7.1f %s, ratio %.3f (median of %zu pairs)\n", what, Median(ours), unit,
                floorName, Median(floor), unit, Median(ratio), ratio.size());
}

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
    if (!g_ours.empty()) {
        Report("CPU time to open:", "ms ", 1000, &Opening::cpu);
        Report("resident after open:", "MiB", 1, &Opening::resident);
        Report("growth by the opening:", "MiB", 1, &Opening::growth);
    }
    if (!g_rules.empty()) {
        Report("CPU, bytes + visible:", "ms ", 1000, &Opening::cpu, g_rules, g_rule1, "rule 1");
        Report("resident, bytes + visible:", "MiB", 1, &Opening::resident, g_rules, g_rule1, "rule 1");
    }
    return 0;
}
