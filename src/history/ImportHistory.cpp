#include "history/ImportHistory.h"

#include <array>

#include "core/Error.h"
#include "history/HistoryStatements.h"
#include "history/HistoryWording.h"

namespace vesk::history {

namespace {

// Each action as stored: a key never changes once files hold it.
constexpr std::array<std::pair<Action, const char*>, 15> kActionKeys = {{
    {Action::MasterImport, "master-import"},
    {Action::CtrImport, "ctr-import"},
    {Action::OrvReceiptsImport, "orv-receipts-import"},
    {Action::OrvPaymentsImport, "orv-payments-import"},
    {Action::CtrMonthDeletion, "ctr-month-deletion"},
    {Action::OrvMonthDeletion, "orv-month-deletion"},
    {Action::OfficeChange, "office-change"},
    {Action::OfficesDeletion, "offices-deletion"},
    {Action::BankNoteChange, "bank-note-change"},
    {Action::OrvNoteChange, "orv-note-change"},
    {Action::HandPairMade, "hand-pair-made"},
    {Action::HandPairUndone, "hand-pair-undone"},
    {Action::HandPairBroken, "hand-pair-broken"},
    {Action::MonthClosed, "month-closed"},
    {Action::MonthReopened, "month-reopened"},
}};

}  // namespace

const char* actionKey(Action action) {
    for (const auto& [a, key] : kActionKeys)
        if (a == action) return key;
    throw Error(errc::kInternal, kNamelessActionText);
}

namespace {

const char* formKey(Form form) {
    switch (form) {
        case Form::Master:
            return "master";
        case Form::Ctr:
            return "ctr";
        case Form::Orv:
            return "orv";
        case Form::Pairs:
            return "pairs";
        case Form::Closes:
            return "closes";
    }
    return "";
}

DateTime readTime(const store::Value& v) {
    const std::optional<DateTime> t = parseDateText(v.toText());
    if (!t) throw Error(errc::kTypeMismatch, noTimeText(v.toText()));
    return *t;
}

bool hasHistory(store::Connection& db) { return store::hasTable(db, sql::kHistoryTable); }

bool keepsNotes(store::Connection& db) { return db.scalar(sql::kHasNoteColumns).toInt() > 0; }
bool keepsDetails(store::Connection& db) { return db.scalar(sql::kHasDetailColumn).toInt() > 0; }

store::Value optionalNumber(const std::optional<double>& v) { return v ? store::Value(*v) : store::Value(); }

}  // namespace

Form formOf(Action action) {
    switch (action) {
        case Action::CtrImport:
        case Action::CtrMonthDeletion:
        case Action::BankNoteChange:
            return Form::Ctr;
        case Action::OrvReceiptsImport:
        case Action::OrvPaymentsImport:
        case Action::OrvMonthDeletion:
        case Action::OrvNoteChange:
            return Form::Orv;
        case Action::HandPairMade:
        case Action::HandPairUndone:
        case Action::HandPairBroken:
            return Form::Pairs;
        case Action::MonthClosed:
        case Action::MonthReopened:
            return Form::Closes;
        case Action::MasterImport:
        case Action::OfficeChange:
        case Action::OfficesDeletion:
            break;
    }
    return Form::Master;
}

void recordChange(store::Connection& db, const Change& change, const DateTime& when) {
    if (!hasHistory(db)) return;
    const bool period = change.year > 0;
    std::vector<store::Value> values{isoDateTime(when),
                                     formKey(formOf(change.action)),
                                     actionKey(change.action),
                                     period ? store::Value(change.year) : store::Value(),
                                     period ? store::Value(change.month) : store::Value(),
                                     change.file ? store::Value(change.file->name) : store::Value(),
                                     change.file ? store::Value(std::int64_t(change.file->size)) : store::Value(),
                                     change.file ? store::Value(change.file->sha256) : store::Value(),
                                     change.office.empty() ? store::Value() : store::Value(change.office),
                                     change.rows,
                                     optionalNumber(change.deposits),
                                     optionalNumber(change.withdrawals)};
    const auto text = [](const std::string& s) { return s.empty() ? store::Value() : store::Value(s); };
    if (change.pair) {
        values.insert(values.end(), {change.pair->number, text(change.pair->detail)});
        db.execute(sql::kRecordPair, values);
        return;
    }
    if (!change.note) {
        db.execute(sql::kRecord, values);
        return;
    }
    values.insert(values.end(), {change.note->id, text(change.note->before), change.note->after});
    db.execute(sql::kRecordNote, values);
}

std::vector<Record> records(store::Connection& db, std::optional<Form> form) {
    std::vector<Record> out;
    if (!hasHistory(db)) return out;
    const std::string statement = sql::recordsStatement(keepsNotes(db), keepsDetails(db), form.has_value());
    const store::ResultSet rs = form ? db.query(statement, {formKey(*form)}) : db.query(statement);
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        Record rec;
        rec.id = rs.field(r, 0).toInt();
        rec.when = readTime(rs.field(r, 1));
        const std::string key = rs.field(r, 2).toText();
        bool known = false;
        for (const auto& [action, stored] : kActionKeys)
            if (key == stored) {
                rec.action = action;
                known = true;
            }
        if (!known) throw Error(errc::kTypeMismatch, unknownActionText(key));
        if (!rs.field(r, 3).isNull()) {
            rec.year = int(rs.field(r, 3).toInt());
            rec.month = int(rs.field(r, 4).toInt());
        }
        if (!rs.field(r, 5).isNull())
            rec.file =
                FileDigest{rs.field(r, 5).toText(), std::uint64_t(rs.field(r, 6).toInt()), rs.field(r, 7).toText()};
        rec.office = rs.field(r, 8).toText();
        rec.rows = rs.field(r, 9).toInt();
        if (!rs.field(r, 10).isNull()) rec.deposits = rs.field(r, 10).toNumber();
        if (!rs.field(r, 11).isNull()) rec.withdrawals = rs.field(r, 11).toNumber();
        if (!rs.field(r, 14).isNull())
            rec.note = StatusChange{rs.field(r, 12).toText(), rs.field(r, 13).toText(), rs.field(r, 14).toText()};
        else if (formOf(rec.action) == Form::Pairs)
            rec.pair = PairChange{rs.field(r, 12).toText(), rs.field(r, 15).toText()};
        out.push_back(std::move(rec));
    }
    return out;
}

std::optional<DateTime> lastImport(store::Connection& db, Form form, const std::string& sha256) {
    if (!hasHistory(db)) return std::nullopt;
    const store::Value when = db.scalar(sql::kLastImport, {formKey(form), sha256});
    if (when.isNull()) return std::nullopt;
    return readTime(when);
}

std::optional<Form> formNamed(const std::string& name) {
    for (Form f : {Form::Master, Form::Ctr, Form::Orv, Form::Pairs, Form::Closes})
        if (name == formKey(f)) return f;
    return std::nullopt;
}

}  // namespace vesk::history
