#include <ostream>

#include "cli/Verbs.h"
#include "core/Amount.h"
#include "history/HistoryWording.h"

namespace vesk::cli {

namespace {

std::string amount(const std::optional<double>& v) { return v ? formatAmount(*v) : ""; }

}  // namespace

// One tab-separated line per change, newest first; nothing when none was recorded.
int runHistory(Call& call) {
    std::optional<history::Form> form;
    if (!call.positional().empty()) {
        form = history::formNamed(call.argument(0));
        if (!form) throw UsageError(history::unknownFormText(call.argument(0)));
    }
    for (const history::Record& r : history::records(call.database(), form))
        call.out() << isoDateTime(r.when) << "\t" << history::actionText(r.action) << "\t" << history::periodText(r)
                   << "\t" << history::nameText(r) << "\t" << r.rows << "\t" << amount(r.deposits) << "\t"
                   << amount(r.withdrawals) << "\n";
    return kExitOk;
}

}  // namespace vesk::cli
