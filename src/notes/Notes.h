#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/DateTime.h"
#include "history/ImportHistory.h"
#include "notes/HeldRows.h"
#include "store/Connection.h"

namespace vesk::notes {

/// How far the person got with a row that does not pair.
enum class Status { Open, Explained, Resolved };
inline constexpr std::array<Status, 3> kStatuses = {Status::Open, Status::Explained, Status::Resolved};
/// "Open", "Explained", "Resolved": as stored, and in the history of changes.
const char* statusKey(Status status);
/// The status a command line or the file names, in any letter case.
std::optional<Status> statusNamed(const std::string& name);

/// The longest note text, in characters.
inline constexpr std::size_t kLongestNote = 2000;

/// A note on one bank row or ORV entry: on its side, ID and date.
struct Note {
    Side side = Side::Bank;
    std::string id;  ///< tran_id or treasury_tran_id, as the row spells it
    /// The row's date; none for a note whose rows were all gone when notes came to belong to
    /// rows rather than IDs (it stays, no longer held).
    std::optional<long long> day;
    Status status = Status::Open;
    std::string text;    ///< one line
    std::string office;  ///< the row's office when the note was last set
    std::string who;     ///< login name
    DateTime when;       ///< local time
};

/// What a change asks for; what it leaves out stays as it is (a new note: Open, no text).
struct NoteEdit {
    std::optional<Status> status;
    std::optional<std::string> text;
};

enum class Outcome {
    Saved,
    Unchanged,     ///< the note was already so: nothing written
    UnknownRow,    ///< no held row has the ID, and no note is on it
    AmbiguousRow,  ///< rows (or notes) of several dates have the ID and no date was given
    NotOnDate,     ///< no held row of the date given has the ID, and no note is on it
    TooLong,       ///< the text is longer than kLongestNote
    ReadOnly,      ///< the file cannot be written
};

struct SetResult {
    Outcome outcome = Outcome::Saved;
    std::optional<Note> note;      ///< as it stands afterwards (none for a refused new note)
    std::size_t length = 0;        ///< the text's length in characters, when too long
    RowText asked;                 ///< the row as it was named
    std::vector<long long> dates;  ///< the dates the ID is held on, for AmbiguousRow and NotOnDate
};

/// The text as a note keeps it: tabs and line breaks as spaces, no spaces around it.
std::string noteText(const std::string& text);
/// Characters of a UTF-8 text (a byte that is no valid start counts as one).
std::size_t characterCount(const std::string& text);

/// Sets or changes the note on the row, and records the change in the history, in one
/// transaction. Nothing is written when the change changes nothing, when no held row is the
/// row and no note is on it yet, when the text is too long, or when the file cannot be
/// written. The imported rows are never touched.
SetResult setNote(store::Connection& db, const RowRef& row, const NoteEdit& edit, const std::string& who,
                  const DateTime& when);
/// The same for a row a person names, "T12" or "T12@02/04/2025" (see findNote): an ID that
/// rows of several dates share is refused without its date, nothing written.
SetResult setNote(store::Connection& db, Side side, const std::string& rowText, const NoteEdit& edit,
                  const std::string& who, const DateTime& when);

/// The note on the row (letter case aside); none when there is none.
std::optional<Note> noteOn(store::Connection& db, const RowRef& row);

/// Every note of the file, found by side, ID (letter case aside) and date. Empty on a file of
/// an older layout opened as it is but for its notes by ID, which are found on every row with
/// their ID, as that layout meant them.
class NoteBook {
  public:
    static NoteBook read(store::Connection& db);
    const Note* find(Side side, const std::string& id, long long day) const;
    bool empty() const { return m_notes.empty() && m_byId.empty(); }

  private:
    std::map<RowKey, Note> m_notes;
    std::map<std::pair<Side, std::string>, Note> m_byId;
};

/// A note and the row it is about, when the data still holds one.
struct ListedNote {
    Note note;
    std::optional<HeldRow> row;
};

/// What a row a person names comes to for its note: the held row with the ID (of the date
/// given, when one is), or else a note on the ID whose row is gone (the only one, or the one
/// of the date given).
struct NoteLookup {
    Found found = Found::Unknown;
    RowText asked;
    std::vector<long long> dates;  ///< the dates the ID is held (or noted) on, for Ambiguous and NotOnDate
    std::optional<HeldRow> row;    ///< the held row meant
    std::optional<Note> note;      ///< the note on what is meant
};
NoteLookup findNote(store::Connection& db, Side side, const std::string& rowText);

/// Every note with its row: by the row's date (notes whose rows are gone last), office name
/// (letter case aside), bank before ORV, ID.
std::vector<ListedNote> listNotes(store::Connection& db);

/// The login name of whoever runs the program.
using history::loginName;

}  // namespace vesk::notes
