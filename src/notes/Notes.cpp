#include "notes/Notes.h"

#include <algorithm>
#include <tuple>

#include "core/Error.h"
#include "core/Text.h"
#include "history/ImportHistory.h"
#include "notes/NoteStatements.h"
#include "notes/NoteWording.h"
#include "store/Schema.h"
#include "store/StoredRows.h"

namespace vesk::notes {

namespace {

bool keepsNotes(store::Connection& db) { return db.layoutVersion() >= store::kNotesLayout; }
// Notes that belong to rows; a file of an older layout opened as it is keeps them by ID.
bool notesHaveDays(store::Connection& db) { return db.layoutVersion() >= store::kHandPairsLayout; }

// The notes a statement read, each column found once.
class NoteRows {
  public:
    NoteRows(store::Connection& db, store::ResultSet rs)
        : m_rows(db, sql::kNotesTable, std::move(rs)),
          m_side(m_rows.column("side")),
          m_id(m_rows.column("tran_id")),
          m_day(m_rows.column("day")),
          m_status(m_rows.column("status")),
          m_text(m_rows.column("note")),
          m_office(m_rows.column("office")),
          m_who(m_rows.column("changed_by")),
          m_when(m_rows.column("changed_at")) {}

    std::size_t size() const { return m_rows.size(); }
    Note note(std::size_t r) const {
        Note n;
        n.side = m_rows.named<Side>(r, m_side, sideNamed);
        n.id = m_rows.text(r, m_id);
        if (!m_rows.isNull(r, m_day)) n.day = m_rows.integer(r, m_day);
        n.status = m_rows.named<Status>(r, m_status, statusNamed);
        n.text = m_rows.text(r, m_text);
        n.office = m_rows.text(r, m_office);
        n.who = m_rows.text(r, m_who);
        n.when = m_rows.time(r, m_when);
        return n;
    }

