// Example client: connects a disk object to one physical disk and says how
// it went. Usage: kxvds-connect [disk-number]   (default 0)
#include "KXVdsDisks.h"

#include <cstdio>
#include <cstdlib>

namespace {

const char* Describe(unsigned int code)
{
    switch (code) {
    case 0x00000000u: return "connected";
    case 0x80004002u: return "the disk service knows no physical disk with that number";
    case 0x80040154u: return "no disk service is registered on this system";
    case 0x80070005u: return "access denied: the disk service needs administrator rights";
    case 0x800706BAu: return "the disk service is not available";
    default: return "the disk service refused the connection";
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int diskNumber = argc > 1 ? std::atoi(argv[1]) : 0;

    IKXVdsDisk* disk = GetVdsDiskInterface();
    if (disk == nullptr) {
        std::fputs("GetVdsDiskInterface returned no object\n", stderr);
        return 2;
    }

    const unsigned int result = static_cast<unsigned int>(disk->Connect(diskNumber));
    std::printf("Connect(%d): 0x%08X %s\n", diskNumber, result, Describe(result));
    if (result == 0) {
        DiskProperties properties;
        if (disk->GetDiskProperties(&properties) == 0)
            std::printf("  size %llu bytes, %u bytes per sector\n",
                        static_cast<unsigned long long>(properties.ullSize),
                        properties.ulBytesPerSector);
        std::printf("  %d partitions\n", disk->GetPartitionCount());
    }

    disk->Release();
    return result == 0 ? 0 : 1;
}
