// What the codes this example can meet mean, and UTF-16 text for printf.
#ifndef RECOVERY_RESULT_TEXT_H
#define RECOVERY_RESULT_TEXT_H

#include "KXVdsDisks.h"

#include <cstdio>
#include <string>

// "0x80042574 VDS_E_SHRINK_SIZE_TOO_BIG: more than the volume's free space"
std::string DescribeResult(unsigned int code);

// Writes "<step> failed: <description>" to `err`; true when `result` is 0.
bool Succeeded(std::FILE* err, const char* step, KXHRESULT result);

std::string ToUtf8(const KXWCHAR* text);

#endif
