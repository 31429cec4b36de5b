// The job of the example: make room for a recovery partition on a disk and
// create it there. Only the public header is used, so the same source builds
// against the SDK archive with Microsoft's compiler.
#ifndef RECOVERY_PARTITION_H
#define RECOVERY_PARTITION_H

#include "KXVdsDisks.h"

#include <cstdio>

// On disk `diskNumber`: shrinks the NTFS volume with the most free space,
// creates a partition of `size` bytes (rounded up to whole MiB) in the space
// it gave up, with MBR type 0x27, formats it NTFS labelled "Recovery", and
// describes it on `out`. Each failure goes to `err` with its code and meaning.
// Returns 0 when the partition is made, 1 otherwise.
int MakeRecoveryPartition(int diskNumber, KXUINT64 size, std::FILE* out, std::FILE* err);

#endif
