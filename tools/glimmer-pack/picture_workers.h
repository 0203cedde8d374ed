// Loading many picture files at once on worker threads, each into its own record.
#pragma once

#include <functional>
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
    double seconds;     // the conversion took, for its progress line
};

// A job for path with an empty blob.
PictureJob PictureJobFor(const std::string &path, PictureRole role);
// Loads every job on workers threads (at least one) and hands each to take on the calling
// thread, in job order, as soon as it and every job before it are loaded, after its progress
// line. At most workers jobs beyond those handed on are loading or loaded, so a run holds about
// workers + 1 pictures however many there are, if take frees what it is given. Each picture is
// loaded on its own, so the results are the same whatever the number of workers.
void LoadPictures(std::vector<PictureJob> *jobs, const PictureArguments *arguments, int workers,
                  const std::function<void(PictureJob *)> &take);
// Frees every job's blob.
void FreePictureJobs(std::vector<PictureJob> *jobs);
// One worker per processor, at most 8.
int DefaultWorkers();
