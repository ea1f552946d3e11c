#include "compare/CompareScreen.h"

#include <algorithm>
#include <chrono>

#include "compare/CompareFlows.h"
#include "compare/CompareWording.h"
#include "compare/ComparisonGrid.h"
#include "compare/GridFilter.h"
#include "core/Error.h"
#include "report/ReportMonths.h"
#include "review/ReviewWording.h"

namespace vesk::compare {

CompareScreen::CompareScreen(std::string databasePath, Prompter& prompter, Clock clock)
    : m_path(std::move(databasePath)),
      m_prompter(prompter),
      m_clock(clock ? std::move(clock) : localNow),
      m_compare(emptyConsolidatedGrid()),
      m_detail(emptyDetailedGrid()) {}

void CompareScreen::ensureOpen() {
    if (!m_db.isOpen()) m_db.open(m_path);
}

std::optional<Period> CompareScreen::period() const {
    if (m_view.year < 0 || m_view.month < 0) return std::nullopt;
    return Period{std::stoi(m_view.years[std::size_t(m_view.year)]), m_view.month + 1};
}

void CompareScreen::load() {
    // The form opens as designed, whatever it showed when it was last unloaded.
    m_view = CompareView{};
    m_blinker.formChanged();
    clearComparison();
    const DateTime today = m_clock();
    // The years of the data need the connection; without it the list still offers the rest.
    std::optional<Error> failure;
    m_held.clear();
    try {
        ensureOpen();
        m_view.years = report::offeredYears(m_db, today);
        m_held = review::heldMonthParts(m_db);
    } catch (const std::exception& caught) {
        failure = asError(caught);
        store::Connection none;
        m_view.years = report::offeredYears(none, today);
    }
    for (int m = 1; m <= 12; ++m) m_view.months.push_back(monthName(m));

    // The calendar month before today; a year the list does not offer stays unselected.
    using namespace std::chrono;
    const year_month before = year{today.year} / month{unsigned(today.month)} - months{1};
    const std::string yearText = std::to_string(int(before.year()));
    for (std::size_t i = 0; i < m_view.years.size() && m_view.year < 0; ++i)
        if (m_view.years[i] == yearText) m_view.year = int(i);
    m_view.month = int(unsigned(before.month())) - 1;
    markHeldMonths();
    if (!failure) showHeldParts();

    if (failure) m_prompter.message(connectionFailed(*failure));
}

void CompareScreen::chooseYear(int index) {
    m_view.year = index;
    markHeldMonths();
    if (m_view.runVisible) showHeldParts();
}

void CompareScreen::chooseMonth(int index) {
    m_view.month = index;
    if (m_view.runVisible) showHeldParts();
}

void CompareScreen::readHeldMonths() {
    m_held = review::heldMonthParts(m_db);
    markHeldMonths();
}

void CompareScreen::markHeldMonths() {
    m_view.yearsHeld.assign(m_view.years.size(), false);
    m_view.monthsHeld.assign(m_view.months.size(), false);
    const std::optional<Period> chosen = period();
    for (const review::MonthParts& held : m_held) {
        const auto year = std::find(m_view.years.begin(), m_view.years.end(), std::to_string(held.period.year));
        if (year != m_view.years.end()) m_view.yearsHeld[std::size_t(year - m_view.years.begin())] = true;
        if (chosen && chosen->year == held.period.year && std::size_t(held.period.month) <= m_view.monthsHeld.size())
            m_view.monthsHeld[std::size_t(held.period.month - 1)] = true;
    }
}

void CompareScreen::showHeldParts() {
    m_view.partsText.clear();
    const std::optional<Period> month = period();
    if (!month) return;
    review::MonthParts parts{*month, {}};
    for (const review::MonthParts& held : m_held)
        if (held.period.key() == month->key()) parts = held;
    const std::optional<Period> newest = m_held.empty() ? std::nullopt : std::optional(m_held.back().period);
    m_view.partsText = review::missingPartsLine(parts, newest);
}

void CompareScreen::hideWait() {
    m_view.wait.visible = false;
    m_view.wait.text.clear();
}

bool CompareScreen::compare() {
    m_view.countText.clear();
    m_view.wait = {true, kPleaseWait, palette::kWaitText, kStatusPointSize, true};
    paint();
    const std::optional<Period> month = period();
    if (!month) {
        hideWait();
        m_prompter.message(selectPeriod());
        return false;
    }
    try {
        ensureOpen();
        MonthRead read = readMonth(*month);
        // Beside the comparison, what the month lacks, as the file holds it now.
        readHeldMonths();
        showHeldParts();
        clearLists();
        if (!read.compared.result.anyRows) {
            hideWait();
            return tellComparison(m_prompter, read.compared);
        }
        showResults(read.compared.result, std::move(read.leftOut));
        return tellComparison(m_prompter, read.compared);
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        hideWait();
        m_prompter.message(comparisonFailed(e));
        return false;
    }
}

CompareScreen::MonthRead CompareScreen::readMonth(Period month) {
    // The comparison and what it leaves out read one state of the file, whatever another
    // program commits meanwhile.
    const store::Transaction snapshot = m_db.beginRead();
    MonthRead read;
    read.compared = compareInScope(m_db, month);
    if (read.compared.result.anyRows) read.leftOut = listLeftOut(m_db, month, read.compared.scope);
    return read;
}

void CompareScreen::clearLists() {
    m_view.offices = officeList({});
    m_view.office = -1;
    m_listed.clear();
    m_detailRows.clear();
    m_compare.rows.clear();
    m_detail.rows.clear();
}

void CompareScreen::showResults(const MonthComparison& result, std::optional<LeftOut> leftOut) {
    m_compare = consolidatedGrid(result);
    m_listed = result.officeNames();
    m_view.offices = officeList(result);

    hideWait();
    m_view.countText = differingCount(result.offices.size());
    m_view.frameVisible = false;
    m_view.resetVisible = true;
    m_view.exportVisible = true;
    m_view.runVisible = false;
    m_view.periodEnabled = false;
    m_view.leftOutText = leftOutLine(*leftOut);
    m_view.leftOutVisible = true;
    m_view.explainEnabled = true;
    m_leftOut = std::move(leftOut);
    // The filter typed before the comparison applies to its rows too.
    filterRows(m_compare, m_view.filterText);
}

bool CompareScreen::chooseOffice(int index) {
    const std::optional<Period> month = period();
    if (index < 0 || std::size_t(index) >= m_view.offices.size() || !month) return false;
    m_view.office = index;

    m_detail = emptyDetailedGrid();
    m_detail.rows.clear();
    m_detailRows.clear();
    if (m_listed.empty()) return true;

    m_view.loading = {true, kLoadingDetails, palette::kWaitText, kStatusPointSize, true};
    paint();
    try {
        ensureOpen();
        // All stands for every listed office, those the filter hides included.
        const std::vector<DateDifference> dates =
            differingDates(m_db, *month, officesOf(m_view.offices, std::size_t(index)));
        m_detail = detailedGrid(dates);
        for (const DateDifference& d : dates) m_detailRows.push_back({d.office, d.day});
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        m_view.loading.visible = false;
        m_view.loading.text.clear();
        m_prompter.message(comparisonFailed(e));
        return false;
    }
    m_view.detailExportVisible = true;
    m_view.loading.visible = false;
    m_view.loading.text.clear();
    blinkStatus();
    return true;
}

void CompareScreen::blinkStatus() {
    m_view.status.visible = true;
    m_view.status.colour = palette::kFetchedText;
    m_view.status.text = kDataFetched;
    paint();
    const LabelBlinker::Outcome outcome = m_blinker.blink(m_view.status, m_paintLabels);
    if (outcome == LabelBlinker::Outcome::FormUnloaded) return;  // closed meanwhile: leave it alone
    if (outcome == LabelBlinker::Outcome::Finished && m_hideStatusLater) m_hideStatusLater();
    paint();
}

bool CompareScreen::openMonth(Period month, const std::string& office) {
    if (!m_view.runVisible) reset();
    const std::string year = std::to_string(month.year);
    auto at = std::find(m_view.years.begin(), m_view.years.end(), year);
    if (at == m_view.years.end()) {
        // The lists hold years as four digits, so their text order is their order.
        at = m_view.years.insert(std::upper_bound(m_view.years.begin(), m_view.years.end(), year), year);
    }
    m_view.year = int(at - m_view.years.begin());
    m_view.month = month.month - 1;
    if (!compare()) return false;
    const std::optional<std::size_t> entry = findInOfficeList(m_view.offices, office);
    return entry && chooseOffice(int(*entry));
}

std::string CompareScreen::filterOffices(const std::string& text) {
    m_view.filterText = filterBoxText(text);
    filterRows(m_compare, m_view.filterText);
    return m_view.filterText;
}

void CompareScreen::reset() {
    filterOffices("");
    clearComparison();
    showHeldParts();
}

void CompareScreen::clearComparison() {
    m_view.countText.clear();
    m_view.resetVisible = false;
    m_view.exportVisible = false;
    m_view.frameVisible = true;
    m_view.runVisible = true;
    m_view.periodEnabled = true;
    m_view.offices.clear();
    m_view.office = -1;
    m_view.leftOutVisible = false;
    m_view.explainEnabled = false;
    m_view.leftOutText.clear();
    m_leftOut.reset();
    m_listed.clear();
    m_detailRows.clear();
    m_compare = emptyConsolidatedGrid();
    m_detail = emptyDetailedGrid();
}

std::optional<ExplainRequest> CompareScreen::explainChosenOffice() const {
    const std::optional<Period> month = period();
    if (!m_view.explainEnabled || !month) return std::nullopt;
    ExplainRequest request{*month, std::nullopt, std::nullopt};
    if (m_view.office > 0 && std::size_t(m_view.office) < m_view.offices.size())
        request.office = m_view.offices[std::size_t(m_view.office)];
    return request;
}

std::optional<ExplainRequest> CompareScreen::explainConsolidatedRow(int row) const {
    const std::optional<Period> month = period();
    if (!m_view.explainEnabled || !month || row < 0 || std::size_t(row) >= m_listed.size()) return std::nullopt;
    return ExplainRequest{*month, m_listed[std::size_t(row)], std::nullopt};
}

std::optional<ExplainRequest> CompareScreen::explainDetailedRow(int row) const {
    const std::optional<Period> month = period();
    if (!m_view.explainEnabled || !month || row < 0 || std::size_t(row) >= m_detailRows.size()) return std::nullopt;
    const DetailRow& r = m_detailRows[std::size_t(row)];
    return ExplainRequest{*month, r.office, r.day};
}

CompareScreen::BackAction CompareScreen::goBack() {
    return m_blinker.requestClose() ? BackAction::CloseAfterBlink : BackAction::CloseNow;
}

void CompareScreen::hideStatus() {
    m_view.status.visible = false;
    m_view.status.text.clear();
}

}  // namespace vesk::compare
