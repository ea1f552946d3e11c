#pragma once

#include <QLabel>
#include <QPointer>
#include <functional>

#include "core/Prompter.h"

class QLabel;
class QWidget;

namespace vesk::gui {

class SettingsStore;

/// Message boxes, the open-file dialog and the desktop's file opener. Each dialog stands over
/// the window it belongs to, modal to that window alone, and gives the keyboard back to it.
class QtDialogs : public Prompter {
  public:
    explicit QtDialogs(QWidget* parent) : m_parent(parent) {}

    void setParent(QWidget* parent) { m_parent = parent; }
    QWidget* parent() const { return m_parent; }

    Answer message(const Message& message) override;
    std::optional<std::string> openFile(const OpenFileRequest& request) override;
    std::optional<std::string> saveFile(const SaveFileRequest& request) override;
    void progress(const std::string&) override {}
    void openDocument(const std::string& path) override;
    /// A line edit that shows dots for what is typed; Enter is OK, Escape cancels.
    std::optional<Secret> passphrase(const PassphraseRequest& request) override;

  private:
    QPointer<QWidget> m_parent;
};

/// What a form hands to its core: dialogs from a replaceable source (tests script them),
/// progress into the form's label with pending events processed so it repaints, and file
/// dialogs that open in the folder of the last file of the same kind.
class FormPrompter : public Prompter {
  public:
    explicit FormPrompter(QWidget* parent);

    void setDialogs(Prompter* dialogs) { m_dialogs = dialogs ? dialogs : &m_qt; }
    /// A window raised from another (an explanation from the comparison): its dialogs stand
    /// over it, while dialogs put in the other's place (a test's) serve it as well.
    void setRaisedFrom(FormPrompter* raiser) { m_raiser = raiser; }

    /// While it lives, the dialogs stand over another window: one that works through the
    /// form's logic (the left-out window's export).
    class Over {
      public:
        Over(FormPrompter& prompter, QWidget* window) : m_prompter(prompter), m_former(prompter.m_qt.parent()) {
            m_prompter.m_qt.setParent(window);
        }
        ~Over() { m_prompter.m_qt.setParent(m_former); }
        Over(const Over&) = delete;
        Over& operator=(const Over&) = delete;

      private:
        FormPrompter& m_prompter;
        QWidget* m_former;
    };
    /// Where the last folder is kept; none: the dialogs do not remember.
    void setSettings(SettingsStore* settings) { m_settings = settings; }
    /// The kind of file the form opens ("OfficeMaster"): each kind has its own last folder.
    void setFileKind(const QString& kind) { m_fileKind = kind; }
    void setProgressLabel(QLabel* label) { m_label = label; }
    /// Runs before every message, so the form shows what its logic has already decided
    /// (a count, a state) while the message box waits.
    void setBeforeMessage(std::function<void()> before) { m_beforeMessage = std::move(before); }

    Answer message(const Message& message) override {
        if (m_beforeMessage) m_beforeMessage();
        return dialogs().message(message);
    }
    std::optional<std::string> openFile(const OpenFileRequest& request) override;
    std::optional<std::string> saveFile(const SaveFileRequest& request) override;
    void progress(const std::string& text) override;
    void openDocument(const std::string& path) override { dialogs().openDocument(path); }
    std::optional<Secret> passphrase(const PassphraseRequest& request) override {
        return dialogs().passphrase(request);
    }

  private:
    /// What the dialogs were replaced by, here or in the window this one was raised from.
    Prompter* replaced() const {
        if (m_dialogs != &m_qt) return m_dialogs;
        return m_raiser ? m_raiser->replaced() : nullptr;
    }
    Prompter& dialogs() {
        Prompter* other = replaced();
        return other ? *other : m_qt;
    }

    /// Opens the dialog in the last folder of the form's kind of file and remembers the new one.
    template <typename Request, typename Ask>
    std::optional<std::string> inLastFolder(const Request& request, Ask ask);

    QtDialogs m_qt;
    Prompter* m_dialogs;
    FormPrompter* m_raiser = nullptr;
    QPointer<QLabel> m_label;
    std::function<void()> m_beforeMessage;
    SettingsStore* m_settings = nullptr;
    QString m_fileKind;
};

/// "Label|*.a;*.b|All|*.*" as a Qt name filter "Label (*.a *.b);;All (*.*)".
QString qtFileFilter(const std::string& filter);

}  // namespace vesk::gui
