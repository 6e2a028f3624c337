#include <QBuffer>
#include <QFile>
#include <QTest>

#include "framework/JpegImage.h"
#include "testsupport.h"

namespace {

QByteArray Resource(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray EncodeWithQt(const QImage& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return data;
}

}  // namespace

class TestJpegImage : public QObject {
    Q_OBJECT
private slots:
    void decodesResourcePicture()
    {
        const QByteArray data = Resource(":/karst.jpg");
        QVERIFY(!data.isEmpty());
        const QImage image = DecodeJpeg(data);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(65, 33));
        QVERIFY(image.format() == QImage::Format_RGB888 || image.format() == QImage::Format_RGB32);
    }

    void colourPictureKeepsItsColours()
    {
        // Left half red, right half blue: a decoder that mixed up the channels
        // or the row stride would show it here.
        QImage source(40, 17, QImage::Format_RGB32);
        source.fill(Qt::red);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 24; x < source.width(); ++x)
                source.setPixel(x, y, qRgb(0, 0, 255));
        const QImage image = DecodeJpeg(EncodeWithQt(source));
        QCOMPARE(image.size(), source.size());
        const QColor left = image.pixelColor(4, 8);
        const QColor right = image.pixelColor(36, 8);
        QVERIFY2(left.red() > 200 && left.blue() < 60, qPrintable(left.name()));
        QVERIFY2(right.blue() > 200 && right.red() < 60, qPrintable(right.name()));
    }

    void grayscalePicture()
    {
        QImage source(9, 5, QImage::Format_Grayscale8);
        source.fill(200);
        const QByteArray data = EncodeWithQt(source);
        const QImage image = DecodeJpeg(data);
        QCOMPARE(image.size(), QSize(9, 5));
        const QColor c = image.pixelColor(4, 2);
        QVERIFY2(qAbs(c.red() - 200) < 6 && c.red() == c.green() && c.green() == c.blue(), qPrintable(c.name()));
    }

    void badDataGivesNullImage_data()
    {
        const QByteArray good = Resource(":/karst.jpg");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << QByteArray("this is not a picture at all, just words");
        QTest::newRow("only start marker") << QByteArray("\xFF\xD8");
        QTest::newRow("header cut") << good.left(40);
        QTest::newRow("scan cut") << good.left(good.size() - 200);
        QTest::newRow("end marker missing") << good.left(good.size() - 2);
        QTest::newRow("gif") << Resource(":/emblem.gif");
        QByteArray damaged = good;
        for (int i = good.size() / 2; i < good.size() - 10; ++i)
            damaged[i] = static_cast<char>(0xFF);
        QTest::newRow("scan overwritten") << damaged;
    }
    void badDataGivesNullImage()
    {
        QFETCH(QByteArray, data);
        QVERIFY(DecodeJpeg(data).isNull());
    }
};

VEXLO_TEST_MAIN(TestJpegImage)
#include "test_jpegimage.moc"
