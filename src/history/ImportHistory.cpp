#include "history/ImportHistory.h"

#include <array>
#include <map>
#include <utility>

#include "core/Error.h"
#include "core/Platform.h"
#include "history/HistoryStatements.h"
#include "history/HistoryWording.h"

namespace vesk::history {

namespace {

// Each action as stored: a key never changes once files hold it.
constexpr std::array<std::pair<Action, const char*>, 21> kActionKeys = {{
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
    {Action::PassphraseSet, "passphrase-set"},
    {Action::PassphraseChanged, "passphrase-changed"},
    {Action::PassphraseRemoved, "passphrase-removed"},
    {Action::BackupRestored, "backup-restored"},
    {Action::SignOffsChanged, "sign-offs-changed"},
    {Action::PairingRulesChanged, "pairing-rules-changed"},
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
        case Form::Database:
            return "database";
    }
    return "";
}

// A close's number as the history's subject keeps it.
std::optional<std::int64_t> closeNumbered(const std::string& text) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoll(text);
}

std::optional<Action> actionNamed(const std::string& key) {
    for (const auto& [action, stored] : kActionKeys)
        if (key == stored) return action;
    return std::nullopt;
}

// A key as a build names its actions: one this build does not know is a newer build's kind of
// change, not damage.
bool newerAction(const std::string& key) {
    return !key.empty() && key.find_first_not_of("abcdefghijklmnopqrstuvwxyz-") == std::string::npos;
}

bool hasHistory(store::Connection& db) { return db.layoutVersion() >= sql::kHistoryLayout; }

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
        case Action::PairingRulesChanged:
            return Form::Pairs;
        case Action::MonthClosed:
        case Action::MonthReopened:
        case Action::SignOffsChanged:
            return Form::Closes;
        case Action::PassphraseSet:
        case Action::PassphraseChanged:
        case Action::PassphraseRemoved:
        case Action::BackupRestored:
            return Form::Database;
        case Action::MasterImport:
        case Action::OfficeChange:
        case Action::OfficesDeletion:
            break;
    }
    return Form::Master;
}

void recordChange(store::Connection& db, const Change& change, const DateTime& when) {
    const int layout = db.layoutVersion();
    if (layout < sql::kHistoryLayout) return;  // a file of an older layout opened as it is
    const bool period = change.year > 0;
    const bool closes = formOf(change.action) == Form::Closes;
    const auto text = [](const std::string& s) { return s.empty() ? store::Value() : store::Value(s); };
    std::map<std::string, store::Value> values{
        {"recorded_at", isoDateTime(when)},
        {"form", formKey(formOf(change.action))},
        {"action", actionKey(change.action)},
        {"period_year", period ? store::Value(change.year) : store::Value()},
        {"period_month", period ? store::Value(change.month) : store::Value()},
        {"file_name", change.file ? store::Value(change.file->name) : store::Value()},
        {"file_size", change.file ? store::Value(std::int64_t(change.file->size)) : store::Value()},
        {"file_sha256", change.file ? store::Value(change.file->sha256) : store::Value()},
        {"office", text(change.office)},
        {"row_count", change.rows},
        {"deposits", optionalNumber(change.deposits)},
        {"withdrawals", optionalNumber(change.withdrawals)},
        {"\"by\"", text(change.by)}};
    if (change.note)
        values.insert({{"tran_id", change.note->id},
                       {"old_status", text(change.note->before)},
                       {"new_status", change.note->after}});
    if (change.pair) values.insert({{"subject", change.pair->number}, {"detail", text(change.pair->detail)}});
    if (closes && change.close > 0) values["subject"] = std::to_string(change.close);
    if (!change.kept.empty()) values["detail"] = change.kept;
    if (!change.signOffs.empty()) values["detail"] = change.signOffs;
    if (!change.rules.empty()) values["detail"] = change.rules;
    // Before the history had columns of its own for them, a close's login stood in office and
    // a pair's name in tran_id.
    if (layout < store::kHistoryByLayout) {
        if (closes) values["office"] = values["\"by\""];
        if (change.pair) values["tran_id"] = values["subject"];
    }
    std::vector<std::string> columns;
    std::vector<store::Value> bound;
    for (const sql::HistoryColumn& c : sql::kColumns)
        if (c.layout <= layout)
            if (const auto it = values.find(c.name); it != values.end()) {
                columns.emplace_back(c.name);
                bound.push_back(it->second);
            }
    db.execute(sql::recordStatement(columns), bound);
}

