#include "framework/JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

// libjpeg reports errors through this manager. Its default would print and
// exit the process; ours jumps back to the decoder, which gives up cleanly.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (level -1) mean corrupt or truncated data that libjpeg would
// patch over with grey; we treat them as errors. Trace messages are dropped.
void EmitMessage(j_common_ptr cinfo, int msgLevel)
{
    if (msgLevel < 0)
        ErrorExit(cinfo);
}

void OutputMessage(j_common_ptr) {}

// Everything the decoder changes lives here, outside the function that calls
// setjmp, so nothing is left in an indeterminate state after a jump.
struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    QImage image;
    std::vector<JSAMPLE> row;
};

// The picture's pixel count is limited so that bogus dimensions cannot ask
// for gigabytes.
constexpr unsigned long MaxPixels = 64UL * 1024 * 1024;

bool DecodeInto(Decoder& d, const QByteArray& data)
{
    d.cinfo.err = jpeg_std_error(&d.errors.base);
    d.errors.base.error_exit = ErrorExit;
    d.errors.base.emit_message = EmitMessage;
    d.errors.base.output_message = OutputMessage;
    if (setjmp(d.errors.jump)) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    jpeg_create_decompress(&d.cinfo);
    jpeg_mem_src(&d.cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&d.cinfo, TRUE);

    const bool gray = d.cinfo.jpeg_color_space == JCS_GRAYSCALE;
    if (!gray && d.cinfo.jpeg_color_space != JCS_YCbCr && d.cinfo.jpeg_color_space != JCS_RGB) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;  // CMYK and other colour spaces are not shown
    }
    d.cinfo.out_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&d.cinfo);

    const JDIMENSION width = d.cinfo.output_width;
    const JDIMENSION height = d.cinfo.output_height;
    if (width == 0 || height == 0 || static_cast<unsigned long>(width) * height > MaxPixels) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    d.image = QImage(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB888);
    if (d.image.isNull()) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    d.row.resize(width);
    while (d.cinfo.output_scanline < height) {
        uchar* line = d.image.scanLine(static_cast<int>(d.cinfo.output_scanline));
        if (gray) {
            JSAMPROW rows[1] = {d.row.data()};
            if (jpeg_read_scanlines(&d.cinfo, rows, 1) != 1)
                break;
            for (JDIMENSION x = 0; x < width; ++x)
                line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = d.row[x];
        } else {
            JSAMPROW rows[1] = {line};
            if (jpeg_read_scanlines(&d.cinfo, rows, 1) != 1)
                break;
        }
    }
    if (d.cinfo.output_scanline < height) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    jpeg_finish_decompress(&d.cinfo);
    jpeg_destroy_decompress(&d.cinfo);
    return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& data)
{
    if (data.isEmpty())
        return QImage();  // libjpeg treats an empty buffer as a fatal error anyway
    Decoder decoder;
    if (!DecodeInto(decoder, data))
        return QImage();
    return decoder.image;
}
