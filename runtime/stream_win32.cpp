// Buffered file streams over Win32 file handles: fopen, fread, fwrite, fseek, ftell, fflush,
// ferror, feof and fclose, reporting failures as C's streams do.
//
// A stream either reads or writes. Reads and writes of a buffer's size or more bypass the
// buffer (a slide record is read with one ReadFile into its Blob); smaller ones go through it.
// A write that fits in the buffer only fills it, so a full disk may show first at fflush or
// fclose, which then report EOF.
#include "runtime.h"

#include <windows.h>

static const DWORD STREAM_BUFFER_SIZE = 4096;
static const DWORD LARGEST_TRANSFER = 0x40000000; // bytes per ReadFile or WriteFile call
static const int ORIGIN_SET = 0;                  // SEEK_SET, SEEK_CUR and SEEK_END
static const int ORIGIN_CURRENT = 1;
static const int ORIGIN_END = 2;
static const int END_OF_FILE = -1; // EOF
static const long LONG_LARGEST = 0x7FFFFFFFL;

struct RuntimeStream {
    HANDLE file;
    int writing; // 1: opened with "w" and only written; 0: only read
    int error;   // a read, write or seek failed (ferror)
    int atEnd;   // a read met the end of the file (feof)
    DWORD start; // reading: the next unread byte of the buffer
    DWORD end;   // reading: the end of the bytes read ahead; writing: the bytes not yet written
    unsigned char buffer[STREAM_BUFFER_SIZE];
};

