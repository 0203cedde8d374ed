// Turning a picture stored with an EXIF orientation upright.
#include "photo_internal.h"

#include <cstring>

void PhotoOrient(PhotoImage *image, int orientation)
{
    if (orientation < 2 || orientation > 8)
        return;
    int width = image->width, height = image->height;
    int turned = orientation >= 5;
    int outWidth = turned ? height : width;
    int outHeight = turned ? width : height;
    std::vector<unsigned char> out((size_t)outWidth * outHeight * 3);
    const unsigned char *in = image->rgb.data();
    for (int y = 0; y < outHeight; y++) {
        for (int x = 0; x < outWidth; x++) {
            // The stored pixel that shows at (x, y) once upright.
            int sx, sy;
            switch (orientation) {
            case 2: // mirrored left to right
                sx = width - 1 - x;
                sy = y;
                break;
            case 3: // turned half round
                sx = width - 1 - x;
                sy = height - 1 - y;
                break;
            case 4: // mirrored top to bottom
                sx = x;
                sy = height - 1 - y;
                break;
            case 5: // mirrored about the main diagonal
                sx = y;
                sy = x;
                break;
            case 6: // needs a quarter turn clockwise
                sx = y;
                sy = height - 1 - x;
                break;
            case 7: // mirrored about the other diagonal
                sx = width - 1 - y;
                sy = height - 1 - x;
                break;
            default: // 8: needs a quarter turn anticlockwise
                sx = width - 1 - y;
                sy = x;
                break;
            }
            memcpy(&out[((size_t)y * outWidth + x) * 3], in + ((size_t)sy * width + sx) * 3, 3);
        }
    }
    image->width = outWidth;
    image->height = outHeight;
    image->rgb.swap(out);
}
