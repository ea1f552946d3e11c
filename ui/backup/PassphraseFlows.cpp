#include "backup/PassphraseFlows.h"

#include <filesystem>
#include <optional>

#include "backup/BackupWording.h"
#include "backup/Rekey.h"
#include "core/Platform.h"
#include "history/ImportHistory.h"
#include "store/Connection.h"
#include "store/Passphrase.h"

namespace vesk::backup {

namespace {

using Kind = PassphraseRequest::Kind;

std::optional<Secret> askPassphrase(Prompter& prompter, Kind kind, const std::string& path, std::string prompt) {
    return prompter.passphrase({kind, path, std::move(prompt)});
}

// The new passphrase, typed twice; nullopt (the person told why) when it will not do. An empty
// one when `orRemove` and the person left it empty.
std::optional<Secret> newPassphrase(Prompter& prompter, const std::string& path, bool orRemove) {
    std::optional<Secret> first = askPassphrase(prompter, Kind::New, path, newPassphrasePrompt(orRemove));
    if (!first) return std::nullopt;
    if (orRemove && first->empty()) return first;
    if (first->characters() < store::kShortestPassphrase) {
        prompter.message(passphraseTooShort());
        return std::nullopt;
    }
    const std::optional<Secret> again = askPassphrase(prompter, Kind::Again, path, repeatPassphrasePrompt());
    if (!again) return std::nullopt;
    if (!(*again == *first)) {
        prompter.message(passphrasesDiffer());
        return std::nullopt;
    }
    return first;
}

}  // namespace

bool changePassphrase(Prompter& prompter, const std::string& databasePath, PassphraseAction action,
                      const store::DelayWatcher& watcher) {
    std::error_code ec;
    const bool exists = std::filesystem::exists(platform::fsPath(databasePath), ec);
    const bool hasOne = exists && store::protectedByPassphrase(databasePath);
    if (action == PassphraseAction::Set && hasOne) {
        prompter.message(hasPassphraseAlready(databasePath));
        return false;
    }
    if (action != PassphraseAction::Set && !hasOne) {
        prompter.message(hasNoPassphrase(databasePath));
        return false;
    }
    store::Connection db;
    db.setDelayWatcher(watcher);
    if (action == PassphraseAction::Set) {
        db.open(databasePath);
    } else {
        // Asked again even when the run knows it: whoever changes it must know it.
        const std::optional<Secret> current =
            askPassphrase(prompter, Kind::Current, databasePath, currentPassphrasePrompt(databasePath));
        if (!current || current->empty()) throw Error(store::kProtectedError, store::kProtectedText);
        db.openWith(databasePath, *current);
    }
    std::optional<Secret> key;
    if (action != PassphraseAction::Remove) {
        key = newPassphrase(prompter, databasePath, action == PassphraseAction::ChangeOrRemove);
        if (!key) return false;
    }
    if (!key || key->empty()) {  // removed: the file goes back to the program's key
        if (prompter.message(removePassphraseQuestion(databasePath)) != Answer::Yes) return false;
        key = store::programKey();
    }
    const bool removing = *key == store::programKey();
    prompter.progress(kRekeyingText);
    const Rekeyed done = rekeyDatabase(db, *key, history::loginName(), localNow());
    prompter.progress("");
    const PassphraseChange change = removing                          ? PassphraseChange::Removed
                                    : action == PassphraseAction::Set ? PassphraseChange::Set
                                                                      : PassphraseChange::Changed;
    prompter.message(passphraseChanged(change, databasePath, done));
    return true;
}

store::PassphraseSource askingPassphrases(Prompter& prompter) {
    return [&prompter](const std::string& path) -> std::optional<Secret> {
        std::optional<Secret> given = askPassphrase(prompter, Kind::Current, path, currentPassphrasePrompt(path));
        if (given && given->empty()) return std::nullopt;
        return given;
    };
}

bool unlockDatabase(Prompter& prompter, const std::string& databasePath, int tries) {
    std::error_code ec;
    if (!std::filesystem::exists(platform::fsPath(databasePath), ec) || !store::protectedByPassphrase(databasePath))
        return true;
    for (int tried = 0; tried < tries; ++tried) {
        const std::optional<Secret> given =
            askPassphrase(prompter, Kind::Current, databasePath, currentPassphrasePrompt(databasePath));
        if (!given || given->empty()) {
            prompter.message(passphraseNotGiven(databasePath));
            return false;
        }
        if (store::keyFits(databasePath, *given)) {
            store::rememberPassphrase(databasePath, *given);
            return true;
        }
        if (tried + 1 < tries) prompter.message(exclamation(store::kWrongPassphraseText, kPassphraseTitle));
    }
    prompter.message(passphraseWrongEachTime(databasePath, tries));
    return false;
}

}  // namespace vesk::backup
