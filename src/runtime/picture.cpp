#include "runtime/picture.h"

#include <QFile>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <limits>

#include <jpeglib.h>

namespace picture {
namespace {

// libjpeg reports errors through a callback that must not return; we jump
// back into decodeJpeg instead of letting the library call exit().
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void jumpOut(j_common_ptr info)
{
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    std::longjmp(manager->jump, 1);
}

// Warnings (level -1) are how libjpeg reports truncated or corrupt data while
// going on with grey filler; a picture with holes is no picture, so treat
// them as errors. Trace messages (level >= 0) are ignored.
void onMessage(j_common_ptr info, int level)
{
    if (level < 0)
        jumpOut(info);
}

void silent(j_common_ptr) {}

// Adobe writes CMYK JPEGs inverted (0 = full ink); the marker tells which.
bool isInvertedCmyk(const jpeg_decompress_struct &info)
{
    return info.saw_Adobe_marker;
}

void convertRow(const jpeg_decompress_struct &info, const JSAMPLE *in, uchar *out)
{
    const int width = int(info.output_width);
    switch (info.out_color_space) {
    case JCS_GRAYSCALE:
        for (int x = 0; x < width; ++x) {
            out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
        }
        return;
    case JCS_CMYK: {
        const bool inverted = isInvertedCmyk(info);
        for (int x = 0; x < width; ++x) {
            const JSAMPLE *p = in + 4 * x;
            // Work in "amount of light": 255 - ink.
            const int c = inverted ? p[0] : 255 - p[0];
            const int m = inverted ? p[1] : 255 - p[1];
            const int y = inverted ? p[2] : 255 - p[2];
            const int k = inverted ? p[3] : 255 - p[3];
            out[3 * x] = uchar(c * k / 255);
            out[3 * x + 1] = uchar(m * k / 255);
            out[3 * x + 2] = uchar(y * k / 255);
        }
        return;
    }
    default:
        std::copy(in, in + 3 * width, out);
        return;
    }
}

J_COLOR_SPACE outputSpace(J_COLOR_SPACE source)
{
    switch (source) {
    case JCS_GRAYSCALE:
        return JCS_GRAYSCALE;
    case JCS_CMYK:
    case JCS_YCCK:
        return JCS_CMYK;
    default:
        return JCS_RGB;
    }
}

// Everything that touches libjpeg state between setjmp and a possible
// longjmp lives here; locals that must survive the jump are kept outside.
bool decodeInto(jpeg_decompress_struct &info, ErrorManager &errors,
                const QByteArray &data, QImage &image, QByteArray &row)
{
    if (setjmp(errors.jump))
        return false;

    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return false;

    info.out_color_space = outputSpace(info.jpeg_color_space);
    jpeg_start_decompress(&info);

    const qint64 width = info.output_width;
    const qint64 height = info.output_height;
    if (width <= 0 || height <= 0 || width * height > std::numeric_limits<int>::max() / 4)
        return false;
    image = QImage(int(width), int(height), QImage::Format_RGB888);
    if (image.isNull())
        return false;

    row.resize(qsizetype(width) * info.output_components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = { reinterpret_cast<JSAMPLE *>(row.data()) };
        const int line = int(info.output_scanline);
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            return false;
        convertRow(info, rows[0], image.scanLine(line));
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray &data)
{
    if (data.isEmpty())
        return {};

    jpeg_decompress_struct info {};
    ErrorManager errors {};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpOut;
    errors.base.emit_message = onMessage;
    errors.base.output_message = silent;

    QImage image;
    QByteArray row;
    const bool ok = decodeInto(info, errors, data, image, row);
    jpeg_destroy_decompress(&info);
    return ok ? image : QImage();
}

QImage loadJpeg(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(file.readAll());
}

QPixmap loadPixmap(const QString &path)
{
    return QPixmap::fromImage(loadJpeg(path));
}

} // namespace picture
