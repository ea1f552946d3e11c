#include "compare/CompareForm.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTableView>
#include <algorithm>

#include "compare/ExplainWindow.h"
#include "compare/LeftOutWindow.h"
#include "compare/RulesWindow.h"
#include "widgets/FormStyle.h"
#include "widgets/GridHabits.h"
#include "widgets/Printing.h"

namespace vesk::gui {

namespace {

QComboBox* makeCombo(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(false);
    c->setGeometry(geometry);
    c->setFont(formFont("Rockwell", 10));
    return c;
}

QTableView* makeGrid(QWidget* parent, const QString& name, const QRect& geometry, QAbstractItemModel* model) {
    auto* g = new QTableView(parent);
    g->setObjectName(name);
    g->setGeometry(geometry);
    g->setFont(gridFont());
    g->setModel(model);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSortingEnabled(true);
    g->sortByColumn(-1, Qt::AscendingOrder);  // the comparison's order until a heading is clicked
    GridHabits::install(g);
    g->verticalHeader()->hide();
    g->verticalHeader()->setDefaultSectionSize(twips(compare::kShownRowHeight));
    g->horizontalHeader()->setHighlightSections(false);
    return g;
}

QLabel* makeStatusLabel(QWidget* parent, const QString& name, const QRect& geometry, const QString& background) {
    QLabel* l = makeLabel(parent, name, "", geometry, formFont("Monotype Corsiva", compare::kStatusPointSize, true));
    l->setProperty("background", background);
    l->setAlignment(Qt::AlignCenter);
    l->hide();
    return l;
}

void showLabel(QLabel* label, const compare::LabelView& v) {
    label->setText(QString::fromStdString(v.text));
    label->setStyleSheet(QString("background-color: %1; color: %2;")
                             .arg(label->property("background").toString(), styleColour(v.colour)));
    QFont f = label->font();
    f.setPointSize(v.pointSize);
    f.setBold(v.bold);
    label->setFont(f);
    label->setVisible(v.visible);
}

// The entries holding data in bold, the others in the list's own font.
void markEntries(QComboBox* combo, const std::vector<bool>& held) {
    QFont bold = combo->font();
    bold.setBold(true);
    for (int i = 0; i < combo->count(); ++i) {
        const bool marked = std::size_t(i) < held.size() && held[std::size_t(i)];
        combo->setItemData(i, marked ? QVariant(bold) : QVariant(), Qt::FontRole);
    }
}

// Refills a list only when its entries changed, so that a selection is not lost to a redraw.
void fillCombo(QComboBox* combo, const std::vector<std::string>& items, int selected) {
    const QSignalBlocker block(combo);
    bool same = combo->count() == int(items.size());
    for (int i = 0; same && i < combo->count(); ++i) same = combo->itemText(i).toStdString() == items[std::size_t(i)];
    if (!same) {
        combo->clear();
        for (const auto& item : items) combo->addItem(QString::fromStdString(item));
    }
    combo->setCurrentIndex(selected);
}

}  // namespace

CompareForm::CompareForm(const std::string& databasePath, Clock clock)
    : TaskForm("Compareform", "Compare VESK Finacle Data with ORV Data", 20520, 10830),
      m_logic(databasePath, prompter(), std::move(clock)),
      m_exporter(m_logic, prompter()),
      m_compareModel(m_logic.consolidated()),
      m_detailModel(m_logic.detailed()) {
    for (auto [sorted, model, grid] : {std::tuple{&m_compareSorted, &m_compareModel, &m_logic.consolidated()},
                                       std::tuple{&m_detailSorted, &m_detailModel, &m_logic.detailed()}}) {
        sorted->setSourceModel(model);
        sorted->setKeptLast(
            [grid](int row) { return std::size_t(row) < grid->rows.size() && grid->rows[std::size_t(row)].total; });
    }
    const QFont buttonFont = formFont("Cooper Black", 12);
    const QFont labelFont = formFont("MS Sans Serif", 10, true);
    const QFont heading = formFont("Lucida Bright", 12, true);

    // A blank panel behind the result area until results are shown. It ends where the row of
    // buttons under the grids begins, so that none of them stands across its edge.
    m_frame1 = new QFrame(this);
    m_frame1->setObjectName("Frame1");
    m_frame1->setFrameShape(QFrame::Box);
    m_frame1->setGeometry(twipsRect(360, 1920, 19935, 7800));
    m_frame1->lower();

    QLabel* title = makeLabel(this, "Label20", "Compare VESK Finacle Data with ORV Data",
                              twipsRect(6960, 480, 8415, 735), formFont("Lucida Bright", 16, true));
    title->setAlignment(Qt::AlignCenter);
    QLabel* label3 = makeLabel(this, "Label3", "Year", twipsRect(5760, 1320, 975, 375), labelFont);
    m_combo1 = makeCombo(this, "Combo1", twipsRect(6720, 1320, 1935, 345));
    QLabel* label12 = makeLabel(this, "Label12", "Month", twipsRect(9240, 1320, 975, 375), labelFont);
    m_combo2 = makeCombo(this, "Combo2", twipsRect(10200, 1320, 1935, 345));
    m_run = makeButton(this, "cmdRun", "Compare", twipsRect(12480, 1200, 2175, 495), buttonFont);
    m_reset = makeButton(this, "Command5", "Reset", twipsRect(12480, 1200, 2175, 495), buttonFont);
    m_reset->hide();
    // Beside Compare, on the month chosen: compared or not, its statement and its close.
    m_cmdStatement = makeButton(this, "cmdStatement", "&Statement", twipsRect(14880, 1200, 2175, 495), buttonFont);
    m_cmdStatement->setToolTip(
        "The month's statement: how the difference is made up, the open items rolled "
        "forward; closing the month");
    // Beside Statement: the rules every month is paired by, tried over the months before they are set.
    m_cmdPairingRules =
        makeButton(this, "cmdPairingRules", "Pairing R&ules\u2026", twipsRect(17280, 1200, 2775, 495), buttonFont);
    m_cmdPairingRules->setToolTip(
        "The division's pairing rules: what each does, a trial over the months, setting them");

    m_label9 = makeStatusLabel(this, "Label9", twipsRect(9000, 1920, 2295, 615), styleColour(palette::kTotal));
    QLabel* label2 =
        makeLabel(this, "Label2", "Differences - Consolidated Report", twipsRect(1920, 2280, 6975, 735), heading);
    label2->setAlignment(Qt::AlignCenter);
    QLabel* label1 = makeLabel(this, "Label1", "Differences - Detailed Report (Datewise)",
                               twipsRect(11640, 2280, 7935, 855), heading);
    label1->setAlignment(Qt::AlignCenter);
    QLabel* label4 = makeLabel(this, "Label4", "Search by Office Name", twipsRect(3360, 3120, 3735, 495), labelFont);
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName("Text1");
    m_text1->setGeometry(twipsRect(6240, 3000, 3135, 495));
    m_text1->setFont(formFont("MS Sans Serif", 11));
    QLabel* label8 = makeLabel(this, "Label8", "Select Office", twipsRect(12360, 3240, 2175, 375), labelFont);
    m_combo3 = makeCombo(this, "Combo3", twipsRect(14040, 3120, 3495, 345));
    m_label7 = makeStatusLabel(this, "Label7", twipsRect(17880, 3480, 2055, 375), styleColour(palette::kLoadingBack));

    m_grdCompare = makeGrid(this, "grdCompare", twipsRect(600, 4080, 8775, 5535), &m_compareSorted);
    m_flexGrid1 = makeGrid(this, "MSFlexGrid1", twipsRect(10560, 4080, 9495, 5535), &m_detailSorted);

    m_label11 = makeLabel(this, "Label11", "", twipsRect(600, 9720, 2655, 495), labelFont);
    m_export = makeButton(this, "Command1", "Export to Excel", twipsRect(3360, 9720, 2775, 735), buttonFont);
    m_export->hide();
    m_detailExport = makeButton(this, "Command6", "Export to Excel", twipsRect(14280, 9720, 2775, 735), buttonFont);
    m_detailExport->hide();
    // Print… over the consolidated grid, left of the search box; the detailed grid's beside
    // its export, short of Back.
    m_print = makeButton(this, "cmdPrint", "Pr&int…", twipsRect(600, 3030, 1575, 495), buttonFont);
    m_print->hide();
    m_detailPrint = makeButton(this, "cmdPrintDetail", "Print…", twipsRect(17145, 9720, 1245, 735), buttonFont);
    m_detailPrint->hide();
    m_label6 = makeLabel(this, "Label6", "", twipsRect(8760, 9720, 2655, 495), formFont("Monotype Corsiva", 14, true));
    m_label6->setStyleSheet("color: " + styleColour(palette::kWaitText) + ";");
    m_progressBar1 = new QProgressBar(this);
    m_progressBar1->setObjectName("ProgressBar1");
    m_progressBar1->setGeometry(twipsRect(7680, 10080, 3615, 615));
    m_progressBar1->hide();
    // What the comparison left out: a line along the bottom under the consolidated half and a
    // button beside its export, in room the designed controls leave free: left of the
    // export's wait label; the progress bar, shown only while exporting, stays above the line.
    m_lblLeftOut = makeLabel(this, "lblLeftOut", "", twipsRect(600, 10470, 8775, 330), formFont("MS Sans Serif", 9));
    m_lblLeftOut->setWordWrap(false);
    m_lblLeftOut->hide();
    // What the chosen month lacks of its imports, under the other half along the same line; over
    // the blink's label, which reaches a little into it.
    m_lblMonthParts =
        makeLabel(this, "lblMonthParts", "", twipsRect(10560, 10500, 7800, 330), formFont("MS Sans Serif", 9));
    m_lblMonthParts->setWordWrap(false);
    m_lblMonthParts->hide();
    m_cmdLeftOut = makeButton(this, "cmdLeftOut", "&Left Out", twipsRect(6225, 9720, 1200, 735), buttonFont);
    m_cmdLeftOut->setToolTip("What the comparison leaves out: bank rows and ORV entries of no listed office");
    m_cmdLeftOut->hide();
    // Why the rows differ: beside Left Out, usable once a month is compared.
    m_cmdExplain = makeButton(this, "cmdExplain", "Ex&plain", twipsRect(7515, 9720, 1170, 735), buttonFont);
    m_cmdExplain->setToolTip("Pairs the bank's rows with the ORV entries and says why the rest differ");
    m_cmdExplain->setEnabled(false);
    m_cmdExplain->hide();
    // Beside Explain, shown with it: the month's lists for the offices, one each to send.
    m_cmdOfficeLists =
        makeButton(this, "cmdOfficeLists", "&Office Lists\u2026", twipsRect(8775, 9720, 1695, 735), buttonFont);
    m_cmdOfficeLists->setToolTip(
        "A workbook for each office chosen (or every differing office) of its rows to explain");
    m_cmdOfficeLists->hide();
    m_explainWindow = new ExplainWindow(databasePath, &prompter(), this);
    m_rulesWindow = new RulesWindow(databasePath, &prompter(), this);
    m_label6->raise();  // the export's wait over the button it shares its place with
    m_progressBar1->raise();
    m_leftOutWindow = new LeftOutWindow(m_logic, this);
    m_label10 = makeStatusLabel(this, "Label10", twipsRect(11760, 9960, 2415, 615), styleColour(palette::kTotal));
    m_back = makeButton(this, "Command4", "Back", twipsRect(18480, 10080, 1815, 615), buttonFont);
    m_lblMonthParts->raise();

    // A larger window widens both halves alike: the left grid's right edge and the right
    // grid's left edge take half the growth each; what sits over or under a half follows it.
    constexpr Anchor leftHalf{0, 0, 0.5, 1}, rightHalf{0.5, 0, 1, 1};
    constexpr Anchor overLeftHalf{0, 0, 0.5, 0}, overRightHalf{0.5, 0, 1, 0};
    constexpr Anchor atMiddle{0.5, 0, 0.5, 0}, underMiddle{0.5, 1, 0.5, 1};
    anchor(m_frame1, Left | Top | Right | Bottom);
    for (QWidget* w :
         std::initializer_list<QWidget*>{title, label3, m_combo1, label12, m_combo2, m_run, m_reset, m_cmdStatement,
                                         m_cmdPairingRules, m_label9, label4, m_text1, label8, m_combo3, m_label7})
        anchor(w, atMiddle);
    anchor(label2, overLeftHalf);
    anchor(label1, overRightHalf);
    anchor(m_grdCompare, leftHalf);
    anchor(m_flexGrid1, rightHalf);
    anchor(m_label11, Left | Bottom);
    anchor(m_export, Left | Bottom);
    anchor(m_print, Left | Top);
    anchor(m_cmdLeftOut, Left | Bottom);
    anchor(m_cmdExplain, Left | Bottom);
    anchor(m_cmdOfficeLists, Left | Bottom);
    anchor(m_lblLeftOut, Anchor{0, 1, 0.5, 1});  // under the left half, as wide as its grid
    anchor(m_lblMonthParts, Anchor{0.5, 1, 1, 1});
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_detailExport, m_detailPrint, m_label6, m_progressBar1, m_label10})
        anchor(w, underMiddle);
    anchor(m_back, Right | Bottom);

    m_timer1.setObjectName("Timer1");
    m_timer1.setSingleShot(true);
    m_timer3.setObjectName("Timer3");
    m_timer3.setSingleShot(true);

    setBackButton(m_back);
    // The export's wait label, free while the comparison waits.
    watchDatabase(m_logic.connection(), m_label6);
    setMainAction(m_run);
    connectControls();
    connectScreen();
}

