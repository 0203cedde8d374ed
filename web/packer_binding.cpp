// The packing library as the page's worker calls it: plain C exports over the module's memory.
// Each call leaves its outcome in one place (a JSON text and up to two byte runs) that the
// worker copies out before its next call; inputs are copied in by the worker and freed by it.
//
//   packer_facts()                          {banner, nameMaximum, addressMaximum, slideSlots,
//                                            memoryBudget, memoryBound}
//   packer_check(name, options)             {nameReason, optionsReason}
//   packer_convert(data, size, role, bits, boxWidth, boxHeight)
//       1: data 0 = the Dib, data 1 = thumbnail RGBA; {width, height, bits, warnings,
//          thumbWidth, thumbHeight}
//       0: {reason, notPicture}
//   packer_assemble(name, options, data, sizes, slideCount, given, keep)
//       data holds setup, engine, preview, logo and the slides back to back, sizes their
//       lengths; given says which of preview (1) and logo (2) are there. {size, memory,
//       memoryText, slides, problems, warnings}, and with keep the installer as data 0;
//       without a given preview, the collage made in its place as data 1.
#include <emscripten/emscripten.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>
#include "blob.h"
#include "pack_contents.h"
#include "pack_defaults.h"
#include "pack_inputs.h"
#include "pack_issues.h"
#include "pack_pictures.h"
#include "pack_preview.h"
#include "pack_write.h"
#include "photo.h"
#include "saver_memory.h"
#include "slideshow_logic.h"

namespace {

// The outcome of the last call.
std::string resultText;
std::vector<unsigned char> resultData[2];

const int THUMB_WIDTH = 160; // thumbnail box, pixels
const int THUMB_HEIGHT = 120;

std::string Quote(const std::string &text)
{
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += (char)c;
        } else if (c < 0x20) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else {
            quoted += (char)c;
        }
    }
    return quoted + "\"";
}

std::string List(const std::vector<std::string> &texts)
{
    std::string list = "[";
    for (size_t i = 0; i < texts.size(); i++)
        list += (i ? "," : "") + Quote(texts[i]);
    return list + "]";
}

// The texts of one severity, each after its label ("file: reason") when withLabel is set.
std::vector<std::string> Texts(const PackIssues &issues, PackSeverity severity, bool withLabel)
{
    std::vector<std::string> texts;
    for (const PackIssue &issue : issues) {
        if (issue.severity == severity)
            texts.push_back(withLabel && !issue.label.empty() ? issue.label + ": " + issue.text
                                                               : issue.text);
    }
    return texts;
}

// A Dib record from bytes the page kept from an earlier conversion.
void TakeDib(const unsigned char *data, uint32_t size, Blob *blob)
{
    if (BlobAllocate(blob, BlobKind::Dib, size) && size > 0)
        memcpy(blob->data, data, size);
}

// A sink that only counts what it is given.
struct Counter {
    uint64_t bytes = 0;
};

int CountBytes(void *context, const unsigned char *data, size_t size)
{
    (void)data;
    ((Counter *)context)->bytes += size;
    return 1;
}

void Clear()
{
    resultText.clear();
    resultData[0].clear();
    resultData[1].clear();
}

