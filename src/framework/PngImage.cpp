#include "framework/PngImage.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <png.h>

namespace {

// The picture's pixel count is limited so that bogus dimensions cannot ask
// for gigabytes.
constexpr png_uint_32 MaxPixels = 64U * 1024 * 1024;

}  // namespace

QImage DecodePng(const QByteArray& data)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, data.constData(), static_cast<size_t>(data.size())))
        return QImage();
    // Byte order B, G, R, A is QImage's ARGB32 on a little-endian machine, A, R, G, B on a big-endian one.
    png.format = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    QImage image;
    if (png.width > 0 && png.height > 0 && png.width <= MaxPixels / png.height)
        image = QImage(static_cast<int>(png.width), static_cast<int>(png.height), QImage::Format_ARGB32);
    if (image.isNull()) {
        png_image_free(&png);
        return QImage();
    }
    // The row stride counts components, one byte each here.
    if (!png_image_finish_read(&png, nullptr, image.bits(), static_cast<png_int_32>(image.bytesPerLine()), nullptr))
        return QImage();  // libpng has freed what it held
    return image;
}

QImage ReadPng(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    QImage image = DecodePng(file.readAll());
    // As Qt's reader: a picture named "...@2x" is drawn at half its pixel size.
    if (QFileInfo(fileName).baseName().endsWith(QLatin1String("@2x")))
        image.setDevicePixelRatio(2.0);
    return image;
}
