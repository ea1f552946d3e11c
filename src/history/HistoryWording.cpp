#include "history/HistoryWording.h"

#include "core/Amount.h"

namespace vesk::history {

std::string actionText(Action action) {
    switch (action) {
        case Action::MasterImport:
            return "Office master import";
        case Action::CtrImport:
            return "Bank CTR import";
        case Action::OrvReceiptsImport:
            return "ORV receipts import";
        case Action::OrvPaymentsImport:
            return "ORV payments import";
        case Action::CtrMonthDeletion:
            return "Bank CTR month deletion";
        case Action::OrvMonthDeletion:
            return "ORV month deletion";
        case Action::OfficeChange:
            return "Configured office change";
        case Action::OfficesDeletion:
            return "All offices deleted";
        case Action::BankNoteChange:
            return "Bank row note";
        case Action::OrvNoteChange:
            return "ORV entry note";
        case Action::HandPairMade:
            return "Hand pair made";
        case Action::HandPairUndone:
            return "Hand pair undone";
        case Action::HandPairBroken:
            return "Hand pair broken";
        case Action::MonthClosed:
            return "Month closed";
        case Action::MonthReopened:
            return "Month reopened";
        case Action::PassphraseSet:
        case Action::PassphraseChanged:
        case Action::PassphraseRemoved:
            return "Passphrase change";
        case Action::BackupRestored:
            return "Backup restored";
        case Action::SignOffsChanged:
            return "Sign-offs changed";
        case Action::PairingRulesChanged:
            return "Pairing rules changed";
    }
    return {};
}

std::string periodText(const Change& change) {
    if (change.year <= 0 || change.month < 1 || change.month > 12) return "";
    return monthAndYear({change.year, change.month});
}

std::string nameText(const Change& change) {
    if (change.pair) return change.pair->number + ": " + change.pair->detail;
    if (change.note)
        return change.note->id + ": " + (change.note->before.empty() ? "new" : change.note->before) + " \u2192 " +
               change.note->after;
    if (change.action == Action::SignOffsChanged) return change.signOffs;
    if (change.action == Action::PairingRulesChanged) return change.rules;
    if (formOf(change.action) == Form::Closes) return change.by;
    if (change.action == Action::PassphraseSet) return "Passphrase set";
    if (change.action == Action::PassphraseChanged) return "Passphrase changed";
    if (change.action == Action::PassphraseRemoved) return "Passphrase removed";
    return change.file ? change.file->name : change.office;
}

Message withEarlierImport(Message question, const std::optional<DateTime>& earlier) {
    if (!earlier) return question;
    const std::string line =
        "This file was already imported on " + dayFirst(*earlier, TimeShown::Minutes) + "." + kCrLf;
    const std::size_t last = question.text.rfind(kCrLf);
    const std::size_t at = last == std::string::npos ? 0 : last + std::char_traits<char>::length(kCrLf);
    question.text.insert(at, line);
    return question;
}

std::string unknownFormText(const std::string& given) {
    return "the form is ctr, orv, master, pairs, closes or database, not '" + given + "'";
}

std::string historyTitle(const std::string& formTitle) { return formTitle + " - History"; }

std::string historyListLine(bool all) { return all ? "Every change to the file" : "This form's changes"; }

std::vector<std::string> historyHeadings() { return {"Time", "Who", "What", "Period", "Detail", "File"}; }

std::string detailText(const Change& change) {
    if (change.pair || change.note || change.action == Action::SignOffsChanged ||
        change.action == Action::PairingRulesChanged)
        return nameText(change);
    if (change.action == Action::OfficeChange) return change.office;
    const Form form = formOf(change.action);
    if (change.action == Action::BackupRestored)
        return change.kept.empty() ? "" : "The database as it was is kept as '" + change.kept + "'";
    if (form == Form::Database) return nameText(change);
    const bool closes = form == Form::Closes;
    std::string text = std::to_string(change.rows) +
                       (closes ? (change.rows == 1 ? " item" : " items") : (change.rows == 1 ? " row" : " rows"));
    const bool orv = form == Form::Orv;
    if (change.deposits)
        text += std::string(orv ? ", receipts " : ", deposits ") + formatAmount(*change.deposits, Grouping::Thousands);
    if (change.withdrawals)
        text += std::string(orv ? ", payments " : ", withdrawals ") +
                formatAmount(*change.withdrawals, Grouping::Thousands);
    if (closes && change.close > 0) return "Close " + std::to_string(change.close) + ": " + text;
    return text;
}

std::string fileText(const Change& change) {
    if (!change.file) return "";
    return change.file->name + ", " + std::to_string(change.file->size) + " bytes, SHA-256 " + change.file->sha256;
}

Message historyFailed(const Error& error) { return critical("History Error: " + error.description(), "Error"); }

std::string cannotOpenText(const std::string& path, const std::string& why) {
    return "Cannot open '" + path + "': " + why;
}

std::string cannotReadText(const std::string& path) { return "Cannot read '" + path + "'"; }

}  // namespace vesk::history
