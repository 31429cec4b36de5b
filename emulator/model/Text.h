// The model keeps text as UTF-8; COM and the device calls speak UTF-16.
#pragma once

#include "kxplatform.h"

#include <cstdint>
#include <string>

namespace kxemu {

using WString = std::basic_string<WCHAR>;

WString Widen(const std::string& utf8);
std::string Narrow(const WCHAR* utf16);
// Appends one code point.
void AppendUtf8(std::string& out, uint32_t codePoint);
// ASCII case folding, enough for paths and drive letters.
std::string UpperAscii(std::string text);
bool EqualNoCase(const std::string& a, const std::string& b);
// "ebd0a0a2-b9e5-4433-87c0-68b6b72699c7"
std::string GuidText(const GUID& guid);

} // namespace kxemu
