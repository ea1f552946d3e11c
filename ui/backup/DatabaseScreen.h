#pragma once

#include <string>

#include "core/DateTime.h"
#include "core/Prompter.h"
#include "store/Waiting.h"

namespace vesk::backup {

/// What the menu shows and says over the database file as a whole: checking it, backing
/// it up, restoring a backup and the daily backups' switch. Each handler opens what it
/// needs and lets go of it before it returns, so the file is never held between them.
class DatabaseScreen {
  public:
    DatabaseScreen(std::string databasePath, Prompter& prompter, Clock now = localNow);

    /// Who is told while a handler waits for another program or keeps today's backup.
    void setDelayWatcher(store::DelayWatcher watcher) { m_watcher = std::move(watcher); }

    // Each returns true when it did what was asked (false: refused, cancelled or failed).

    /// Check Database: reads the whole file and shows what it found; true when it is sound.
    bool checkDatabase();
    /// Back Up Database: asks where, then writes the copy.
    bool backUpDatabase();
    /// Restore Database: asks for the backup and for leave, then puts it in the database's place.
    bool restoreFromBackup();
    /// Passphrase…: sets one on a file without, else asks the current one and changes it, or
    /// removes it when the new one is left empty. Connections held open must open the file anew.
    bool changePassphrase();

    /// The Daily Backups box as it is to show.
    bool dailyBackupsOn() const;
    /// Its tooltip: where the copies go, or that none are kept.
    std::string dailyBackupsText() const;
    /// The box was ticked or cleared; returns the state it is to show (the old one when the
    /// switch could not be written).
    bool switchDailyBackups(bool on);

  private:
    /// Runs a handler's work; a failure is shown under the handler's title.
    template <typename Work>
    bool guarded(const char* title, Work work);

    std::string m_path;
    Prompter& m_prompter;
    Clock m_now;
    store::DelayWatcher m_watcher;
};

}  // namespace vesk::backup
