// EXIF orientation from a JPEG's APP1 payload, read with libexif.
#include "photo_internal.h"

#include <climits>
#include <cstring>

#include <libexif/exif-data.h>

int PhotoExifOrientation(const unsigned char *exif, size_t size)
{
    if (size < 6 || size > UINT_MAX || memcmp(exif, "Exif\0\0", 6) != 0)
        return 1;
    ExifData *data = exif_data_new();
    if (!data)
        return 1;
    // Read the entries as stored; the fix-ups libexif would otherwise make add nothing here.
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data, exif, (unsigned)size);
    int orientation = 1;
    // Only the main picture's directory counts: the thumbnail's may carry its own value.
    ExifEntry *entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry && entry->format == EXIF_FORMAT_SHORT && entry->components >= 1 && entry->data &&
        entry->size >= 2) {
        int value = exif_get_short(entry->data, exif_data_get_byte_order(data));
        if (value >= 1 && value <= 8)
            orientation = value;
    }
    exif_data_unref(data);
    return orientation;
}
