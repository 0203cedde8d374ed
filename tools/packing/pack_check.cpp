// Checking a packed file record by record. An installer and a saver are told apart by the
// image in front (a saver's is the engine, which carries a variant tag), and each record is
// then held against the place it takes in that layout.
#include "pack_check.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "dib.h"
#include "pack_container.h"
#include "pack_drawable.h"
#include "pack_inputs.h"
#include "payload.h"
#include "saver_memory.h"
#include "slideshow_logic.h"
#include "variant_tag.h"

static const uint32_t PE_POINTER_FIELD = 60; // e_lfanew
static const uint32_t SECTION_HEADER_SIZE = 40;

// One record as read, with what the check says of it.
struct CheckedRecord {
    uint64_t offset;
    Blob blob;
    std::string role;        // what its position calls for
    std::string description; // size, text or variant
    std::vector<std::string> problems, warnings;
};

// End of the section data of a PE image, or 0 when the image has no readable PE headers.
static uint64_t PeSectionsEnd(const unsigned char *image, size_t fileSize, uint64_t size)
{
    if (size < PE_POINTER_FIELD + 4 || fileSize < size)
        return 0;
    uint64_t pe = ReadLe32(&image[PE_POINTER_FIELD]);
    if (pe + 24 > size || memcmp(&image[pe], "PE\0\0", 4) != 0)
        return 0;
    uint32_t sections = ReadLe16(&image[pe + 6]);
    uint64_t table = pe + 24 + ReadLe16(&image[pe + 20]);
    if (table + (uint64_t)sections * SECTION_HEADER_SIZE > size)
        return 0;
    uint64_t end = table + (uint64_t)sections * SECTION_HEADER_SIZE;
    for (uint32_t i = 0; i < sections; i++) {
        const unsigned char *section = &image[table + i * SECTION_HEADER_SIZE];
        uint64_t last = (uint64_t)ReadLe32(section + 20) + ReadLe32(section + 16);
        if (ReadLe32(section + 16) != 0 && last > end)
            end = last;
    }
    return end;
}

// "sustain up to 15000 ms in steps of 700 ms (carried)"
static std::string VariantText(const EngineVariant *variant)
{
    const char *name = VariantName(variant);
    return "sustain up to " + std::to_string(variant->sustainMaximum) + " ms in steps of " +
           std::to_string(variant->sustainStep) + " ms" +
           (name ? std::string(" (the ") + name + " engine)" : std::string(" (unknown variant)"));
}

// The record's text, and a problem when it lacks its terminating NUL.
static std::string RecordText(CheckedRecord *record)
{
    const Blob *blob = &record->blob;
    if (blob->size == 0 || blob->data[blob->size - 1] != 0)
        record->problems.push_back("the text does not end with its NUL");
    return BlobText(blob);
}

static void CheckName(CheckedRecord *record)
{
    std::string name = RecordText(record), reason;
    record->description = "\"" + name + "\"";
    if (!CheckSaverName(name.c_str(), &reason))
        record->problems.push_back("the installer refuses this name: " + reason);
}

static void CheckOptions(CheckedRecord *record)
{
    std::string text = RecordText(record), reason;
    SaverOptions options;
    OptionsParse(text.c_str(), &options);
    char key[16];
    if (isgraph((unsigned char)options.launchKey))
        snprintf(key, sizeof key, "%c", options.launchKey);
    else
        snprintf(key, sizeof key, "code %d", options.launchKey);
    record->description = "\"" + text + "\": banner " + (options.bannerOn ? "on" : "off") +
                          ", launch key " + key + ", " +
                          (options.address[0] ? "web address " + std::string(options.address)
                                              : std::string("no web address"));
    if (!CheckOptionsText(text.c_str(), &reason))
        record->problems.push_back("the options text " + reason);
}

static void CheckPicture(CheckedRecord *record)
{
    DibLayout layout;
    if (DibParseBlob(&record->blob, &layout))
        record->description = std::to_string(layout.width) + "x" + std::to_string(layout.height) +
                              "x" + std::to_string(layout.bitCount);
    std::string problem, warning;
    if (!CheckDrawable(&record->blob, &problem, &warning))
        record->problems.push_back(problem);
    else if (!warning.empty())
        record->warnings.push_back(warning);
}

