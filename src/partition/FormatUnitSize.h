// Which file system and allocation unit a format asks for.
#pragma once

#include "kxplatform.h"

struct KXFormatChoice {
    bool refused;               // "exFAT": not offered
    VDS_FILE_SYSTEM_TYPE type;
    DWORD unitSize;
};

// By name (any case) and partition length in bytes; unknown names are NTFS.
KXFormatChoice ChooseFormat(const WCHAR* fileSystem, ULONGLONG partitionLength);
