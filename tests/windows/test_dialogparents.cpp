#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "framework/ErrorBox.h"
#include "framework/FontDialog.h"
#include "shownmainwindow.h"
#include "testsupport.h"
#include "windows/ProUrl.h"
#include "windows/changeurl.h"
#include "windows/customize.h"
#include "windows/extern.h"
#include "windows/main.h"

// Every dialog is a transient of the window it belongs to: on Wayland, where a
// program cannot place its windows, that is what lets the compositor put it
// over the main window. Run offscreen and, by an end-to-end test, under a
// Wayland compositor.
class TestDialogParents : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        // The dialogs as the program has them: made at their first opening.
        QVERIFY(m_window.open());
        QVERIFY(!frmCustomize && !frmExtern && !frmChangeURL);
    }
    void cleanup()
    {
        m_window.close();  // the dialogs are the main window's children
        frmCustomize = nullptr;
        frmExtern = nullptr;
        frmChangeURL = nullptr;
    }

    void dialogsAreTransientsOfTheirWindow_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("owner");
        QTest::newRow("Konfiguration") << "frmCustomize" << "frmMain";
        QTest::newRow("Außenlinks") << "frmExtern" << "frmMain";
        QTest::newRow("URL ändern, over Außenlinks") << "frmChangeURL" << "frmExtern";
        QTest::newRow("Schriftart, over Konfiguration") << "font" << "frmCustomize";
        QTest::newRow("error box") << "error" << "frmMain";
    }
    void dialogsAreTransientsOfTheirWindow()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, owner);
        QString seen;
        // Inspects the newest visible dialog once it is up, then closes it.
        const std::function<void()> inspect = [&] {
            QWidget* shown = QApplication::activeModalWidget();
            if (dialog == "frmChangeURL")
                shown = frmChangeURL->isVisible() ? frmChangeURL : nullptr;
            if (!shown || !shown->windowHandle()) {
                QTimer::singleShot(10, inspect);
                return;
            }
            const QWindow* parent = shown->windowHandle()->transientParent();
            seen = parent ? parent->objectName() : QStringLiteral("none");
            if (auto* modal = qobject_cast<QDialog*>(shown); modal && modal->isModal())
                modal->reject();
            else
                shown->close();
        };
        QTimer::singleShot(0, inspect);
        if (dialog == "frmCustomize") {
            frmMain->lblCustomizeClick();
        } else if (dialog == "frmExtern") {
            frmMain->lblExternClick();
        } else if (dialog == "frmChangeURL") {
            ExternForm()->show();
            frmExtern->SpeedButtonClick(1);
            QTRY_VERIFY(!seen.isEmpty());
            frmExtern->close();
        } else if (dialog == "font") {
            CustomizeForm()->show();
            FontDialog chooser(frmCustomize->font());
            chooser.Execute(frmCustomize);
            frmCustomize->close();
        } else {
            ErrorBox::Show(QStringLiteral("Probe"));
        }
        QTRY_VERIFY(!seen.isEmpty());
        QCOMPARE(seen, owner + QStringLiteral("Window"));
    }

    // Made at its first opening, a dialog is the same at the next and keeps
    // what the user left in it: a link changed but not saved, the settings
    // dialog's font choice.
    void dialogsKeepTheirStateBetweenOpenings()
    {
        std::function<void()> step;
        QDialog* first = nullptr;
        // Runs step in the dialog the main window opened, then closes it.
        const std::function<void()> inDialog = [&] {
            auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!shown) {
                QTimer::singleShot(10, inDialog);
                return;
            }
            if (!first)
                first = shown;
            QCOMPARE(shown, first);
            step();
            shown->reject();
        };
        step = [] {
            frmExtern->SpeedButtonClick(3);
            frmChangeURL->edURL->setText(QStringLiteral("http://www.example.com"));
            frmChangeURL->edName->setText(QStringLiteral("Beispiel"));
            frmChangeURL->lblOKClick();
        };
        QTimer::singleShot(0, inDialog);
        frmMain->lblExternClick();
        QString caption;
        step = [&] { caption = frmExtern->Entry(3)->Caption(); };
        QTimer::singleShot(0, inDialog);
        frmMain->lblExternClick();
        QCOMPARE(caption, QStringLiteral("Beispiel"));
        QCOMPARE(frmMain->findChildren<TfrmExtern*>().size(), 1);

        first = nullptr;
        step = [] { frmCustomize->dlgFont.Font = QFont(QStringLiteral("DejaVu Serif"), 9); };
        QTimer::singleShot(0, inDialog);
        frmMain->lblCustomizeClick();
        QString family;
        step = [&] { family = frmCustomize->dlgFont.Font.family(); };
        QTimer::singleShot(0, inDialog);
        frmMain->lblCustomizeClick();
        QCOMPARE(family, QStringLiteral("DejaVu Serif"));
    }

private:
    ShownMainWindow m_window;
};

VEXLO_TEST_MAIN(TestDialogParents)
#include "test_dialogparents.moc"
