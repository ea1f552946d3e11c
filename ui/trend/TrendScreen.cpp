#include "trend/TrendScreen.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "compare/CompareFlows.h"
#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "core/Amount.h"
#include "trend/TrendWording.h"
#include "trend/TrendWorkbook.h"

namespace vesk::trend {

namespace {

// The faintest shade a differing cell takes, so a small amount still shows beside a large one.
constexpr double kLeastShade = 0.15;

int indexOf(const std::vector<Period>& months, const Period& month) {
    for (std::size_t i = 0; i < months.size(); ++i)
        if (months[i].key() == month.key()) return int(i);
    return -1;
}

}  // namespace

TrendScreen::TrendScreen(std::string databasePath, Prompter& prompter)
    : m_path(std::move(databasePath)), m_prompter(prompter), m_folder(compare::defaultOutputFolder()) {}

TrendScreen::Job TrendScreen::startLoad() {
    m_view.loading = true;
    m_view.statusText = kLoadingText;
    std::optional<MonthRange> range;
    if (m_view.from >= 0 && m_view.to >= 0)
        range = MonthRange{m_held[std::size_t(m_view.from)], m_held[std::size_t(m_view.to)]};
    return {m_latest.start(), [path = m_path, range] {
                store::Connection db;
                db.open(path);
                Loaded loaded;
                loaded.range = range;
                loaded.held = heldMonths(db);
                loaded.scope = compare::comparisonScope(db);
                loaded.trend = trendOf(db, loaded.scope, range);
                return loaded;
            }};
}

TrendScreen::Job TrendScreen::load() {
    m_view = TrendView{};
    m_held.clear();
    m_trend = Trend{};
    return startLoad();
}

std::optional<TrendScreen::Job> TrendScreen::chooseFrom(int index) {
    if (index < 0 || std::size_t(index) >= m_held.size() || index == m_view.from) return std::nullopt;
    m_view.from = index;
    m_view.to = std::max(m_view.to, index);
    return startLoad();
}

std::optional<TrendScreen::Job> TrendScreen::chooseTo(int index) {
    if (index < 0 || std::size_t(index) >= m_held.size() || index == m_view.to) return std::nullopt;
    m_view.to = index;
    m_view.from = m_view.from < 0 ? 0 : std::min(m_view.from, index);
    return startLoad();
}

void TrendScreen::failed(std::uint64_t ticket, const std::exception& error) {
    if (!m_latest.finish(ticket)) return;
    m_view.loading = false;
    const Message failure = loadFailed(asError(error));
    m_view.statusText = failure.text;
    m_prompter.message(failure);
}

void TrendScreen::finished(std::uint64_t ticket, const Loaded& outcome) {
    if (!m_latest.finish(ticket)) return;
    m_view.loading = false;
    m_held = outcome.held;
    m_scope = outcome.scope;
    m_trend = outcome.trend;
    m_view.months.clear();
    for (const Period& month : m_held) m_view.months.push_back(monthLabel(month));
    const Trend& t = m_trend;
    m_view.from = outcome.range ? indexOf(m_held, outcome.range->from) : (m_held.empty() ? -1 : 0);
    m_view.to = outcome.range ? indexOf(m_held, outcome.range->to) : int(m_held.size()) - 1;

    m_view.categories.clear();
    m_view.toExplain.clear();
    m_view.differing.clear();
    for (const TrendMonth& m : t.months) {
        m_view.categories.push_back(monthLabel(m.month));
        m_view.toExplain.push_back(m.toExplain);
        m_view.differing.push_back(m.differing);
    }
    m_view.emptyText = t.months.empty() ? kNoDataText : "";
    m_view.statusText = t.months.empty() ? kNoDataText : statusText(m_scope, t.months.size(), t.offices.size());
    m_view.exportEnabled = !t.months.empty();

    double largest = 0;
    for (const OfficeTrend& office : t.offices)
        for (const std::optional<double>& amount : office.toExplain) largest = std::max(largest, amount.value_or(0));
    m_view.map.clear();
    for (const OfficeTrend& office : t.offices) {
        MapRow row{office.name, {}, formatAmount(office.openTotal, Grouping::Thousands)};
        for (std::size_t m = 0; m < office.toExplain.size(); ++m) {
            MapCell cell;
            if (office.toExplain[m]) {
                cell.text = formatAmount(*office.toExplain[m], Grouping::Thousands);
                // By the square root, so the middle amounts stay apart from the faint ones.
                cell.shade = kLeastShade + (1 - kLeastShade) * std::sqrt(*office.toExplain[m] / largest);
            }
            cell.hover = cellHoverText(office.name, m_view.categories[m], cell.text, office.open[m]);
            row.cells.push_back(std::move(cell));
        }
        m_view.map.push_back(std::move(row));
    }
}

std::optional<std::string> TrendScreen::exportTrend() {
    if (m_trend.months.empty()) {
        m_prompter.message(compare::noDataToExport());
        return std::nullopt;
    }
    return compare::tryExport(m_prompter, [&] {
        const MonthRange range{m_trend.months.front().month, m_trend.months.back().month};
        return compare::saveExport(m_prompter, {m_folder, true, m_open}, workbookFileName(range.from, range.to),
                                   [&](const std::string& folder) {
                                       return writeTrendWorkbook(m_trend, {range, m_scope.configuredOffice}, folder);
                                   });
    });
}

bool TrendScreen::print() {
    return compare::handPrintout(m_prompter, m_printTo, m_clock, [&] {
        compare::Printout printout;
        printout.documentName = kWindowTitle;
        if (!m_trend.months.empty()) {
            const MonthRange range{m_trend.months.front().month, m_trend.months.back().month};
            printout.sheets.push_back(officeMapSheet(m_trend, {range, m_scope.configuredOffice}));
        }
        return printout;
    });
}

std::optional<TrendScreen::MapTarget> TrendScreen::comparisonAt(int row, int column) const {
    if (row < 0 || std::size_t(row) >= m_trend.offices.size() || column < 0 ||
        std::size_t(column) >= m_trend.months.size())
        return std::nullopt;
    const OfficeTrend& office = m_trend.offices[std::size_t(row)];
    if (!office.toExplain[std::size_t(column)]) return std::nullopt;
    return MapTarget{m_trend.months[std::size_t(column)].month, office.name};
}

std::string TrendScreen::hoverText(int index) const {
    if (index < 0 || std::size_t(index) >= m_trend.months.size()) return {};
    const TrendMonth& m = m_trend.months[std::size_t(index)];
    return monthHoverText(monthLabel(m.month), m.offices, m.differing, m.toExplain, m.open);
}

}  // namespace vesk::trend
