// The month's jobs end to end, as the command line runs them, on years of history
// (HistoryDatabase.h; two years, or ten when built as ten_years) and on the 100,000-row month
// itself: compare, detail, explain, the trend, the open items (the first listing at ten years
// too, the others at two only), the summary, importing the month into the full database and
// into a fresh one, deleting the month; the check, the full check, a backup and the first
// change of a day (which keeps the day's backup first); and the file's size per month.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include "BenchSupport.h"
#include "HistoryDatabase.h"
#include "VerbRun.h"
#include "backup/DailyBackups.h"
#include "cli/Cli.h"
#include "compare/CompareWording.h"
#include "office/Offices.h"
#include "pairs/HandPairs.h"
#include "review/MonthHints.h"
#include "sample/SampleSet.h"

#ifndef VESK_HISTORY_MONTHS
#define VESK_HISTORY_MONTHS 24
#endif

namespace {

using namespace vesk;

constexpr int kMonths = VESK_HISTORY_MONTHS;
constexpr int kYear = 2026;
constexpr int kMonth = 6;
const std::string kYearText = std::to_string(kYear);
const std::string kMonthText = std::to_string(kMonth);

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

// The history the jobs may change, brought up to this program's layout before anything is
// timed. Two years are copied first; ten years are too large to copy each run, so the jobs
// work on the kept file itself: they leave it with the same rows (the month imported again,
// deleted and imported back), and the month is imported once before timing in case an
// interrupted run left it deleted.
const std::string& history() {
    static const std::string path = [] {
#ifdef VESK_HISTORY_IN_PLACE
        const std::string p = bench::historyDatabase(kMonths);
        run(p, {"import-ctr", monthWorkbook(), "--yes"});
        bench::bringUpToDate(p);
        return p;
#else
        return bench::preparedHistory(scratch());
#endif
    }();
    return path;
}

void timeVerb(benchmark::State& state, const std::vector<std::string>& args) {
    const std::string& db = history();
    for (auto _ : state) run(db, args);
}

// The verbs that read the month, or every month: one line each.
struct ReadingVerb {
    const char* name;
    std::vector<std::string> args;
};
const std::vector<ReadingVerb> kReadingVerbs = {
    {"BM_CompareVerb", {"compare", kYearText, kMonthText}},
    {"BM_DetailAllVerb", {"detail", kYearText, kMonthText, "All"}},
    // Why every listed office differs, its matched rows included: what the explanation
    // window reads for "All" as well.
    {"BM_ExplainAllVerb", {"explain", kYearText, kMonthText, "All", "--matched"}},
    // The form's summary as it loads, and after every import or deletion.
    {"BM_SummaryVerb", {"summary", "ctr"}},
    // Every held month compared, from the totals kept per office and month.
    {"BM_TrendVerb", {"trend"}},
    // The month's statement: both sides' rows, the month explained, the open items rolled forward.
    {"BM_StatementVerb", {"statement", kYearText, kMonthText}},
    // Proposed pairing rules weighed against those in force over every month held, writing
    // nothing: a week's timing window, another office's entries, and the widest group search.
    {"BM_RulesTryWeekWindow", {"rules", "try", "--timing", "7"}},
    {"BM_RulesTryAnotherOffice", {"rules", "try", "--other-office", "yes"}},
    {"BM_RulesTryWidestGroups", {"rules", "try", "--group", "6", "--candidates", "40"}},
};

#ifndef VESK_HISTORY_IN_PLACE
// What is still open in all 24 months of every office: each time but the first after a
// change, from what an earlier listing stored.
void BM_OpenItemsVerb(benchmark::State& state) {
    const std::string& db = history();
    run(db, {"open-items"});  // stores what the pairing finds
    for (auto _ : state) run(db, {"open-items", "--as-of", "31/12/2026"});
}

// The open items each time after the workbook is imported again: its month and the months up
// to two from it are paired afresh.
void openItemsAfterImport(benchmark::State& state, const std::string& workbook) {
    const std::string& db = history();
    run(db, {"open-items"});
    for (auto _ : state) {
        state.PauseTiming();
        run(db, {"import-ctr", workbook, "--yes"});
        state.ResumeTiming();
        run(db, {"open-items", "--as-of", "31/12/2026"});
    }
}

void BM_OpenItemsAfterImport(benchmark::State& state) { openItemsAfterImport(state, monthWorkbook()); }

// The month's routine at the history's end: the newest month's bank workbook comes in (again),
// then the open items: that month and the two before it are paired afresh.
void BM_OpenItemsAfterNewestMonth(benchmark::State& state) {
    const int year = bench::kHistoryFirstYear + (bench::kHistoryMonths - 1) / 12;
    const int month = 1 + (bench::kHistoryMonths - 1) % 12;
    openItemsAfterImport(state, sampleFolder(year, month) + "/" + sample::ctrFileName(year, month));
}

// What explain YEAR MONTH All --matched prints once every unpaired line carries its hint: the
// month's differing offices paired, the hints' candidates (every office's exceptions of the
// month and the months beside it) taken from the stored pairing, or paired and stored.
void explainWithHints(const std::string& database, benchmark::State& state) {
    store::Connection db;
    db.open(database);
    const compare::Explanation e = review::explainWithHints(db, {kYear, kMonth}, compare::ExplainTarget::differing());
    std::size_t hints = 0, text = 0;
    for (const compare::ExplainedLine& line : compare::listedLines(e.lines, true)) {
        for (const std::string& cell : compare::explainCells(line)) text += cell.size();
        const std::string hint = compare::hintText(line.hint);
        hints += !hint.empty();
        text += hint.size();
    }
    benchmark::DoNotOptimize(text);
    state.counters["hints"] = double(hints);
}

// Closing the month: its statement computed and stored with its items and digests. The close of
// the run before is reopened first, untimed; the last is reopened too, so later jobs find the
// month open.
void BM_CloseVerb(benchmark::State& state) {
    const std::string& db = history();
    run(db, {"open-items"});
    bool closed = false;
    for (auto _ : state) {
        state.PauseTiming();
        if (closed) run(db, {"reopen", kYearText, kMonthText, "--yes"});
        state.ResumeTiming();
        run(db, {"close", kYearText, kMonthText, "--yes"});
        closed = true;
    }
    if (closed) run(db, {"reopen", kYearText, kMonthText, "--yes"});
}

// As a listing after open-items finds the stored pairing: each run but the first.
void BM_ExplainWithHints(benchmark::State& state) {
    const std::string& db = history();
    run(db, {"open-items"});
    for (auto _ : state) explainWithHints(db, state);
}

// The first explanation after the month's workbook came in again: the month and the months
// beside it are paired afresh for the hints, and stored.
void BM_ExplainWithHintsAfterImport(benchmark::State& state) {
    const std::string& db = history();
    run(db, {"open-items"});
    for (auto _ : state) {
        state.PauseTiming();
        run(db, {"import-ctr", monthWorkbook(), "--yes"});
        state.ResumeTiming();
        explainWithHints(db, state);
    }
}

// A bank deposit and an ORV receipt of the month's first differing office, named by their
// dates as a window names them, for a pair made by hand.
pairs::PairRequest handPairOfTheMonth(store::Connection& db) {
    const compare::Explanation e = compare::explainMonth(db, {kYear, kMonth}, compare::ExplainTarget::differing());
    std::optional<notes::RowRef> bank, orv;
    for (const compare::ExplainedLine& l : e.lines)
        if (l.kind == compare::ExplainKind::Deposit) (l.side == notes::Side::Bank ? bank : orv) = l.ref();
    if (!bank || !orv) throw std::runtime_error("the month has no deposit to pair");
    pairs::PairRequest request = pairs::PairRequest::of({*bank, *orv});
    request.acceptDifference = true;
    return request;
}

// What pair and unpair do on the history: the rows found, every rule checked, the pair and its
// record written; undone again between the timed runs (and the other way round).
void handPairs(benchmark::State& state, bool timePair) {
    const std::string& db = history();
    store::Connection c;
    c.open(db);
    const pairs::PairRequest request = handPairOfTheMonth(c);
    c.close();
    for (auto _ : state) {
        if (!timePair) state.PauseTiming();
        store::Connection made;
        made.open(db);
        const pairs::MadePair pair = pairs::makePair(made, request, "bench", localNow());
        if (!pair.pair) state.SkipWithError("refused");
        made.close();
        if (timePair)
            state.PauseTiming();
        else
            state.ResumeTiming();
        store::Connection undone;
        undone.open(db);
        pairs::unpair(undone, pairs::pairName(pair.pair ? pair.pair->number : 0), "bench", localNow());
        if (timePair) state.ResumeTiming();
    }
}

void BM_PairByHand(benchmark::State& state) { handPairs(state, true); }
void BM_Unpair(benchmark::State& state) { handPairs(state, false); }

#endif

// The history's last day, as the open items name it.
std::string historyEnd() { return "31/12/" + std::to_string(bench::kHistoryFirstYear + (kMonths - 1) / 12); }

// The first listing of a file that has stored nothing yet: every month paired, on a copy of
// the history made before each run (gigabytes at ten years, so few runs there).
void BM_OpenItemsFirstTime(benchmark::State& state) {
#ifdef VESK_HISTORY_IN_PLACE
    const std::string source = history();  // no listing ever runs on the kept file itself
#else
    const std::string source = bench::historyDatabase();  // the prepared copy has listed already
#endif
    const std::string db = scratch().file("first.db");
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(source, db, std::filesystem::copy_options::overwrite_existing);
        run(db, {"summary", "ctr"});  // its layout brought up to date
        state.ResumeTiming();
        run(db, {"open-items", "--as-of", historyEnd()});
    }
    std::filesystem::remove(db);
}