// The carried engine of an installer: unstamped, so that an install stamps it with its own
// size, subsystem 3.10 for the install to raise, and a known variant.
static void CheckEngine(CheckedRecord *record)
{
    const Blob *blob = &record->blob;
    EngineVariant variant;
    if (!VariantTagFind(blob->data, blob->size, &variant)) {
        record->description = "no engine";
        record->problems.push_back("not a glimmer engine (it carries no variant tag)");
        return;
    }
    record->description = VariantText(&variant);
    if (!VariantName(&variant))
        record->problems.push_back("an engine variant no installer carries");
    else if (strcmp(VariantName(&variant), "carried") != 0)
        record->warnings.push_back("installers normally carry the engine with sustain up to " +
                                   std::to_string(VARIANT_CARRIED.sustainMaximum) + " ms");
    if (blob->size < MIN_EXECUTABLE_SIZE ||
        memcmp(blob->data + STUB_MESSAGE_OFFSET, LONG_STUB_MESSAGE, LONG_STUB_LENGTH) != 0)
        record->problems.push_back("the engine is already stamped or has no stub message; an "
                                   "install would write a saver that cannot find its pictures");
    else if (blob->size <= SUBSYSTEM_VERSION_FIELD + 3 ||
             ReadLe16(blob->data + SUBSYSTEM_VERSION_FIELD) != 3 ||
             ReadLe16(blob->data + SUBSYSTEM_VERSION_FIELD + 2) != 10)
        record->warnings.push_back("subsystem version is not 3.10, so the install leaves it as "
                                   "it is");
}

// Gives every record its role from its position and checks it for that role.
static int CheckRecords(std::vector<CheckedRecord> *records, int installer)
{
    static const char *installerRoles[] = {"name", "preview", "engine", "options", "logo"};
    static const char *saverRoles[] = {"options", "logo"};
    const char **roles = installer ? installerRoles : saverRoles;
    size_t fixed = installer ? 5 : 2;
    int slides = 0;
    for (size_t i = 0; i < records->size(); i++) {
        CheckedRecord &record = (*records)[i];
        BlobKind kind = record.blob.kind;
        std::string role = i < fixed ? roles[i] : kind == BlobKind::End ? "end" : "slide";
        BlobKind wanted = role == "name" || role == "options" ? BlobKind::Text
                          : role == "engine"                  ? BlobKind::Executable
                          : role == "end"                     ? BlobKind::End
                                                              : BlobKind::Dib;
        if (role == "slide")
            role += " " + std::to_string(++slides);
        record.role = role;
        if (kind != wanted) {
            record.problems.push_back(std::string("a ") + KindName((uint16_t)kind) +
                                      " record where the " + record.role + " (" +
                                      KindName((uint16_t)wanted) + ") belongs");
            continue;
        }
        if (role == "name")
            CheckName(&record);
        else if (role == "options")
            CheckOptions(&record);
        else if (role == "engine")
            CheckEngine(&record);
        else if (kind == BlobKind::Dib)
            CheckPicture(&record);
        if (slides == SLIDE_SLOTS + 1 && role.compare(0, 5, "slide") == 0)
            record.problems.push_back("the saver shows the first " + std::to_string(SLIDE_SLOTS) +
                                      " slides; this one and those after it never show");
    }
    if (records->size() == fixed + 1)
        records->back().problems.push_back("no slides: the saver would end as soon as it starts");
    return slides;
}

