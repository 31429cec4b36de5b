// Example client: makes a recovery partition on a disk, in space taken from
// the NTFS volume with the most room. Run it elevated.
//
//   kxvds-recovery-partition DISK SIZE      SIZE in bytes, or with KiB, MiB or GiB
//
// With Microsoft's compiler (a 64-bit tools prompt), from the SDK archive's top folder:
//   cl /EHsc /I include /Fekxvds-recovery-partition.exe examples\recovery-partition\*.cpp lib\x64\KXVdsDisks.lib
// then put bin\x64\KXVdsDisks.dll beside the program; a 32-bit build takes lib\x86 and bin\x86.
#include "RecoveryPartition.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool ParseSize(const char* text, KXUINT64* size)
{
    char* end = 0;
    const unsigned long long number = std::strtoull(text, &end, 10);
    if (end == text || *text == '-') return false;
    const char* units[] = {"", "KiB", "MiB", "GiB"};
    KXUINT64 scale = 1;
    for (size_t i = 0; i < sizeof units / sizeof units[0]; ++i, scale *= 1024) {
        if (std::strcmp(end, units[i]) == 0) {
            if (number == 0 || number > ~static_cast<KXUINT64>(0) / scale) return false;
            *size = number * scale;
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    KXUINT64 size = 0;
    char* end = 0;
    const long disk = argc == 3 ? std::strtol(argv[1], &end, 10) : -1;
    if (argc != 3 || end == argv[1] || *end != 0 || disk < 0 || !ParseSize(argv[2], &size)) {
        std::fprintf(stderr, "usage: kxvds-recovery-partition DISK SIZE   (SIZE in bytes, or with KiB, MiB or GiB)\n");
        return 2;
    }
    return MakeRecoveryPartition(static_cast<int>(disk), size, stdout, stderr);
}
