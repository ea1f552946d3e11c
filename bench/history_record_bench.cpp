// What recording an import costs beside the import itself (report_bench's 100,000-row
// CTR month): hashing the workbook, summing the rows it wrote, summing a month about to be
// deleted, and reading a long history.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "ctr/BankWording.h"
#include "history/ImportHistory.h"
#include "report/ReportScreen.h"
#include "report/ReportStatements.h"
#include "sample/SampleSet.h"

using vesk::bench::Person;
using vesk::bench::ScratchFolder;

namespace {

constexpr int kRows = 100000;

ScratchFolder& folder() {
    static ScratchFolder f;
    return f;
}

const std::string& sampleWorkbook() {
    static const std::string path = [] {
        std::string p = folder().file(vesk::sample::ctrFileName(2025, 4));
        vesk::sample::SampleOptions o;
        o.offices = 400;
        o.rows = kRows;
        o.seed = 42;
        vesk::sample::writeCtrReport(p, vesk::sample::generateSample(o));
        return p;
    }();
    return path;
}

// A database holding the month, imported as the form imports it.
vesk::store::Connection& importedMonth() {
    static Person person(sampleWorkbook());
    static vesk::report::ReportScreen report(vesk::ctr::bankCtr(), folder().file("ZETTools.db"), person);
    static const bool imported = report.importWorkbook();
    if (!imported) std::abort();
    return report.connection();
}

void BM_DigestCtrWorkbook(benchmark::State& state) {
    const std::string& path = sampleWorkbook();
    for (auto _ : state) benchmark::DoNotOptimize(vesk::history::digestFile(path));
    state.SetBytesProcessed(state.iterations() * std::int64_t(std::filesystem::file_size(path)));
}
BENCHMARK(BM_DigestCtrWorkbook)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TotalsOfTheRowsWritten(benchmark::State& state) {
    vesk::store::Connection& db = importedMonth();
    const std::string sql = vesk::report::rowsAfterTotalsStatement(vesk::ctr::bankReport());
    for (auto _ : state) benchmark::DoNotOptimize(db.query(sql, {std::int64_t{0}}));
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_TotalsOfTheRowsWritten)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a month's deletion adds: the deposits and withdrawals of the rows it is about to remove.
void BM_TotalsOfAMonthDeleted(benchmark::State& state) {
    vesk::store::Connection& db = importedMonth();
    const std::string sql = vesk::report::shownMonthTotalsStatement(vesk::ctr::bankReport());
    for (auto _ : state) benchmark::DoNotOptimize(db.query(sql, {"Apr", "2025", std::int64_t{202504}}));
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_TotalsOfAMonthDeleted)->Unit(benchmark::kMillisecond)->UseRealTime();

// Ten years of a busy office: a few thousand records, read for the History window.
void BM_ReadLongHistory(benchmark::State& state) {
    ScratchFolder dir;
    vesk::store::Connection db;
    db.open(dir.file("ZETTools.db"));
    {
        vesk::store::Transaction tx = db.begin();
        vesk::history::Change c;
        c.action = vesk::history::Action::CtrImport;
        c.file = vesk::history::FileDigest{"vesk_ctr_Apr_2025.xlsx", 7000000, std::string(64, 'a')};
        c.rows = kRows;
        c.deposits = 30826726.62;
        c.withdrawals = 20027014.88;
        for (int i = 0; i < state.range(0); ++i) {
            c.year = 2020 + i / 300;
            c.month = 1 + i % 12;
            vesk::history::recordChange(db, c, vesk::DateTime{2026, 12, 6, 10, 15, 0});
        }
        tx.commit();
    }
    for (auto _ : state) benchmark::DoNotOptimize(vesk::history::records(db, vesk::history::Form::Ctr));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadLongHistory)->Arg(3000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
