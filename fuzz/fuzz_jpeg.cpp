// The JPEG decoder: any data gives a picture or a null image, never a crash,
// and never a picture larger than the decoder allows.
#include "framework/JpegImage.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QImage image = DecodeJpeg(Bytes(data, size));
    if (!image.isNull()) {
        FUZZ_CHECK(image.width() > 0 && image.height() > 0);
        FUZZ_CHECK(qint64(image.width()) * image.height() <= 64LL * 1024 * 1024);
        FUZZ_CHECK(image.format() == QImage::Format_RGB888);
    }
    return 0;
}
