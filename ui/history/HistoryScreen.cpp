#include "history/HistoryScreen.h"

#include "core/Amount.h"
#include "core/Error.h"
#include "history/HistoryWording.h"

namespace vesk::history {

namespace {

std::string amountText(const std::optional<double>& v) { return v ? formatAmount(*v, Grouping::Thousands) : ""; }

std::vector<store::Value> line(Form form, const Record& r) {
    const std::string size = r.file ? std::to_string(r.file->size) : "";
    const std::string sha = r.file ? r.file->sha256 : "";
    const std::string file = r.file ? r.file->name : "";
    const std::string rows = std::to_string(r.rows);
    if (form == Form::Master)
        return {dayFirst(r.when, TimeShown::Seconds), actionText(r.action), file, size, r.office, rows, sha};
    // A note's change has no file: its row's ID and statuses stand there.
    return {dayFirst(r.when, TimeShown::Seconds),
            actionText(r.action),
            periodText(r),
            nameText(r),
            size,
            rows,
            amountText(r.deposits),
            amountText(r.withdrawals),
            sha};
}

}  // namespace

bool HistoryScreen::read(const std::function<store::Connection&()>& open) {
    try {
        std::vector<std::vector<store::Value>> rows;
        for (const Record& r : records(open(), m_form)) rows.push_back(line(m_form, r));
        m_grid = store::ResultSet(historyHeadings(m_form), std::move(rows));
        return true;
    } catch (const std::exception& caught) {
        m_prompter.message(historyFailed(asError(caught)));
        return false;
    }
}

std::vector<int> HistoryScreen::numberColumns() const {
    if (m_form == Form::Master) return {3, 5};
    return {4, 5, 6, 7};
}

}  // namespace vesk::history
