// Importing a month of the bank's CTR report: the 100,000-row sample workbook into a fresh
// database, as the form's import button does it (read, one transaction, summary refreshed).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "ctr/BankWording.h"
#include "report/ReportScreen.h"
#include "sample/SampleSet.h"

using vesk::bench::peakMegabytes;
using vesk::bench::Person;
using vesk::bench::ScratchFolder;

namespace {

constexpr int kRows = 100000;

// The sample workbook, written once by a child process so that the peak memory this
// process reports is the import's own, not the generator's.
const std::string& sampleWorkbook() {
    static ScratchFolder folder;
    static const std::string path = [] {
        std::string p = folder.file(vesk::sample::ctrFileName(2025, 4).c_str());
        const pid_t child = fork();
        if (child == 0) {
            vesk::sample::SampleOptions o;
            o.offices = 400;
            o.rows = kRows;
            o.seed = 42;
            vesk::sample::writeCtrReport(p, vesk::sample::generateSample(o));
            _exit(0);
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            std::abort();
        return p;
    }();
    return path;
}

void BM_ImportCtrWorkbook(benchmark::State& state) {
    Person person(sampleWorkbook());
    std::int64_t stored = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ScratchFolder dir;
        vesk::report::ReportScreen report(vesk::ctr::bankCtr(), dir.file("ZETTools.db"), person);
        report.connection().open(dir.file("ZETTools.db"));  // creating the file is not the import
        state.ResumeTiming();
        if (!report.importWorkbook()) state.SkipWithError("the import failed");
        state.PauseTiming();
        stored = report.connection().scalar("SELECT COUNT(*) FROM veskfinacle").toInt();
        state.ResumeTiming();
    }
    if (stored != kRows) state.SkipWithError("not every row was stored");
    state.SetItemsProcessed(state.iterations() * kRows);
    state.counters["peak_RSS_MB"] = peakMegabytes();
}
BENCHMARK(BM_ImportCtrWorkbook)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
