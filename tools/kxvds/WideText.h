// Text at the library boundary is UTF-16 (KXWCHAR); the console speaks UTF-8.
#pragma once

#include "KXVdsDisks.h"

#include <string>

namespace kxvds {

using WideString = std::basic_string<KXWCHAR>;

WideString ToWide(const std::string& utf8);
std::string ToUtf8(const KXWCHAR* text);

} // namespace kxvds
