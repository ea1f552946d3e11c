#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Prompter.h"
#include "report/ReportMonths.h"

namespace vesk::report {

/// What a monthly report's form and verbs say where the two reports differ; each report
/// has its own (ctr::bankWording(), orv::orvWording()).
struct ReportWording {
    std::string openFilter;  ///< the open-file dialog's filter
    /// The word each kind letter stands for in messages ("R": "VESK DEPOSIT").
    std::vector<std::pair<std::string, std::string>> kindWords;

    // The import.
    Message invalidHeader;  ///< B1 is not the report's heading
    Message noDate;         ///< B2 holds no date
    Message invalidKind;    ///< the kind letter is none the report allows
    /// The overwrite warning's text for the month ("April 2025") and the kind's word.
    std::function<std::string(const std::string& period, const std::string& word)> overwriteText;
    std::function<std::string(const std::string& word)> importedText;

    // The monthly summary, the deletion and the load.
    std::string gridErrorTitle;
    Message selectionRequired;
    std::function<Message(const std::string& month, const std::string& year)> confirmDelete;
    std::function<Message(std::int64_t count, const std::string& month, const std::string& year)> deleted;
    std::function<Message(const std::string& month, const std::string& year)> nothingDeleted;
    std::string deleteErrorTitle;
    std::function<Message(const Error& error)> loadFailed;
};

/// A monthly report as its form and its verbs work it: what it is and what it says.
struct Report {
    const ReportDescription& description;
    const ReportWording& wording;
};

// What both reports say alike.

/// The report workbook's file dialog.
OpenFileRequest reportFileRequest(const ReportWording& wording);
/// The question asked before a month's rows are replaced; with the time of an earlier
/// import of the same file, a line says so.
Message replaceQuestion(const ReportWording& wording, const MonthImport& month,
                        const std::optional<DateTime>& importedBefore = std::nullopt);
/// The import's success, or why nothing was imported; none when the person declined.
std::optional<Message> importMessage(const ReportWording& wording, const MonthImport& result);
/// "Importing Row 50 of 2000...".
std::string importProgress(int row, int rows);
/// The office master is empty: no report can be worked.
Message masterDataMissing();

/// "the report is ctr or orv, not 'x'": a report the command line does not know.
std::string unknownReportText(const std::string& given);

/// The summary grid's headings, and a line's cells under them: amounts with two decimals and
/// thousands separated ("1,234.50"), a missing amount empty.
std::vector<std::string> summaryHeadings();
std::vector<std::string> summaryCells(const SummaryLine& line);

// Why a file's row cannot be stored, naming its place (the file's row, 1-based column).
/// "<the reader's words for the error cell> in row 5, column C."
std::string cellErrorText(const std::string& readerText, int fileRow, int column);
/// "Cell holds an error value in row 5.": an error cell the reader has no words for.
std::string errorValueText(int fileRow);
/// "Data type mismatch: row 5 holds 'abc' in column B, which is not a date."
std::string notADateText(int fileRow, std::string_view value, int column);

// Failures of the form's handlers.
Message gridFailed(const ReportWording& wording, const Error& error);
Message deleteFailed(const ReportWording& wording, const Error& error);
Message importFailed(const Error& error);

}  // namespace vesk::report
