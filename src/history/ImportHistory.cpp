#include "history/ImportHistory.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "core/Error.h"
#include "history/HistoryStatements.h"

namespace vesk::history {

namespace {

struct ActionName {
    Action action;
    const char* key;   // as stored: never changes once files hold it
    const char* text;  // as shown
};

constexpr std::array<ActionName, 8> kActions = {{
    {Action::MasterImport, "master-import", "Office master import"},
    {Action::CtrImport, "ctr-import", "Bank CTR import"},
    {Action::OrvReceiptsImport, "orv-receipts-import", "ORV receipts import"},
    {Action::OrvPaymentsImport, "orv-payments-import", "ORV payments import"},
    {Action::CtrMonthDeletion, "ctr-month-deletion", "Bank CTR month deletion"},
    {Action::OrvMonthDeletion, "orv-month-deletion", "ORV month deletion"},
    {Action::OfficeChange, "office-change", "Configured office change"},
    {Action::OfficesDeletion, "offices-deletion", "All offices deleted"},
}};

const ActionName& named(Action action) {
    for (const ActionName& a : kActions)
        if (a.action == action) return a;
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

DateTime localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

void recordChange(store::Connection& db, const Change& change, const DateTime& when) {
    if (!hasHistory(db)) return;
    const bool period = change.year > 0;
    db.execute(sql::kRecord, {isoTime(when), formKey(formOf(change.action)), named(change.action).key,
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
        for (const ActionName& a : kActions)
            if (key == a.key) {
                rec.action = a.action;
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

Message withEarlierImport(Message question, const std::optional<DateTime>& earlier) {
    if (!earlier) return question;
    const std::string line = "This file was already imported on " + shortTime(*earlier) + "." + kCrLf;
    const std::size_t last = question.text.rfind(kCrLf);
    const std::size_t at = last == std::string::npos ? 0 : last + std::char_traits<char>::length(kCrLf);
    question.text.insert(at, line);
    return question;
}

std::string actionText(Action action) { return named(action).text; }

std::string periodText(const Change& change) {
    if (change.year <= 0 || change.month < 1 || change.month > 12) return "";
    return monthName(change.month) + " " + std::to_string(change.year);
}

std::string nameText(const Change& change) { return change.file ? change.file->name : change.office; }

std::string shortTime(const DateTime& when) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d", when.day, when.month, when.year, when.hour,
                  when.minute);
    return text;
}

std::string isoTime(const DateTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::string displayTime(const DateTime& when) {
    char text[8];
    std::snprintf(text, sizeof text, ":%02d", when.second);
    return shortTime(when) + text;
}

std::optional<Form> formNamed(const std::string& name) {
    for (Form f : {Form::Master, Form::Ctr, Form::Orv})
        if (name == formKey(f)) return f;
    return std::nullopt;
}

}  // namespace vesk::history
