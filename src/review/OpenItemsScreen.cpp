#include "review/OpenItemsScreen.h"

#include "compare/ComparisonWorkbook.h"
#include "core/Error.h"
#include "review/OpenItemsWorkbook.h"
#include "review/ReviewWords.h"
#include "store/Connection.h"

namespace vesk::review {

OpenItemsScreen::OpenItemsScreen(std::string databasePath, Prompter& prompter)
    : m_path(std::move(databasePath)), m_prompter(prompter), m_folder(compare::defaultOutputFolder()) {}

OpenItemsScreen::Job OpenItemsScreen::open(long long asOf) {
    m_asOf = asOf;
    m_busy = true;
    m_items = OpenItems{};
    m_items.asOf = asOf;
    return {++m_ticket, [path = m_path, asOf] {
                store::Connection db;
                db.open(path);
                return openItems(db, asOf);
            }};
}

void OpenItemsScreen::finished(std::uint64_t ticket, OpenItems items) {
    if (ticket != m_ticket) return;
    m_busy = false;
    m_items = std::move(items);
}

void OpenItemsScreen::failed(std::uint64_t ticket, const std::exception& error) {
    if (ticket != m_ticket) return;
    m_busy = false;
    m_prompter.message(critical(std::string("Error: ") + asError(error).what()));
}

std::string OpenItemsScreen::heading() const {
    std::string text = "Open Items as of " + dayText(m_asOf);
    if (!m_busy && !m_items.scope.configuredOffice.empty()) text += " " + m_items.scope.text();
    return text;
}

std::string OpenItemsScreen::headline() const { return m_busy ? "" : openItemsHeadline(m_items.items); }

std::optional<std::string> OpenItemsScreen::cmdExportOpenItems_Click() {
    if (m_busy || m_items.items.empty()) {
        m_prompter.message(exclamation("No data to export."));
        return std::nullopt;
    }
    try {
        const std::string path = writeOpenItemsWorkbook(m_items, m_folder);
        if (m_open) m_prompter.openDocument(path);
        m_prompter.message(info(std::string("File successfully saved to Desktop.") + kCrLf + "Folder : " +
                                    compare::kOutputFolderName + kCrLf + "File : " + openItemsFileName(m_asOf),
                                "Saved"));
        return path;
    } catch (const std::exception& caught) {
        m_prompter.message(critical(std::string("Export Error: ") + asError(caught).what()));
        return std::nullopt;
    }
}

std::optional<compare::ExplainRequest> OpenItemsScreen::grdOpenItems_DblClick(std::size_t row) const {
    if (m_busy || row >= m_items.items.size()) return std::nullopt;
    const compare::ExplainedLine& line = m_items.items[row].line;
    int y = 0, m = 0, d = 0;
    civilFromDays(line.day, y, m, d);
    return compare::ExplainRequest{{y, m}, line.office, std::nullopt};
}

}  // namespace vesk::review
