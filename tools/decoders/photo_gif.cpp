// GIF decoding with giflib: the first frame on its logical screen, transparent parts black.
#include "photo_internal.h"

#include <algorithm>
#include <cstring>

#include <gif_lib.h>

struct GifSource {
    const unsigned char *data;
    size_t size;
    size_t position;
};

static int GifRead(GifFileType *gif, GifByteType *buffer, int length)
{
    GifSource *source = (GifSource *)gif->UserData;
    size_t count = std::min((size_t)length, source->size - source->position);
    memcpy(buffer, source->data + source->position, count);
    source->position += count;
    return (int)count;
}

static int GifFail(int code, std::string *error)
{
    const char *reason = GifErrorString(code);
    *error = std::string("cannot decode GIF: ") + (reason ? reason : "error");
    return 0;
}

// Reads the rows of the current frame (its descriptor already read) onto the canvas.
static int GifReadFrame(GifFileType *gif, int transparent, PhotoImage *image, std::string *error)
{
    const GifImageDesc &frame = gif->Image;
    const ColorMapObject *map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map || !map->Colors) {
        *error = "cannot decode GIF: no colour table";
        return 0;
    }
    std::vector<GifPixelType> line(frame.Width);
    // Interlaced frames send rows in four passes: every 8th from 0, every 8th from 4, every
    // 4th from 2, every 2nd from 1.
    static const int passStart[4] = {0, 4, 2, 1}, passStep[4] = {8, 8, 4, 2};
    int passes = frame.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; pass++) {
        int start = frame.Interlace ? passStart[pass] : 0;
        int step = frame.Interlace ? passStep[pass] : 1;
        for (int y = start; y < frame.Height; y += step) {
            if (DGifGetLine(gif, line.data(), frame.Width) != GIF_OK)
                return GifFail(gif->Error, error);
            unsigned char *row =
                image->rgb.data() + ((size_t)(frame.Top + y) * image->width + frame.Left) * 3;
            for (int x = 0; x < frame.Width; x++) {
                int index = line[x];
                // Transparent pixels and indices beyond the table stay black.
                if (index == transparent || index >= map->ColorCount)
                    continue;
                row[3 * x] = map->Colors[index].Red;
                row[3 * x + 1] = map->Colors[index].Green;
                row[3 * x + 2] = map->Colors[index].Blue;
            }
        }
    }
    return 1;
}

// Walks the records up to the first frame and decodes it.
static int GifDecodeFirstFrame(GifFileType *gif, PhotoImage *image, PhotoInfo *info,
                               std::string *error)
{
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) != GIF_OK)
            return GifFail(gif->Error, error);
        if (record == TERMINATE_RECORD_TYPE) {
            *error = "cannot decode GIF: it holds no picture";
            return 0;
        }
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType *block = NULL;
            if (DGifGetExtension(gif, &code, &block) != GIF_OK)
                return GifFail(gif->Error, error);
            if (code == GRAPHICS_EXT_FUNC_CODE && block) {
                GraphicsControlBlock control;
                if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                    transparent = control.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif, &block) != GIF_OK)
                    return GifFail(gif->Error, error);
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif) != GIF_OK)
            return GifFail(gif->Error, error);
        const GifImageDesc &frame = gif->Image;
        if (frame.Left < 0 || frame.Top < 0 || frame.Width < 1 || frame.Height < 1) {
            *error = "cannot decode GIF: frame has no pixels";
            return 0;
        }
        // A frame reaching past the logical screen widens the canvas rather than being cut.
        long long width = std::max<long long>(gif->SWidth, (long long)frame.Left + frame.Width);
        long long height = std::max<long long>(gif->SHeight, (long long)frame.Top + frame.Height);
        info->sourceWidth = (int)std::min<long long>(width, 0x7FFFFFFF);
        info->sourceHeight = (int)std::min<long long>(height, 0x7FFFFFFF);
        if (!PhotoCheckDimensions(width, height, error))
            return 0;
        PhotoImageAllocate(image, (int)width, (int)height);
        return GifReadFrame(gif, transparent, image, error);
    }
}

int PhotoDecodeGif(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                   std::string *error)
{
    GifSource source = {data, size, 0};
    int code = 0;
    GifFileType *gif = DGifOpen(&source, GifRead, &code);
    if (!gif)
        return GifFail(code, error);
    int ok = GifDecodeFirstFrame(gif, image, info, error);
    DGifCloseFile(gif, &code);
    return ok;
}
