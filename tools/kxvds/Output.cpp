#include "Output.h"

#include <cstdio>

namespace kxvds {

namespace {

std::string& Held()
{
    static std::string text;
    return text;
}

} // namespace

void Print(const std::string& text)
{
    Held() += text;
}

void PrintJson(const Json& document)
{
    // Labels and paths come from the user: replace what is not UTF-8 rather than fail.
    Print(document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
}

void FlushOutput()
{
    std::fputs(Held().c_str(), stdout);
    std::fflush(stdout);
    Held().clear();
}

void DiscardOutput()
{
    Held().clear();
}

} // namespace kxvds