// The month again into the history: its old rows go, the file's come in.
void BM_ImportMonthIntoHistory(benchmark::State& state) { timeVerb(state, {"import-ctr", monthWorkbook(), "--yes"}); }

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

// The same file again into the database it went into: the month's rows are replaced.
void BM_ImportMonthAgainIntoItsDatabase(benchmark::State& state) {
    const std::string workbook = monthWorkbook();
    bench::ScratchFolder folder;
    const std::string db = folder.file("month.db");
    run(db, {"import-master", sampleFolder() + "/" + sample::kOfficeMasterFileName, "--yes"});
    run(db, {"import-ctr", workbook, "--yes"});
    for (auto _ : state) run(db, {"import-ctr", workbook, "--yes"});
}

// Deleting the month from the history; it is imported back between the timed runs.
void BM_DeleteMonthFromHistory(benchmark::State& state) {
    const std::string& db = history();
    const std::string workbook = monthWorkbook();
    for (auto _ : state) {
        run(db, {"delete-month", "ctr", kYearText, "Jun", "--yes"});
        state.PauseTiming();
        run(db, {"import-ctr", workbook, "--yes"});
        state.ResumeTiming();
    }
}

// Every page read back with its authentication code, then the engine's quick check of the
// file's structure.
void BM_CheckVerb(benchmark::State& state) { timeVerb(state, {"check"}); }

