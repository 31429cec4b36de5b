// Windows: the system knows none of the emulated machine's volumes, so the
// device, drive and file-search calls of the library module (and of the test
// program itself) are detoured to the registered provider through their
// import tables. What the provider does not own goes on to the system, with the
// portable layer's view of drives: the emulated machine has the drive
// letters, the system keeps Z:, where the tests' own files live.
// The same detours count the CoTaskMem blocks that pass between the two
// modules, so that leaks show here as they do off Windows.
#include "detours/ImportTable.h"
#include "devices/DeviceLayer.h"

#include "kxdevices.h"

#include <atomic>
#include <map>
#include <mutex>

namespace {

struct OpenDevice {
    KXDeviceProvider* provider;
    void* token;
    uint64_t position;
};

std::mutex mutex;
KXDeviceProvider* provider;
std::map<HANDLE, OpenDevice> devices;
std::atomic<long> liveTaskMem{0};

KXDeviceProvider* CurrentProvider()
{
    std::lock_guard<std::mutex> lock(mutex);
    return provider;
}

bool FindDevice(HANDLE handle, OpenDevice* device)
{
    std::lock_guard<std::mutex> lock(mutex);
    auto it = devices.find(handle);
    if (it == devices.end()) return false;
    *device = it->second;
    return true;
}

template <class T>
T Fail(DWORD error, T result)
{
    SetLastError(error);
    return result;
}

bool IsDriveZPath(LPCWSTR path)
{
    return (path[0] == L'Z' || path[0] == L'z') && path[1] == L':' && path[2] == L'\\';
}

// The system's own functions, found once.
template <class F>
F Real(const wchar_t* dll, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(dll), name)));
}
const auto realCreateFileW = Real<decltype(&CreateFileW)>(L"kernel32.dll", "CreateFileW");
const auto realFindFirstFileW = Real<decltype(&FindFirstFileW)>(L"kernel32.dll", "FindFirstFileW");
const auto realReadFile = Real<decltype(&ReadFile)>(L"kernel32.dll", "ReadFile");
const auto realSetFilePointer = Real<decltype(&SetFilePointer)>(L"kernel32.dll", "SetFilePointer");
const auto realDeviceIoControl = Real<decltype(&DeviceIoControl)>(L"kernel32.dll", "DeviceIoControl");
const auto realCloseHandle = Real<decltype(&CloseHandle)>(L"kernel32.dll", "CloseHandle");
const auto realGetDriveTypeW = Real<decltype(&GetDriveTypeW)>(L"kernel32.dll", "GetDriveTypeW");
const auto realGetDiskFreeSpaceExW = Real<decltype(&GetDiskFreeSpaceExW)>(L"kernel32.dll", "GetDiskFreeSpaceExW");
const auto realCoTaskMemAlloc = Real<decltype(&CoTaskMemAlloc)>(L"ole32.dll", "CoTaskMemAlloc");
const auto realCoTaskMemFree = Real<decltype(&CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");

LPVOID WINAPI DetourCoTaskMemAlloc(SIZE_T size)
{
    LPVOID block = realCoTaskMemAlloc(size);
    if (block) ++liveTaskMem;
    return block;
}

void WINAPI DetourCoTaskMemFree(LPVOID block)
{
    if (block) --liveTaskMem;
    realCoTaskMemFree(block);
}

HANDLE WINAPI DetourCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE templateFile)
{
    KXDeviceProvider* owner = CurrentProvider();
    void* token = nullptr;
    DWORD error = ERROR_SUCCESS;
    if (!name || !owner || !owner->Open(name, access, &token, &error))
        return realCreateFileW(name, access, share, security, disposition, flags, templateFile);
    if (!token) return Fail(error ? error : ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    // A real handle of no other use makes the value unique in the process.
    HANDLE handle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!handle) {
        owner->Close(token);
        return INVALID_HANDLE_VALUE;
    }
    std::lock_guard<std::mutex> lock(mutex);
    devices[handle] = OpenDevice{owner, token, 0};
    SetLastError(ERROR_SUCCESS);
    return handle;
}

HANDLE WINAPI DetourFindFirstFileW(LPCWSTR name, LPWIN32_FIND_DATAW data)
{
    KXDeviceProvider* owner = CurrentProvider();
    DWORD error = ERROR_SUCCESS;
    if (name && owner && owner->Find(name, &error)) return Fail(error, INVALID_HANDLE_VALUE);
    return realFindFirstFileW(name, data);
}

BOOL WINAPI DetourReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    OpenDevice device;
    if (!FindDevice(file, &device)) return realReadFile(file, buffer, size, read, overlapped);
    if (read) *read = 0;
    if (overlapped) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    DWORD count = 0;
    DWORD error = ERROR_SUCCESS;
    const BOOL ok = device.provider->Read(device.token, device.position, buffer, size, &count, &error);
    if (read) *read = count;
    if (!ok) return Fail(error, FALSE);
    std::lock_guard<std::mutex> lock(mutex);
    devices[file].position += count;
    return TRUE;
}