void CompareForm::connectControls() {
    connect(m_combo1, &QComboBox::currentIndexChanged, this, [this](int i) {
        m_logic.chooseYear(i);
        renderPeriod();
    });
    connect(m_combo2, &QComboBox::currentIndexChanged, this, [this](int i) {
        m_logic.chooseMonth(i);
        renderPeriod();
    });
    connect(m_run, &QPushButton::clicked, this, &CompareForm::compare);
    connect(m_reset, &QPushButton::clicked, this, &CompareForm::reset);
    connect(m_text1, &QLineEdit::textChanged, this, &CompareForm::filterOffices);
    connect(m_combo3, &QComboBox::activated, this, &CompareForm::chooseOffice);
    connect(m_grdCompare, &QTableView::activated, this, &CompareForm::explainConsolidatedRow);
    connect(m_flexGrid1, &QTableView::activated, this, &CompareForm::explainDetailedRow);
    const QString explainRow = "Open the office's &explanation";
    GridHabits::of(m_grdCompare)->addRowAction(explainRow, [this] {
        explainConsolidatedRow(m_grdCompare->currentIndex());
    });
    GridHabits::of(m_flexGrid1)->addRowAction(explainRow, [this] { explainDetailedRow(m_flexGrid1->currentIndex()); });
    // A filter hides rows by where they stand, and a sort moves them.
    connect(&m_compareSorted, &QAbstractItemModel::layoutChanged, this,
            [this] { m_compareModel.showRows(*m_grdCompare); });
    connect(&m_detailSorted, &QAbstractItemModel::layoutChanged, this,
            [this] { m_detailModel.showRows(*m_flexGrid1); });
    connect(m_export, &QPushButton::clicked, this, &CompareForm::exportConsolidated);
    connect(m_detailExport, &QPushButton::clicked, this, &CompareForm::exportDetailed);
    connect(m_cmdLeftOut, &QPushButton::clicked, this, &CompareForm::showLeftOut);
    connect(m_leftOutWindow, &LeftOutWindow::exportRequested, this, &CompareForm::exportLeftOut);
    connect(m_print, &QPushButton::clicked, this, &CompareForm::printConsolidated);
    connect(m_detailPrint, &QPushButton::clicked, this, &CompareForm::printDetailed);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this, &CompareForm::printShown);
    connect(m_leftOutWindow, &LeftOutWindow::printRequested, this, &CompareForm::printLeftOut);
    connect(m_cmdExplain, &QPushButton::clicked, this, &CompareForm::explainChosenOffice);
    connect(m_cmdOfficeLists, &QPushButton::clicked, this, &CompareForm::writeOfficeLists);
    connect(m_cmdStatement, &QPushButton::clicked, this, &CompareForm::openStatement);
    connect(m_cmdPairingRules, &QPushButton::clicked, this, &CompareForm::openPairingRules);
    connect(m_back, &QPushButton::clicked, this, &CompareForm::goBack);
    connect(&m_timer1, &QTimer::timeout, this, &CompareForm::hideStatus);
    connect(&m_timer3, &QTimer::timeout, this, &CompareForm::closeAfterBlink);
}

