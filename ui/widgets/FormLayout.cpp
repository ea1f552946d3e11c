#include "widgets/FormLayout.h"

#include <QApplication>
#include <QChildEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace vesk::gui {

namespace {

// Before a window has been shown its frame is unknown: room for a title bar.
constexpr int kTitleBarGuess = 32;

// What is kept clear between the last controls and a window cut to them.
constexpr int kEdgeClearance = 4;

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

FormLayout::FormLayout(QWidget& window, QSize design) : QObject(&window), m_window(window), m_design(design) {
    window.resize(design);
    window.setMinimumSize(design);
    // The window's own scroll bars, for a screen smaller than the window.
    m_horizontal = new QScrollBar(Qt::Horizontal, &window);
    m_horizontal->setObjectName("FormHorizontalScroll");
    m_vertical = new QScrollBar(Qt::Vertical, &window);
    m_vertical->setObjectName("FormVerticalScroll");
    m_corner = new QWidget(&window);
    for (QWidget* w : {static_cast<QWidget*>(m_horizontal), static_cast<QWidget*>(m_vertical), m_corner}) {
        w->hide();
        w->setFocusPolicy(Qt::NoFocus);
    }
    m_corner->setAutoFillBackground(true);
    connect(m_horizontal, &QScrollBar::valueChanged, this, &FormLayout::layOut);
    connect(m_vertical, &QScrollBar::valueChanged, this, &FormLayout::layOut);
    // A control reached with the keyboard scrolls into sight.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && m_window.isAncestorOf(now)) ensureVisible(now);
    });
    window.installEventFilter(this);
}

void FormLayout::anchor(QWidget* control, Anchor shares) {
    m_placements.try_emplace(control, Placement{control->geometry(), {}}).first->second.anchor = shares;
    if (m_window.isVisible()) layOut();
}

void FormLayout::fitInto(const QRect& available) {
    QSize frame = m_window.frameGeometry().size() - m_window.size();
    if (frame.isEmpty()) frame = QSize(0, kTitleBarGuess);
    const QSize room = available.size() - frame;
    noticeControls();
    const QSize need = needed();
    m_window.setMinimumSize(need.boundedTo(room));
    if (m_window.width() > room.width() || m_window.height() > room.height()) {
        QSize fitted = m_window.size().boundedTo(room);
        // Scrolling one way only, the window widens (or heightens) by the scroll bar where
        // there is room, so as not to need the other bar for its few pixels.
        const int bar = m_window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &m_window);
        if (fitted.height() < need.height() && fitted.width() >= need.width())
            fitted.setWidth(std::min(room.width(), need.width() + bar));
        else if (fitted.width() < need.width() && fitted.height() >= need.height())
            fitted.setHeight(std::min(room.height(), need.height() + bar));
        m_window.setMaximumSize(m_window.maximumSize().expandedTo(fitted));
        m_window.resize(fitted);
    }
    if (!available.contains(QRect(m_window.pos(), m_window.size() + frame))) m_window.move(available.topLeft());
}

void FormLayout::ensureVisible(const QWidget* control) {
    if (!m_window.isAncestorOf(control)) return;
    const QRect r(control->mapTo(&m_window, QPoint(0, 0)), control->size());
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

void FormLayout::layOut() {
    if (m_layingOut) return;
    m_layingOut = true;
    const int bar = m_window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &m_window);
    const QSize size = m_window.size();
    noticeControls();
    const QSize need = needed();
    bool wide = size.width() < need.width();
    bool tall = size.height() < need.height();
    tall = tall || (wide && size.height() - bar < need.height());
    wide = wide || (tall && size.width() - bar < need.width());
    m_view = QSize(size.width() - (tall ? bar : 0), size.height() - (wide ? bar : 0));
    const QSize growth = (m_view - m_design).expandedTo(QSize(0, 0));

    m_horizontal->setRange(0, std::max(0, need.width() - m_view.width()));
    m_horizontal->setPageStep(m_view.width());
    m_horizontal->setGeometry(0, m_view.height(), m_view.width(), bar);
    m_horizontal->setVisible(wide);
    m_vertical->setRange(0, std::max(0, need.height() - m_view.height()));
    m_vertical->setPageStep(m_view.height());
    m_vertical->setGeometry(m_view.width(), 0, bar, m_view.height());
    m_vertical->setVisible(tall);
    m_corner->setGeometry(m_view.width(), m_view.height(), bar, bar);
    m_corner->setVisible(wide && tall);
    const QPoint scroll(wide ? m_horizontal->value() : 0, tall ? m_vertical->value() : 0);

    for (QWidget* w : controls()) {
        const Placement& p = m_placements.at(w);
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

std::vector<QWidget*> FormLayout::controls() const {
    std::vector<QWidget*> found;
    for (QObject* child : m_window.children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && !w->isWindow() && w != m_horizontal && w != m_vertical && w != m_corner) found.push_back(w);
    }
    return found;
}

void FormLayout::noticeControls() {
    // A control seen for the first time is where it was designed.
    for (QWidget* w : controls()) m_placements.try_emplace(w, Placement{w->geometry(), {}});
}

QSize FormLayout::needed() const {
    QSize extent;
    for (const auto& [control, placement] : m_placements)
        extent = extent.expandedTo(QSize(placement.design.right() + 1, placement.design.bottom() + 1));
    return (extent + QSize(kEdgeClearance, kEdgeClearance)).boundedTo(m_design);
}

bool FormLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_window) return false;
    switch (event->type()) {
        case QEvent::Resize:
            layOut();
            break;
        case QEvent::ChildRemoved:
            m_placements.erase(static_cast<QChildEvent*>(event)->child());
            break;
        case QEvent::Wheel:
            // The wheel over anything that does not scroll itself scrolls the window.
            if (m_vertical->isVisible()) return QCoreApplication::sendEvent(m_vertical, event);
            break;
        default:
            break;
    }
    return false;
}

}  // namespace vesk::gui
