#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

#include "framework/Application.h"
#include "framework/Controls.h"
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
};

VEXLO_TEST_MAIN(TestControls)
#include "test_controls.moc"
