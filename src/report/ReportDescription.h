#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Prompter.h"
#include "store/Schema.h"

namespace vesk::report {

/// A kind letter a report file may hold, and the word its messages use for it.
struct ReportKind {
    std::string letter;  ///< "R"
    std::string word;    ///< "VESK DEPOSIT"
};

/// What tells the two monthly report forms apart: their table, the shape of their files
/// and their wording. Everything else they do alike.
struct ReportDescription {
    store::Table table;
    int columns;             ///< file columns read from A on: 11 (A:K) or 22 (A:V)
    std::string headerB1;    ///< what B1 must hold, trimmed, exactly
    std::string dateColumn;  ///< the table's date column, which decides the month
    /// The monthly summary's columns, each of one month's rows: YEAR, MONTH, TOTAL ENTRIES,
    /// DEP COUNT, DEP AMOUNT, WDL COUNT, WDL AMOUNT and SortMonth (which orders only).
    std::string summaryColumns;
    std::string openFilter;  ///< the open-file dialog's filter

    /// Files holding one kind of entry: the file column of the kind letter in row 2, the
    /// table column it goes to and the letters allowed. No kinds: the file holds a month.
    int kindColumn = 0;
    std::string kindTableColumn;
    std::vector<ReportKind> kinds;

    // Messages of the import.
    Message invalidHeader;  ///< B1 is not headerB1
    Message noDate;         ///< B2 holds no date
    Message invalidKind;    ///< the kind letter is none of kinds
    /// The overwrite warning's text for the month ("April 2025") and the kind's word.
    std::function<std::string(const std::string& period, const std::string& word)> overwriteText;
    std::function<std::string(const std::string& word)> importedText;

    // Messages of the monthly summary, the deletion and the load.
    std::string gridErrorTitle;
    Message selectionRequired;
    std::function<Message(const std::string& month, const std::string& year)> confirmDelete;
    std::function<Message(std::int64_t count, const std::string& month, const std::string& year)> deleted;
    std::function<Message(const std::string& month, const std::string& year)> nothingDeleted;
    std::string deleteErrorTitle;
    std::function<Message(const Error& error)> loadFailed;
};

}  // namespace vesk::report