// Top-down RGBA of the Dib fitted into the thumbnail box; false when it cannot be drawn.
bool Thumbnail(const Blob *dib, int *width, int *height, std::vector<unsigned char> *rgba)
{
    PhotoImage image, small;
    if (!DibToImage(dib, &image))
        return false;
    PhotoFitSize(image.width, image.height, THUMB_WIDTH, THUMB_HEIGHT, 0, width, height);
    if (!PhotoResample(&image, *width, *height, &small))
        return false;
    rgba->resize((size_t)*width * *height * 4);
    for (size_t i = 0, n = (size_t)*width * *height; i < n; i++) {
        (*rgba)[i * 4] = small.rgb[i * 3];
        (*rgba)[i * 4 + 1] = small.rgb[i * 3 + 1];
        (*rgba)[i * 4 + 2] = small.rgb[i * 3 + 2];
        (*rgba)[i * 4 + 3] = 255;
    }
    return true;
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char *packer_result_text()
{
    return resultText.c_str();
}

EMSCRIPTEN_KEEPALIVE const unsigned char *packer_result_data(int which)
{
    return resultData[which & 1].data();
}

EMSCRIPTEN_KEEPALIVE uint32_t packer_result_size(int which)
{
    return (uint32_t)resultData[which & 1].size();
}

EMSCRIPTEN_KEEPALIVE void packer_facts()
{
    Clear();
    char banner[BANNER_CAPACITY];
    BannerUnscramble(BANNER_SCRAMBLED, banner, sizeof banner);
    resultText = "{\"banner\":" + Quote(banner) +
                 ",\"nameMaximum\":" + std::to_string(SAVER_NAME_MAXIMUM) +
                 ",\"addressMaximum\":" + std::to_string(OPTIONS_ADDRESS_MAXIMUM) +
                 ",\"slideSlots\":" + std::to_string(SLIDE_SLOTS) +
                 ",\"memoryBudget\":" + std::to_string(SAVER_MEMORY_BUDGET) +
                 ",\"memoryBound\":" + Quote(MemoryText(GLIMMER_WASM_MAXIMUM_MEMORY)) + "}";
}

EMSCRIPTEN_KEEPALIVE void packer_check(const char *name, const char *options)
{
    Clear();
    std::string nameReason, optionsReason;
    CheckSaverName(name, &nameReason);
    CheckOptionsText(options, &optionsReason);
    resultText = "{\"nameReason\":" + Quote(nameReason) +
                 ",\"optionsReason\":" + Quote(optionsReason) + "}";
}

EMSCRIPTEN_KEEPALIVE int packer_convert(const unsigned char *data, uint32_t size, int role, int bits,
                                        int boxWidth, int boxHeight)
{
    Clear();
    static const PictureRole ROLES[] = {PICTURE_SLIDE, PICTURE_LOGO, PICTURE_PREVIEW};
    PictureOptions options;
    SetDefaultPictureOptions(&options);
    options.photos.bits = bits;
    options.photos.boxWidth = boxWidth;
    options.photos.boxHeight = boxHeight;
    PictureFacts facts;
    PackIssues issues;
    Blob dib;
    BlobInit(&dib);
    if (!PackPictureMake(data, size, ROLES[role % 3], &options, "", &dib, &facts, &issues)) {
        // What a folder skips rather than refuses: no bytes, or none of a picture format.
        bool notPicture = size == 0 || PhotoDetectFormat(data, size) == PHOTO_FORMAT_UNKNOWN;
        std::string reason = issues.empty() ? "cannot be converted" : issues.back().text;
        resultText = "{\"reason\":" + Quote(reason) +
                     ",\"notPicture\":" + (notPicture ? "true" : "false") + "}";
        return 0;
    }
    int thumbWidth = 0, thumbHeight = 0;
    Thumbnail(&dib, &thumbWidth, &thumbHeight, &resultData[1]);
    resultData[0].assign(dib.data, dib.data + dib.size);
    BlobFree(&dib);
    resultText = "{\"width\":" + std::to_string(facts.width) +
                 ",\"height\":" + std::to_string(facts.height) +
                 ",\"bits\":" + std::to_string(facts.bits) +
                 ",\"warnings\":" + List(Texts(issues, PACK_WARNING, false)) +
                 ",\"thumbWidth\":" + std::to_string(thumbWidth) +
                 ",\"thumbHeight\":" + std::to_string(thumbHeight) + "}";
    return 1;
}

EMSCRIPTEN_KEEPALIVE void packer_assemble(const char *name, const char *optionsText,
                                          const unsigned char *data, const uint32_t *sizes,
                                          int slideCount, int given, int keep)
{
    Clear();
    PackContents contents;
    PackContentsInit(&contents, 1);
    PackIssues issues;
    PackNameTake(name, &contents.name, &issues);
    PackOptionsTake(optionsText, &contents.options, &issues);
    const unsigned char *at = data;
    PackImageTake(at, sizes[0], 0, "setup.exe", &contents.image, &issues);
    at += sizes[0];
    PackImageTake(at, sizes[1], 1, "glimmer-carried.exe", &contents.engine, &issues);
    at += sizes[1];
    if (given & 1)
        TakeDib(at, sizes[2], &contents.preview);
    at += sizes[2];
    if (given & 2)
        TakeDib(at, sizes[3], &contents.logo);
    else
        PackLogoDefault(&contents.logo);
    at += sizes[3];
    for (int i = 0; i < slideCount; i++) {
        Blob slide;
        BlobInit(&slide);
        TakeDib(at, sizes[4 + i], &slide);
        contents.slides.push_back(slide);
        at += sizes[4 + i];
    }
    if (slideCount == 0)
        PackIssueAdd(&issues, PACK_PROBLEM, "", "no slide pictures given");
    else if (slideCount > SLIDE_SLOTS)
        PackIssueAdd(&issues, PACK_PROBLEM, "",
                     "%d slides given, but the saver shows at most %d: remove some", slideCount,
                     SLIDE_SLOTS);
    PictureOptions options;
    SetDefaultPictureOptions(&options);
    if (!(given & 1) && slideCount > 0)
        PackPreviewMake(&contents, &options, &issues);
    uint64_t memory = PackContentsMemory(&contents);
    PackMemoryCheck(memory, &issues);
    PackMemoryBudgetCheck(memory, &issues);

    // The size is measured by writing; the bytes are kept only when asked for and sound.
    Counter counter;
    PackWriter writer;
    bool sound = PackIssueCount(&issues, PACK_PROBLEM) == 0;
    if (keep && sound)
        PackWriterInit(&writer, PackSinkBytes, &resultData[0]);
    else
        PackWriterInit(&writer, CountBytes, &counter);
    PackWriteContents(&writer, &contents);
    if (!(given & 1) && contents.preview.data)
        resultData[1].assign(contents.preview.data, contents.preview.data + contents.preview.size);
    PackContentsFree(&contents);
    resultText = "{\"size\":" + std::to_string(writer.written) +
                 ",\"memory\":" + std::to_string(memory) +
                 ",\"memoryText\":" + Quote(MemoryText(memory)) +
                 ",\"slides\":" + std::to_string(slideCount) +
                 ",\"problems\":" + List(Texts(issues, PACK_PROBLEM, true)) +
                 ",\"warnings\":" + List(Texts(issues, PACK_WARNING, true)) + "}";
}

} // extern "C"
