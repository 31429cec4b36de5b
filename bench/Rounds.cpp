#include "Rounds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

int RoundsWanted()
{
    const char* text = std::getenv("KXVDS_BENCH_ROUNDS");
    const int rounds = text ? std::atoi(text) : 15;
    return rounds > 0 ? rounds : 15;
}

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// How many operations fill a batch, from one timed call (which also warms up).
int BatchSize(const std::function<void()>& operation, double batchSeconds)
{
    const double start = ThreadCpuSeconds();
    operation();
    const double once = std::max(ThreadCpuSeconds() - start, 1e-7);
    return std::max(1, static_cast<int>(batchSeconds / once));
}

double TimeBatch(const std::function<void()>& operation, int count)
{
    const double start = ThreadCpuSeconds();
    for (int i = 0; i < count; ++i) operation();
    return (ThreadCpuSeconds() - start) / count;
}

std::vector<SummaryRow>& Rows()
{
    static std::vector<SummaryRow> rows;
    return rows;
}

std::string Time(double seconds)
{
    char text[32];
    if (seconds >= 1e-3)
        std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    else
        std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
    return text;
}

} // namespace

PairTiming TimePair(const std::function<void()>& first, const std::function<void()>& second, int rounds,
                    const std::function<void()>& between, double batchSeconds)
{
    const int firstCount = BatchSize(first, batchSeconds);
    const int secondCount = BatchSize(second, batchSeconds);
    between();
    std::vector<double> a, b, ratios;
    for (int round = 0; round < rounds; ++round) {
        double x, y;
        if (round % 2 == 0) {
            x = TimeBatch(first, firstCount);
            between();
            y = TimeBatch(second, secondCount);
        } else {
            y = TimeBatch(second, secondCount);
            between();
            x = TimeBatch(first, firstCount);
        }
        between();
        a.push_back(x);
        b.push_back(y);
        ratios.push_back(x / y);
    }
    return PairTiming{Median(a), Median(b), Median(ratios)};
}

double TimeAlone(const std::function<void()>& operation, int rounds, double batchSeconds)
{
    const int count = BatchSize(operation, batchSeconds);
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) times.push_back(TimeBatch(operation, count));
    return Median(times);
}

double Exponent(const std::vector<double>& x, const std::vector<double>& y)
{
    const size_t n = std::min(x.size(), y.size());
    if (n < 2) return 0;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (size_t i = 0; i < n; ++i) {
        const double lx = std::log(x[i]), ly = std::log(y[i]);
        sx += lx;
        sy += ly;
        sxx += lx * lx;
        sxy += lx * ly;
    }
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

void AddSummaryRow(const SummaryRow& row)
{
    Rows().push_back(row);
}

void PrintSummary()
{
    if (Rows().empty()) return;
    std::printf("\nLibrary against the minimal client (thread CPU time; medians of %d interleaved rounds)\n",
                RoundsWanted());
    std::string section;
    for (const SummaryRow& row : Rows()) {
        if (row.section != section) {
            section = row.section;
            std::printf("\n%-42s %12s %12s %7s %10s  %s\n", section.c_str(), "library", "minimal", "ratio", "calls",
                        "goal");
        }
        if (row.minimal == 0) {
            std::printf("%-42s %12s\n", row.name.c_str(), Time(row.library).c_str());
            continue;
        }
        std::printf("%-42s %12s %12s %7.2f %10.0f  %s\n", row.name.c_str(), Time(row.library).c_str(),
                    Time(row.minimal).c_str(), row.ratio, row.calls, row.goal.c_str());
    }
    // Exponents of each scaling series: time and calls against its size.
    std::map<std::string, std::vector<const SummaryRow*>> series;
    for (const SummaryRow& row : Rows())
        if (row.section.rfind("Scaling", 0) == 0) series[row.section].push_back(&row);
    for (const auto& [name, rows] : series) {
        std::vector<double> size, library, minimal, calls;
        for (const SummaryRow* row : rows) {
            // The smallest size only shows the fixed cost; the fit starts after it.
            const double n = std::atof(row->name.c_str() + row->name.find_first_of("0123456789"));
            if (row == rows.front() && rows.size() > 2) continue;
            size.push_back(n);
            library.push_back(row->library);
            minimal.push_back(row->minimal);
            calls.push_back(row->calls);
        }
        std::printf("%s exponents over %.0f..%.0f: library time %.2f, minimal time %.2f, calls %.2f\n",
                    name.c_str(), size.front(), size.back(), Exponent(size, library), Exponent(size, minimal),
                    Exponent(size, calls));
    }
}
