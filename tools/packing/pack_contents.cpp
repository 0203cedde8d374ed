// Gathering and checking the records of an installer or a saver file.
#include "pack_contents.h"

#include <string.h>
#include "pack_defaults.h"
#include "pack_inputs.h"
#include "pack_preview.h"
#include "saver_memory.h"
#include "variant_tag.h"

void PackContentsInit(PackContents *contents, int installer)
{
    contents->installer = installer;
    for (Blob *blob : {&contents->image, &contents->engine, &contents->name, &contents->preview,
                       &contents->options, &contents->logo})
        BlobInit(blob);
    contents->slides.clear();
}

void PackContentsFree(PackContents *contents)
{
    for (Blob *blob : {&contents->image, &contents->engine, &contents->name, &contents->preview,
                       &contents->options, &contents->logo})
        BlobFree(blob);
    for (Blob &slide : contents->slides)
        BlobFree(&slide);
    contents->slides.clear();
}

int PackNameTake(const char *name, Blob *blob, PackIssues *issues)
{
    std::string reason;
    BlobSetText(blob, name);
    if (!CheckSaverName(name, &reason))
        return PackIssueAdd(issues, PACK_PROBLEM, "", "the name \"%s\" is refused: %s", name,
                            reason.c_str());
    return 1;
}

int PackOptionsTake(const char *options, Blob *blob, PackIssues *issues)
{
    if (!options)
        options = DEFAULT_OPTIONS;
    std::string reason;
    BlobSetText(blob, options);
    if (!CheckOptionsText(options, &reason))
        return PackIssueAdd(issues, PACK_PROBLEM, "", "the options text \"%s\" %s", options,
                            reason.c_str());
    return 1;
}

int PackImageTake(const unsigned char *data, size_t size, int engine, const std::string &label,
                  Blob *blob, PackIssues *issues)
{
    BlobFree(blob);
    if (size < MIN_EXECUTABLE_SIZE || size >= BLOB_SIZE_LIMIT ||
        memcmp(data + STUB_MESSAGE_OFFSET, LONG_STUB_MESSAGE, LONG_STUB_LENGTH) != 0)
        return PackIssueAdd(issues, PACK_PROBLEM, label,
                            "not an unstamped Windows executable (no long DOS stub message "
                            "at %u)",
                            STUB_MESSAGE_OFFSET);
    BlobAllocate(blob, BlobKind::Executable, (uint32_t)size);
    memcpy(blob->data, data, size);
    EngineVariant variant;
    int tagged = VariantTagFind(blob->data, blob->size, &variant);
    const char *name = tagged ? VariantName(&variant) : nullptr;
    if (engine && !tagged)
        return PackIssueAdd(issues, PACK_PROBLEM, label,
                            "not a glimmer engine (it carries no variant tag)");
    if (!engine && tagged)
        return PackIssueAdd(issues, PACK_PROBLEM, label, "an engine, not the setup program");
    if (engine && !name)
        return PackIssueAdd(issues, PACK_PROBLEM, label,
                            "an engine variant no installer carries (sustain up to %d ms)",
                            variant.sustainMaximum);
    if (engine && strcmp(name, "carried") != 0)
        PackIssueAdd(issues, PACK_WARNING, label,
                     "the engine with sustain up to %d ms in steps of %d ms; installers "
                     "normally carry the one with %d/%d",
                     variant.sustainMaximum, variant.sustainStep, VARIANT_CARRIED.sustainMaximum,
                     VARIANT_CARRIED.sustainStep);
    return 1;
}

void PackLogoDefault(Blob *logo)
{
    MakeBlankLogo(logo);
}

int PackPreviewMake(PackContents *contents, const PictureOptions *options, PackIssues *issues)
{
    int count = (int)contents->slides.size();
    if (count > COLLAGE_SLIDES)
        count = COLLAGE_SLIDES;
    std::string error;
    const PhotoOptions *photos = &options->photos;
    if (!MakePreviewCollage(contents->slides.data(), count, PREVIEW_AREA_WIDTH, PREVIEW_AREA_HEIGHT,
                            photos->quality, photos->speed, &contents->preview, &error))
        return PackIssueAdd(issues, PACK_PROBLEM, "", "the preview collage: %s", error.c_str());
    return 1;
}

uint64_t PackContentsMemory(const PackContents *contents)
{
    return SaverMemoryBytes(&contents->options, &contents->logo, contents->slides.data(),
                            (int)contents->slides.size());
}

int PackMemoryCheck(uint64_t memory, PackIssues *issues)
{
    if (memory <= SAVER_MEMORY_MAXIMUM)
        return 1;
    return PackIssueAdd(issues, PACK_PROBLEM, "",
                        "the saver would hold %s in memory, more than a Windows 95 program can "
                        "address (%s)",
                        MemoryText(memory).c_str(), MemoryText(SAVER_MEMORY_MAXIMUM).c_str());
}

void PackMemoryBudgetCheck(uint64_t memory, PackIssues *issues)
{
    if (memory > SAVER_MEMORY_BUDGET)
        PackIssueAdd(issues, PACK_WARNING, "",
                     "the saver will hold %s in memory, more than the %s that suits a Windows 95 "
                     "PC with 8 to 16 MB; fewer slides (--max-slides), a smaller --size or "
                     "8-bit slides hold less",
                     MemoryText(memory).c_str(), MemoryText(SAVER_MEMORY_BUDGET).c_str());
}
