// The installer's "Main" dialog template as linked into the program: frame, font and the six
// controls with their classes, ids, places and styles, in tab order.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

#include "setup_ids.h"

namespace
{

// Reads a dialog template's fields in order: words, and the name-or-ordinal strings.
struct TemplateCursor {
    const WORD *p;
};

WORD NextWord(TemplateCursor *c)
{
    return *c->p++;
}
DWORD NextDword(TemplateCursor *c)
{
    DWORD low = NextWord(c);
    return low | (DWORD)NextWord(c) << 16;
}
// A string, or "#N" for an ordinal.
std::string NextName(TemplateCursor *c)
{
    if (*c->p == 0xFFFF) {
        c->p++;
        return "#" + std::to_string(NextWord(c));
    }
    std::string text;
    while (WORD ch = NextWord(c))
        text += (char)ch;
    return text;
}
std::string CharUpperString(std::string text)
{
    for (char &ch : text)
        ch = (char)toupper((unsigned char)ch);
    return text;
}

void AlignDword(TemplateCursor *c, const void *base)
{
    if (((const BYTE *)c->p - (const BYTE *)base) % 4)
        c->p++;
}

} // namespace

TEST(MainTemplate, AsTheDialogShows)
{
    HRSRC resource = FindResourceA(nullptr, "Main", (LPCSTR)RT_DIALOG);
    ASSERT_NE(resource, nullptr);
    const void *base = LockResource(LoadResource(nullptr, resource));
    TemplateCursor c = {(const WORD *)base};

    EXPECT_EQ(NextDword(&c), (DWORD)(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU |
                                     DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(NextDword(&c), 0u); // no extended style
    WORD count = NextWord(&c);
    ASSERT_EQ(count, 6);
    short frame[4];
    for (short &v : frame)
        v = (short)NextWord(&c);
    EXPECT_EQ(frame[0], 22);
    EXPECT_EQ(frame[1], 23);
    EXPECT_EQ(frame[2], 208);
    EXPECT_EQ(frame[3], 195);
    EXPECT_EQ(NextName(&c), ""); // menu
    EXPECT_EQ(NextName(&c), ""); // class
    EXPECT_EQ(NextName(&c), "Setup");
    EXPECT_EQ(NextWord(&c), 8);
    EXPECT_EQ(NextName(&c), "MS Sans Serif");

    struct Control {
        const char *className;
        const char *text;
        WORD id;
        short x, y, cx, cy;
        DWORD style;
    };
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const Control expected[6] = {
        {"#128", "Install", IDC_INSTALL, 15, 172, 50, 14,
         child | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
        {"#128", "Uninstall", IDC_UNINSTALL, 79, 172, 50, 14, child | WS_TABSTOP | BS_PUSHBUTTON},
        {"#128", "Cancel", IDCANCEL, 143, 172, 50, 14, child | WS_TABSTOP | BS_PUSHBUTTON},
        {"#129", "", IDC_NAME, 95, 150, 100, 12,
         child | WS_BORDER | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL},
        {"MainGraphic", "", 0xFFFF, 14, 13, 180, 128, child | WS_GROUP},
        {"#130", "Screen Saver's Name:", 0xFFFF, 15, 151, 75, 8, child | WS_GROUP | SS_LEFT},
    };
    for (const Control &want : expected) {
        SCOPED_TRACE(want.text[0] ? want.text : want.className);
        AlignDword(&c, base);
        EXPECT_EQ(NextDword(&c), want.style);
        EXPECT_EQ(NextDword(&c), 0u);
        short place[4];
        for (short &v : place)
            v = (short)NextWord(&c);
        EXPECT_EQ(place[0], want.x);
        EXPECT_EQ(place[1], want.y);
        EXPECT_EQ(place[2], want.cx);
        EXPECT_EQ(place[3], want.cy);
        EXPECT_EQ(NextWord(&c), want.id);
        // Class names match without regard to case; the resource compiler stores capitals.
        EXPECT_EQ(CharUpperString(NextName(&c)), CharUpperString(want.className));
        EXPECT_EQ(NextName(&c), want.text);
        EXPECT_EQ(NextWord(&c), 0); // no creation data
    }
}

TEST(MainTemplate, CarriesOneSixteenColourIcon)
{
    HRSRC group = FindResourceA(nullptr, "MAINICON", (LPCSTR)RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const BYTE *directory = (const BYTE *)LockResource(LoadResource(nullptr, group));
    EXPECT_EQ(directory[4] | directory[5] << 8, 1); // one image
    const BYTE *entry = directory + 6;
    EXPECT_EQ(entry[0], 32);                // width
    EXPECT_EQ(entry[1], 32);                // height
    EXPECT_EQ(entry[2], 16);                // colours
    EXPECT_EQ(entry[6] | entry[7] << 8, 4); // bits per pixel
}
