// The minimal client of the README, built against the installed package.
#include <KXVdsDisks.h>

#include <cstdio>

int main()
{
    IKXVdsDisk* disk = GetVdsDiskInterface();
    if (disk == 0) return 1;
    const KXHRESULT hr = disk->Connect(0);
    disk->Release();
    std::printf("Connect(0): 0x%08X\n", static_cast<unsigned int>(hr));
    return 0;
}
