#include "review/RulesScreen.h"

#include "compare/CompareWording.h"
#include "core/DateTime.h"
#include "core/Error.h"
#include "review/ReviewWording.h"
#include "review/RulesFlows.h"
#include "store/Connection.h"

namespace vesk::review {

RulesScreen::RulesScreen(std::string databasePath, Prompter& prompter)
    : m_path(std::move(databasePath)), m_prompter(prompter), m_setBy(rulesSetByText(std::nullopt)) {}

void RulesScreen::load() {
    try {
        store::Connection db;
        db.open(m_path);
        m_inForce = compare::pairingRules(db);
        m_setBy = rulesSetByText(lastRulesSetting(db));
    } catch (const std::exception& caught) {
        m_prompter.message(rulesReadFailed(asError(caught)));
    }
    m_proposed = m_inForce;
}

void RulesScreen::setRule(compare::Rule rule, long long value) {
    m_proposed = compare::withRule(m_proposed, rule, value);
}

std::string RulesScreen::helpText() {
    std::string text;
    for (compare::Rule rule : compare::kRules)
        text += (text.empty() ? "" : "\n\n") + std::string(compare::ruleText(rule)) + ": " + compare::ruleMeaning(rule);
    return text;
}

RulesScreen::Job RulesScreen::startTrial(Progress progress) {
    // A trial still running is of rules no longer asked about: it stops, and its outcome is dropped.
    stopTrial();
    m_stop = std::make_shared<std::atomic<bool>>(false);
    m_ticket = m_latest.start();
    m_done = m_total = 0;
    return {m_ticket,
            [path = m_path, rules = m_proposed, stop = m_stop, progress = std::move(progress), ticket = m_ticket] {
                store::Connection db;
                db.open(path);
                std::size_t total = 0;  // progress is told one call at a time, all before tryRules returns
                TrialRequest request;
                request.withRows = true;
                request.progress = [&](std::size_t done, std::size_t months) {
                    total = months;
                    if (progress) progress(ticket, done, months);
                };
                request.stop = [stop] { return stop->load(); };
                Tried tried{tryRules(db, rules, request), 0};
                tried.monthsToWeigh = tried.trial.stopped ? total : tried.trial.months.size();
                return tried;
            }};
}

void RulesScreen::stopTrial() {
    if (m_stop) m_stop->store(true);
}

void RulesScreen::trialFinished(std::uint64_t ticket, Tried tried) {
    if (!m_latest.finish(ticket)) return;
    m_trial = std::move(tried.trial);
    m_rows.clear();
    for (const MonthTrial& month : m_trial.months) m_rows.push_back(trialCells(month, Grouping::Thousands));
    m_summary =
        m_trial.stopped ? trialStoppedText(m_trial.months.size(), tried.monthsToWeigh) : trialSummaryText(m_trial);
}

void RulesScreen::trialProgressed(std::uint64_t ticket, std::size_t done, std::size_t total) {
    if (ticket != m_ticket || !busy()) return;
    m_done = done;
    m_total = total;
}

void RulesScreen::trialFailed(std::uint64_t ticket, const std::exception& error) {
    if (!m_latest.finish(ticket)) return;
    clearTrial();
    m_prompter.message(rulesTrialFailed(asError(error)));
}

std::vector<std::vector<std::string>> RulesScreen::changedRows(std::size_t month) const {
    std::vector<std::vector<std::string>> rows;
    if (month >= m_trial.months.size()) return rows;
    for (const ChangedRow& row : m_trial.months[month].rows) rows.push_back(changedRowCells(row, Grouping::Thousands));
    return rows;
}

std::string RulesScreen::changedRowsHeading(std::size_t month) const {
    if (month >= m_trial.months.size()) return "";
    return "Rows the rules would change: " + monthAndYear(m_trial.months[month].month);
}

bool RulesScreen::apply() {
    if (busy()) return false;
    bool set = false;
    try {
        std::optional<store::Connection> db;
        const store::Opener opener = [&]() -> store::Connection& {
            if (!db) db.emplace().open(m_path);
            return *db;
        };
        set = setRulesFlow(opener, m_prompter, m_proposed);
    } catch (const std::exception& caught) {
        m_prompter.message(rulesSetFailed(asError(caught)));
    }
    // The trial's figures were against the rules then in force.
    if (set) clearTrial();
    const compare::PairingRules shown = m_proposed;
    load();
    if (!set) m_proposed = shown;  // the person's choice stays to try again or change
    return set;
}

void RulesScreen::clearTrial() {
    m_trial = {};
    m_rows.clear();
    m_summary.clear();
}

}  // namespace vesk::review
