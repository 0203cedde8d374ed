// Test containers built byte by byte, and the saver file an install must make from them. Kept
// free of the library's writers so that the tests check the installer against an independent
// model of the format.
#pragma once

#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

struct TestRecord {
    uint16_t kind; // 0 End, 1 Text, 2 Dib, 3 Executable
    Bytes data;
};

inline void PutLe16(uint8_t *p, uint16_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}
inline void PutLe32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = (uint8_t)(v >> (8 * i));
}

inline Bytes TextBytes(const char *text)
{
    return Bytes(text, text + strlen(text) + 1);
}

// Bytes of a given length with a recognisable pattern.
inline Bytes PatternBytes(size_t size, uint8_t seed)
{
    Bytes b(size);
    for (size_t i = 0; i < size; i++)
        b[i] = (uint8_t)(seed + i * 7 + (i >> 8));
    return b;
}

// An unstamped executable image as the linker leaves it: the long stub message at 80 and the
// subsystem version major.minor at 328 and 330.
inline Bytes EngineImage(size_t size, uint16_t major = 3, uint16_t minor = 10)
{
    Bytes image = PatternBytes(size, 0x40);
    memcpy(&image[80], "This program must be run under Win32\r\n$", 39);
    if (size >= 332) {
        PutLe16(&image[328], major);
        PutLe16(&image[330], minor);
    }
    return image;
}

// The image as the install writes it: subsystem 3.10 raised to 4.0, stamped with its size (an
// image that carries a stamp already included).
inline Bytes InstalledEngineImage(Bytes image)
{
    if (image.size() >= 332 && image[328] == 3 && image[329] == 0 && image[330] == 10 &&
        image[331] == 0) {
        PutLe16(&image[328], 4);
        PutLe16(&image[330], 0);
    }
    if (memcmp(&image[80], "This program must be run under Win32\r\n$", 39) == 0 ||
        memcmp(&image[80], "Must be run under Win32\r\n$", 26) == 0) {
        memcpy(&image[80], "Must be run under Win32\r\n$", 26);
        PutLe32(&image[106], (uint32_t)image.size());
    }
    return image;
}

inline Bytes RecordBytes(const TestRecord &record)
{
    Bytes b(6);
    PutLe16(&b[0], record.kind);
    PutLe32(&b[2], (uint32_t)record.data.size());
    b.insert(b.end(), record.data.begin(), record.data.end());
    return b;
}

// A stamped installer image of 512 bytes followed by the records.
inline Bytes Container(const std::vector<TestRecord> &records)
{
    Bytes file = EngineImage(512);
    memcpy(&file[80], "Must be run under Win32\r\n$", 26);
    PutLe32(&file[106], 512);
    for (const TestRecord &r : records) {
        Bytes b = RecordBytes(r);
        file.insert(file.end(), b.begin(), b.end());
    }
    return file;
}

// The usual payload: name, preview, engine, options, logo, then the slides and the end record.
inline std::vector<TestRecord> InstallerRecords(const Bytes &engine, int slides)
{
    std::vector<TestRecord> records = {{1, TextBytes("Demo Saver")},
                                       {2, PatternBytes(300, 1)},
                                       {3, engine},
                                       {1, TextBytes("DV")},
                                       {2, PatternBytes(200, 2)}};
    for (int i = 0; i < slides; i++)
        records.push_back({2, PatternBytes(1000 + 37 * i, (uint8_t)(10 + i))});
    records.push_back({0, {}});
    return records;
}

// What an install writes from records: the installed engine image, then every record from the
// fourth on, up to and including record `last` (by default the last one).
inline Bytes ExpectedSaver(const std::vector<TestRecord> &records, size_t last = (size_t)-1)
{
    Bytes file = InstalledEngineImage(records[2].data);
    for (size_t i = 3; i < records.size() && i <= last; i++) {
        Bytes b = RecordBytes(records[i]);
        file.insert(file.end(), b.begin(), b.end());
    }
    return file;
}

inline bool WriteBytes(const std::string &path, const Bytes &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    size_t written = bytes.empty() ? 0 : fwrite(bytes.data(), 1, bytes.size(), f);
    return fclose(f) == 0 && written == bytes.size();
}

// The file's bytes; empty when it cannot be read.
inline Bytes ReadBytes(const std::string &path)
{
    Bytes bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

inline bool FileExists(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

const char INSTALLED_TEXT_TAIL[] =
    " has been installed. You can now select\nthis screen saver from the Control Panel.  "
    "Follow the path:\n Start | Settings | Control Panel | Display | Screen Saver";
const char MISSING_DATA_TEXT[] = "This .EXE File is Missing Critical Data";
