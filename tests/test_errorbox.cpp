#include <QLabel>
#include <QTest>

#include "framework/ErrorBox.h"
#include "framework/LabelButton.h"
#include "framework/VexloError.h"
#include "testsupport.h"

namespace {

// A widget whose mouse handler raises an error, as a command handler would.
class FailingLabel : public QLabel {
public:
    int pressesSeen = 0;

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        ++pressesSeen;
        throw VexloError(QStringLiteral("Datei x kann nicht geöffnet werden"));
    }
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

    void errorInHandlerIsShownAndProgramGoesOn()
    {
        ErrorBoxRecorder recorder;
        FailingLabel label;
        label.resize(50, 20);
        label.show();
        QTest::mousePress(&label, Qt::LeftButton);
        QTest::mousePress(&label, Qt::LeftButton);
        QCOMPARE(label.pressesSeen, 2);
        QCOMPARE(recorder.shown,
                 QStringList({"Datei x kann nicht geöffnet werden.", "Datei x kann nicht geöffnet werden."}));
    }

    void labelButtonTurnsBlackAfterAFailedAction()
    {
        ErrorBoxRecorder recorder;
        LabelButton button(QStringLiteral("Speichern"));
        button.show();
        connect(&button, &LabelButton::clicked, this,
                [] { throw VexloError(QStringLiteral("In x kann nicht geschrieben werden")); });
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(recorder.shown, QStringList(QStringLiteral("In x kann nicht geschrieben werden.")));
        QCOMPARE(button.textColor(), QColor(Qt::black));
    }
};

VEXLO_TEST_MAIN(TestErrorBox)
#include "test_errorbox.moc"
