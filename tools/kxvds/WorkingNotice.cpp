#include "WorkingNotice.h"

#include <chrono>
#include <cstdio>

#if defined(_WIN32)
#  include <io.h>
#  define KXVDS_ISATTY(fd) _isatty(fd)
#  define KXVDS_FILENO(f) _fileno(f)
#else
#  include <unistd.h>
#  define KXVDS_ISATTY(fd) isatty(fd)
#  define KXVDS_FILENO(f) fileno(f)
#endif

namespace kxvds {

namespace {

bool StderrIsTerminal()
{
    return KXVDS_ISATTY(KXVDS_FILENO(stderr)) != 0;
}

} // namespace

WorkingNotice::WorkingNotice(const std::string& what, Kind k) : text(what + "... "), kind(k)
{
    const bool terminal = StderrIsTerminal();
    if (kind == Transient && !terminal) return;
    shown = true;
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    if (terminal) spinner = std::thread(&WorkingNotice::Spin, this);
}

WorkingNotice::~WorkingNotice()
{
    Finish(false);
}

void WorkingNotice::Spin()
{
    static const char kFrames[] = "|/-\\";
    std::unique_lock<std::mutex> lock(mutex);
    for (unsigned frame = 0; !stop; ++frame) {
        std::fputc(kFrames[frame % 4], stderr);
        std::fflush(stderr);
        wake.wait_for(lock, std::chrono::milliseconds(120), [this] { return stop; });
        std::fputc('\b', stderr);
    }
    std::fputc(' ', stderr);
    std::fputc('\b', stderr);
}

void WorkingNotice::Finish(bool succeeded)
{
    if (finished) return;
    finished = true;
    if (spinner.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stop = true;
        }
        wake.notify_one();
        spinner.join();
    }
    if (!shown) return;
    if (kind == Transient) {
        std::fprintf(stderr, "\r%*s\r", static_cast<int>(text.size() + 1), "");
    } else {
        std::fputs(succeeded ? "done\n" : "failed\n", stderr);
    }
    std::fflush(stderr);
}

} // namespace kxvds
