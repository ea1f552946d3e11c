#include "history/HistoryScreen.h"

#include "core/Error.h"
#include "history/HistoryWording.h"

namespace vesk::history {

bool HistoryScreen::read(const std::function<store::Connection&()>& open) {
    try {
        m_records = records(open());
        m_own.clear();
        for (std::size_t i = 0; i < m_records.size(); ++i)
            if (formOf(m_records[i].action) == m_form) m_own.push_back(i);
        return true;
    } catch (const std::exception& caught) {
        m_prompter.message(historyFailed(asError(caught)));
        return false;
    }
}

const Record* HistoryScreen::shown(bool all, std::size_t row) const {
    if (all) return row < m_records.size() ? &m_records[row] : nullptr;
    return row < m_own.size() ? &m_records[m_own[row]] : nullptr;
}

store::ResultSet HistoryScreen::grid(bool all) const {
    std::vector<std::vector<store::Value>> rows;
    for (std::size_t i = 0; const Record* r = shown(all, i); ++i)
        rows.push_back({dayFirst(r->when, TimeShown::Seconds), r->by, actionText(r->action), periodText(*r),
                        detailText(*r), fileText(*r)});
    return store::ResultSet(historyHeadings(), std::move(rows));
}

std::string HistoryScreen::sortKey(bool all, std::size_t row, int column) const {
    const Record* shownRecord = shown(all, row);
    if (!shownRecord) return "";
    const Record& r = *shownRecord;
    if (column == 0) return isoDateTime(r.when);
    if (column == 3 && r.year > 0) return std::to_string(monthKey(r.year, r.month));
    return "";
}

}  // namespace vesk::history
