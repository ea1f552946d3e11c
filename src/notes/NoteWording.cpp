#include "notes/NoteWording.h"

#include "core/Amount.h"
#include "core/Text.h"
#include "history/ImportHistory.h"

namespace vesk::notes {

std::string counted(std::size_t n) {
    const std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string rowName(Side side, const std::string& id) { return (side == Side::Bank ? "VESK " : "ORV ") + id; }

// The bank's side by the bank's name, as the comparison's headings and the statement call it.
const char* sideText(Side side) { return side == Side::Bank ? "VESK" : "ORV"; }

const char* kindText(Kind kind) { return kind == Kind::Deposit ? "Deposit" : "Withdrawal"; }

// The listings and the dialog show a status by the word it is stored as.
const char* statusText(Status status) { return statusKey(status); }

std::string rowWords(Side side, const std::string& id) {
    return (side == Side::Bank ? "bank row " : "ORV entry ") + id;
}

std::string noteHeading(Side side, const std::string& id) { return "Note on " + rowWords(side, id); }

std::string noNoteText(Side side, const std::string& id) { return "No note is on " + rowWords(side, id) + "."; }

std::string datesText(const std::vector<long long>& days) {
    std::string out;
    for (std::size_t i = 0; i < days.size(); ++i)
        out += (i == 0 ? "" : i + 1 == days.size() ? " and " : ", ") + dayText(days[i]);
    return out;
}

std::string rowText(const RowRef& row) { return row.id + "@" + dayText(row.day); }

std::string rowNotFoundText(Side side, Found found, const RowText& asked, const std::vector<long long>& dates,
                            const std::string& consequence) {
    const std::string id = "'" + asked.id + "'";
    const char* none = side == Side::Bank ? "No bank row" : "No ORV entry";
    switch (found) {
        case Found::Row:
            break;
        case Found::Unknown:
            if (!asked.day) return std::string(none) + " has the ID " + id + ", so " + consequence + ".";
            [[fallthrough]];
        case Found::NotOnDate: {
            std::string text = std::string(none) + " of " + dayText(*asked.day) + " has the ID " + id;
            if (!dates.empty()) text += " (it is held on " + datesText(dates) + ")";
            return text + ", so " + consequence + ".";
        }
        case Found::Ambiguous:
            return std::string(side == Side::Bank ? "Bank rows" : "ORV entries") + " of " + datesText(dates) +
                   " have the ID " + id + ", so " + consequence + ": name one as " +
                   rowText({side, asked.id, dates.empty() ? 0 : dates.front()}) + ".";
    }
    return "";
}

std::string refusalText(const SetResult& result, Side side, const std::string& id, const std::string& databasePath) {
    constexpr const char* kNotSet = "no note was set";
    switch (result.outcome) {
        case Outcome::UnknownRow:
            return rowNotFoundText(side, Found::Unknown, result.asked.id.empty() ? RowText{trim(id), {}} : result.asked,
                                   result.dates, kNotSet);
        case Outcome::AmbiguousRow:
            return rowNotFoundText(side, Found::Ambiguous, result.asked, result.dates, kNotSet);
        case Outcome::NotOnDate:
            return rowNotFoundText(side, Found::NotOnDate, result.asked, result.dates, kNotSet);
        case Outcome::TooLong:
            return "A note holds at most " + counted(kLongestNote) + " characters; this one has " +
                   counted(result.length) + ".";
        case Outcome::ReadOnly:
            return "The database file '" + databasePath + "' cannot be written, so the note was not saved.";
        case Outcome::Saved:
        case Outcome::Unchanged:
            break;
    }
    return "";
}

std::string refusalText(const NoteLookup& lookup, Side side) {
    return rowNotFoundText(side, lookup.found, lookup.asked, lookup.dates, "no note was set");
}

std::string unknownSideText(const std::string& given) { return "the side is bank or orv, not '" + given + "'"; }

std::string unknownStatusText(const std::string& given) {
    return "the status is open, explained or resolved, not '" + given + "'";
}

Message noteRefused(const std::string& refusal) { return exclamation(refusal, "Note"); }

Message notePairedRows(Side side, const std::string& id, const std::vector<RowRef>& others) {
    std::string with;
    for (std::size_t i = 0; i < others.size(); ++i)
        with += (i == 0 ? "" : i + 1 == others.size() ? " and " : ", ") + rowWords(others[i].side, others[i].id);
    const std::string ask =
        others.size() == 1 ? "Note both rows?" : "Note all " + std::to_string(others.size() + 1) + " rows?";
    return question("The rules paired " + rowWords(side, id) + " with " + with + "." + kCrLf + ask, "Note",
                    Icon::Question, Answer::Yes);
}

Message noRowForNote() { return exclamation("Please select a row to write a note on.", "Note"); }

Message noteFailed(const Error& error) { return critical("Error: " + error.description(), "Note"); }

std::string changedText(const Note& note) { return isoDateTime(note.when) + " by " + note.who; }

const std::vector<std::string>& notesHeaders() {
    static const std::vector<std::string> kHeaders = {"Side",   "ID",     "Date", "Office Name",
                                                      "Amount", "Status", "Note", "Changed"};
    return kHeaders;
}

std::vector<std::string> noteCells(const ListedNote& n) {
    return {sideText(n.note.side),
            n.note.id,
            n.row ? dayText(n.row->day) : "",
            n.row ? n.row->office : n.note.office,
            n.row ? formatAmount(n.row->amount) : "",
            statusText(n.note.status),
            n.note.text,
            changedText(n.note)};
}

}  // namespace vesk::notes
