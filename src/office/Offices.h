#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Prompter.h"
#include "history/ImportHistory.h"
#include "store/Connection.h"

namespace vesk::office {

/// The configured office: the first row of Youroffice, trimmed; "" when there is none.
std::string configuredOffice(store::Connection& db);

/// The type code of the office of that name, trimmed and in upper case ("HPO"); "" when
/// no office has the name.
std::string officeType(store::Connection& db, const std::string& name);

std::int64_t officeCount(store::Connection& db);

/// The head and division offices by name: the offices a comparison can be configured for.
std::vector<std::string> listedOffices(store::Connection& db);

/// Every office of the master, by name, every column.
store::ResultSet masterRows(store::Connection& db);

// Every change below is recorded in the history in its own transaction, at the clock's time.

/// Makes the office of that name (trimmed) the configured office. False, with nothing
/// changed, when no office has the name.
bool setConfiguredOffice(store::Connection& db, const std::string& name, const history::Clock& now = history::localNow);

/// Makes the master's division office the configured office; returns its name, "" when the
/// master holds none.
std::string configureDivisionOffice(store::Connection& db, const history::Clock& now = history::localNow);

/// Deletes every office and the configured office.
void deleteAllOffices(store::Connection& db, const history::Clock& now = history::localNow);

enum class MasterImport {
    Imported,
    InvalidFile,  ///< B1 of the active sheet is not "office_name"
    Declined,     ///< the overwrite was not confirmed
    NoData,       ///< column A holds nothing below row 1
};

/// The question asked before the office master is replaced; with the time of an earlier
/// import of the same file, a line says so.
Message masterOverwriteQuestion(const std::optional<DateTime>& importedBefore = std::nullopt);
/// What the person is told when an import stopped short; none once it imported.
std::optional<Message> masterImportRefusal(MasterImport result);

/// Replaces the office master with the rows of the workbook's active sheet (columns A to
/// CE, placed by their headings), in one transaction that also empties the configured
/// office and records the import. confirmOverwrite is asked the question once the file is
/// known to be a master file; progress gets (row, rows) as rows go in. Throws Error when
/// the file cannot be read or stored.
MasterImport importMaster(store::Connection& db, const std::string& path,
                          const std::function<bool(const Message& question)>& confirmOverwrite,
                          const std::function<void(int row, int rows)>& progress = {},
                          const history::Clock& now = history::localNow);

}  // namespace vesk::office
