#include "windows/ProUrlOpen.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "framework/Application.h"
#include "framework/VexloError.h"

namespace {

QString& OpenerProgram()
{
    static QString program;
    return program;
}

std::function<void(const QString&)>& OpenerOverride()
{
    static std::function<void(const QString&)> opener;
    return opener;
}

// The pointing hand, 32 x 32: '#' black outline, '.' white, blank clear.
// The tip of the index finger, at (6, 0), is the hot spot.
const char* const HandPoint[] = {
    "      ##",           "     #..#",          "     #..#",          "     #..#",          "     #..#",
    "     #..###",        "     #..#..###",     "     #..#..#..###",  "     #..#..#..#..#", "  ## #..#..#..#..#",
    " #..##..#..#..#..#", " #...#...........#", "  #..#...........#", "   #.............#", "   #.............#",
    "    #............#", "    #...........#",  "     #..........#",  "     #.........#",   "     #.........#",
    "     ###########",
};

QCursor MakeHandPoint()
{
    // One bit a pixel, lowest bit leftmost, as QBitmap::fromData takes it.
    uchar image[32 * 4] = {}, mask[32 * 4] = {};
    int y = 0;
    for (const char* row : HandPoint) {
        for (int x = 0; row[x] != '\0' && x < 32; ++x) {
            const uchar bit = uchar(1U << (x % 8));
            if (row[x] == '#')
                image[y * 4 + x / 8] |= bit;
            if (row[x] != ' ')
                mask[y * 4 + x / 8] |= bit;
        }
        ++y;
    }
    return QCursor(QBitmap::fromData(QSize(32, 32), image, QImage::Format_MonoLSB),
                   QBitmap::fromData(QSize(32, 32), mask, QImage::Format_MonoLSB), 6, 0);
}

// The opener's status when no program is set up for the kind of link.
constexpr int OpenerNoProgramStatus = 3;

// The message when nothing can open text; opener names a missing opener.
QString NoProgramFor(const QString& text, const QString& opener)
{
    QString message = QStringLiteral("Für „%1“ ist kein Programm eingerichtet").arg(text);
    if (!opener.isEmpty())
        message += QStringLiteral(": %1 fehlt").arg(opener);
    return message + u'.';
}

// The opener reads a leading "-" as one of its options and knows no "--"
// to end them. No address or mail link begins so; such a text is what the
// opener makes of any text without a scheme, a file name, and "./" keeps it one.
QString OpenerArgument(const QString& link)
{
    return link.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + link : link;
}

}  // namespace

void OpenLink(const QString& text)
{
    if (text.isEmpty())
        return;
    const QString link = OpenerArgument(text);
    if (OpenerOverride()) {
        OpenerOverride()(link);
        return;
    }
    const QString name = OpenerProgram().isEmpty() ? QStringLiteral("xdg-open") : OpenerProgram();
    const QString program = name.contains(QLatin1Char('/')) ? name : QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        throw VexloError(NoProgramFor(text, QFileInfo(name).fileName()));
    // The link is one argument of its own: no shell ever parses it. The opener
    // may run as long as the program it starts, so its end is awaited without
    // blocking; an opener still running when Vexlo-Ed ends is left alone.
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(program);
    process->setArguments({link});
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::finished, process, [process, text](int exitCode, QProcess::ExitStatus status) {
        process->deleteLater();
        const QString opener = QFileInfo(process->program()).fileName();
        TApplication::Guard([&] {
            if (status == QProcess::CrashExit)
                throw VexloError(
                    QStringLiteral("„%1“ kann nicht geöffnet werden: %2 wurde abgebrochen.").arg(text, opener));
            if (exitCode == OpenerNoProgramStatus)
                throw VexloError(NoProgramFor(text, QString()));
            if (exitCode != 0)
                throw VexloError(QStringLiteral("„%1“ kann nicht geöffnet werden: %2 endete mit Status %3.")
                                     .arg(text, opener)
                                     .arg(exitCode));
        });
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, text](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;  // the end is reported by finished
        process->deleteLater();
        const QString opener = QFileInfo(process->program()).fileName();
        TApplication::Guard([&] { throw VexloError(NoProgramFor(text, opener)); });
    });
    process->start();
}

void SetLinkOpenerProgram(const QString& program)
{
    OpenerProgram() = program;
}

void SetLinkOpenerForTesting(std::function<void(const QString& link)> opener)
{
    OpenerOverride() = std::move(opener);
}

void RegisterLinkCursors()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    SetScreenCursor(crProHandPoint, MakeHandPoint());
    SetScreenCursor(crProSmallHandPoint, QCursor(Qt::PointingHandCursor));
    SetScreenCursor(crProGrabHand, QCursor(Qt::OpenHandCursor));
    SetScreenCursor(crProGrabHandArrow, QCursor(Qt::OpenHandCursor));
    SetScreenCursor(crProDragHand, QCursor(Qt::ClosedHandCursor));
}
