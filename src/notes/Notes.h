#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/DateTime.h"
#include "store/Connection.h"

namespace vesk::notes {

/// Where a row comes from: the bank's CTR report or ORV.
enum class Side { Bank, Orv };
/// "bank", "orv": as stored and as the command line names the side.
const char* sideKey(Side side);
/// The side a command line names, in any letter case.
std::optional<Side> sideNamed(const std::string& name);

/// How far the person got with a row that does not pair.
enum class Status { Open, Explained, Resolved };
inline constexpr std::array<Status, 3> kStatuses = {Status::Open, Status::Explained, Status::Resolved};
/// "Open", "Explained", "Resolved": as stored, and in the history of changes.
const char* statusKey(Status status);
/// The status a command line or the file names, in any letter case.
std::optional<Status> statusNamed(const std::string& name);

/// The longest note text, in characters.
inline constexpr std::size_t kLongestNote = 2000;

/// A note on one bank row or ORV entry, found again by its side and ID.
struct Note {
    Side side = Side::Bank;
    std::string id;  ///< tran_id or treasury_tran_id, as the row spells it
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

/// The row a note is about, while the data holds it.
struct HeldRow {
    long long day = 0;  ///< days since 1970-01-01
    std::string office;
    double amount = 0;
};

enum class Outcome {
    Saved,
    Unchanged,   ///< the note was already so: nothing written
    UnknownRow,  ///< no held row has the ID, and no note is on it
    TooLong,     ///< the text is longer than kLongestNote
    ReadOnly,    ///< the file cannot be written
};

struct SetResult {
    Outcome outcome = Outcome::Saved;
    std::optional<Note> note;  ///< as it stands afterwards (none for a refused new note)
    std::size_t length = 0;    ///< the text's length in characters, when too long
};

/// The text as a note keeps it: tabs and line breaks as spaces, no spaces around it.
std::string noteText(const std::string& text);
/// Characters of a UTF-8 text (a byte that is no valid start counts as one).
std::size_t characterCount(const std::string& text);

/// Sets or changes the note on the side's row with the ID, and records the change in the
/// history, in one transaction. Nothing is written when the change changes nothing, when no
/// held row has the ID and no note is on it yet, when the text is too long, or when the file
/// cannot be written. The imported rows are never touched.
SetResult setNote(store::Connection& db, Side side, const std::string& id, const NoteEdit& edit, const std::string& who,
                  const DateTime& when);

/// The note on the side's row with the ID (letter case aside); none when there is none.
std::optional<Note> noteOn(store::Connection& db, Side side, const std::string& id);

/// Every note of the file, found by side and ID without regard to letter case. Empty on a
/// file of an older layout opened as it is.
class NoteBook {
  public:
    static NoteBook read(store::Connection& db);
    const Note* find(Side side, const std::string& id) const;
    bool empty() const { return m_notes.empty(); }

  private:
    std::map<std::pair<Side, std::string>, Note> m_notes;
};

/// A note and the row it is about, when the data still holds one.
struct ListedNote {
    Note note;
    std::optional<HeldRow> row;
};

/// The note on the side's row with the ID, with the row when the data holds it; none when
/// no note is on it.
std::optional<ListedNote> listedNote(store::Connection& db, Side side, const std::string& id);

/// Whether a row of the side has the ID.
bool isHeld(store::Connection& db, Side side, const std::string& id);

/// Every note with its row: by the row's date (notes whose rows are gone last), office name
/// (letter case aside), bank before ORV, ID.
std::vector<ListedNote> listNotes(store::Connection& db);

/// The login name of whoever runs the program.
std::string loginName();

}  // namespace vesk::notes
