#pragma once

// Years of history: sample months of 100,000 bank rows each (and the ORV entries that book
// them) from January 2025, two years of them (24 months) or ten (120). Building them takes
// minutes, so each is kept in the build folder and reused while its name matches the data
// it holds.

#include <cstdio>
#include <filesystem>
#include <string>

#include "sample/SampleData.h"
#include "store/Connection.h"
#include "support/SampleStore.h"

namespace vesk::bench {

inline constexpr int kHistoryMonths = 24;
inline constexpr int kTenYearMonths = 120;
inline constexpr int kHistoryRows = 100000;
inline constexpr int kHistoryOffices = 500;
inline constexpr int kHistoryFirstYear = 2025;
inline constexpr int kHistorySeed = 11;  // the same offices every month
// Raised whenever the sample generator writes other rows, so that a kept file is rebuilt.
inline constexpr int kHistoryDataVersion = 3;

/// The sample month of the history database (month 1.. counted from January 2025).
inline sample::SampleOptions historyMonth(int year, int month) {
    sample::SampleOptions o;
    o.offices = kHistoryOffices;
    o.rows = kHistoryRows;
    o.year = year;
    o.month = month;
    o.seed = kHistorySeed;
    return o;
}

/// The history of so many months, built when the build folder does not hold it yet.
inline std::string historyDatabase(int months = kHistoryMonths) {
    const std::filesystem::path folder = VESK_BENCH_CACHE;
    const std::filesystem::path file =
        folder / ("compare-v" + std::to_string(kHistoryDataVersion) + "-" + std::to_string(months) + "x" +
                  std::to_string(kHistoryRows) + "x" + std::to_string(kHistoryOffices) + ".db");
    if (std::filesystem::exists(file)) return file.string();
    std::filesystem::create_directories(folder);
    // Built under another name and renamed when whole, so an interrupted build is not reused.
    const std::filesystem::path partial = file.string() + ".partial";
    std::filesystem::remove(partial);
    {
        store::Connection db;
        db.open(partial.string());
        for (int i = 0; i < months; ++i) {
            std::fprintf(stderr, "\rbuilding %s: month %d of %d", file.filename().c_str(), i + 1, months);
            test::storeSampleMonth(db, sample::generateSample(historyMonth(kHistoryFirstYear + i / 12, 1 + i % 12)),
                                   i == 0);
        }
        std::fprintf(stderr, "\n");
    }
    std::filesystem::rename(partial, file);
    return file.string();
}

}  // namespace vesk::bench
