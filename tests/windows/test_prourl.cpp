#include <QApplication>
#include <QBitmap>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QTest>
#include <QWindow>

#include "testsupport.h"
#include "windows/ProUrl.h"
#include "windows/ProUrlOpen.h"

namespace {

constexpr TColor Pink = 0xFF80FF;
constexpr TColor Olive = 0x008080;
constexpr TColor Teal = 0x808000;

struct MouseRecord {
    QString what;
    QObject* sender;
    Qt::MouseButton button;
};

void Enter(QWidget& widget)
{
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(&widget, &event);
}

void Leave(QWidget& widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

// A link label of 60 x 20 pixels.
void Setup(TProUrlLabel& label, const QString& url = QStringLiteral("http://example.org/"))
{
    label.setCaption(QStringLiteral("Karst"));
    label.setURL(url);
    label.setAutoSize(false);
    label.resize(60, 20);
}

// Writes a stand-in opener that records, per call, each argument in a file of
// its own and the argument count last.
QString WriteRecordingOpener(const QString& binDir, const QString& name, const QString& callsDir)
{
    QDir().mkpath(binDir);
    QDir().mkpath(callsDir);
    const QString path = binDir + '/' + name;
    WriteFileBytes(path, QStringLiteral("#!/bin/sh\n"
                                        "d=$(mktemp -d '%1/call.XXXXXX') || exit 1\n"
                                        "i=0\n"
                                        "for a in \"$@\"; do\n"
                                        "  i=$((i+1))\n"
                                        "  printf '%s' \"$a\" > \"$d/arg$i\"\n"
                                        "done\n"
                                        "printf '%s' \"$#\" > \"$d/count.tmp\"\n"
                                        "mv \"$d/count.tmp\" \"$d/count\"\n")
                             .arg(callsDir)
                             .toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QStringList FinishedCalls(const QString& callsDir)
{
    QStringList finished;
    for (const QString& call : QDir(callsDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (QFile::exists(callsDir + '/' + call + "/count"))
            finished << callsDir + '/' + call;
    return finished;
}

// Restores the recording opener and PATH when a test that starts real
// programs ends.
class RealOpener {
public:
    explicit RealOpener(const QString& binDir) : m_path(qgetenv("PATH"))
    {
        SetLinkOpenerForTesting({});
        qputenv("PATH", (binDir + ':').toUtf8() + m_path);
    }
    ~RealOpener()
    {
        qputenv("PATH", m_path);
        SetLinkOpenerProgram(QString());
    }

private:
    QByteArray m_path;
};

}  // namespace

class TestProUrl : public QObject {
    Q_OBJECT
private:
    QStringList opened;

    void RecordOpens()
    {
        SetLinkOpenerForTesting([this](const QString& link) { opened << link; });
    }

private slots:
    void init()
    {
        opened.clear();
        RecordOpens();
    }
    void cleanupTestCase() { SetLinkOpenerForTesting({}); }

    void newLabelLooksLikeALink()
    {
        TProUrlLabel label;
        QCOMPARE(label.FontColor(), clBlue);
        QVERIFY(label.font().underline());
        QVERIFY(!label.font().bold());
        QCOMPARE(label.UnvisitedColor(), clBlue);
        QCOMPARE(label.ActivatedColor(), clRed);
        QCOMPARE(label.VisitedColor(), clNavy);
        QCOMPARE(label.HoveredColor(), clWhite);
        QCOMPARE(label.Cursor(), crProHandPoint);
        // The registered hand: our own bitmap, hot spot at the finger tip.
        QCOMPARE(label.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(label.cursor().hotSpot(), QPoint(6, 0));
        const QImage mask = label.cursor().mask().toImage();
        const QImage image = label.cursor().bitmap().toImage();
        QCOMPARE(mask.size(), QSize(32, 32));
        QVERIFY(mask.pixelIndex(6, 0) != mask.pixelIndex(31, 31));  // tip opaque, corner clear
        QVERIFY(image.pixelIndex(6, 0) != image.pixelIndex(6, 5));  // black outline, white finger
    }

    void autoSizedLabelFitsItsCaption()
    {
        TProUrlLabel label;
        label.setCaption(QStringLiteral("e-mail an Karst"));
        const QFontMetrics metrics(label.font());
        QVERIFY(label.width() >= metrics.horizontalAdvance(label.Caption()));
        QVERIFY(label.width() <= metrics.horizontalAdvance(label.Caption()) + 1);
        QVERIFY(qAbs(label.height() - metrics.height()) <= 1);  // rounding of the text's box
    }

    // The lines x = width and y = height still count as on the label.
    void leftReleaseAt_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("opens");
        QTest::newRow("middle") << QPoint(30, 10) << true;
        QTest::newRow("right edge line") << QPoint(60, 10) << true;
        QTest::newRow("bottom edge line") << QPoint(30, 20) << true;
        QTest::newRow("corner") << QPoint(60, 20) << true;
        QTest::newRow("origin") << QPoint(0, 0) << true;
        QTest::newRow("past right") << QPoint(61, 10) << false;
        QTest::newRow("past bottom") << QPoint(30, 21) << false;
        QTest::newRow("left") << QPoint(-1, 10) << false;
        QTest::newRow("above") << QPoint(30, -1) << false;
    }
    void leftReleaseAt()
    {
        QFETCH(QPoint, at);
        QFETCH(bool, opens);
        TProUrlLabel label;
        Setup(label);
        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(30, 10));
        QVERIFY(label.Pressed());
        QCOMPARE(label.FontColor(), clRed);
        QVERIFY(opened.isEmpty());
        QTest::mouseRelease(&label, Qt::LeftButton, {}, at);
        QCOMPARE(opened, opens ? QStringList{"http://example.org/"} : QStringList{});
        QCOMPARE(label.Visited(), opens);
        QCOMPARE(label.FontColor(), opens ? clNavy : clBlue);
        QVERIFY(!label.Pressed());
    }

    void releaseOutsideReturnsToVisitedColour()
    {
        TProUrlLabel label;
        Setup(label);
        QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(100, 5));
        QCOMPARE(opened.size(), 1);
        QVERIFY(label.Visited());
        QCOMPARE(label.FontColor(), clNavy);
    }

    void pressElsewhereThenReleaseOverOpensNothing()
    {
        TProUrlLabel label;
        Setup(label);
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(opened.isEmpty());
        QVERIFY(!label.Visited());
        QCOMPARE(label.FontColor(), clBlue);
    }

    // The real sequence of a held button: the window system sends the label no
    // crossing events while it holds the pointer, only moves; once the button
    // is up, it reports the crossing the moves have already shown.
    void pointerFollowedWhilePressed_data()
    {
        QTest::addColumn<QList<QPoint>>("path");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("opens");
        // The label lies at (50, 40), 60 x 20, in a window of 200 x 100.
        const QPoint in(60, 45), out(150, 45), below(70, 90);
        QTest::newRow("out and back in") << QList<QPoint>{out, in}
                                         << QStringList{"leave", "blue", "enter", "red", "navy"} << 1;
        QTest::newRow("released outside") << QList<QPoint>{out} << QStringList{"leave", "blue", "blue"} << 0;
        QTest::newRow("wandering") << QList<QPoint>{QPoint(100, 55), out, below, in, below}
                                   << QStringList{"red", "leave", "blue", "blue", "enter",
                                                  "red", "leave", "blue", "blue"}
                                   << 0;
    }
    void pointerFollowedWhilePressed()
    {
        QFETCH(QList<QPoint>, path);
        QFETCH(QStringList, expected);
        QFETCH(int, opens);
        QWidget window;
        window.resize(200, 100);
        auto* label = new TProUrlLabel(&window);
        Setup(*label);
        label->move(50, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWindow* handle = window.windowHandle();

        QStringList seen;
        const auto colourName = [label] {
            const TColor c = label->FontColor();
            return c == clRed ? "red" : c == clBlue ? "blue" : c == clNavy ? "navy" : "other";
        };
        label->OnMouseEnter = [&](QObject*) { seen << "enter"; };
        label->OnMouseLeave = [&](QObject*) { seen << "leave"; };
        QTest::mouseMove(handle, QPoint(55, 45));
        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(55, 45));
        seen.clear();
        for (const QPoint& at : path) {
            QTest::mouseMove(handle, at);
            seen << colourName();
        }
        QTest::mouseRelease(handle, Qt::LeftButton, {}, path.last());
        seen << colourName();
        QCOMPARE(seen, expected);
        QCOMPARE(opened.size(), opens);
    }

    void rightButtonOnlyFiresTheEvents()
    {
        TProUrlLabel label;
        Setup(label);
        QList<MouseRecord> seen;
        label.OnMouseDown = [&](QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
            seen.append({"down", sender, button});
        };
        label.OnMouseUp = [&](QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
            seen.append({"up", sender, button});
        };
        QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0].what, QStringLiteral("down"));
        QCOMPARE(seen[1].what, QStringLiteral("up"));
        QCOMPARE(seen[1].sender, &label);
        QCOMPARE(seen[1].button, Qt::RightButton);
        QCOMPARE(label.FontColor(), clBlue);
        QVERIFY(opened.isEmpty());

        // A right release in the middle of a left click leaves it pressed.
        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&label, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(label.Pressed());
        QCOMPARE(label.FontColor(), clRed);
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(opened.size(), 1);
    }

    void doubleClickOpensTwice()
    {
        TProUrlLabel label;
        Setup(label);
        // What the desktop delivers: press, release, double-click press, release.
        QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseDClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(label.FontColor(), clRed);
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(opened, QStringList({"http://example.org/", "http://example.org/"}));
    }

    void whatAClickOpens_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("url") << "mailto:a@example.org?subject='Vexlo-Ed Anregungen'"
                             << "e-mail" << QStringList{"mailto:a@example.org?subject='Vexlo-Ed Anregungen'"};
        QTest::newRow("caption when no url") << ""
                                             << "< unbelegt >" << QStringList{"< unbelegt >"};
        QTest::newRow("caption as written") << ""
                                            << "&Tom && Jerry" << QStringList{"&Tom && Jerry"};
        QTest::newRow("nothing") << ""
                                 << "" << QStringList{};
    }
    void whatAClickOpens()
    {
        QFETCH(QString, url);
        QFETCH(QString, caption);
        QFETCH(QStringList, expected);
        TProUrlLabel label;
        Setup(label, url);
        label.setCaption(caption);
        label.resize(60, 20);
        QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(opened, expected);
        QVERIFY(label.Visited());
        QCOMPARE(label.FontColor(), clNavy);
    }

