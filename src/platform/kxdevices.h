// The storage devices of a modelled machine. Device paths
// (\\?\GLOBALROOT\Device\..., \\.\X:) and drive-letter roots mean nothing to
// the system the tests run on, so whoever models the machine's storage (the
// VDS emulator) registers a provider that answers them; every other path
// goes to the system. Handles that a provider opens are closed through it.
// Off Windows the portable Win32 layer consults the provider; on Windows the
// emulator reaches it by detouring the library module's imports.
// Include after the Win32 types (kxplatform.h).
#pragma once

#include <cstdint>

#ifndef KXDEVICES_API
#define KXDEVICES_API
#endif

class KXDeviceProvider {
public:
    // Returns true when the provider owns `path`; then `*device` is its token
    // (never null) or null with `*error` set for a refused open.
    virtual bool Open(LPCWSTR path, DWORD access, void** device, DWORD* error) = 0;
    virtual void Close(void* device) = 0;
    virtual BOOL Read(void* device, uint64_t offset, void* buffer, DWORD size, DWORD* read, DWORD* error) = 0;
    virtual BOOL Control(void* device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                         DWORD* returned, DWORD* error) = 0;
    // Returns true when the provider owns `root` (a drive root or a backslashed
    // device path) and sets `*type`.
    virtual bool DriveType(LPCWSTR root, UINT* type) = 0;
    virtual bool FreeSpace(LPCWSTR root, BOOL* ok, ULONGLONG* freeToCaller, ULONGLONG* total, ULONGLONG* totalFree,
                           DWORD* error) = 0;
    // Returns true when the provider owns the FindFirstFileW name `path`; the
    // search then fails with `*error`. A machine's devices hold no files.
    virtual bool Find(LPCWSTR /*path*/, DWORD* /*error*/) { return false; }
protected:
    ~KXDeviceProvider() = default;
};

// Null removes the provider. Without one, drive roots other than Z:\ have no
// root directory and device paths are not found.
KXDEVICES_API void KXSetDeviceProvider(KXDeviceProvider* provider);
