#include "notes/Notes.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "core/Error.h"
#include "core/Text.h"
#include "history/ImportHistory.h"
#include "notes/NoteStatements.h"
#include "notes/NoteWording.h"

namespace vesk::notes {

namespace {

bool keepsNotes(store::Connection& db) { return db.scalar(sql::kHasNotes).toInt() > 0; }

Note noteOf(const store::ResultSet& rs, std::size_t r) {
    Note n;
    n.side = sideNamed(rs.field(r, 0).toText()).value_or(Side::Bank);
    n.id = rs.field(r, 1).toText();
    n.status = statusNamed(rs.field(r, 2).toText()).value_or(Status::Open);
    n.text = rs.field(r, 3).toText();
    n.office = rs.field(r, 4).toText();
    n.who = rs.field(r, 5).toText();
    const std::optional<DateTime> when = parseDateText(rs.field(r, 6).toText());
    if (!when) throw Error(errc::kTypeMismatch, noTimeText(rs.field(r, 6).toText()));
    n.when = *when;
    return n;
}

long long dayOf(const store::Value& v) {
    const std::optional<DateTime> d = parseDateText(v.toText());
    if (!d) throw Error(errc::kTypeMismatch, kTypeMismatchText);
    return daysFromCivil(d->year, d->month, d->day);
}

// The held rows the statement finds, by ID in upper case: the earliest of each ID.
std::map<std::string, std::pair<std::string, HeldRow>> heldRows(store::Connection& db, const std::string& statement,
                                                                const std::vector<store::Value>& params) {
    std::map<std::string, std::pair<std::string, HeldRow>> out;
    const store::ResultSet rs = db.query(statement, params);
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        const std::string id = rs.field(r, 0).toText();
        const HeldRow row{dayOf(rs.field(r, 1)), rs.field(r, 3).toText(), rs.field(r, 2).toNumber()};
        auto [it, added] = out.try_emplace(upper(id), id, row);
        if (!added && row.day < it->second.second.day) it->second = {id, row};
    }
    return out;
}

std::string rowsStatement(Side side, bool ofNotes) {
    return side == Side::Bank ? sql::bankRowsStatement(ofNotes) : sql::orvRowsStatement(ofNotes);
}

// The row with the ID and its spelling; none when no row has it.
std::optional<std::pair<std::string, HeldRow>> heldRow(store::Connection& db, Side side, const std::string& id) {
    auto rows = heldRows(db, rowsStatement(side, false), {id});
    if (rows.empty()) return std::nullopt;
    return rows.begin()->second;
}

void save(store::Connection& db, const Note& n) {
    db.execute(sql::kSaveNote,
               {sideKey(n.side), n.id, statusKey(n.status), n.text,
                n.office.empty() ? store::Value() : store::Value(n.office), n.who, isoDateTime(n.when)});
}

}  // namespace

const char* sideKey(Side side) { return side == Side::Bank ? "bank" : "orv"; }

std::optional<Side> sideNamed(const std::string& name) {
    for (Side s : {Side::Bank, Side::Orv})
        if (equalsNoCase(name, sideKey(s))) return s;
    return std::nullopt;
}

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

std::optional<Note> noteOn(store::Connection& db, Side side, const std::string& id) {
    if (!keepsNotes(db)) return std::nullopt;
    const store::ResultSet rs = db.query(sql::kNoteOn, {sideKey(side), trim(id)});
    if (rs.empty()) return std::nullopt;
    return noteOf(rs, 0);
}

SetResult setNote(store::Connection& db, Side side, const std::string& id, const NoteEdit& edit, const std::string& who,
                  const DateTime& when) {
    SetResult result;
    const std::optional<std::string> text = edit.text ? std::optional(noteText(*edit.text)) : std::nullopt;
    if (text && characterCount(*text) > kLongestNote) {
        result.outcome = Outcome::TooLong;
        result.length = characterCount(*text);
        return result;
    }
    if (db.readOnly() || !keepsNotes(db)) {
        result.outcome = Outcome::ReadOnly;
        return result;
    }
    try {
        store::Transaction tx = db.begin();
        const std::optional<Note> before = noteOn(db, side, id);
        const auto row = heldRow(db, side, trim(id));
        result.note = before;
        if (!row && !before) {
            result.outcome = Outcome::UnknownRow;
            return result;
        }
        Note fresh;
        fresh.side = side;
        fresh.id = row ? row->first : trim(id);
        Note after = before.value_or(fresh);
        if (edit.status) after.status = *edit.status;
        if (text) after.text = *text;
        if (before && after.status == before->status && after.text == before->text) {
            result.outcome = Outcome::Unchanged;
            return result;
        }
        if (row) after.office = row->second.office;
        after.who = who;
        after.when = when;
        save(db, after);

        history::Change change;
        change.action = side == Side::Bank ? history::Action::BankNoteChange : history::Action::OrvNoteChange;
        if (row) {
            int y = 0, m = 0, d = 0;
            civilFromDays(row->second.day, y, m, d);
            change.year = y;
            change.month = m;
        }
        change.note = history::StatusChange{after.id, before ? statusKey(before->status) : "", statusKey(after.status)};
        history::recordChange(db, change, when);
        tx.commit();
        result.note = after;
        return result;
    } catch (const Error& e) {
        if (e.number() != store::kReadOnlyError) throw;
        result.outcome = Outcome::ReadOnly;
        return result;
    }
}

NoteBook NoteBook::read(store::Connection& db) {
    NoteBook book;
    if (!keepsNotes(db)) return book;
    const store::ResultSet rs = db.query(sql::kAllNotes);
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        Note n = noteOf(rs, r);
        book.m_notes.emplace(std::make_pair(n.side, upper(n.id)), std::move(n));
    }
    return book;
}

const Note* NoteBook::find(Side side, const std::string& id) const {
    const auto it = m_notes.find({side, upper(id)});
    return it == m_notes.end() ? nullptr : &it->second;
}

std::optional<ListedNote> listedNote(store::Connection& db, Side side, const std::string& id) {
    std::optional<Note> note = noteOn(db, side, id);
    if (!note) return std::nullopt;
    const auto row = heldRow(db, side, note->id);
    return ListedNote{std::move(*note), row ? std::optional(row->second) : std::nullopt};
}

bool isHeld(store::Connection& db, Side side, const std::string& id) { return heldRow(db, side, trim(id)).has_value(); }

std::vector<ListedNote> listNotes(store::Connection& db) {
    std::vector<ListedNote> out;
    if (!keepsNotes(db)) return out;
    const store::ResultSet rs = db.query(sql::kAllNotes);
    std::map<Side, std::map<std::string, std::pair<std::string, HeldRow>>> rows;
    for (Side side : {Side::Bank, Side::Orv}) rows[side] = heldRows(db, rowsStatement(side, true), {});
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        ListedNote listed{noteOf(rs, r), std::nullopt};
        const auto& held = rows[listed.note.side];
        const auto it = held.find(upper(listed.note.id));
        if (it != held.end()) listed.row = it->second.second;
        out.push_back(std::move(listed));
    }
    const auto key = [](const ListedNote& n) {
        const std::string& office = n.row ? n.row->office : n.note.office;
        return std::make_tuple(!n.row, n.row ? n.row->day : 0, upper(office), office, n.note.side, n.note.id);
    };
    std::sort(out.begin(), out.end(), [&](const ListedNote& a, const ListedNote& b) { return key(a) < key(b); });
    return out;
}

std::string loginName() {
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
    for (const char* name : {"LOGNAME", "USER"})
        if (const char* value = std::getenv(name); value && *value) return value;
    return "unknown";
}

}  // namespace vesk::notes