void CompareForm::connectScreen() {
    m_logic.setPainter([this] {
        render();
        QApplication::processEvents();
    });
    m_logic.setLabelPainter([this] { renderLabels(); });
    // A message shows over the state the comparison has reached (the wait label gone, the
    // results in place), never over the one before it.
    prompter().setBeforeMessage([this] { render(); });
    m_logic.setHideStatusLater([this] { m_timer1.start(m_timerInterval); });
    // The blink waits in short slices so that Back and the close box end it at once.
    m_logic.blinker().setWait([](std::chrono::milliseconds most) {
        QEventLoop loop;
        QTimer::singleShot(std::min(most, std::chrono::milliseconds(15)), &loop, &QEventLoop::quit);
        loop.exec();
    });
    m_exporter.setPrintTarget([this](const compare::Printout& printout) {
        previewPrintout(QApplication::activeWindow() ? QApplication::activeWindow() : this, printout);
    });
    m_exporter.setWaitLabel([this](bool shown, const std::string& text) {
        m_label6->setText(QString::fromStdString(text));
        m_label6->setVisible(shown);
        QApplication::processEvents();
    });
    m_exporter.setProgressBar([this](int value, int maximum) {
        if (value < 0) {
            m_progressBar1->hide();
            return;
        }
        m_progressBar1->setRange(0, maximum);
        m_progressBar1->setValue(value);
        m_progressBar1->show();
        if (value % 10 == 0) QApplication::processEvents();
    });
}

