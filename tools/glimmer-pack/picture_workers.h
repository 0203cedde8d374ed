// Loading many picture files at once on worker threads, each into its own record.
#pragma once

#include <string>
#include <vector>
#include "blob.h"
#include "pack_issues.h"
#include "pack_pictures.h"
#include "picture_options.h"

// One picture to load, and what came of it.
struct PictureJob {
    std::string path;
    PictureRole role;
    Blob blob;          // the Dib; empty when loading failed
    PictureFacts facts; // what the conversion made
    PackIssues issues;  // why loading failed, or what to warn of
};

// A job for path with an empty blob.
PictureJob PictureJobFor(const std::string &path, PictureRole role);
// Loads every job on up to workers threads (at least one). Each picture is loaded on its own,
// so the results are the same whatever the number of workers.
void LoadPictures(std::vector<PictureJob> *jobs, const PictureArguments *arguments, int workers);
// Frees every job's blob.
void FreePictureJobs(std::vector<PictureJob> *jobs);
// One worker per processor, at most 8.
int DefaultWorkers();
