// Resource and control ids of the dialog the tests build from ui_test.rc.
#pragma once

#define IDC_NAME 101  // single-line edit
#define IDC_LABEL 102 // static text
#define IDC_LIST 103  // multi-line edit
