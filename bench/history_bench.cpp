// The month's jobs end to end, as the command line runs them, on two years of history
// (HistoryDatabase.h) and on the 100,000-row month itself: compare, detail, explain, the open
// items, the summary, importing the month into the full database and into a fresh one, deleting
// the month.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "BenchSupport.h"
#include "HistoryDatabase.h"
#include "VerbRun.h"
#include "cli/Cli.h"
#include "sample/SampleSet.h"

namespace {

using namespace vesk;

constexpr int kYear = 2026;
constexpr int kMonth = 6;

void run(const std::string& database, std::vector<std::string> args) { bench::runVerb(database, std::move(args)); }

bench::ScratchFolder& scratch() {
    static bench::ScratchFolder folder;
    return folder;
}

// A month's workbooks, the very rows the history holds for it.
std::string sampleFolder(int year, int month) {
    const std::string folder = scratch().file("sample-" + std::to_string(year) + "-" + std::to_string(month));
    if (std::filesystem::exists(folder)) return folder;
    const sample::SampleOptions o = bench::historyMonth(year, month);
    run(scratch().file("unused.db"),
        {"sample", folder, "--offices", std::to_string(o.offices), "--rows", std::to_string(o.rows), "--year",
         std::to_string(o.year), "--month", std::to_string(o.month), "--seed", std::to_string(o.seed)});
    return folder;
}

// The compared month's.
const std::string& sampleFolder() {
    static const std::string path = sampleFolder(kYear, kMonth);
    return path;
}

std::string monthWorkbook() { return sampleFolder() + "/" + sample::ctrFileName(kYear, kMonth); }

const std::string& history() {
    static const std::string path = bench::preparedHistory(scratch());
    return path;
}

void timeVerb(benchmark::State& state, const std::vector<std::string>& args) {
    const std::string& db = history();
    for (auto _ : state) run(db, args);
}

void BM_CompareVerb(benchmark::State& state) {
    timeVerb(state, {"compare", std::to_string(kYear), std::to_string(kMonth)});
}
BENCHMARK(BM_CompareVerb)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_DetailAllVerb(benchmark::State& state) {
    timeVerb(state, {"detail", std::to_string(kYear), std::to_string(kMonth), "All"});
}
BENCHMARK(BM_DetailAllVerb)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Why every listed office differs, its matched rows included: what the explanation
// window reads for "All" as well.
void BM_ExplainAllVerb(benchmark::State& state) {
    timeVerb(state, {"explain", std::to_string(kYear), std::to_string(kMonth), "All", "--matched"});
}
BENCHMARK(BM_ExplainAllVerb)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// What is still open in all 24 months of every office: each time but the first after a
// change, from what an earlier listing stored.
void BM_OpenItemsVerb(benchmark::State& state) {
    const std::string& db = history();
    run(db, {"open-items"});  // stores what the pairing finds
    for (auto _ : state) run(db, {"open-items", "--as-of", "31/12/2026"});
}
BENCHMARK(BM_OpenItemsVerb)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// After the month is imported again: it and the months up to two from it are paired afresh.
void BM_OpenItemsAfterImport(benchmark::State& state) {
    const std::string& db = history();
    const std::string workbook = monthWorkbook();
    run(db, {"open-items"});
    for (auto _ : state) {
        state.PauseTiming();
        run(db, {"import-ctr", workbook, "--yes"});
        state.ResumeTiming();
        run(db, {"open-items", "--as-of", "31/12/2026"});
    }
}
BENCHMARK(BM_OpenItemsAfterImport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The month's routine at the history's end: the newest month's bank workbook comes in (again),
// then the open items: that month and the two before it are paired afresh.
void BM_OpenItemsAfterNewestMonth(benchmark::State& state) {
    const std::string& db = history();
    const int year = bench::kHistoryFirstYear + (bench::kHistoryMonths - 1) / 12;
    const int month = 1 + (bench::kHistoryMonths - 1) % 12;
    const std::string workbook = sampleFolder(year, month) + "/" + sample::ctrFileName(year, month);
    run(db, {"open-items"});
    for (auto _ : state) {
        state.PauseTiming();
        run(db, {"import-ctr", workbook, "--yes"});
        state.ResumeTiming();
        run(db, {"open-items", "--as-of", "31/12/2026"});
    }
}
BENCHMARK(BM_OpenItemsAfterNewestMonth)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The first listing of a file that has stored nothing yet: all 24 months paired.
void BM_OpenItemsFirstTime(benchmark::State& state) {
    const std::string db = scratch().file("first.db");
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(bench::historyDatabase(), db, std::filesystem::copy_options::overwrite_existing);
        run(db, {"summary", "ctr"});  // its layout brought up to date
        state.ResumeTiming();
        run(db, {"open-items", "--as-of", "31/12/2026"});
    }
    std::filesystem::remove(db);
}
BENCHMARK(BM_OpenItemsFirstTime)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// The form's summary as it loads, and after every import or deletion.
void BM_SummaryVerb(benchmark::State& state) { timeVerb(state, {"summary", "ctr"}); }
BENCHMARK(BM_SummaryVerb)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The month again into the two years: its old rows go, the file's come in.
void BM_ImportMonthIntoHistory(benchmark::State& state) { timeVerb(state, {"import-ctr", monthWorkbook(), "--yes"}); }
BENCHMARK(BM_ImportMonthIntoHistory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ImportMonthIntoFreshDatabase(benchmark::State& state) {
    const std::string workbook = monthWorkbook();
    for (auto _ : state) {
        state.PauseTiming();
        bench::ScratchFolder folder;
        const std::string db = folder.file("fresh.db");
        run(db, {"import-master", sampleFolder() + "/" + sample::kOfficeMasterFileName, "--yes"});
        state.ResumeTiming();
        run(db, {"import-ctr", workbook, "--yes"});
    }
}
BENCHMARK(BM_ImportMonthIntoFreshDatabase)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Deleting the month from the two years; it is imported back between the timed runs.
void BM_DeleteMonthFromHistory(benchmark::State& state) {
    const std::string& db = history();
    const std::string workbook = monthWorkbook();
    for (auto _ : state) {
        run(db, {"delete-month", "ctr", std::to_string(kYear), "Jun", "--yes"});
        state.PauseTiming();
        run(db, {"import-ctr", workbook, "--yes"});
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteMonthFromHistory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
