// Writing a month of sample data: the bank's CTR report of 100,000 rows.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "sample/SampleSet.h"
#include "sheet/Workbook.h"

using vesk::bench::peakMegabytes;

namespace {

vesk::sample::SampleOptions options(int rows) {
    vesk::sample::SampleOptions o;
    o.offices = 400;
    o.rows = rows;
    o.seed = 42;
    return o;
}

std::string tempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("vesk-bench-" + std::to_string(getpid()) + "-" + name)).string();
}

void BM_GenerateSample(benchmark::State& state) {
    const auto o = options(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(vesk::sample::generateSample(o));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_GenerateSample)->Arg(100000)->Unit(benchmark::kMillisecond);

// Streamed above 10,000 rows, so memory stays flat while the sheet grows.
void BM_WriteCtrReport(benchmark::State& state) {
    const auto data = vesk::sample::generateSample(options(int(state.range(0))));
    const std::string path = tempPath("ctr.xlsx");
    for (auto _ : state) vesk::sample::writeCtrReport(path, data);
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["file_MB"] = double(std::filesystem::file_size(path)) / 1e6;
    state.counters["peak_RSS_MB"] = peakMegabytes();
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteCtrReport)->Arg(2000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The whole month: office master, bank report and both ORV reports.
void BM_WriteSampleSet(benchmark::State& state) {
    const std::string dir = tempPath("set");
    for (auto _ : state) vesk::sample::writeSampleSet(dir, options(int(state.range(0))));
    std::uintmax_t bytes = 0;
    for (const auto& f : std::filesystem::directory_iterator(dir)) bytes += f.file_size();
    state.counters["files_MB"] = double(bytes) / 1e6;
    state.counters["peak_RSS_MB"] = peakMegabytes();
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_WriteSampleSet)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

// The written report read back: what an import of the sample costs.
void BM_ReadSampleCtrReport(benchmark::State& state) {
    const std::string path = tempPath("ctr-read.xlsx");
    vesk::sample::writeCtrReport(path, vesk::sample::generateSample(options(int(state.range(0)))));
    for (auto _ : state) {
        auto sheet = vesk::sheet::Workbook::open(path)->firstSheet();
        benchmark::DoNotOptimize(sheet->block(2, 1, sheet->lastRow(1), 11));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadSampleCtrReport)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
