#include <QFile>
#include <QImageReader>
#include <QTest>

#include "framework/BakedPictures.h"
#include "framework/JpegImage.h"
#include "framework/PngImage.h"
#include "testsupport.h"

class TestBakedPictures : public QObject {
    Q_OBJECT
private slots:
    // Each picture baked at build time shows exactly what the reader it
    // replaces gives from the resource: format, size, pixel ratio, every pixel.
    void sameAsTheReader_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QImage>("read");
        for (const char* gif : {":/vexlo_green.gif", ":/vexlo_blue.gif", ":/emblem.gif"})
            QTest::newRow(gif) << QString::fromLatin1(gif) << QImageReader(QString::fromLatin1(gif), "GIF").read();
        QFile jpeg(QStringLiteral(":/karst.jpg"));
        QVERIFY(jpeg.open(QIODevice::ReadOnly));
        QTest::newRow("karst.jpg") << QStringLiteral(":/karst.jpg") << DecodeJpeg(jpeg.readAll());
        for (const char* png : {":/vexloed.png", ":/vexloed@2x.png"})
            QTest::newRow(png) << QString::fromLatin1(png) << ReadPng(QString::fromLatin1(png));
    }
    void sameAsTheReader()
    {
        QFETCH(QString, name);
        QFETCH(QImage, read);
        const QImage baked = BakedPicture(name);
        QVERIFY(!read.isNull());
        QCOMPARE(baked.format(), read.format());
        QCOMPARE(baked.devicePixelRatio(), read.devicePixelRatio());
        QCOMPARE(baked, read);
        QCOMPARE(QPixmap::fromImage(baked).toImage(), QPixmap::fromImage(read).toImage());
    }

    // Painting on a baked picture paints on a copy: the next one is unchanged.
    void staysUnchanged()
    {
        QImage first = BakedPicture(QStringLiteral(":/emblem.gif"));
        first.fill(Qt::red);
        QCOMPARE(BakedPicture(QStringLiteral(":/emblem.gif")), QImageReader(QStringLiteral(":/emblem.gif")).read());
        QVERIFY(BakedPicture(QStringLiteral(":/emblem@2x.png")).isNull());
    }
};

VEXLO_TEST_MAIN(TestBakedPictures)
#include "test_bakedpictures.moc"
