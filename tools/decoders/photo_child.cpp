// Decoding in a child process, so that a decoder library that aborts or crashes on a hostile
// file costs one refusal instead of the whole run.
//
// libheif 1.15 and libde265 end the process on some damaged files (assertions, faults). The
// child is forked from the calling thread, runs the decoder and writes the picture back
// through a pipe; the parent reads it, then waits for the child. The child runs only the
// decoder and then _exit()s: of the locks other threads may hold at the fork it meets only
// malloc's, which glibc makes safe in the child, since the parent never calls the decoder
// library itself. Pages the parent writes while the child lives are copied once; the child's
// own peak is what decoding in process would have taken.
#include "photo_internal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

// Longest reason a child may send back, in bytes.
static const uint32_t CHILD_MAX_REASON = 4096;

// What the child sends first; then the reason, or the picture's rows.
struct ChildHeader {
    int32_t ok;
    int32_t width;
    int32_t height;
    int32_t sourceWidth;
    int32_t sourceHeight;
    int32_t orientation;
    uint32_t reasonLength;
};

static int WriteAll(int fd, const void *data, size_t size)
{
    const char *p = (const char *)data;
    while (size > 0) {
        ssize_t done = write(fd, p, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return 0;
        p += done;
        size -= (size_t)done;
    }
    return 1;
}

static int ReadAll(int fd, void *data, size_t size)
{
    char *p = (char *)data;
    while (size > 0) {
        ssize_t got = read(fd, p, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return 0;
        p += got;
        size -= (size_t)got;
    }
    return 1;
}

// The child's whole life: decode, send, leave without running exit handlers.
[[noreturn]] static void RunChild(PhotoDecoder decode, const char *format,
                                  const unsigned char *data, size_t size, PhotoInfo info, int out,
                                  int notes)
{
    // What the libraries print on the way down (an assertion's text) goes to the parent, which
    // puts it in the reason; past the pipe's buffer it is dropped rather than waited on.
    int answer = fcntl(out, F_DUPFD, 3);
    dup2(notes, 2);
    fcntl(2, F_SETFL, O_NONBLOCK);
    // Other workers' pipes stay open in the parent only; holding them here would delay the
    // end of file those workers wait for.
    if (answer > 3)
        close_range(3, (unsigned)answer - 1, 0);
    close_range((unsigned)answer + 1, ~0U, 0);
    PhotoImage image = {};
    std::string reason;
    int ok = decode(data, size, &image, &info, &reason);
    if (ok && image.rgb.size() != (size_t)image.width * image.height * 3) {
        ok = 0;
        reason = std::string("cannot decode ") + format + ": decoder gave no usable picture";
    }
    if (reason.size() > CHILD_MAX_REASON)
        reason.resize(CHILD_MAX_REASON);
    ChildHeader header = {ok,
                          image.width,
                          image.height,
                          info.sourceWidth,
                          info.sourceHeight,
                          info.orientation,
                          ok ? 0 : (uint32_t)reason.size()};
    int sent = WriteAll(answer, &header, sizeof header) &&
               (ok ? WriteAll(answer, image.rgb.data(), image.rgb.size())
                   : WriteAll(answer, reason.data(), reason.size()));
    _exit(sent ? 0 : 1);
}

// Reads what the child sent; 0 when it sent less than a whole answer or an impossible one.
static int ReadAnswer(int in, PhotoImage *image, PhotoInfo *info, std::string *reason, int *ok)
{
    ChildHeader header;
    if (!ReadAll(in, &header, sizeof header))
        return 0;
    *ok = header.ok != 0;
    if (!*ok) {
        if (header.reasonLength > CHILD_MAX_REASON)
            return 0;
        reason->resize(header.reasonLength);
        return ReadAll(in, &(*reason)[0], reason->size());
    }
    std::string unused;
    if (!PhotoCheckDimensions(header.width, header.height, &unused))
        return 0;
    info->sourceWidth = header.sourceWidth;
    info->sourceHeight = header.sourceHeight;
    info->orientation = header.orientation;
    PhotoImageAllocate(image, header.width, header.height);
    return ReadAll(in, image->rgb.data(), image->rgb.size());
}

// How the child ended, and the last line it printed: "SIGABRT: file.cc:12: Assertion `x'
// failed." (the program name and the function an assertion names are left out).
static std::string ChildEnd(int status, int notes)
{
    std::string end;
    if (WIFSIGNALED(status)) {
        const char *name = sigabbrev_np(WTERMSIG(status));
        end = name ? std::string("SIG") + name : "signal " + std::to_string(WTERMSIG(status));
    } else {
        end = "exit status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    std::string printed;
    char chunk[CHILD_MAX_REASON];
    for (;;) {
        ssize_t got = read(notes, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        printed.append(chunk, (size_t)got);
        if (printed.size() > 2 * sizeof chunk)
            printed.erase(0, printed.size() - sizeof chunk);
    }
    while (!printed.empty() && (unsigned char)printed.back() <= ' ')
        printed.pop_back();
    std::string line = printed.substr(printed.find_last_of('\n') + 1);
    std::string program = std::string(program_invocation_short_name) + ": ";
    if (line.compare(0, program.size(), program) == 0)
        line.erase(0, program.size());
    size_t place = line.find(": "), assertion = line.find(": Assertion ");
    if (place != std::string::npos && assertion != std::string::npos && place < assertion)
        line.erase(place, assertion - place);
    for (char &c : line)
        if ((unsigned char)c < ' ')
            c = ' ';
    if (line.size() > 200)
        line.resize(200);
    return line.empty() ? end : end + ": " + line;
}

int PhotoDecodeInChild(PhotoDecoder decode, const char *format, const unsigned char *data,
                       size_t size, PhotoImage *image, PhotoInfo *info, std::string *error)
{
    std::string prefix = std::string("cannot decode ") + format + ": ";
    int fds[2], notes[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        *error = prefix + "no pipe to a decoding process: " + strerror(errno);
        return 0;
    }
    if (pipe2(notes, O_CLOEXEC) != 0) {
        *error = prefix + "no pipe to a decoding process: " + strerror(errno);
        close(fds[0]);
        close(fds[1]);
        return 0;
    }
    pid_t child = fork();
    if (child < 0) {
        *error = prefix + "cannot start a decoding process: " + strerror(errno);
        for (int fd : {fds[0], fds[1], notes[0], notes[1]})
            close(fd);
        return 0;
    }
    if (child == 0)
        RunChild(decode, format, data, size, *info, fds[1], notes[1]);
    close(fds[1]);
    close(notes[1]);
    std::string reason;
    int ok = 0;
    int answered = ReadAnswer(fds[0], image, info, &reason, &ok);
    // Closed before the wait, so that a child still writing ends rather than blocks.
    close(fds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
        ;
    if (!answered || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *error = "the " + std::string(format) + " decoder failed on it (" +
                 ChildEnd(status, notes[0]) + ")";
        ok = 0;
    } else if (!ok) {
        *error = reason.empty() ? prefix + "decoder gave no reason" : reason;
    }
    close(notes[0]);
    if (!ok) {
        image->width = 0;
        image->height = 0;
        image->rgb.clear();
    }
    return ok;
}
