// Every window as the user sees it, at 1x and 2x, compared pixel by pixel
// with reviewed pictures in tests/pictures; no two controls of a window in
// each other's way; the file dialogs inside the screen.
#include <sys/wait.h>
#include <unistd.h>

#include <QAccessible>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <memory>

#include "counting/infoline.h"
#include "counting/limitview.h"
#include "framework/Controls.h"
#include "framework/ErrorBox.h"
#include "framework/FileDialogs.h"
#include "framework/QtTranslations.h"
#include "shownmainwindow.h"
#include "spelling/spellview.h"
#include "storage/recovery.h"
#include "storage/textfile.h"
#include "testsupport.h"
#include "text/memo.h"
#include "windows/accessible.h"
#include "windows/changeurl.h"
#include "windows/customize.h"
#include "windows/extern.h"

namespace {

// The pictures are drawn in these faces, named by file: which face the
// machine's font configuration would pick is not the test's to depend on.
const char* const kFontFiles[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Italic.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
};

// A channel may stray this far (anti-aliasing), and this share of the pixels
// further, before a picture counts as changed: a control moved by one pixel
// changes more.
constexpr int kChannelTolerance = 24;
constexpr int kPixelsPerStray = 20000;

// Sibling controls that lie over one another on purpose.
struct Stack {
    const char* below;
    const char* above;
    const char* reason;
};
const Stack kStacks[] = {
    {"Panel2", "Panel4", "the rule under the header runs over the header's lower edge"},
    {"Panel4", "Panel1", "the left strip hides the rule's left end"},
    {"memoMain", "memoAbout", "the about text covers the text area while it is shown"},
};

QString Scale()
{
    return QString::fromLatin1(qgetenv("QT_SCALE_FACTOR"));
}

// "1" accepts every picture shown, else a comma-separated list of names.
bool Accepting(const QString& name)
{
    const QString accept = QString::fromLocal8Bit(qgetenv("VEXLO_ACCEPT_PICTURES"));
    return accept == QLatin1String("1") || accept.split(u',').contains(name);
}

struct Comparison {
    qsizetype differing = 0;
    QImage marked;  // the new picture faded, what differs in red
};

Comparison Compare(const QImage& reference, const QImage& shown)
{
    Comparison result;
    result.marked = shown.convertToFormat(QImage::Format_RGB32);
    const bool sameSize = reference.size() == shown.size();
    for (int y = 0; y < shown.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.marked.scanLine(y));
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb now = line[x];
            const QRgb before = sameSize ? reference.pixel(x, y) : ~now;
            const int stray = std::max({std::abs(qRed(now) - qRed(before)), std::abs(qGreen(now) - qGreen(before)),
                                        std::abs(qBlue(now) - qBlue(before))});
            const int grey = 192 + qGray(now) / 4;
            line[x] = stray > kChannelTolerance ? qRgb(255, 0, 0) : qRgb(grey, grey, grey);
            result.differing += stray > kChannelTolerance;
        }
    }
    return result;
}

// Empty when the picture matches its reviewed reference; else what differs
// and how to accept it, with the new picture and the difference written
// beside the test.
QString CheckPicture(const QString& name, const QImage& picture)
{
    const QString file = QStringLiteral("%1@%2x.png").arg(name, Scale());
    const QString referenceFile = QStringLiteral(PICTURES_DIR "/") + file;
    const QImage shown = picture.convertToFormat(QImage::Format_RGB888);
    if (Accepting(name)) {
        // The strongest compression of the standard writer keeps the folder small.
        if (!shown.save(referenceFile, "PNG", 0))
            return QStringLiteral("cannot write %1").arg(referenceFile);
        qInfo("accepted %s", qPrintable(referenceFile));
        return QString();
    }
    const QImage reference(referenceFile);
    const Comparison comparison = Compare(reference.convertToFormat(QImage::Format_RGB32), shown);
    if (!reference.isNull() && comparison.differing <= qsizetype(shown.width()) * shown.height() / kPixelsPerStray)
        return QString();
    QDir().mkpath(QStringLiteral(PICTURES_OUT));
    const QString newFile = QStringLiteral(PICTURES_OUT "/") + file;
    const QString diffFile = QString(newFile).replace(QLatin1String(".png"), QLatin1String("-diff.png"));
    shown.save(newFile, "PNG");
    comparison.marked.save(diffFile, "PNG");
    return QStringLiteral(
               "%1: %2\n   new picture: %3\n   difference: %4\n   look at both, then accept on purpose with:\n"
               "   VEXLO_ACCEPT_PICTURES=%5 %6")
        .arg(file,
             reference.isNull()
                 ? QStringLiteral("no reviewed picture %1").arg(referenceFile)
                 : QStringLiteral("%1 pixels differ from %2").arg(comparison.differing).arg(referenceFile),
             newFile, diffFile, name, QCoreApplication::applicationFilePath());
}