void recordTakenChange(store::Connection& db, const Change& change, const DateTime& when) {
    try {
        store::Transaction tx = db.begin();
        recordChange(db, change, when);
        tx.commit();
    } catch (const Error&) {
    }
}

std::vector<Record> records(store::Connection& db, std::optional<Form> form) {
    std::vector<Record> out;
    const int layout = db.layoutVersion();
    if (layout < sql::kHistoryLayout) return out;
    const std::string statement = sql::recordsStatement(layout, form.has_value());
    const store::StoredRows rs(db, sql::kHistoryTable,
                               form ? db.query(statement, {formKey(*form)}) : db.query(statement));
    const std::size_t id = rs.column("id"), recordedAt = rs.column("recorded_at"), action = rs.column("action"),
                      year = rs.column("period_year"), month = rs.column("period_month"),
                      fileName = rs.column("file_name"), fileSize = rs.column("file_size"),
                      fileSha = rs.column("file_sha256"), office = rs.column("office"), rows = rs.column("row_count"),
                      deposits = rs.column("deposits"), withdrawals = rs.column("withdrawals"),
                      tranId = rs.column("tran_id"), oldStatus = rs.column("old_status"),
                      newStatus = rs.column("new_status"), detail = rs.column("detail"), by = rs.column("by"),
                      subject = rs.column("subject");
    const bool ownColumns = layout >= store::kHistoryByLayout;
    for (std::size_t r = 0; r < rs.size(); ++r) {
        if (const std::string key = rs.text(r, action); !actionNamed(key) && newerAction(key)) continue;
        Record rec;
        rec.id = rs.integer(r, id);
        rec.when = rs.time(r, recordedAt);
        rec.action = rs.named<Action>(r, action, actionNamed);
        if (!rs.isNull(r, year)) {
            rec.year = int(rs.integer(r, year));
            rec.month = int(rs.integer(r, month));
        }
        if (!rs.isNull(r, fileName))
            rec.file = FileDigest{rs.text(r, fileName), std::uint64_t(rs.integer(r, fileSize)), rs.text(r, fileSha)};
        rec.office = rs.text(r, office);
        rec.by = rs.text(r, by);
        rec.rows = rs.integer(r, rows);
        if (!rs.isNull(r, deposits)) rec.deposits = rs.number(r, deposits);
        if (!rs.isNull(r, withdrawals)) rec.withdrawals = rs.number(r, withdrawals);
        const Form recForm = formOf(rec.action);
        if (!rs.isNull(r, newStatus))
            rec.note = StatusChange{rs.text(r, tranId), rs.text(r, oldStatus), rs.text(r, newStatus)};
        else if (recForm == Form::Pairs && rec.action != Action::PairingRulesChanged)
            rec.pair = PairChange{rs.text(r, ownColumns ? subject : tranId), rs.text(r, detail)};
        if (recForm == Form::Closes && !ownColumns) rec.by = std::exchange(rec.office, {});
        if (recForm == Form::Closes && !rs.isNull(r, subject))
            rec.close = rs.named<std::int64_t>(r, subject, closeNumbered);
        if (rec.action == Action::BackupRestored) rec.kept = rs.text(r, detail);
        if (rec.action == Action::SignOffsChanged) rec.signOffs = rs.text(r, detail);
        if (rec.action == Action::PairingRulesChanged) rec.rules = rs.text(r, detail);
        out.push_back(std::move(rec));
    }
    return out;
}

std::optional<DateTime> lastImport(store::Connection& db, Form form, const std::string& sha256) {
    if (!hasHistory(db)) return std::nullopt;
    const store::StoredRows rs(db, sql::kHistoryTable, db.query(sql::kLastImport, {formKey(form), sha256}));
    if (rs.size() == 0) return std::nullopt;
    return rs.time(0, rs.column("recorded_at"));
}

std::optional<Form> formNamed(const std::string& name) {
    for (Form f : {Form::Master, Form::Ctr, Form::Orv, Form::Pairs, Form::Closes, Form::Database})
        if (name == formKey(f)) return f;
    return std::nullopt;
}

std::string loginName() {
    const std::string name = platform::userName();
    return name.empty() ? "unknown" : name;
}

}  // namespace vesk::history
