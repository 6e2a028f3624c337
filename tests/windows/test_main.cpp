#include <QAbstractItemView>
#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>

#include "framework/FileDialogs.h"
#include "framework/LabelButton.h"
#include "shownmainwindow.h"
#include "storage/globals.h"
#include "testsupport.h"
#include "text/memo.h"
#include "windows/main.h"

class TestMain : public QObject {
    Q_OBJECT

    ShownMainWindow m_window;
    TfrmMain* m_form = nullptr;

    QString iniPath() const { return m_window.iniPath(); }

    // With the settings file holding ini, or with none when ini is null.
    void createForm(const QByteArray& ini = QByteArray())
    {
        m_window.close();
        QFile::remove(iniPath());
        if (!ini.isNull())
            WriteFileBytes(iniPath(), ini);
        m_form = m_window.create();
    }

    void click(LabelButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

private slots:
    void initTestCase() { QVERIFY(m_window.isValid()); }
    void cleanup()
    {
        m_window.close();
        m_form = nullptr;
    }

    void startWithoutSettingsFile()
    {
        createForm();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Vexlo-Ed - alles was zählt"));
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("0"));
        QVERIFY(m_form->lblGB->isHidden());
        QVERIFY(m_form->lblForum->isHidden());
        QCOMPARE(Settings.GrenzeGB, 2000);
        QCOMPARE(Settings.GrenzeForum, 3000);
        QCOMPARE(Settings.LayoutColor, ColorGreen);
        QVERIFY(!m_form->cbSysTray->isChecked());
        QCOMPARE(m_form->memoMain->textFont().family(), QStringLiteral("Arial"));
        QCOMPARE(m_form->memoMain->textFont().pointSize(), 10);
        QVERIFY(!m_form->imgVexlo_green->isHidden());
        QVERIFY(m_form->imgVexlo_blue->isHidden());
        QCOMPARE(m_form->Panel1->palette().color(QPalette::Window), ToQColor(ColorGreen));
        // The test executable carries no version record.
        QCOMPARE(m_form->lblVersion->text(), QStringLiteral("lblVersion"));
    }

    void startWithStoredSettings()
    {
        createForm(
            "[Config]\r\nFont=Courier\r\nFontSize=12\r\nGrenzeGB=10\r\nGrenzeForum=20\r\n"
            "SysTray=1\r\nLayout=0\r\n");
        QVERIFY(m_form->cbSysTray->isChecked());
        QCOMPARE(m_form->memoMain->textFont().family(), QStringLiteral("Courier"));
        QCOMPARE(m_form->memoMain->textFont().pointSize(), 12);
        QCOMPARE(m_form->Panel3->palette().color(QPalette::Window), ToQColor(ColorBlue));
        QVERIFY(m_form->imgVexlo_green->isHidden());
        QVERIFY(!m_form->imgVexlo_blue->isHidden());
    }