// Pairs of visible sibling controls (named by the program, not by Qt) that
// overlap without being a listed stack, in every container of the window.
QStringList Overlaps(QWidget* window)
{
    QStringList found;
    const auto named = [](const QObject* object) {
        const QString name = object->objectName();
        return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
    };
    const auto stacked = [](const QWidget* below, const QWidget* above) {
        for (const Stack& stack : kStacks)
            if (below->objectName() == QLatin1String(stack.below) && above->objectName() == QLatin1String(stack.above))
                return true;
        return false;
    };
    QList<QWidget*> containers{window};
    containers += window->findChildren<QWidget*>();
    for (QWidget* container : std::as_const(containers)) {
        QList<QWidget*> controls;
        for (QObject* child : container->children()) {
            auto* control = qobject_cast<QWidget*>(child);
            if (control && !control->isWindow() && control->isVisibleTo(window) && named(control))
                controls << control;  // in stacking order, lowest first
        }
        for (qsizetype i = 0; i < controls.size(); ++i)
            for (qsizetype j = i + 1; j < controls.size(); ++j)
                if (controls[i]->geometry().intersects(controls[j]->geometry()) && !stacked(controls[i], controls[j]))
                    found << QStringLiteral("%1 under %2").arg(controls[i]->objectName(), controls[j]->objectName());
    }
    return found;
}

// The window's content as the window system shows it, the frame left out.
QImage Picture(QWidget* window)
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    return window->grab().toImage();
}

// Shows a window as the user meets it: active, painted, the figures worked out.
bool Shown(QWidget* window)
{
    window->show();
    window->activateWindow();
    const bool active = QTest::qWaitForWindowActive(window);
    ShowFigures();
    return active;
}

const QString kLetter = QStringLiteral(
    "Liebe Grüße aus Köln an alle hier im Forum!\n"
    "Das Wetter ist schön, der Rhein fließt ruhig vorbei.\n"
    "Bis bald, euer Karl");

}  // namespace

class TestPictures : public QObject {
    Q_OBJECT

    std::unique_ptr<ShownMainWindow> m_main;
    std::unique_ptr<ErrorBoxRecorder> m_noErrors;

    // The main window over the settings given, shown and active.
    TfrmMain* mainWindow(const QByteArray& ini = QByteArray())
    {
        if (!ini.isEmpty())
            WriteFileBytes(m_main->iniPath(), ini);
        TfrmMain* form = m_main->create();
        return Shown(form) ? form : nullptr;
    }

    static void waitForSpelling(TfrmMain* form)
    {
        TSpellChecker* checker = form->memoMain->findChild<TSpellView*>()->checker();
        QTRY_VERIFY_WITH_TIMEOUT(checker->state() == TSpellChecker::State::Ready, 20000);
        QTRY_VERIFY(!checker->isBusy());
    }