extern "C" RuntimeStream *RUNTIME_NAME(fopen)(const char *path, const char *mode)
{
    if (path == nullptr || mode == nullptr || (mode[0] != 'r' && mode[0] != 'w'))
        return nullptr;
    for (const char *m = mode + 1; *m != '\0'; ++m)
        if (*m != 'b')
            return nullptr; // no appending, no updating
    int writing = mode[0] == 'w';
    HANDLE file = CreateFileA(path, writing ? GENERIC_WRITE : GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              writing ? CREATE_ALWAYS : OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | (writing ? 0 : FILE_FLAG_SEQUENTIAL_SCAN),
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    RuntimeStream *stream = (RuntimeStream *)RUNTIME_NAME(malloc)(sizeof(RuntimeStream));
    if (stream == nullptr) {
        CloseHandle(file);
        return nullptr;
    }
    stream->file = file;
    stream->writing = writing;
    stream->error = 0;
    stream->atEnd = 0;
    stream->start = 0;
    stream->end = 0;
    return stream;
}

// The byte count of size x count items; 0 when the product would not fit in a size_t.
static int TransferSize(size_t size, size_t count, size_t *total)
{
    if (size != 0 && count > (size_t)-1 / size)
        return 0;
    *total = size * count;
    return 1;
}

static DWORD TransferChunk(size_t remaining)
{
    return remaining < LARGEST_TRANSFER ? (DWORD)remaining : LARGEST_TRANSFER;
}

extern "C" size_t RUNTIME_NAME(fread)(void *buffer, size_t size, size_t count,
                                      RuntimeStream *stream)
{
    size_t want = 0;
    if (stream == nullptr)
        return 0;
    if (stream->writing || !TransferSize(size, count, &want)) {
        stream->error = 1;
        return 0;
    }
    unsigned char *out = (unsigned char *)buffer;
    size_t got = 0;
    while (got < want) {
        if (stream->start < stream->end) {
            size_t n = stream->end - stream->start;
            if (n > want - got)
                n = want - got;
            RUNTIME_NAME(memcpy)(out + got, stream->buffer + stream->start, n);
            stream->start += (DWORD)n;
            got += n;
            continue;
        }
        // Nothing read ahead: a large rest goes straight into the caller's buffer.
        int direct = want - got >= STREAM_BUFFER_SIZE;
        DWORD asked = direct ? TransferChunk(want - got) : STREAM_BUFFER_SIZE;
        DWORD n = 0;
        if (!ReadFile(stream->file, direct ? out + got : stream->buffer, asked, &n, nullptr)) {
            stream->error = 1;
            break;
        }
        if (n == 0) {
            stream->atEnd = 1;
            break;
        }
        if (direct) {
            got += n;
        } else {
            stream->start = 0;
            stream->end = n;
        }
    }
    return size == 0 ? 0 : got / size;
}

// Writes every byte of count; 0 after a failure or a short write.
static int WriteAll(HANDLE file, const unsigned char *bytes, size_t count)
{
    while (count > 0) {
        DWORD n = 0;
        if (!WriteFile(file, bytes, TransferChunk(count), &n, nullptr) || n == 0)
            return 0;
        bytes += n;
        count -= n;
    }
    return 1;
}

// Writes the buffered bytes. On a failure they are dropped and the stream marked in error.
static int StreamFlush(RuntimeStream *stream)
{
    if (!stream->writing || stream->end == 0)
        return 1;
    int ok = WriteAll(stream->file, stream->buffer, stream->end);
    stream->end = 0;
    if (!ok)
        stream->error = 1;
    return ok;
}

extern "C" size_t RUNTIME_NAME(fwrite)(const void *buffer, size_t size, size_t count,
                                       RuntimeStream *stream)
{
    size_t want = 0;
    if (stream == nullptr)
        return 0;
    if (!stream->writing || !TransferSize(size, count, &want)) {
        stream->error = 1;
        return 0;
    }
    if (want == 0)
        return 0;
    const unsigned char *in = (const unsigned char *)buffer;
    if (want <= STREAM_BUFFER_SIZE - stream->end) {
        RUNTIME_NAME(memcpy)(stream->buffer + stream->end, in, want);
        stream->end += (DWORD)want;
        return count;
    }
    // The earlier bytes go first; if they cannot be written, nothing of this call is.
    if (!StreamFlush(stream))
        return 0;
    if (want < STREAM_BUFFER_SIZE) {
        RUNTIME_NAME(memcpy)(stream->buffer, in, want);
        stream->end = (DWORD)want;
        return count;
    }
    size_t put = 0;
    while (put < want) {
        DWORD n = 0;
        if (!WriteFile(stream->file, in + put, TransferChunk(want - put), &n, nullptr) || n == 0) {
            stream->error = 1;
            break;
        }
        put += n;
    }
    return put / size;
}

extern "C" int RUNTIME_NAME(fflush)(RuntimeStream *stream)
{
    if (stream == nullptr)
        return 0;
    return StreamFlush(stream) ? 0 : END_OF_FILE;
}

// The file position the caller sees: behind what was read ahead, or ahead of what waits in
// the buffer to be written. -1 when it cannot be had or does not fit in a long.
static long StreamPosition(RuntimeStream *stream)
{
    SetLastError(NO_ERROR);
    DWORD position = SetFilePointer(stream->file, 0, nullptr, FILE_CURRENT);
    if (position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return -1;
    unsigned long long logical = stream->writing
                                     ? (unsigned long long)position + stream->end
                                     : (unsigned long long)position - (stream->end - stream->start);
    return logical > (unsigned long long)LONG_LARGEST ? -1 : (long)logical;
}

extern "C" long RUNTIME_NAME(ftell)(RuntimeStream *stream)
{
    if (stream == nullptr)
        return -1;
    return StreamPosition(stream);
}

extern "C" int RUNTIME_NAME(fseek)(RuntimeStream *stream, long offset, int origin)
{
    if (stream == nullptr)
        return -1;
    long long base = 0;
    if (origin == ORIGIN_CURRENT) {
        base = StreamPosition(stream);
        if (base < 0)
            return -1;
    } else if (origin == ORIGIN_END) {
        if (!StreamFlush(stream))
            return -1;
        DWORD size = GetFileSize(stream->file, nullptr);
        if (size == INVALID_FILE_SIZE)
            return -1;
        base = size;
    } else if (origin != ORIGIN_SET) {
        return -1;
    }
    // The target is worked out here, so a seek before the start fails the same way everywhere.
    long long target = base + offset;
    if (target < 0 || target > LONG_LARGEST || !StreamFlush(stream))
        return -1;
    SetLastError(NO_ERROR);
    DWORD position = SetFilePointer(stream->file, (LONG)target, nullptr, FILE_BEGIN);
    if (position == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        stream->error = 1;
        return -1;
    }
    stream->start = 0;
    stream->end = 0;
    stream->atEnd = 0;
    return 0;
}

extern "C" int RUNTIME_NAME(ferror)(RuntimeStream *stream)
{
    return stream != nullptr && stream->error;
}

extern "C" int RUNTIME_NAME(feof)(RuntimeStream *stream)
{
    return stream != nullptr && stream->atEnd;
}

extern "C" int RUNTIME_NAME(fclose)(RuntimeStream *stream)
{
    if (stream == nullptr)
        return END_OF_FILE;
    int flushed = StreamFlush(stream);
    int closed = CloseHandle(stream->file) != 0;
    RUNTIME_NAME(free)(stream);
    return flushed && closed ? 0 : END_OF_FILE;
}