    void countAndIndicators_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("gb");
        QTest::addColumn<bool>("forum");
        QTest::newRow("1999") << QString(1999, u'a') << 1999 << false << false;
        QTest::newRow("2000") << QString(2000, u'a') << 2000 << true << false;
        QTest::newRow("2999") << QString(2999, u'a') << 2999 << true << false;
        QTest::newRow("3000") << QString(3000, u'a') << 3000 << true << true;
        QTest::newRow("line break counts two") << QStringLiteral("ab\nc") << 5 << false << false;
        QTest::newRow("trailing break") << QStringLiteral("ab\n") << 4 << false << false;
        QTest::newRow("empty lines") << QStringLiteral("\n\n") << 4 << false << false;
        QTest::newRow("emoji counts two") << QStringLiteral("a\U0001F600") << 3 << false << false;
        QTest::newRow("umlaut counts one") << QStringLiteral("äöü") << 3 << false << false;
        QTest::newRow("1999 plus break") << QString(1998, u'a') + u'\n' << 2000 << true << false;
    }
    void countAndIndicators()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(bool, gb);
        QFETCH(bool, forum);
        createForm();
        m_form->memoMain->setText(text);
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QString::number(count));
        QCOMPARE(!m_form->lblGB->isHidden(), gb);
        QCOMPARE(!m_form->lblForum->isHidden(), forum);
    }

    void typingAndDeletingRecount()
    {
        createForm("[Config]\r\nGrenzeGB=3\r\nGrenzeForum=5\r\n");
        m_form->show();
        m_form->memoMain->setFocus();
        QTest::keyClicks(m_form->memoMain, QStringLiteral("ab"));
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("2"));
        QVERIFY(m_form->lblGB->isHidden());
        QTest::keyClick(m_form->memoMain, Qt::Key_Return);
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("4"));
        QVERIFY(!m_form->lblGB->isHidden());
        QTest::keyClick(m_form->memoMain, Qt::Key_Return, Qt::ShiftModifier);
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("6"));
        QVERIFY(!m_form->lblForum->isHidden());
        QTest::keyClick(m_form->memoMain, Qt::Key_Backspace);
        QTest::keyClick(m_form->memoMain, Qt::Key_Backspace);
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("2"));
        QVERIFY(m_form->lblGB->isHidden());
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("ab"));
    }

    void limitsAtOrBelowZeroLightForEveryText()
    {
        createForm("[Config]\r\nGrenzeGB=0\r\nGrenzeForum=-5\r\n");
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("0"));
        QVERIFY(!m_form->lblGB->isHidden());
        QVERIFY(!m_form->lblForum->isHidden());
    }

    void pasteAppendsAsNewLastLine()
    {
        createForm();
        QApplication::clipboard()->setText(QStringLiteral("ab"));
        click(m_form->lblClipPaste);
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("ab\n"));
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("4"));
        QApplication::clipboard()->setText(QStringLiteral("c"));
        click(m_form->lblClipPaste);
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("ab\nc\n"));
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("7"));

        // A text without a final break gets one before the clipboard text,
        // wherever the caret is; CR LF from the clipboard is one break.
        m_form->memoMain->setText(QStringLiteral("xy"));
        QTextCursor cursor = m_form->memoMain->textCursor();
        cursor.setPosition(0);
        m_form->memoMain->setTextCursor(cursor);
        QApplication::clipboard()->setText(QStringLiteral("1\r\n2"));
        click(m_form->lblClipPaste);
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("xy\n1\n2"));
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("8"));
    }

    void pasteWithoutPlainTextDoesNothing_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("picture") << QStringLiteral("image/png") << QByteArray("\x89PNG", 4);
        // Files copied in a file manager: a list of links, no text.
        QTest::newRow("files") << QStringLiteral("text/uri-list") << QByteArray("file:///tmp/a.txt\r\n");
    }
    void pasteWithoutPlainTextDoesNothing()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, content);
        createForm();
        m_form->memoMain->setText(QStringLiteral("bleibt"));
        auto* data = new QMimeData;
        data->setData(format, content);
        QApplication::clipboard()->setMimeData(data);
        click(m_form->lblClipPaste);
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("bleibt"));
    }

    void pastePastCapacityIsRefused()
    {
        ErrorBoxRecorder errors;
        createForm();
        m_form->memoMain->setCapacityForTesting(9);
        m_form->memoMain->setText(QStringLiteral("ab"));
        QApplication::clipboard()->setText(QStringLiteral("cd"));
        click(m_form->lblClipPaste);  // "ab\ncd": 6
        QCOMPARE(errors.shown, QStringList());
        click(m_form->lblClipPaste);  // "ab\ncd\ncd": 10
        QCOMPARE(errors.shown, QStringList{QStringLiteral("Text überschreitet Memo-Kapazität.")});
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("ab\ncd"));
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("6"));
    }

    void copyPutsWholeTextEvenWhenEmpty()
    {
        createForm();
        m_form->memoMain->setText(QStringLiteral("eins\nzwei"));
        QTextCursor cursor = m_form->memoMain->textCursor();
        cursor.setPosition(1);
        cursor.setPosition(3, QTextCursor::KeepAnchor);
        m_form->memoMain->setTextCursor(cursor);
        click(m_form->lblCopyClip);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("eins\nzwei"));
        m_form->memoMain->clear();
        click(m_form->lblCopyClip);
        QCOMPARE(QApplication::clipboard()->text(), QString());
    }

    void clearHidesAboutFirst()
    {
        createForm();
        m_form->show();
        m_form->memoMain->setText(QStringLiteral("Text"));
        QApplication::clipboard()->setText(QStringLiteral("Ablage"));
        click(m_form->lblAbout);
        QVERIFY(m_form->memoAbout->isVisible());
        QVERIFY(m_form->memoAbout->toPlainText().startsWith(QStringLiteral("Hallo Vexlo'ler!")));
        // A line that the next line of the text follows is no wrapped
        // paragraph: it fits on one line of the area.
        for (QTextBlock block = m_form->memoAbout->document()->begin(); block.next().isValid(); block = block.next()) {
            m_form->memoAbout->document()->documentLayout()->blockBoundingRect(block);  // laid out now
            QVERIFY2(block.next().text().isEmpty() || block.layout()->lineCount() == 1, qPrintable(block.text()));
        }
        QVERIFY(m_form->memoAbout->toPlainText().endsWith(QStringLiteral("Viel Spaß beim Arbeiten mit Vexlo-Ed")));
        click(m_form->lblClear);
        QVERIFY(!m_form->memoAbout->isVisible());
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("Text"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Ablage"));
        click(m_form->lblClear);
        QCOMPARE(m_form->memoMain->text(), QString());
        QCOMPARE(QApplication::clipboard()->text(), QString());
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("0"));
    }

    // Emptying is one step back: the whole text, pieces of a long line
    // included, and its count return with Ctrl+Z.
    void clearIsUndoneWhole()
    {
        createForm();
        m_form->memoMain->setLongLineLengthForTesting(300);
        // Ending in a piece: the emptied text must not take its mark.
        const QString whole = QStringLiteral("eins\n") + QString(400, u'x');
        m_form->memoMain->setText(whole);
        const QString count = m_form->lblCharCount->text();
        click(m_form->lblClear);
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("0"));
        QVERIFY(m_form->memoMain->document()->isUndoAvailable());
        QTest::keyClick(m_form->memoMain, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_form->memoMain->text(), whole);
        QCOMPARE(m_form->lblCharCount->text(), count);
        QCOMPARE(m_form->memoMain->charCount(), whole.size() + whole.count(u'\n'));
    }

    void openReplacesTextOnlyOnSuccess()
    {
        createForm();
        const QString good = m_window.filePath(QStringLiteral("lf.txt"));
        WriteFileBytes(good, "eins\nzwei\n");
        FileDialogs::QueueAnswerForTesting(good);
        click(m_form->lblFileOpen);
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("eins\nzwei\n"));
        ShowFigures();
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("12"));

        ErrorBoxRecorder errors;
        const QString missing = m_window.filePath(QStringLiteral("fehlt.txt"));
        FileDialogs::QueueAnswerForTesting(missing);
        click(m_form->lblFileOpen);
        QCOMPARE(errors.shown,
                 QStringList(
                     QStringLiteral("Datei %1 kann nicht geöffnet werden: Die Datei existiert nicht.").arg(missing)));
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("eins\nzwei\n"));

        FileDialogs::QueueAnswerForTesting(QString());  // cancelled
        click(m_form->lblFileOpen);
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("eins\nzwei\n"));
        QCOMPARE(errors.shown.size(), 1);
    }

    void saveWritesCrLfAndReportsFailure()
    {
        createForm();
        m_form->memoMain->setText(QStringLiteral("ä\nb"));
        const QString target = m_window.filePath(QStringLiteral("out.txt"));
        FileDialogs::QueueAnswerForTesting(target);
        click(m_form->lblFileSave);
        QCOMPARE(ReadFileBytes(target), QByteArray("\xC3\xA4\r\nb"));

        ErrorBoxRecorder errors;
        const QString impossible = m_window.filePath(QStringLiteral("fehlt/out.txt"));
        FileDialogs::QueueAnswerForTesting(impossible);
        click(m_form->lblFileSave);
        QCOMPARE(errors.shown, QStringList(QStringLiteral("Datei %1 kann nicht erstellt werden.").arg(impossible)));
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("ä\nb"));
    }

    // "Öffnen" starts in the folder of the file opened or saved last while
    // it is there, else where the dialog starts by itself.
    void openDialogStartsAtTheLastFile_data()
    {
        QTest::addColumn<QString>("before");  // "open", "save" or ""
        QTest::addColumn<bool>("removed");    // the folder gone since
        QTest::newRow("nothing yet") << QString() << false;
        QTest::newRow("after opening") << "open" << false;
        QTest::newRow("after saving") << "save" << false;
        QTest::newRow("folder removed since") << "save" << true;
    }
    void openDialogStartsAtTheLastFile()
    {
        QFETCH(QString, before);
        QFETCH(bool, removed);
        createForm();
        QTemporaryDir elsewhere;
        const QString folder = elsewhere.filePath(QStringLiteral("Ordner mit Ü"));
        QVERIFY(QDir().mkpath(folder));
        const QString last = folder + QStringLiteral("/zuletzt.txt");
        WriteFileBytes(last, "zuletzt");
        FileDialogs::QueueAnswerForTesting(last);
        if (before == QLatin1String("open"))
            click(m_form->lblFileOpen);
        else if (before == QLatin1String("save"))
            click(m_form->lblFileSave);
        else
            FileDialogs::GetOpenFileName(nullptr, {});  // the answer taken, no file named
        if (removed)
            QVERIFY(QDir(folder).removeRecursively());
        QString startedIn;
        QTimer::singleShot(0, [&startedIn] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            startedIn = dialog ? dialog->directory().absolutePath() : QStringLiteral("<no open dialog>");
            if (dialog)
                dialog->reject();
        });
        click(m_form->lblFileOpen);
        const bool there = !before.isEmpty() && !removed;
        QCOMPARE(startedIn, there ? QDir(folder).absolutePath() : QDir::currentPath());
    }

    // The save dialog offers the file opened or saved last, and a name typed
    // without an extension gets ".txt".
    void saveDialogOffersTheLastFile_data()
    {
        QTest::addColumn<QString>("before");  // "open", "save" or ""
        QTest::addColumn<QString>("offered");
        QTest::newRow("nothing yet") << QString() << QString();
        QTest::newRow("after opening") << "open"
                                       << "geladen.txt";
        QTest::newRow("after saving") << "save"
                                      << "gespeichert.TXT";
    }
    void saveDialogOffersTheLastFile()
    {
        QFETCH(QString, before);
        QFETCH(QString, offered);
        createForm();
        const QString last = m_window.filePath(offered);
        if (before == QLatin1String("open")) {
            WriteFileBytes(last, "geladen");
            FileDialogs::QueueAnswerForTesting(last);
            click(m_form->lblFileOpen);
        } else if (before == QLatin1String("save")) {
            m_form->memoMain->setText(QStringLiteral("geladen"));
            FileDialogs::QueueAnswerForTesting(last);
            click(m_form->lblFileSave);
        }
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("geladen").left(before.isEmpty() ? 0 : 7));

        QString shownName;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            auto* nameEdit = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
            if (!nameEdit) {
                shownName = QStringLiteral("<no save dialog>");
                return;
            }
            shownName = nameEdit->text();
            if (!offered.isEmpty() && dialog->directory() != QDir(m_window.path()))
                shownName = QStringLiteral("<in %1>").arg(dialog->directory().path());
            // A name typed into the focused field replaces the offered file's selection.
            if (auto* list = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView")))
                list->clearSelection();
            nameEdit->setText(m_window.filePath(QStringLiteral("neu")));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        const QString fresh = m_window.filePath(QStringLiteral("neu.txt"));
        QFile::remove(fresh);
        click(m_form->lblFileSave);
        QCOMPARE(shownName, offered);
        QCOMPARE(ReadFileBytes(fresh), QByteArray("geladen").left(before.isEmpty() ? 0 : 7));
        QVERIFY(QFileInfo::exists(fresh));
    }

    void stayOnTopToggles()
    {
        createForm();
        m_form->show();
        m_form->cbStayOnTop->click();
        QVERIFY(m_form->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(m_form->isVisible());
        m_form->cbStayOnTop->click();
        QVERIFY(!(m_form->windowFlags() & Qt::WindowStaysOnTopHint));
    }

    void hintsWakeAfter700msOnSilver()
    {
        createForm();
        QCOMPARE(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 700);
        // The pause really comes from the application object, not from a style default.
        TApplication::instance()->setHintPause(123);
        QCOMPARE(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 123);
        TApplication::instance()->setHintPause(700);
        QCOMPARE(QToolTip::palette().color(QPalette::ToolTipBase), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(m_form->lblFileOpen->toolTip(), QStringLiteral("Öffnet eine Textdatei (Strg+O)"));
        QCOMPARE(m_form->cbSysTray->toolTip(), QStringLiteral("minimiert Vexlo-Ed in den SysTray\n(neben der Uhr)"));
    }

    void versionText()
    {
        QCOMPARE(FormatVersion({1, 20, 0, 25}), QStringLiteral("V1.20 Build 025"));
        QCOMPARE(FormatVersion({2, 5, 7, 1234}), QStringLiteral("V2.05 Build 1234"));
    }

    void labelButtonColoursAndClick()
    {
        createForm();
        m_form->show();
        LabelButton* button = m_form->lblAbout;
        QTest::mousePress(button, Qt::RightButton);
        QCOMPARE(button->textColor(), QColor(Qt::yellow));
        QTest::mouseRelease(button, Qt::RightButton);
        QCOMPARE(button->textColor(), QColor(Qt::black));
        QVERIFY(!m_form->memoAbout->isVisible());
        // Released outside: no action, still black.
        QTest::mousePress(button, Qt::LeftButton);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-5, -5));
        QVERIFY(!m_form->memoAbout->isVisible());
        QCOMPARE(button->textColor(), QColor(Qt::black));
        // The action runs before the colour goes back to black.
        QColor colourDuringAction;
        connect(button, &LabelButton::clicked, this, [&] { colourDuringAction = button->textColor(); });
        click(button);
        QCOMPARE(colourDuringAction, QColor(Qt::yellow));
        QVERIFY(m_form->memoAbout->isVisible());
    }
};

VEXLO_TEST_MAIN(TestMain)
#include "test_main.moc"