    // The modal box the action opens, as a picture, closed again.
    static QImage modalPicture(const std::function<void()>& open)
    {
        QImage picture;
        QTimer::singleShot(0, [&picture] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box)
                return;
            if (QTest::qWaitForWindowActive(box))
                picture = Picture(box);
            box->close();
        });
        open();
        return picture;
    }

    // The window a row names, shown as the user meets it.
    QWidget* scene(const QString& name)
    {
        const QByteArray noSpelling = "[Rechtschreibung]\r\nPruefen=0\r\n";
        const QByteArray limits = "[Config]\r\nGrenzeGB=40\r\nGrenzeForum=80\r\n";
        if (name == QLatin1String("main-empty"))
            return mainWindow(noSpelling);
        if (name == QLatin1String("main-blue"))
            return mainWindow(noSpelling + "[Config]\r\nSysTray=0\r\nLayout=0\r\n");
        if (name == QLatin1String("main-limits")) {
            TfrmMain* form = mainWindow(noSpelling + limits);
            form->memoMain->setText(kLetter);
            QTextCursor cursor = form->memoMain->textCursor();
            cursor.setPosition(6);
            cursor.setPosition(11, QTextCursor::KeepAnchor);  // "Grüße": the line names the selection too
            form->memoMain->setTextCursor(cursor);
            ShowFigures();
            return form;
        }
        if (name == QLatin1String("main-long-info")) {
            TfrmMain* form = mainWindow(noSpelling + limits + "[Zaehlweise]\r\nGB=5\r\nForum=5\r\n");
            form->memoMain->setText(kLetter);
            form->memoMain->selectAll();
            ShowFigures();
            return form;
        }
        if (name == QLatin1String("main-spelling")) {
            TfrmMain* form = mainWindow();
            form->memoMain->setText(QStringLiteral("Ein Fehlr steht hier."));
            waitForSpelling(form);
            ShowFigures();
            return form;
        }
        if (name == QLatin1String("main-about")) {
            TfrmMain* form = mainWindow(noSpelling);
            form->lblAboutClick();
            ShowFigures();
            return form;
        }
        if (name == QLatin1String("customize-green") || name == QLatin1String("customize-blue")) {
            const bool blue = name.endsWith(QLatin1String("blue"));
            TfrmMain* form = mainWindow(noSpelling + (blue ? "[Config]\r\nSysTray=0\r\nLayout=0\r\n" : ""));
            auto* dialog = new TfrmCustomize(form);
            return Shown(dialog) ? dialog : nullptr;
        }
        if (name == QLatin1String("extern") || name == QLatin1String("changeurl")) {
            TfrmMain* form = mainWindow(noSpelling +
                                        "[URL]\r\nLink1=https://example.org/gaestebuch\r\nDesc1=Gästebuch von Anna\r\n"
                                        "Link4=mailto:karl@example.org\r\nDesc4=Karl schreiben\r\n");
            frmExtern = new TfrmExtern(form);
            if (!Shown(frmExtern))
                return nullptr;
            if (name == QLatin1String("extern"))
                return frmExtern;
            EditSlot = 1;
            auto* dialog = new TfrmChangeURL(form);
            return Shown(dialog) ? dialog : nullptr;
        }
        return nullptr;
    }

    static void scenes()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"main-empty", "main-blue", "main-limits", "main-long-info", "main-spelling",
                                 "main-about", "customize-green", "customize-blue", "extern", "changeurl"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

