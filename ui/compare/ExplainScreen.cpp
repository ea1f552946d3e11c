#include "compare/ExplainScreen.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "compare/CompareFlows.h"
#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "compare/ExplanationWorkbook.h"
#include "core/Error.h"
#include "core/Text.h"
#include "notes/NoteWording.h"
#include "office/Offices.h"
#include "store/Connection.h"

namespace vesk::compare {

namespace {

using Anchor = std::tuple<long long, ExplainSide, std::string>;

Anchor anchorOf(const ExplainedLine& line) { return {line.day, line.side, line.id}; }

}  // namespace

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
    m_busy = true;
    m_lines.clear();
    m_shown.clear();
    m_headline.clear();
    m_configuredOffice.clear();
    const std::string path = m_path;
    const ExplainTarget target = request.office ? ExplainTarget::one(*request.office) : ExplainTarget::differing();
    return {++m_ticket, [path, target, period = request.period] {
                store::Connection db;
                db.open(path);
                Explained e;
                e.configuredOffice = comparisonScope(db).configuredOffice;
                e.explanation = explainMonth(db, period, target);
                return e;
            }};
}

void ExplainScreen::finished(std::uint64_t ticket, Explained explained) {
    if (ticket != m_ticket) return;
    m_busy = false;
    m_configuredOffice = std::move(explained.configuredOffice);
    m_lines = listedLines(explained.explanation.lines, true, m_request.day);
    m_headline = explanationHeadline(m_lines);
    refill();
}

void ExplainScreen::failed(std::uint64_t ticket, const std::exception& error) {
    if (ticket != m_ticket) return;
    m_busy = false;
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
    if (m_busy || !shownRow || *shownRow >= m_shown.size()) {
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

std::optional<std::string> ExplainScreen::exportRows() {
    if (m_busy || m_shown.empty()) {
        m_prompter.message(noDataToExport());
        return std::nullopt;
    }
    try {
        ExportContext c = exportContext(m_request.period, m_configuredOffice);
        c.office = m_request.office;
        return saveExport(m_prompter, {m_folder, true, m_open}, explainedFileName(c),
                          [&](const std::string& folder) { return writeExplainedWorkbook(m_shown, c, folder); });
    } catch (const std::exception& caught) {
        m_prompter.message(exportFailed(asError(caught)));
        return std::nullopt;
    }
}

}  // namespace vesk::compare