// The image in front of the payload: a saver's must be the engine, stamped with its own size.
static void CheckImage(const unsigned char *file, size_t size, uint64_t offset, int installer,
                       std::vector<std::string> *problems, std::vector<std::string> *warnings,
                       std::string *description)
{
    uint64_t sectionsEnd = PeSectionsEnd(file, size, offset);
    if (sectionsEnd == 0)
        problems->push_back("the image in front of the payload is no Windows executable");
    else if (sectionsEnd > offset)
        problems->push_back("the payload offset " + std::to_string(offset) +
                            " lies inside the executable image, which ends at " +
                            std::to_string(sectionsEnd));
    if (installer) {
        *description = "setup image of " + std::to_string(offset) + " bytes";
        return;
    }
    EngineVariant variant;
    VariantTagFind(file, (size_t)offset, &variant);
    *description = "engine of " + std::to_string(offset) + " bytes, " + VariantText(&variant);
    if (offset > SUBSYSTEM_VERSION_FIELD + 3 && (ReadLe16(&file[SUBSYSTEM_VERSION_FIELD]) != 4 ||
                                                 ReadLe16(&file[SUBSYSTEM_VERSION_FIELD + 2]) != 0))
        warnings->push_back("subsystem version is not 4.0, as an install writes it");
}

// Adds one line of the report and counts its notes.
static void Report(PackCheckReport *report, const std::string &text,
                   const std::vector<std::string> &problems,
                   const std::vector<std::string> &warnings)
{
    report->lines.push_back({text, problems, warnings});
    report->problems += (int)problems.size();
    report->warnings += (int)warnings.size();
}

int PackCheckBytes(const unsigned char *file, size_t size, const std::string &label,
                   PackCheckReport *report, PackIssues *issues)
{
    *report = PackCheckReport();
    std::vector<CheckedRecord> records;
    uint64_t payloadOffset = 0;
    int whole = PackContainerWalk(
        file, size, label,
        [&](uint64_t offset, const Blob *blob) {
            if (!blob) {
                payloadOffset = offset;
                return 1;
            }
            CheckedRecord record;
            record.offset = offset;
            BlobCopy(&record.blob, blob);
            records.push_back(record);
            return 1;
        },
        issues);
    if (!whole) {
        for (CheckedRecord &record : records)
            BlobFree(&record.blob);
        return 0;
    }
    EngineVariant variant;
    int installer = !VariantTagFind(file, (size_t)payloadOffset, &variant);
    report->installer = installer;

    std::vector<std::string> imageProblems, imageWarnings;
    std::string image;
    CheckImage(file, size, payloadOffset, installer, &imageProblems, &imageWarnings, &image);
    Report(report, "0 image: " + image, imageProblems, imageWarnings);

    int slides = CheckRecords(&records, installer);
    uint64_t end = records.back().offset + RECORD_HEADER_SIZE;
    if (end < size)
        records.back().problems.push_back(std::to_string(size - end) +
                                          (size - end == 1 ? " byte follows" : " bytes follow") +
                                          " the end record");
    for (CheckedRecord &record : records) {
        std::string line = std::to_string(record.offset) + " " +
                           KindName((uint16_t)record.blob.kind) + " " +
                           std::to_string(record.blob.size) + " " + record.role;
        if (!record.description.empty())
            line += " " + record.description;
        Report(report, line, record.problems, record.warnings);
    }

    // What the saver reads: the options, the logo and the slides, as far as they are in place.
    size_t first = installer ? 3 : 0;
    std::vector<Blob> shown;
    for (size_t i = first + 2; i < records.size() && records[i].blob.kind == BlobKind::Dib; i++)
        shown.push_back(records[i].blob);
    if (records.size() > first + 1) {
        uint64_t memory = SaverMemoryBytes(&records[first].blob, &records[first + 1].blob,
                                           shown.data(), (int)shown.size());
        std::vector<std::string> memoryWarnings;
        if (memory > SAVER_MEMORY_BUDGET)
            memoryWarnings.push_back("more than the " + MemoryText(SAVER_MEMORY_BUDGET) +
                                     " that suits a Windows 95 PC with 8 to 16 MB");
        std::vector<std::string> memoryProblems;
        if (memory > SAVER_MEMORY_MAXIMUM)
            memoryProblems.push_back("more than a Windows 95 program can address");
        int held = slides < SLIDE_SLOTS ? slides : SLIDE_SLOTS;
        Report(report,
               "memory: the saver will hold " + MemoryText(memory) + " (options, logo and " +
                   std::to_string(held) + (held == 1 ? " slide)" : " slides)"),
               memoryProblems, memoryWarnings);
    }
    for (CheckedRecord &record : records)
        BlobFree(&record.blob);
    return 1;
}