void CompareForm::load() {
    guarded([this] { m_logic.load(); });
    render();
}

bool CompareForm::mayUnload() {
    m_logic.stopBlinking();
    return true;
}

void CompareForm::unloaded() {
    m_leftOutWindow->hide();
    m_explainWindow->hide();
    m_timer1.stop();
    m_timer3.stop();
    m_logic.formUnloaded();
    TaskForm::unloaded();
}

void CompareForm::compare() {
    guarded([this] { m_logic.compare(); });
    if (!isLoaded()) return;
    render();
    if (m_leftOutWindow->isVisible()) m_leftOutWindow->refresh();
}

void CompareForm::openMonth(int year, int month, const std::string& office) {
    showForm();
    if (!isLoaded()) return;
    guarded([&] { m_logic.openMonth({year, month}, office); });
    if (!isLoaded()) return;
    render();
    if (m_leftOutWindow->isVisible()) m_leftOutWindow->refresh();
}

void CompareForm::showLeftOut() {
    if (!m_logic.leftOut()) return;
    m_leftOutWindow->refresh();
    showOverOpener(m_leftOutWindow);
}

void CompareForm::explainChosenOffice() {
    if (const auto request = m_logic.explainChosenOffice()) m_explainWindow->explain(*request);
}

void CompareForm::writeOfficeLists() {
    const Busy busy(*this, {}, true);
    guarded([this] { m_exporter.writeOfficeLists(); });
}

