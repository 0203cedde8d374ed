// A dialog as its user sees it, made from a template linked into the test program: its caption,
// the controls found by their text or id, where they lie relative to each other, the default
// button and the order the Tab key visits them in.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

// A dialog procedure that only lets the template come up: no program code runs.
inline INT_PTR CALLBACK DialogViewProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// The dialog named by the template, created hidden-owner-less; nullptr on failure.
inline HWND DialogViewCreate(const char *templateName)
{
    return CreateDialogParamA(GetModuleHandleA(nullptr), templateName, nullptr, DialogViewProc, 0);
}

inline std::string WindowText(HWND window)
{
    char text[512];
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct DialogViewFind {
    std::string text;
    int skip; // matches to pass over first
    HWND found;
};

inline BOOL CALLBACK DialogViewFindText(HWND control, LPARAM data)
{
    DialogViewFind *find = (DialogViewFind *)data;
    if (WindowText(control) == find->text && find->skip-- == 0) {
        find->found = control;
        return FALSE;
    }
    return TRUE;
}

// The control showing text (the nth of them, counted from 0), or nullptr.
inline HWND ControlByText(HWND dialog, const char *text, int nth = 0)
{
    DialogViewFind find = {text, nth, nullptr};
    EnumChildWindows(dialog, DialogViewFindText, (LPARAM)&find);
    return find.found;
}

// The control's rectangle in the dialog's client coordinates.
inline RECT ControlRect(HWND control)
{
    RECT rect = {};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), (POINT *)&rect, 2);
    return rect;
}

inline bool RowsOverlap(const RECT &a, const RECT &b)
{
    return a.top < b.bottom && b.top < a.bottom;
}

inline bool LeftOf(const RECT &a, const RECT &b)
{
    return a.right <= b.left;
}

inline bool Above(const RECT &a, const RECT &b)
{
    return a.bottom <= b.top;
}

inline bool Inside(const RECT &inner, const RECT &outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The ids of the controls the Tab key visits, from the first tab stop until it comes round.
inline std::vector<int> TabOrder(HWND dialog)
{
    std::vector<int> ids;
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND at = first; at != nullptr && ids.size() < 32;) {
        ids.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(dialog, at, FALSE);
        if (at == first)
            break;
    }
    return ids;
}

// The id of the default push button.
inline int DefaultButton(HWND dialog)
{
    LRESULT answer = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    return HIWORD(answer) == DC_HASDEFID ? LOWORD(answer) : 0;
}
