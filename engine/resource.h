// Control ids of the engine's Settings and Change Password dialogs, shared by code and engine.rc.
#pragma once

#define IDC_FADE_TIME 101 // scroll bar: fade time
#define IDC_SUSTAIN 102   // scroll bar: sustain time
#define IDC_INTENSITY 103 // scroll bar: intensity
#define IDC_RESET 104     // push button: back to the defaults
