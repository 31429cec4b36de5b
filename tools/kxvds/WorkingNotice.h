// Shows that a blocking call is at work: "Formatting ... done" on stderr,
// with a turning spinner between while stderr is a terminal. stdout stays
// clean for --json.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace kxvds {

class WorkingNotice {
public:
    enum Kind {
        Lasting,    // the line stays: "Formatting partition 1... done"
        Transient,  // only on a terminal, and wiped afterwards (connecting)
    };

    WorkingNotice(const std::string& what, Kind kind);
    ~WorkingNotice();
    WorkingNotice(const WorkingNotice&) = delete;
    WorkingNotice& operator=(const WorkingNotice&) = delete;

    void Finish(bool succeeded);

private:
    void Spin();

    std::string text;
    Kind kind;
    bool shown = false;
    bool finished = false;
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    std::thread spinner;
};

} // namespace kxvds
