#include "compare/RulesWindow.h"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "compare/CompareWording.h"
#include "review/ReviewWording.h"
#include "widgets/FormStyle.h"
#include "widgets/GridHabits.h"
#include "widgets/ListWindow.h"
#include "widgets/TextTable.h"

namespace vesk::gui {

namespace {

using compare::Rule;

// Each rule's control and the letter of its Alt key: none repeats Try, Apply, Cancel or Close.
struct RuleControl {
    Rule rule;
    const char* name;
    char letter;
};
constexpr RuleControl kRuleControls[] = {{Rule::TimingDays, "spnTiming", 'w'},
                                         {Rule::CrossMonthEnd, "chkCrossMonth", 'e'},
                                         {Rule::LargestGroup, "spnGroup", 'g'},
                                         {Rule::GroupCandidates, "spnCandidates", 'p'},
                                         {Rule::OtherOffice, "chkOtherOffice", 'o'}};

// The rule's words with its letter marked for Alt.
QString ruleCaption(Rule rule, char letter) {
    QString text = QString::fromUtf8(compare::ruleText(rule));
    const qsizetype at = text.indexOf(QChar(letter), 0, Qt::CaseInsensitive);
    if (at >= 0) text.insert(at, QChar('&'));
    return text;
}

QTableView* rulesGrid(QWidget* parent, const QString& name, QStandardItemModel* model) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setModel(model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->hide();
    GridHabits::install(grid);
    return grid;
}

QPushButton* rulesButton(QWidget* parent, const QString& name, const QString& caption) {
    QPushButton* b = makeButton(parent, name, caption, twipsRect(0, 0, 1815, 615), formFont("Cooper Black", 12));
    b->setFixedSize(std::max(b->width(), b->fontMetrics().horizontalAdvance(withoutMnemonic(caption)) + 24),
                    b->height());
    return b;
}

}  // namespace

RulesWindow::RulesWindow(const std::string& databasePath, FormPrompter* raisedFrom, QWidget* parent)
    : QWidget(parent, Qt::Window), m_prompter(this), m_logic(databasePath, m_prompter) {
    m_prompter.setRaisedFrom(raisedFrom);
    setObjectName("frmPairingRules");
    setWindowTitle(review::kRulesTitle);
    resize(onScreen(QSize(twips(20000), twips(9600))));
    const QFont font = formFont("MS Sans Serif", 10);

    auto* rules = new QGridLayout;
    int row = 0;
    for (const RuleControl& c : kRuleControls) {
        const QString tip = QString::fromUtf8(compare::ruleMeaning(c.rule));
        QWidget* control;
        if (compare::isYesNo(c.rule)) {
            auto* box = new QCheckBox(ruleCaption(c.rule, c.letter), this);
            connect(box, &QCheckBox::toggled, this, [this, rule = c.rule](bool on) { m_logic.setRule(rule, on); });
            m_yesNo[c.rule] = box;
            rules->addWidget(box, row, 0, 1, 2);
            control = box;
        } else {
            auto* spin = new QSpinBox(this);
            spin->setRange(int(compare::leastValue(c.rule)), int(compare::mostValue(c.rule)));
            connect(spin, &QSpinBox::valueChanged, this, [this, rule = c.rule](int v) { m_logic.setRule(rule, v); });
            auto* label = makeLabel(this, QString("lbl") + (c.name + 3), ruleCaption(c.rule, c.letter), {}, font);
            label->setWordWrap(false);
            label->setBuddy(spin);
            label->setToolTip(tip);
            m_numbers[c.rule] = spin;
            rules->addWidget(label, row, 0);
            rules->addWidget(spin, row, 1);
            control = spin;
        }
        control->setObjectName(c.name);
        control->setFont(font);
        control->setToolTip(tip);
        ++row;
    }
    m_setBy = makeLabel(this, "lblSetBy", "", {}, font);
    rules->addWidget(m_setBy, row, 0, 1, 2);
    rules->setRowStretch(row + 1, 1);

    auto* help = makeLabel(this, "lblRulesHelp", QString::fromStdString(review::RulesScreen::helpText()), {},
                           formFont("MS Sans Serif", 9));
    help->setWordWrap(true);
    help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    help->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* top = new QHBoxLayout;
    top->addLayout(rules);
    top->addSpacing(twips(360));
    top->addWidget(help, 1);

    m_try = rulesButton(this, "cmdTry", "&Try");
    m_try->setToolTip("Pairs every month held by the rules as shown, beside the rules in force; writes nothing");
    m_cancel = rulesButton(this, "cmdCancelTrial", "Cance&l");
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("prgTrial");
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    auto* trialRow = new QHBoxLayout;
    trialRow->addWidget(m_try);
    trialRow->addWidget(m_progress, 1);
    trialRow->addWidget(m_cancel);

    m_summary = makeLabel(this, "lblTrialSummary", "", {}, font);
    m_months = textTableModel(this, review::trialHeaders());
    m_grid = rulesGrid(this, "grdTrial", m_months);

    m_apply = rulesButton(this, "cmdApply", "&Apply");
    m_apply->setToolTip("Sets the rules as shown; both programs pair every month by them from now on");
    auto* close = rulesButton(this, "cmdClose", "&Close");
    auto* foot = new QHBoxLayout;
    foot->addWidget(m_apply);
    foot->addStretch(1);
    foot->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(trialRow);
    layout->addWidget(m_summary);
    layout->addWidget(m_grid, 1);
    layout->addLayout(foot);

    connect(m_try, &QPushButton::clicked, this, &RulesWindow::tryRules);
    connect(m_cancel, &QPushButton::clicked, this, &RulesWindow::cancelTrial);
    connect(m_apply, &QPushButton::clicked, this, &RulesWindow::applyRules);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_grid, &QTableView::activated, this, &RulesWindow::showMonthRows);
    GridHabits::of(m_grid)->addRowAction("The month's changed &rows\u2026",
                                         [this] { showMonthRows(m_grid->currentIndex()); });
    useKeyboard(this, nullptr, close);
}

