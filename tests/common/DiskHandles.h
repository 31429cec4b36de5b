// Owners for the library's objects in tests: Release() on scope exit.
#pragma once

#include "KXVdsDisks.h"

#include <memory>

struct KXReleaser {
    template <class T>
    void operator()(T* object) const
    {
        object->Release();
    }
};
using DiskPtr = std::unique_ptr<IKXVdsDisk, KXReleaser>;
using PartitionPtr = std::unique_ptr<IKXVdsPartition, KXReleaser>;
