#include "GifEncoder.h"

#include <QHash>
#include <functional>
#include <gif_lib.h>
#include <memory>
#include <optional>
#include <vector>

namespace
{
struct WriterCloser
{
    void operator()(GifFileType *gif) const
    {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};
using GifWriter = std::unique_ptr<GifFileType, WriterCloser>;

struct MapFreer
{
    void operator()(ColorMapObject *map) const { GifFreeMapObject(map); }
};
using ColorMap = std::unique_ptr<ColorMapObject, MapFreer>;

struct IndexedImage
{
    ColorMap map;
    std::vector<GifByteType> pixels;
};

int appendOutput(GifFileType *gif, const GifByteType *bytes, int length)
{
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(bytes), length);
    return length;
}

ColorMap makeMap(int colours)
{
    int size = 2;
    while (size < colours)
        size *= 2;
    return ColorMap(GifMakeMapObject(size, nullptr));
}

// Exact colours when there are at most 256 of them, median cut otherwise.
std::optional<IndexedImage> toIndexed(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    IndexedImage indexed;
    indexed.pixels.resize(size_t(width) * height);
    QHash<QRgb, int> indexOf;
    QList<QRgb> colours;
    bool exact = true;
    for (int y = 0; y < height && exact; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb colour = line[x] & RGB_MASK;
            auto found = indexOf.constFind(colour);
            if (found == indexOf.constEnd()) {
                if (colours.size() == 256) {
                    exact = false;
                    break;
                }
                found = indexOf.insert(colour, int(colours.size()));
                colours.append(colour);
            }
            indexed.pixels[size_t(y) * width + x] = GifByteType(found.value());
        }
    }
    if (exact) {
        indexed.map = makeMap(int(colours.size()));
        if (!indexed.map)
            return std::nullopt;
        for (int i = 0; i < colours.size(); ++i)
            indexed.map->Colors[i] = {GifByteType(qRed(colours[i])), GifByteType(qGreen(colours[i])),
                                      GifByteType(qBlue(colours[i]))};
        return indexed;
    }
    std::vector<GifByteType> red(indexed.pixels.size()), green(red.size()), blue(red.size());
    for (int y = 0; y < height; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const size_t at = size_t(y) * width + x;
            red[at] = GifByteType(qRed(line[x]));
            green[at] = GifByteType(qGreen(line[x]));
            blue[at] = GifByteType(qBlue(line[x]));
        }
    }
    indexed.map = makeMap(256);
    int mapSize = 256;
    if (!indexed.map
        || GifQuantizeBuffer(unsigned(width), unsigned(height), &mapSize, red.data(), green.data(), blue.data(),
                             indexed.pixels.data(), indexed.map->Colors)
               == GIF_ERROR)
        return std::nullopt;
    return indexed;
}

bool putLoopExtension(GifFileType *gif)
{
    static const GifByteType loopForever[3] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK
           && EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK
           && EGifPutExtensionBlock(gif, 3, loopForever) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool putFrame(GifFileType *gif, const QImage &image, std::optional<int> delayMs)
{
    std::optional<IndexedImage> indexed = toIndexed(image);
    if (!indexed)
        return false;
    if (delayMs) {
        GraphicsControlBlock control{DISPOSE_DO_NOT, false, *delayMs / 10, NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&control, extension);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) != GIF_OK)
            return false;
    }
    if (EGifPutImageDesc(gif, 0, 0, image.width(), image.height(), false, indexed->map.get()) != GIF_OK)
        return false;
    for (int y = 0; y < image.height(); ++y) {
        if (EGifPutLine(gif, indexed->pixels.data() + size_t(y) * image.width(), image.width()) != GIF_OK)
            return false;
    }
    return true;
}

QByteArray write(QSize size, bool animated, const std::function<bool(GifFileType *)> &frames)
{
    if (size.isEmpty())
        return {};
    QByteArray output;
    int error = 0;
    GifWriter gif(EGifOpen(&output, appendOutput, &error));
    if (!gif)
        return {};
    EGifSetGifVersion(gif.get(), animated);
    if (EGifPutScreenDesc(gif.get(), size.width(), size.height(), 8, 0, nullptr) != GIF_OK
        || (animated && !putLoopExtension(gif.get())) || !frames(gif.get()))
        return {};
    // Closing writes the trailer; its failure means the output is incomplete.
    if (EGifCloseFile(gif.release(), &error) != GIF_OK)
        return {};
    return output;
}
}  // namespace

QByteArray GifEncoder::encode(const QImage &image)
{
    return write(image.size(), false, [&](GifFileType *gif) { return putFrame(gif, image, std::nullopt); });
}

QByteArray GifEncoder::encodeAnimation(const QList<GifFrame> &frames)
{
    if (frames.isEmpty())
        return {};
    const QSize size = frames.first().image.size();
    return write(size, true, [&](GifFileType *gif) {
        for (const GifFrame &frame : frames) {
            if (frame.image.size() != size || !putFrame(gif, frame.image, frame.delayMs))
                return false;
        }
        return true;
    });
}
