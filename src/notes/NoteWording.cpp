#include "notes/NoteWording.h"

#include "core/Amount.h"
#include "history/ImportHistory.h"

namespace vesk::notes {

namespace {

// 2000 as "2,000".
std::string counted(std::size_t n) {
    std::string digits = std::to_string(n);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3) digits.insert(std::size_t(at), ",");
    return digits;
}

}  // namespace

const char* sideText(Side side) { return side == Side::Bank ? "Bank" : "ORV"; }

const char* statusText(Status status) {
    switch (status) {
        case Status::Open:
            return "Open";
        case Status::Explained:
            return "Explained";
        case Status::Resolved:
            return "Resolved";
    }
    return "";
}

std::string rowWords(Side side, const std::string& id) {
    return (side == Side::Bank ? "bank row " : "ORV entry ") + id;
}

std::string noteHeading(Side side, const std::string& id) { return "Note on " + rowWords(side, id); }

std::string noNoteText(Side side, const std::string& id) { return "No note is on " + rowWords(side, id) + "."; }

std::string refusalText(const SetResult& result, Side side, const std::string& id, const std::string& databasePath) {
    switch (result.outcome) {
        case Outcome::UnknownRow:
            return std::string(side == Side::Bank ? "No bank row" : "No ORV entry") + " has the ID '" + id +
                   "', so no note was set.";
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

Message noteRefused(const std::string& refusal) { return exclamation(refusal, "Note"); }

Message noRowForNote() { return exclamation("Please select a row to write a note on.", "Note"); }

Message noteFailed(const Error& error) { return critical("Error: " + error.description(), "Note"); }

std::string noTimeText(const std::string& value) { return "A note holds a time that is no time: '" + value + "'"; }

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
