// The records of an installer or a saver file, gathered and checked one input at a time: the
// name rule, the options text, the two executables, the default logo and preview, and the
// memory the saver will hold.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>
#include "blob.h"
#include "pack_issues.h"
#include "pack_pictures.h"

// Everything an installer (installer 1) or a saver file (installer 0) holds. Blobs left empty
// are not written; the preview, the name and the carried engine belong to an installer only.
struct PackContents {
    int installer;
    Blob image;   // the setup image (installer) or the engine (saver), unstamped
    Blob engine;  // the carried engine, unstamped
    Blob name;    // Text
    Blob preview; // Dib
    Blob options; // Text
    Blob logo;    // Dib
    std::vector<Blob> slides;
};

void PackContentsInit(PackContents *contents, int installer);
void PackContentsFree(PackContents *contents);

// The saver's name as a Text record; a problem when the installer would refuse it.
int PackNameTake(const char *name, Blob *blob, PackIssues *issues);
// The options text as a Text record, DEFAULT_OPTIONS when options is null; a problem when the
// engine would not keep all of it.
int PackOptionsTake(const char *options, Blob *blob, PackIssues *issues);
// An unstamped Windows executable from its file's bytes, checked for its role: the engine
// (engine 1) carries a variant tag, the setup image none. label names it in issues. 0 with a
// problem when it cannot serve; a warning for an engine variant installers do not normally
// carry.
int PackImageTake(const unsigned char *data, size_t size, int engine, const std::string &label,
                  Blob *blob, PackIssues *issues);
// The default logo: a 1 x 1 black picture that never shows.
void PackLogoDefault(Blob *logo);
// The installer's default preview: a collage of the first slides at the size of the dialog's
// preview control, with the slides' quality and speed. 0 with a problem when it fails.
int PackPreviewMake(PackContents *contents, const PictureOptions *options, PackIssues *issues);

// The memory the saver will hold: options, logo and the slides it reads.
uint64_t PackContentsMemory(const PackContents *contents);
// A problem when memory is more than a Windows 95 program can address.
int PackMemoryCheck(uint64_t memory, PackIssues *issues);
// A warning when memory is more than suits a Windows 95 PC with 8 to 16 MB.
void PackMemoryBudgetCheck(uint64_t memory, PackIssues *issues);
