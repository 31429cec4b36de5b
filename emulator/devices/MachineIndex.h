// The device layer's way into the machine: volumes by device name and by
// access path, disks by number and partitions by number, each found in
// constant time. The model is plain data that anyone may change between
// calls, so the index checks what it finds: it is rebuilt when the shape of
// the machine (its providers, packs, disks and volumes) changed, when a found
// volume no longer carries the name or path it was found by, and before it
// answers "none".
#pragma once

#include "kxemu/Machine.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace kxemu {

class MachineIndex {
public:
    explicit MachineIndex(Machine& machine) : machine(machine) {}

    // Case-insensitive, first in the model's order, as Machine's own searches.
    std::shared_ptr<Volume> VolumeByName(const std::string& name);
    // A volume with exactly this access path ("E:\", "E:\mnt\data\").
    std::shared_ptr<Volume> VolumeByAccessPath(const std::string& path);
    // Machine::LetterType without the search: the type of the drive `letter`.
    UINT LetterType(char letter);
    const Partition* PartitionOf(const Extent& extent);
    Disk* DiskByNumber(ULONG number);

private:
    struct Positions {
        const Partition* data = nullptr;
        size_t size = 0;
        std::unordered_map<ULONG, size_t> byNumber;
    };

    void TakeShape(std::vector<const void*>& out) const;
    void Refresh();
    void Rebuild();
    // The indexed volume checked against `text`; one rebuild before "none".
    std::shared_ptr<Volume> FindVolume(const std::string& text, bool byName);
    const Partition* FindPartition(Disk& disk, ULONG number, bool rebuild);

    Machine& machine;
    std::vector<const void*> shape;
    std::vector<const void*> currentShape;
    std::unordered_map<std::string, std::weak_ptr<Volume>> byName;
    std::unordered_map<std::string, std::weak_ptr<Volume>> byPath;
    std::unordered_map<ULONG, std::weak_ptr<Disk>> disks;
    std::unordered_map<const Disk*, Positions> partitions;
};

} // namespace kxemu
