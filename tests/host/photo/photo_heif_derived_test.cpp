// HEIF grids, overlays and identity items made from items libheif cannot decode are refused
// with the item named, before libheif would assert on them; sound ones go on to libheif.
#include "photo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using Bytes = std::string;

Bytes Big(unsigned long long value, int bytes)
{
    Bytes b;
    for (int i = bytes - 1; i >= 0; i--)
        b += (char)(value >> (8 * i) & 0xFF);
    return b;
}

Bytes Box(const char *type, const Bytes &body)
{
    return Big((unsigned)body.size() + 8, 4) + type + body;
}

Bytes FullBox(const char *type, const Bytes &body)
{
    return Box(type, Big(0, 4) + body);
}

struct Item {
    unsigned id;
    const char *type; // four bytes
};

struct Link {
    unsigned from;
    std::vector<unsigned> to;
};

// A file whose primary item is primary: every item 64 x 64 (three 8-bit channels) with four
// bytes of data in idat
// (a grid's and an overlay's data declare a 64 x 64 canvas, a grid of one row of its sources
// and an overlay one offset per source).
Bytes MakeHeifItems(const std::vector<Item> &items, unsigned primary,
                    const std::vector<Link> &links)
{
    Bytes infes, locations, data, references, associations;
    for (const Item &item : items) {
        infes += Box("infe", Big(2 << 24, 4) + Big(item.id, 2) + Big(0, 2) + Bytes(item.type, 4) +
                                 Bytes(1, '\0'));
        size_t sources = 0;
        for (const Link &link : links)
            if (link.from == item.id)
                sources += link.to.size();
        Bytes payload = Big(1, 4);
        if (Bytes(item.type, 4) == "iovl")
            payload = Big(0, 2) + Big(0, 8) + Big(64, 2) + Big(64, 2) + Bytes(4 * sources, '\0');
        if (Bytes(item.type, 4) == "grid" && sources > 0)
            payload = Big(0, 3) + Big((unsigned)sources - 1, 1) + Big(64, 2) + Big(64, 2);
        locations += Big(item.id, 2) + Big(1, 2) + Big(0, 2) + Big(1, 2) +
                     Big((unsigned)data.size(), 4) + Big((unsigned)payload.size(), 4);
        data += payload;
        associations += Big(item.id, 2) + Big(2, 1) + Big(0x81, 1) + Big(0x82, 1);
    }
    for (const Link &link : links) {
        Bytes to;
        for (unsigned id : link.to)
            to += Big(id, 2);
        references += Box("dimg", Big(link.from, 2) + Big((unsigned)link.to.size(), 2) + to);
    }
    Bytes iloc = Box("iloc", Big(1 << 24, 4) + Big(0x44, 1) + Big(0, 1) +
                                 Big((unsigned)items.size(), 2) + locations);
    Bytes properties = Box("ipco", FullBox("ispe", Big(64, 4) + Big(64, 4)) +
                                       FullBox("pixi", Big(3, 1) + Big(0x080808, 3))) +
                       FullBox("ipma", Big((unsigned)items.size(), 4) + associations);
    Bytes meta = FullBox("hdlr", Big(0, 4) + "pict" + Bytes(12, '\0')) +
                 FullBox("pitm", Big(primary, 2)) +
                 FullBox("iinf", Big((unsigned)items.size(), 2) + infes) + iloc +
                 FullBox("iref", references) + Box("iprp", properties) + Box("idat", data);
    return Box("ftyp", Bytes("heic") + Big(0, 4) + "mif1heic") + FullBox("meta", meta);
}

const char *const NOT_READ = ", a kind of picture the HEIF decoder does not read";

struct DerivedCase {
    const char *name;
    std::vector<Item> items;
    unsigned primary;
    std::vector<Link> links;
    std::string error; // the whole reason when refused here; empty: left to libheif
};

TEST(PhotoHeifDerived, SourcesLibheifCannotDecode)
{
    const DerivedCase cases[] = {
        {"overlay-of-hvc2",
         {{1, "hvc2"}, {2, "iovl"}},
         2,
         {{2, {1}}},
         std::string("the overlay item 2 is made from item 1 of type \"hvc2\"") + NOT_READ},
        {"identity-of-missing",
         {{2, "iden"}},
         2,
         {{2, {7}}},
         "the identity item 2 is made from item 7, which the file does not hold"},
        {"grid-of-identity-of-exif",
         {{1, "Exif"}, {3, "iden"}, {2, "grid"}},
         2,
         {{2, {3}}, {3, {1}}},
         std::string("the identity item 3 is made from item 1 of type \"Exif\"") + NOT_READ},
        {"overlay-second-source-untyped",
         {{1, "iovl"}, {4, "\0\0\0\0"}, {2, "iovl"}},
         2,
         {{2, {1, 4}}},
         "the overlay item 2 is made from item 4, which has no type"},
        {"type-printed-safely",
         {{1, "\x01q\"\xff"}, {2, "iden"}},
         2,
         {{2, {1}}},
         std::string("the identity item 2 is made from item 1 of type \"\\x01q\\x22\\xff\"") +
             NOT_READ},
        {"same-id-listed-twice",
         {{1, "hvc1"}, {1, "jpeg"}, {2, "iden"}},
         2,
         {{2, {1}}},
         std::string("the identity item 2 is made from item 1 of type \"jpeg\"") + NOT_READ},
        {"loop",
         {{2, "iden"}, {3, "iden"}},
         2,
         {{2, {3}}, {3, {2}}},
         "its picture is made from items nested more than 8 deep, or from items that refer to "
         "one another in a loop"},
        // Sound structures pass: libheif decodes the sourceless overlay, and refuses the
        // made-up HEVC data with its own reason.
        {"overlay-without-sources", {{2, "iovl"}}, 2, {}, ""},
        {"identity-of-hvc1", {{1, "hvc1"}, {2, "iden"}}, 2, {{2, {1}}}, ""},
    };
    for (const DerivedCase &row : cases) {
        SCOPED_TRACE(row.name);
        Bytes file = MakeHeifItems(row.items, row.primary, row.links);
        PhotoImage image;
        PhotoInfo info;
        std::string error;
        int ok = PhotoDecode((const unsigned char *)file.data(), file.size(), nullptr, &image,
                             &info, &error);
        if (!row.error.empty()) {
            EXPECT_EQ(0, ok);
            EXPECT_EQ("cannot decode HEIF: " + row.error, error);
            continue;
        }
        EXPECT_EQ(std::string::npos, error.find("is made from")) << error;
        EXPECT_EQ(std::string::npos, error.find("failed on it")) << error;
    }
}

TEST(PhotoHeifDerived, TwoMetaBoxes)
{
    // libheif takes the last meta box; either may be the one that would make it assert.
    Bytes sound = MakeHeifItems({{2, "iovl"}}, 2, {});
    Bytes hostile = MakeHeifItems({{1, "hvc2"}, {2, "iovl"}}, 2, {{2, {1}}});
    size_t ftyp = 24;
    for (const Bytes &file : {sound + hostile.substr(ftyp), hostile + sound.substr(ftyp)}) {
        PhotoImage image;
        PhotoInfo info;
        std::string error;
        EXPECT_EQ(0, PhotoDecode((const unsigned char *)file.data(), file.size(), nullptr, &image,
                                 &info, &error));
        EXPECT_EQ("cannot decode HEIF: it holds 2 meta boxes, where a HEIF file has one", error);
    }
}

} // namespace