  private:
    store::StoredRows m_rows;
    std::size_t m_side, m_id, m_day, m_status, m_text, m_office, m_who, m_when;
};

store::Value dayValue(const std::optional<long long>& day) {
    return day ? store::Value(std::int64_t(*day)) : store::Value();
}

std::vector<Note> notesWithId(store::Connection& db, Side side, const std::string& id) {
    std::vector<Note> out;
    if (!keepsNotes(db) || !notesHaveDays(db)) return out;
    const NoteRows rs(db, db.query(sql::notesWithIdStatement(), {sideKey(side), trim(id)}));
    for (std::size_t r = 0; r < rs.size(); ++r) out.push_back(rs.note(r));
    return out;
}

std::optional<Note> noteOfDay(const std::vector<Note>& notes, std::optional<long long> day) {
    for (const Note& n : notes)
        if (n.day == day) return n;
    return std::nullopt;
}

void save(store::Connection& db, const Note& n) {
    db.execute(sql::kForgetNote, {sideKey(n.side), n.id, dayValue(n.day)});
    db.execute(sql::saveNoteStatement(), {sideKey(n.side), n.id, statusKey(n.status), n.text,
                                          n.office.empty() ? store::Value() : store::Value(n.office), n.who,
                                          isoDateTime(n.when), dayValue(n.day)});
}

// The checks that come before any reading: the text's length, and a file that cannot be written.
bool refusedAtOnce(store::Connection& db, const NoteEdit& edit, SetResult& result) {
    if (edit.text && characterCount(noteText(*edit.text)) > kLongestNote) {
        result.outcome = Outcome::TooLong;
        result.length = characterCount(noteText(*edit.text));
        return true;
    }
    if (db.readOnly() || !keepsNotes(db) || !notesHaveDays(db)) {
        result.outcome = Outcome::ReadOnly;
        return true;
    }
    return false;
}

// Writes the change to what the lookup found and records it, within the caller's transaction.
void apply(store::Connection& db, Side side, const NoteLookup& found, const NoteEdit& edit, const std::string& who,
           const DateTime& when, SetResult& result) {
    const std::optional<Note>& before = found.note;
    result.note = before;
    Note fresh;
    fresh.side = side;
    fresh.id = found.row ? found.row->id : before ? before->id : found.asked.id;
    fresh.day = found.row ? std::optional(found.row->day) : before ? before->day : found.asked.day;
    Note after = before.value_or(fresh);
    if (edit.status) after.status = *edit.status;
    if (edit.text) after.text = noteText(*edit.text);
    if (before && after.status == before->status && after.text == before->text) {
        result.outcome = Outcome::Unchanged;
        return;
    }
    if (found.row) after.office = found.row->office;
    after.who = who;
    after.when = when;
    save(db, after);

    history::Change change;
    change.action = side == Side::Bank ? history::Action::BankNoteChange : history::Action::OrvNoteChange;
    change.by = who;
    if (after.day) {
        const Period month = monthOfDay(*after.day);
        change.year = month.year;
        change.month = month.month;
    }
    change.note = history::StatusChange{after.id, before ? statusKey(before->status) : "", statusKey(after.status)};
    history::recordChange(db, change, when);
    result.outcome = Outcome::Saved;
    result.note = after;
}

Outcome refusalOf(Found found) {
    switch (found) {
        case Found::Ambiguous:
            return Outcome::AmbiguousRow;
        case Found::NotOnDate:
            return Outcome::NotOnDate;
        case Found::Unknown:
        case Found::Row:
            break;
    }
    return Outcome::UnknownRow;
}

template <class Find>
SetResult change(store::Connection& db, Side side, const NoteEdit& edit, const std::string& who, const DateTime& when,
                 Find&& find) {
    SetResult result;
    if (refusedAtOnce(db, edit, result)) return result;
    try {
        store::Transaction tx = db.begin();
        const NoteLookup found = find();
        result.asked = found.asked;
        result.dates = found.dates;
        if (found.found != Found::Row) {
            result.outcome = refusalOf(found.found);
            return result;
        }
        apply(db, side, found, edit, who, when, result);
        if (result.outcome == Outcome::Saved) tx.commit();
        return result;
    } catch (const Error& e) {
        if (e.number() != store::kReadOnlyError) throw;
        result.outcome = Outcome::ReadOnly;
        return result;
    }
}

}  // namespace

const char* statusKey(Status status) {
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

std::optional<Status> statusNamed(const std::string& name) {
    for (Status s : kStatuses)
        if (equalsNoCase(trim(name), statusKey(s))) return s;
    return std::nullopt;
}

std::string noteText(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return trim(out);
}

std::size_t characterCount(const std::string& text) {
    std::size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;  // continuation bytes belong to the character before
    return n;
}

std::optional<Note> noteOn(store::Connection& db, const RowRef& row) {
    return noteOfDay(notesWithId(db, row.side, row.id), row.day);
}

NoteLookup findNote(store::Connection& db, Side side, const std::string& rowText) {
    const RowLookup held = findRow(db, side, rowText);
    NoteLookup out;
    out.found = held.found;
    out.asked = held.asked;
    out.dates = held.dates;
    const std::vector<Note> notes = notesWithId(db, side, held.asked.id);
    if (held.found == Found::Row) {
        out.row = held.rows.front();
        out.note = noteOfDay(notes, out.row->day);
        return out;
    }
    if (held.found == Found::Ambiguous) return out;
    // No held row is meant: a note whose row is gone may be.
    if (held.asked.day) {
        out.note = noteOfDay(notes, held.asked.day);
    } else if (notes.size() == 1) {
        out.note = notes.front();
    } else if (notes.size() > 1) {
        out.found = Found::Ambiguous;
        for (const Note& n : notes)
            if (n.day) out.dates.push_back(*n.day);
        return out;
    }
    if (out.note) out.found = Found::Row;
    return out;
}

SetResult setNote(store::Connection& db, const RowRef& row, const NoteEdit& edit, const std::string& who,
                  const DateTime& when) {
    return change(db, row.side, edit, who, when, [&] {
        NoteLookup found;
        found.asked = {row.id, row.day};
        found.note = noteOn(db, row);
        for (const HeldRow& r : heldRowsWithId(db, row.side, row.id))
            if (r.day == row.day && !found.row) found.row = r;
        found.found = found.row || found.note ? Found::Row : Found::Unknown;
        return found;
    });
}

SetResult setNote(store::Connection& db, Side side, const std::string& rowText, const NoteEdit& edit,
                  const std::string& who, const DateTime& when) {
    return change(db, side, edit, who, when, [&] { return findNote(db, side, rowText); });
}

NoteBook NoteBook::read(store::Connection& db) {
    NoteBook book;
    if (!keepsNotes(db)) return book;
    const bool byRow = notesHaveDays(db);
    const NoteRows rs(db, db.query(sql::allNotesStatement(byRow)));
    for (std::size_t r = 0; r < rs.size(); ++r) {
        Note n = rs.note(r);
        if (!byRow)
            book.m_byId.emplace(std::make_pair(n.side, upper(n.id)), std::move(n));
        else if (n.day)
            book.m_notes.emplace(rowKey(n.side, n.id, *n.day), std::move(n));
    }
    return book;
}

const Note* NoteBook::find(Side side, const std::string& id, long long day) const {
    if (!m_notes.empty()) {
        const auto it = m_notes.find(rowKey(side, id, day));
        if (it != m_notes.end()) return &it->second;
    }
    if (m_byId.empty()) return nullptr;
    const auto it = m_byId.find({side, upper(id)});
    return it == m_byId.end() ? nullptr : &it->second;
}

std::vector<ListedNote> listNotes(store::Connection& db) {
    std::vector<ListedNote> out;
    if (!keepsNotes(db)) return out;
    const bool byRow = notesHaveDays(db);
    const NoteRows rs(db, db.query(sql::allNotesStatement(byRow)));
    // The held rows with the notes' IDs: each by its row, and the earliest of each ID for
    // notes kept by ID alone.
    std::map<RowKey, HeldRow> rows;
    std::map<std::pair<Side, std::string>, HeldRow> earliest;
    for (Side side : {Side::Bank, Side::Orv})
        for (HeldRow& row : heldRowsOfIds(db, side, sql::noteIds(side))) {
            earliest.try_emplace({side, upper(row.id)}, row);
            rows.try_emplace(rowKey(row.ref()), std::move(row));
        }
    for (std::size_t r = 0; r < rs.size(); ++r) {
        ListedNote listed{rs.note(r), std::nullopt};
        const Note& n = listed.note;
        if (n.day) {
            if (const auto it = rows.find(rowKey(n.side, n.id, *n.day)); it != rows.end()) listed.row = it->second;
        } else if (!byRow) {
            if (const auto it = earliest.find({n.side, upper(n.id)}); it != earliest.end()) listed.row = it->second;
        }
        out.push_back(std::move(listed));
    }
    const auto key = [](const ListedNote& n) {
        const std::string& office = n.row ? n.row->office : n.note.office;
        return std::make_tuple(!n.row, n.row ? n.row->day : 0, upper(office), office, n.note.side, n.note.id,
                               n.note.day.value_or(0));
    };
    std::sort(out.begin(), out.end(), [&](const ListedNote& a, const ListedNote& b) { return key(a) < key(b); });
    return out;
}

}  // namespace vesk::notes
