#include "widgets/TaskForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <cmath>

#include "core/Error.h"
#include "widgets/FormStyle.h"

namespace vesk::gui {

namespace {

// Before a window has been shown its frame is unknown: room for a title bar.
constexpr int kTitleBarGuess = 32;

// A share of the growth, in whole pixels.
int share(double part, int growth) { return int(std::lround(part * growth)); }

}  // namespace

Anchor anchorTo(unsigned edges) {
    // Each direction alike: near edge only, far edge only, both (stretch), neither (centred).
    auto along = [edges](unsigned nearEdge, unsigned farEdge) -> std::pair<double, double> {
        const bool nearSet = edges & nearEdge, farSet = edges & farEdge;
        if (nearSet && farSet) return {0, 1};
        if (farSet) return {1, 1};
        if (nearSet) return {0, 0};
        return {0.5, 0.5};
    };
    const auto [left, right] = along(Left, Right);
    const auto [top, bottom] = along(Top, Bottom);
    return {left, top, right, bottom};
}

TaskForm::TaskForm(const QString& objectName, const QString& title, int clientWidthTwips, int clientHeightTwips)
    : m_prompter(this), m_design(twips(clientWidthTwips), twips(clientHeightTwips)) {
    setObjectName(objectName);
    setWindowTitle(title);
    resize(m_design);
    setMinimumSize(m_design);
    // The form's own scroll bars, for a screen smaller than the form.
    m_horizontal = new QScrollBar(Qt::Horizontal, this);
    m_horizontal->setObjectName("FormHorizontalScroll");
    m_vertical = new QScrollBar(Qt::Vertical, this);
    m_vertical->setObjectName("FormVerticalScroll");
    m_corner = new QWidget(this);
    for (QWidget* w : {static_cast<QWidget*>(m_horizontal), static_cast<QWidget*>(m_vertical), m_corner}) {
        w->hide();
        w->setFocusPolicy(Qt::NoFocus);
    }
    m_corner->setAutoFillBackground(true);
    connect(m_horizontal, &QScrollBar::valueChanged, this, &TaskForm::layOut);
    connect(m_vertical, &QScrollBar::valueChanged, this, &TaskForm::layOut);
    // A control reached with the keyboard scrolls into sight.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && isAncestorOf(now)) ensureVisible(now);
    });
}

void TaskForm::anchor(QWidget* control, Anchor shares) {
    m_placements.try_emplace(control, Placement{control->geometry(), {}}).first->second.anchor = shares;
    if (isVisible()) layOut();
}

void TaskForm::fitInto(const QRect& available) {
    QSize frame = frameGeometry().size() - size();
    if (frame.isEmpty()) frame = QSize(0, kTitleBarGuess);
    const QSize room = available.size() - frame;
    setMinimumSize(m_design.boundedTo(room));
    if (width() > room.width() || height() > room.height()) resize(size().boundedTo(room));
    if (!available.contains(QRect(pos(), size() + frame))) move(available.topLeft());
}

void TaskForm::ensureVisible(const QWidget* control) {
    if (!isAncestorOf(control)) return;
    const QRect r(control->mapTo(this, QPoint(0, 0)), control->size());
    // The far edge first, so that the near edge wins for a control larger than the view.
    auto scrollBy = [](QScrollBar* bar, int nearEdge, int farEdge, int view) {
        if (bar->isHidden()) return;
        int value = bar->value();
        if (farEdge > view) value += farEdge - view;
        if (nearEdge - (value - bar->value()) < 0) value = bar->value() + nearEdge;
        bar->setValue(value);
    };
    scrollBy(m_horizontal, r.left(), r.right() + 1, m_view.width());
    scrollBy(m_vertical, r.top(), r.bottom() + 1, m_view.height());
}

