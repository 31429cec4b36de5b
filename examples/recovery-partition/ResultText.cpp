#include "ResultText.h"

namespace {

struct KnownResult {
    unsigned int code;
    const char* name;
    const char* meaning;
};

// The library's own codes and the disk service's that these steps meet.
const KnownResult kKnown[] = {
    {0x80004002u, "E_NOINTERFACE", "no disk with that number, or the partition has no volume"},
    {0x80004003u, "E_POINTER", "a pointer the call needs was null"},
    {0x8000FFFFu, "E_UNEXPECTED", "the disk service's job reported a failure"},
    {0x80040154u, "REGDB_E_CLASSNOTREG", "no disk service is installed on this system"},
    {0x80070002u, "ERROR_FILE_NOT_FOUND", "no such partition, or the new partition cannot be found"},
    {0x80070005u, "E_ACCESSDENIED", "access denied: run as administrator"},
    {0x8007000Eu, "E_OUTOFMEMORY", "out of memory"},
    {0x80070057u, "E_INVALIDARG", "invalid argument, or no room for a partition there"},
    {0x80080005u, "CO_E_SERVER_EXEC_FAILURE", "the disk service could not be started"},
    {0x800706BAu, "RPC_S_SERVER_UNAVAILABLE", "the disk service is not running"},
    {0x80042401u, "VDS_E_INITIALIZED_FAILED", "the disk service failed to initialise"},
    {0x80042406u, "VDS_E_INVALID_SPACE", "the space is not free, or not on the disk"},
    {0x80042407u, "VDS_E_PARTITION_LIMIT_REACHED", "the partition table has no free entry"},
    {0x80042429u, "VDS_E_BAD_LABEL", "the label does not suit the file system"},
    {0x8004242Cu, "VDS_E_VOLUME_TOO_SMALL", "the volume is too small for the file system"},
    {0x8004243Du, "VDS_E_VOLUME_NOT_ONLINE", "the volume is not online"},
    {0x8004251Eu, "VDS_E_CANNOT_SHRINK", "this volume cannot be shrunk"},
    {0x80042571u, "VDS_E_PARTITION_STYLE_MISMATCH", "the disk is not partitioned MBR"},
    {0x80042573u, "VDS_E_SHRINK_SIZE_LESS_THAN_MIN", "less than one cluster of the volume"},
    {0x80042574u, "VDS_E_SHRINK_SIZE_TOO_BIG", "more than the volume's free space"},
    {0x80042816u, "VDS_E_SHRINK_OVER_DATA", "the space holds data that cannot be moved"},
};

} // namespace

std::string DescribeResult(unsigned int code)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%08X ", code);
    for (size_t i = 0; i < sizeof kKnown / sizeof kKnown[0]; ++i)
        if (kKnown[i].code == code) return text + std::string(kKnown[i].name) + ": " + kKnown[i].meaning;
    return text + std::string("a code of the disk service or the system");
}

bool Succeeded(std::FILE* err, const char* step, KXHRESULT result)
{
    if (result == 0) return true;
    std::fprintf(err, "%s failed: %s\n", step, DescribeResult(static_cast<unsigned int>(result)).c_str());
    return false;
}

std::string ToUtf8(const KXWCHAR* text)
{
    std::string utf8;
    for (; *text; ++text) {
        unsigned long point = static_cast<unsigned short>(*text);
        const unsigned long next = static_cast<unsigned short>(text[1]);
        if (point >= 0xD800 && point < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
            point = 0x10000 + ((point - 0xD800) << 10) + (next - 0xDC00);
            ++text;
        }
        if (point < 0x80) {
            utf8 += static_cast<char>(point);
        } else if (point < 0x800) {
            utf8 += static_cast<char>(0xC0 | (point >> 6));
            utf8 += static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (point >> 12));
            utf8 += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (point & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (point >> 18));
            utf8 += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (point & 0x3F));
        }
    }
    return utf8;
}
