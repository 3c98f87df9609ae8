#include "JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <memory>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "Format_RGB32 is written as BGRA bytes");

namespace
{
constexpr JDIMENSION maxSide = 8192;

// libjpeg reports a fatal error by calling error_exit, which must not return;
// it jumps back to the setjmp of the step that was running.
struct ErrorTrap
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void leave(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorTrap *>(info->err)->jump, 1);
}

void stayQuiet(j_common_ptr) { }

struct Decompressor
{
    jpeg_decompress_struct info{};
    ErrorTrap trap{};

    Decompressor()
    {
        info.err = jpeg_std_error(&trap.manager);
        trap.manager.error_exit = leave;
        trap.manager.output_message = stayQuiet;
    }
    // Also safe before jpeg_create_decompress has run: it then finds nothing to free.
    ~Decompressor() { jpeg_destroy_decompress(&info); }
};

// Each step keeps only plain locals between its setjmp and libjpeg's calls, so
// the jump back skips no destructor.
bool readHeader(Decompressor &d, const QByteArray &data)
{
    if (setjmp(d.trap.jump))
        return false;
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char *>(data.constData()), (unsigned long)data.size());
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK)
        return false;
    d.info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&d.info);
    return d.info.output_width > 0 && d.info.output_height > 0 && d.info.output_width <= maxSide
           && d.info.output_height <= maxSide && d.info.output_components == 4;
}

bool readPixels(Decompressor &d, QImage &image)
{
    if (setjmp(d.trap.jump))
        return false;
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = image.scanLine(int(d.info.output_scanline));
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&d.info);
    return d.trap.manager.num_warnings == 0;
}
}  // namespace

QImage JpegDecoder::decode(const QByteArray &data)
{
    if (data.isEmpty())
        return {};
    auto decompressor = std::make_unique<Decompressor>();
    if (!readHeader(*decompressor, data))
        return {};
    QImage image(int(decompressor->info.output_width), int(decompressor->info.output_height), QImage::Format_RGB32);
    if (image.isNull() || !readPixels(*decompressor, image))
        return {};
    return image;
}