RulesWindow::~RulesWindow() {
    // The trial stops at its next month, so the window is not held up waiting for every month.
    m_logic.stopTrial();
}

void RulesWindow::setVisible(bool visible) {
    if (!visible) m_logic.stopTrial();  // closed: nobody waits for its figures
    m_place.beforeVisible(*this, visible);
    QWidget::setVisible(visible);
}

void RulesWindow::open() {
    if (!isVisible() && !m_logic.busy()) m_logic.load();
    render();
    showOverOpener(this);
}

void RulesWindow::tryRules() {
    if (!m_logic.mayTry()) return;
    review::RulesScreen::Job job =
        m_logic.startTrial([this](std::uint64_t ticket, std::size_t done, std::size_t total) {
            QMetaObject::invokeMethod(
                this,
                [this, ticket, done, total] {
                    m_logic.trialProgressed(ticket, done, total);
                    renderTrial();
                },
                Qt::QueuedConnection);
        });
    render();
    m_work.start<review::RulesScreen::Tried>(
        std::move(job.run),
        [this, ticket = job.ticket](review::RulesScreen::Tried tried) {
            m_logic.trialFinished(ticket, std::move(tried));
            render();
            if (!m_logic.busy()) emit this->tried();
        },
        [this, ticket = job.ticket](const Error& error) {
            m_logic.trialFailed(ticket, error);
            render();
            if (!m_logic.busy()) emit this->tried();
        });
}

void RulesWindow::cancelTrial() { m_logic.stopTrial(); }

void RulesWindow::applyRules() {
    m_logic.apply();  // asks, and says what was done or went wrong, itself
    render();
}

void RulesWindow::showMonthRows(const QModelIndex& index) {
    if (!index.isValid() || m_logic.busy()) return;
    const std::size_t month = std::size_t(index.row());
    if (!m_rowsWindow) {
        m_rowsWindow = new QDialog(this);
        m_rowsWindow->setObjectName("frmTrialRows");
        m_rowsWindow->resize(onScreen(QSize(twips(14400), twips(7200))));
        m_rowsHeading = makeLabel(m_rowsWindow, "lblTrialRows", "", {}, formFont("MS Sans Serif", 10, true));
        m_rows = textTableModel(m_rowsWindow, review::changedRowHeaders());
        auto* close = rulesButton(m_rowsWindow, "cmdClose", "&Close");
        connect(close, &QPushButton::clicked, m_rowsWindow, &QDialog::close);
        auto* layout = new QVBoxLayout(m_rowsWindow);
        layout->addWidget(m_rowsHeading);
        layout->addWidget(rulesGrid(m_rowsWindow, "grdTrialRows", m_rows), 1);
        layout->addWidget(close, 0, Qt::AlignRight);
    }
    const QString heading = QString::fromStdString(m_logic.changedRowsHeading(month));
    m_rowsWindow->setWindowTitle(heading);
    m_rowsHeading->setText(heading);
    fillTextTable(m_rows, m_logic.changedRows(month), {5});
    m_rowsWindow->findChild<QTableView*>("grdTrialRows")->resizeColumnsToContents();
    showOverOpener(m_rowsWindow);
}

void RulesWindow::render() {
    for (const auto& [rule, spin] : m_numbers) {
        const QSignalBlocker quiet(spin);
        spin->setValue(int(compare::ruleValue(m_logic.proposed(), rule)));
    }
    for (const auto& [rule, box] : m_yesNo) {
        const QSignalBlocker quiet(box);
        box->setChecked(compare::ruleValue(m_logic.proposed(), rule) != 0);
    }
    m_setBy->setText(QString::fromStdString(m_logic.setByText()));
    fillTextTable(m_months, m_logic.trialRows(), {3, 4, 5, 6, 7});
    m_grid->resizeColumnsToContents();
    renderTrial();
}

void RulesWindow::renderTrial() {
    const bool busy = m_logic.busy();
    m_try->setEnabled(m_logic.mayTry());
    m_apply->setEnabled(m_logic.mayApply());
    m_cancel->setEnabled(m_logic.mayCancel());
    m_progress->setRange(0, int(std::max<std::size_t>(m_logic.monthsToWeigh(), 1)));
    m_progress->setValue(int(m_logic.monthsDone()));
    m_summary->setText(busy ? QString("Trying the rules....") : QString::fromStdString(m_logic.trialSummary()));
    showBusy(this, busy);
}

}  // namespace vesk::gui
