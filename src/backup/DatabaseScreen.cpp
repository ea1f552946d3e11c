#include "backup/DatabaseScreen.h"

#include "backup/CareTexts.h"
#include "backup/DailyBackups.h"
#include "backup/Restore.h"
#include "core/Error.h"
#include "store/Connection.h"
#include "store/DatabaseCheck.h"
#include "store/OnlineBackup.h"

namespace vesk::backup {

namespace {

constexpr const char* kDatabaseFilter = "Database Files (*.db)|*.db|All files (*.*)|*.*";

}  // namespace

DatabaseScreen::DatabaseScreen(std::string databasePath, Prompter& prompter, history::Clock now)
    : m_path(std::move(databasePath)), m_prompter(prompter), m_now(std::move(now)) {}

bool DatabaseScreen::cmdCheck_Click() {
    try {
        m_prompter.progress("Checking the database file...");
        const store::FileCheck check = store::checkDatabaseFile(m_path);
        m_prompter.progress("");
        m_prompter.message(checkMessage(m_path, check));
        return check.sound();
    } catch (const std::exception& caught) {
        m_prompter.progress("");
        m_prompter.message(critical("Error: " + asError(caught).description(), kCheckTitle));
        return false;
    }
}

bool DatabaseScreen::cmdBackup_Click() {
    try {
        const auto file =
            m_prompter.saveFile({kBackupTitle, kDatabaseFilter, "", suggestedBackupName(m_path, m_now())});
        if (!file || file->empty()) return false;
        return backUp(m_prompter, m_path, *file, false, m_watcher).has_value();
    } catch (const std::exception& caught) {
        m_prompter.progress("");
        m_prompter.message(critical("Error: " + asError(caught).description(), kBackupTitle));
        return false;
    }
}

bool DatabaseScreen::cmdRestore_Click() {
    try {
        const auto file = m_prompter.openFile({kRestoreTitle, kDatabaseFilter, ""});
        if (!file || file->empty()) return false;
        return restoreBackup(m_prompter, m_path, *file, m_now(), m_watcher);
    } catch (const std::exception& caught) {
        m_prompter.progress("");
        m_prompter.message(critical("Error: " + asError(caught).description(), kRestoreTitle));
        return false;
    }
}

bool DatabaseScreen::dailyBackupsOn() const { return backup::dailyBackupsOn(m_path); }

std::string DatabaseScreen::dailyBackupsText() const { return backup::dailyBackupsText(m_path, dailyBackupsOn()); }

bool DatabaseScreen::chkDailyBackups_Click(bool on) {
    try {
        setDailyBackups(m_path, on);
    } catch (const std::exception& caught) {
        m_prompter.message(critical("Error: " + asError(caught).description(), "Daily Backups"));
    }
    return dailyBackupsOn();
}

}  // namespace vesk::backup
