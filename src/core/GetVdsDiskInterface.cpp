// The library's only export.
#include "core/KXVdsDisk.h"

#include <new>

IKXVdsDisk* GetVdsDiskInterface()
{
    try {
        return new CKXVdsDisk;
    } catch (...) {
        // Nothing may cross the module boundary; a half-built object has
        // already been torn down by the language.
        return nullptr;
    }
}
