// Control ids of the "Visit Us Online" dialog, shared by the launcher and goaol.rc.
#pragma once

#define IDC_GOAOL_ADDRESS 100 // static text: receives the web address
