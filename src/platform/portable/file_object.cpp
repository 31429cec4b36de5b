#include "file_object.h"

#include <map>
#include <mutex>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kxwin32 {

namespace {

struct OpenEntry {
    uint64_t ticket;
    DWORD access;
    DWORD share;
};

using Key = std::pair<dev_t, ino_t>;

std::mutex shareMutex;
uint64_t nextTicket = 1;

std::map<Key, std::vector<OpenEntry>>& OpenFiles()
{
    static std::map<Key, std::vector<OpenEntry>> files;
    return files;
}

// Each side must share what the other side uses.
bool Compatible(const OpenEntry& existing, DWORD access, DWORD share)
{
    auto allows = [](DWORD shareMode, DWORD wanted) {
        return (!(wanted & GENERIC_READ) || (shareMode & FILE_SHARE_READ)) &&
               (!(wanted & GENERIC_WRITE) || (shareMode & FILE_SHARE_WRITE));
    };
    return allows(existing.share, access) && allows(share, existing.access);
}

} // namespace

std::shared_ptr<FileObject> FileObject::Open(int fd, FileIdentity id, DWORD access, DWORD share, DWORD* error)
{
    // From here on the object owns the descriptor, also when an allocation
    // below throws; ticket 0 stands in the table for nothing.
    FileObject* raw = nullptr;
    try {
        raw = new FileObject(fd, id, access, 0);
    } catch (...) {
        close(fd);
        throw;
    }
    std::shared_ptr<FileObject> file(raw);
    std::lock_guard<std::mutex> lock(shareMutex);
    std::vector<OpenEntry>& entries = OpenFiles()[Key(id.device, id.inode)];
    for (const OpenEntry& e : entries) {
        if (!Compatible(e, access, share)) {
            *error = ERROR_SHARING_VIOLATION;
            return nullptr;
        }
    }
    entries.push_back(OpenEntry{nextTicket, access, share});
    file->ticket_ = nextTicket++;
    return file;
}

FileObject::FileObject(int fd, FileIdentity id, DWORD access, uint64_t ticket)
    : fd_(fd), id_(id), access_(access), ticket_(ticket)
{
}

FileObject::~FileObject()
{
    {
        std::lock_guard<std::mutex> lock(shareMutex);
        auto it = OpenFiles().find(Key(id_.device, id_.inode));
        if (it != OpenFiles().end()) {
            std::vector<OpenEntry>& entries = it->second;
            for (auto e = entries.begin(); e != entries.end(); ++e) {
                if (e->ticket == ticket_) {
                    entries.erase(e);
                    break;
                }
            }
            if (entries.empty()) OpenFiles().erase(it);
        }
    }
    close(fd_);
}

bool DeletionBlocked(FileIdentity id)
{
    std::lock_guard<std::mutex> lock(shareMutex);
    auto it = OpenFiles().find(Key(id.device, id.inode));
    if (it == OpenFiles().end()) return false;
    for (const OpenEntry& e : it->second)
        if (!(e.share & FILE_SHARE_DELETE)) return true;
    return false;
}

} // namespace kxwin32