// The same, then every index against its table.
void BM_CheckFullVerb(benchmark::State& state) { timeVerb(state, {"check", "--full"}); }

// A copy of the file's pages as they are, as the backup verb and the daily backup write it.
void BM_BackupVerb(benchmark::State& state) {
    const std::string& db = history();
    const std::string copy = scratch().file("backup.db");
    for (auto _ : state) {
        run(db, {"backup", copy, "--yes"});
        state.PauseTiming();
        std::filesystem::remove(copy);
        state.ResumeTiming();
    }
}

// The first change of a day: today's backup, then the change (the configured office set
// again, which itself takes a moment). Each run is a new day.
void BM_FirstChangeOfADay(benchmark::State& state) {
    const std::string& db = history();
    int day = 0;
    const store::BeforeWrite before = store::setBeforeWrite(backup::dailyBackupHook([&day] {
        return DateTime{2030, 1, 1 + day % 28};
    }));
    store::Connection opened;
    opened.open(db);
    const std::string office = office::configuredOffice(opened);
    opened.close();
    for (auto _ : state) {
        run(db, {"set-office", office, "--yes"});
        state.PauseTiming();
        for (const std::string& copy : backup::dailyBackups(db)) std::filesystem::remove(copy);
        ++day;
        state.ResumeTiming();
    }
    store::setBeforeWrite(before);
}

