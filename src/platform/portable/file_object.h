// An open file: its descriptor and its entry in the in-process share table,
// which gives handles of one file Windows' share-mode rules.
#pragma once

#include "handles.h"

#include <cstdint>
#include <sys/types.h>

namespace kxwin32 {

struct FileIdentity {
    dev_t device;
    ino_t inode;
};

class FileObject : public HandleObject {
public:
    // Registers the open in the share table; on a conflict returns null and
    // sets *error to ERROR_SHARING_VIOLATION. Takes the descriptor either way.
    static std::shared_ptr<FileObject> Open(int fd, FileIdentity id, DWORD access, DWORD share, DWORD* error);
    ~FileObject() override;

    int Descriptor() const { return fd_; }
    bool CanRead() const { return (access_ & GENERIC_READ) != 0; }
    bool CanWrite() const { return (access_ & GENERIC_WRITE) != 0; }

private:
    FileObject(int fd, FileIdentity id, DWORD access, uint64_t ticket);

    int fd_;
    FileIdentity id_;
    DWORD access_;
    uint64_t ticket_;
};

// Whether some open handle of the file refuses deletion (no FILE_SHARE_DELETE).
bool DeletionBlocked(FileIdentity id);

} // namespace kxwin32
