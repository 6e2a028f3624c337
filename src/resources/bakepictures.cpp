// Build tool: decodes the pictures the main window shows at start with the
// readers the program would otherwise run at start (Qt's for GIF, libjpeg for
// JPEG, libpng for PNG) and writes their pixels as C++ arrays for
// framework/BakedPictures, so that the program loads no image reader, format
// plugin or decoding library before its window shows.
// Usage: bakepictures OUTPUT.cpp PICTURE...
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>
#include <cstdio>

#include "framework/JpegImage.h"
#include "framework/PngImage.h"

namespace {

QImage Decode(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return ReadPng(path);
    if (suffix == QLatin1String("jpg")) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? DecodeJpeg(file.readAll()) : QImage();
    }
    QImageReader reader(path);
    return reader.read();
}

QByteArray Array(const QString& name, const QImage& image)
{
    QByteArray text = "alignas(16) const unsigned char " + name.toLatin1() + "[] = {";
    const auto* bits = image.constBits();
    for (qsizetype i = 0; i < image.sizeInBytes(); ++i)
        text += (i % 24 ? "" : "\n    ") + QByteArray::number(bits[i]) + ',';
    return text + "\n};\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("Usage: bakepictures OUTPUT.cpp PICTURE...\n", stderr);
        return 2;
    }
    QByteArray arrays, table;
    for (int i = 2; i < argc; ++i) {
        const QString path = QFile::decodeName(argv[i]);
        const QImage image = Decode(path);
        if (image.isNull() || image.format() == QImage::Format_Indexed8) {
            std::fprintf(stderr, "bakepictures: cannot bake %s\n", argv[i]);
            return 1;
        }
        const QString name = QStringLiteral("picture%1").arg(i - 2);
        arrays += Array(name, image);
        table += "    {\":/" + QFileInfo(path).fileName().toUtf8() + "\", " + QByteArray::number(image.width()) + ", " +
                 QByteArray::number(image.height()) + ", " + QByteArray::number(image.bytesPerLine()) +
                 ", QImage::Format(" + QByteArray::number(int(image.format())) + "), " +
                 QByteArray::number(image.devicePixelRatio()) + ", " + name.toLatin1() + "},\n";
    }
    QSaveFile out(QFile::decodeName(argv[1]));
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "bakepictures: cannot write %s\n", argv[1]);
        return 1;
    }
    out.write(
        "// Made by bakepictures when the program was built; not to be edited.\n"
        "#include \"framework/BakedPictures.h\"\n\nnamespace {\n\n" +
        arrays + "\n}  // namespace\n\nconst BakedPictureData BakedPictureTable[] = {\n" + table +
        "    {nullptr, 0, 0, 0, QImage::Format_Invalid, 1, nullptr},\n};\n");
    if (!out.commit()) {
        std::fprintf(stderr, "bakepictures: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
