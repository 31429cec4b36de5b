// The Win32 and COM subset that KXVdsDisks uses, for systems other than
// Windows. The names, types and semantics follow the Windows originals so the
// library's code is the same on both systems. Implemented by libkxwin32, which
// plays the role that kernel32/ole32 play on Windows: the library, the
// emulator and the tests all share one instance of its process state.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <ctime>

#define KXWIN32_API __attribute__((visibility("default")))

// ---- basic types ---------------------------------------------------------
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int32_t INT;
typedef uint32_t UINT;
typedef int BOOL;
typedef int32_t HRESULT;
typedef long long LONGLONG;
typedef unsigned long long ULONGLONG;
typedef unsigned long long DWORDLONG;
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef char CHAR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef void* HANDLE;
typedef HANDLE HMODULE;
typedef HANDLE HLOCAL;
typedef HANDLE HGLOBAL;
typedef DWORD* LPDWORD;
typedef BYTE BOOLEAN;
typedef uintptr_t UINT_PTR;
typedef size_t SIZE_T;
typedef int64_t __time64_t;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

#define WINAPI
#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT
#define __RPC_FAR
#define STDMETHOD(name) virtual HRESULT STDMETHODCALLTYPE name
#define STDMETHOD_(type, name) virtual type STDMETHODCALLTYPE name

typedef union _ULARGE_INTEGER {
    struct { DWORD LowPart; DWORD HighPart; } u;
    ULONGLONG QuadPart;
} ULARGE_INTEGER, *PULARGE_INTEGER;

typedef union _LARGE_INTEGER {
    struct { DWORD LowPart; LONG HighPart; } u;
    LONGLONG QuadPart;
} LARGE_INTEGER;

// ---- HRESULT and error codes ---------------------------------------------
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001)
#define E_NOINTERFACE ((HRESULT)0x80004002)
#define E_POINTER ((HRESULT)0x80004003)
#define E_FAIL ((HRESULT)0x80004005)
#define E_UNEXPECTED ((HRESULT)0x8000FFFF)
#define E_OUTOFMEMORY ((HRESULT)0x8007000E)
#define E_INVALIDARG ((HRESULT)0x80070057)
#define E_ACCESSDENIED ((HRESULT)0x80070005)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110)
#define CLASS_E_CLASSNOTAVAILABLE ((HRESULT)0x80040111)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154)
#define CO_E_NOTINITIALIZED ((HRESULT)0x800401F0)
#define CO_E_OBJISREG ((HRESULT)0x800401FB)
#define CO_E_OBJNOTREG ((HRESULT)0x800401FC)
#define RPC_E_CHANGED_MODE ((HRESULT)0x80010106)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

#define ERROR_SUCCESS 0L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_NOT_READY 21L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_EOF 38L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_UNRECOGNIZED_VOLUME 1005L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_GEN_FAILURE 31L
#define ERROR_DISK_FULL 112L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_NEGATIVE_SEEK 131L
#define ERROR_NOT_LOCKED 158L
#define ERROR_DIRECTORY 267L
#define ERROR_MR_MID_NOT_FOUND 317L
#define ERROR_INVALID_FLAGS 1004L
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L

inline HRESULT HRESULT_FROM_WIN32(unsigned long x)
{
    return static_cast<HRESULT>(x) <= 0 ? static_cast<HRESULT>(x)
                                        : static_cast<HRESULT>((x & 0x0000FFFF) | 0x80070000u);
}

// ---- GUIDs and IUnknown --------------------------------------------------
struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

inline bool operator==(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
inline bool IsEqualGUID(const GUID& a, const GUID& b) { return a == b; }
#define IsEqualIID(a, b) IsEqualGUID(a, b)
#define IsEqualCLSID(a, b) IsEqualGUID(a, b)

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
protected:
    ~IUnknown() = default;
};

struct IClassFactory : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) = 0;
protected:
    ~IClassFactory() = default;
};

KXWIN32_API extern const IID IID_IUnknown;
KXWIN32_API extern const IID IID_IClassFactory;

// ---- COM activation and task memory --------------------------------------
#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)
#define REGCLS_SINGLEUSE 0
#define REGCLS_MULTIPLEUSE 1
#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_MULTITHREADED 0x0

KXWIN32_API HRESULT CoInitialize(LPVOID reserved);
KXWIN32_API HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
KXWIN32_API void CoUninitialize();
KXWIN32_API HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* outer, DWORD clsContext, REFIID riid, LPVOID* ppv);
KXWIN32_API HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* unk, DWORD clsContext, DWORD flags, LPDWORD cookie);
KXWIN32_API HRESULT CoRevokeClassObject(DWORD cookie);
KXWIN32_API LPVOID CoTaskMemAlloc(SIZE_T cb);
KXWIN32_API void CoTaskMemFree(LPVOID pv);