private slots:
    void initTestCase()
    {
        for (const char* file : kFontFiles)
            QVERIFY2(QFontDatabase::addApplicationFont(QString::fromLatin1(file)) >= 0, file);
        QCOMPARE(QFontInfo(UiFont(8)).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(QFontInfo(QFont(DefaultFontName, DefaultFontSize)).family(), QStringLiteral("Liberation Sans"));
        m_noErrors = std::make_unique<ErrorBoxRecorder>();
    }
    void init() { m_main = std::make_unique<ShownMainWindow>(); }
    void cleanup()
    {
        m_main.reset();
        frmExtern = nullptr;
        EditSlot = 0;
        QCOMPARE(m_noErrors->shown, QStringList());
    }

    void windowLooksAsReviewed_data() { scenes(); }
    void windowLooksAsReviewed()
    {
        QFETCH(QString, name);
        QWidget* window = scene(name);
        QVERIFY(window);
        const QString failure = CheckPicture(name, Picture(window));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // The boxes the program tells things in.
    void noticeLooksAsReviewed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::function<void()>>("open");
        RecoveryReport restored;
        restored.restored = true;
        RecoveryReport unloadable = restored;
        unloadable.unloadable << QStringLiteral("Eine Sicherungskopie ist beschädigt; sie liegt unter /tmp/alt.txt");
        QTest::newRow("error") << QStringLiteral("notice-error") << std::function<void()>([] {
            ErrorBox::SetPresenterForTesting({});
            ErrorBox::Show(QStringLiteral("Datei /tmp/brief.txt kann nicht geöffnet werden"));
        });
        QTest::newRow("restored") << QStringLiteral("notice-restored") << std::function<void()>([restored] {
            ShowRestoredNotice(frmMain, restored, QStringLiteral("/tmp/brief.txt"));
        });
        QTest::newRow("restored, one unloadable")
            << QStringLiteral("notice-unloadable")
            << std::function<void()>([unloadable] { ShowRestoredNotice(frmMain, unloadable, QString()); });
    }
    void noticeLooksAsReviewed()
    {
        QFETCH(QString, name);
        QFETCH(std::function<void()>, open);
        QVERIFY(mainWindow("[Rechtschreibung]\r\nPruefen=0\r\n"));
        const QImage picture = modalPicture(open);
        m_noErrors = std::make_unique<ErrorBoxRecorder>();
        QVERIFY(!picture.isNull());
        const QString failure = CheckPicture(name, picture);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void controlsKeepOutOfEachOthersWay_data() { scenes(); }
    void controlsKeepOutOfEachOthersWay()
    {
        QFETCH(QString, name);
        QWidget* window = scene(name);
        QVERIFY(window);
        const QStringList overlaps = Overlaps(window);
        QVERIFY2(overlaps.isEmpty(), qPrintable(overlaps.join(QStringLiteral("; "))));
    }

    // The check itself: the count label over the logo, as it once was, is found.
    void coveredLogoIsFound()
    {
        TfrmMain* form = mainWindow();
        QVERIFY(form);
        form->lblCharCount->setGeometry(35, 16, 100, form->lblCharCount->height());
        QVERIFY(Overlaps(form).contains(QStringLiteral("imgVexlo_green under lblCharCount")));
    }

    // The count, however long, leaves the logo of either layout whole and
    // shows every digit, its right edge where it was.
    void countLeavesLogoWhole_data()
    {
        QTest::addColumn<QByteArray>("layout");
        QTest::addColumn<qsizetype>("count");
        for (const char* layout : {"1", "0"})
            for (qsizetype count : {qsizetype(0), qsizetype(1999), qsizetype(123456)})
                QTest::addRow("layout %s, %lld", layout, qlonglong(count)) << QByteArray(layout) << count;
    }
    void countLeavesLogoWhole()
    {
        QFETCH(QByteArray, layout);
        QFETCH(qsizetype, count);
        TfrmMain* form = mainWindow("[Config]\r\nSysTray=0\r\nLayout=" + layout + "\r\n");
        QVERIFY(form);
        QLabel* logo = layout == "1" ? form->imgVexlo_green : form->imgVexlo_blue;
        QVERIFY(logo->isVisible());
        // Lines of 98 letters and a break count 100 each.
        form->memoMain->setText(QStringLiteral("%1\n").arg(QString(98, u'x')).repeated(count / 100) +
                                QString(count % 100, u'x'));
        ShowFigures();
        QLabel* label = form->lblCharCount;
        QCOMPARE(label->text(), QString::number(count));
        QVERIFY(!label->geometry().intersects(logo->geometry()));
        QCOMPARE(label->geometry().right(), 134);
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width());
        const QStringList overlaps = Overlaps(form);
        QVERIFY2(overlaps.isEmpty(), qPrintable(overlaps.join(QStringLiteral("; "))));
    }

    // A count too wide for its box is drawn smaller until it fits, and only then.
    void countShrinksToFit_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("count");
        QTest::addColumn<bool>("smaller");
        QTest::newRow("one digit") << QStringLiteral("DejaVu Sans") << QStringLiteral("0") << false;
        QTest::newRow("as many digits as the text area holds")
            << QStringLiteral("Liberation Sans") << QString::number(MemoCapacity) << false;
        QTest::newRow("a wider face") << QStringLiteral("DejaVu Sans") << QString::number(MemoCapacity) << true;
    }
    void countShrinksToFit()
    {
        QFETCH(QString, family);
        QFETCH(QString, count);
        QFETCH(bool, smaller);
        TfrmMain* form = mainWindow();
        QVERIFY(form);
        QLabel* label = form->lblCharCount;
        const QFont designed(family, 10, QFont::Bold);
        label->setText(count);
        FitFontToWidth(label, designed);
        QVERIFY(label->fontMetrics().horizontalAdvance(count) <= label->contentsRect().width());
        QCOMPARE(label->font().family(), family);
        QCOMPARE(label->font().pointSizeF() < 10, smaller);
        if (smaller) {
            QFont larger = label->font();
            larger.setPointSizeF(larger.pointSizeF() + 0.5);
            QVERIFY(QFontMetrics(larger, label).horizontalAdvance(count) > label->contentsRect().width());
        }
    }

    // The info line ends in "…" when its text is longer than the strip, on a
    // narrower window too; its tooltip and its description hold the whole text.
    void infoLineElided_data()
    {
        QTest::addColumn<int>("windowWidth");
        QTest::addColumn<bool>("elided");
        QTest::newRow("wide enough") << 900 << false;
        QTest::newRow("as designed") << 482 << true;
        QTest::newRow("narrow") << 300 << true;
    }
    void infoLineElided()
    {
        QFETCH(int, windowWidth);
        QFETCH(bool, elided);
        TfrmMain* form = mainWindow(
            "[Config]\r\nGrenzeGB=10\r\nGrenzeForum=20\r\n[Zaehlweise]\r\nGB=5\r\nForum=5\r\n"
            "[Rechtschreibung]\r\nPruefen=0\r\n");
        QVERIFY(form);
        form->memoMain->setText(QStringLiteral("Zwölf Zeichen"));
        form->memoMain->selectAll();
        ShowFigures();
        form->resize(windowWidth, form->height());
        ShowFigures();
        auto* line = form->memoMain->findChild<TInfoLine*>(QStringLiteral("infoLine"));
        const QString whole =
            QStringLiteral("Gästebuch (sichtbar): 3 zu viel · Forum (sichtbar): noch 7 · Auswahl: 13");
        QCOMPARE(line->text(), whole);
        QCOMPARE(line->elided(), elided);
        // Nothing runs into the strip's right edge: the last columns show its own colour.
        const QImage drawn = Picture(line).convertToFormat(QImage::Format_RGB32);
        const QRgb background = line->palette().color(QPalette::Window).rgb();
        const int edge = int(2 * drawn.devicePixelRatio());
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = drawn.width() - edge; x < drawn.width(); ++x)
                QCOMPARE(drawn.pixel(x, y), background);
        QVERIFY(line->tipText().startsWith(whole + QStringLiteral("\n\nWörter: 2")));
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(line);
        QVERIFY(accessible->text(QAccessible::Description).startsWith(whole + u'\n'));
        QVERIFY(accessible->text(QAccessible::Description).endsWith(line->accessibleDescription()));
    }

    // A file dialog opens inside the screen, writes sizes and dates as a German
    // desktop does, and shows each column's title and entries whole.
    void fileDialogFitsScreen_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("open") << false;
        QTest::newRow("save") << true;
    }
    void fileDialogFitsScreen()
    {
        QFETCH(bool, save);
        TfrmMain* form = mainWindow("[Rechtschreibung]\r\nPruefen=0\r\n");
        QVERIFY(form);
        const QString folder = m_main->filePath(QStringLiteral("briefe"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/Unterordner")));
        WriteFileBytes(folder + QStringLiteral("/gruss.txt"), QByteArray(1500, 'x'));
        QFile letter(folder + QStringLiteral("/gruss.txt"));
        QVERIFY(letter.open(QIODevice::ReadWrite));
        QVERIFY(letter.setFileTime(QDateTime(QDate(2026, 12, 8), QTime(9, 5)), QFileDevice::FileModificationTime));
        letter.close();
        QRect shown, room;
        QString date, size, failure;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->setDirectory(folder);
            shown = dialog->frameGeometry();
            room = dialog->screen()->availableGeometry();
            auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
            QAbstractItemModel* model = list->model();
            const auto row = [&] {
                for (int i = 0; i < model->rowCount(list->rootIndex()); ++i)
                    if (model->index(i, 0, list->rootIndex()).data() == QLatin1String("gruss.txt"))
                        return i;
                return -1;
            };
            if (QTest::qWaitFor([&] { return row() >= 0; })) {
                QTest::qWait(50);
                size = model->index(row(), 1, list->rootIndex()).data().toString();
                date = model->index(row(), 3, list->rootIndex()).data().toString();
            }
            QHeaderView* header = list->header();
            for (int column = 1; column < header->count(); ++column) {
                const int wanted = std::max(header->sectionSizeHint(column),
                                            static_cast<QAbstractItemView*>(list)->sizeHintForColumn(column));
                if (header->sectionSize(column) < wanted)
                    failure +=
                        QStringLiteral("column %1: %2 < %3; ").arg(column).arg(header->sectionSize(column)).arg(wanted);
            }
            dialog->reject();
        });
        if (save)
            FileDialogs::GetSaveFileName(form, {QStringLiteral("Textdatei (*.txt *.TXT)")}, QStringLiteral("txt"));
        else
            FileDialogs::GetOpenFileName(form, {QStringLiteral("Textdateien (*.txt *.TXT)")});
        QVERIFY2(room.contains(shown), qPrintable(QStringLiteral("%1,%2 %3x%4 in %5x%6")
                                                      .arg(shown.x())
                                                      .arg(shown.y())
                                                      .arg(shown.width())
                                                      .arg(shown.height())
                                                      .arg(room.width())
                                                      .arg(room.height())));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(date, QStringLiteral("08.12.26 09:05"));
        QCOMPARE(size, QStringLiteral("1,46 KiB"));
    }
};

