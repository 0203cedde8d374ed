// The compiled "Config" and "ChangePwd" templates, read back from this program's resources and
// compared field by field with the layout the dialogs are drawn from.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdint.h>
#include <string>
#include <vector>

#include "resource.h"

namespace
{

struct TemplateItem {
    uint32_t style;
    int id;
    std::string windowClass; // "Button", "ScrollBar", "Static" or the name in the template
    std::string text;
    int x, y, cx, cy;
};

struct Template {
    uint32_t style;
    std::string caption;
    int x, y, cx, cy;
    int pointSize;
    std::string font;
    std::vector<TemplateItem> items;
};

// Reads one classic DLGTEMPLATE through a cursor; every read stays within size.
struct Cursor {
    const uint8_t *data;
    size_t size;
    size_t at;
    int ok;
};

uint16_t Word(Cursor *c)
{
    if (c->at + 2 > c->size) {
        c->ok = 0;
        return 0;
    }
    uint16_t w = (uint16_t)(c->data[c->at] | c->data[c->at + 1] << 8);
    c->at += 2;
    return w;
}

uint32_t Dword(Cursor *c)
{
    uint32_t low = Word(c);
    return low | (uint32_t)Word(c) << 16;
}

// A name or ordinal: 0xFFFF then a number, or a NUL-terminated UTF-16 string (ASCII here).
std::string NameOrOrdinal(Cursor *c)
{
    uint16_t first = Word(c);
    if (first == 0xFFFF)
        return "#" + std::to_string(Word(c));
    std::string text;
    for (uint16_t w = first; w != 0 && c->ok; w = Word(c))
        text += (char)w;
    return text;
}

std::string ClassName(const std::string &name)
{
    if (name == "#128")
        return "Button";
    if (name == "#130")
        return "Static";
    if (name == "#132")
        return "ScrollBar";
    return name;
}

int LoadTemplate(const char *name, Template *t)
{
    HRSRC found = FindResourceA(nullptr, name, (LPCSTR)RT_DIALOG);
    if (found == nullptr)
        return 0;
    Cursor c = {(const uint8_t *)LockResource(LoadResource(nullptr, found)),
                SizeofResource(nullptr, found), 0, 1};
    t->style = Dword(&c);
    Dword(&c); // extended style
    int count = Word(&c);
    t->x = (int16_t)Word(&c);
    t->y = (int16_t)Word(&c);
    t->cx = (int16_t)Word(&c);
    t->cy = (int16_t)Word(&c);
    NameOrOrdinal(&c); // menu
    NameOrOrdinal(&c); // class
    t->caption = NameOrOrdinal(&c);
    if (t->style & DS_SETFONT) {
        t->pointSize = Word(&c);
        t->font = NameOrOrdinal(&c);
    }
    for (int i = 0; i < count && c.ok; i++) {
        c.at = (c.at + 3) & ~(size_t)3;
        TemplateItem item;
        item.style = Dword(&c);
        Dword(&c);
        item.x = (int16_t)Word(&c);
        item.y = (int16_t)Word(&c);
        item.cx = (int16_t)Word(&c);
        item.cy = (int16_t)Word(&c);
        item.id = (int16_t)Word(&c);
        item.windowClass = ClassName(NameOrOrdinal(&c));
        item.text = NameOrOrdinal(&c);
        c.at += Word(&c); // creation data
        t->items.push_back(item);
    }
    return c.ok;
}

const uint32_t DIALOG_STYLE = DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
const uint32_t CHILD = WS_CHILD | WS_VISIBLE;

void ExpectTemplate(const Template &expected, const char *name)
{
    Template actual = {};
    ASSERT_EQ(1, LoadTemplate(name, &actual));
    EXPECT_EQ(expected.style, actual.style & ~(uint32_t)DS_SETFONT);
    EXPECT_NE(0u, actual.style & DS_SETFONT);
    EXPECT_EQ(expected.caption, actual.caption);
    EXPECT_EQ(expected.x, actual.x);
    EXPECT_EQ(expected.y, actual.y);
    EXPECT_EQ(expected.cx, actual.cx);
    EXPECT_EQ(expected.cy, actual.cy);
    EXPECT_EQ(8, actual.pointSize);
    EXPECT_EQ("MS Sans Serif", actual.font);
    ASSERT_EQ(expected.items.size(), actual.items.size());
    for (size_t i = 0; i < expected.items.size(); i++) {
        const TemplateItem &e = expected.items[i];
        const TemplateItem &a = actual.items[i];
        SCOPED_TRACE("item " + std::to_string(i) + " " + e.text);
        EXPECT_EQ(e.style, a.style);
        EXPECT_EQ(e.id, a.id);
        EXPECT_EQ(e.windowClass, a.windowClass);
        EXPECT_EQ(e.text, a.text);
        EXPECT_EQ(e.x, a.x);
        EXPECT_EQ(e.y, a.y);
        EXPECT_EQ(e.cx, a.cx);
        EXPECT_EQ(e.cy, a.cy);
    }
}

TEST(SettingsTemplates, Config)
{
    const uint32_t label = CHILD | WS_GROUP | SS_LEFT;
    const uint32_t lowEnd = CHILD | WS_GROUP | SS_RIGHT;
    Template expected = {
        DIALOG_STYLE,
        "Settings",
        25,
        35,
        220,
        107,
        8,
        "MS Sans Serif",
        {
            {CHILD | SBS_HORZ | WS_GROUP, IDC_INTENSITY, "ScrollBar", "", 91, 15, 90, 9},
            {CHILD | SBS_HORZ, IDC_FADE_TIME, "ScrollBar", "", 91, 35, 90, 9},
            {CHILD | SBS_HORZ, IDC_SUSTAIN, "ScrollBar", "", 91, 55, 90, 9},
            {CHILD | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, IDOK, "Button", "OK", 20, 84, 50,
             14},
            {CHILD | BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, "Button", "Cancel", 85, 84, 50, 14},
            {CHILD | BS_PUSHBUTTON | WS_TABSTOP, IDC_RESET, "Button", "Reset", 150, 84, 50, 14},
            {label, -1, "Static", "Bright", 187, 15, 30, 8},
            {label, -1, "Static", "Intensity", 15, 15, 45, 8},
            {lowEnd, -1, "Static", "Dark", 65, 15, 20, 8},
            {label, -1, "Static", "Long", 187, 35, 30, 8},
            {label, -1, "Static", "Fade Time", 15, 35, 45, 8},
            {lowEnd, -1, "Static", "Short", 65, 35, 20, 8},
            {label, -1, "Static", "Long", 187, 55, 30, 8},
            {label, -1, "Static", "Sustain Time", 15, 55, 45, 8},
            {lowEnd, -1, "Static", "Short", 65, 55, 20, 8},
        }};
    ExpectTemplate(expected, "Config");
}

TEST(SettingsTemplates, ChangePwd)
{
    Template expected = {
        DIALOG_STYLE,
        "Change Password",
        21,
        33,
        120,
        64,
        8,
        "MS Sans Serif",
        {
            {CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, "Button", "OK", 35, 40, 50, 14},
            {CHILD | SS_CENTER | WS_GROUP, -1, "Static",
             "This screen saver does\nnot support passwords.", 7, 10, 105, 25},
        }};
    ExpectTemplate(expected, "ChangePwd");
}

// The file icon is there for the shell; the code never loads it.
TEST(SettingsTemplates, IconGroup)
{
    EXPECT_NE(nullptr, FindResourceA(nullptr, "MAINICON", (LPCSTR)RT_GROUP_ICON));
}

} // namespace
