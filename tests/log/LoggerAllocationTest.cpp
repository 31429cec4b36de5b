// A logger that fails to start for want of memory: this program replaces the
// global allocator so that a test can make it fail from the n-th call on.
#include "LogTestDirectory.h"
#include "common/FailingAllocator.h"

namespace {

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
