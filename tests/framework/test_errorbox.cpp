#include <QAction>
#include <QLineEdit>
#include <QTest>

#include "framework/ErrorBox.h"
#include "framework/Guarded.h"
#include "framework/LabelButton.h"
#include "framework/VexloError.h"
#include "testsupport.h"
#include "windows/ProCtrls.h"

namespace {

// The ways a program handler is reached from Qt's event delivery.
enum Route { SignalToLambda, SignalWithArgument, SignalToMember, EventOverride, LabelClick };

// An object with a member handler, as a window has.
class Window : public QObject {
public:
    std::function<void()> fail;
    void lblOpenClick() { fail(); }
};

}  // namespace

class TestErrorBox : public QObject {
    Q_OBJECT
private slots:
    void periodRule_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "kaputt"
                                << "kaputt.";
        QTest::newRow("digit") << "E/A-Fehler 28"
                               << "E/A-Fehler 28.";
        QTest::newRow("question") << "wirklich?"
                                  << "wirklich?.";
        QTest::newRow("quote") << "'' ist kein gültiger Integerwert"
                               << "'' ist kein gültiger Integerwert.";
        QTest::newRow("period") << "Ende."
                                << "Ende.";
        QTest::newRow("bang") << "Achtung!"
                              << "Achtung!";
        QTest::newRow("paren") << "Fehler (5)"
                               << "Fehler (5)";
        QTest::newRow("blank") << "Fehler "
                               << "Fehler ";
        QTest::newRow("umlaut") << "Datei zu groß"
                                << "Datei zu groß.";
        QTest::newRow("empty") << ""
                               << "";
    }
    void periodRule()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ErrorBox::WithPeriod(message), shown);
    }

    void handlerErrorIsShownOnceAndProgramGoesOn_data()
    {
        QTest::addColumn<int>("route");
        QTest::newRow("signal to a lambda") << int(SignalToLambda);
        QTest::newRow("signal with an argument") << int(SignalWithArgument);
        QTest::newRow("signal to a member") << int(SignalToMember);
        QTest::newRow("event override") << int(EventOverride);
        QTest::newRow("label click") << int(LabelClick);
    }
    void handlerErrorIsShownOnceAndProgramGoesOn()
    {
        QFETCH(int, route);
        ErrorBoxRecorder recorder;
        const QString message = QStringLiteral("Datei x kann nicht geöffnet werden");
        int calls = 0;
        const auto fail = [&] {
            ++calls;
            throw VexloError(message);
        };

        QAction action;
        QLineEdit edit;
        Window window;
        window.fail = fail;
        TProLabel label;
        LabelButton button(QStringLiteral("öffnen"));
        std::function<void()> provoke;
        switch (route) {
            case SignalToLambda:
                // triggered(bool) reaches a handler that takes nothing.
                connect(&action, &QAction::triggered, this, Guarded(fail));
                provoke = [&] { action.trigger(); };
                break;
            case SignalWithArgument:
                connect(&edit, &QLineEdit::textChanged, this, Guarded([&](const QString& text) {
                    if (text.endsWith(u'x'))
                        fail();
                }));
                provoke = [&] { edit.setText(edit.text() + u'x'); };
                break;
            case SignalToMember:
                connect(&action, &QAction::triggered, &window, Guarded(&window, &Window::lblOpenClick));
                provoke = [&] { action.trigger(); };
                break;
            case EventOverride:
                label.OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { fail(); };
                label.resize(50, 20);
                label.show();
                provoke = [&] {
                    QTest::mousePress(&label, Qt::LeftButton);
                    QTest::mouseRelease(&label, Qt::LeftButton);
                };
                break;
            case LabelClick:
                connect(&button, &LabelButton::clicked, this, Guarded(fail));
                button.show();
                provoke = [&] { QTest::mouseClick(&button, Qt::LeftButton); };
                break;
        }

        provoke();
        QCOMPARE(recorder.shown, QStringList(message + u'.'));
        // The program goes on: the same handler runs and fails again.
        provoke();
        QCOMPARE(calls, 2);
        QCOMPARE(recorder.shown.size(), 2);
    }

    void labelButtonTurnsBlackAfterAFailedAction()
    {
        ErrorBoxRecorder recorder;
        LabelButton button(QStringLiteral("Speichern"));
        button.show();
        connect(&button, &LabelButton::clicked, this,
                Guarded([] { throw VexloError(QStringLiteral("In x kann nicht geschrieben werden")); }));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(recorder.shown, QStringList(QStringLiteral("In x kann nicht geschrieben werden.")));
        QCOMPARE(button.textColor(), QColor(Qt::black));
    }
};

VEXLO_TEST_MAIN(TestErrorBox)
#include "test_errorbox.moc"
