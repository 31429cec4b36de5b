// What an HRESULT means, in words a person can act on.
#pragma once

#include <cstdint>
#include <string>

namespace kxvds {

// "0x80004002"
std::string HexResult(uint32_t code);

// The symbolic name when the code is a common one ("E_NOINTERFACE"), else "".
std::string ResultName(uint32_t code);

// A sentence without a trailing period: the client's own text for the codes
// it knows, the system's text for other Win32 codes, else a generic one.
std::string ResultText(uint32_t code);

// A Win32 error code of a call the client makes itself: "the system cannot
// find the file specified (Win32 error 2)".
std::string Win32ErrorText(uint32_t error);

} // namespace kxvds
