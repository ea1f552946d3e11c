#include "backup/BackupWording.h"

#include <cstdio>

#include "backup/DailyBackups.h"
#include "core/Platform.h"
#include "store/DatabaseLocation.h"
#include "store/Passphrase.h"
#include "store/Schema.h"

namespace vesk::backup {

namespace {

// More damaged pages than this are counted, not listed.
constexpr std::size_t kPagesListed = 20;
constexpr std::int64_t kPageSize = 4096;

std::string megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / (1024.0 * 1024.0));
    return text;
}

std::string restoreAdvice(const std::string& path) {
    return "Restore a backup (\"vesk-orv-cli restore FILE\" or \"Restore Database\" on the menu); the daily copies "
           "are in '" +
           store::dailyBackupFolder(path) + "'.";
}

// Why the file is not sound, in a few words, for a refusal.
std::string shortReason(const store::FileCheck& check) {
    using Status = store::FileCheck::Status;
    switch (check.status) {
        case Status::Missing:
            return "it does not exist";
        case Status::Unreadable:
            return "it cannot be read with the program's key: it is not a database of this program, or it is "
                   "damaged at its start";
        case Status::Foreign:
            return "it is a database, but not this program's: it lacks the table(s) " + check.missingTables;
        case Status::Newer:
            return "it was " + store::newerLayoutText(check.layout) +
                   ": open it with that version or a later one (it is not damaged)";
        case Status::Damaged:
            if (check.badPages.size() == 1)
                return "it is damaged: page " + std::to_string(check.badPages.front()) + " of its " +
                       std::to_string(check.pages) + " fails its authentication code";
            if (!check.badPages.empty())
                return "it is damaged: " + std::to_string(check.badPages.size()) + " of its " +
                       std::to_string(check.pages) + " pages fail their authentication code";
            if (check.strayBytes) return "it is damaged: it ends part way through a page";
            return "it is damaged: the engine's check finds faults";
        case Status::Protected:
            return "it is protected by a passphrase, and none was given (it is not damaged)";
        case Status::WrongPassphrase:
            return "the passphrase given is wrong for it (it is not damaged)";
        case Status::Sound:
            break;
    }
    return "it is sound";
}

}  // namespace

std::vector<std::string> checkLines(const std::string& path, const store::FileCheck& check) {
    using Status = store::FileCheck::Status;
    if (check.status == Status::Sound) return {"ok"};
    std::vector<std::string> lines;
    if (check.status != Status::Damaged) {
        lines.push_back("'" + path + "': " + shortReason(check) + ".");
        if (check.status == Status::Unreadable) lines.push_back(restoreAdvice(path));
        return lines;
    }
    lines.push_back("'" + path + "' is damaged:");
    for (std::size_t i = 0; i < check.badPages.size() && i < kPagesListed; ++i) {
        const std::int64_t page = check.badPages[i];
        lines.push_back("page " + std::to_string(page) + " of " + std::to_string(check.pages) + " (bytes " +
                        std::to_string((page - 1) * kPageSize) + " to " + std::to_string(page * kPageSize - 1) +
                        ") fails its authentication code" +
                        (page == 1 ? ": the page that holds the file's layout" : ""));
    }
    if (check.badPages.size() > kPagesListed)
        lines.push_back("and " + std::to_string(check.badPages.size() - kPagesListed) + " pages more");
    if (check.strayBytes)
        lines.push_back("the file ends " + std::to_string(check.strayBytes) +
                        " bytes into a page: it has been cut off");
    for (const std::string& fault : check.engineFaults) lines.push_back("the engine's check: " + fault);
    lines.push_back(restoreAdvice(path));
    return lines;
}

Message checkMessage(const std::string& path, const store::FileCheck& check) {
    if (check.sound())
        return info("The database file '" + path + "' is sound: all " + std::to_string(check.pages) +
                        " pages read back with their authentication codes, and the engine's check finds no fault.",
                    kCheckTitle);
    std::string text;
    for (const std::string& line : checkLines(path, check)) text += (text.empty() ? "" : kCrLf) + line;
    return critical(text, kCheckTitle);
}

Message replaceBackupQuestion(const std::string& destination) {
    return question("'" + destination + "' exists already. Replace it with the backup?", "Confirm Overwrite",
                    Icon::Exclamation, Answer::No);
}

std::string backedUpText(const std::string& destination, const store::CopiedDatabase& copy) {
    return "The database was backed up to '" + destination + "' (" + megabytes(copy.bytes) + ").";
}

std::string suggestedBackupName(const std::string& databasePath, const DateTime& today) {
    return platform::fileName(dailyBackupPath(databasePath, today));
}

Message backedUp(const std::string& destination, const store::CopiedDatabase& copy) {
    return info(backedUpText(destination, copy), kBackupTitle);
}

Message careFailed(const std::string& title, const Error& error) {
    return critical("Error: " + error.description(), title);
}

Message restoreQuestion(const std::string& databasePath, const std::string& backupPath) {
    return question("Replace the database '" + databasePath + "' with the backup '" + backupPath + "'?" + kCrLf +
                        "The database as it is now is kept beside it, as '" + platform::fileName(databasePath) +
                        ".before-restore-<date>-<time>'.",
                    "Confirm Restore", Icon::Exclamation, Answer::No);
}

Message restoreMessage(const std::string& backupPath, const Restore& restore) {
    if (restore.status == Restore::Status::Refused)
        return exclamation(
            "'" + backupPath + "' cannot be restored: " + shortReason(restore.check) + ". Nothing was changed.",
            kRestoreTitle);
    std::string text = "The database now holds the backup '" + backupPath + "'.";
    if (!restore.kept.empty()) text += std::string(kCrLf) + "The database as it was is kept as '" + restore.kept + "'.";
    return info(text, kRestoreTitle);
}

