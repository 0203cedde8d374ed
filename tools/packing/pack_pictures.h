// Turning one picture's bytes into the Dib record its role needs, with the picture options.
#pragma once

#include <stddef.h>
#include <string>
#include "blob.h"
#include "pack_issues.h"
#include "photo.h"

enum PictureRole { PICTURE_PREVIEW, PICTURE_LOGO, PICTURE_SLIDE };

struct PictureOptions {
    PhotoOptions photos; // fitting and colours of slides (the preview takes the box, 8 bits)
    int logoWidth;       // box a logo larger than it is fitted into (a photo or a BMP)
    int logoHeight;
};

// What came of converting one picture, for progress lines and summaries.
struct PictureFacts {
    int converted; // 1 once a valid Dib was made, drawable or not; the rest is set only then
    PhotoFormat format;
    int sourceWidth; // after orientation
    int sourceHeight;
    int width; // of the Dib
    int height;
    int bits;
    int colours; // palette entries used (8 bits), distinct colours or 0 for true colour (24)
};

// The default box, 8 bits and the default logo box.
void SetDefaultPictureOptions(PictureOptions *options);
// "preview", "logo" or "slide".
const char *PictureRoleName(PictureRole role);

// Converts one picture from its file's bytes into a Dib blob for its role: a BMP pixel for
// pixel when it fits, a photo (JPEG, PNG, WebP, HEIF, GIF) oriented, fitted and
// colour-reduced; slides as the options say, the preview always at 8 bits, the logo in true
// colour fitted into its own box and never enlarged. Then holds it against what Windows 95 draws. label only
// names the picture in issues. 1 with the Dib in *dib and a warning added when some displays
// would show it blank; 0 with one problem added and *dib empty.
int PackPictureMake(const unsigned char *data, size_t size, PictureRole role,
                    const PictureOptions *options, const std::string &label, Blob *dib,
                    PictureFacts *facts, PackIssues *issues);
