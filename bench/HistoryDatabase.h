#pragma once

// Two years of history: 24 sample months of 100,000 bank rows each (and the ORV entries
// that book them), January 2025 to December 2026. Building it takes minutes, so it is kept
// in the build folder and reused while its name matches the data it holds.

#include <cstdio>
#include <filesystem>
#include <string>

#include "compare/SampleStore.h"
#include "sample/SampleData.h"
#include "store/Connection.h"

namespace vesk::bench {

inline constexpr int kHistoryMonths = 24;
inline constexpr int kHistoryRows = 100000;
inline constexpr int kHistoryOffices = 500;
inline constexpr int kHistoryFirstYear = 2025;
inline constexpr int kHistorySeed = 11;  // the same offices every month
// Raised whenever the sample generator writes other rows, so that a kept file is rebuilt.
inline constexpr int kHistoryDataVersion = 2;

/// The sample month of the history database (month 1..24 counted from January 2025).
inline sample::SampleOptions historyMonth(int year, int month) {
    sample::SampleOptions o;
    o.offices = kHistoryOffices;
    o.rows = kHistoryRows;
    o.year = year;
    o.month = month;
    o.seed = kHistorySeed;
    return o;
}

inline const std::string& historyDatabase() {
    static const std::string path = [] {
        const std::filesystem::path folder = VESK_BENCH_CACHE;
        const std::filesystem::path file =
            folder / ("compare-v" + std::to_string(kHistoryDataVersion) + "-" + std::to_string(kHistoryMonths) + "x" +
                      std::to_string(kHistoryRows) + "x" + std::to_string(kHistoryOffices) + ".db");
        if (std::filesystem::exists(file)) return file.string();
        std::filesystem::create_directories(folder);
        // Built under another name and renamed when whole, so an interrupted build is not reused.
        const std::filesystem::path partial = file.string() + ".partial";
        std::filesystem::remove(partial);
        {
            store::Connection db;
            db.open(partial.string());
            for (int i = 0; i < kHistoryMonths; ++i) {
                std::fprintf(stderr, "\rbuilding %s: month %d of %d", file.filename().c_str(), i + 1, kHistoryMonths);
                compare::storeSampleMonth(
                    db, sample::generateSample(historyMonth(kHistoryFirstYear + i / 12, 1 + i % 12)), i == 0);
            }
            std::fprintf(stderr, "\n");
        }
        std::filesystem::rename(partial, file);
        return file.string();
    }();
    return path;
}

}  // namespace vesk::bench
