// One trace record beside the two file calls it needs at the least: a move to
// the end (another writer may have appended) and the write of its line.
#include "BenchSupport.h"
#include "MinimalClient.h"
#include "Rounds.h"
#include "log/KXLogger.h"
#include "support/KXResource.h"

#include <fstream>
#include <iterator>
#include <string>

namespace {

const WCHAR kLine[] = KXW("Disk properties: BPS: 512 - Size: 68719476736 - SPT: 63\r\n");
const DWORD kLineBytes = sizeof(kLine) - sizeof(WCHAR);

void Record(KX_LOGGER& logger)
{
    logger.LogTrace("Disk properties: BPS: %u - Size: %I64d - SPT: %u", 512u, 68719476736LL, 63u);
}

bool EndsWithLine(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes.size() >= kLineBytes &&
           bytes.compare(bytes.size() - kLineBytes, kLineBytes, reinterpret_cast<const char*>(kLine), kLineBytes) == 0;
}

void BM_Ratio_LogRecord(benchmark::State& state)
{
    ScratchDirectory directory(11);
    KX_LOGGER logger;
    const KXUniqueFile plain(CreateFileW(KXW("plain.log"), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr));
    Record(logger);
    if (!logger.opened || !plain.valid() || !EndsWithLine("bench.log")) {
        state.SkipWithError("the record's line is not the one the plain writes copy");
        return;
    }
    const auto write = [&plain] {
        DWORD written = 0;
        WriteFile(plain.get(), kLine, kLineBytes, &written, nullptr);
    };
    const auto seekAndWrite = [&plain, &write] {
        SetFilePointer(plain.get(), 0, nullptr, FILE_END);
        write();
    };
    for (auto _ : state) {
        const PairTiming two = TimePair([&logger] { Record(logger); }, seekAndWrite, RoundsWanted(), [] {});
        const PairTiming one = TimePair([&logger] { Record(logger); }, write, RoundsWanted(), [] {});
        state.SetIterationTime(two.first);
        state.counters["record_us"] = two.first * 1e6;
        state.counters["ratio_seek_write"] = two.ratio;
        state.counters["ratio_write"] = one.ratio;
        AddSummaryRow({"Log record", "trace record / SetFilePointer+WriteFile", two.first, two.second, two.ratio, 2,
                       "<= 1.5"});
        AddSummaryRow({"Log record", "trace record / WriteFile", one.first, one.second, one.ratio, 1, ""});
    }
}
BENCHMARK(BM_Ratio_LogRecord)->Iterations(1)->UseManualTime();

// What every disk and partition object pays once: its logger looks for
// KX_LOG.INI, opens the log when there is one, and ends with the object.
// Without the file, beside the lookup alone.
void BM_LoggerStartAndEnd(benchmark::State& state)
{
    const bool logging = state.range(0) != 0;
    ScratchDirectory directory(logging ? 11 : 0);
    const auto life = [] { delete new KX_LOGGER; };
    for (auto _ : state) {
        const char* const section = "Once per disk or partition object";
        if (logging) {
            const double each = TimeAlone(life, RoundsWanted());
            state.SetIterationTime(each);
            AddSummaryRow({section, "logger start and end, LogLevel=11", each, 0, 0, 0, ""});
            continue;
        }
        const PairTiming t = TimePair(life, minimal::LookForLogConfiguration, RoundsWanted(), [] {});
        state.SetIterationTime(t.first);
        AddSummaryRow({section, "logger start and end / KX_LOG.INI lookup", t.first, t.second, t.ratio, 0, ""});
    }
}
BENCHMARK(BM_LoggerStartAndEnd)->ArgName("logging")->Arg(0)->Arg(1)->Iterations(1)->UseManualTime();

} // namespace
