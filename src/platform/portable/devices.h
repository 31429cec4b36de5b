// Devices that the registered provider models: their handles and dispatch.
#pragma once

#include "handles.h"

#include <cstdint>
#include <mutex>

namespace kxwin32 {

KXDeviceProvider* CurrentDeviceProvider();

// A provider's open device. It is closed through the provider that opened it,
// and reads advance a position of its own.
class DeviceObject : public HandleObject {
public:
    DeviceObject(KXDeviceProvider* provider, void* token) : provider_(provider), token_(token) {}
    ~DeviceObject() override { provider_->Close(token_); }

    BOOL Read(void* buffer, DWORD size, DWORD* read, DWORD* error);
    BOOL Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned, DWORD* error);
    // FILE_BEGIN and FILE_CURRENT only: a device's end is the provider's secret.
    bool Seek(int64_t distance, DWORD method, uint64_t* position, DWORD* error);

private:
    KXDeviceProvider* provider_;
    void* token_;
    std::mutex positionMutex_;
    uint64_t position_ = 0;
};

} // namespace kxwin32