    void fontColourBecomesTheStateColour()
    {
        TProUrlLabel label;
        Setup(label);
        label.setFontColor(Pink);
        QCOMPARE(label.UnvisitedColor(), Pink);

        QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(label.FontColor(), clNavy);
        label.setFontColor(Olive);
        QCOMPARE(label.VisitedColor(), Olive);
        QCOMPARE(label.UnvisitedColor(), Pink);

        // The label's own colours while pressed are not taken over.
        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
        label.setFontColor(Teal);
        QCOMPARE(label.VisitedColor(), Olive);
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(500, 5));
        QCOMPARE(label.FontColor(), Olive);

        // Nor any while hovering is on.
        label.setCanHover(true);
        label.setFontColor(Teal);
        QCOMPARE(label.VisitedColor(), Olive);
    }

    void stateColourAssignments()
    {
        TProUrlLabel label;
        Setup(label);
        label.setVisitedColor(Olive);
        QCOMPARE(label.FontColor(), clBlue);  // not visited: not shown
        label.setUnvisitedColor(Pink);
        QCOMPARE(label.FontColor(), Pink);
        label.setActivatedColor(Teal);
        QCOMPARE(label.FontColor(), Pink);

        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(label.FontColor(), Teal);
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(label.FontColor(), Olive);
        label.setVisitedColor(clBlack);
        QCOMPARE(label.FontColor(), clBlack);
        label.setUnvisitedColor(clYellow);
        QCOMPARE(label.FontColor(), clBlack);

        // Neither the address nor the caption clears the visited state.
        label.setURL(QStringLiteral("http://example.net/"));
        label.setCaption(QStringLiteral("neu"));
        QVERIFY(label.Visited());
    }

    void hovering()
    {
        TProUrlLabel label;
        Setup(label);
        label.setCanHover(true);
        QVERIFY(!label.font().underline());
        Enter(label);
        QVERIFY(label.font().underline());
        QCOMPARE(label.FontColor(), clWhite);
        Leave(label);
        QVERIFY(!label.font().underline());
        QCOMPARE(label.FontColor(), clBlue);

        // After a click the hovered look stays while the pointer is over it.
        Enter(label);
        QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(label.FontColor(), clWhite);
        QCOMPARE(opened.size(), 1);
        Leave(label);
        QCOMPARE(label.FontColor(), clNavy);

        label.setCanHover(false);
        QVERIFY(label.font().underline());
        Enter(label);
        QCOMPARE(label.FontColor(), clNavy);
    }

    void unvisitedColourWhileHovered()
    {
        TProUrlLabel label;
        Setup(label);
        label.setCanHover(true);
        Enter(label);
        label.setUnvisitedColor(Pink);
        QCOMPARE(label.FontColor(), Pink);
        Leave(label);
        QCOMPARE(label.FontColor(), Pink);
    }

    void enterEventFiresBeforeTheLinkReacts()
    {
        TProUrlLabel label;
        Setup(label);
        label.setCanHover(true);
        QList<TColor> colourInHandler;
        label.OnMouseEnter = [&](QObject* sender) {
            QCOMPARE(sender, &label);
            colourInHandler << label.FontColor();
        };
        label.OnMouseLeave = [&](QObject*) { colourInHandler << label.FontColor(); };
        Enter(label);
        Leave(label);
        QCOMPARE(colourInHandler, (QList<TColor>{clBlue, clWhite}));
    }

    void emptyLinkOpensNothing()
    {
        OpenLink(QString());
        QVERIFY(opened.isEmpty());
        OpenLink(QStringLiteral(" "));
        QCOMPARE(opened, QStringList{" "});
    }

    // The opener gets the link as its one argument, byte for byte; no shell
    // ever sees it.
    void openerGetsOneUnchangedArgument_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("mail link") << "mailto:karst@example.org?subject='Vexlo-Ed Anregungen'";
        QTest::newRow("semicolon") << "http://example.org/;touch %1";
        QTest::newRow("pipe") << "http://example.org/|touch %1";
        QTest::newRow("ampersand") << "http://example.org/?a=1 & touch %1";
        QTest::newRow("command substitution") << "$(touch %1)";
        QTest::newRow("back quotes") << "`touch %1`";
        QTest::newRow("quotes") << "x\"; touch %1; echo '";
        QTest::newRow("newline") << "http://example.org/\ntouch %1";
        QTest::newRow("blanks and umlauts") << "http://example.org/größe datei\t%1";
        QTest::newRow("dash inside") << "http://example.org/-v --help %1";
        QTest::newRow("blank before a dash") << " -v %1";
    }
    void openerGetsOneUnchangedArgument()
    {
        QFETCH(QString, link);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString sideEffect = dir.filePath("pwned");
        if (link.contains("%1"))
            link = link.arg(sideEffect);
        const QString calls = dir.filePath("calls");
        WriteRecordingOpener(dir.filePath("bin"), "xdg-open", calls);
        RealOpener real(dir.filePath("bin"));

        OpenLink(link);
        QTRY_COMPARE_WITH_TIMEOUT(FinishedCalls(calls).size(), 1, 20000);
        const QString call = FinishedCalls(calls).first();
        QCOMPARE(ReadFileBytes(call + "/count"), QByteArray("1"));
        QCOMPARE(ReadFileBytes(call + "/arg1"), link.toUtf8());
        QVERIFY(!QFile::exists(sideEffect));
    }

    // The opener has no "--": a leading dash would make the link one of its
    // options. Such a link goes as a relative name, whether URL or caption.
    void noLinkBecomesAnOption_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("argument");
        QTest::newRow("option") << "--manual"
                                << "x"
                                << "./--manual";
        QTest::newRow("short option") << "-v"
                                      << "x"
                                      << "./-v";
        QTest::newRow("dash alone") << "-"
                                    << "x"
                                    << "./-";
        QTest::newRow("caption") << ""
                                 << "--help"
                                 << "./--help";
        QTest::newRow("address unchanged") << "http://example.org/-x"
                                           << "x"
                                           << "http://example.org/-x";
    }
    void noLinkBecomesAnOption()
    {
        QFETCH(QString, url);
        QFETCH(QString, caption);
        QFETCH(QString, argument);
        QTemporaryDir dir;
        const QString calls = dir.filePath("calls");
        WriteRecordingOpener(dir.filePath("bin"), "xdg-open", calls);
        RealOpener real(dir.filePath("bin"));
        TProUrlLabel label;
        Setup(label, url);
        label.setCaption(caption);
        QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_COMPARE_WITH_TIMEOUT(FinishedCalls(calls).size(), 1, 20000);
        const QString call = FinishedCalls(calls).first();
        QCOMPARE(ReadFileBytes(call + "/count"), QByteArray("1"));
        QCOMPARE(ReadFileBytes(call + "/arg1"), argument.toUtf8());
    }

    void openerProgramCanBeReplaced()
    {
        QTemporaryDir dir;
        const QString calls = dir.filePath("calls");
        const QString program = WriteRecordingOpener(dir.filePath("bin"), "stand-in", calls);
        RealOpener real(dir.filePath("nowhere"));
        SetLinkOpenerProgram(program);
        OpenLink(QStringLiteral("http://example.org/"));
        QTRY_COMPARE_WITH_TIMEOUT(FinishedCalls(calls).size(), 1, 20000);
        QCOMPARE(ReadFileBytes(FinishedCalls(calls).first() + "/arg1"), QByteArray("http://example.org/"));
    }

    // An opener that is missing or fails is reported with the link and the
    // reason once it has ended; one that succeeds says nothing. For a web or
    // mail address the message says which default program is missing, the
    // opener's status in a second line.
    void failedOpenerIsReported_data()
    {
        QTest::addColumn<QString>("program");  // a script body, or a name or path that does not exist
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("message");
        const QString web = QStringLiteral("http://example.org/");
        const QString mail = QStringLiteral("mailto:karst@example.org");
        const QString link = QStringLiteral("„http://example.org/“");
        const QString noBrowser =
            " kann nicht geöffnet werden: Auf diesem Desktop ist kein Webbrowser als Standard "
            "eingerichtet.\nstand-in endete mit Status ";
        const QString noMail =
            " kann nicht geöffnet werden: Auf diesem Desktop ist kein E-Mail-Programm als "
            "Standard eingerichtet.\nstand-in endete mit Status ";
        QTest::newRow("success") << "exit 0" << web << QString();
        QTest::newRow("no program for a web address") << "exit 3" << web << link + noBrowser + "3.";
        QTest::newRow("web address failed") << "exit 4" << web << link + noBrowser + "4.";
        QTest::newRow("web address without scheme") << "exit 4"
                                                    << "www.example.org"
                                                    << "„www.example.org“" + noBrowser + "4.";
        QTest::newRow("secure web address") << "exit 4"
                                            << "HTTPS://example.org/"
                                            << "„HTTPS://example.org/“" + noBrowser + "4.";
        QTest::newRow("no program for a mail address") << "exit 3" << mail << "„" + mail + "“" + noMail + "3.";
        QTest::newRow("mail address failed") << "exit 4" << mail << "„" + mail + "“" + noMail + "4.";
        QTest::newRow("no program for another link") << "exit 3"
                                                     << "ftp://example.org/"
                                                     << "Für „ftp://example.org/“ ist kein Programm eingerichtet.";
        QTest::newRow("another link failed")
            << "exit 4"
            << "ftp://example.org/"
            << "„ftp://example.org/“ kann nicht geöffnet werden: stand-in endete mit Status 4.";
        QTest::newRow("killed") << "kill -KILL $$" << web
                                << link + " kann nicht geöffnet werden: stand-in wurde abgebrochen.";
        QTest::newRow("not on PATH") << "no-such-opener" << web
                                     << "Für " + link + " ist kein Programm eingerichtet: no-such-opener fehlt.";
        QTest::newRow("path missing") << "/nowhere/xdg-open" << web
                                      << "Für " + link + " ist kein Programm eingerichtet: xdg-open fehlt.";
    }
    void failedOpenerIsReported()
    {
        QFETCH(QString, program);
        QFETCH(QString, url);
        QFETCH(QString, message);
        QTemporaryDir dir;
        RealOpener real(dir.filePath("bin"));
        if (program.contains(u' ')) {
            const QString script = dir.filePath("stand-in");
            WriteFileBytes(script, "#!/bin/sh\nsleep 0.2\n" + program.toUtf8() + "\n");
            QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            program = script;
        }
        SetLinkOpenerProgram(program);
        ErrorBoxRecorder errors;
        TApplication::Guard([&url] { OpenLink(url); });
        if (message.isEmpty()) {
            QTest::qWait(1000);
            QCOMPARE(errors.shown, QStringList());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(errors.shown, QStringList{message}, 20000);
        }
    }
};

VEXLO_TEST_MAIN(TestProUrl)
#include "test_prourl.moc"
