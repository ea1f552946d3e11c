#pragma once

#include <QThread>
#include <functional>
#include <memory>
#include <mutex>

#include "core/Prompter.h"

class QObject;

namespace vesk::gui {

/// A prompter that work on another thread may use: each call is put to the window's prompter
/// on the window's thread, and the work waits for its answer (a call on the window's thread
/// goes straight through). Once shut down, a question still to come is answered No (a file
/// dialog: cancelled), so work that asks while its window goes ends as if declined.
class ThreadPrompter : public Prompter {
  public:
    /// Made on the window's thread, whose prompter it passes the calls to.
    explicit ThreadPrompter(Prompter& target);
    ~ThreadPrompter() override;
    ThreadPrompter(const ThreadPrompter&) = delete;
    ThreadPrompter& operator=(const ThreadPrompter&) = delete;

    /// Before the window waits for its work: questions waiting to be shown, and any to come,
    /// are answered No.
    void shutDown();

    Answer message(const Message& message) override;
    std::optional<std::string> openFile(const OpenFileRequest& request) override;
    std::optional<std::string> saveFile(const SaveFileRequest& request) override;
    void progress(const std::string& text) override;
    void openDocument(const std::string& path) override;
    std::optional<Secret> passphrase(const PassphraseRequest& request) override;

  private:
    /// `ask` on the window's thread, its answer here; `whenGone` once shut down.
    template <class T>
    T onWindowThread(std::function<T()> ask, T whenGone);

    Prompter& m_target;
    QThread* m_home;
    std::mutex m_mutex;
    std::unique_ptr<QObject> m_context;  ///< what the calls are posted to; none once shut down
};

}  // namespace vesk::gui
