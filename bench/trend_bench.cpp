// The trend of the two years of history (HistoryDatabase.h), end to end as the command line
// runs it, beside the straightforward way of getting the same months: comparing each month
// with the comparison's own statements. Repetitions of the benchmarks take turns, so that
// the machine's drift falls on all of them alike; min and median are reported.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "BenchSupport.h"
#include "HistoryDatabase.h"
#include "VerbRun.h"
#include "cli/Cli.h"
#include "compare/MonthComparison.h"
#include "store/Connection.h"

namespace {

using namespace vesk;

void run(const std::string& database, std::vector<std::string> args) { bench::runVerb(database, std::move(args)); }

bench::ScratchFolder& scratch() {
    static bench::ScratchFolder folder;
    return folder;
}

const std::string& history() {
    static const std::string path = bench::preparedHistory(scratch());
    return path;
}

// Before: the months one by one through the comparison's statements.
void BM_TrendByComparingEachMonth(benchmark::State& state) {
    const std::string& path = history();
    std::size_t listed = 0;
    for (auto _ : state) {
        store::Connection db;
        db.open(path);
        const compare::Scope scope = compare::comparisonScope(db);
        listed = 0;
        for (int i = 0; i < bench::kHistoryMonths; ++i)
            listed += compare::compareMonth(db, {bench::kHistoryFirstYear + i / 12, 1 + i % 12}, scope).offices.size();
    }
    state.counters["offices listed"] = double(listed);
}
BENCHMARK(BM_TrendByComparingEachMonth)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ComputeStatistics("min", bench::least);

// After: the verbs, from the sums kept per office and month.
void BM_TrendVerb(benchmark::State& state) {
    const std::string& path = history();
    for (auto _ : state) run(path, {"trend"});
}
BENCHMARK(BM_TrendVerb)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3)
    ->Repetitions(5)
    ->ComputeStatistics("min", bench::least);

void BM_TrendOfficesVerb(benchmark::State& state) {
    const std::string& path = history();
    for (auto _ : state) run(path, {"trend", "--offices"});
}
BENCHMARK(BM_TrendOfficesVerb)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3)
    ->Repetitions(5)
    ->ComputeStatistics("min", bench::least);

// Once, on the first trend after the layout gains the totals: built from every row.
void BM_BuildTotalsFromTwoYears(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const std::string copy = scratch().file("build.db");
        std::filesystem::remove(copy);
        std::filesystem::copy_file(history(), copy);
        {
            store::Connection db;
            db.open(copy);
            db.execute("DELETE FROM office_month_marks");
        }
        state.ResumeTiming();
        run(copy, {"trend"});
    }
}
BENCHMARK(BM_BuildTotalsFromTwoYears)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(2)
    ->ComputeStatistics("min", bench::least);

}  // namespace

// Statistics only, the repetitions interleaved, unless the command line says otherwise.
int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char statistics[] = "--benchmark_report_aggregates_only=true";
    args.insert(args.begin() + 1, {interleave, statistics});
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
