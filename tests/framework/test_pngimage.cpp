#include <QFile>
#include <QTest>

#include "framework/PngImage.h"
#include "testsupport.h"

namespace {

QByteArray Resource(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestPngImage : public QObject {
    Q_OBJECT
private slots:
    // Every picture the program decodes itself shows exactly the pixels
    // Qt's own reader gives, transparency included.
    void decodesAsQtDoes_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {":/vexloed.png", ":/vexloed@2x.png", ":/emblem@2x.png", ":/karst@2x.png"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void decodesAsQtDoes()
    {
        QFETCH(QString, name);
        const QImage ours = ReadPng(name);
        const QImage qts = QImage(name).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!qts.isNull());
        QCOMPARE(ours.format(), QImage::Format_ARGB32);
        QCOMPARE(ours, qts);
    }

    // Data that is no whole PNG gives a null image, never a crash.
    void refusesBrokenData_data()
    {
        const QByteArray whole = Resource(QStringLiteral(":/vexloed.png"));
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a PNG") << QByteArray("GIF89a, not what it says");
        QTest::newRow("header only") << whole.left(33);
        QTest::newRow("cut short") << whole.left(whole.size() / 2);
        QByteArray corrupt = whole;
        corrupt[corrupt.size() / 2] = char(~corrupt[corrupt.size() / 2]);
        QTest::newRow("corrupt") << corrupt;
    }
    void refusesBrokenData()
    {
        QFETCH(QByteArray, data);
        QVERIFY(DecodePng(data).isNull());
    }

    void missingFileGivesNullImage() { QVERIFY(ReadPng(QStringLiteral(":/nicht-da.png")).isNull()); }
};

VEXLO_TEST_MAIN(TestPngImage)
#include "test_pngimage.moc"
