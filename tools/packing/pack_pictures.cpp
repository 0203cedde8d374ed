// Picture conversion through the photo import library. Photos are fitted into the slide box
// and reduced to their own 256 colours; BMP files keep their pixels where their size stays.
#include "pack_pictures.h"

#include <string.h>
#include <vector>
#include "dib.h"
#include "pack_defaults.h"
#include "pack_drawable.h"

void SetDefaultPictureOptions(PictureOptions *options)
{
    PhotoOptionsInit(&options->photos);
    options->logoWidth = DEFAULT_LOGO_WIDTH;
    options->logoHeight = DEFAULT_LOGO_HEIGHT;
}

const char *PictureRoleName(PictureRole role)
{
    return role == PICTURE_PREVIEW ? "preview" : role == PICTURE_LOGO ? "logo" : "slide";
}

// The photo options of a role: the preview fitted like the slides but always 8 bits, the logo
// in true colour in its own box and never enlarged; only slides reduce true-colour BMPs that
// keep their size.
static PhotoOptions RolePhotoOptions(PictureRole role, const PictureOptions *options)
{
    PhotoOptions photo = options->photos;
    if (role == PICTURE_PREVIEW)
        photo.bits = 8;
    if (role != PICTURE_SLIDE)
        photo.bmpBits = 24;
    if (role == PICTURE_LOGO) {
        photo.upscale = 0; // a corner mark: fitted down into its box, never enlarged
        photo.bits = 24;
        photo.boxWidth = options->logoWidth;
        photo.boxHeight = options->logoHeight;
    }
    return photo;
}

int PackPictureMake(const unsigned char *data, size_t size, PictureRole role,
                    const PictureOptions *options, const std::string &label, Blob *dib,
                    PictureFacts *facts, PackIssues *issues)
{
    BlobFree(dib);
    *facts = PictureFacts();
    PhotoOptions photo = RolePhotoOptions(role, options);
    std::vector<unsigned char> bytes;
    PhotoReport report;
    std::string error;
    if (!PhotoMakeDibFromMemory(data, size, &photo, &bytes, &report, &error))
        return PackIssueAdd(issues, PACK_PROBLEM, label, "%s", error.c_str());
    // A colour profile the colour engine refused: the picture went in as stored.
    if (!report.warning.empty())
        PackIssueAdd(issues, PACK_WARNING, label, "%s", report.warning.c_str());
    DibLayout layout;
    if (bytes.size() >= BLOB_SIZE_LIMIT ||
        !BlobAllocate(dib, BlobKind::Dib, (uint32_t)bytes.size()))
        return PackIssueAdd(issues, PACK_PROBLEM, label, "the converted picture is too large");
    memcpy(dib->data, bytes.data(), bytes.size());
    if (!DibParseBlob(dib, &layout)) {
        BlobFree(dib);
        return PackIssueAdd(issues, PACK_PROBLEM, label,
                            "the converted picture is not a valid bitmap");
    }
    *facts = {1,
              report.format,
              report.sourceWidth,
              report.sourceHeight,
              layout.width,
              layout.height,
              layout.bitCount,
              report.colours};
    std::string problem, warning;
    if (!CheckDrawable(dib, &problem, &warning)) {
        BlobFree(dib);
        return PackIssueAdd(issues, PACK_PROBLEM, label, "%s", problem.c_str());
    }
    if (!warning.empty())
        PackIssueAdd(issues, PACK_WARNING, label, "%s", warning.c_str());
    return 1;
}
