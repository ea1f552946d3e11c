#pragma once

#include <string>

#include "sample/SampleData.h"

namespace vesk::sample {

/// The workbooks of one sample month and what was planted in them.
struct SampleSet {
    std::string officeMasterPath;
    std::string ctrPath;
    std::string orvReceiptsPath;
    std::string orvPaymentsPath;
    SampleData data;
};

/// Writes the office master, the bank's CTR report and the two ORV reports of the month
/// into the folder, creating it when missing; files of the same names are replaced.
/// Throws Error.
SampleSet writeSampleSet(const std::string& folder, const SampleOptions& options);

/// The single workbooks, for callers that need only one of them.
void writeOfficeMaster(const std::string& path, const SampleData& data);
void writeCtrReport(const std::string& path, const SampleData& data);
void writeOrvReport(const std::string& path, const SampleData& data, bool receipts);

/// File names of the month's workbooks: "vesk_ctr_Apr_2025.xlsx" and the like.
std::string ctrFileName(int year, int month);
std::string orvFileName(int year, int month, bool receipts);
inline constexpr const char* kOfficeMasterFileName = "office_master.xlsx";

}  // namespace vesk::sample
