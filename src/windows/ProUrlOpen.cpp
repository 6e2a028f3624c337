#include "windows/ProUrlOpen.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

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

// What the user can do about a link the desktop's opener could not open:
// set up a default program for its kind. Empty for a kind we cannot name.
QString MissingDefaultProgram(const QString& link)
{
    const QString scheme = QUrl(link.trimmed()).scheme();
    if (scheme == QLatin1String("mailto"))
        return QStringLiteral("Auf diesem Desktop ist kein E-Mail-Programm als Standard eingerichtet");
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        (scheme.isEmpty() && link.trimmed().startsWith(QLatin1String("www."), Qt::CaseInsensitive)))
        return QStringLiteral("Auf diesem Desktop ist kein Webbrowser als Standard eingerichtet");
    return QString();
}

// The message for an opener that ended with status; the technical cause
// stands in a second line under what to do.
QString OpenerFailed(const QString& text, const QString& opener, int status)
{
    const QString technical = QStringLiteral("%1 endete mit Status %2.").arg(opener).arg(status);
    const QString advice = MissingDefaultProgram(text);
    if (advice.isEmpty())
        return status == OpenerNoProgramStatus
                   ? NoProgramFor(text, QString())
                   : QStringLiteral("„%1“ kann nicht geöffnet werden: %2").arg(text, technical);
    return QStringLiteral("„%1“ kann nicht geöffnet werden: %2.\n%3").arg(text, advice, technical);
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
    // Hence no parent: a QProcess destroyed with the application would kill
    // the opener, and its end would then be reported with no window left.
    auto* process = new QProcess;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, process, [process] { process->disconnect(); });
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
            if (exitCode != 0)
                throw VexloError(OpenerFailed(text, opener, exitCode));
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
