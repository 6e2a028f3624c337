#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include "framework/LabelButton.h"
#include "storage/globals.h"
#include "testsupport.h"
#include "windows/ProUrl.h"
#include "windows/ProUrlOpen.h"
#include "windows/changeurl.h"
#include "windows/extern.h"

namespace {

const QString Unassigned = QStringLiteral("< unbelegt >");
const QString ThirtyChars = QStringLiteral("Ein Name mit dreißig Zeichen!!");

// The sixteen keys as a save writes them into a new file.
QByteArray UrlSection(const QStringList& urls, const QStringList& captions)
{
    QByteArray bytes = "[URL]\r\n";
    for (int n = 1; n <= 8; ++n) {
        bytes += "Link" + QByteArray::number(n) + "=" + urls[n - 1].toUtf8() + "\r\n";
        bytes += "Desc" + QByteArray::number(n) + "=" + captions[n - 1].toUtf8() + "\r\n";
    }
    return bytes;
}

QByteArray AllUnassignedSection()
{
    return UrlSection(QStringList(8, QString()), QStringList(8, Unassigned));
}

// Whether the focused control's picture has black frame pixels where the
// unfocused one has none.
bool ShowsFocusFrame(const QImage& focused, const QImage& unfocused)
{
    int added = 0;
    for (int y = 0; y < focused.height(); ++y)
        for (int x = 0; x < focused.width(); ++x)
            if (focused.pixelColor(x, y) == QColor(Qt::black) && unfocused.pixelColor(x, y) != QColor(Qt::black))
                ++added;
    return added >= focused.width();  // at least a line's length of it
}

}  // namespace

class TestExtern : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_opened;

    QString iniPath() const { return m_dir->filePath(QStringLiteral("vexloed.ini")); }
    static TProUrlLabel* entry(int n) { return frmExtern->Entry(n); }

    // Opens the list dialog as the main window does, without the nested loop.
    static void open()
    {
        frmExtern->show();
        frmExtern->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frmExtern));
    }

    static void recreateDialogs()
    {
        delete frmChangeURL;
        delete frmExtern;
        frmExtern = new TfrmExtern;
        frmChangeURL = new TfrmChangeURL;
    }

    static void reactivate()
    {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(frmExtern, &activate);
    }