void CompareForm::openStatement() {
    if (const std::optional<Period> period = m_logic.period()) emit statementRequested(period->year, period->month);
}

void CompareForm::openPairingRules() { m_rulesWindow->open(); }

void CompareForm::explainConsolidatedRow(const QModelIndex& index) {
    if (!index.isValid()) return;
    const int row = m_compareSorted.mapToSource(index).row();
    if (const auto request = m_logic.explainConsolidatedRow(row)) m_explainWindow->explain(*request);
}

void CompareForm::explainDetailedRow(const QModelIndex& index) {
    if (!index.isValid()) return;
    const int row = m_detailSorted.mapToSource(index).row();
    if (const auto request = m_logic.explainDetailedRow(row)) m_explainWindow->explain(*request);
}

void CompareForm::exportLeftOut() {
    const Busy busy(*this, {}, true);
    const FormPrompter::Over over(prompter(), m_leftOutWindow);
    guarded([this] { m_exporter.exportLeftOut(); });
}

void CompareForm::printConsolidated() {
    guarded([this] { m_exporter.printConsolidated(); });
}

void CompareForm::printDetailed() {
    guarded([this] { m_exporter.printDetailed(); });
}

void CompareForm::printShown() {
    if (m_detailPrint->isVisible() && (m_flexGrid1->hasFocus() || !m_print->isVisible()))
        printDetailed();
    else if (m_print->isVisible())
        printConsolidated();
}