void TaskForm::layOut() {
    if (m_layingOut) return;
    m_layingOut = true;
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    bool wide = width() < m_design.width();
    bool tall = height() < m_design.height();
    tall = tall || (wide && height() - bar < m_design.height());
    wide = wide || (tall && width() - bar < m_design.width());
    m_view = QSize(width() - (tall ? bar : 0), height() - (wide ? bar : 0));
    const QSize growth = (m_view - m_design).expandedTo(QSize(0, 0));

    m_horizontal->setRange(0, std::max(0, m_design.width() - m_view.width()));
    m_horizontal->setPageStep(m_view.width());
    m_horizontal->setGeometry(0, m_view.height(), m_view.width(), bar);
    m_horizontal->setVisible(wide);
    m_vertical->setRange(0, std::max(0, m_design.height() - m_view.height()));
    m_vertical->setPageStep(m_view.height());
    m_vertical->setGeometry(m_view.width(), 0, bar, m_view.height());
    m_vertical->setVisible(tall);
    m_corner->setGeometry(m_view.width(), m_view.height(), bar, bar);
    m_corner->setVisible(wide && tall);
    const QPoint scroll(wide ? m_horizontal->value() : 0, tall ? m_vertical->value() : 0);

    for (QObject* child : children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow() || w == m_horizontal || w == m_vertical || w == m_corner) continue;
        // A control seen for the first time is where it was designed.
        const Placement& p = m_placements.try_emplace(w, Placement{w->geometry(), {}}).first->second;
        const QRect& d = p.design;
        const QPoint topLeft(d.left() + share(p.anchor.left, growth.width()),
                             d.top() + share(p.anchor.top, growth.height()));
        const QPoint end(d.left() + d.width() + share(p.anchor.right, growth.width()),
                         d.top() + d.height() + share(p.anchor.bottom, growth.height()));
        w->setGeometry(QRect(topLeft - scroll, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())));
    }
    m_horizontal->raise();
    m_vertical->raise();
    m_corner->raise();
    m_layingOut = false;
}

void TaskForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void TaskForm::wheelEvent(QWheelEvent* event) {
    // The wheel over anything that does not scroll itself scrolls the form.
    if (m_vertical->isVisible())
        QCoreApplication::sendEvent(m_vertical, event);
    else
        QWidget::wheelEvent(event);
}

void TaskForm::childEvent(QChildEvent* event) {
    if (event->removed()) m_placements.erase(event->child());
    QWidget::childEvent(event);
}

void TaskForm::setVisible(bool visible) {
    m_place.beforeVisible(*this, visible);
    QWidget::setVisible(visible);
}

void TaskForm::showForm() {
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
    // The load handler may have handed over to another form and unloaded this one.
    if (m_loaded) {
        if (!isVisible() && screen()) fitInto(screen()->availableGeometry());
        show();
        raise();
        activateWindow();
        Form_Activate();
    }
}

bool TaskForm::unloadForm() {
    if (!m_loaded && !isVisible()) return true;
    return close();
}

TaskForm::Busy::Busy(TaskForm& form, std::vector<QWidget*> controls, bool waitCursor)
    : m_form(form), m_controls(std::move(controls)), m_waitCursor(waitCursor), m_outermost(!form.m_busy) {
    m_form.m_busy = true;
    for (QWidget* w : m_controls) w->setEnabled(false);
    if (m_waitCursor) QApplication::setOverrideCursor(Qt::WaitCursor);
}

TaskForm::Busy::~Busy() {
    if (m_waitCursor) QApplication::restoreOverrideCursor();
    for (QWidget* w : m_controls) w->setEnabled(true);
    if (m_outermost) m_form.m_busy = false;
}

void TaskForm::showEscaped(const std::exception& e) noexcept {
    try {
        m_prompter.message(critical("Error: " + asError(e).description()));
    } catch (...) {  // nothing more can be shown
    }
}

void TaskForm::closeEvent(QCloseEvent* event) {
    if (m_busy || (m_loaded && !Form_QueryUnload())) {
        event->ignore();
        return;
    }
    m_loaded = false;
    Form_Unload();
    m_menuOnUnload = true;
    event->accept();
}

void TaskForm::Form_Unload() {
    if (m_menuOnUnload) showMenu();
}

void TaskForm::showMenu() {
    if (m_menu) m_menu->show();
}

void TaskForm::unloadWithoutMenu() {
    m_menuOnUnload = false;
    if (isVisible()) {
        close();
    } else {
        m_loaded = false;
        m_menuOnUnload = true;
    }
}

void TaskForm::handOverTo(TaskForm& other) {
    other.showForm();
    unloadWithoutMenu();
}

QPushButton* TaskForm::makeBackButton(const QString& name, const QRect& geometry) {
    auto* back = makeButton(this, name, "Back", geometry, formFont("Cooper Black", 12));
    connect(back, &QPushButton::clicked, this, [this] {
        if (unloadForm()) showMenu();
    });
    return back;
}

}  // namespace vesk::gui
