// The items a HEIF file's primary picture is made from, checked before libheif decodes it.
//
// A grid, an overlay or an identity item ('iden') names the items it is made from in 'dimg'
// references. libheif 1.15 keeps only the items whose kind it knows as pictures, yet decodes
// the sources of an overlay or identity item (and of a grid's tiles below the first level)
// without asking whether it kept them: a source that is missing or of another kind ('hvc2',
// 'Exif', 'jpeg', ...) ends the process on an assertion. So every item the primary picture is
// made from, at any depth, must exist and be a kind libheif decodes: HEVC ('hvc1'), AV1
// ('av01'), or a grid, overlay or identity item whose own sources pass the same check.
#include "photo_heif_boxes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

// Items indexed, and 'dimg' references followed, before a file is refused as beyond reason
// (libheif itself reads no box with more than 20000 children).
static const size_t HEIF_MAX_ITEMS = 65536;
static const size_t HEIF_MAX_REFERENCES = 1 << 20;
// Levels of derived items above the coded pictures; real files use two or three.
static const int HEIF_MAX_DEPTH = 8;

// 'grid', 'iovl', 'iden', 'hvc1' and 'av01' read as big-endian numbers.
static const uint32_t HEIF_GRID = 0x67726964, HEIF_OVERLAY = 0x696f766c, HEIF_IDENTITY = 0x6964656e,
                      HEIF_HEVC = 0x68766331, HEIF_AV1 = 0x61763031;

static int IsDerived(uint32_t type)
{
    return type == HEIF_GRID || type == HEIF_OVERLAY || type == HEIF_IDENTITY;
}

static int IsDecodable(uint32_t type)
{
    return type == HEIF_HEVC || type == HEIF_AV1 || IsDerived(type);
}

// An item and its kind; a pair of items joined by a 'dimg' reference.
struct HeifItem {
    uint32_t id;
    uint32_t type; // 0 for an entry too old to carry one
};

struct HeifLink {
    uint32_t from;
    uint32_t to;
};

// What the walk reads and where it stands.
struct HeifGraph {
    std::vector<HeifItem> items;     // sorted by id
    std::vector<HeifLink> links;     // sorted by from, each item's sources in file order
    std::vector<unsigned char> done; // per item: its sources passed the check
    std::string *error;
};

static std::string TypeText(uint32_t type)
{
    std::string text = "\"";
    for (int shift = 24; shift >= 0; shift -= 8) {
        unsigned char c = (unsigned char)(type >> shift);
        if (c >= ' ' && c < 127 && c != '"' && c != '\\') {
            text += (char)c;
        } else {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", c);
            text += escaped;
        }
    }
    return text + "\"";
}

static const char *KindName(uint32_t type)
{
    return type == HEIF_GRID ? "grid" : type == HEIF_OVERLAY ? "overlay" : "identity";
}

static int Refuse(std::string *error, const std::string &reason)
{
    *error = "cannot decode HEIF: " + reason;
    return 0;
}

// Every item entry: the first kind an id is given, unless a later entry for it gives one that
// is not decodable, which then counts (libheif takes the first, but need not). libheif reads
// every entry, however many the iinf box says it holds.
static int ReadItems(PhotoCursor iinf, std::vector<HeifItem> *items, std::string *error)
{
    HeifItemsStart(&iinf);
    uint32_t id = 0, type = 0;
    while (HeifNextItem(&iinf, &id, &type)) {
        if (items->size() == HEIF_MAX_ITEMS)
            return Refuse(error, "it holds more than " + std::to_string(HEIF_MAX_ITEMS) + " items");
        items->push_back({id, type});
    }
    std::stable_sort(items->begin(), items->end(),
                     [](const HeifItem &a, const HeifItem &b) { return a.id < b.id; });
    size_t kept = 0;
    for (size_t i = 0; i < items->size(); i++) {
        if (kept > 0 && (*items)[kept - 1].id == (*items)[i].id) {
            if (!IsDecodable((*items)[i].type))
                (*items)[kept - 1].type = (*items)[i].type;
        } else {
            (*items)[kept++] = (*items)[i];
        }
    }
    items->resize(kept);
    return 1;
}

