// Speed of the two heavy uses of the database: a month's import (100k rows in one
// transaction) and the month filter with exact sums the comparison runs over every row.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "store/Connection.h"
#include "store/Schema.h"

using namespace vesk::store;

#include "BenchSupport.h"

using vesk::bench::ScratchFolder;

namespace {

constexpr int kRows = 100000;

// One bank row as the import writes it: eleven texts.
std::vector<Value> bankRow(int i) {
    char date[32], amount[32], id[16], facility[16];
    const int month = 3 + i % 3;  // March to May
    const int day = 1 + i % 28;
    if (i % 4 == 0)
        std::snprintf(date, sizeof date, "%02d/%02d/2025 %02d:%02d:00", day, month, 9 + i % 8, i % 60);
    else
        std::snprintf(date, sizeof date, "%02d/%02d/2025", day, month);
    std::snprintf(amount, sizeof amount, "%d.%02d", 100 + (i * 7919) % 90000, i % 100);
    std::snprintf(id, sizeof id, "T%07d", i);
    std::snprintf(facility, sizeof facility, "PF%04d", i % 500);
    return {id,     date, date, i % 3 ? "DEPOSIT" : "WITHDRAWAL", amount, facility, "1234567890", "Name", "Particulars",
            "BR01", ""};
}

std::string literalInsert(const std::vector<Value>& row) {
    std::string sql = "INSERT INTO veskfinacle VALUES (";
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i) sql += ',';
        sql += quote(row[i].toText());
    }
    return sql + ")";
}

void insertPrepared(Connection& db, const std::vector<std::vector<Value>>& rows) {
    Transaction tx = db.begin();
    Statement insert = db.prepare("INSERT INTO veskfinacle VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const auto& row : rows) insert.execute(row);
    tx.commit();
}

const std::vector<std::vector<Value>>& bankRows() {
    static const std::vector<std::vector<Value>> rows = [] {
        std::vector<std::vector<Value>> r;
        r.reserve(kRows);
        for (int i = 0; i < kRows; ++i) r.push_back(bankRow(i));
        return r;
    }();
    return rows;
}

// Times an import into a fresh encrypted file each iteration; creating the file is not timed.
template <typename Import>
void timeImports(benchmark::State& state, Import import) {
    for (auto _ : state) {
        state.PauseTiming();
        ScratchFolder dir;
        Connection db;
        db.open(dir.file("ZETTools.db"));
        state.ResumeTiming();
        import(db);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

// 100k rows through one prepared statement into a fresh encrypted file, committed.
void BM_ImportPrepared(benchmark::State& state) {
    const auto& rows = bankRows();
    timeImports(state, [&](Connection& db) { insertPrepared(db, rows); });
}
BENCHMARK(BM_ImportPrepared)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same rows as one quoted INSERT text each, the way a statement built as text runs.
void BM_ImportLiteralText(benchmark::State& state) {
    std::vector<std::string> statements;
    for (const auto& row : bankRows()) statements.push_back(literalInsert(row));
    timeImports(state, [&](Connection& db) {
        Transaction tx = db.begin();
        for (const std::string& sql : statements) db.execute(sql);
        tx.commit();
    });
}
BENCHMARK(BM_ImportLiteralText)->Unit(benchmark::kMillisecond)->UseRealTime();

// Opening an existing file: the key derivation dominates.
void BM_OpenExisting(benchmark::State& state) {
    ScratchFolder dir;
    {
        Connection db;
        db.open(dir.file("ZETTools.db"));
    }
    for (auto _ : state) {
        Connection db;
        db.open(dir.file("ZETTools.db"));
    }
}
BENCHMARK(BM_OpenExisting)->Unit(benchmark::kMillisecond)->UseRealTime();

class Filled {
  public:
    Filled() {
        m_db.open(m_dir.file("ZETTools.db"));
        insertPrepared(m_db, bankRows());
    }
    Connection& db() { return m_db; }

  private:
    ScratchFolder m_dir;
    Connection m_db;
};

Filled& filled() {
    static Filled f;
    return f;
}

// Runs a month's grouped sums over the filled table, checking it finds every office.
void runGroupedSum(benchmark::State& state, const std::string& sql) {
    Connection& db = filled().db();
    std::size_t groups = 0;
    for (auto _ : state) groups = db.query(sql).rowCount();
    if (groups != 500) state.SkipWithError("wrong number of groups");
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The month filter and the exact sums over every row, grouped by office.
void BM_MonthSumDialect(benchmark::State& state) {
    runGroupedSum(state,
                  "SELECT FACILITY_ID, Sum(IIf(CASH_TRAN_TYPE = 'DEPOSIT', Val(TRAN_AMT), 0)) AS Dep, "
                  "Sum(IIf(CASH_TRAN_TYPE = 'WITHDRAWAL', Val(TRAN_AMT), 0)) AS Wdl FROM veskfinacle "
                  "WHERE Year(CDate(Tran_Date)) = 2025 AND Month(CDate(Tran_Date)) = 4 GROUP BY FACILITY_ID");
}
BENCHMARK(BM_MonthSumDialect)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same work with the engine's own functions only, to show what the dialect costs.
void BM_MonthSumEngineOnly(benchmark::State& state) {
    runGroupedSum(
        state,
        "SELECT FACILITY_ID, total(CASE WHEN CASH_TRAN_TYPE = 'DEPOSIT' THEN TRAN_AMT + 0 ELSE 0 END) AS Dep, "
        "total(CASE WHEN CASH_TRAN_TYPE = 'WITHDRAWAL' THEN TRAN_AMT + 0 ELSE 0 END) AS Wdl FROM veskfinacle "
        "WHERE substr(Tran_Date, 7, 4) = '2025' AND substr(Tran_Date, 4, 2) = '04' GROUP BY FACILITY_ID");
}
BENCHMARK(BM_MonthSumEngineOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