namespace {

// One scale, in a process of its own: Qt reads the scale when the application starts.
int RunAtScale(int argc, char** argv)
{
    QTemporaryDir setup;
    // No font of the machine's configuration: only the faces above, added by file.
    WriteFileBytes(setup.filePath(QStringLiteral("fonts.conf")),
                   "<?xml version=\"1.0\"?>\n<fontconfig>\n"
                   "  <cachedir>" +
                       QFile::encodeName(setup.filePath(QStringLiteral("cache"))) +
                       "</cachedir>\n"
                       "  <match target=\"font\">\n"
                       "    <edit name=\"antialias\" mode=\"assign\"><bool>true</bool></edit>\n"
                       "    <edit name=\"hinting\" mode=\"assign\"><bool>true</bool></edit>\n"
                       "    <edit name=\"hintstyle\" mode=\"assign\"><const>hintslight</const></edit>\n"
                       "    <edit name=\"rgba\" mode=\"assign\"><const>none</const></edit>\n"
                       "  </match>\n</fontconfig>\n");
    qputenv("FONTCONFIG_FILE", QFile::encodeName(setup.filePath(QStringLiteral("fonts.conf"))));
    // A laptop's screen of 1280 x 800 pixels.
    WriteFileBytes(setup.filePath(QStringLiteral("screen.json")),
                   R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1280, "height": 800,)"
                   R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    qputenv("QT_QPA_PLATFORM",
            "offscreen:configfile=" + QFile::encodeName(setup.filePath(QStringLiteral("screen.json"))));
    for (const char* variable : {"QT_STYLE_OVERRIDE", "QT_QPA_PLATFORMTHEME", "QT_FONT_DPI", "QT_SCREEN_SCALE_FACTORS",
                                 "QT_ENABLE_HIGHDPI_SCALING", "QT_SCALE_FACTOR_ROUNDING_POLICY"})
        qunsetenv(variable);
    PrivateHome home;
    TApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    // As the program starts: German dialogs, no blinking caret to catch half-drawn.
    LoadQtTranslations(app, QStringLiteral("de"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QApplication::setCursorFlashTime(0);
    InstallAccessibility();
    TestPictures test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace

// VEXLO_PICTURE_SCALE=1 or 2 runs one scale; without it, both run.
int main(int argc, char** argv)
{
    const QByteArray only = qgetenv("VEXLO_PICTURE_SCALE");
    int status = 0;
    for (const char* scale : {"1", "2"}) {
        if (!only.isEmpty() && only != scale)
            continue;
        const pid_t child = fork();
        if (child == 0) {
            qputenv("QT_SCALE_FACTOR", scale);
            std::exit(RunAtScale(argc, argv));
        }
        int childStatus = 0;
        if (child < 0 || waitpid(child, &childStatus, 0) != child || !WIFEXITED(childStatus) ||
            WEXITSTATUS(childStatus) != 0)
            status = 1;
    }
    return status;
}

#include "test_pictures.moc"
