#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/Prompter.h"

namespace vesk::bench {

/// A fresh folder under the system's temporary folder, removed with its contents.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vesk-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        m_path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string file(const std::string& name) const { return (m_path / name).string(); }

  private:
    std::filesystem::path m_path;
};

/// The fastest of the repetitions, beside the median the library reports.
inline double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

/// Each job a number of times, one run a repetition, so that the fastest and the median are
/// reported.
inline void repeat(benchmark::internal::Benchmark* b, int runs) {
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(runs)->ComputeStatistics("min", least);
}

/// The library set up to report the statistics only, unless the command line says otherwise.
inline void initializeStatisticsOnly(int argc, char** argv) {
    static char statistics[] = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + 1, statistics);
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
}

/// The most memory this process has held, in megabytes.
inline double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

/// The person at a form: picks the given workbook, answers Yes to every question and
/// remembers the last message.
class Person : public Prompter {
  public:
    explicit Person(std::string file = {}) : m_file(std::move(file)) {}
    Answer message(const Message& m) override {
        last = m.text;
        return m.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    std::optional<std::string> openFile(const OpenFileRequest&) override {
        if (m_file.empty()) return std::nullopt;
        return m_file;
    }
    std::optional<std::string> saveFile(const SaveFileRequest&) override { return std::nullopt; }
    void progress(const std::string&) override {}
    void openDocument(const std::string&) override {}

    std::string last;

  private:
    std::string m_file;
};

}  // namespace vesk::bench