std::string dailyBackupsText(const std::string& databasePath, bool on) {
    const std::string folder = store::dailyBackupFolder(databasePath);
    if (!on) return "Daily backups are off: no copy is kept in '" + folder + "'.";
    return "Daily backups are on: before the first change of each day the database is copied into '" + folder +
           "', and the newest " + std::to_string(kDailyBackupsKept) + " copies are kept.";
}

std::string unknownDailyBackupsState(const std::string& given) { return "give on or off, not '" + given + "'"; }

std::string dailyBackupFailedText(const std::string& copy, const std::string& reason) {
    return "Today's backup of the database could not be written to '" + copy + "': " + reason +
           " Nothing was changed. Make room there, or turn the daily backups off (\"vesk-orv-cli daily-backups "
           "off\" or \"Daily Backups\" on the menu).";
}

std::string offSwitchText() {
    return "While this file is here, the programs keep no daily backup of the database beside this folder.\n"
           "Remove it, or run \"vesk-orv-cli daily-backups on\", to have them kept again.\n";
}

std::string delayText(const store::DelayNotice& notice) {
    if (notice.delay == store::Delay::OwnWork) return "Keeping today's backup of the database...";
    if (notice.delay == store::Delay::Upgrade)
        return "Bringing the database file up to date for this version of the program, once (with years of rows, "
               "a minute or two)...";
    return "Waiting up to " +
           std::to_string(std::chrono::duration_cast<std::chrono::seconds>(store::kBusyLimit).count()) +
           " s for another program to finish with the database...";
}

std::string notRemovedText(const std::string& file, const std::string& why) {
    return "Cannot remove '" + file + "': " + why;
}

std::string notWrittenText(const std::string& file) { return "Cannot write '" + file + "'"; }

std::string currentPassphrasePrompt(const std::string& path) { return "Passphrase of '" + path + "'"; }

std::string newPassphrasePrompt(bool orRemove) {
    return std::string("New passphrase (at least ") + std::to_string(store::kShortestPassphrase) + " characters" +
           (orRemove ? "; leave it empty to remove the passphrase" : "") + ")";
}

std::string repeatPassphrasePrompt() { return "The new passphrase again"; }

Message passphraseTooShort() {
    return exclamation(
        "A passphrase has at least " + std::to_string(store::kShortestPassphrase) + " characters. Nothing was changed.",
        kPassphraseTitle);
}

Message passphrasesDiffer() {
    return exclamation("The two passphrases given differ. Nothing was changed.", kPassphraseTitle);
}

Message hasPassphraseAlready(const std::string& path) {
    return exclamation("The database '" + path +
                           "' has a passphrase already: change it (\"vesk-orv-cli passphrase change\" or "
                           "\"Passphrase…\" on the menu) or remove it. "
                           "Nothing was changed.",
                       kPassphraseTitle);
}

Message hasNoPassphrase(const std::string& path) {
    return exclamation("The database '" + path +
                           "' has no passphrase: it opens with the program's key. Set one with \"vesk-orv-cli "
                           "passphrase set\" or \"Passphrase…\" on the menu. Nothing was changed.",
                       kPassphraseTitle);
}

Message removePassphraseQuestion(const std::string& path) {
    return question("Remove the passphrase of '" + path + "'?" + kCrLf +
                        "The database and its daily copies then open for anyone who has the program.",
                    "Confirm Remove", Icon::Exclamation, Answer::No);
}

Message passphraseChanged(PassphraseChange change, const std::string& path, const Rekeyed& done) {
    std::string text;
    switch (change) {
        case PassphraseChange::Set:
            text = "The database '" + path + "' is protected by the passphrase now.";
            break;
        case PassphraseChange::Changed:
            text = "The passphrase of the database '" + path + "' was changed.";
            break;
        case PassphraseChange::Removed:
            text = "The passphrase of the database '" + path + "' was removed: it opens with the program's key.";
            break;
    }
    if (done.copies)
        text += std::string(kCrLf) + std::to_string(done.copies) + " daily " + (done.copies == 1 ? "copy" : "copies") +
                " beside it went with it.";
    for (const std::string& copy : done.leftAlone)
        text += std::string(kCrLf) + "The daily copy '" + copy +
                "' opens with neither the old key nor the new one and was left as it is.";
    for (const auto& [copy, reason] : done.keptOldKey)
        text += std::string(kCrLf) + "The daily copy '" + copy + "' could not be re-keyed (" + reason +
                ") and still opens with the old key: delete it if the old key is no longer safe.";
    if (change != PassphraseChange::Removed)
        text += std::string(kCrLf) +
                "Nothing can recover the data without the passphrase: write it down and keep it where the office "
                "keeps its other keys.";
    return info(text, kPassphraseTitle);
}

std::string notRekeyedText(const std::string& path) {
    return "The database '" + path + "' could not be encrypted with the new key: " + store::kNotRekeyedText +
           ". It still opens with the old key. Nothing was changed.";
}

Message passphraseNotGiven(const std::string& path) {
    return critical(
        std::string(store::kProtectedText) + kCrLf + "No passphrase was given for '" + path + "': the program ends.",
        kPassphraseTitle);
}

Message passphraseWrongEachTime(const std::string& path, int tries) {
    return critical(std::string(store::kWrongPassphraseText) + kCrLf + "The passphrase of '" + path + "' was wrong " +
                        std::to_string(tries) + " times: the program ends.",
                    kPassphraseTitle);
}

}  // namespace vesk::backup
