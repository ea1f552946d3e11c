#include "app/gui/MainForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "backup/BackupWording.h"
#include "backup/DatabaseScreen.h"
#include "core/Error.h"
#include "core/Version.h"
#include "widgets/DelayShown.h"
#include "widgets/FormStyle.h"
#include "widgets/TaskForm.h"

namespace vesk::gui {

namespace {

void addLine(QWidget* parent, int left, int top, int width, int height) {
    auto* line = new QFrame(parent);
    line->setFrameShape(width > height ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    line->setGeometry(twipsRect(left, top, width, height));
}

}  // namespace

MainForm::StatusPrompter::StatusPrompter(MainForm& menu) : FormPrompter(&menu), m_menu(menu) {}

void MainForm::StatusPrompter::progress(const std::string& text) {
    // The wait cursor while the work runs, never over a message box or a dialog.
    if (text.empty()) {
        if (m_waiting) QApplication::restoreOverrideCursor();
        m_waiting = false;
        m_menu.showDatabase(m_menu.m_databasePath);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return;
    }
    if (!m_waiting) QApplication::setOverrideCursor(Qt::WaitCursor);
    m_waiting = true;
    FormPrompter::progress(text);
}

MainForm::MainForm() : m_prompter(*this) {
    setObjectName("mainform");
    setWindowTitle("VESK - ORV Comparison Tool Ver 1.0 ::  Release Date : 06.01.2026 ::");
    // Its designed size, or smaller and scrolling where the screen is smaller.
    m_layout = new FormLayout(*this, QSize(twips(12135), twips(10065)));
    setMaximumSize(m_layout->designSize());

    auto* title = makeLabel(this, "Label30", "VESK - ORV Comparison Tool", twipsRect(240, 360, 11655, 600),
                            formFont("Lucida Bright", 20, true));
    title->setAlignment(Qt::AlignCenter);

    // Two frames of four lines each around the column of monthly-work buttons.
    for (int inset : {0, 120}) {
        const int left = 3480 + inset, top = 2160 + inset, right = 8175 - inset, bottom = 7455 - inset;
        addLine(this, left, top, right - left, 30);
        addLine(this, left, bottom, right - left, 30);
        addLine(this, left, top, 30, bottom - top);
        addLine(this, right, top, 30, bottom - top + 30);
    }

    const QFont menuFont = formFont("Calibri", 12, true);
    // Created in tab order.
    auto* c2 =
        makeButton(this, "Command2", "Import VESK Monthly CTR Report", twipsRect(3960, 2640, 3735, 975), menuFont);
    auto* c3 =
        makeButton(this, "Command3", "Import ORV 2.0 Monthly Report", twipsRect(3960, 4320, 3735, 975), menuFont);
    auto* c4 = makeButton(this, "Command4", "Compare Data", twipsRect(3960, 6000, 3735, 975), menuFont);
    auto* c1 = makeButton(this, "Command1", "Office - Master Data", twipsRect(9000, 1320, 2775, 855), menuFont);
    auto* c5 = makeButton(this, "Command5", "Exit", twipsRect(9000, 9000, 2775, 735), formFont("Cooper Black", 14));
    // Level with Compare Data, in the free column right of the monthly work: made last, so the
    // other buttons keep their places, tab order and Alt letters.
    auto* trend = makeButton(this, "cmdTrend", "&Trend", twipsRect(9000, 6000, 2775, 975), menuFont);
    trend->setToolTip("Every month of the data compared at a glance: a chart and a map of offices");
    // Left of the monthly work, level with Compare Data: next month's first look.
    auto* openItems = makeButton(this, "cmdOpenItems", "O&pen Items", twipsRect(360, 6000, 2775, 975), menuFont);
    // Under it, the month's end: its statement, its close.
    auto* statement = makeButton(this, "cmdStatement", "&Statement", twipsRect(360, 7200, 2775, 975), menuFont);
    statement->setToolTip(
        "The month's statement: what each side recorded, how the difference is made up, the open "
        "items rolled forward; closing the month");

    // The database file's own work, in a column of small buttons left of the frames, where
    // the designed menu has nothing; each with a letter no other button of the menu uses.
    const QFont smallFont = formFont("Calibri", 10, true);
    makeLabel(this, "lblDatabase", "Database File", twipsRect(360, 2640, 2775, 300), formFont("Calibri", 10));
    auto* check = makeButton(this, "cmdCheck", "Chec&k Database", twipsRect(360, 3000, 2775, 495), smallFont);
    auto* backUp = makeButton(this, "cmdBackup", "&Back Up Database", twipsRect(360, 3600, 2775, 495), smallFont);
    auto* restore = makeButton(this, "cmdRestore", "&Restore Database", twipsRect(360, 4200, 2775, 495), smallFont);
    m_daily = new QCheckBox("Dail&y Backups", this);
    m_daily->setObjectName("chkDailyBackups");
    m_daily->setFont(smallFont);
    m_daily->setGeometry(twipsRect(360, 4800, 2775, 375));
    auto* passphrase = makeButton(this, "cmdPassphrase", "P&assphrase…", twipsRect(360, 5280, 2775, 495), smallFont);
    passphrase->setToolTip("Set, change or remove the passphrase the database file and its daily copies open with");

    // The task buttons open their forms; the rest are the menu's own.
    connect(c1, &QPushButton::clicked, this, [this] { openTask(Office); });
    connect(c2, &QPushButton::clicked, this, [this] { openTask(BankReport); });
    connect(c3, &QPushButton::clicked, this, [this] { openTask(OrvReport); });
    connect(c4, &QPushButton::clicked, this, [this] { openTask(Compare); });
    connect(c5, &QPushButton::clicked, this, &MainForm::exitProgram);
    connect(trend, &QPushButton::clicked, this, &MainForm::trendRequested);
    connect(openItems, &QPushButton::clicked, this, &MainForm::openItemsRequested);
    connect(statement, &QPushButton::clicked, this, &MainForm::statementRequested);
    connect(check, &QPushButton::clicked, this, &MainForm::checkDatabase);
    connect(backUp, &QPushButton::clicked, this, &MainForm::backUpDatabase);
    connect(restore, &QPushButton::clicked, this, &MainForm::restoreDatabase);
    connect(m_daily, &QCheckBox::clicked, this, &MainForm::switchDailyBackups);
    connect(passphrase, &QPushButton::clicked, this, &MainForm::changePassphrase);
    // Escape on the menu would end the program unasked: only Exit does.
    useKeyboard(this)->setEscapeCloses(false);

    // Small and grey under the frames, left of Exit: which program and which file.
    m_status = makeLabel(this, "StatusLine", "", twipsRect(240, 9750, 8520, 255), formFont("Calibri", 8));
    m_status->setWordWrap(false);
    m_status->setStyleSheet("color: #6e6e6e;");
    m_prompter.setProgressLabel(m_status);
    m_prompter.setFileKind("Backup");
    showDatabase({});
}

MainForm::~MainForm() = default;

void MainForm::showDatabase(const QString& path) {
    if (path != m_databasePath || !m_database) {
        m_databasePath = path;
        m_database = std::make_unique<backup::DatabaseScreen>(path.toStdString(), m_prompter);
        m_database->setDelayWatcher(showDelays(m_status));
    }
    for (QPushButton* b : {findChild<QPushButton*>("cmdCheck"), findChild<QPushButton*>("cmdBackup"),
                           findChild<QPushButton*>("cmdRestore"), findChild<QPushButton*>("cmdPassphrase")})
        b->setEnabled(!path.isEmpty());
    m_daily->setEnabled(!path.isEmpty());
    m_daily->setChecked(!path.isEmpty() && m_database->dailyBackupsOn());
    m_daily->setToolTip(path.isEmpty() ? QString() : QString::fromStdString(m_database->dailyBackupsText()));
    const QString version = QString("Ver %1").arg(kVersion);
    if (path.isEmpty()) {
        m_status->setText(version);
        m_status->setToolTip({});
        return;
    }
    const QString prefix = version + "   Database: ";
    const QFontMetrics metrics(m_status->font());
    // The two parts measured apart can come to a pixel or two more than the joined text,
    // so the room shrinks until the whole line fits.
    QString text = prefix + path;
    for (int room = m_status->width() - metrics.horizontalAdvance(prefix);
         room > 0 && metrics.horizontalAdvance(text) > m_status->width(); room -= 4)
        text = prefix + metrics.elidedText(path, Qt::ElideMiddle, room);
    m_status->setText(text);
    m_status->setToolTip(path);
}

void MainForm::setVisible(bool visible) {
    if (visible && !isVisible() && screen()) m_layout->fitInto(screen()->availableGeometry());
    // Back from a task form finds the menu where it was left.
    m_place.beforeVisible(*this, visible);
    QWidget::setVisible(visible);
}

void MainForm::setTaskForm(Task task, TaskForm* form) {
    m_tasks[task] = form;
    form->setMenu(this);
}

void MainForm::openTask(Task task) {
    hide();
    if (m_tasks[task]) m_tasks[task]->showForm();
}

template <typename Handler>
void MainForm::runBusy(const char* title, Handler handler) {
    // The buttons stay off while the work runs events, so nothing starts inside it.
    std::vector<QWidget*> off;
    for (QWidget* w : findChildren<QAbstractButton*>())
        if (w->isEnabled()) off.push_back(w);
    for (QWidget* w : off) w->setEnabled(false);
    try {
        handler();
    } catch (const std::exception& caught) {
        // The screen shows the failures of its own work; what fails around it (the forms
        // letting go of a replaced file) is shown the same way.
        m_prompter.message(backup::careFailed(title, asError(caught)));
    }
    m_prompter.progress("");
    for (QWidget* w : off) w->setEnabled(true);
}

void MainForm::checkDatabase() {
    runBusy(backup::kCheckTitle, [this] { m_database->checkDatabase(); });
}

void MainForm::backUpDatabase() {
    runBusy(backup::kBackupTitle, [this] { m_database->backUpDatabase(); });
}

void MainForm::restoreDatabase() {
    runBusy(backup::kRestoreTitle, [this] {
        if (m_database->restoreFromBackup()) emit databaseReplaced();
    });
}

void MainForm::changePassphrase() {
    runBusy(backup::kPassphraseTitle, [this] {
        // The forms' connections hold the file under its old key.
        if (m_database->changePassphrase()) emit databaseReplaced();
    });
}

void MainForm::switchDailyBackups(bool on) {
    m_daily->setChecked(m_database->switchDailyBackups(on));
    m_daily->setToolTip(QString::fromStdString(m_database->dailyBackupsText()));
}

void MainForm::exitProgram() {
    hide();
    emit exitRequested();
}

}  // namespace vesk::gui
