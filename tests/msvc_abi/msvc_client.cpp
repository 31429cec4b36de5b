// A client built as Microsoft's compiler builds one: Microsoft C++ ABI,
// __thiscall slots, the real virtual destructor of the public header, no C
// runtime. It drives every slot of IKXVdsDisk on unconnected objects through
// the MSVC import library and reports on standard output and in its exit code.
#include "KXVdsDisks.h"

extern "C" {
__declspec(dllimport) void* __stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(void* file, const void* data, unsigned long size,
                                              unsigned long* written, void* overlapped);
__declspec(dllimport) __declspec(noreturn) void __stdcall ExitProcess(unsigned int code);
}

namespace {

const unsigned long kStdOutput = static_cast<unsigned long>(-11);
const unsigned int kNoInterface = 0x80004002u;
const unsigned int kNotFound = 0x80070002u;
const unsigned int kClassNotRegistered = 0x80040154u;

int g_failures;

void Write(const char* text)
{
    unsigned long length = 0;
    while (text[length] != 0)
        ++length;
    unsigned long written = 0;
    WriteFile(GetStdHandle(kStdOutput), text, length, &written, 0);
}

void WriteHex(unsigned int value)
{
    char text[11];
    text[0] = '0';
    text[1] = 'x';
    for (int i = 0; i < 8; ++i)
        text[2 + i] = "0123456789ABCDEF"[(value >> (28 - 4 * i)) & 0xF];
    text[10] = 0;
    Write(text);
}

void Check(const char* what, unsigned int actual, unsigned int expected)
{
    Write(actual == expected ? "ok   " : "FAIL ");
    Write(what);
    Write(": ");
    WriteHex(actual);
    if (actual != expected) {
        Write(", expected ");
        WriteHex(expected);
        ++g_failures;
    }
    Write("\r\n");
}

// The low half on x64, where a sentinel fits in it anyway.
unsigned int Bits(const void* pointer)
{
    return static_cast<unsigned int>(reinterpret_cast<unsigned long long>(pointer));
}

// Pre-filled into out-parameters that a failing call must leave alone.
IKXVdsPartition* const kPartitionSentinel = reinterpret_cast<IKXVdsPartition*>(0x5EA1ED00ul);
const KXUINT64 kOffsetSentinel = 0x0123456789ABCDEFull;

void CheckLookup(const char* what, IKXVdsDisk* disk, KXHRESULT result, IKXVdsPartition* out)
{
    Check(what, static_cast<unsigned int>(result), kNotFound);
    Check("  recorded", KXGetRecordedResult(disk), kNotFound);
    Check("  out-pointer untouched", Bits(out), Bits(kPartitionSentinel));
}

void RunUnconnectedSlots(IKXVdsDisk* disk)
{
    Check("slot 1 GetVersion", static_cast<unsigned int>(disk->GetVersion()), 1);
    Check("slot 4 IsConnected", static_cast<unsigned int>(disk->IsConnected()), 0);

    DiskProperties properties;
    Check("slot 3 GetDiskProperties",
          static_cast<unsigned int>(disk->GetDiskProperties(&properties)), kNoInterface);
    Check("  recorded", KXGetRecordedResult(disk), kNoInterface);

    Check("slot 5 GetPartitionCount", static_cast<unsigned int>(disk->GetPartitionCount()), 0);
    Check("  holder untouched", KXGetRecordedResult(disk), kNoInterface);

    IKXVdsPartition* partition = kPartitionSentinel;
    KXHRESULT result = disk->GetPartition(0, &partition);
    CheckLookup("slot 6 GetPartition", disk, result, partition);

    partition = kPartitionSentinel;
    result = disk->GetPartitionByOffset(1048576ull, &partition);
    CheckLookup("slot 7 GetPartitionByOffset", disk, result, partition);

    partition = kPartitionSentinel;
    result = disk->GetPartitionByNumber(1, &partition);
    CheckLookup("slot 8 GetPartitionByNumber", disk, result, partition);

    KXUINT64 newOffset = kOffsetSentinel;
    result = disk->CreatePartition(1048576ull, 16ull * 1048576ull, 0x07, 0, &newOffset);
    Check("slot 9 CreatePartition", static_cast<unsigned int>(result), kNoInterface);
    Check("  recorded", KXGetRecordedResult(disk), kNoInterface);
    Check("  new offset untouched (low)", static_cast<unsigned int>(newOffset),
          static_cast<unsigned int>(kOffsetSentinel));
    Check("  new offset untouched (high)", static_cast<unsigned int>(newOffset >> 32),
          static_cast<unsigned int>(kOffsetSentinel >> 32));

    // Wine has no disk service: activation of its loader class must fail.
    Check("slot 2 Connect(0)", static_cast<unsigned int>(disk->Connect(0)), kClassNotRegistered);
    Check("  recorded", KXGetRecordedResult(disk), kClassNotRegistered);
    Check("  IsConnected after", static_cast<unsigned int>(disk->IsConnected()), 0);
}

} // namespace

extern "C" void __cdecl KXMsvcClientMain()
{
    IKXVdsDisk* first = GetVdsDiskInterface();
    IKXVdsDisk* second = GetVdsDiskInterface();
    if (first == 0 || second == 0) {
        Write("FAIL GetVdsDiskInterface returned null\r\n");
        ExitProcess(1);
    }
    Check("two objects are distinct", first != second, 1);

    RunUnconnectedSlots(first);
    Check("slot 1 GetVersion of the second object", static_cast<unsigned int>(second->GetVersion()), 1);

    delete first;       // slot 0, the scalar deleting destructor, flags 1
    Write("ok   slot 0 delete returned\r\n");
    second->Release();  // slot 10
    Write("ok   slot 10 Release returned\r\n");

    Write(g_failures == 0 ? "PASS\r\n" : "FAIL\r\n");
    ExitProcess(g_failures == 0 ? 0 : 1);
}
