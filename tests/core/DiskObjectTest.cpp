// The disk object as a client meets it before any disk service is there.
#include "KXVdsDisks.h"
#include "common/ScratchLog.h"
#include "kxplatform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>

namespace {

const HRESULT kNotFound = static_cast<HRESULT>(0x80070002);
IKXVdsPartition* const kSentinel = reinterpret_cast<IKXVdsPartition*>(0x5A5A5A5A);

struct DiskDeleter {
    void operator()(IKXVdsDisk* d) const { d->Release(); }
};
using DiskPtr = std::unique_ptr<IKXVdsDisk, DiskDeleter>;

TEST(DiskObject, NewObjectIsVersionOneAndUnconnected)
{
    DiskPtr a(GetVdsDiskInterface());
    DiskPtr b(GetVdsDiskInterface());
    ASSERT_TRUE(a && b);
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(1, a->GetVersion());
    EXPECT_EQ(0, a->IsConnected());
}

TEST(DiskObject, OperationsWithoutDiskFailWithoutTouchingOutputs)
{
    DiskPtr disk(GetVdsDiskInterface());

    DiskProperties props;
    std::memset(&props, 0xAB, sizeof(props));
    EXPECT_EQ(E_NOINTERFACE, disk->GetDiskProperties(&props));
    EXPECT_EQ(0xABu, reinterpret_cast<unsigned char*>(&props)[0]);
    EXPECT_EQ(static_cast<unsigned>(E_NOINTERFACE), KXGetRecordedResult(disk.get()));

    EXPECT_EQ(0, disk->GetPartitionCount());

    IKXVdsPartition* partition = kSentinel;
    EXPECT_EQ(kNotFound, disk->GetPartition(0, &partition));
    EXPECT_EQ(kNotFound, disk->GetPartitionByOffset(1048576, &partition));
    EXPECT_EQ(kNotFound, disk->GetPartitionByNumber(1, &partition));
    EXPECT_EQ(kSentinel, partition);
    EXPECT_EQ(static_cast<unsigned>(kNotFound), KXGetRecordedResult(disk.get()));

    ULONGLONG newOffset = 0x1234;
    EXPECT_EQ(E_NOINTERFACE, disk->CreatePartition(0, 1048576, 7, 0, &newOffset));
    EXPECT_EQ(0x1234u, newOffset);
}

TEST(DiskObject, ConnectWithoutServiceInitialisesComOnceAndReportsClassNotRegistered)
{
    // A fresh thread has no COM apartment: Connect must make one and retry.
    HRESULT result = S_OK;
    unsigned int recorded = 0;
    HRESULT secondInit = S_OK;
    int connected = -1;
    std::thread worker([&] {
        DiskPtr disk(GetVdsDiskInterface());
        result = disk->Connect(3);
        recorded = KXGetRecordedResult(disk.get());
        connected = disk->IsConnected();
        secondInit = CoInitialize(nullptr);
        if (SUCCEEDED(secondInit)) CoUninitialize();
    });
    worker.join();
    EXPECT_EQ(REGDB_E_CLASSNOTREG, result);
    EXPECT_EQ(static_cast<unsigned>(REGDB_E_CLASSNOTREG), recorded);
    EXPECT_EQ(0, connected);
    // S_FALSE: the library left the thread initialised.
    EXPECT_EQ(S_FALSE, secondInit);
}

TEST(DiskObject, MissingServiceIsLoggedWithTheErrorSummary)
{
#if defined(_WIN32)
    // This program carries a version resource, as a real client does.
    const std::string module = "core_tests.exe::";
#else
    const std::string module;
#endif
    ScratchLog log(3);
    DiskPtr disk(GetVdsDiskInterface());
    EXPECT_EQ(REGDB_E_CLASSNOTREG, disk->Connect(0));
    disk.reset();
    const std::string text = log.Text();
    EXPECT_EQ(0u, text.find(module + "KXVdsDisks::ERROR : CoCreateInstance failed (2147746132 - 80040154)")) << text;
    EXPECT_NE(std::string::npos, text.find("\r\n\r\nKXVdsDisks -> ")) << text;
    EXPECT_NE(std::string::npos, text.find("\r\n-> 1 error(s), 0 warning(s)\r\n\r\n")) << text;
}

TEST(DiskObject, SlotZeroWithBitZeroDestroysAndFrees)
{
    CKXObject* object = GetVdsDiskInterface();
    // Under the sanitizer build a missing free or a double free fails here.
    EXPECT_EQ(static_cast<void*>(object), object->KXDeletingDestructor(1));
}

} // namespace