// ---- last error ------------------------------------------------------------
KXWIN32_API DWORD GetLastError();
KXWIN32_API void SetLastError(DWORD code);

// ---- strings and text ------------------------------------------------------
#define CP_ACP 0
#define CP_UTF8 65001
KXWIN32_API int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen);
KXWIN32_API int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, char* dst, int dstLen,
                                    LPCSTR defaultChar, BOOL* usedDefault);
// %d %i %u %x %X %c %s %ls %% with flags, width, precision and I64; %s takes a
// wide string. Output is cut at 1024 units including the terminator.
KXWIN32_API int wvsprintfW(LPWSTR out, LPCWSTR format, va_list args);
KXWIN32_API int wsprintfW(LPWSTR out, LPCWSTR format, ...);
KXWIN32_API int lstrlenW(LPCWSTR s);
KXWIN32_API LPWSTR lstrcpynW(LPWSTR dst, LPCWSTR src, int maxLen);
KXWIN32_API int lstrcmpW(LPCWSTR a, LPCWSTR b);
KXWIN32_API int lstrcmpiW(LPCWSTR a, LPCWSTR b);
KXWIN32_API LPWSTR PathAddBackslashW(LPWSTR path);
KXWIN32_API void PathStripPathW(LPWSTR path);

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
// The system's English text (with its CR LF) for the Win32 codes the library
// can meet; 0 and ERROR_MR_MID_NOT_FOUND for any other code. Only system
// messages without width formatting are available here.
KXWIN32_API DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                                 DWORD size, va_list* args);
KXWIN32_API HLOCAL LocalFree(HLOCAL mem);

// ---- memory ----------------------------------------------------------------
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
KXWIN32_API HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
KXWIN32_API LPVOID GlobalLock(HGLOBAL mem);
KXWIN32_API BOOL GlobalUnlock(HGLOBAL mem);
KXWIN32_API HGLOBAL GlobalFree(HGLOBAL mem);
// No writability test exists here: a null pointer is the one bad pointer.
KXWIN32_API BOOL IsBadWritePtr(LPVOID p, UINT_PTR bytes);

// ---- process, profile, version -------------------------------------------
// Paths follow Wine's convention: drive Z:\ is the POSIX root, so "/home/me"
// is "Z:\home\me" and "\" separates folders.
KXWIN32_API DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer);
KXWIN32_API BOOL SetCurrentDirectoryW(LPCWSTR path);
KXWIN32_API DWORD GetModuleFileNameW(HMODULE module, LPWSTR filename, DWORD size);
KXWIN32_API DWORD GetPrivateProfileStringW(LPCWSTR app, LPCWSTR key, LPCWSTR def, LPWSTR out, DWORD size,
                                           LPCWSTR fileName);
KXWIN32_API UINT GetPrivateProfileIntW(LPCWSTR app, LPCWSTR key, INT def, LPCWSTR fileName);
// Executables here carry no version resource: size 0, ERROR_RESOURCE_DATA_NOT_FOUND.
KXWIN32_API DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle);
KXWIN32_API BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD len, LPVOID data);
KXWIN32_API BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* len);

// ---- time ------------------------------------------------------------------
KXWIN32_API __time64_t _time64(__time64_t* t);
KXWIN32_API struct tm* _localtime64(const __time64_t* t);

// ---- files -----------------------------------------------------------------
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x1
#define FILE_SHARE_WRITE 0x2
#define FILE_SHARE_DELETE 0x4
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x1
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER ((DWORD)-1)

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;

struct FILETIME { DWORD dwLowDateTime; DWORD dwHighDateTime; };
struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAW* LPWIN32_FIND_DATAW;

KXWIN32_API HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                               DWORD flags, HANDLE templ);
KXWIN32_API BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED ov);
KXWIN32_API BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED ov);
KXWIN32_API BOOL CloseHandle(HANDLE h);
KXWIN32_API DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
KXWIN32_API HANDLE FindFirstFileW(LPCWSTR name, LPWIN32_FIND_DATAW data);
KXWIN32_API BOOL FindClose(HANDLE find);
KXWIN32_API BOOL DeleteFileW(LPCWSTR name);

#define FILE_TYPE_UNKNOWN 0x0000
#define FILE_TYPE_DISK 0x0001
#define FILE_TYPE_CHAR 0x0002
#define FILE_TYPE_PIPE 0x0003
KXWIN32_API DWORD GetFileType(HANDLE file);

struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
};
typedef BY_HANDLE_FILE_INFORMATION* LPBY_HANDLE_FILE_INFORMATION;
KXWIN32_API BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info);

// Absolute, with "." and ".." resolved; no file is looked at.
KXWIN32_API DWORD GetFullPathNameW(LPCWSTR name, DWORD length, LPWSTR buffer, LPWSTR* filePart);

// ---- volumes and devices ---------------------------------------------------
#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

#define IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS 0x00560000
#define IOCTL_DISK_GET_PARTITION_INFO 0x00074004

struct DISK_EXTENT {
    DWORD DiskNumber;
    LARGE_INTEGER StartingOffset;
    LARGE_INTEGER ExtentLength;
};
struct VOLUME_DISK_EXTENTS {
    DWORD NumberOfDiskExtents;
    DISK_EXTENT Extents[1];
};
struct PARTITION_INFORMATION {
    LARGE_INTEGER StartingOffset;
    LARGE_INTEGER PartitionLength;
    DWORD HiddenSectors;
    DWORD PartitionNumber;
    BYTE PartitionType;
    BOOLEAN BootIndicator;
    BOOLEAN RecognizedPartition;
    BOOLEAN RewritePartition;
};
static_assert(sizeof(VOLUME_DISK_EXTENTS) == 32, "one extent fills 32 bytes");
static_assert(sizeof(PARTITION_INFORMATION) == 32, "PARTITION_INFORMATION is 32 bytes");

// The style-aware forms, which GPT disks need.
#define IOCTL_DISK_GET_PARTITION_INFO_EX 0x00070048
#define IOCTL_DISK_GET_DRIVE_LAYOUT_EX 0x00070050

enum PARTITION_STYLE { PARTITION_STYLE_MBR = 0, PARTITION_STYLE_GPT = 1, PARTITION_STYLE_RAW = 2 };

#define GPT_ATTRIBUTE_PLATFORM_REQUIRED 0x0000000000000001ULL
#define GPT_BASIC_DATA_ATTRIBUTE_NO_DRIVE_LETTER 0x8000000000000000ULL
#define GPT_BASIC_DATA_ATTRIBUTE_HIDDEN 0x4000000000000000ULL
#define GPT_BASIC_DATA_ATTRIBUTE_SHADOW_COPY 0x2000000000000000ULL
#define GPT_BASIC_DATA_ATTRIBUTE_READ_ONLY 0x1000000000000000ULL

struct PARTITION_INFORMATION_MBR {
    BYTE PartitionType;
    BOOLEAN BootIndicator;
    BOOLEAN RecognizedPartition;
    DWORD HiddenSectors;
    GUID PartitionId;
};
struct PARTITION_INFORMATION_GPT {
    GUID PartitionType;
    GUID PartitionId;
    ULONGLONG Attributes;
    WCHAR Name[36];
};
struct PARTITION_INFORMATION_EX {
    PARTITION_STYLE PartitionStyle;
    LARGE_INTEGER StartingOffset;
    LARGE_INTEGER PartitionLength;
    DWORD PartitionNumber;
    BOOLEAN RewritePartition;
    BOOLEAN IsServicePartition;
    union {
        PARTITION_INFORMATION_MBR Mbr;
        PARTITION_INFORMATION_GPT Gpt;
    };
};
struct DRIVE_LAYOUT_INFORMATION_MBR {
    DWORD Signature;
    DWORD CheckSum;
};
struct DRIVE_LAYOUT_INFORMATION_GPT {
    GUID DiskId;
    LARGE_INTEGER StartingUsableOffset;
    LARGE_INTEGER UsableLength;
    DWORD MaxPartitionCount;
};
struct DRIVE_LAYOUT_INFORMATION_EX {
    DWORD PartitionStyle;
    DWORD PartitionCount;
    union {
        DRIVE_LAYOUT_INFORMATION_MBR Mbr;
        DRIVE_LAYOUT_INFORMATION_GPT Gpt;
    };
    PARTITION_INFORMATION_EX PartitionEntry[1];
};

KXWIN32_API BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                                 LPDWORD returned, LPOVERLAPPED ov);
KXWIN32_API UINT GetDriveTypeW(LPCWSTR root);
KXWIN32_API BOOL GetDiskFreeSpaceExW(LPCWSTR dir, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                                     PULARGE_INTEGER totalFree);

// ---- the device provider ---------------------------------------------------
#define KXDEVICES_API KXWIN32_API
#include "../kxdevices.h"

// Live CoTaskMemAlloc blocks of the process, for leak accounting in tests.
KXWIN32_API long KXLiveTaskMemBlocks();
