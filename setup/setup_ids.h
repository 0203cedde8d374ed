// Control ids and private messages of the installer's "Main" dialog, shared by code and setup.rc.
#pragma once

#define IDC_INSTALL 100   // push button: install the saver
#define IDC_UNINSTALL 101 // push button: remove the saver
#define IDC_NAME 102      // edit control: the saver's name
// Posted by the dialog to itself when its payload is missing or damaged.
#define WM_PAYLOAD_MISSING (WM_USER + 2)
