#pragma once

#include <QByteArray>
#include <QImage>

// Decodes PNG data with libpng into 32-bit ARGB, as Qt's own reader gives
// it, without consulting Qt's image format plugins. Returns a null image for
// data that is not a decodable PNG (never aborts the program).
QImage DecodePng(const QByteArray& data);

// The PNG picture in a file or resource, of two device pixels per pixel when
// its name ends in "@2x"; a null image when it cannot be read.
QImage ReadPng(const QString& fileName);
