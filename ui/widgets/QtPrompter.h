#pragma once

#include <QLabel>
#include <QPointer>
#include <functional>

#include "core/Prompter.h"

class QLabel;
class QWidget;

namespace vesk::gui {

class SettingsStore;

/// Message boxes, the open-file dialog and the desktop's file opener.
class QtDialogs : public Prompter {
  public:
    explicit QtDialogs(QWidget* parent) : m_parent(parent) {}

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
        return m_dialogs->message(message);
    }
    std::optional<std::string> openFile(const OpenFileRequest& request) override;
    std::optional<std::string> saveFile(const SaveFileRequest& request) override;
    void progress(const std::string& text) override;
    void openDocument(const std::string& path) override { m_dialogs->openDocument(path); }
    std::optional<Secret> passphrase(const PassphraseRequest& request) override {
        return m_dialogs->passphrase(request);
    }

  private:
    /// Opens the dialog in the last folder of the form's kind of file and remembers the new one.
    template <typename Request, typename Ask>
    std::optional<std::string> inLastFolder(const Request& request, Ask ask);

    QtDialogs m_qt;
    Prompter* m_dialogs;
    QPointer<QLabel> m_label;
    std::function<void()> m_beforeMessage;
    SettingsStore* m_settings = nullptr;
    QString m_fileKind;
};

/// "Label|*.a;*.b|All|*.*" as a Qt name filter "Label (*.a *.b);;All (*.*)".
QString qtFileFilter(const std::string& filter);

}  // namespace vesk::gui
