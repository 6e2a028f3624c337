#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTextCursor>

#include "counting/infoline.h"
#include "counting/limitview.h"
#include "shownmainwindow.h"
#include "storage/globals.h"
#include "testsupport.h"
#include "text/memo.h"
#include "windows/main.h"

class TestCountMenu : public QObject {
    Q_OBJECT

    ShownMainWindow m_window;
    TfrmMain* m_form = nullptr;

    QString iniPath() const { return m_window.iniPath(); }
    void createForm() { m_form = m_window.create(); }
    TLimitView* view() const { return m_form->findChild<TLimitView*>(QStringLiteral("limitView")); }
    TInfoLine* infoLine() const { return m_form->findChild<TInfoLine*>(QStringLiteral("infoLine")); }
    // Picks a rule in the text area's menu, as the user does.
    void choose(const char* item)
    {
        std::unique_ptr<QMenu> menu(m_form->memoMain->createContextMenu(QPoint(5, 5)));
        auto* action = menu->findChild<QAction*>(QLatin1String(item));
        QVERIFY(action);
        action->trigger();
    }

private slots:
    void initTestCase() { QVERIFY(m_window.isValid()); }
    void cleanup()
    {
        m_window.close();
        m_form = nullptr;
        QFile::remove(iniPath());
    }

    // What the settings file holds, read as a rule: anything but 1 to 5 is 1.
    void readsStoredRule_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("rule");
        QTest::newRow("bytes") << "4" << 4;
        QTest::newRow("visible") << "5" << 5;
        QTest::newRow("blank before") << " 3" << 3;
        QTest::newRow("zero") << "0" << 1;
        QTest::newRow("above") << "6" << 1;
        QTest::newRow("negative") << "-2" << 1;
        QTest::newRow("word") << "Bytes" << 1;
        QTest::newRow("empty") << "" << 1;
    }
    void readsStoredRule()
    {
        QFETCH(QString, value);
        QFETCH(int, rule);
        WriteFileBytes(iniPath(), QStringLiteral("[Zaehlweise]\r\nGB=%1\r\nForum=2\r\n").arg(value).toUtf8());
        Settings = TSettings();
        QFont font;
        LoadSettings(font);
        QCOMPARE(Settings.ZaehlweiseGB, rule);
        QCOMPARE(Settings.ZaehlweiseForum, 2);
    }

    // A rule picked in the menu counts at once everywhere the limit shows, is
    // stored in a section of its own, and comes back at the next start.
    void chosenRuleCountsAndIsStored()
    {
        const QByteArray config("[Config]\r\nGrenzeGB=10\r\nGrenzeForum=0\r\n");
        WriteFileBytes(iniPath(), config);
        createForm();
        const QString umlauts = QStringLiteral("äöüäöüä");  // 7 characters, 14 bytes
        m_form->memoMain->setText(umlauts);
        ShowFigures();
        QCOMPARE(infoLine()->text(), QStringLiteral("Gästebuch: noch 3"));
        QVERIFY(!m_form->lblGB->isVisibleTo(m_form));
        QVERIFY(view()->marks().isEmpty());

        choose("miZaehlweiseGB4");
        QCOMPARE(Settings.ZaehlweiseGB, 4);
        // The forum's limit of 0 is none and stays out.
        QCOMPARE(infoLine()->text(), QStringLiteral("Gästebuch (Bytes): 4 zu viel"));
        QVERIFY(m_form->lblGB->isVisibleTo(m_form));
        QCOMPARE(view()->marks(), (QVector<TMarkRange>{{5, 7, false}}));
        QCOMPARE(ReadFileBytes(iniPath()), config + "[Zaehlweise]\r\nGB=4\r\n");
        {
            std::unique_ptr<QMenu> menu(m_form->memoMain->createContextMenu(QPoint(5, 5)));
            QVERIFY(menu->findChild<QAction*>(QStringLiteral("miZaehlweiseGB4"))->isChecked());
            QVERIFY(menu->findChild<QAction*>(QStringLiteral("miZaehlweiseForum1"))->isChecked());
            menu->findChild<QAction*>(QStringLiteral("miCopyGB"))->trigger();
            QCOMPARE(QApplication::clipboard()->text(), umlauts.left(5));
        }

        // The selection under the rule that differs, in the tooltip.
        m_form->memoMain->selectAll();
        QVERIFY(view()->statisticsText().endsWith(QStringLiteral("\nAuswahl (Zählweise „Bytes (UTF-8)“): 14")));

        // Picking the rule in force writes nothing.
        QVERIFY(QFile::remove(iniPath()));
        choose("miZaehlweiseGB4");
        QVERIFY(!QFile::exists(iniPath()));
        choose("miZaehlweiseForum5");
        QCOMPARE(ReadFileBytes(iniPath()), QByteArray("[Zaehlweise]\r\nForum=5\r\n"));
        WriteFileBytes(iniPath(), config + "[Zaehlweise]\r\nGB=4\r\nForum=5\r\n");

        createForm();
        m_form->memoMain->setText(umlauts + QStringLiteral("e\u0301"));
        QCOMPARE(view()->countRule(TLimitSlot::Forum), TCountRule::Graphemes);
        QCOMPARE(view()->limitCount(TLimitSlot::Forum), qsizetype(8));
        ShowFigures();
        QCOMPARE(infoLine()->text(), QStringLiteral("Gästebuch (Bytes): 7 zu viel"));
    }

    // A click on the info line offers the same choice.
    void infoLineClickOffersTheRules()
    {
        WriteFileBytes(iniPath(), "[Zaehlweise]\r\nForum=3\r\n");
        createForm();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        QTest::mouseClick(infoLine(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        auto* menu = infoLine()->findChild<QMenu*>(QStringLiteral("mpopZaehlweise"));
        QVERIFY(menu);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->findChild<QMenu*>(QStringLiteral("miZaehlweiseGB"))->title(),
                 QStringLiteral("Gästebuch zählt …"));
        auto* codePoints = menu->findChild<QAction*>(QStringLiteral("miZaehlweiseForum3"));
        QCOMPARE(codePoints->text(), QStringLiteral("Unicode-Zeichen"));
        QVERIFY(codePoints->isChecked());
        menu->findChild<QAction*>(QStringLiteral("miZaehlweiseGB2"))->trigger();
        QCOMPARE(Settings.ZaehlweiseGB, 2);
        menu->close();
    }

    // A settings file that cannot be written is reported; the rule still counts.
    void refusedWriteIsReported()
    {
        QVERIFY(QDir(m_window.path()).mkdir(QStringLiteral("vexloed.ini")));
        createForm();
        ErrorBoxRecorder recorder;
        choose("miZaehlweiseGB5");
        QCOMPARE(recorder.shown, QStringList{QStringLiteral("In %1 kann nicht geschrieben werden.").arg(iniPath())});
        QCOMPARE(view()->countRule(TLimitSlot::GuestBook), TCountRule::Graphemes);
        QVERIFY(QDir(m_window.path()).rmdir(QStringLiteral("vexloed.ini")));
    }
};

VEXLO_TEST_MAIN(TestCountMenu)
#include "test_countmenu.moc"
