#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/LabelButton.h"
#include "testsupport.h"

class TestControls : public QObject {
    Q_OBJECT
private slots:
    // Fonts named by the installed families that draw a name (the controls'
    // designed face, the user's text font) look exactly as the name does:
    // every size and weight, and characters the face lacks come from the
    // same fallback face.
    void drawnFontDrawsAsTheName_data()
    {
        QTest::addColumn<QFont>("named");
        QTest::addColumn<QFont>("wanted");
        for (const auto& [points, bold] : {std::pair{8, false}, {8, true}, {10, false}, {10, true}}) {
            QFont designed(TApplication::designedUiFamily(), points);
            designed.setBold(bold);
            QTest::addRow("controls %d pt%s", points, bold ? " bold" : "") << UiFont(points, bold) << designed;
        }
        for (const char* family : {"Arial", "DejaVu Serif", "Nirgendwo Grotesk"}) {
            const QFont chosen(QString::fromLatin1(family), 10);
            QTest::addRow("text %s", family) << TApplication::drawnFont(chosen) << chosen;
        }
    }
    void drawnFontDrawsAsTheName()
    {
        QFETCH(QFont, named);
        QFETCH(QFont, wanted);
        const QFontInfo drawn(named), asNamed(wanted);
        QCOMPARE(drawn.family(), asNamed.family());
        QCOMPARE(drawn.styleName(), asNamed.styleName());
        QCOMPARE(drawn.pixelSize(), asNamed.pixelSize());
        const QString sample = QStringLiteral("Gästebuch: noch 1999 · Größe ↵ ∀ ℏ ✓");
        for (const QString& piece : sample.split(QLatin1Char(' ')))
            QCOMPARE(QFontMetricsF(named).horizontalAdvance(piece), QFontMetricsF(wanted).horizontalAdvance(piece));
    }

    // The windows' default font is the controls' face, and the controls of one
    // size share one font with the text font drawn by that face.
    void oneFaceServesControlsAndText()
    {
        QCOMPARE(QApplication::font().families(), UiFont(8).families());
        QCOMPARE(QApplication::font().families(), TApplication::drawnFont(QFont(TApplication::designedUiFamily(), 8)).families());
    }

    // A label made to fit its text is exactly as large as the label itself
    // says it should be, for every kind of text the windows hold.
    void labelsFitTheirText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<bool>("button");
        const int left = Qt::AlignLeft | Qt::AlignVCenter, rightTop = Qt::AlignRight | Qt::AlignTop;
        QTest::newRow("word") << QStringLiteral("Gästebuch") << 10 << true << left << false;
        QTest::newRow("two lines") << QStringLiteral("Grenzwert\nerreicht?") << 10 << false << left << false;
        QTest::newRow("tab") << QStringLiteral("a\tb") << 8 << false << left << false;
        QTest::newRow("right, top") << QStringLiteral("0") << 10 << true << rightTop << false;
        QTest::newRow("centred") << QStringLiteral("Größe ·") << 8 << false << int(Qt::AlignCenter) << false;
        QTest::newRow("right to left") << QStringLiteral("שלום") << 8 << false << left << false;
        QTest::newRow("empty") << QString() << 8 << false << left << false;
        QTest::newRow("button") << QStringLiteral("einfügen") << 10 << false << left << true;
    }
    void labelsFitTheirText()
    {
        QFETCH(QString, text);
        QFETCH(int, points);
        QFETCH(bool, bold);
        QFETCH(int, alignment);
        QFETCH(bool, button);
        QWidget window;
        QLabel* label = button ? MakeLabelButton("button", &window, 0, 0, text, QString())
                               : MakeLabel("label", &window, 0, 0, text, UiFont(points, bold));
        if (!button) {
            label->setAlignment(Qt::Alignment(alignment));
            label->resize(0, 0);
            FitToText(label);
        }
        QCOMPARE(label->size(), label->sizeHint());
    }
};

VEXLO_TEST_MAIN(TestControls)
#include "test_controls.moc"
