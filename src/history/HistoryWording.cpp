#include "history/HistoryWording.h"

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
    if (formOf(change.action) == Form::Closes) return change.by;
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
    return "the form is ctr, orv, master, pairs or closes, not '" + given + "'";
}

std::vector<std::string> historyHeadings(Form form) {
    switch (form) {
        case Form::Master:
            return {"Time", "Action", "File", "Size", "Office", "Rows", "SHA-256"};
        case Form::Ctr:
            return {"Time", "Action", "Period", "File", "Size", "Rows", "Deposits", "Withdrawals", "SHA-256"};
        case Form::Orv:
            return {"Time", "Action", "Period", "File", "Size", "Rows", "Receipts", "Payments", "SHA-256"};
        case Form::Pairs:
            return {"Time", "Action", "Period", "Pair", "Size", "Rows", "Deposits", "Withdrawals", "SHA-256"};
        case Form::Closes:
            return {"Time", "Action", "Period", "By", "Size", "Items", "Deposits", "Withdrawals", "SHA-256"};
    }
    return {};
}

Message historyFailed(const Error& error) { return critical("History Error: " + error.description(), "Error"); }

std::string cannotOpenText(const std::string& path, const std::string& why) {
    return "Cannot open '" + path + "': " + why;
}

std::string cannotReadText(const std::string& path) { return "Cannot read '" + path + "'"; }

}  // namespace vesk::history