DWORD WINAPI DetourSetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method)
{
    OpenDevice device;
    if (!FindDevice(file, &device)) return realSetFilePointer(file, distance, distanceHigh, method);
    const int64_t move = distanceHigh ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                                             static_cast<uint32_t>(distance))
                                      : static_cast<int64_t>(distance);
    // A device's end is the provider's secret: FILE_END is refused.
    if (method != FILE_BEGIN && method != FILE_CURRENT) return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    const int64_t base = method == FILE_BEGIN ? 0 : static_cast<int64_t>(device.position);
    if (move < -base) return Fail(ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER);
    const uint64_t position = static_cast<uint64_t>(base + move);
    {
        std::lock_guard<std::mutex> lock(mutex);
        devices[file].position = position;
    }
    if (distanceHigh) *distanceHigh = static_cast<LONG>(position >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}

BOOL WINAPI DetourDeviceIoControl(HANDLE handle, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                                  LPDWORD returned, LPOVERLAPPED overlapped)
{
    OpenDevice device;
    if (!FindDevice(handle, &device))
        return realDeviceIoControl(handle, code, in, inSize, out, outSize, returned, overlapped);
    if (overlapped) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    DWORD count = 0;
    DWORD error = ERROR_SUCCESS;
    const BOOL ok = device.provider->Control(device.token, code, in, inSize, out, outSize, &count, &error);
    if (returned) *returned = count;
    return ok ? TRUE : Fail(error, FALSE);
}

BOOL WINAPI DetourCloseHandle(HANDLE handle)
{
    OpenDevice device;
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = devices.find(handle);
        if (it == devices.end()) return realCloseHandle(handle);
        device = it->second;
        devices.erase(it);
    }
    device.provider->Close(device.token);
    return realCloseHandle(handle);
}

UINT WINAPI DetourGetDriveTypeW(LPCWSTR root)
{
    KXDeviceProvider* owner = CurrentProvider();
    UINT type = DRIVE_UNKNOWN;
    if (root && owner && owner->DriveType(root, &type)) return type;
    if (!root || IsDriveZPath(root)) return realGetDriveTypeW(root);
    return DRIVE_NO_ROOT_DIR;
}

BOOL WINAPI DetourGetDiskFreeSpaceExW(LPCWSTR dir, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                                      PULARGE_INTEGER totalFree)
{
    KXDeviceProvider* owner = CurrentProvider();
    ULONGLONG callerBytes = 0, totalBytes = 0, freeBytes = 0;
    BOOL ok = FALSE;
    DWORD error = ERROR_SUCCESS;
    if (!(dir && owner && owner->FreeSpace(dir, &ok, &callerBytes, &totalBytes, &freeBytes, &error))) {
        if (!dir || IsDriveZPath(dir)) return realGetDiskFreeSpaceExW(dir, freeToCaller, total, totalFree);
        return Fail(ERROR_PATH_NOT_FOUND, FALSE);
    }
    if (!ok) return Fail(error, FALSE);
    if (freeToCaller) freeToCaller->QuadPart = callerBytes;
    if (total) total->QuadPart = totalBytes;
    if (totalFree) totalFree->QuadPart = freeBytes;
    return TRUE;
}

struct Detour {
    const char* dll;
    const char* name;
    void* detour;
    void* real;
};

template <class F>
void* Address(F function)
{
    return reinterpret_cast<void*>(function);
}

const Detour detours[] = {
    {"kernel32.dll", "CreateFileW", Address(&DetourCreateFileW), Address(realCreateFileW)},
    {"kernel32.dll", "FindFirstFileW", Address(&DetourFindFirstFileW), Address(realFindFirstFileW)},
    {"kernel32.dll", "ReadFile", Address(&DetourReadFile), Address(realReadFile)},
    {"kernel32.dll", "SetFilePointer", Address(&DetourSetFilePointer), Address(realSetFilePointer)},
    {"kernel32.dll", "DeviceIoControl", Address(&DetourDeviceIoControl), Address(realDeviceIoControl)},
    {"kernel32.dll", "CloseHandle", Address(&DetourCloseHandle), Address(realCloseHandle)},
    {"kernel32.dll", "GetDriveTypeW", Address(&DetourGetDriveTypeW), Address(realGetDriveTypeW)},
    {"kernel32.dll", "GetDiskFreeSpaceExW", Address(&DetourGetDiskFreeSpaceExW), Address(realGetDiskFreeSpaceExW)},
    {"ole32.dll", "CoTaskMemAlloc", Address(&DetourCoTaskMemAlloc), Address(realCoTaskMemAlloc)},
    {"ole32.dll", "CoTaskMemFree", Address(&DetourCoTaskMemFree), Address(realCoTaskMemFree)},
};

// The library module, and the test program for its own direct calls.
void RewriteImports(bool detoured)
{
    const HMODULE modules[] = {GetModuleHandleW(L"KXVdsDisks.dll"), GetModuleHandleW(nullptr)};
    for (HMODULE module : modules)
        for (const Detour& d : detours)
            kxemu::RewriteImport(module, d.dll, d.name, detoured ? d.detour : d.real);
}

} // namespace

void KXSetDeviceProvider(KXDeviceProvider* p)
{
    bool wasSet;
    {
        std::lock_guard<std::mutex> lock(mutex);
        wasSet = provider != nullptr;
        provider = p;
    }
    if (wasSet != (p != nullptr)) RewriteImports(p != nullptr);
}

long kxemu::DeviceLayer::ProcessTaskMemBlocks()
{
    return liveTaskMem.load();
}
