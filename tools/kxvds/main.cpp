// kxvds: a command-line client of the KXVdsDisks library.
#include "KXVdsVersion.h"
#include "Run.h"

#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#  include "WideText.h"
#  include "kxplatform.h"
#  include <shellapi.h>
#endif

namespace {

#if defined(_WIN32)
// The command line as typed, in UTF-8: labels and folders need not fit the
// ANSI code page that argv is made in.
std::vector<std::string> Arguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(kxvds::ToUtf8(reinterpret_cast<const KXWCHAR*>(wide[i])));
    LocalFree(wide);
    return args;
}
#else
std::vector<std::string> Arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}
#endif

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("kxvds %s\n", KXVDS_VERSION_STRING);
        return 0;
    }
#if defined(_WIN32)
    SetConsoleOutputCP(CP_UTF8);
#endif
    return kxvds::RunKxvds(Arguments(argc, argv));
}
