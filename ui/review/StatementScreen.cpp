#include "review/StatementScreen.h"

#include <set>

#include "compare/CompareFlows.h"
#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "core/Error.h"
#include "history/ImportHistory.h"
#include "review/CloseFlows.h"
#include "review/MonthParts.h"
#include "review/ReviewWording.h"
#include "review/SignOffs.h"
#include "review/StatementWorkbook.h"
#include "review/StoredPairing.h"
#include "store/Connection.h"

namespace vesk::review {

StatementScreen::StatementScreen(std::string databasePath, Prompter& prompter, Clock clock)
    : m_path(std::move(databasePath)),
      m_prompter(prompter),
      m_clock(std::move(clock)),
      m_folder(compare::defaultOutputFolder()) {}

StatementScreen::Job StatementScreen::open(std::optional<Period> month) { return start(Work::Computing, month); }

StatementScreen::Job StatementScreen::closeMonth() { return start(Work::Closing, m_period); }

StatementScreen::Job StatementScreen::reopenMonth() { return start(Work::Reopening, m_period); }

StatementScreen::Job StatementScreen::start(Work work, std::optional<Period> month) {
    if (!month || !m_period || month->key() != m_period->key()) m_loaded = false;
    m_period = month;
    m_work = work;
    return {m_latest.start(), [path = m_path, &prompter = m_prompter, clock = m_clock, work, month] {
                store::Connection db;
                db.open(path);
                const std::vector<Period> held = heldMonths(db);
                const DateTime now = clock();
                // Unasked, the month to work on: the newest that holds all its imports.
                const std::optional<Period> whole = month ? month : newestWholeMonth(db);
                const Period period = whole ? *whole : Period{now.year, now.month};
                // The flows ask and tell through the window's prompter, on its thread.
                const store::Opener opened = [&db]() -> store::Connection& { return db; };
                if (work == Work::Closing) closeMonthFlow(opened, prompter, period, clock);
                if (work == Work::Reopening) reopenMonthFlow(opened, prompter, period, clock);
                Shown shown;
                shown.period = period;
                shown.shown = shownStatement(db, period, false, clock());
                shown.closeStands = standingClose(db, period).has_value();
                const MonthParts parts = monthParts(db, period);
                if (parts.holdsAny()) shown.missingParts = missingPartsLine(parts);
                shown.block = closeBlock(db, shown.shown.statement);
                std::set<int> years{period.year};
                for (const Period& p : held) years.insert(p.year);
                shown.years.assign(years.begin(), years.end());
                return shown;
            }};
}

void StatementScreen::finished(std::uint64_t ticket, Shown shown) {
    if (!m_latest.finish(ticket)) return;
    m_loaded = true;
    m_period = shown.period;
    m_shown = std::move(shown);
}

void StatementScreen::failed(std::uint64_t ticket, const std::exception& error) {
    if (!m_latest.finish(ticket)) return;
    m_prompter.message(statementFailed(asError(error)));
}

std::string StatementScreen::heading() const {
    if (!m_period) return kStatementTitle;
    return statementHeading(*m_period, m_loaded ? m_shown.shown.statement.scope : compare::Scope{});
}

std::string StatementScreen::stateLine() const {
    if (busy()) {
        switch (m_work) {
            case Work::Computing:
                return kStatementComputing;
            case Work::Closing:
                return kStatementClosing;
            case Work::Reopening:
                return kStatementReopening;
        }
    }
    if (!m_loaded) return "";
    if (!m_shown.shown.statement.anyRows()) return noRowsForStatementText(m_shown.period);
    if (m_shown.missingParts.empty()) return m_shown.shown.stateLine;
    return m_shown.shown.stateLine + "\n" + m_shown.missingParts;
}

std::string StatementScreen::closeRefusedText() const {
    if (busy() || !m_loaded || !m_shown.block) return "";
    return closeRefusedMessage(m_shown.block->why, m_shown.shown.statement, m_shown.block->close).text;
}

std::vector<std::vector<std::string>> StatementScreen::statementRows() const {
    if (!printable()) return {};
    return review::statementRows(m_shown.shown.statement, StatementLine::Vesk, StatementLine::Resolved,
                                 Grouping::Thousands);
}

std::vector<std::vector<std::string>> StatementScreen::rollForwardRows() const {
    if (!printable()) return {};
    return review::statementRows(m_shown.shown.statement, StatementLine::BroughtForward, StatementLine::CarriedForward,
                                 Grouping::Thousands);
}

std::vector<std::vector<std::string>> StatementScreen::items() const {
    if (!printable()) return {};
    return groupedItems(m_shown.shown.items);
}

const ShownStatement* StatementScreen::printable() const {
    if (busy() || !m_loaded || !m_shown.shown.statement.anyRows()) return nullptr;
    return &m_shown.shown;
}

std::optional<std::string> StatementScreen::exportStatement() {
    const ShownStatement* shown = printable();
    if (!shown) {
        m_prompter.message(compare::noDataToExport());
        return std::nullopt;
    }
    return compare::tryExport(m_prompter, [&] {
        return compare::saveExport(m_prompter, {m_folder, true, m_open}, statementFileName(shown->statement.period),
                                   [&](const std::string& folder) {
                                       return writeStatementWorkbook(shown->statement, shown->items, shown->stateLine,
                                                                     folder);
                                   });
    });
}

std::optional<std::vector<compare::SignOff>> StatementScreen::signOffs() {
    try {
        store::Connection db;
        db.open(m_path);
        return review::signOffs(db);
    } catch (const std::exception& caught) {
        m_prompter.message(signOffsFailed(asError(caught)));
        return std::nullopt;
    }
}

bool StatementScreen::saveSignOffs(const std::vector<compare::SignOff>& signOffs) {
    try {
        store::Connection db;
        db.open(m_path);
        setSignOffs(db, signOffs, history::loginName(), m_clock);
        return true;
    } catch (const std::exception& caught) {
        m_prompter.message(signOffsFailed(asError(caught)));
        return false;
    }
}

void StatementScreen::print() {
    const ShownStatement* shown = printable();
    if (!shown || !m_printTo) return;
    // The names entered once in the file sign every print.
    const std::optional<std::vector<compare::SignOff>> names = signOffs();
    if (names) m_printTo(statementPrintout(*shown, *names, compare::printedOnText(m_clock())));
}

}  // namespace vesk::review
