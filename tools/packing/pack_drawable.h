// Whether a picture comes out on a Windows 95 screen, in words for glimmer-pack's user.
#pragma once

#include <string>
#include "blob.h"

// 1 when Windows 95 draws the Dib on some display: *warning is empty when it draws on every
// display depth, and says which displays show it blank otherwise. 0 with *problem when it
// would draw blank on every display, or when the blob is no valid Dib.
int CheckDrawable(const Blob *dib, std::string *problem, std::string *warning);
