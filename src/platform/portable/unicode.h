// UTF-8 / UTF-16 conversions shared by the text, path and profile calls.
#pragma once

#include "kxwin32.h"

#include <string>
#include <string_view>

namespace kxwin32 {

std::u16string_view WideView(LPCWSTR s);

// Ill-formed input becomes U+FFFD, as Windows does without MB_ERR_INVALID_CHARS.
std::u16string Utf8ToUtf16(std::string_view in);

// Lone surrogates become `replacement`; `replaced` reports whether that happened.
std::string Utf16ToUtf8(std::u16string_view in, std::string_view replacement, bool* replaced);

// Strict form for file names: false on a lone surrogate.
bool Utf16ToUtf8Strict(std::u16string_view in, std::string* out);

char16_t UpperUnit(char16_t c);

} // namespace kxwin32
