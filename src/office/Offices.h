#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "store/Connection.h"

namespace vesk::office {

/// The configured office: the first row of Youroffice, trimmed; "" when there is none.
std::string configuredOffice(store::Connection& db);

/// The division office of the master, trimmed; "" when the master holds none.
std::string divisionOffice(store::Connection& db);

/// The type code of the office of that name, trimmed and in upper case ("HPO"); "" when
/// no office has the name.
std::string officeType(store::Connection& db, const std::string& name);

std::int64_t officeCount(store::Connection& db);

/// The head and division offices by name: the offices a comparison can be configured for.
std::vector<std::string> listedOffices(store::Connection& db);

/// Every office of the master by name, each as its fields in the table's column order
/// (store::tableColumns(Table::Master)), as stored.
std::vector<std::vector<std::string>> masterRows(store::Connection& db);

// Every change below is recorded in the history in its own transaction, at the clock's time.

/// Makes the office of that name (trimmed) the configured office. False, with nothing
/// changed, when no office has the name.
bool setConfiguredOffice(store::Connection& db, const std::string& name, const Clock& now = localNow);

/// Deletes every office and the configured office.
void deleteAllOffices(store::Connection& db, const Clock& now = localNow);

/// What importing an office master workbook did.
struct MasterImport {
    enum class Status {
        Imported,
        InvalidFile,  ///< B1 of the active sheet is not "office_name"
        Declined,     ///< the overwrite was not confirmed
        NoData,       ///< column A holds nothing below row 1
    };
    Status status = Status::Imported;
    /// The division office the import made the configured office; "" when the master holds none.
    std::string divisionOffice;
};

/// Asked once the file is known to be a master file, with the time of an earlier import of
/// the same file: true to replace the master.
using ConfirmOverwrite = std::function<bool(const std::optional<DateTime>& importedBefore)>;

/// Replaces the office master with the rows of the workbook's active sheet (columns A to
/// CE, placed by their headings) and makes its division office the configured office, in
/// one transaction that records both changes. progress gets (row, rows) as rows go in.
/// Throws Error when the file cannot be read or stored.
MasterImport importMaster(store::Connection& db, const std::string& path, const ConfirmOverwrite& confirm,
                          const std::function<void(int row, int rows)>& progress = {}, const Clock& now = localNow);

}  // namespace vesk::office
