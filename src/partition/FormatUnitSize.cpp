#include "partition/FormatUnitSize.h"

namespace {

const ULONGLONG MiB = 1024ull * 1024;
const ULONGLONG GiB = 1024 * MiB;

struct UnitRow {
    ULONGLONG from;  // included
    ULONGLONG below; // excluded
    DWORD unit;
};

const UnitRow kFatUnits[] = {
    {16 * MiB, 128 * MiB, 2048},  {128 * MiB, 256 * MiB, 4096}, {256 * MiB, 512 * MiB, 8192},
    {512 * MiB, 1 * GiB, 16384},  {1 * GiB, 2 * GiB, 32768},    {2 * GiB, 4 * GiB, 65536},
    {4 * GiB, 8 * GiB, 131072},
};
const DWORD kFatOtherUnit = 262144;

const UnitRow kFat32Units[] = {
    {512 * MiB, 8 * GiB, 4096},
    {8 * GiB, 16 * GiB, 8192},
    {16 * GiB, 32 * GiB, 16384},
};
const DWORD kFat32OtherUnit = 32768;

template <size_t N>
DWORD UnitFor(const UnitRow (&rows)[N], DWORD other, ULONGLONG length)
{
    for (const UnitRow& row : rows)
        if (length >= row.from && length < row.below) return row.unit;
    return other;
}

} // namespace

KXFormatChoice ChooseFormat(const WCHAR* fileSystem, ULONGLONG length)
{
    if (lstrcmpiW(fileSystem, KXW("exFAT")) == 0) return {true, VDS_FST_UNKNOWN, 0};
    if (lstrcmpiW(fileSystem, KXW("FAT")) == 0) return {false, VDS_FST_FAT, UnitFor(kFatUnits, kFatOtherUnit, length)};
    if (lstrcmpiW(fileSystem, KXW("FAT32")) == 0)
        return {false, VDS_FST_FAT32, UnitFor(kFat32Units, kFat32OtherUnit, length)};
    return {false, VDS_FST_NTFS, 4096};
}
