#include "RecoveryPartition.h"

#include "ResultText.h"

#if defined(_WIN32)
#define RECOVERY_TEXT(text) L##text
#else
#define RECOVERY_TEXT(text) u##text
#endif

namespace {

const KXUINT64 kMiB = 1024 * 1024;
// Beyond every disk, and within what the rounding to whole MiB can hold.
const KXUINT64 kLargestSize = static_cast<KXUINT64>(1) << 60;
// The service starts a partition on its alignment boundary (1 MiB on disks of
// 4 GiB and more, 64 KiB below), and a logical drive one boundary later, after
// its boot record: the space given up holds that much more than the partition.
const KXUINT64 kPlacementSlack = 2 * kMiB;
const unsigned char kRecoveryType = 0x27;
const unsigned char kNtfsType = 0x07;
const unsigned int kNoMoreItems = 0x80070103u;
const int kTextUnits = 260;

// Releases the library's object it holds, as every object must be.
template <class Interface>
class Owned {
public:
    explicit Owned(Interface* owned = 0) : object(owned) {}
    ~Owned()
    {
        if (object) object->Release();
    }
    Interface* operator->() const { return object; }
    Interface* get() const { return object; }
    // Releases what is held and lends the slot to a call that fills it.
    Interface** put()
    {
        if (object) object->Release();
        object = 0;
        return &object;
    }

private:
    Owned(const Owned&);
    Owned& operator=(const Owned&);
    Interface* object;
};

unsigned long long Number(KXUINT64 value)
{
    return static_cast<unsigned long long>(value);
}

struct Candidate {
    KXUINT64 offset;
    KXUINT64 end;
    KXUINT64 freeBytes;
    unsigned int number;
};

// The partition whose NTFS volume has the most free space, if that is more
// than `needed`: the service can give up no more than the free space.
bool FindVolumeToShrink(IKXVdsDisk* disk, KXUINT64 needed, Candidate* chosen)
{
    bool found = false;
    const int count = disk->GetPartitionCount();
    for (int i = 0; i < count; ++i) {
        Owned<IKXVdsPartition> partition;
        if (disk->GetPartition(i, partition.put()) != 0) continue;
        KXWCHAR name[kTextUnits];
        if (partition->GetPartitionType() != kNtfsType || partition->GetVolumeName(name, kTextUnits) != 0) continue;
        // 0 says the file system could not tell.
        const KXUINT64 used = partition->GetUsedSpace();
        const KXUINT64 size = partition->GetSize();
        if (used == 0 || used >= size) continue;
        const KXUINT64 freeBytes = size - used;
        if (freeBytes > needed && (!found || freeBytes > chosen->freeBytes)) {
            chosen->offset = partition->GetOffset();
            chosen->end = partition->GetEndOffset();
            chosen->freeBytes = freeBytes;
            chosen->number = partition->GetPartitionNumber();
            found = true;
        }
    }
    return found;
}

void DescribePartition(IKXVdsPartition* partition, std::FILE* out)
{
    std::fprintf(out, "  partition   %u, type 0x%02X\n", partition->GetPartitionNumber(),
                 partition->GetPartitionType());
    std::fprintf(out, "  start       %llu\n", Number(partition->GetOffset()));
    std::fprintf(out, "  end         %llu\n", Number(partition->GetEndOffset()));
    std::fprintf(out, "  size        %llu bytes\n", Number(partition->GetSize()));

    KXWCHAR text[kTextUnits];
    if (partition->GetVolumeName(text, kTextUnits) == 0)
        std::fprintf(out, "  volume      %s\n", ToUtf8(text).c_str());
    KXHRESULT walk = partition->GetFirstAccessPath(text, kTextUnits);
    if (static_cast<unsigned int>(walk) == kNoMoreItems) std::fprintf(out, "  path        none\n");
    for (; walk == 0; walk = partition->GetNextAccessPath(text, kTextUnits))
        std::fprintf(out, "  path        %s\n", ToUtf8(text).c_str());

    if (partition->IsRecovery())
        std::fprintf(out, "  IsRecovery  1: the boot sector carries the RECOVERY tag\n");
    else
        std::fprintf(out, "  IsRecovery  0: no RECOVERY tag in the boot sector yet; the recovery tool writes it\n");
}

} // namespace

int MakeRecoveryPartition(int diskNumber, KXUINT64 size, std::FILE* out, std::FILE* err)
{
    if (size == 0 || size > kLargestSize) {
        std::fprintf(err, "No partition can be %llu bytes long.\n", Number(size));
        return 1;
    }
    size = (size + kMiB - 1) / kMiB * kMiB;
    const KXUINT64 shrinkBy = size + kPlacementSlack;

    Owned<IKXVdsDisk> disk(GetVdsDiskInterface());
    if (!disk.get()) {
        std::fprintf(err, "GetVdsDiskInterface returned no object: out of memory\n");
        return 1;
    }
    if (!Succeeded(err, "Connect", disk->Connect(diskNumber))) return 1;

    Candidate volume = {0, 0, 0, 0};
    if (!FindVolumeToShrink(disk.get(), shrinkBy, &volume)) {
        std::fprintf(err, "No MBR partition of type 0x07 (NTFS) on disk %d has a volume with more than %llu bytes"
                          " free.\n",
                     diskNumber, Number(shrinkBy));
        return 1;
    }
    std::fprintf(out, "Shrinking partition %u (%llu bytes free) by %llu bytes.\n", volume.number,
                 Number(volume.freeBytes), Number(shrinkBy));
    {
        Owned<IKXVdsPartition> partition;
        if (!Succeeded(err, "GetPartitionByOffset", disk->GetPartitionByOffset(volume.offset, partition.put())) ||
            !Succeeded(err, "Shrink", partition->Shrink(shrinkBy)))
            return 1;
    }

    // An object tells the partition as it was when made: ask again.
    KXUINT64 freedStart = 0;
    {
        Owned<IKXVdsPartition> shrunk;
        if (!Succeeded(err, "GetPartitionByOffset", disk->GetPartitionByOffset(volume.offset, shrunk.put())))
            return 1;
        freedStart = shrunk->GetEndOffset();
    }

    KXUINT64 start = 0;
    if (!Succeeded(err, "CreatePartition", disk->CreatePartition(freedStart, size, kRecoveryType, 0, &start))) {
        std::fprintf(err, "The volume was shrunk: %llu bytes from %llu stay free.\n", Number(volume.end - freedStart),
                     Number(freedStart));
        return 1;
    }

    Owned<IKXVdsPartition> recovery;
    if (!Succeeded(err, "GetPartitionByOffset", disk->GetPartitionByOffset(start, recovery.put())) ||
        !Succeeded(err, "Format", recovery->Format(RECOVERY_TEXT("NTFS"), RECOVERY_TEXT("Recovery"), 1)))
        return 1;

    std::fprintf(out, "Recovery partition on disk %d, formatted NTFS, labelled \"Recovery\":\n", diskNumber);
    DescribePartition(recovery.get(), out);
    return 0;
}
