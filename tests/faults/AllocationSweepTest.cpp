// Every operation of the sweep, with every log record written, in two states:
// the process logger open, and just ended by a client's object (so that the
// operation's first record makes it anew). In each, the operation runs once
// cleanly counting the allocations that the library makes, then once per
// allocation with that one failing, and again failing from that one on; each
// run on a fresh machine. Every run must end with nothing thrown and nothing
// left behind, report success only with the clean run's outcome or a
// promised fallback, and leave objects that still work: the operation
// repeated at once, nothing failing, does what the clean run did where the
// failed run changed nothing, else what it does after the clean run.
#include "common/ScratchLog.h"
#include "faults/LibraryAllocations.h"
#include "faults/SweepOperations.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

struct Runs {
    Outcome first;  // with allocations failing
    Outcome repeat; // the same at once on the same objects, nothing failing
    int allocations = 0;
};

Runs RunFailing(const Operation& op, bool loggerEnded, int failAt, bool onward)
{
    Runs r;
    r.first = RunOnFreshMachine(
        op,
        [&](Session& s, Outcome& out) {
            if (loggerEnded) DiskPtr(GetVdsDiskInterface()).reset();
            LibraryAllocations allocations(failAt, onward);
            EXPECT_NO_THROW(op.run(s, out));
            r.allocations = allocations.Count();
        },
        [&](Session& s) { r.repeat = RunStep(s, op.run); });
    return r;
}

std::string Text(const Outcome& o)
{
    return o.result + " " + o.output + " [" + o.volume + "] new paths " + o.newPaths;
}

int totalPoints = 0;
int totalRuns = 0;

class AllocationSweep : public testing::TestWithParam<Operation> {
public:
    static void TearDownTestSuite()
    {
        std::printf("allocation sweep: %d failure points, %d runs\n", totalPoints, totalRuns);
    }
};

TEST_P(AllocationSweep, EveryAllocationFailureIsSurvivedAndNeverCalledSuccess)
{
    const Operation& op = GetParam();
    const ScratchLog log;
    const Outcome start = RunOnFreshMachine(op, [](Session&, Outcome&) {});
    // The first run also makes what the process keeps (the module's version
    // name): counted are the runs after it.
    RunFailing(op, false, 0, false);

    int points[2] = {};
    int runs = 0;
    int fallbacks[kFallbacks] = {};
    for (const bool loggerEnded : {false, true}) {
        const Runs clean = RunFailing(op, loggerEnded, 0, false);
        ASSERT_TRUE(clean.first.succeeded) << clean.first.result;
        points[loggerEnded] = clean.allocations;
        for (const bool onward : {false, true}) {
            for (int failAt = 1; failAt <= clean.allocations; ++failAt) {
                SCOPED_TRACE(std::string(loggerEnded ? "logger ended, " : "logger open, ") +
                             (onward ? "from allocation " : "allocation ") + std::to_string(failAt));
                const Runs run = RunFailing(op, loggerEnded, failAt, onward);
                ++runs;
                ++fallbacks[static_cast<int>(Judge(op, clean.first, run.first, Excuses()))];
                const Outcome& expected = run.first.machine == start.machine ? clean.first : clean.repeat;
                EXPECT_EQ(expected, run.repeat) << "repeat: " << Text(run.repeat) << "\n expected: " << Text(expected);
                if (HasFailure()) return;
            }
        }
    }
    totalPoints += points[0] + points[1];
    totalRuns += runs;
    RecordProperty("failure_points", points[0] + points[1]);
    RecordProperty("runs", runs);
    std::printf("%s: %d failure points with the logger open, %d with it ended, %d runs%s\n", op.name, points[0],
                points[1], runs, FallbackSummary(fallbacks).c_str());
}

INSTANTIATE_TEST_SUITE_P(Operations, AllocationSweep, testing::ValuesIn(SweepOperations()),
                         [](const testing::TestParamInfo<Operation>& info) { return info.param.name; });

} // namespace
