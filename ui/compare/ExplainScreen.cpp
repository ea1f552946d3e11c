#include "compare/ExplainScreen.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "compare/CompareFlows.h"
#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "compare/ExplanationWorkbook.h"
#include "core/Error.h"
#include "core/Text.h"
#include "notes/NoteWording.h"
#include "office/Offices.h"
#include "pairs/HandPairs.h"
#include "pairs/PairWording.h"
#include "review/MonthHints.h"
#include "review/MonthParts.h"
#include "review/ReviewWording.h"
#include "store/Connection.h"
#include "store/ExactSum.h"

namespace vesk::compare {

namespace {

using Anchor = std::tuple<long long, ExplainSide, std::string>;

Anchor anchorOf(const ExplainedLine& line) { return {line.day, line.side, line.id}; }

// "VESK T1 of 02/04/2025": a row as the pairs' notices name it.
std::string rowWords(const ExplainedLine& line) { return pairs::pairRowText({line.side, line.id, line.day, {}, 0}); }

ExplainTarget targetOf(const ExplainRequest& request) {
    return request.office ? ExplainTarget::one(*request.office) : ExplainTarget::differing();
}

ExplainScreen::Explained explained(const std::string& path, Period period, const ExplainTarget& target) {
    store::Connection db;
    db.open(path);
    // The hints' months stored first, then the month explained as one state of the file.
    review::PreparedExplanation prepared = review::prepareExplanation(db, period, target);
    const store::Transaction snapshot = db.beginRead();
    ExplainScreen::Explained e;
    e.configuredOffice = comparisonScope(db).configuredOffice;
    e.explanation = review::explainPrepared(db, period, target, std::move(prepared));
    e.missingParts = review::missingPartsLine(review::monthParts(db, period));
    return e;
}

}  // namespace

bool PairDraft::sumsDiffer() const { return !amountsEqual(amountUnits(bankSum), amountUnits(orvSum)); }

std::vector<std::string> PairDraft::sumsLines() const {
    return pairs::draftSumsLines(bankRows, bankSum, orvRows, orvSum);
}

std::vector<ExplainedLine> groupedTogether(std::vector<ExplainedLine> lines) {
    // A group stands where its earliest line would: its date, bank before ORV, its id.
    std::map<int, Anchor> anchors;
    for (const ExplainedLine& line : lines) {
        if (line.group == 0) continue;
        auto [it, added] = anchors.try_emplace(line.group, anchorOf(line));
        if (!added) it->second = std::min(it->second, anchorOf(line));
    }
    const auto key = [&](const ExplainedLine& line) {
        const Anchor anchor = line.group ? anchors.at(line.group) : anchorOf(line);
        return std::make_tuple(upper(line.office), line.office, line.kind, anchor, line.group, line.side, line.day,
                               line.id);
    };
    std::stable_sort(lines.begin(), lines.end(),
                     [&](const ExplainedLine& a, const ExplainedLine& b) { return key(a) < key(b); });
    return lines;
}

ExplainScreen::ExplainScreen(std::string databasePath, Prompter& prompter)
    : m_path(std::move(databasePath)), m_prompter(prompter), m_folder(defaultOutputFolder()) {}

ExplainScreen::Job ExplainScreen::open(const ExplainRequest& request) {
    m_request = request;
    m_lines.clear();
    m_shown.clear();
    m_headline.clear();
    m_missingParts.clear();
    m_configuredOffice.clear();
    return {m_latest.start(), [path = m_path, target = targetOf(request), period = request.period] {
                return explained(path, period, target);
            }};
}

void ExplainScreen::finished(std::uint64_t ticket, Explained explained) {
    if (!m_latest.finish(ticket)) return;
    m_configuredOffice = std::move(explained.configuredOffice);
    m_lines = listedLines(explained.explanation.lines, true, m_request.day);
    m_rules = explained.explanation.rules;
    m_headline = explanationHeadline(m_lines);
    m_missingParts = std::move(explained.missingParts);
    refill();
}

std::string ExplainScreen::headline() const {
    if (m_missingParts.empty() || m_headline.empty()) return m_headline;
    return m_missingParts + "\n" + m_headline;
}

void ExplainScreen::failed(std::uint64_t ticket, const std::exception& error) {
    if (!m_latest.finish(ticket)) return;
    m_prompter.message(comparisonFailed(asError(error)));
}

std::string ExplainScreen::heading() const {
    std::string text = "Explained : " + monthAndYear(m_request.period);
    text += " : " + (m_request.office ? *m_request.office : std::string("Differing Offices"));
    if (m_request.day) text += " : " + dayText(*m_request.day);
    return text;
}

void ExplainScreen::showMatchedRows(bool checked) {
    m_showMatched = checked;
    refill();
}

void ExplainScreen::refill() { m_shown = groupedTogether(listedLines(m_lines, m_showMatched)); }

std::optional<ExplainedLine> ExplainScreen::rowForNote(std::optional<std::size_t> shownRow) {
    if (busy() || !shownRow || *shownRow >= m_shown.size()) {
        m_prompter.message(notes::noRowForNote());
        return std::nullopt;
    }
    return m_shown[*shownRow];
}

void ExplainScreen::noteSaved(const notes::Note& note) {
    for (ExplainedLine& line : m_lines)
        if (line.side == note.side && equalsNoCase(line.id, note.id) && note.day == line.day) line.note = note;
    refill();
}

std::optional<PairDraft> ExplainScreen::draftOfSelection(const std::vector<std::size_t>& shownRows) {
    PairDraft draft;
    store::ExactSum bank, orv;
    std::set<notes::RowKey> taken;
    for (std::size_t r : shownRows) {
        if (busy() || r >= m_shown.size()) continue;
        const ExplainedLine& line = m_shown[r];
        if (!taken.insert(notes::rowKey(line.ref())).second) continue;
        draft.rows.push_back(line.ref());
        (line.side == ExplainSide::Bank ? bank : orv).add(line.amount);
        ++(line.side == ExplainSide::Bank ? draft.bankRows : draft.orvRows);
    }
    if (draft.bankRows == 0 || draft.orvRows == 0) {
        m_prompter.message(pairs::noRowsToPair());
        return std::nullopt;
    }
    draft.bankSum = bank.total();
    draft.orvSum = orv.total();
    return draft;
}

std::optional<PairDraft> ExplainScreen::draftOfHint(std::optional<std::size_t> shownRow) {
    if (busy() || !shownRow || *shownRow >= m_shown.size()) {
        m_prompter.message(pairs::noRowChosen("pair as hinted"));
        return std::nullopt;
    }
    const ExplainedLine& line = m_shown[*shownRow];
    const std::optional<HintRow>& other = line.hint.counterpart;
    if (!other || other->side == line.side) {
        m_prompter.message(pairs::noHintToPair(rowWords(line)));
        return std::nullopt;
    }
    PairDraft draft;
    draft.rows = {line.ref(), other->ref()};
    draft.bankRows = draft.orvRows = 1;
    draft.bankSum = line.side == ExplainSide::Bank ? line.amount : other->amount;
    draft.orvSum = line.side == ExplainSide::Bank ? other->amount : line.amount;
    draft.text = hintText(line.hint);
    return draft;
}

bool ExplainScreen::changePairs(const std::function<std::optional<std::string>(store::Connection&)>& change) {
    try {
        store::Connection db;
        db.open(m_path);
        if (const std::optional<std::string> refusal = change(db)) {
            m_prompter.message(pairs::pairRefused(*refusal));
            return false;
        }
        db.close();
        explainAgain();
        return true;
    } catch (const std::exception& caught) {
        m_prompter.message(pairs::pairFailed(asError(caught)));
        return false;
    }
}

bool ExplainScreen::pair(const PairDraft& draft, const std::string& text, bool acceptDifference) {
    return changePairs([&](store::Connection& db) -> std::optional<std::string> {
        pairs::PairRequest request = pairs::PairRequest::of(draft.rows);
        request.text = text;
        request.acceptDifference = acceptDifference;
        const pairs::MadePair made = pairs::makePair(db, request, notes::loginName(), localNow());
        if (!made.pair) return pairs::refusalText(*made.refusal, m_path);
        return std::nullopt;
    });
}

bool ExplainScreen::unpair(std::optional<std::size_t> shownRow) {
    if (busy() || !shownRow || *shownRow >= m_shown.size()) {
        m_prompter.message(pairs::noRowChosen("unpair"));
        return false;
    }
    const ExplainedLine& line = m_shown[*shownRow];
    if (line.handPair == 0) {
        m_prompter.message(pairs::notPairedByHand(rowWords(line)));
        return false;
    }
    const int number = line.handPair;
    if (m_prompter.message(pairs::undoQuestion(number)) != Answer::Yes) return false;
    return changePairs([&](store::Connection& db) -> std::optional<std::string> {
        const std::string name = pairs::pairName(number);
        const pairs::Undo undo = pairs::unpair(db, name, notes::loginName(), localNow());
        if (undo.outcome != pairs::UndoOutcome::Undone) return pairs::undoRefusalText(undo, name, m_path);
        return std::nullopt;
    });
}

std::optional<std::size_t> ExplainScreen::placeAfter(const notes::RowRef& row, std::size_t former) const {
    if (m_shown.empty()) return std::nullopt;
    const notes::RowKey key = notes::rowKey(row);
    for (std::size_t r = 0; r < m_shown.size(); ++r)
        if (notes::rowKey(m_shown[r].ref()) == key) return r;
    return std::min(former, m_shown.size() - 1);
}

void ExplainScreen::explainAgain() {
    Explained again = explained(m_path, m_request.period, targetOf(m_request));
    // A new request: an explanation still on its way is of the rows before the change.
    finished(m_latest.start(), std::move(again));
}

std::optional<std::string> ExplainScreen::exportRows() {
    if (busy() || m_shown.empty()) {
        m_prompter.message(noDataToExport());
        return std::nullopt;
    }
    return tryExport(m_prompter, [&] {
        ExportContext c = exportContext(m_request.period, m_configuredOffice);
        c.office = m_request.office;
        c.rules = m_rules;
        return saveExport(m_prompter, {m_folder, true, m_open}, explainedFileName(c),
                          [&](const std::string& folder) { return writeExplainedWorkbook(m_shown, c, folder); });
    });
}

bool ExplainScreen::printRows() {
    if (busy() || m_shown.empty()) {
        m_prompter.message(noDataToExport());
        return false;
    }
    return handPrintout(m_prompter, m_printTo, m_clock, [&] {
        ExportContext c = exportContext(m_request.period, m_configuredOffice);
        c.office = m_request.office;
        c.rules = m_rules;
        return sheetPrintout(explainedSheet(m_shown, c));
    });
}

std::string ExplainScreen::detailText(std::optional<std::size_t> shownRow) const {
    if (!shownRow || *shownRow >= m_shown.size()) return "";
    return rowDetailText(m_shown[*shownRow]);
}

}  // namespace vesk::compare
