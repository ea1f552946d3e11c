#include "compare/ExplainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include "compare/ExplanationWorkbook.h"
#include "core/Error.h"
#include "notes/NoteDialog.h"
#include "widgets/FormStyle.h"
#include "widgets/ListWindow.h"

namespace vesk::gui {

namespace {

constexpr int kDateColumn = 3, kAmountColumn = 5, kClassColumn = 6, kGroupColumn = 7, kOtherDateColumn = 8,
              kNoteColumn = 10;

// The explanation's lines as the grid shows them: dates, amounts and groups sort as numbers.
std::vector<LinesModel::Row> explainedRows(const std::vector<compare::ExplainedLine>& lines) {
    std::vector<LinesModel::Row> rows;
    for (const compare::ExplainedLine& line : lines) {
        LinesModel::Row row{line, shownCells(compare::explainCells(line), line, kClassColumn), {}};
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

ExplainWindow::ExplainWindow(const std::string& databasePath, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_logic(databasePath, prompter),
      m_model(compare::explainHeaders(), {kAmountColumn, kGroupColumn}, kNoteColumn),
      m_databasePath(databasePath),
      m_prompter(prompter) {
    setObjectName("frmExplain");
    setWindowTitle("Explain the Differences");
    resize(twips(15600), twips(9600));

    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(&m_model);
    m_sorted->setSortRole(LinesModel::kSortRole);
    m_matched = new QCheckBox("Show &matched rows", this);
    m_matched->setObjectName("chkMatched");
    m_matched->setFont(formFont("MS Sans Serif", 10));
    auto* note = makeButton(this, "cmdNote", "&Note\u2026", twipsRect(0, 0, 1815, 615), QFont());
    note->setFixedSize(note->size());
    // The rows of a pair stand together until a heading is clicked.
    const ListWindowParts parts = buildListWindow(this, "grdExplain", m_sorted, twips(compare::kShownRowHeight) + 2,
                                                  {m_matched}, {note}, "cmdExportExplained");
    m_heading = parts.heading;
    m_headline = parts.headline;
    m_grid = parts.grid;

    connect(m_matched, &QCheckBox::toggled, this, &ExplainWindow::showMatchedRows);
    connect(note, &QPushButton::clicked, this, &ExplainWindow::writeNote);
    connect(parts.exportButton, &QPushButton::clicked, this, &ExplainWindow::exportRows);
}

ExplainWindow::~ExplainWindow() = default;

void ExplainWindow::explain(const compare::ExplainRequest& request) {
    compare::ExplainScreen::Job job = m_logic.open(request);
    render();
    show();
    raise();
    activateWindow();

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

void ExplainWindow::writeNote() {
    const QModelIndex current = m_grid->currentIndex();
    std::optional<std::size_t> row;
    if (current.isValid()) row = std::size_t(m_sorted->mapToSource(current).row());
    const std::optional<compare::ExplainedLine> line = m_logic.rowForNote(row);
    if (!line) return;
    auto* dialog = new NoteDialog(m_databasePath, m_prompter, {line->side, line->id, line->day}, line->note, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        if (!dialog->saved()) return;
        m_logic.noteSaved(*dialog->saved());
        render();
        emit noteSaved();
    });
    dialog->open();
}

void ExplainWindow::showOutcome() {
    render();
    if (!m_logic.busy()) emit explained();
}

void ExplainWindow::render() {
    m_heading->setText(QString::fromStdString(m_logic.heading()));
    m_headline->setText(m_logic.busy() ? QString("Explaining....") : QString::fromStdString(m_logic.headline()));
    {
        const QSignalBlocker quiet(m_matched);
        m_matched->setChecked(m_logic.showMatched());
    }
    m_model.setRows(explainedRows(m_logic.shown()));
    m_grid->resizeColumnsToContents();
    showBusy(this, m_logic.busy());
}

}  // namespace vesk::gui
