// The plugin's version, in one place for every DLL's version resource and for FAR 3's
// GetGlobalInfoW. Plain macros: the resource compiler reads this file too.
#pragma once

#define QUENBY_VERSION_MAJOR 1
#define QUENBY_VERSION_MINOR 2
#define QUENBY_VERSION_REVISION 0
#define QUENBY_VERSION_BUILD 9
#define QUENBY_VERSION_NUMBERS 1,2,0,9
#define QUENBY_FILE_VERSION_TEXT "1.2.0.9"
#define QUENBY_PRODUCT_VERSION_TEXT "1.2"
