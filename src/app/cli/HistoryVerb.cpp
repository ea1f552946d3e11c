#include <ostream>

#include "cli/Verbs.h"
#include "core/Amount.h"
#include "history/HistoryWording.h"

namespace vesk::cli {

namespace {

std::string amount(const std::optional<double>& v) { return v ? formatAmount(*v) : ""; }

// One tab-separated line per change, newest first; nothing when none was recorded.
int history(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {});
    if (a.positional().size() > 1) throw UsageError("give at most one form: ctr, orv or master");
    std::optional<history::Form> form;
    if (!a.positional().empty()) {
        form = history::formNamed(a.positional().front());
        if (!form) throw UsageError("the form is ctr, orv or master, not '" + a.positional().front() + "'");
    }
    const std::vector<history::Record> records =
        withDatabase(context, [&](store::Connection& db) { return history::records(db, form); });
    for (const history::Record& r : records)
        context.out << isoDateTime(r.when) << "\t" << history::actionText(r.action) << "\t" << history::periodText(r)
                    << "\t" << history::nameText(r) << "\t" << r.rows << "\t" << amount(r.deposits) << "\t"
                    << amount(r.withdrawals) << "\n";
    return kExitOk;
}

}  // namespace

void addHistoryVerbs(std::vector<Verb>& verbs) {
    verbs.push_back({"history", "[ctr|orv|master]",
                     "Lists every change to the data, newest first: time, action, period, file name (the office for "
                     "a configured office change), rows, deposits or receipts, withdrawals or payments.",
                     history});
}

}  // namespace vesk::cli
