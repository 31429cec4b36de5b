// The maker's error holder: the last outcome code its owning object recorded.
#pragma once

class CKXError {
public:
    CKXError() noexcept;
    virtual ~CKXError();

    // Replaces the recorded code; always returns 1.
    int SetError(unsigned int code) noexcept;
    unsigned int GetError() const noexcept;

private:
    // First data member: a client reads it right after the holder's vtable
    // pointer (KXGetRecordedResult in the public header).
    unsigned int code;
};
