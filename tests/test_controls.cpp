#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

#include "framework/Controls.h"
#include "testsupport.h"

class TestControls : public QObject {
    Q_OBJECT
private slots:
    // The controls name the installed family that draws the designed face:
    // every size and weight looks exactly as the designed name does.
    void uiFontDrawsAsTheDesignedFace_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("bold");
        QTest::newRow("8 pt") << 8 << false;
        QTest::newRow("8 pt bold") << 8 << true;
        QTest::newRow("10 pt") << 10 << false;
        QTest::newRow("10 pt bold") << 10 << true;
    }
    void uiFontDrawsAsTheDesignedFace()
    {
        QFETCH(int, points);
        QFETCH(bool, bold);
        QFont designed(QStringLiteral("MS Sans Serif"), points);
        designed.setBold(bold);
        const QFont named = UiFont(points, bold);
        const QFontInfo drawn(named), wanted(designed);
        QCOMPARE(drawn.family(), wanted.family());
        QCOMPARE(drawn.styleName(), wanted.styleName());
        QCOMPARE(drawn.pixelSize(), wanted.pixelSize());
        const QString sample = QStringLiteral("Gästebuch: noch 1999 · Größe");
        QCOMPARE(QFontMetrics(named).horizontalAdvance(sample), QFontMetrics(designed).horizontalAdvance(sample));
        // The windows' default font is the same face.
        QCOMPARE(QApplication::font().family(), UiFont(8).family());
    }
};

VEXLO_TEST_MAIN(TestControls)
#include "test_controls.moc"
