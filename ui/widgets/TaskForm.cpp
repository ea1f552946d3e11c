#include "widgets/TaskForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>
#include <QScreen>

#include "core/Error.h"
#include "store/Connection.h"
#include "widgets/DelayShown.h"
#include "widgets/FormStyle.h"

namespace vesk::gui {

TaskForm::TaskForm(const QString& objectName, const QString& title, int clientWidthTwips, int clientHeightTwips)
    : m_prompter(this),
      m_layout(new FormLayout(*this, QSize(twips(clientWidthTwips), twips(clientHeightTwips)))),
      m_keys(new WindowKeys(this)) {
    setObjectName(objectName);
    setWindowTitle(title);
}

void TaskForm::setVisible(bool visible) {
    m_place.beforeVisible(*this, visible);
    QWidget::setVisible(visible);
}

void TaskForm::showForm() {
    if (!m_loaded) {
        m_loaded = true;
        load();
    }
    // The load handler may have handed over to another form and unloaded this one.
    if (m_loaded) {
        // Here rather than in the constructor, so the buttons a derived form adds get theirs.
        giveMnemonics(this);
        if (!isVisible() && screen()) m_layout->fitInto(screen()->availableGeometry());
        show();
        raise();
        activateWindow();
        shown();
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
    if (m_busy || (m_loaded && !mayUnload())) {
        event->ignore();
        return;
    }
    m_loaded = false;
    unloaded();
    m_menuOnUnload = true;
    event->accept();
}

void TaskForm::unloaded() {
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
    setBackButton(back);
    return back;
}

void TaskForm::watchDatabase(store::Connection& db, QLabel* status) {
    db.setDelayWatcher(showDelays(status));
    m_database = &db;
}

void TaskForm::closeDatabase() {
    if (m_database) m_database->close();
}

void TaskForm::setBackButton(QPushButton* back) { m_keys->setBack(back); }

void TaskForm::setMainAction(QPushButton* button) { m_keys->setMainAction(button); }

}  // namespace vesk::gui
