#include "GifDecoder.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <gif_lib.h>
#include <memory>

namespace
{
// Larger screens are not pictures of ours; refusing them bounds the memory a
// damaged header can ask for.
constexpr int maxSide = 4096;
constexpr int minimumDelayMs = 20;
constexpr int defaultDelayMs = 100;

struct Input
{
    const char *data;
    qsizetype size;
    qsizetype position = 0;
};

int readInput(GifFileType *gif, GifByteType *buffer, int length)
{
    auto *input = static_cast<Input *>(gif->UserData);
    const int count = int(std::min<qsizetype>(length, input->size - input->position));
    std::memcpy(buffer, input->data + input->position, size_t(count));
    input->position += count;
    return count;
}

struct ReaderCloser
{
    void operator()(GifFileType *gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifReader = std::unique_ptr<GifFileType, ReaderCloser>;

GifReader open(Input &input)
{
    int error = 0;
    GifReader gif(DGifOpen(&input, readInput, &error));
    if (!gif || gif->SWidth <= 0 || gif->SHeight <= 0 || gif->SWidth > maxSide || gif->SHeight > maxSide)
        return {};
    return gif;
}

// Paints one frame's pixels onto the screen, leaving its transparent ones.
bool drawFrame(QImage &screen, const SavedImage &frame, const ColorMapObject *globalMap, int transparent)
{
    const GifImageDesc &desc = frame.ImageDesc;
    const ColorMapObject *map = desc.ColorMap ? desc.ColorMap : globalMap;
    if (!map || !frame.RasterBits)
        return false;
    QRgb colours[256] = {};
    for (int i = 0; i < std::min(map->ColorCount, 256); ++i) {
        const GifColorType &c = map->Colors[i];
        colours[i] = qRgb(c.Red, c.Green, c.Blue);
    }
    const int left = std::max(0, desc.Left);
    const int top = std::max(0, desc.Top);
    const int right = std::min(screen.width(), desc.Left + desc.Width);
    const int bottom = std::min(screen.height(), desc.Top + desc.Height);
    for (int y = top; y < bottom; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(screen.scanLine(y));
        const GifByteType *row = frame.RasterBits + size_t(y - desc.Top) * desc.Width;
        for (int x = left; x < right; ++x) {
            const int index = row[x - desc.Left];
            // An index past the colour map is drawn as transparent as well.
            if (index != transparent && index < map->ColorCount)
                line[x] = colours[index];
        }
    }
    return true;
}

QList<GifFrame> decode(const QByteArray &data, int wanted)
{
    Input input{data.constData(), data.size()};
    GifReader gif = open(input);
    if (!gif || DGifSlurp(gif.get()) != GIF_OK || gif->ImageCount <= 0)
        return {};
    QImage screen(gif->SWidth, gif->SHeight, QImage::Format_ARGB32_Premultiplied);
    if (screen.isNull())
        return {};
    screen.fill(Qt::transparent);
    QList<GifFrame> frames;
    const int count = std::min(gif->ImageCount, wanted);
    for (int i = 0; i < count; ++i) {
        const SavedImage &frame = gif->SavedImages[i];
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(gif.get(), i, &control);
        const QImage before = control.DisposalMode == DISPOSE_PREVIOUS ? screen.copy() : QImage();
        if (!drawFrame(screen, frame, gif->SColorMap, control.TransparentColor))
            return {};
        const int delay = control.DelayTime * 10;
        // The frames share the screen until it is next painted on; scanLine() copies it then.
        frames.append({screen, delay < minimumDelayMs ? defaultDelayMs : delay});
        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            const GifImageDesc &desc = frame.ImageDesc;
            for (int y = std::max(0, desc.Top); y < std::min(screen.height(), desc.Top + desc.Height); ++y) {
                QRgb *line = reinterpret_cast<QRgb *>(screen.scanLine(y));
                std::fill(line + std::max(0, desc.Left), line + std::min(screen.width(), desc.Left + desc.Width),
                          QRgb(0));
            }
        } else if (control.DisposalMode == DISPOSE_PREVIOUS) {
            screen = before;
        }
    }
    return frames;
}
}  // namespace

QImage GifDecoder::firstFrame(const QByteArray &data)
{
    const QList<GifFrame> frames = decode(data, 1);
    return frames.isEmpty() ? QImage() : frames.first().image;
}

QList<GifFrame> GifDecoder::frames(const QByteArray &data)
{
    return decode(data, INT_MAX);
}
