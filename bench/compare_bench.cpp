// The month's comparison on a database of two years (HistoryDatabase.h).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "HistoryDatabase.h"
#include "compare/CompareScreen.h"
#include "compare/ExplainScreen.h"
#include "compare/GridFilter.h"
#include "compare/LeftOut.h"
#include "report/ReportMonths.h"
#include "store/Connection.h"

namespace {

using namespace vesk;

constexpr int kComparedYear = 2026;
constexpr int kComparedMonth = 6;

const std::string& database() {
    static const std::string path = bench::historyDatabase();
    return path;
}

void selectComparedMonth(compare::CompareScreen& logic) {
    logic.load();
    logic.chooseYear(kComparedYear - 2025);
    logic.chooseMonth(kComparedMonth - 1);
}

void countRows(benchmark::State& state, compare::CompareScreen& logic) {
    state.counters["bank rows"] = logic.connection().scalar("SELECT COUNT(*) FROM veskfinacle").toNumber();
    state.counters["ORV rows"] = logic.connection().scalar("SELECT COUNT(*) FROM orvtable").toNumber();
}

// Compare: one statement totals the month per office on both sides; the grid is filled.
void BM_ConsolidatedComparison(benchmark::State& state) {
    bench::Person prompter;
    compare::CompareScreen logic(database(), prompter);
    selectComparedMonth(logic);
    for (auto _ : state) {
        if (!logic.compare()) state.SkipWithError(prompter.last.c_str());
    }
    state.counters["offices listed"] = double(logic.consolidated().rows.size()) - 1;
    countRows(state, logic);
}
BENCHMARK(BM_ConsolidatedComparison)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// What the explanation window waits for after Explain with "All": its own connection, the
// comparison's offices, their rows of the month and 3 days each side, paired.
void BM_ExplainWindowJob(benchmark::State& state) {
    bench::Person prompter;
    compare::ExplainScreen screen(database(), prompter);
    std::size_t rows = 0;
    for (auto _ : state) {
        compare::ExplainScreen::Job job = screen.open({{kComparedYear, kComparedMonth}, std::nullopt, std::nullopt});
        screen.finished(job.ticket, job.run());
        rows = screen.shown().size();
    }
    screen.showMatchedRows(true);
    state.counters["exceptions"] = double(rows);
    state.counters["rows"] = double(screen.shown().size());
}
BENCHMARK(BM_ExplainWindowJob)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// "All" in the office list: the differing dates of every listed office, from both sides.
void BM_DetailedComparisonAll(benchmark::State& state) {
    bench::Person prompter;
    compare::CompareScreen logic(database(), prompter);
    logic.blinker().setDuration(std::chrono::milliseconds(0));
    selectComparedMonth(logic);
    if (!logic.compare()) state.SkipWithError(prompter.last.c_str());
    for (auto _ : state) {
        if (!logic.chooseOffice(0)) state.SkipWithError(prompter.last.c_str());
    }
    state.counters["dates listed"] = double(logic.detailed().rows.size());
}
BENCHMARK(BM_DetailedComparisonAll)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// What the comparison leaves out of the month: the bank's facility ids walked through the
// month index, the ORV side grouped by office once per list.
void BM_LeftOut(benchmark::State& state) {
    store::Connection db;
    db.open(database());
    const compare::Scope scope = compare::comparisonScope(db);
    std::size_t groups = 0;
    for (auto _ : state) {
        const compare::LeftOut leftOut = compare::listLeftOut(db, {kComparedYear, kComparedMonth}, scope);
        groups = leftOut.unknownFacilities.groups.size() + leftOut.orvOnlyOffices.groups.size() +
                 leftOut.unknownOffices.groups.size();
    }
    state.counters["groups"] = double(groups);
}
BENCHMARK(BM_LeftOut)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The year lists: one seek per year of each table's month index.
void BM_OfferedYears(benchmark::State& state) {
    store::Connection db;
    db.open(database());
    for (auto _ : state) benchmark::DoNotOptimize(report::offeredYears(db, DateTime{2026, 7, 1}));
}
BENCHMARK(BM_OfferedYears)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// One keystroke in the search box over a grid of 5,000 offices.
void BM_FilterRows(benchmark::State& state) {
    compare::Grid grid;
    grid.headers.assign(9, "h");
    for (int i = 0; i < 5000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Office %04d S.O", i);
        grid.rows.push_back({{{"1"}, {"F"}, {name}}, false, true});
    }
    grid.rows.push_back({{{""}, {""}, {"TOTAL (5000)"}}, true, true});
    int n = 0;
    for (auto _ : state) {
        compare::filterRows(grid, ++n % 2 ? "OFFICE 12" : "office 4");
        benchmark::DoNotOptimize(grid.rows.data());
    }
}
BENCHMARK(BM_FilterRows)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
