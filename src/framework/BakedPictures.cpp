#include "framework/BakedPictures.h"

QImage BakedPicture(const QString& resource)
{
    for (const BakedPictureData* picture = BakedPictureTable; picture->resource; ++picture) {
        if (resource != QLatin1String(picture->resource))
            continue;
        // Read-only pixels: whoever paints on the image paints on a copy.
        QImage image(picture->bits, picture->width, picture->height, picture->bytesPerLine, picture->format);
        image.setDevicePixelRatio(picture->pixelRatio);
        return image;
    }
    return QImage();
}
