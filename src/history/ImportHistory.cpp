#include "history/ImportHistory.h"

#include <array>

#include "core/Error.h"
#include "history/HistoryStatements.h"

namespace vesk::history {

namespace {

// Each action as stored: a key never changes once files hold it.
constexpr std::array<std::pair<Action, const char*>, 8> kActionKeys = {{
    {Action::MasterImport, "master-import"},
    {Action::CtrImport, "ctr-import"},
    {Action::OrvReceiptsImport, "orv-receipts-import"},
    {Action::OrvPaymentsImport, "orv-payments-import"},
    {Action::CtrMonthDeletion, "ctr-month-deletion"},
    {Action::OrvMonthDeletion, "orv-month-deletion"},
    {Action::OfficeChange, "office-change"},
    {Action::OfficesDeletion, "offices-deletion"},
}};

const char* actionKey(Action action) {
    for (const auto& [a, key] : kActionKeys)
        if (a == action) return key;
    throw Error(errc::kInternal, "An action without a name");
}

const char* formKey(Form form) {
    switch (form) {
        case Form::Master:
            return "master";
        case Form::Ctr:
            return "ctr";
        case Form::Orv:
            return "orv";
    }
    return "";
}

DateTime readTime(const store::Value& v) {
    const std::optional<DateTime> t = parseDateText(v.toText());
    if (!t) throw Error(errc::kTypeMismatch, "The history holds a time that is no time: '" + v.toText() + "'");
    return *t;
}

bool hasHistory(store::Connection& db) { return store::hasTable(db, sql::kHistoryTable); }

store::Value optionalNumber(const std::optional<double>& v) { return v ? store::Value(*v) : store::Value(); }

}  // namespace

Form formOf(Action action) {
    switch (action) {
        case Action::CtrImport:
        case Action::CtrMonthDeletion:
            return Form::Ctr;
        case Action::OrvReceiptsImport:
        case Action::OrvPaymentsImport:
        case Action::OrvMonthDeletion:
            return Form::Orv;
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
    db.execute(sql::kRecord, {isoDateTime(when), formKey(formOf(change.action)), actionKey(change.action),
                              period ? store::Value(change.year) : store::Value(),
                              period ? store::Value(change.month) : store::Value(),
                              change.file ? store::Value(change.file->name) : store::Value(),
                              change.file ? store::Value(std::int64_t(change.file->size)) : store::Value(),
                              change.file ? store::Value(change.file->sha256) : store::Value(),
                              change.office.empty() ? store::Value() : store::Value(change.office), change.rows,
                              optionalNumber(change.deposits), optionalNumber(change.withdrawals)});
}

std::vector<Record> records(store::Connection& db, std::optional<Form> form) {
    std::vector<Record> out;
    if (!hasHistory(db)) return out;
    const store::ResultSet rs = form ? db.query(sql::kFormRecords, {formKey(*form)}) : db.query(sql::kRecords);
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
        if (!known) throw Error(errc::kTypeMismatch, "The history holds an unknown action '" + key + "'");
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
    for (Form f : {Form::Master, Form::Ctr, Form::Orv})
        if (name == formKey(f)) return f;
    return std::nullopt;
}

}  // namespace vesk::history
