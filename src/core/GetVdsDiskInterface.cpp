// The library's only export.
#include "core/KXVdsDisk.h"

IKXVdsDisk* GetVdsDiskInterface()
{
    // A half-built object has already been torn down by the language.
    return KXBoundaryGuard([]() -> IKXVdsDisk* { return new CKXVdsDisk; }, []() -> IKXVdsDisk* { return nullptr; });
}
