#pragma once

#include <QImage>
#include <QString>

// The pictures the main window shows at start, decoded when the program was
// built (src/resources/bakepictures.cpp): showing them loads no image reader.
struct BakedPictureData {
    const char* resource;  // ":/emblem.gif"; nullptr ends the table
    int width, height, bytesPerLine;
    QImage::Format format;
    double pixelRatio;
    const unsigned char* bits;
};
extern const BakedPictureData BakedPictureTable[];

// The picture decoded from the resource at build time, sharing the program's
// own copy of its pixels; a null image for a resource not baked.
QImage BakedPicture(const QString& resource);
