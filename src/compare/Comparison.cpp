#include "compare/Comparison.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "compare/Amounts.h"
#include "compare/CompareStatements.h"
#include "compare/GridFilter.h"
#include "core/Error.h"
#include "core/Text.h"
#include "store/ExactSum.h"

namespace vesk::compare {

namespace {

constexpr long kInvalidUseOfNull = 94;
constexpr int kFirstYear = 2025;
constexpr int kLastYear = 2030;

constexpr std::array<const char*, 9> kCompareHeaders = {
    "Office ID", "Facility ID", "Office Name", "VESK Dep", "ORV Dep", "Diff Dep", "VESK Wdl", "ORV Wdl", "Diff Wdl"};
constexpr std::array<int, 9> kCompareWidths = {0, 0, 1900, 1000, 1000, 1000, 1000, 1000, 1000};
constexpr std::array<const char*, 8> kDetailHeaders = {"Date",     "Office Name", "VESK Dep", "ORV Dep",
                                                       "Diff Dep", "VESK Wdl",    "ORV Wdl",  "Diff Wdl"};
constexpr std::array<int, 8> kDetailWidths = {1100, 1700, 1000, 1000, 1000, 1000, 1000, 1000};

// Result fields of the consolidated statement, in grid column order.
constexpr std::array<const char*, 6> kOfficeAmounts = {"VESK_Deposit",    "ORV_Deposit",    "Deposit_Difference",
                                                       "VESK_Withdrawal", "ORV_Withdrawal", "Withdrawal_Difference"};
constexpr std::array<const char*, 6> kDateAmounts = {"VESK_Dep", "ORV_Dep", "Diff_Dep",
                                                     "VESK_Wdl", "ORV_Wdl", "Diff_Wdl"};


DateTime systemToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

double amountOf(const store::Value& v) {
    if (v.isNull()) throw Error(kInvalidUseOfNull, "Invalid use of Null");
    return v.toNumber();
}

template <std::size_t N>
void setUp(Grid& grid, const std::array<const char*, N>& headers, const std::array<int, N>& widths) {
    grid.headers.assign(headers.begin(), headers.end());
    grid.widthsTwips.assign(widths.begin(), widths.end());
    grid.alignments.assign(N, Align::General);
    grid.rows.assign(1, grid.blankRow());
}

// Cells of a result row: the leading text fields, then the amounts formatted, the two
// differences (third and sixth amount) red when they count.
GridRow resultRow(std::vector<std::string> texts, const std::array<double, 6>& amounts) {
    GridRow row;
    for (std::string& t : texts) row.cells.push_back({std::move(t), false});
    for (std::size_t k = 0; k < amounts.size(); ++k)
        row.cells.push_back({formatAmount(amounts[k]), (k == 2 || k == 5) && differs(amounts[k])});
    return row;
}

}  // namespace

Comparison::Comparison(std::string databasePath, Prompter& prompter, Today today)
    : m_path(std::move(databasePath)), m_prompter(prompter), m_today(today ? std::move(today) : systemToday) {
    InitCompareGrid();
    InitDetailGrid();
}

void Comparison::ensureOpen() {
    if (m_db.isOpen()) return;
    m_db.open(m_path);
    // Left to itself the engine indexes every bank row by facility for the join, which
    // costs three times the scan; the master's own indexes serve the joins instead.
    m_db.execute("PRAGMA automatic_index = OFF");
}

void Comparison::InitCompareGrid() { setUp(m_compare, kCompareHeaders, kCompareWidths); }

void Comparison::InitDetailGrid() {
    setUp(m_detail, kDetailHeaders, kDetailWidths);
    m_detail.alignments[0] = Align::LeftCenter;
}

void Comparison::Form_Load() {
    // The form opens as designed, whatever it showed when it was last unloaded.
    m_view = CompareView{};
    m_blinker.formChanged();
    InitCompareGrid();
    InitDetailGrid();
    for (int y = kFirstYear; y <= kLastYear; ++y) m_view.years.push_back(std::to_string(y));
    for (int m = 1; m <= 12; ++m) m_view.months.push_back(monthName(m));

    // The calendar month before today.
    const DateTime today = m_today();
    const int year = today.month == 1 ? today.year - 1 : today.year;
    const int month = today.month == 1 ? 12 : today.month - 1;
    char yearText[16];
    std::snprintf(yearText, sizeof yearText, "%04d", year);
    for (std::size_t i = 0; i < m_view.years.size() && m_view.year < 0; ++i)
        if (m_view.years[i] == yearText) m_view.year = int(i);
    m_view.month = month - 1;

    try {
        ensureOpen();
    } catch (const Error& e) {
        m_prompter.message(critical(std::string("Connection Error: ") + e.what()));
    }
}

void Comparison::hideWait() {
    m_view.wait.visible = false;
    m_view.wait.text.clear();
}

std::string Comparison::scopeFilter(std::string& configuredName) {
    store::ResultSet configured = m_db.query(kConfiguredOfficeSql);
    if (configured.empty()) return {};
    configuredName = trim(configured.field(0, "ooffice_name").toText());
    store::ResultSet type = m_db.query(kOfficeTypeSql, {configuredName});
    if (!type.empty() && upper(trim(type.field(0, "office_type_code").toText())) == "HPO")
        return headOfficeScope(configuredName);
    return {};
}

bool Comparison::cmdRun_Click() {
    m_view.countText.clear();
    m_view.wait = {true, "Please Wait....", kWaitTextColour, kStatusPointSize, true};
    paint();
    if (m_view.year < 0 || m_view.month < 0) {
        hideWait();
        m_prompter.message(exclamation("Please select both Year and Month."));
        return false;
    }
    try {
        ensureOpen();
        std::string configuredName;
        const std::string scope = scopeFilter(configuredName);
        m_view.offices = {"All"};
        m_view.office = -1;

        const int year = std::stoi(m_view.years[std::size_t(m_view.year)]);
        const store::ResultSet rs = m_db.query(consolidatedStatement(year, m_view.month + 1, scope));
        m_compare.rows.clear();
        m_detail.rows.clear();
        if (rs.empty()) {
            hideWait();
            m_prompter.message(info(std::string("No records found.") + kCrLf +
                                        "Please ensure that the ORV and VESK data are imported for the selected month.",
                                    "No Data"));
            return false;
        }

        std::array<store::ExactSum, 6> totals{};
        int listed = 0;
        for (std::size_t r = 0; r < rs.rowCount(); ++r) {
            std::array<double, 6> amounts{};
            for (std::size_t k = 0; k < amounts.size(); ++k) amounts[k] = amountOf(rs.field(r, kOfficeAmounts[k]));
            if (!differs(amounts[2]) && !differs(amounts[5])) continue;
            m_compare.rows.push_back(
                resultRow({rs.field(r, "office_id").toText(), rs.field(r, "qal_facility_id").toText(),
                           rs.field(r, "OffName").toText()},
                          amounts));
            ++listed;
            m_view.offices.push_back(rs.field(r, "OffName").toText());
            for (std::size_t k = 0; k < amounts.size(); ++k) totals[k].add(amounts[k]);
        }
        if (listed > 0) {
            std::array<double, 6> sums{};
            for (std::size_t k = 0; k < sums.size(); ++k) sums[k] = totals[k].total();
            GridRow total = resultRow({"", "", "TOTAL (" + std::to_string(listed) + ")"}, sums);
            for (GridCell& c : total.cells) c.red = false;
            total.total = true;
            m_compare.rows.push_back(std::move(total));
        }

        hideWait();
        m_view.countText = listed > 0 ? std::to_string(listed) + " Offices" : "";
        const std::string scopeText =
            scope.empty() ? " (" + configuredName + ")" : " (Offices Under " + configuredName + ")";
        m_view.frameVisible = false;
        m_view.resetVisible = true;
        m_view.exportVisible = true;
        m_view.runVisible = false;
        m_view.periodEnabled = false;
        // The filter typed before the comparison applies to its rows too.
        FilterGridRows(m_compare, m_view.filterText);
        m_prompter.message(info("Comparison Completed" + scopeText +
                                    (listed > 0 ? ". Differences found in " + std::to_string(listed) + " Offices."
                                                : std::string(". No Differences found.")),
                                "Result"));
        return true;
    } catch (const Error& e) {
        hideWait();
        m_prompter.message(critical(std::string("Error: ") + e.what()));
        return false;
    }
}

bool Comparison::Combo3_Click(int index) {
    if (index < 0 || std::size_t(index) >= m_view.offices.size() || m_view.year < 0 || m_view.month < 0) return false;
    m_view.office = index;
    const std::string chosen = m_view.offices[std::size_t(index)];

    // Every listed office, those the filter hides included.
    std::vector<std::string> listed;
    for (const GridRow& row : m_compare.rows)
        if (!row.total && row.cells.size() > kFilterColumn && !row.cells[kFilterColumn].text.empty())
            listed.push_back(row.cells[kFilterColumn].text);
    InitDetailGrid();
    m_detail.rows.clear();
    if (listed.empty()) return true;

    const std::string condition = chosen == "All" ? officeListCondition(listed) : oneOfficeCondition(chosen);
    m_view.loading = {true, "Loading Details...", kWaitTextColour, kStatusPointSize, true};
    paint();
    try {
        ensureOpen();
        const int year = std::stoi(m_view.years[std::size_t(m_view.year)]);
        const store::ResultSet rs = m_db.query(detailedStatement(condition, year, m_view.month + 1));
        for (std::size_t r = 0; r < rs.rowCount(); ++r) {
            std::array<double, 6> amounts{};
            for (std::size_t k = 0; k < amounts.size(); ++k) amounts[k] = amountOf(rs.field(r, kDateAmounts[k]));
            m_detail.rows.push_back(
                resultRow({rs.field(r, "TDate").toText(), rs.field(r, "OffName").toText()}, amounts));
        }
    } catch (const Error& e) {
        m_view.loading.visible = false;
        m_view.loading.text.clear();
        m_prompter.message(critical(std::string("Error: ") + e.what()));
        return false;
    }
    m_view.detailExportVisible = true;
    m_view.loading.visible = false;
    m_view.loading.text.clear();
    m_view.status.visible = true;
    m_view.status.colour = kFetchedColour;
    m_view.status.text = "Data Fetched...";
    paint();
    const LabelBlinker::Outcome outcome = m_blinker.blink(m_view.status, m_paintLabels);
    if (outcome == LabelBlinker::Outcome::FormUnloaded) return true;  // closed meanwhile: leave it alone
    if (outcome == LabelBlinker::Outcome::Finished && m_startTimer1) m_startTimer1();
    paint();
    return true;
}

std::string Comparison::Text1_Change(const std::string& text) {
    m_view.filterText = filterBoxText(text);
    FilterGridRows(m_compare, m_view.filterText);
    return m_view.filterText;
}

void Comparison::Command5_Click() {
    Text1_Change("");
    m_view.countText.clear();
    m_view.resetVisible = false;
    m_view.exportVisible = false;
    m_view.frameVisible = true;
    m_view.runVisible = true;
    m_view.periodEnabled = true;
    m_view.offices.clear();
    m_view.office = -1;
    InitCompareGrid();
    InitDetailGrid();
}

Comparison::BackAction Comparison::Command4_Click() {
    return m_blinker.requestClose() ? BackAction::UnloadByTimer3 : BackAction::UnloadNow;
}

void Comparison::Timer1_Timer() {
    m_view.status.visible = false;
    m_view.status.text.clear();
}

}  // namespace vesk::compare
