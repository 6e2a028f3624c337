#include "ProUrlOpen.h"

#include <QBitmap>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>

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
    QBitmap image(32, 32);
    QBitmap mask(32, 32);
    image.fill(Qt::color0);
    mask.fill(Qt::color0);
    {
        QPainter imagePainter(&image);
        QPainter maskPainter(&mask);
        imagePainter.setPen(Qt::color1);
        maskPainter.setPen(Qt::color1);
        int y = 0;
        for (const char* row : HandPoint) {
            for (int x = 0; row[x] != '\0' && x < 32; ++x) {
                if (row[x] == '#')
                    imagePainter.drawPoint(x, y);
                if (row[x] != ' ')
                    maskPainter.drawPoint(x, y);
            }
            ++y;
        }
    }
    return QCursor(image, mask, 6, 0);
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
        return;
    // The link is one argument of its own: no shell ever parses it.
    QProcess::startDetached(program, QStringList{link});
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