private slots:
    void initTestCase()
    {
        SetLinkOpenerForTesting([this](const QString& link) { m_opened << link; });
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        SetProgramDirForTesting(m_dir->path());
        Settings.LayoutColor = ColorGreen;
        EditSlot = 0;
        m_opened.clear();
        frmExtern = new TfrmExtern;
        frmChangeURL = new TfrmChangeURL;
    }

    void cleanup()
    {
        delete frmChangeURL;
        frmChangeURL = nullptr;
        delete frmExtern;
        frmExtern = nullptr;
    }

    void layout()
    {
        QCOMPARE(frmExtern->windowTitle(), QStringLiteral("Außenlinks"));
        QCOMPARE(frmExtern->size(), QSize(284, 194));
        for (int n = 1; n <= 8; ++n) {
            auto* label = frmExtern->findChild<TProUrlLabel*>(QStringLiteral("ulExtern%1").arg(n));
            QVERIFY(label);
            QCOMPARE(label, entry(n));
            QCOMPARE(label->pos(), QPoint(32, 11 + 15 * (n - 1)));
            auto* button = frmExtern->findChild<QToolButton*>(QStringLiteral("SpeedButton%1").arg(n));
            QVERIFY(button);
            QCOMPARE(button->geometry(), QRect(8, 12 + 15 * (n - 1), 15, 15));
            QCOMPARE(button->toolTip(), QStringLiteral("Eintrag [%1] ändern").arg(n));
            QVERIFY(button->text().isEmpty());
        }
        auto* panel = frmExtern->findChild<QFrame*>(QStringLiteral("Panel1"));
        QVERIFY(panel);
        QCOMPARE(panel->geometry(), QRect(0, 144, 283, 49));
        QCOMPARE(frmExtern->lblSave->toolTip(),
                 QStringLiteral("Speichert die Einstellungen dauerhaft\r\nund beendet den Dialog"));
    }

    // A long name is cut with "…" inside the dialog and shown whole in the tooltip.
    void longNamesAreElided()
    {
        const QString name = QStringLiteral("https://forum.example.de/thread/12345-ferienwohnung-an-der-ostsee");
        entry(3)->setCaption(name);
        entry(3)->setURL(QStringLiteral("https://forum.example.de/thread/12345"));
        entry(3)->setHint(entry(3)->URL());
        open();
        for (int n : {2, 3}) {
            const TProUrlLabel* label = entry(n);
            QVERIFY2(label->geometry().right() < frmExtern->width() - 2, qPrintable(label->Caption()));
            const QString shown = label->ShownCaption();
            QVERIFY(QFontMetrics(label->font()).horizontalAdvance(shown) <= label->width());
            if (n == 2)
                QCOMPARE(shown, label->Caption());
        }
        const QString shown = entry(3)->ShownCaption();
        QVERIFY2(shown.endsWith(u'…') && name.startsWith(shown.chopped(1)), qPrintable(shown));
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), entry(3)->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(entry(3), &help);
        QTRY_COMPARE(QToolTip::text(), name + QStringLiteral("\nhttps://forum.example.de/thread/12345"));
        QToolTip::hideText();
    }

    void builtInEntriesWithoutFile()
    {
        // Tooltips of the built-in entries are there before the first opening.
        QVERIFY(entry(1)->Hint().startsWith(QStringLiteral("http://")));
        QCOMPARE(entry(1)->Hint(), entry(1)->URL());
        QCOMPARE(entry(2)->Caption(), QStringLiteral("Vexlo Startseite"));
        QCOMPARE(entry(2)->Hint(), entry(2)->URL());
        const QString partner = entry(1)->Caption();
        QVERIFY(partner.contains(QLatin1Char('.')));
        Settings.LayoutColor = ColorBlue;
        open();
        QCOMPARE(entry(1)->Caption(), partner);
        QCOMPARE(frmExtern->palette().color(QPalette::Window), ToQColor(ColorBlue));
        for (int n = 3; n <= 8; ++n) {
            QCOMPARE(entry(n)->Caption(), Unassigned);
            QCOMPARE(entry(n)->URL(), QString());
            QCOMPARE(entry(n)->Hint(), QString());
        }
        QVERIFY(!QFile::exists(iniPath()));
    }

    void loadRules_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("url");
        const QString partnerCaption = TfrmExtern().Entry(1)->Caption();
        const QString partnerUrl = TfrmExtern().Entry(1)->URL();
        QTest::newRow("Config only") << QByteArray("[Config]\r\nGrenzeGB=5\r\nLayout=1\r\n") << 1 << partnerCaption
                                     << partnerUrl;
        QTest::newRow("Desc3 without Link3") << QByteArray("[URL]\r\nDesc3=Drei\r\n") << 3 << Unassigned << "";
        QTest::newRow("Desc1 without Link1")
            << QByteArray("[URL]\r\nDesc1=Eins\r\n") << 1 << partnerCaption << partnerUrl;
        QTest::newRow("Desc5 without Link5") << QByteArray("[URL]\r\nDesc5=Fünf\r\n") << 5 << "Fünf"
                                             << "";
        QTest::newRow("Link5 without Desc5")
            << QByteArray("[URL]\r\nLink5=http://f.example.org\r\n") << 5 << Unassigned << "http://f.example.org";
        QTest::newRow("empty Link1") << QByteArray("[URL]\r\nLink1=\r\n") << 1 << partnerCaption << "";
        QTest::newRow("Link2 and Desc2") << QByteArray("[URL]\r\nLink2=http://z.example.org\r\nDesc2=Zwei\r\n") << 2
                                         << "Zwei"
                                         << "http://z.example.org";
        QTest::newRow("empty Desc3 with Link3") << QByteArray("[URL]\r\nLink3=x\r\nDesc3=\r\n") << 3 << ""
                                                << "x";
        QTest::newRow("30-character name")
            << QByteArray("[URL]\r\nLink6=mailto:a@example.org\r\nDesc6=" + ThirtyChars.toUtf8() + "\r\n") << 6
            << ThirtyChars << "mailto:a@example.org";
        QTest::newRow("other letter case")
            << QByteArray("[url]\r\nlink7 = http://s.example.org \r\nDESC7=Sieben\r\n") << 7 << "Sieben"
            << "http://s.example.org";
        QTest::newRow("keys of another section")
            << QByteArray("[Config]\r\nLink8=http://no\r\nDesc8=Nein\r\n") << 8 << Unassigned << "";
    }
    void loadRules()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, n);
        QFETCH(QString, caption);
        QFETCH(QString, url);
        WriteFileBytes(iniPath(), file);
        open();
        QCOMPARE(entry(n)->Caption(), caption);
        QCOMPARE(entry(n)->URL(), url);
        QCOMPARE(entry(n)->Hint(), url);
        QCOMPARE(ReadFileBytes(iniPath()), file);
    }

    void emptyStoredLinkEmptiesAddressAndTooltip()
    {
        entry(4)->setURL(QStringLiteral("http://vorher.example.org"));
        frmExtern->UpdateLinkHints();
        WriteFileBytes(iniPath(), "[URL]\r\nLink4=\r\n");
        open();
        QCOMPARE(entry(4)->URL(), QString());
        QCOMPARE(entry(4)->Hint(), QString());
    }

    void clearThenCloseThenReopen()
    {
        const QByteArray file =
            "[URL]\r\nLink1=http://e.example.org\r\nDesc1=Eins\r\nLink4=http://v.example.org\r\n"
            "Desc4=Vier\r\n";
        WriteFileBytes(iniPath(), file);
        open();
        QTest::mouseClick(frmExtern->lblClear, Qt::LeftButton);
        QVERIFY(frmExtern->isVisible());
        for (int n = 1; n <= 8; ++n) {
            QCOMPARE(entry(n)->Caption(), Unassigned);
            QCOMPARE(entry(n)->URL(), QString());
            QCOMPARE(entry(n)->Hint(), QString());
        }
        QTest::mouseClick(frmExtern->lblClose, Qt::LeftButton);
        QVERIFY(!frmExtern->isVisible());
        QCOMPARE(ReadFileBytes(iniPath()), file);

        open();
        QCOMPARE(entry(1)->Caption(), QStringLiteral("Eins"));
        QCOMPARE(entry(1)->Hint(), QStringLiteral("http://e.example.org"));
        QCOMPARE(entry(4)->Caption(), QStringLiteral("Vier"));
        // Nothing stored for entry 2: it stays cleared until the program ends.
        QCOMPARE(entry(2)->Caption(), Unassigned);
        QCOMPARE(entry(2)->URL(), QString());
    }

    void clearThenSaveThenFreshLoad()
    {
        open();
        QTest::mouseClick(frmExtern->lblClear, Qt::LeftButton);
        QTest::mouseClick(frmExtern->lblSave, Qt::LeftButton);
        QVERIFY(!frmExtern->isVisible());
        QCOMPARE(ReadFileBytes(iniPath()), AllUnassignedSection());
        QCOMPARE(ReadFileBytes(iniPath()).count("\r\n"), 17);

        // As after a restart: a new dialog with the built-in entries loads the file.
        recreateDialogs();
        QVERIFY(entry(1)->Caption() != Unassigned);
        open();
        for (int n = 1; n <= 8; ++n) {
            QCOMPARE(entry(n)->Caption(), Unassigned);
            QCOMPARE(entry(n)->URL(), QString());
        }
    }

    void saveNewFileThenConfig()
    {
        open();
        entry(3)->setURL(QStringLiteral("http://drei.example.org"));
        entry(3)->setCaption(ThirtyChars);
        QTest::mouseClick(frmExtern->lblSave, Qt::LeftButton);
        QStringList urls{entry(1)->URL(), entry(2)->URL(), QStringLiteral("http://drei.example.org")};
        QStringList captions{entry(1)->Caption(), QStringLiteral("Vexlo Startseite"), ThirtyChars};
        for (int n = 4; n <= 8; ++n) {
            urls << QString();
            captions << Unassigned;
        }
        const QByteArray section = UrlSection(urls, captions);
        QCOMPARE(ReadFileBytes(iniPath()), section);

        SaveConfig(QStringLiteral("Arial"), 10, QStringLiteral("2000"), QStringLiteral("3000"), false, true, false);
        const QByteArray after = ReadFileBytes(iniPath());
        QVERIFY(after.startsWith(section + "[Config]\r\nFont=Arial\r\n"));
    }

    void saveIntoConfigOnlyFile()
    {
        const QByteArray config =
            "[Config]\r\nFont=Arial\r\nFontSize=10\r\nGrenzeGB=2000\r\nGrenzeForum=3000\r\n"
            "SysTray=0\r\nLayout=0\r\nStartMinimized=0\r\n";
        WriteFileBytes(iniPath(), config);
        open();
        QTest::mouseClick(frmExtern->lblClear, Qt::LeftButton);
        QTest::mouseClick(frmExtern->lblSave, Qt::LeftButton);
        QCOMPARE(ReadFileBytes(iniPath()), config + AllUnassignedSection());
    }

    void secondSaveChangesInPlace()
    {
        const QByteArray file =
            "; eigene Notiz\r\n[URL]\r\nDesc1=Alt\r\nLink1=http://alt.example.org\r\nFoo=bar\r\n\r\n"
            "[Config]\r\nLayout=1\r\n";
        WriteFileBytes(iniPath(), file);
        open();
        QCOMPARE(entry(1)->Caption(), QStringLiteral("Alt"));
        entry(1)->setCaption(QStringLiteral("Neu"));
        QTest::mouseClick(frmExtern->lblSave, Qt::LeftButton);
        QByteArray expected = "; eigene Notiz\r\n[URL]\r\nDesc1=Neu\r\nLink1=http://alt.example.org\r\nFoo=bar\r\n";
        expected += "Link2=" + entry(2)->URL().toUtf8() + "\r\nDesc2=Vexlo Startseite\r\n";
        for (int n = 3; n <= 8; ++n)
            expected += "Link" + QByteArray::number(n) + "=\r\nDesc" + QByteArray::number(n) + "=< unbelegt >\r\n";
        expected += "\r\n[Config]\r\nLayout=1\r\n";
        QCOMPARE(ReadFileBytes(iniPath()), expected);
    }

    void refusedSaveKeepsFileAndDialog_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("settings file is a directory") << "directory";
        QTest::newRow("program directory missing") << "missing";
        QTest::newRow("read-only file") << "readonly";
    }
    void refusedSaveKeepsFileAndDialog()
    {
        QFETCH(QString, kind);
        QString expectedMessage = QStringLiteral("In %1 kann nicht geschrieben werden.").arg(iniPath());
        const QByteArray file = "[Config]\r\nLayout=1\r\n";
        if (kind == QLatin1String("directory")) {
            QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("vexloed.ini")));
        } else if (kind == QLatin1String("missing")) {
            SetProgramDirForTesting(m_dir->filePath(QStringLiteral("fehlt")));
            expectedMessage = QStringLiteral("Datei %1 kann nicht erstellt werden: Datei nicht gefunden.")
                                  .arg(m_dir->filePath(QStringLiteral("fehlt/vexloed.ini")));
        } else {
            if (geteuid() == 0)
                QSKIP("permission bits do not stop root");
            WriteFileBytes(iniPath(), file);
            QVERIFY(QFile::setPermissions(iniPath(), QFile::ReadOwner));
        }
        open();
        ErrorBoxRecorder errors;
        QTest::mouseClick(frmExtern->lblSave, Qt::LeftButton);
        QCOMPARE(errors.shown, QStringList{expectedMessage});
        QVERIFY(frmExtern->isVisible());
        if (kind == QLatin1String("directory"))
            QVERIFY(QFileInfo(iniPath()).isDir());
        else if (kind == QLatin1String("missing"))
            QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("fehlt"))));
        else
            QCOMPARE(ReadFileBytes(iniPath()), file);
    }

    void clickOpensEntry()
    {
        open();
        QTest::mouseClick(entry(2), Qt::LeftButton, {}, QPoint(2, 2));
        QTest::mouseClick(entry(5), Qt::LeftButton, {}, QPoint(2, 2));
        // An unassigned entry hands its caption on, as every link label without an address does.
        QCOMPARE(m_opened, (QStringList{entry(2)->URL(), Unassigned}));
    }

    // Tab visits every row's edit button and link, then the three label
    // buttons, and comes round again; the control in focus shows a frame.
    void tabReachesEveryControl()
    {
        open();
        QList<QWidget*> expected;
        for (int n = 0; n < TfrmExtern::EntryCount; ++n)
            expected << frmExtern->SpeedButton[n] << frmExtern->ulExtern[n];
        expected << frmExtern->lblClear << frmExtern->lblSave << frmExtern->lblClose;
        QCOMPARE(QApplication::focusWidget(), expected.first());
        for (int i = 1; i <= expected.size(); ++i) {
            QWidget* before = QApplication::focusWidget();
            const QImage unfocused = FreshlyPainted(expected[i % expected.size()]);
            QTest::keyClick(before, Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            QCOMPARE(now, expected[i % expected.size()]);
            QVERIFY2(ShowsFocusFrame(FreshlyPainted(now), unfocused), qPrintable(now->objectName()));
        }
    }

    // Space and Enter run the control in focus as a click does; Escape
    // anywhere closes as "Schließen" does, and nothing is written.
    void keysRunTheFocusedControl_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("effect");
        for (const int key : {int(Qt::Key_Space), int(Qt::Key_Return)}) {
            const QString name = key == Qt::Key_Space ? QStringLiteral("Space") : QStringLiteral("Enter");
            QTest::newRow(qPrintable(name + " on a link")) << "ulExtern2" << key << "opened";
            QTest::newRow(qPrintable(name + " on an edit button")) << "SpeedButton3" << key << "edit 3";
            QTest::newRow(qPrintable(name + " on Alle löschen")) << "lblClear" << key << "cleared";
            QTest::newRow(qPrintable(name + " on Speichern")) << "lblSave" << key << "saved";
            QTest::newRow(qPrintable(name + " on Schließen")) << "lblClose" << key << "closed";
        }
        QTest::newRow("Escape on a link") << "ulExtern1" << int(Qt::Key_Escape) << "closed";
        QTest::newRow("Escape on Speichern") << "lblSave" << int(Qt::Key_Escape) << "closed";
        QTest::newRow("Escape on an edit button") << "SpeedButton1" << int(Qt::Key_Escape) << "closed";
    }
    void keysRunTheFocusedControl()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(QString, effect);
        open();
        auto* target = frmExtern->findChild<QWidget*>(control);
        QVERIFY(target);
        target->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), target);
        QTest::keyClick(target, Qt::Key(key));
        QCoreApplication::processEvents();
        QCOMPARE(m_opened, effect == QLatin1String("opened") ? QStringList{entry(2)->URL()} : QStringList());
        QCOMPARE(EditSlot, effect == QLatin1String("edit 3") ? 3 : 0);
        QCOMPARE(frmChangeURL->isVisible(), effect == QLatin1String("edit 3"));
        QCOMPARE(entry(1)->Caption() == Unassigned, effect == QLatin1String("cleared"));
        QCOMPARE(QFileInfo::exists(iniPath()), effect == QLatin1String("saved"));
        const bool closes = effect == QLatin1String("saved") || effect == QLatin1String("closed");
        QCOMPARE(frmExtern->isVisible(), !closes);
    }

    void editWhileOpenedModally()
    {
        // The edit dialog must take input while the list dialog runs modally.
        bool done = false;
        QTimer::singleShot(0, [&] {
            // A failed check returns early: the modal loop must end all the same.
            const auto closeList = qScopeGuard([] { frmExtern->close(); });
            QTest::mouseClick(frmExtern->SpeedButton[2], Qt::LeftButton);
            QCOMPARE(EditSlot, 3);
            QVERIFY(frmChangeURL->isVisible());
            QVERIFY(QTest::qWaitForWindowExposed(frmChangeURL));
            QWindow* window = frmChangeURL->windowHandle();
            frmChangeURL->edURL->setFocus();
            for (const char c : {'h', 'o', 's', 't'})
                QTest::keyClick(window, c);
            QTest::keyClick(window, Qt::Key_Return);
            QTRY_VERIFY(!frmChangeURL->isVisible());
            QCOMPARE(entry(3)->URL(), QStringLiteral("host"));
            QCOMPARE(entry(3)->Caption(), Unassigned);
            done = true;
        });
        frmExtern->exec();
        QVERIFY(done);
    }

    void closingListLeavesEditOpen()
    {
        WriteFileBytes(iniPath(), "[URL]\r\nLink3=http://gespeichert.example.org\r\n");
        open();
        QTest::mouseClick(frmExtern->SpeedButton[2], Qt::LeftButton);
        QTest::mouseClick(frmExtern->lblClose, Qt::LeftButton);
        QVERIFY(!frmExtern->isVisible());
        QVERIFY(frmChangeURL->isVisible());
        frmChangeURL->edURL->setText(QStringLiteral("http://neu.example.org"));
        frmChangeURL->edName->setText(QStringLiteral("Neu"));
        frmChangeURL->lblOKClick();
        QCOMPARE(entry(3)->URL(), QStringLiteral("http://neu.example.org"));
        QCOMPARE(entry(3)->Caption(), QStringLiteral("Neu"));
        // The next opening reloads the stored address; the unstored name stays.
        open();
        QCOMPARE(entry(3)->URL(), QStringLiteral("http://gespeichert.example.org"));
        QCOMPARE(entry(3)->Caption(), QStringLiteral("Neu"));
        reactivate();
        QCOMPARE(entry(3)->Hint(), QStringLiteral("http://gespeichert.example.org"));
    }
};

VEXLO_TEST_MAIN(TestExtern)
#include "test_extern.moc"
