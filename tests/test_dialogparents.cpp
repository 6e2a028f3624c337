#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "changeurl.h"
#include "customize.h"
#include "extern.h"
#include "framework/ErrorBox.h"
#include "framework/FontDialog.h"
#include "main.h"
#include "shownmainwindow.h"
#include "testsupport.h"

// Every dialog is a transient of the window it belongs to: on Wayland, where a
// program cannot place its windows, that is what lets the compositor put it
// over the main window. Run offscreen and, by an end-to-end test, under a
// Wayland compositor.
class TestDialogParents : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_window.open());
        frmCustomize = new TfrmCustomize(frmMain);
        frmExtern = new TfrmExtern(frmMain);
        frmChangeURL = new TfrmChangeURL(frmMain);
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
            frmExtern->show();
            frmExtern->SpeedButtonClick(1);
            QTRY_VERIFY(!seen.isEmpty());
            frmExtern->close();
        } else if (dialog == "font") {
            frmCustomize->show();
            FontDialog chooser(frmCustomize->font());
            chooser.Execute(frmCustomize);
            frmCustomize->close();
        } else {
            ErrorBox::Show(QStringLiteral("Probe"));
        }
        QTRY_VERIFY(!seen.isEmpty());
        QCOMPARE(seen, owner + QStringLiteral("Window"));
    }

private:
    ShownMainWindow m_window;
};

VEXLO_TEST_MAIN(TestDialogParents)
#include "test_dialogparents.moc"
