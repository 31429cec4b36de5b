#include "devices/MachineIndex.h"

#include "model/Text.h"

#include <cstdint>

namespace kxemu {

namespace {

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// `text` against a key already in upper case, without copying either.
bool SameAsUpper(const std::string& text, const std::string& upperKey)
{
    if (text.size() != upperKey.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (Upper(text[i]) != upperKey[i]) return false;
    return true;
}

} // namespace

// Every container the index reads from, with its address and length, and the
// machine's serial counter, which every object made bumps.
void MachineIndex::TakeShape(std::vector<const void*>& s) const
{
    s.clear();
    s.push_back(reinterpret_cast<const void*>(static_cast<uintptr_t>(machine.nextObjectSerial)));
    s.push_back(machine.providers.data());
    s.push_back(reinterpret_cast<const void*>(machine.providers.size()));
    for (const auto& provider : machine.providers) {
        s.push_back(provider.get());
        s.push_back(provider->packs.data());
        s.push_back(reinterpret_cast<const void*>(provider->packs.size()));
        for (const auto& pack : provider->packs) {
            s.push_back(pack.get());
            s.push_back(pack->disks.data());
            s.push_back(reinterpret_cast<const void*>(pack->disks.size()));
            s.push_back(pack->volumes.data());
            s.push_back(reinterpret_cast<const void*>(pack->volumes.size()));
        }
    }
}

void MachineIndex::Refresh()
{
    TakeShape(currentShape);
    if (currentShape != shape) Rebuild();
}

void MachineIndex::Rebuild()
{
    TakeShape(shape);
    byName.clear();
    byPath.clear();
    disks.clear();
    partitions.clear();
    for (const auto& provider : machine.providers)
        for (const auto& pack : provider->packs) {
            for (const auto& disk : pack->disks) disks.emplace(disk->number, disk);
            for (const auto& volume : pack->volumes) {
                // emplace keeps the first: the one a search in order meets.
                byName.emplace(UpperAscii(volume->name), volume);
                for (const std::string& path : volume->accessPaths) byPath.emplace(UpperAscii(path), volume);
            }
        }
}

std::shared_ptr<Volume> MachineIndex::FindVolume(const std::string& text, bool byNameNotPath)
{
    const std::string key = UpperAscii(text);
    const auto& map = byNameNotPath ? byName : byPath;
    Refresh();
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt == 1) Rebuild();
        const auto it = map.find(key);
        std::shared_ptr<Volume> volume = it == map.end() ? nullptr : it->second.lock();
        if (!volume) continue;
        if (byNameNotPath && SameAsUpper(volume->name, key)) return volume;
        for (const std::string& path : volume->accessPaths)
            if (!byNameNotPath && SameAsUpper(path, key)) return volume;
    }
    return nullptr;
}

std::shared_ptr<Volume> MachineIndex::VolumeByName(const std::string& name)
{
    return FindVolume(name, true);
}

std::shared_ptr<Volume> MachineIndex::VolumeByAccessPath(const std::string& path)
{
    return FindVolume(path, false);
}

UINT MachineIndex::LetterType(char letter)
{
    const char upper = Upper(letter);
    const auto taken = machine.takenLetters.find(upper);
    if (taken != machine.takenLetters.end()) return taken->second;
    if (const std::shared_ptr<Volume> v = VolumeByAccessPath(std::string(1, upper) + ":\\"))
        return v->status == VDS_VS_ONLINE ? v->driveType : DRIVE_UNKNOWN;
    return DRIVE_NO_ROOT_DIR;
}

Disk* MachineIndex::DiskByNumber(ULONG number)
{
    Refresh();
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto it = disks.find(number);
        const std::shared_ptr<Disk> disk = it == disks.end() ? nullptr : it->second.lock();
        if (disk && disk->number == number) return disk.get();
        if (attempt == 0) Rebuild();
    }
    return nullptr;
}

const Partition* MachineIndex::FindPartition(Disk& disk, ULONG number, bool rebuild)
{
    Positions& positions = partitions[&disk];
    if (rebuild || positions.data != disk.partitions.data() || positions.size != disk.partitions.size()) {
        positions.data = disk.partitions.data();
        positions.size = disk.partitions.size();
        positions.byNumber.clear();
        for (size_t i = 0; i < disk.partitions.size(); ++i) positions.byNumber.emplace(disk.partitions[i].number, i);
    }
    const auto it = positions.byNumber.find(number);
    if (it == positions.byNumber.end() || disk.partitions[it->second].number != number) return nullptr;
    return &disk.partitions[it->second];
}

const Partition* MachineIndex::PartitionOf(const Extent& extent)
{
    Disk* disk = DiskByNumber(extent.diskNumber);
    if (!disk) return nullptr;
    if (const Partition* p = FindPartition(*disk, extent.partitionNumber, false)) return p;
    return FindPartition(*disk, extent.partitionNumber, true);
}

} // namespace kxemu
