#include "app/gui/MainForm.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "core/Version.h"
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

MainForm::MainForm() {
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

    connect(c1, &QPushButton::clicked, this, &MainForm::Command1_Click);
    connect(c2, &QPushButton::clicked, this, &MainForm::Command2_Click);
    connect(c3, &QPushButton::clicked, this, &MainForm::Command3_Click);
    connect(c4, &QPushButton::clicked, this, &MainForm::Command4_Click);
    connect(c5, &QPushButton::clicked, this, &MainForm::Command5_Click);
    connect(trend, &QPushButton::clicked, this, &MainForm::cmdTrend_Click);
    connect(openItems, &QPushButton::clicked, this, &MainForm::cmdOpenItems_Click);
    // Escape on the menu would end the program unasked: only Exit does.
    useKeyboard(this)->setEscapeCloses(false);

    // Small and grey under the frames, left of Exit: which program and which file.
    m_status = makeLabel(this, "StatusLine", "", twipsRect(240, 9750, 8520, 255), formFont("Calibri", 8));
    m_status->setWordWrap(false);
    m_status->setStyleSheet("color: #6e6e6e;");
    showDatabase({});
}

void MainForm::showDatabase(const QString& path) {
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

void MainForm::Command5_Click() {
    hide();
    emit exitRequested();
}

}  // namespace vesk::gui
