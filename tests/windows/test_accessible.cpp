#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QMenu>
#include <QTest>

#include "counting/infoline.h"
#include "framework/LabelButton.h"
#include "shownmainwindow.h"
#include "testsupport.h"
#include "text/memo.h"
#include "windows/ProUrl.h"
#include "windows/ProUrlOpen.h"
#include "windows/accessible.h"
#include "windows/main.h"

class TestAccessible : public QObject {
    Q_OBJECT

    ShownMainWindow m_form;

    QAccessibleInterface* of(const char* name) const
    {
        auto* control = QLatin1String(name) == QLatin1String("frmMain")
                            ? m_form.form()
                            : m_form->findChild<QWidget*>(QLatin1String(name));
        return control ? QAccessible::queryAccessibleInterface(control) : nullptr;
    }

private slots:
    void initTestCase() { InstallAccessibility(); }
    void init() { QVERIFY(m_form.open()); }
    void cleanup()
    {
        SetLinkOpenerForTesting({});
        m_form.close();
    }

    // What a screen reader is told about each kind of control.
    void rolesAndNames_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("pressable");
        QTest::newRow("label button") << "lblCopyClip" << int(QAccessible::Button) << "kopieren"
                                      << "Kopiert den Text in die Zwischenablage (Strg+Umschalt+C)" << true;
        QTest::newRow("link") << "lblMailTo" << int(QAccessible::Link) << "e-mail an Karst"
                              << "mailto:karst@example.org?subject='Vexlo-Ed Anregungen'" << true;
        QTest::newRow("count") << "lblCharCount" << int(QAccessible::StaticText) << "0 Zeichen im Textfenster"
                               << QString() << false;
        QTest::newRow("indicator") << "lblGB" << int(QAccessible::StaticText) << "Gästebuch-Grenze erreicht"
                                   << "Die maximale Zeichenzahl für Gästebucheinträge ist überschritten" << false;
        QTest::newRow("text area") << "memoMain" << int(QAccessible::EditableText) << "Text" << QString() << false;
        QTest::newRow("logo") << "imgKarst" << int(QAccessible::Graphic) << "Karst-Logo" << QString() << false;
        QTest::newRow("check box") << "cbSysTray" << int(QAccessible::CheckBox) << "SysTray"
                                   << "minimiert Vexlo-Ed in den SysTray\n(neben der Uhr)" << false;
        QTest::newRow("main window") << "frmMain" << int(QAccessible::Window) << "Vexlo-Ed - alles was zählt"
                                     << QString() << false;
    }
    void rolesAndNames()
    {
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, name);
        QFETCH(QString, description);
        QFETCH(bool, pressable);
        QAccessibleInterface* face = of(qPrintable(control));
        QVERIFY(face);
        QCOMPARE(int(face->role()), role);
        QCOMPARE(face->text(QAccessible::Name), name);
        QCOMPARE(face->text(QAccessible::Description), description);
        QAccessibleActionInterface* actions = face->actionInterface();
        QCOMPARE(actions && actions->actionNames().contains(QAccessibleActionInterface::pressAction()), pressable);
        if (control == QLatin1String("cbSysTray")) {
            QCOMPARE(actions->actionNames().first(), QAccessibleActionInterface::toggleAction());
            for (const bool checked : {true, false}) {
                m_form->cbSysTray->setChecked(checked);
                QVERIFY(face->state().checkable);
                QCOMPARE(bool(face->state().checked), checked);
            }
        }
        if (control == QLatin1String("lblCopyClip"))
            QCOMPARE(actions->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
                     QStringList{QStringLiteral("Strg+Umschalt+C")});
    }

    // The second half of the count's sentence and the emblem are not read on their own.
    void decorativeControlsAreSkipped()
    {
        for (const char* name : {"Label5", "Image1"}) {
            QAccessibleInterface* face = of(name);
            QVERIFY(face);
            QVERIFY2(face->state().invisible, name);
            QVERIFY(face->text(QAccessible::Name).isEmpty());
        }
        QVERIFY(!of("lblCharCount")->state().invisible);
    }

    // Press runs the click: the command, and the colour rule's press and release.
    void pressRunsTheLeftClick()
    {
        m_form->memoMain->setText(QStringLiteral("Gruß"));
        QApplication::clipboard()->clear();
        QList<Qt::MouseButton> downs, ups;
        connect(m_form->lblCopyClip, &LabelButton::mouseDown, this, [&](Qt::MouseButton b) { downs << b; });
        connect(m_form->lblCopyClip, &LabelButton::mouseUp, this, [&](Qt::MouseButton b) { ups << b; });
        of("lblCopyClip")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(QApplication::clipboard()->text(), QStringLiteral("Gruß"));
        QCOMPARE(downs, QList<Qt::MouseButton>{Qt::LeftButton});
        QCOMPARE(ups, QList<Qt::MouseButton>{Qt::LeftButton});
        QCOMPARE(m_form->lblCopyClip->textColor(), QColor(Qt::black));

        QStringList opened;
        SetLinkOpenerForTesting([&](const QString& link) { opened << link; });
        of("lblMailTo")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(opened, QStringList{m_form->lblMailTo->URL()});
        // A disabled command cannot be pressed.
        m_form->lblCopyClip->setEnabled(false);
        m_form->memoMain->setText(QStringLiteral("neu"));
        of("lblCopyClip")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTest::qWait(50);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Gruß"));

        // The info line, pressed, offers the counting rules as a click does.
        auto* line = m_form->memoMain->findChild<TInfoLine*>();
        QAccessible::queryAccessibleInterface(line)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
        QApplication::activePopupWidget()->close();
    }

    // Behind a modal dialog the main window's controls offer no action and a
    // press runs nothing; the dialog's own controls and an unblocked window
    // act as ever.
    void pressBehindModalDialog_data()
    {
        QTest::addColumn<int>("modality");
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("blocked");
        QTest::newRow("label button, application-modal") << int(Qt::ApplicationModal) << "lblClear" << true;
        QTest::newRow("link, application-modal") << int(Qt::ApplicationModal) << "lblMailTo" << true;
        QTest::newRow("info line, application-modal") << int(Qt::ApplicationModal) << "infoLine" << true;
        QTest::newRow("label button, window-modal") << int(Qt::WindowModal) << "lblClear" << true;
        QTest::newRow("label button, parentless application-modal")
            << int(Qt::ApplicationModal) << "lblClear, parentless" << true;
        QTest::newRow("the modal dialog's own button") << int(Qt::ApplicationModal) << "own" << false;
        QTest::newRow("a window the modal dialog owns") << int(Qt::ApplicationModal) << "owned" << false;
        QTest::newRow("check box, application-modal") << int(Qt::ApplicationModal) << "cbStayOnTop" << true;
        QTest::newRow("check box beside a modeless dialog") << int(Qt::NonModal) << "cbStayOnTop" << false;
        QTest::newRow("label button beside a modeless dialog") << int(Qt::NonModal) << "lblClear" << false;
    }
    void pressBehindModalDialog()
    {
        QFETCH(int, modality);
        QFETCH(QString, control);
        QFETCH(bool, blocked);
        m_form->memoMain->setText(QStringLiteral("Gruß"));
        QStringList opened;
        SetLinkOpenerForTesting([&](const QString& link) { opened << link; });
        const bool parentless = control.endsWith(QLatin1String(", parentless"));
        control.remove(QStringLiteral(", parentless"));
        QDialog dialog(parentless ? nullptr : m_form.form());
        // A window of the dialog's own, as "URL ändern" belongs to "Außenlinks".
        auto* owned = new QWidget(&dialog, Qt::Window);
        auto* own = new LabelButton(QStringLiteral("Weiter"), control == QLatin1String("owned") ? owned : &dialog);
        bool ownClicked = false;
        connect(own, &LabelButton::clicked, this, [&] { ownClicked = true; });
        owned->show();
        dialog.setWindowModality(Qt::WindowModality(modality));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QWidget* target = control == QLatin1String("own") || control == QLatin1String("owned") ? own
                          : control == QLatin1String("infoLine") ? m_form->memoMain->findChild<TInfoLine*>()
                                                                 : m_form->findChild<QWidget*>(control);
        QVERIFY(target);
        QAccessibleActionInterface* actions = QAccessible::queryAccessibleInterface(target)->actionInterface();
        QVERIFY(actions);
        QCOMPARE(actions->actionNames().isEmpty(), blocked);
        const bool box = control == QLatin1String("cbStayOnTop");
        actions->doAction(box ? QAccessibleActionInterface::toggleAction() : QAccessibleActionInterface::pressAction());
        QTest::qWait(box ? 300 : 50);  // a check box is clicked as the eye sees it, after a moment
        bool ran = false;
        if (control == QLatin1String("own") || control == QLatin1String("owned")) {
            ran = ownClicked;
        } else if (control == QLatin1String("lblMailTo")) {
            ran = !opened.isEmpty();
        } else if (box) {
            ran = m_form->cbStayOnTop->isChecked();
        } else if (control == QLatin1String("infoLine")) {
            ran = QApplication::activePopupWidget() != nullptr;
            if (ran)
                QApplication::activePopupWidget()->close();
        } else {
            ran = m_form->memoMain->text().isEmpty();
        }
        QCOMPARE(ran, !blocked);
    }

    // The info line reads its text as its name (the bus announces each change), as the count does.
    void namesFollowTheText()
    {
        QTest::keyClicks(m_form->memoMain, QStringLiteral("ab"));
        auto* line = m_form->memoMain->findChild<TInfoLine*>();
        QVERIFY(line);
        QTRY_COMPARE(QAccessible::queryAccessibleInterface(line)->text(QAccessible::Name),
                     QStringLiteral("Gästebuch: noch 1998 · Forum: noch 2998"));
        QCOMPARE(of("lblCharCount")->text(QAccessible::Name), QStringLiteral("2 Zeichen im Textfenster"));
    }
};

VEXLO_TEST_MAIN(TestAccessible)
#include "test_accessible.moc"
