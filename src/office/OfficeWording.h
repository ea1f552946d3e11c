#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Prompter.h"
#include "office/Offices.h"

namespace vesk::office {

// What the office master form and the office verbs say.

/// The office master workbook's file dialog.
OpenFileRequest masterFileRequest();
Message fileNotSelected();
/// Asked before the office master is replaced; with the time of an earlier import of the
/// same file, a line says so.
Message masterOverwriteQuestion(const std::optional<DateTime>& importedBefore = std::nullopt);
/// Why nothing was imported; none once it was.
std::optional<Message> masterImportRefusal(MasterImport::Status status);
/// An office name of blanks only.
inline constexpr const char* kNoOfficeName = "give an office name";
Message masterImported();
Message noDivisionOffice();
/// "Importing Row 100 / 120".
std::string masterImportProgress(int row, int rows);

/// "120 office details available." after loading, "... updated successfully." after an import.
std::string officesAvailable(std::int64_t count);
std::string officesUpdated(std::int64_t count);
Message noOffices();
Message noListedOffices();

Message selectOfficeFirst();
/// The question before an office becomes the configured office, naming it as the person gave it.
Message saveOfficeQuestion(const std::string& shownName);
Message officeNotFound(const std::string& name);
Message officeSaved();

Message deleteAllQuestion();
Message allOfficesDeleted();

// Failures of the form's handlers, each with its own prefix.
Message loadFailed(const Error& error);
Message refreshFailed(const Error& error);
Message saveFailed(const Error& error);
Message deleteFailed(const Error& error);
Message importFailed(const Error& error);

}  // namespace vesk::office
