#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include "framework/FileDialogs.h"
#include "framework/LabelButton.h"
#include "shownmainwindow.h"
#include "storage/globals.h"
#include "testsupport.h"
#include "text/memo.h"
#include "windows/customize.h"
#include "windows/extern.h"
#include "windows/main.h"

class TestMainKeys : public QObject {
    Q_OBJECT

    ShownMainWindow m_form;
    // Every modal dialog is recorded and closed at once: a key bound to the
    // wrong command fails the test instead of waiting for a user.
    QStringList m_dialogs;
    QTimer m_dialogCloser;

    void press(QWidget* focus, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        focus->activateWindow();
        focus->setFocus();
        QTest::keyClick(focus, key, modifiers);
    }

    // The key pressed in the text area, and what the window that then opens
    // (a modal dialog or a menu) is called; it is closed again at once.
    QString opened(Qt::Key key, Qt::KeyboardModifiers modifiers, QWidget* focus)
    {
        // This dialog is expected: the closer of unexpected ones stands aside.
        m_dialogCloser.stop();
        const auto restart = qScopeGuard([this] { m_dialogCloser.start(20); });
        QString title;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                title = dialog->windowTitle();
                dialog->close();
            } else if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                title = QStringLiteral("menu of %1 entries").arg(menu->actions().size());
                menu->close();
            }
        });
        poll.start(20);
        // A closed dialog hands the activation back to the window a moment later.
        focus->activateWindow();
        if (!QTest::qWaitForWindowActive(focus->window()))
            return QStringLiteral("window not active");
        press(focus, key, modifiers);
        if (!QTest::qWaitFor([&] { return !title.isEmpty(); }))
            return QStringLiteral("nothing opened");
        return title;
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
        ShowFigures();
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

    // Each command's key runs it from the text area, and its tooltip names the key.
    void commandKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("keyName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<bool>("aboutShown");
        // The text is "Gruß" with "G" selected, the clipboard holds "neu".
        const struct {
            const char* row;
            QKeyCombination key;
            const char* button;
            const char* keyName;
            const char* text;
            const char* clipboard;
            bool aboutShown;
        } rows[] = {
            {"copy the whole text", Qt::CTRL | Qt::SHIFT | Qt::Key_C, "lblCopyClip", "Strg+Umschalt+C", "Gruß", "Gruß",
             false},
            {"paste as last line", Qt::CTRL | Qt::SHIFT | Qt::Key_V, "lblClipPaste", "Strg+Umschalt+V", "Gruß\nneu",
             "neu", false},
            {"clear text and clipboard", Qt::CTRL | Qt::SHIFT | Qt::Key_Delete, "lblClear", "Strg+Umschalt+Entf", "",
             "", false},
            {"about", QKeyCombination(Qt::Key_F1), "lblAbout", "F1", "Gruß", "neu", true},
            {"open", Qt::CTRL | Qt::Key_O, "lblFileOpen", "Strg+O", "Gruß", "neu", false},
        };
        for (const auto& row : rows)
            QTest::newRow(row.row) << row.key.toCombined() << QString::fromUtf8(row.button)
                                   << QString::fromUtf8(row.keyName) << QString::fromUtf8(row.text)
                                   << QString::fromUtf8(row.clipboard) << row.aboutShown;
    }
    void commandKeys()
    {
        QFETCH(int, key);
        QFETCH(QString, button);
        QFETCH(QString, keyName);
        QFETCH(QString, text);
        QFETCH(QString, clipboard);
        QFETCH(bool, aboutShown);
        m_form->memoMain->setText(QStringLiteral("Gruß"));
        QTextCursor cursor = m_form->memoMain->textCursor();
        cursor.setPosition(0);
        cursor.setPosition(1, QTextCursor::KeepAnchor);
        m_form->memoMain->setTextCursor(cursor);
        QApplication::clipboard()->setText(QStringLiteral("neu"));
        FileDialogs::QueueAnswerForTesting(QString());  // "öffnen" cancelled
        const QKeyCombination combination = QKeyCombination::fromCombined(key);
        press(m_form->memoMain, combination.key(), combination.keyboardModifiers());
        QCOMPARE(m_form->memoMain->text(), text);
        QCOMPARE(QApplication::clipboard()->text(), clipboard);
        QCOMPARE(m_form->memoAbout->isVisible(), aboutShown);
        const auto* label = m_form->findChild<LabelButton*>(button);
        QVERIFY(label);
        QVERIFY2(label->toolTip().endsWith(QStringLiteral("(%1)").arg(keyName)), qPrintable(label->toolTip()));
    }

    // Ctrl+L and Ctrl+, open the two dialogs, Shift+F10 the text area's menu,
    // also with the focus on a check box.
    void dialogAndMenuKeys()
    {
        frmExtern = new TfrmExtern(m_form.form());
        frmCustomize = new TfrmCustomize(m_form.form());
        QCOMPARE(opened(Qt::Key_Comma, Qt::ControlModifier, m_form->memoMain), QStringLiteral("Konfiguration"));
        QCOMPARE(opened(Qt::Key_L, Qt::ControlModifier, m_form->memoMain), QStringLiteral("Außenlinks"));
        frmExtern = nullptr;
        frmCustomize = nullptr;
        const QString menu = opened(Qt::Key_F10, Qt::ShiftModifier, m_form->cbStayOnTop);
        QVERIFY2(menu.startsWith(QStringLiteral("menu of")), qPrintable(menu));
        QCOMPARE(opened(Qt::Key_F10, Qt::ShiftModifier, m_form->memoMain), menu);
        QVERIFY(m_form->lblExtern->toolTip().endsWith(QStringLiteral(" (Strg+L)")));
        QVERIFY(m_form->lblCustomize->toolTip().endsWith(QStringLiteral(" (Strg+,)")));
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
