// The maker's wide string: UTF-16 text in 16-bit units, owned and copied by
// value. The unit is unsigned short in every signature; Wide() hands the same
// text out as the platform's WCHAR for Win32 calls.
#pragma once

#include "kxplatform.h"

#include <memory>

class CKXString {
public:
    CKXString() noexcept;
    CKXString(const unsigned short* text);
    CKXString(const WCHAR* text);
    CKXString(const CKXString& other);
    CKXString(CKXString&& other) noexcept;
    ~CKXString();

    // Zero-terminated, never null; valid until the string next changes.
    operator const unsigned short*() const noexcept;
    const WCHAR* Wide() const noexcept;

    unsigned int GetLength() const noexcept;
    int IsEmpty() const noexcept;

    // Replaces the content with the wvsprintfW expansion (cut at 1024 units
    // with the terminator); returns the number of units written.
    int Format(const WCHAR* format, ...);

    CKXString Right(unsigned int count) const;

    CKXString operator+(const unsigned short* text) const;
    CKXString operator+(const WCHAR* text) const;
    CKXString operator+(const CKXString& text) const;

    // Nonzero when `what` occurs at or after `start`; `position` then receives
    // the index of the first such occurrence and is left alone otherwise.
    int Find(const unsigned short* what, unsigned int& position, unsigned int start) const;
    int Find(const WCHAR* what, unsigned int& position, unsigned int start) const;

    // The character 0 leaves the string empty.
    CKXString& operator=(unsigned short ch);
    CKXString& operator=(const unsigned short* text);
    CKXString& operator=(const WCHAR* text);
    CKXString& operator=(const CKXString& other);
    CKXString& operator=(CKXString&& other) noexcept;

    CKXString& operator+=(const unsigned short* text);
    CKXString& operator+=(const WCHAR* text);
    CKXString& operator+=(const CKXString& text);

    // Exact comparison of the whole content; a null text counts as "".
    bool operator==(const unsigned short* text) const noexcept;
    bool operator==(const WCHAR* text) const noexcept;
    bool operator!=(const unsigned short* text) const noexcept;
    bool operator!=(const WCHAR* text) const noexcept;

private:
    void Assign(const unsigned short* text, unsigned int count);
    void Append(const unsigned short* text, unsigned int count);

    // Null while the string is empty, so an empty string owns nothing.
    std::unique_ptr<unsigned short[]> units;
    unsigned int length = 0;
};
