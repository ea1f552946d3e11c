#include "history/HistoryScreen.h"

#include "compare/CompareWording.h"
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
    for (std::size_t i = 0; const Record* r = shown(all, i); ++i) {
        std::vector<store::Value> values;
        for (std::string& cell : cellsOf(*r)) values.emplace_back(std::move(cell));
        rows.push_back(std::move(values));
    }
    return store::ResultSet(historyHeadings(), std::move(rows));
}

std::vector<std::string> HistoryScreen::cellsOf(const Record& r) {
    return {
        dayFirst(r.when, TimeShown::Seconds), r.by, actionText(r.action), periodText(r), detailText(r), fileText(r)};
}

compare::Printout HistoryScreen::printout(bool all, const std::vector<std::size_t>& rows, const std::string& formTitle,
                                          const DateTime& now) const {
    compare::ExportSheet sheet;
    sheet.sheetName = kHistorySheetName;
    sheet.title = historyTitle(formTitle);
    sheet.periodLine = historyListLine(all);
    sheet.headers = historyHeadings();
    for (std::size_t row : rows) {
        const Record* r = shown(all, row);
        if (!r) continue;
        compare::ExportSheet::Row printed{int(sheet.rows.size()) + 1, {}};
        for (std::string& text : cellsOf(*r))
            printed.cells.push_back({std::move(text), compare::ExportSheet::Highlight::None, std::nullopt});
        sheet.rows.push_back(std::move(printed));
    }
    compare::Printout p;
    p.documentName = sheet.title;
    p.sheets.push_back(std::move(sheet));
    p.printedAt = compare::printedOnText(now);
    return p;
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