// Every 'dimg' reference, from any item, in file order. Read as libheif reads them: each
// reference's box header, then its items one after another up to the end of the iref box,
// whatever size the header gave.
static int ReadLinks(PhotoCursor iref, std::vector<HeifLink> *links, std::string *error)
{
    if (!iref.ok)
        return 1;
    int wide = HeifReadBig(&iref, 1) == 0 ? 2 : 4;
    HeifReadBig(&iref, 3);
    while (iref.ok && iref.at < iref.size) {
        uint64_t size = HeifReadBig(&iref, 4);
        const unsigned char *type = PhotoCursorBytes(&iref, 4);
        if (size == 1)
            HeifReadBig(&iref, 8);
        if (type && memcmp(type, "uuid", 4) == 0)
            PhotoCursorBytes(&iref, 16);
        uint32_t from = (uint32_t)HeifReadBig(&iref, wide);
        uint32_t count = (uint32_t)HeifReadBig(&iref, 2);
        for (uint32_t i = 0; i < count && iref.ok && iref.at < iref.size; i++) {
            uint32_t to = (uint32_t)HeifReadBig(&iref, wide);
            if (!iref.ok || memcmp(type, "dimg", 4) != 0)
                continue;
            if (links->size() == HEIF_MAX_REFERENCES)
                return Refuse(error, "it holds more than " + std::to_string(HEIF_MAX_REFERENCES) +
                                         " references between items");
            links->push_back({from, to});
        }
    }
    std::stable_sort(links->begin(), links->end(),
                     [](const HeifLink &a, const HeifLink &b) { return a.from < b.from; });
    return 1;
}

static const HeifItem *FindItem(const HeifGraph *graph, uint32_t id)
{
    auto at = std::lower_bound(graph->items.begin(), graph->items.end(), id,
                               [](const HeifItem &item, uint32_t key) { return item.id < key; });
    return at != graph->items.end() && at->id == id ? &*at : nullptr;
}

// Checks the sources of a derived item, depth levels below the primary picture.
static int CheckSources(HeifGraph *graph, const HeifItem *item, int depth)
{
    size_t index = (size_t)(item - graph->items.data());
    if (graph->done[index])
        return 1;
    if (depth >= HEIF_MAX_DEPTH)
        return Refuse(graph->error, "its picture is made from items nested more than " +
                                        std::to_string(HEIF_MAX_DEPTH) +
                                        " deep, or from items that refer to one another in a loop");
    auto link = std::lower_bound(graph->links.begin(), graph->links.end(), item->id,
                                 [](const HeifLink &l, uint32_t key) { return l.from < key; });
    for (; link != graph->links.end() && link->from == item->id; ++link) {
        std::string made = "the " + std::string(KindName(item->type)) + " item " +
                           std::to_string(item->id) + " is made from item " +
                           std::to_string(link->to);
        const HeifItem *source = FindItem(graph, link->to);
        if (!source)
            return Refuse(graph->error, made + ", which the file does not hold");
        if (!IsDecodable(source->type))
            return Refuse(graph->error,
                          made + (source->type ? " of type " + TypeText(source->type) +
                                                     ", a kind of picture the HEIF decoder "
                                                     "does not read"
                                               : ", which has no type"));
        if (IsDerived(source->type) && !CheckSources(graph, source, depth + 1))
            return 0;
    }
    graph->done[index] = 1;
    return 1;
}

int PhotoHeifCheckDerived(const unsigned char *data, size_t size, std::string *error)
{
    HeifMeta meta;
    if (!HeifReadMeta(data, size, &meta))
        return 1;
    // Which one libheif takes depends on how far it reads; no sound file has two.
    if (meta.metaBoxes > 1)
        return Refuse(error, "it holds " + std::to_string(meta.metaBoxes) +
                                 " meta boxes, where a HEIF file has one");
    if (!meta.havePrimary)
        return 1;
    HeifGraph graph;
    graph.error = error;
    if (!ReadItems(meta.iinf, &graph.items, error))
        return 0;
    const HeifItem *primary = FindItem(&graph, meta.primary);
    // A primary picture that is missing or coded is libheif's to judge.
    if (!primary || !IsDerived(primary->type))
        return 1;
    if (!ReadLinks(meta.iref, &graph.links, error))
        return 0;
    graph.done.assign(graph.items.size(), 0);
    return CheckSources(&graph, primary, 0);
}
