#include "backup/DatabaseScreen.h"

#include <filesystem>

#include "backup/BackupFlows.h"
#include "backup/BackupWording.h"
#include "backup/DailyBackups.h"
#include "backup/PassphraseFlows.h"
#include "core/Error.h"
#include "core/Platform.h"
#include "store/Connection.h"
#include "store/DatabaseCheck.h"
#include "store/OnlineBackup.h"
#include "store/Passphrase.h"

namespace vesk::backup {

namespace {

constexpr const char* kDatabaseFilter = "Database Files (*.db)|*.db|All files (*.*)|*.*";

}  // namespace

DatabaseScreen::DatabaseScreen(std::string databasePath, Prompter& prompter, Clock now)
    : m_path(std::move(databasePath)), m_prompter(prompter), m_now(std::move(now)) {}

template <typename Work>
bool DatabaseScreen::guarded(const char* title, Work work) {
    try {
        return work();
    } catch (const std::exception& caught) {
        m_prompter.progress("");
        m_prompter.message(careFailed(title, asError(caught)));
        return false;
    }
}

bool DatabaseScreen::checkDatabase() {
    return guarded(kCheckTitle, [this] {
        const auto says = [this] { m_prompter.progress(kCheckingText); };
        says();
        const store::FileCheck check = store::checkDatabaseFile(m_path, store::CheckDepth::Quick, says);
        m_prompter.progress("");
        m_prompter.message(checkMessage(m_path, check));
        return check.sound();
    });
}

bool DatabaseScreen::backUpDatabase() {
    return guarded(kBackupTitle, [this] {
        const auto file =
            m_prompter.saveFile({kBackupTitle, kDatabaseFilter, "", suggestedBackupName(m_path, m_now())});
        return file && !file->empty() && backUp(m_prompter, m_path, *file, false, m_watcher).has_value();
    });
}

bool DatabaseScreen::restoreFromBackup() {
    return guarded(kRestoreTitle, [this] {
        const auto file = m_prompter.openFile({kRestoreTitle, kDatabaseFilter, ""});
        return file && !file->empty() && restoreBackup(m_prompter, m_path, *file, m_now(), m_watcher);
    });
}

bool DatabaseScreen::changePassphrase() {
    return guarded(kPassphraseTitle, [this] {
        std::error_code ec;
        const bool hasOne =
            std::filesystem::exists(platform::fsPath(m_path), ec) && store::protectedByPassphrase(m_path);
        return backup::changePassphrase(m_prompter, m_path,
                                        hasOne ? PassphraseAction::ChangeOrRemove : PassphraseAction::Set, m_watcher);
    });
}

bool DatabaseScreen::dailyBackupsOn() const { return backup::dailyBackupsOn(m_path); }

std::string DatabaseScreen::dailyBackupsText() const { return backup::dailyBackupsText(m_path, dailyBackupsOn()); }

bool DatabaseScreen::switchDailyBackups(bool on) {
    try {
        setDailyBackups(m_path, on);
    } catch (const std::exception& caught) {
        m_prompter.message(careFailed("Daily Backups", asError(caught)));
    }
    return dailyBackupsOn();
}

}  // namespace vesk::backup
