// Peak memory and time of the imports, each run in a child process of its own so that the
// peak it reports (ru_maxrss of the child) is that import's alone: the bank CTR import of
// the 100,000-row and the 1,000,000-row sample month, and the ORV receipts of the
// 100,000-row month (about 47,000 rows) saved as .xls.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <string>

#include "BenchSupport.h"
#include "BiffWriter.h"
#include "ctr/BankWording.h"
#include "orv/OrvWording.h"
#include "report/ReportScreen.h"
#include "sample/SampleSet.h"
#include "sheet/Workbook.h"
#include "store/Connection.h"

using vesk::bench::Person;
using vesk::bench::ScratchFolder;

namespace {

ScratchFolder& scratch() {
    static ScratchFolder folder;
    return folder;
}

// Runs fn in a child; waits, and returns the child's peak resident memory in MB. The child
// reports the seconds fn took through a pipe.
template <typename Fn>
double inChild(Fn fn, double& seconds) {
    int fds[2];
    if (pipe(fds) != 0) std::abort();
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const double s = fn();
        if (write(fds[1], &s, sizeof s) != sizeof s) _exit(2);
        _exit(s >= 0 ? 0 : 1);
    }
    close(fds[1]);
    seconds = -1;
    if (read(fds[0], &seconds, sizeof seconds) != sizeof seconds) seconds = -1;
    close(fds[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) seconds = -1;
    return double(usage.ru_maxrss) / 1024.0;
}

// The sample month's folder for this many bank rows, written once (in a child, so the
// generator's memory is not this process's).
const vesk::sample::SampleSet& sampleMonth(int rows) {
    static std::map<int, vesk::sample::SampleSet> sets;
    auto it = sets.find(rows);
    if (it != sets.end()) return it->second;
    vesk::sample::SampleOptions o;
    o.offices = 400;
    o.rows = rows;
    o.seed = 42;
    const std::string folder = scratch().file("month-" + std::to_string(rows));
    double ignored = 0;
    inChild(
        [&] {
            vesk::sample::writeSampleSet(folder, o);
            return 0.0;
        },
        ignored);
    if (ignored < 0) std::abort();
    vesk::sample::SampleSet set;
    set.ctrPath = folder + "/" + vesk::sample::ctrFileName(2025, 4);
    set.orvReceiptsPath = folder + "/" + vesk::sample::orvFileName(2025, 4, true);
    return sets.emplace(rows, set).first->second;
}

// The ORV receipts of the 100,000-row month as .xls: every cell read from the sample
// workbook and written as BIFF8.
const std::string& receiptsXls() {
    static const std::string path = [] {
        const std::string out = scratch().file("orv_receipts.xls");
        double ignored = 0;
        inChild(
            [&] {
                vesk::bench::saveAsXls(sampleMonth(100000).orvReceiptsPath, out);
                return 0.0;
            },
            ignored);
        if (ignored < 0) std::abort();
        return out;
    }();
    return path;
}

// One import into a fresh database, timed from the click; -1 when it stored other than expected.
double importOnce(const vesk::report::Report& report, const std::string& file, const char* table,
                  std::int64_t expected) {
    ScratchFolder dir;
    Person person(file);
    vesk::report::ReportScreen form(report, dir.file("ZETTools.db"), person);
    form.connection().open(dir.file("ZETTools.db"));  // creating the file is not the import
    const auto start = std::chrono::steady_clock::now();
    if (!form.importWorkbook()) return -1;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::int64_t stored = form.connection().scalar(std::string("SELECT COUNT(*) FROM ") + table).toInt();
    return expected < 0 || stored == expected ? seconds : -1;
}

void runImport(benchmark::State& state, const vesk::report::Report& report, const std::string& file, const char* table,
               std::int64_t expected) {
    double peak = 0;
    for (auto _ : state) {
        double seconds = 0;
        peak = inChild([&] { return importOnce(report, file, table, expected); }, seconds);
        if (seconds < 0) {
            state.SkipWithError("the import failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["peak_RSS_MB"] = peak;
}

void BM_ImportCtrPeak(benchmark::State& state) {
    const int rows = int(state.range(0));
    runImport(state, vesk::ctr::bankCtr(), sampleMonth(rows).ctrPath, "veskfinacle", rows);
}
BENCHMARK(BM_ImportCtrPeak)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ComputeStatistics("min", vesk::bench::least)
    ->DisplayAggregatesOnly(true);

void BM_ImportOrvReceiptsXls(benchmark::State& state) {
    runImport(state, vesk::orv::orvReports(), receiptsXls(), "orvtable", -1);
}
BENCHMARK(BM_ImportOrvReceiptsXls)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ComputeStatistics("min", vesk::bench::least)
    ->DisplayAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
