// The public operations that the sweeps fail, on a realistic machine, and
// what a caller can tell of their outcome. Each sweep runs an operation once
// cleanly, then once per point it can fail, each run on a fresh machine.
#pragma once

#include "common/DiskHandles.h"
#include "kxemu/KXEmulator.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

// What an operation leaves behind, as far as a caller can tell.
struct Outcome {
    bool succeeded = true;
    std::string result;   // "ok", a failure code, or a getter's value
    std::string output;   // what it handed out
    std::string volume;   // the volume a handed-out partition object found
    std::string machine;  // the machine afterwards, new volumes without their paths
    std::string newPaths; // the access paths of volumes the operation made

    bool operator==(const Outcome& o) const
    {
        return succeeded == o.succeeded && result == o.result && output == o.output && volume == o.volume &&
               machine == o.machine && newPaths == o.newPaths;
    }
};

struct Session {
    kxemu::KXEmulator& emu;
    DiskPtr disk;
    PartitionPtr partition;
};

enum class Shape { Call, Getter, Lookup, Creation };

using Step = std::function<void(Session&, Outcome&)>;

struct Operation {
    const char* name;
    int disk;           // connected first; -1 for none
    ULONG partition;    // opened by number first; 0 for none
    Shape shape;
    Step run;
};

const std::vector<Operation>& SweepOperations();

// Names the operation in test names and messages.
void PrintTo(const Operation& op, std::ostream* os);

std::string Hex(ULONGLONG v);

// Runs `step` (op.run, or something around it) and takes what it left behind.
Outcome RunStep(Session& s, const Step& step);

// One run of `op` on a fresh machine, with its disk connected and its
// partition opened; `run` stands in for op.run, `afterwards` gets the session
// once the outcome is taken. Ends by checking that nothing of the service is
// left. Disk 1 holds a FAT32 primary (1) with E: and a mount folder, an
// extended partition (2) with two NTFS logical drives (5, 6) and a primary
// without a file system (3); disk 2 is blank.
Outcome RunOnFreshMachine(const Operation& op, const Step& run,
                          const std::function<void(Session&)>& afterwards = nullptr);

// A success that differs from the clean run is one of the fallbacks that the
// library promises, or a failure reported as success.
enum class Fallback {
    None,
    GetterAnswersZero,      // a getter's answer when it cannot tell
    ObjectWithoutVolume,    // a partition object handed out although Init failed
    PartitionWithoutLetter, // created, but mounting failed or found the letter in use
    LaterAttempt,           // a failed attempt retried 2 MiB further on
};
constexpr int kFallbacks = 5;
extern const char* const kFallbackNames[kFallbacks];

// What the failure injected may account for, beyond the library's fallbacks.
struct Excuses {
    bool letterTaken = false; // the drive type said the clean run's letter is in use
    bool laterAttempt = false; // an attempt of the creation failed
};

// Adds a test failure for a success with another outcome than the clean
// run's that no fallback explains.
Fallback Judge(const Operation& op, const Outcome& clean, const Outcome& run, const Excuses& excuses);

// ", name: count" for each fallback seen.
std::string FallbackSummary(const int (&fallbacks)[kFallbacks]);
