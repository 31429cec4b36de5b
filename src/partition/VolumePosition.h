// Where a volume lives, asked of the storage stack by the volume's path
// (as the service names it, without a trailing backslash).
#pragma once

#include "kxplatform.h"

// The disk of the volume's only extent; -1 when it cannot be told (a volume
// of several extents does not fit the one-extent answer).
int GetVolumeDiskNumber(const WCHAR* path);
// The partition number of the volume on an MBR or a GPT disk; -1 when it
// cannot be told.
int GetVolumePartitionNumber(const WCHAR* path);
