#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "framework/FileDialogs.h"
#include "globals.h"
#include "main.h"
#include "memo.h"
#include "shownmainwindow.h"
#include "testsupport.h"

class TestMainKeys : public QObject {
    Q_OBJECT

    ShownMainWindow m_form;
    // Every modal dialog is recorded and closed at once: a key bound to the
    // wrong command fails the test instead of waiting for a user.
    QStringList m_dialogs;
    QTimer m_dialogCloser;

    void press(QWidget* focus, Qt::Key key)
    {
        focus->activateWindow();
        focus->setFocus();
        QTest::keyClick(focus, key, Qt::ControlModifier);
    }

private slots:
    void initTestCase()
    {
        connect(&m_dialogCloser, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_dialogs << QString::fromLatin1(dialog->metaObject()->className());
            dialog->reject();
        });
        m_dialogCloser.start(20);
    }
    void init()
    {
        m_dialogs.clear();
        QVERIFY(m_form.open());
    }
    void cleanup()
    {
        m_form.close();
        QVERIFY2(m_dialogs.isEmpty(), qPrintable(m_dialogs.join(u' ')));
    }

    // Wherever the focus is, Ctrl+O opens and Ctrl+S saves through the dialogs.
    void openAndSave_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("in the text area") << QStringLiteral("memoMain");
        QTest::newRow("on a check box") << QStringLiteral("cbStayOnTop");
    }
    void openAndSave()
    {
        QFETCH(QString, focus);
        auto* target = m_form.form()->findChild<QWidget*>(focus);
        QVERIFY(target);
        const QString source = m_form.filePath(QStringLiteral("quelle.txt"));
        WriteFileBytes(source, "Hallo\r\nWelt");
        FileDialogs::QueueAnswerForTesting(source);
        press(target, Qt::Key_O);
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("Hallo\nWelt"));
        QCOMPARE(m_form->lblCharCount->text(), QStringLiteral("11"));

        const QString saved = m_form.filePath(QStringLiteral("ziel.txt"));
        FileDialogs::QueueAnswerForTesting(saved);
        press(target, Qt::Key_S);
        QCOMPARE(ReadFileBytes(saved), QByteArray("Hallo\r\nWelt"));
    }

    void ctrlQEndsTheProgram()
    {
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        QTimer::singleShot(0, [this] { press(m_form->memoMain, Qt::Key_Q); });
        watchdog.start(5000);
        QCOMPARE(QCoreApplication::exec(), 0);
    }

    // The text area's own keys keep their meaning.
    void textAreaKeys()
    {
        m_form->memoMain->setText(QStringLiteral("Gruß"));
        press(m_form->memoMain, Qt::Key_A);
        press(m_form->memoMain, Qt::Key_C);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Gruß"));
        m_form->memoMain->moveCursor(QTextCursor::End);
        press(m_form->memoMain, Qt::Key_V);
        QCOMPARE(m_form->memoMain->text(), QStringLiteral("GrußGruß"));
    }
};

VEXLO_TEST_MAIN(TestMainKeys)
#include "test_mainkeys.moc"
