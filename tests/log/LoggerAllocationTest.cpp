// A logger that fails to start for want of memory: this program replaces the
// global allocator so that a test can make it fail from the n-th call on.
#include "LogTestDirectory.h"

#include <cstdlib>
#include <new>

namespace {
int allocationsLeft = -1; // -1: never fail
}

void* operator new(std::size_t size)
{
    if (allocationsLeft == 0) throw std::bad_alloc();
    if (allocationsLeft > 0) --allocationsLeft;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
// Every form is replaced so that all pair with free(), sanitizers or not.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return ::operator new(size, std::nothrow); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

// Fails every allocation after the first `after` until the scope ends.
struct FailAllocations {
    explicit FailAllocations(int after) { allocationsLeft = after; }
    ~FailAllocations() { allocationsLeft = -1; }
};

TEST_F(LogTest, StartFailingForMemoryLeavesTheLogClosed)
{
    WriteConfiguration({"OutputFileNameKX=run.log", "LogLevel=11"});
    bool started = false;
    for (int after = 0; after < 500 && !started; ++after) {
        SCOPED_TRACE(after);
        KX_LOGGER* logger = nullptr;
        {
            FailAllocations fail(after);
            try {
                logger = new KX_LOGGER();
            } catch (const std::bad_alloc&) {
            }
        }
        started = logger != nullptr;
        delete logger;
        // The log is opened without FILE_SHARE_DELETE: a handle left open
        // refuses the deletion with a sharing violation.
        SetLastError(0);
        const BOOL deleted = DeleteFileW(KXW("run.log"));
        EXPECT_TRUE(deleted || GetLastError() == ERROR_FILE_NOT_FOUND) << "error " << GetLastError();
    }
    EXPECT_TRUE(started);
}

} // namespace
