// Dib blobs made in memory for the Win32 tests: solid and striped pictures of any supported
// depth, and copies placed against an inaccessible page so that a read past the data faults.
#pragma once

#include <windows.h>
#include <string.h>
#include <vector>

#include "blob.h"

struct Rgb {
    unsigned char r, g, b;
};

inline bool operator==(Rgb a, Rgb b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

// A picture description. Each stored row (bottom row first unless height is negative) is one
// table index repeated across the row; a 24-bit picture takes that entry's colour as pixels.
struct DibPicture {
    int bits = 8;
    int width = 4;
    int height = 2;            // negative: rows stored top-down
    uint32_t clrUsed = 0;      // written as biClrUsed
    int tableEntries = -1;     // RGBQUADs written; -1: as many as the header promises
    std::vector<Rgb> table;    // colours; entries past its end are black
    std::vector<int> rowIndex; // index of each stored row; rows past its end use 0
    uint32_t headerSize = 40;  // biSize
    uint32_t compression = BI_RGB;
    int cutBytes = 0; // bytes dropped from the end of the data
};

inline uint32_t DibStride(int bits, int width)
{
    return ((uint32_t)width * bits + 31) / 32 * 4;
}

inline Rgb TableColour(const DibPicture &p, int index)
{
    return index >= 0 && index < (int)p.table.size() ? p.table[index] : Rgb{0, 0, 0};
}

// Fills blob (any previous content is freed) with the picture's Dib.
inline void MakeDib(Blob *blob, const DibPicture &p)
{
    int rows = p.height < 0 ? -p.height : p.height;
    int entries = p.tableEntries;
    if (entries < 0)
        entries = p.bits == 24 ? 0 : (p.clrUsed ? (int)p.clrUsed : 1 << p.bits);
    uint32_t stride = DibStride(p.bits, p.width);
    std::vector<unsigned char> data(p.headerSize + 4 * (size_t)entries + stride * (size_t)rows);
    BITMAPINFOHEADER header = {};
    header.biSize = p.headerSize;
    header.biWidth = p.width;
    header.biHeight = p.height;
    header.biPlanes = 1;
    header.biBitCount = (WORD)p.bits;
    header.biCompression = p.compression;
    header.biClrUsed = p.clrUsed;
    memcpy(data.data(), &header, p.headerSize < sizeof header ? p.headerSize : sizeof header);
    unsigned char *table = data.data() + p.headerSize;
    for (int i = 0; i < entries; i++) {
        Rgb c = TableColour(p, i);
        table[4 * i] = c.b;
        table[4 * i + 1] = c.g;
        table[4 * i + 2] = c.r;
    }
    unsigned char *pixels = table + 4 * entries;
    for (int row = 0; row < rows; row++) {
        int index = row < (int)p.rowIndex.size() ? p.rowIndex[row] : 0;
        unsigned char *line = pixels + stride * row;
        for (int x = 0; x < p.width; x++) {
            if (p.bits == 24) {
                Rgb c = TableColour(p, index);
                line[3 * x] = c.b;
                line[3 * x + 1] = c.g;
                line[3 * x + 2] = c.r;
            } else {
                int bit = x * p.bits;
                int shift = 8 - p.bits - bit % 8;
                line[bit / 8] |= (unsigned char)((index & ((1 << p.bits) - 1)) << shift);
            }
        }
    }
    size_t size = data.size() - (size_t)p.cutBytes;
    BlobAllocate(blob, BlobKind::Dib, (uint32_t)size);
    memcpy(blob->data, data.data(), size);
}

// A solid picture of one colour.
inline DibPicture SolidPicture(int bits, int width, int height, Rgb colour)
{
    DibPicture p;
    p.bits = bits;
    p.width = width;
    p.height = height;
    p.table.push_back(colour);
    return p;
}

// A read-only view of a blob's data that ends right at an inaccessible page.
struct GuardedBlob {
    Blob blob;
    void *base;
};

inline GuardedBlob GuardedCopy(const Blob *source)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    size_t page = info.dwPageSize;
    size_t dataPages = (source->size + page - 1) / page + 1;
    unsigned char *base = (unsigned char *)VirtualAlloc(nullptr, (dataPages + 1) * page,
                                                        MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    DWORD old;
    VirtualProtect(base + dataPages * page, page, PAGE_NOACCESS, &old);
    GuardedBlob guarded;
    guarded.base = base;
    guarded.blob.kind = source->kind;
    guarded.blob.size = source->size;
    guarded.blob.data = base + dataPages * page - source->size;
    if (source->size)
        memcpy(guarded.blob.data, source->data, source->size);
    return guarded;
}

inline void GuardedFree(GuardedBlob *guarded)
{
    VirtualFree(guarded->base, 0, MEM_RELEASE);
}
