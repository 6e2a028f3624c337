#pragma once

#include <QByteArray>
#include <QImage>

// Decodes JPEG data with libjpeg. Returns a null image for data that is not
// a decodable JPEG (never aborts the program).
QImage DecodeJpeg(const QByteArray& data);
