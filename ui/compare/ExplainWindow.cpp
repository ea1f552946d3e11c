#include "compare/ExplainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

#include "compare/CompareWording.h"
#include "compare/ExplanationWorkbook.h"
#include "compare/PairDialog.h"
#include "core/Error.h"
#include "notes/NoteDialog.h"
#include "widgets/FormStyle.h"
#include "widgets/GridHabits.h"
#include "widgets/ListWindow.h"
#include "widgets/Printing.h"

namespace vesk::gui {

namespace {

constexpr int kDateColumn = 3, kAmountColumn = 5, kGroupColumn = 7, kOtherDateColumn = 8, kNoteColumn = 10,
              kHintColumn = 11;

// The explanation's lines as the grid shows them: dates, amounts and groups sort as numbers.
std::vector<LinesModel::Row> explainedRows(const std::vector<compare::ExplainedLine>& lines) {
    std::vector<LinesModel::Row> rows;
    for (const compare::ExplainedLine& line : lines) {
        LinesModel::Row row{line, shownCells(compare::explainCells(line), line, kAmountColumn), {}};
        row.sortKeys.resize(row.cells.size());
        row.sortKeys[kDateColumn] = QVariant::fromValue(line.day);
        row.sortKeys[kOtherDateColumn] = QVariant::fromValue(line.otherDay.value_or(0));
        row.sortKeys[kAmountColumn] = line.amount;
        row.sortKeys[kGroupColumn] = line.group;
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

ExplainWindow::ExplainWindow(const std::string& databasePath, FormPrompter* raisedFrom, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_prompter(this),
      m_logic(databasePath, m_prompter),
      m_model(compare::explainHeaders(), {kAmountColumn, kGroupColumn}, kNoteColumn, kHintColumn),
      m_databasePath(databasePath) {
    m_prompter.setRaisedFrom(raisedFrom);
    setObjectName("frmExplain");
    setWindowTitle("Explain the Differences");
    resize(onScreen(QSize(twips(19200), twips(9600))));

    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(&m_model);
    m_sorted->setSortRole(LinesModel::kSortRole);
    m_matched = new QCheckBox("Show &matched rows", this);
    m_matched->setObjectName("chkMatched");
    m_matched->setFont(formFont("MS Sans Serif", 10));
    auto* note = makeButton(this, "cmdNote", "&Note\u2026", twipsRect(0, 0, 1815, 615), QFont());
    note->setFixedSize(note->size());
    auto* pairSelected =
        makeButton(this, "cmdPairSelected", "Pair &Selected\u2026", twipsRect(0, 0, 2415, 615), QFont());
    pairSelected->setFixedSize(pairSelected->size());
    auto* pairHinted = makeButton(this, "cmdPairHinted", "Pair as &Hinted", twipsRect(0, 0, 2415, 615), QFont());
    pairHinted->setFixedSize(pairHinted->size());
    auto* unpairButton = makeButton(this, "cmdUnpair", "&Unpair", twipsRect(0, 0, 1815, 615), QFont());
    unpairButton->setFixedSize(unpairButton->size());
    auto* print = makeButton(this, "cmdPrint", "&Print\u2026", twipsRect(0, 0, 1815, 615), QFont());
    print->setFixedSize(print->size());
    // The rows of a pair stand together until a heading is clicked.
    const ListWindowParts parts =
        buildListWindow(this, "grdExplain", m_sorted, twips(compare::kShownRowHeight) + 2, {m_matched},
                        {pairSelected, pairHinted, unpairButton, note, print}, "cmdExportExplained");
    m_heading = parts.heading;
    m_headline = parts.headline;
    m_grid = parts.grid;
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_showDetail = addDetailPane(this, m_grid, m_sorted,
                                 [this](std::optional<std::size_t> row) { return m_logic.detailText(row); });

    connect(m_matched, &QCheckBox::toggled, this, &ExplainWindow::showMatchedRows);
    connect(note, &QPushButton::clicked, this, &ExplainWindow::writeNote);
    connect(pairSelected, &QPushButton::clicked, this, &ExplainWindow::pairSelected);
    connect(pairHinted, &QPushButton::clicked, this, &ExplainWindow::pairAsHinted);
    connect(unpairButton, &QPushButton::clicked, this, &ExplainWindow::unpair);
    connect(parts.exportButton, &QPushButton::clicked, this, &ExplainWindow::exportRows);
    connectPrint(this, print, [this] { m_logic.printRows(); });
    m_logic.setPrintTarget([this](const compare::Printout& printout) { previewPrintout(this, printout); });
    GridHabits* habits = GridHabits::of(m_grid);
    habits->addRowAction("&Note\u2026", [this] { writeNote(); });
    habits->addRowAction("Pair &Selected\u2026", [this] { this->pairSelected(); });
    habits->addRowAction("Pair as &Hinted", [this] { pairAsHinted(); });
    habits->addRowAction("&Unpair", [this] { unpair(); });
}

ExplainWindow::~ExplainWindow() = default;

void ExplainWindow::explain(const compare::ExplainRequest& request) {
    compare::ExplainScreen::Job job = m_logic.open(request);
    render();
    showOverOpener(this);

    m_work.start<compare::ExplainScreen::Explained>(
        std::move(job.run),
        [this, ticket = job.ticket](compare::ExplainScreen::Explained explained) {
            m_logic.finished(ticket, std::move(explained));
            showOutcome();
        },
        [this, ticket = job.ticket](const Error& error) {
            m_logic.failed(ticket, error);
            showOutcome();
        });
}

void ExplainWindow::showMatchedRows(bool checked) {
    m_logic.showMatchedRows(checked);
    render();
}

void ExplainWindow::exportRows() {
    const WaitCursor wait;
    m_logic.exportRows();  // says what went wrong itself
}

std::optional<std::size_t> ExplainWindow::chosenRow() const {
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid() || !m_grid->selectionModel()->isRowSelected(current.row(), {})) return std::nullopt;
    return std::size_t(m_sorted->mapToSource(current).row());
}

void ExplainWindow::pairSelected() {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : m_grid->selectionModel()->selectedRows())
        rows.push_back(std::size_t(m_sorted->mapToSource(index).row()));
    std::sort(rows.begin(), rows.end());
    std::optional<compare::PairDraft> draft = m_logic.draftOfSelection(rows);
    if (draft) openPairDialog(std::move(*draft));
}

void ExplainWindow::pairAsHinted() {
    // Shown before it is made: a hint is a guess, and the person sees what it would pair.
    std::optional<compare::PairDraft> draft = m_logic.draftOfHint(chosenRow());
    if (draft) openPairDialog(std::move(*draft));
}

void ExplainWindow::unpair() {
    const std::optional<std::size_t> former = chosenRow();
    const std::optional<notes::RowRef> row =
        former && *former < m_logic.shown().size() ? std::optional(m_logic.shown()[*former].ref()) : std::nullopt;
    if (m_logic.unpair(former)) renderKeepingPlace(row, former.value_or(0));
}

void ExplainWindow::openPairDialog(compare::PairDraft draft) {
    const std::optional<std::size_t> former = chosenRow();
    std::optional<notes::RowRef> row;
    if (former && *former < m_logic.shown().size()) row = m_logic.shown()[*former].ref();
    auto* dialog = new PairDialog(m_logic, std::move(draft), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, row, former] { renderKeepingPlace(row, former.value_or(0)); });
    dialog->open();
}

void ExplainWindow::renderKeepingPlace(std::optional<notes::RowRef> row, std::size_t former) {
    render();
    const std::optional<std::size_t> place = row ? m_logic.placeAfter(*row, former) : std::nullopt;
    if (!place) return;
    const QModelIndex at = m_sorted->mapFromSource(m_model.index(int(*place), 0));
    m_grid->setCurrentIndex(at);
    m_grid->selectRow(at.row());
    m_grid->scrollTo(at);
}

void ExplainWindow::writeNote() {
    const QModelIndex current = m_grid->currentIndex();
    std::optional<std::size_t> row;
    if (current.isValid()) row = std::size_t(m_sorted->mapToSource(current).row());
    const std::optional<compare::ExplainedLine> line = m_logic.rowForNote(row);
    if (!line) return;
    auto* dialog =
        new NoteDialog(m_databasePath, m_prompter, line->ref(), line->note, compare::noteRowDetails(*line), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        if (!dialog->saved()) return;
        for (const notes::Note& paired : dialog->logic().pairedSaved()) m_logic.noteSaved(paired);
        m_logic.noteSaved(*dialog->saved());
        render();
        emit noteSaved();
    });
    dialog->open();
}

void ExplainWindow::showOutcome() {
    render();
    fitListColumns(m_grid);
    if (!m_logic.busy()) emit explained();
}

void ExplainWindow::render() {
    m_heading->setText(QString::fromStdString(m_logic.heading()));
    m_headline->setText(m_logic.busy() ? QString("Explaining....") : partsLine(m_logic.headline()));
    {
        const QSignalBlocker quiet(m_matched);
        m_matched->setChecked(m_logic.showMatched());
    }
    // Widths are set when the rows arrive and stay through notes and pairs, so that a long
    // note does not push Hint out of sight.
    m_model.setRows(explainedRows(m_logic.shown()), m_logic.pairingRules());
    m_showDetail();
    showBusy(this, m_logic.busy());
}

}  // namespace vesk::gui
