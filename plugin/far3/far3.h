// FAR Manager 3 plugin interface: the records, constants and services Quenby's FAR 3 DLLs and
// their stand-in host use, laid out byte for byte as FAR 3 (build 6730) reads them, x64 and x86.
// Written from FAR 3's far/plugin.hpp; every record's size and offsets are checked at compile
// time for both bitnesses (far3layout.h).
#pragma once

#include "far3records.h"
#include "far3services.h"
#include "far3layout.h"
