// A passphrase of the user's own: setting it on the two-year history (HistoryDatabase.h), which
// re-encrypts every page, and what it adds to opening the file. A file with a passphrase is
// first tried with the program's key (so a file without one costs nothing more); the failure
// is then told from damage by one page's code, and the engine derives the passphrase's key:
// three key derivations against one. On a fresh database too, where the derivations are all
// of the open's cost.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "BenchSupport.h"
#include "HistoryDatabase.h"
#include "backup/Rekey.h"
#include "store/Connection.h"
#include "store/Passphrase.h"

namespace {

using namespace vesk;

const Secret& benchPassphrase() {
    static const Secret key(std::string_view("a bench passphrase"));
    return key;
}

bench::ScratchFolder& passphraseScratch() {
    static bench::ScratchFolder folder;
    return folder;
}

// The source the command line installs, giving the passphrase at once.
struct PassphraseGiven {
    PassphraseGiven() {
        store::setPassphraseSource([](const std::string&) { return std::optional<Secret>(benchPassphrase()); });
    }
    ~PassphraseGiven() { store::setPassphraseSource({}); }
};

// A copy of `from` under the name, with the passphrase or without.
std::string copyOf(const std::string& from, const std::string& name, bool withPassphrase) {
    const std::string path = passphraseScratch().file(name);
    if (std::filesystem::exists(path)) return path;
    std::filesystem::copy_file(from, path);
    if (withPassphrase) {
        store::Connection db;
        db.open(path);
        db.rekey(benchPassphrase());
    }
    store::forgetPassphrases();
    return path;
}

const std::string& freshDatabase() {
    static const std::string path = [] {
        const std::string p = passphraseScratch().file("fresh.db");
        store::Connection().open(p);
        return p;
    }();
    return path;
}

// The first open of a run, as every verb makes it, and one row read.
void openAndRead(benchmark::State& state, const std::string& path) {
    const PassphraseGiven given;
    for (auto _ : state) {
        store::forgetPassphrases();  // each run asks anew
        store::Connection db;
        db.open(path);
        benchmark::DoNotOptimize(db.scalar("SELECT COUNT(*) FROM Youroffice"));
    }
}

void BM_OpenFreshWithoutPassphrase(benchmark::State& state) {
    openAndRead(state, copyOf(freshDatabase(), "fresh-plain.db", false));
}
void BM_OpenFreshWithPassphrase(benchmark::State& state) {
    openAndRead(state, copyOf(freshDatabase(), "fresh-protected.db", true));
}
void BM_OpenHistoryWithoutPassphrase(benchmark::State& state) {
    openAndRead(state, copyOf(bench::historyDatabase(), "history-plain.db", false));
}
void BM_OpenHistoryWithPassphrase(benchmark::State& state) {
    openAndRead(state, copyOf(bench::historyDatabase(), "history-protected.db", true));
}

// `passphrase set` on the two years: the file and its daily copies (none here) re-keyed.
void BM_SetPassphraseOnHistory(benchmark::State& state) {
    const std::string path = passphraseScratch().file("history-set.db");
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(path);
        std::filesystem::copy_file(bench::historyDatabase(), path);
        store::forgetPassphrases();
        state.ResumeTiming();
        store::Connection db;
        db.open(path);
        backup::rekeyDatabase(db, benchPassphrase(), "bench", localNow());
    }
    state.counters["MB"] = double(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    bench::initializeStatisticsOnly(argc, argv);
    for (auto [name, fn] : {std::pair{"BM_OpenFreshWithoutPassphrase", &BM_OpenFreshWithoutPassphrase},
                            std::pair{"BM_OpenFreshWithPassphrase", &BM_OpenFreshWithPassphrase},
                            std::pair{"BM_OpenHistoryWithoutPassphrase", &BM_OpenHistoryWithoutPassphrase},
                            std::pair{"BM_OpenHistoryWithPassphrase", &BM_OpenHistoryWithPassphrase}})
        bench::repeat(benchmark::RegisterBenchmark(name, fn), 9);
    bench::repeat(benchmark::RegisterBenchmark("BM_SetPassphraseOnHistory", &BM_SetPassphraseOnHistory), 3);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
