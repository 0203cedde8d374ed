// Picture workers: each takes the next job number from a shared counter until none is left,
// reads that picture's file and hands its bytes to the packing library, staying at most one job
// per worker ahead of the pictures handed on, which go in job order.
#include "picture_workers.h"

#include <errno.h>
#include <libheif/heif.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <condition_variable>
#include <mutex>
#include <thread>

static const int MAX_WORKERS = 8;

PictureJob PictureJobFor(const std::string &path, PictureRole role)
{
    PictureJob job;
    job.path = path;
    job.role = role;
    BlobInit(&job.blob);
    job.facts = PictureFacts();
    job.seconds = 0;
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

// Reads and converts one picture, timing it for its progress line.
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
    job->seconds = Seconds() - start;
}

// The state the workers and the taking thread share.
struct LoadQueue {
    std::mutex lock;
    std::condition_variable changed;
    size_t next = 0;        // the next job a worker starts
    size_t taken = 0;       // jobs handed on so far
    std::vector<char> done; // per job: loaded
    size_t window = 1;      // jobs a worker may start beyond the last one taken
};

static void RunJobs(std::vector<PictureJob> *jobs, const PictureArguments *arguments,
                    LoadQueue *queue)
{
    for (;;) {
        size_t i;
        {
            std::unique_lock<std::mutex> hold(queue->lock);
            queue->changed.wait(hold, [&] {
                return queue->next >= jobs->size() || queue->next < queue->taken + queue->window;
            });
            if (queue->next >= jobs->size())
                return;
            i = queue->next++;
        }
        LoadJob(&(*jobs)[i], arguments);
        {
            std::lock_guard<std::mutex> hold(queue->lock);
            queue->done[i] = 1;
        }
        queue->changed.notify_all();
    }
}

void LoadPictures(std::vector<PictureJob> *jobs, const PictureArguments *arguments, int workers,
                  const std::function<void(PictureJob *)> &take)
{
    // libheif registers its decoders on first use unless told to beforehand; two workers
    // meeting their first HEIF file at once would register them together.
    heif_init(nullptr);
    if (workers < 1)
        workers = 1;
    LoadQueue queue;
    queue.done.assign(jobs->size(), 0);
    queue.window = (size_t)workers;
    std::vector<std::thread> threads;
    for (int i = 0; i < workers && (size_t)i < jobs->size(); i++)
        threads.emplace_back(RunJobs, jobs, arguments, &queue);
    for (size_t i = 0; i < jobs->size(); i++) {
        {
            std::unique_lock<std::mutex> hold(queue.lock);
            queue.changed.wait(hold, [&] { return queue.done[i] != 0; });
        }
        PictureJob *job = &(*jobs)[i];
        if (job->facts.converted)
            PrintPictureProgress(arguments, job->role, job->path.c_str(), &job->facts,
                                 job->seconds);
        take(job);
        {
            std::lock_guard<std::mutex> hold(queue.lock);
            queue.taken = i + 1;
        }
        queue.changed.notify_all();
    }
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
