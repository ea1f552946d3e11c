#pragma once

#include <QWidget>
#include <exception>
#include <string>
#include <vector>

#include "widgets/FormLayout.h"
#include "widgets/QtPrompter.h"
#include "widgets/WindowPlace.h"

class QLabel;
class QPushButton;

namespace vesk::store {
class Connection;
}

namespace vesk::gui {

class SettingsStore;
class WindowKeys;

/// A task form: one instance for the program's life. Unloading hides the window and
/// marks the form not loaded; showing it again runs its load handler again. The
/// instance, and the connection its core owns, outlive the window.
class TaskForm : public QWidget {
    Q_OBJECT
  public:
    TaskForm(const QString& objectName, const QString& title, int clientWidthTwips, int clientHeightTwips);

    /// The size the form was designed at: its smallest size where the screen holds it.
    QSize designSize() const { return m_layout->designSize(); }
    /// How a control of the form follows a larger window; a control never anchored keeps
    /// its distance to the top and left edges. Controls are placed by their design
    /// geometry, so they are anchored once, after they have their place.
    void anchor(QWidget* control, Anchor shares) { m_layout->anchor(control, shares); }
    void anchor(QWidget* control, unsigned edges) { anchor(control, anchorTo(edges)); }
    /// Lets the form be smaller than its design where the free part of the screen is
    /// (a small screen, large scaling): the whole form then scrolls.
    void fitInto(const QRect& available) { m_layout->fitInto(available); }
    /// Scrolls the form so that the control shows in full (or its top left corner, if larger).
    void ensureVisible(const QWidget* control) { m_layout->ensureVisible(control); }

    bool isLoaded() const { return m_loaded; }

    /// Loads the form when it is not loaded (its load handler runs), then shows it.
    void showForm();
    /// Unloads the form as its close box would; returns false when the form refused.
    bool unloadForm();

    void setMenu(QWidget* menu) { m_menu = menu; }
    /// Replaces the message boxes and file dialogs (tests script them).
    void setDialogs(Prompter* dialogs) { m_prompter.setDialogs(dialogs); }
    FormPrompter& prompter() { return m_prompter; }
    /// Where the file dialogs remember their last folder; none: they do not.
    void setSettings(SettingsStore* settings) { m_prompter.setSettings(settings); }

    /// Closes the form's database connection; its next handler opens the file anew (after
    /// a restore put other contents in its place).
    void closeDatabase();

    /// While a handler works: the controls given are off, the close box is refused and, when
    /// asked, the wait cursor shows, so that nothing else runs inside its work. Everything
    /// comes back when the guard goes, on every path.
    class Busy {
      public:
        Busy(TaskForm& form, std::vector<QWidget*> controls, bool waitCursor = false);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

      private:
        TaskForm& m_form;
        std::vector<QWidget*> m_controls;
        bool m_waitCursor;
        bool m_outermost;
    };

    /// Runs a slot's work so that no exception leaves it into Qt, which would end the
    /// program: the handlers show their own failures; anything else that escapes is shown here.
    template <typename Work>
    void guarded(Work&& work) noexcept {
        try {
            work();
        } catch (const std::exception& e) {
            showEscaped(e);
        }
    }

  protected:
    /// Fills the form as it loads: when it is shown while not loaded.
    virtual void load() {}
    /// Runs each time the form is shown.
    virtual void shown() {}
    /// Asked before the form unloads; false keeps it loaded.
    virtual bool mayUnload() { return true; }
    /// The form has unloaded: shows the menu, unless the form is handing over to another form.
    virtual void unloaded();

    void setVisible(bool visible) override;
    void closeEvent(QCloseEvent* event) override;

    /// The Back button at the given place: unload, then show the menu. Escape presses it.
    QPushButton* makeBackButton(const QString& name, const QRect& geometry);
    /// Escape presses this button (a form with its own Back handler).
    void setBackButton(QPushButton* back);
    /// Enter presses this button when no button has the focus.
    void setMainAction(QPushButton* button);
    void showMenu();
    /// Unloads without bringing the menu back (the form hands over to another form).
    void unloadWithoutMenu();
    /// Shows another form in this one's place, then unloads this one without the menu.
    void handOverTo(TaskForm& other);
    /// The form's connection: a wait for another program shows in the status label with
    /// the wait cursor, and closeDatabase closes it.
    void watchDatabase(store::Connection& db, QLabel* status);

  private:
    void showEscaped(const std::exception& e) noexcept;
    bool m_loaded = false;
    bool m_busy = false;
    bool m_menuOnUnload = true;
    QWidget* m_menu = nullptr;
    store::Connection* m_database = nullptr;
    FormPrompter m_prompter;
    FormLayout* m_layout;  ///< a child of the form
    WindowPlace m_place;
    WindowKeys* m_keys;
};

}  // namespace vesk::gui
