#pragma once

#include <functional>
#include <string>

#include "core/DateTime.h"
#include "core/Prompter.h"
#include "office/Offices.h"
#include "store/Connection.h"

namespace vesk::office {

// Each user action on the office master as one flow: its questions, its change and what
// the person is told, through whichever prompter asks (the form's message boxes, the
// terminal). The office form and the office verbs drive the same flows.

/// Importing an office master workbook. Its steps stand apart so that the form can show its
/// count and list between them; the command line runs them in turn.
class MasterImportFlow {
  public:
    MasterImportFlow(store::Opener db, Prompter& prompter, Clock now = localNow)
        : m_db(std::move(db)), m_prompter(prompter), m_now(std::move(now)) {}

    /// Rows between two progress texts; 0 (the default) shows none.
    void setProgressEvery(int rows) { m_progressEvery = rows; }

    /// Asks before the master is replaced and imports; says why when nothing was imported.
    MasterImport importFile(const std::string& path);
    /// Says the master was imported.
    void announce();
    /// Warns when the master held no division office to configure.
    void reportDivision(const MasterImport& imported);
    /// The three steps in turn; true when the master was imported.
    bool run(const std::string& path);

  private:
    store::Opener m_db;
    Prompter& m_prompter;
    Clock m_now;
    int m_progressEvery = 0;
};

/// Making an office the configured office: the question, naming the office as the person
/// gave it, the change between wait(true) and wait(false), and the outcome. False when the
/// person declined or no office has the name.
bool saveOffice(const store::Opener& db, Prompter& prompter, const std::string& shownName,
                const std::function<void(bool)>& wait = {}, const Clock& now = localNow);

/// Deleting every office and the configured office: the question, the deletion, then
/// `deleted` (the form clears itself) and the notice. False when the person declined.
bool deleteOffices(const store::Opener& db, Prompter& prompter, const std::function<void()>& deleted = {},
                   const Clock& now = localNow);

}  // namespace vesk::office
