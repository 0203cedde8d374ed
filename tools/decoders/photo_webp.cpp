// WebP decoding with libwebp; an animated file gives its first frame on a black canvas.
#include "photo_internal.h"

#include <webp/decode.h>
#include <webp/demux.h>

int PhotoDecodeWebp(const unsigned char *data, size_t size, PhotoImage *image, PhotoInfo *info,
                    std::string *error)
{
    WebPData whole = {data, size};
    WebPDemuxer *demux = WebPDemux(&whole);
    if (!demux) {
        *error = "cannot decode WebP: damaged or truncated file";
        return 0;
    }
    int canvasWidth = (int)WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH);
    int canvasHeight = (int)WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT);
    info->sourceWidth = canvasWidth;
    info->sourceHeight = canvasHeight;
    WebPIterator frame;
    if (!PhotoCheckDimensions(canvasWidth, canvasHeight, error)) {
        WebPDemuxDelete(demux);
        return 0;
    }
    if (!WebPDemuxGetFrame(demux, 1, &frame)) {
        *error = "cannot decode WebP: it holds no picture";
        WebPDemuxDelete(demux);
        return 0;
    }
    // The demuxer checks that a frame lies within the canvas.
    int ok = frame.complete && frame.width > 0 && frame.height > 0 &&
             frame.x_offset + frame.width <= canvasWidth &&
             frame.y_offset + frame.height <= canvasHeight;
    std::vector<unsigned char> rgba;
    if (ok) {
        rgba.resize((size_t)frame.width * frame.height * 4);
        ok = WebPDecodeRGBAInto(frame.fragment.bytes, frame.fragment.size, rgba.data(), rgba.size(),
                                frame.width * 4) != NULL;
    }
    if (ok) {
        PhotoImageAllocate(image, canvasWidth, canvasHeight);
        for (int y = 0; y < frame.height; y++) {
            unsigned char *row = image->rgb.data() +
                                 ((size_t)(frame.y_offset + y) * canvasWidth + frame.x_offset) * 3;
            PhotoComposeRow(rgba.data() + (size_t)y * frame.width * 4, frame.width, 0, row);
        }
    } else {
        *error = "cannot decode WebP: damaged picture data";
    }
    WebPDemuxReleaseIterator(&frame);
    WebPDemuxDelete(demux);
    return ok;
}