void CompareForm::printLeftOut() {
    const FormPrompter::Over over(prompter(), m_leftOutWindow);
    guarded([this] { m_exporter.printLeftOut(); });
}

void CompareForm::chooseOffice(int index) {
    guarded([&] { m_logic.chooseOffice(index); });
    // Closed during the blink: the form is no longer this click's to draw.
    if (isLoaded()) render();
}

void CompareForm::filterOffices() {
    m_logic.filterOffices(m_text1->text().toStdString());
    renderFilter();
    m_compareModel.showRows(*m_grdCompare);
}

void CompareForm::reset() {
    m_logic.reset();
    // The comparison's own order again, as its exports keep it.
    for (QTableView* grid : {m_grdCompare, m_flexGrid1}) grid->sortByColumn(-1, Qt::AscendingOrder);
    m_leftOutWindow->hide();
    m_explainWindow->hide();
    render();
    m_combo2->setFocus();
}

void CompareForm::goBack() {
    if (m_logic.goBack() == compare::CompareScreen::BackAction::CloseAfterBlink) {
        m_timer3.start(m_timerInterval);
        return;
    }
    if (unloadForm()) showMenu();
}

void CompareForm::hideStatus() {
    m_logic.hideStatus();
    renderLabels();
}

void CompareForm::exportConsolidated() {
    const Busy busy(*this, {}, true);
    guarded([this] { m_exporter.exportConsolidated(); });
}

void CompareForm::exportDetailed() {
    const Busy busy(*this, {}, true);
    guarded([this] { m_exporter.exportDetailed(); });
}

void CompareForm::closeAfterBlink() {
    if (m_logic.closeIsDue()) unloadForm();
}

void CompareForm::renderFilter() {
    const QString shown = QString::fromStdString(m_logic.view().filterText);
    if (m_text1->text() == shown) return;
    // Upper-casing keeps the caret where it was.
    const int caret = m_text1->cursorPosition();
    const QSignalBlocker block(m_text1);
    m_text1->setText(shown);
    m_text1->setCursorPosition(caret);
}

void CompareForm::renderLabels() {
    const compare::CompareView& v = m_logic.view();
    showLabel(m_label9, v.wait);
    showLabel(m_label7, v.loading);
    showLabel(m_label10, v.status);
}

void CompareForm::renderPeriod() {
    const compare::CompareView& v = m_logic.view();
    markEntries(m_combo1, v.yearsHeld);
    markEntries(m_combo2, v.monthsHeld);
    const QString parts = QString::fromStdString(v.partsText);
    m_lblMonthParts->setText(parts);
    m_lblMonthParts->setToolTip(parts);  // the whole of it, should the window be too narrow
    m_lblMonthParts->setVisible(!parts.isEmpty());
}

void CompareForm::render() {
    const compare::CompareView& v = m_logic.view();
    fillCombo(m_combo1, v.years, v.year);
    fillCombo(m_combo2, v.months, v.month);
    renderPeriod();
    m_combo1->setEnabled(v.periodEnabled);
    m_combo2->setEnabled(v.periodEnabled);
    fillCombo(m_combo3, v.offices, v.office);
    m_frame1->setVisible(v.frameVisible);
    m_run->setVisible(v.runVisible);
    m_reset->setVisible(v.resetVisible);
    m_export->setVisible(v.exportVisible);
    m_detailExport->setVisible(v.detailExportVisible);
    m_print->setVisible(v.exportVisible);
    m_detailPrint->setVisible(v.detailExportVisible);
    m_label11->setText(QString::fromStdString(v.countText));
    m_lblLeftOut->setText(QString::fromStdString(v.leftOutText));
    m_lblLeftOut->setVisible(v.leftOutVisible);
    m_cmdLeftOut->setVisible(v.leftOutVisible);
    // Shown with the results, as the rest of its row: before them it would hang from the blank panel.
    m_cmdExplain->setVisible(v.explainEnabled);
    m_cmdExplain->setEnabled(v.explainEnabled);
    m_cmdOfficeLists->setVisible(v.explainEnabled);
    m_cmdStatement->setEnabled(m_logic.period().has_value());
    renderFilter();
    renderLabels();
    m_compareModel.refresh(*m_grdCompare);
    m_detailModel.refresh(*m_flexGrid1);
}

}  // namespace vesk::gui
