// The Open dialog for bitmaps. A file of its own, so that a program that never shows it does not
// import the common dialog library.
#include "ui.h"

#include "text.h"

#include <commdlg.h>
#include <string.h>

// Appends path to the list control's text as a new line when all of it still fits.
static void AppendToList(HWND dialog, int editId, const char *path)
{
    char text[BROWSE_LIST_CAPACITY];
    int oldLength = GetWindowTextLengthA(GetDlgItem(dialog, editId));
    // The old text is read only when all of it fits, so none of it is ever cut off.
    if (oldLength < 0 || (size_t)oldLength + strlen(path) + 3 > (size_t)BROWSE_LIST_CAPACITY)
        return;
    int length = GetDlgItemTextA(dialog, editId, text, BROWSE_LIST_CAPACITY);
    if (length < 0 || length > oldLength)
        return;
    text[length] = '\0';
    if (length > 0)
        strcat(text, "\r\n");
    strcat(text, path);
    SetDlgItemTextA(dialog, editId, text);
}

BOOL BrowseForBitmap(HWND dialog, int editId, int singleField, const char *title)
{
    char file[PATH_CAPACITY];
    file[0] = '\0';
    if (singleField)
        GetDlgItemTextTrimmed(dialog, editId, file, PATH_CAPACITY);

    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A; // the size Windows 95 accepts
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = "Windows Bitmaps (*.BMP)\0*.BMP\0All Files (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = PATH_CAPACITY;
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    BOOL chosen = GetOpenFileNameA(&ofn);
    if (!chosen)
        return chosen;
    file[PATH_CAPACITY - 1] = '\0';

    if (singleField) {
        SetDlgItemTextA(dialog, editId, file);
    } else {
        AppendToList(dialog, editId, file);
        LRESULT lines = SendDlgItemMessageA(dialog, editId, EM_GETLINECOUNT, 0, 0);
        SendDlgItemMessageA(dialog, editId, EM_LINESCROLL, 0, lines > 4 ? lines - 4 : 0);
    }
    SendDlgItemMessageA(dialog, editId, EM_SETMODIFY, TRUE, 0);
    return chosen;
}
