// GPT partition types and attributes in words.
#pragma once

#include "kxplatform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kxvds {

// "c12a7328-f81f-11d2-ba4b-00a0c93ec93b", as GPT tools print it.
std::string GuidText(const GUID& guid);

// "EFI system", "basic data", ... for the types Windows lays out; "" otherwise.
std::string GptTypeName(const GUID& type);

// "required", "no drive letter", "hidden", "shadow copy", "read-only": the
// attributes Windows sets, in that order.
std::vector<std::string> GptAttributeNames(uint64_t attributes);

// The attribute bits without a name above.
uint64_t UnnamedGptAttributes(uint64_t attributes);

// "0x8000000000000001"
std::string AttributesHex(uint64_t attributes);

} // namespace kxvds
