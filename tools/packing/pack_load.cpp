// Picture workers: each takes the next job number from a shared counter until none is left.
#include "pack_load.h"

#include <libheif/heif.h>
#include <unistd.h>
#include <atomic>
#include <thread>

static const int MAX_WORKERS = 8;

PictureJob PictureJobFor(const std::string &path, PictureRole role)
{
    PictureJob job;
    job.path = path;
    job.role = role;
    BlobInit(&job.blob);
    job.summary = PictureSummary();
    return job;
}

static void RunJobs(std::vector<PictureJob> *jobs, const PictureOptions *options,
                    std::atomic<size_t> *next)
{
    for (size_t i = (*next)++; i < jobs->size(); i = (*next)++) {
        PictureJob &job = (*jobs)[i];
        LoadPicture(job.path.c_str(), job.role, options, &job.blob, &job.summary, &job.error);
    }
}

void LoadPictures(std::vector<PictureJob> *jobs, const PictureOptions *options, int workers)
{
    // libheif registers its decoders on first use unless told to beforehand; two workers
    // meeting their first HEIF file at once would register them together.
    heif_init(nullptr);
    std::atomic<size_t> next(0);
    std::vector<std::thread> threads;
    for (int i = 1; i < workers && (size_t)i < jobs->size(); i++)
        threads.emplace_back(RunJobs, jobs, options, &next);
    RunJobs(jobs, options, &next);
    for (std::thread &thread : threads)
        thread.join();
}

void FreePictureJobs(std::vector<PictureJob> *jobs)
{
    for (PictureJob &job : *jobs)
        BlobFree(&job.blob);
}

int DefaultWorkers()
{
    long processors = sysconf(_SC_NPROCESSORS_ONLN);
    if (processors < 1)
        return 1;
    return processors > MAX_WORKERS ? MAX_WORKERS : (int)processors;
}
