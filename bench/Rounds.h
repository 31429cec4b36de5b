// Timing by interleaved rounds: on a shared, busy machine two operations are
// compared fairly only when they run close together in time, on the thread's
// own CPU clock, and the round that a burst of load spoiled does not count.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Seconds of CPU time this thread has used.
double ThreadCpuSeconds();

// Rounds per comparison: KXVDS_BENCH_ROUNDS, 15 unless set.
int RoundsWanted();

struct PairTiming {
    double first = 0;   // median seconds per operation
    double second = 0;
    double ratio = 0;   // median of the rounds' first / second
};

// Runs `first` and `second` in batches of about `batchSeconds` each, in turn
// (the order swapping every round), `rounds` times. `between` runs after each
// batch, outside the timing.
PairTiming TimePair(const std::function<void()>& first, const std::function<void()>& second, int rounds,
                    const std::function<void()>& between, double batchSeconds = 0.004);

// The median seconds per operation of `operation` alone.
double TimeAlone(const std::function<void()>& operation, int rounds, double batchSeconds = 0.004);

// Least-squares slope of log(y) over log(x).
double Exponent(const std::vector<double>& x, const std::vector<double>& y);

// The figures that the run prints at its end, whatever the benchmark filter.
struct SummaryRow {
    std::string section;
    std::string name;
    double library = 0;    // seconds per operation
    double minimal = 0;    // 0: nothing to compare with
    double ratio = 0;
    double calls = 0;      // per operation, both clients alike
    std::string goal;
};
void AddSummaryRow(const SummaryRow& row);
void PrintSummary();
