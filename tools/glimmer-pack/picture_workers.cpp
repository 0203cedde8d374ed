// Picture workers: each takes the next job number from a shared counter until none is left,
// reads that picture's file and hands its bytes to the packing library.
#include "picture_workers.h"

#include <errno.h>
#include <libheif/heif.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
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
    job.facts = PictureFacts();
    return job;
}

static double Seconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + now.tv_nsec / 1e9;
}

// Reads a picture file whole: a regular file that is not empty, within the size limit.
static int ReadPicture(const char *path, std::vector<unsigned char> *data, std::string *error)
{
    struct stat info;
    if (stat(path, &info) != 0) {
        *error = strerror(errno);
        return 0;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = "not a regular file";
        return 0;
    }
    FILE *file = fopen(path, "rb");
    if (!file) {
        *error = strerror(errno);
        return 0;
    }
    int empty = fgetc(file) == EOF;
    fclose(file);
    if (empty) {
        *error = "file is empty";
        return 0;
    }
    return PhotoReadFile(path, data, error);
}

// Reads and converts one picture; a progress line once it is converted.
static void LoadJob(PictureJob *job, const PictureArguments *arguments)
{
    double start = Seconds();
    std::vector<unsigned char> data;
    std::string error;
    if (!ReadPicture(job->path.c_str(), &data, &error)) {
        PackIssueAdd(&job->issues, PACK_PROBLEM, job->path, "%s", error.c_str());
        return;
    }
    PackPictureMake(data.data(), data.size(), job->role, &arguments->options, job->path, &job->blob,
                    &job->facts, &job->issues);
    if (job->facts.converted)
        PrintPictureProgress(arguments, job->role, job->path.c_str(), &job->facts,
                             Seconds() - start);
}

static void RunJobs(std::vector<PictureJob> *jobs, const PictureArguments *arguments,
                    std::atomic<size_t> *next)
{
    for (size_t i = (*next)++; i < jobs->size(); i = (*next)++)
        LoadJob(&(*jobs)[i], arguments);
}

void LoadPictures(std::vector<PictureJob> *jobs, const PictureArguments *arguments, int workers)
{
    // libheif registers its decoders on first use unless told to beforehand; two workers
    // meeting their first HEIF file at once would register them together.
    heif_init(nullptr);
    std::atomic<size_t> next(0);
    std::vector<std::thread> threads;
    for (int i = 1; i < workers && (size_t)i < jobs->size(); i++)
        threads.emplace_back(RunJobs, jobs, arguments, &next);
    RunJobs(jobs, arguments, &next);
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
