#include "review/OpenItemsScreen.h"

#include "compare/CompareFlows.h"
#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "core/Error.h"
#include "review/OpenItemsWorkbook.h"
#include "review/ReviewWording.h"
#include "store/Connection.h"

namespace vesk::review {

OpenItemsScreen::OpenItemsScreen(std::string databasePath, Prompter& prompter)
    : m_path(std::move(databasePath)), m_prompter(prompter), m_folder(compare::defaultOutputFolder()) {}

OpenItemsScreen::Job OpenItemsScreen::open(long long asOf) {
    m_asOf = asOf;
    m_items = OpenItems{};
    m_items.asOf = asOf;
    return {m_latest.start(), [path = m_path, asOf] {
                store::Connection db;
                db.open(path);
                return openItems(db, asOf);
            }};
}

void OpenItemsScreen::finished(std::uint64_t ticket, OpenItems items) {
    if (!m_latest.finish(ticket)) return;
    m_items = std::move(items);
}

void OpenItemsScreen::failed(std::uint64_t ticket, const std::exception& error) {
    if (!m_latest.finish(ticket)) return;
    m_prompter.message(openItemsFailed(asError(error)));
}

std::string OpenItemsScreen::heading() const {
    std::string text = "Open Items as of " + dayText(m_asOf);
    if (!busy() && !m_items.scope.configuredOffice.empty()) text += " " + compare::scopeText(m_items.scope);
    return text;
}

std::string OpenItemsScreen::headline() const { return busy() ? "" : openItemsHeadline(m_items.items); }

std::optional<std::string> OpenItemsScreen::exportItems() {
    if (busy() || m_items.items.empty()) {
        m_prompter.message(compare::noDataToExport());
        return std::nullopt;
    }
    return compare::tryExport(m_prompter, [&] {
        return compare::saveExport(m_prompter, {m_folder, true, m_open}, openItemsFileName(m_asOf),
                                   [&](const std::string& folder) { return writeOpenItemsWorkbook(m_items, folder); });
    });
}

bool OpenItemsScreen::printItems() {
    if (busy() || m_items.items.empty()) {
        m_prompter.message(compare::noDataToExport());
        return false;
    }
    return compare::handPrintout(m_prompter, m_printTo, m_clock,
                                 [&] { return compare::sheetPrintout(openItemsSheet(m_items)); });
}

std::optional<compare::ExplainRequest> OpenItemsScreen::explainItem(std::size_t row) const {
    if (busy() || row >= m_items.items.size()) return std::nullopt;
    const compare::ExplainedLine& line = m_items.items[row].line;
    int y = 0, m = 0, d = 0;
    civilFromDays(line.day, y, m, d);
    return compare::ExplainRequest{{y, m}, line.office, std::nullopt};
}

std::string OpenItemsScreen::detailText(std::optional<std::size_t> row) const {
    if (!row || *row >= m_items.items.size()) return "";
    return compare::rowDetailText(m_items.items[*row].line);
}

}  // namespace vesk::review
