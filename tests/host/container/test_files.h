// Helpers of the container tests: temporary files and small executable images.
#pragma once

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <string>
#include <vector>
#include "blob.h"

typedef std::vector<unsigned char> Bytes;

// A file in a fresh temporary folder, removed with the folder by the fixture's TearDown.
inline std::string TempDir()
{
    char pattern[] = "/tmp/glimmer-test-XXXXXX";
    return std::string(mkdtemp(pattern));
}

inline void WriteFile(const std::string &path, const Bytes &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!bytes.empty())
        fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

inline Bytes ReadFile(const std::string &path)
{
    Bytes bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    int c;
    while ((c = fgetc(f)) != EOF)
        bytes.push_back((unsigned char)c);
    fclose(f);
    return bytes;
}

// An unstamped image of size bytes: the long stub message at 80, subsystem 3.10 at 328.
inline Bytes UnstampedImage(size_t size)
{
    Bytes image(size, 0);
    image[0] = 'M';
    image[1] = 'Z';
    if (size >= STUB_MESSAGE_OFFSET + LONG_STUB_LENGTH)
        memcpy(&image[STUB_MESSAGE_OFFSET], LONG_STUB_MESSAGE, LONG_STUB_LENGTH);
    if (size >= SUBSYSTEM_VERSION_FIELD + 4) {
        WriteLe16(&image[SUBSYSTEM_VERSION_FIELD], 3);
        WriteLe16(&image[SUBSYSTEM_VERSION_FIELD + 2], 10);
    }
    return image;
}

inline void AppendRecord(Bytes *bytes, uint16_t kind, uint32_t size, const Bytes &data)
{
    unsigned char header[6];
    WriteLe16(header, kind);
    WriteLe32(header + 2, size);
    bytes->insert(bytes->end(), header, header + 6);
    bytes->insert(bytes->end(), data.begin(), data.end());
}

// A stamped image of imageSize bytes (payload offset = its size) with nothing behind it.
inline Bytes StampedImage(size_t imageSize)
{
    Bytes image = UnstampedImage(imageSize);
    memcpy(&image[STUB_MESSAGE_OFFSET], SHORT_STUB_MESSAGE, SHORT_STUB_LENGTH);
    WriteLe32(&image[PAYLOAD_OFFSET_FIELD], (uint32_t)imageSize);
    return image;
}