// Not timed: how large the file is, in all and per month.
void BM_FileSize(benchmark::State& state) {
    const double megabytes = double(std::filesystem::file_size(history())) / (1024.0 * 1024.0);
    for (auto _ : state) benchmark::DoNotOptimize(megabytes);
    state.counters["months"] = kMonths;
    state.counters["MB"] = megabytes;
    state.counters["MB per month"] = megabytes / kMonths;
}

}  // namespace

// Statistics only, unless the command line says otherwise.
int main(int argc, char** argv) {
    bench::initializeStatisticsOnly(argc, argv);
    const int copies = kMonths > 24 ? 1 : 3;  // the day's first change, with a copy of ten years: gigabytes
    for (const ReadingVerb& verb : kReadingVerbs)
        bench::repeat(
            benchmark::RegisterBenchmark(verb.name, [args = verb.args](benchmark::State& s) { timeVerb(s, args); }), 5);
    for (auto [name, fn] : {std::pair{"BM_ImportMonthIntoHistory", &BM_ImportMonthIntoHistory},
                            std::pair{"BM_ImportMonthIntoFreshDatabase", &BM_ImportMonthIntoFreshDatabase},
                            std::pair{"BM_ImportMonthAgainIntoItsDatabase", &BM_ImportMonthAgainIntoItsDatabase},
                            std::pair{"BM_DeleteMonthFromHistory", &BM_DeleteMonthFromHistory}})
        bench::repeat(benchmark::RegisterBenchmark(name, fn), 5);
#ifndef VESK_HISTORY_IN_PLACE
    // Open items name the two years' last day; ten years are not listed by them.
    for (auto [name, fn, runs] : {std::tuple{"BM_OpenItemsVerb", &BM_OpenItemsVerb, 5},
                                  std::tuple{"BM_OpenItemsAfterImport", &BM_OpenItemsAfterImport, 3},
                                  std::tuple{"BM_OpenItemsAfterNewestMonth", &BM_OpenItemsAfterNewestMonth, 3},
                                  std::tuple{"BM_ExplainWithHints", &BM_ExplainWithHints, 7},
                                  std::tuple{"BM_ExplainWithHintsAfterImport", &BM_ExplainWithHintsAfterImport, 3},
                                  std::tuple{"BM_PairByHand", &BM_PairByHand, 5},
                                  std::tuple{"BM_Unpair", &BM_Unpair, 5}, std::tuple{"BM_CloseVerb", &BM_CloseVerb, 5}})
        bench::repeat(benchmark::RegisterBenchmark(name, fn), runs);
#endif
    for (auto [name, fn] : {std::pair{"BM_CheckVerb", &BM_CheckVerb}, std::pair{"BM_CheckFullVerb", &BM_CheckFullVerb},
                            std::pair{"BM_BackupVerb", &BM_BackupVerb}})
        bench::repeat(benchmark::RegisterBenchmark(name, fn), 5);
    bench::repeat(benchmark::RegisterBenchmark("BM_OpenItemsFirstTime", &BM_OpenItemsFirstTime), 2);
    bench::repeat(benchmark::RegisterBenchmark("BM_FirstChangeOfADay", &BM_FirstChangeOfADay), copies);
    benchmark::RegisterBenchmark("BM_FileSize", BM_FileSize)->Iterations(1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
