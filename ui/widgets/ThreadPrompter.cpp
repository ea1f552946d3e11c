#include "widgets/ThreadPrompter.h"

#include <QMetaObject>
#include <QObject>
#include <future>

namespace vesk::gui {

ThreadPrompter::ThreadPrompter(Prompter& target)
    : m_target(target), m_home(QThread::currentThread()), m_context(std::make_unique<QObject>()) {}

ThreadPrompter::~ThreadPrompter() { shutDown(); }

void ThreadPrompter::shutDown() {
    const std::lock_guard lock(m_mutex);
    // The context takes its posted calls with it: each one's promise breaks, and the work
    // waiting on it goes on with the answer for a window that is gone.
    m_context.reset();
}

template <class T>
T ThreadPrompter::onWindowThread(std::function<T()> ask, T whenGone) {
    if (QThread::currentThread() == m_home) return ask();
    auto promise = std::make_shared<std::promise<T>>();
    std::future<T> answer = promise->get_future();
    {
        const std::lock_guard lock(m_mutex);
        if (!m_context) return whenGone;
        QMetaObject::invokeMethod(
            m_context.get(),
            [promise, ask = std::move(ask)] {
                try {
                    promise->set_value(ask());
                } catch (...) {
                    promise->set_exception(std::current_exception());
                }
            },
            Qt::QueuedConnection);
    }
    try {
        return answer.get();
    } catch (const std::future_error&) {
        return whenGone;
    }
}

Answer ThreadPrompter::message(const Message& message) {
    return onWindowThread<Answer>([&] { return m_target.message(message); }, Answer::No);
}

std::optional<std::string> ThreadPrompter::openFile(const OpenFileRequest& request) {
    return onWindowThread<std::optional<std::string>>([&] { return m_target.openFile(request); }, std::nullopt);
}

std::optional<std::string> ThreadPrompter::saveFile(const SaveFileRequest& request) {
    return onWindowThread<std::optional<std::string>>([&] { return m_target.saveFile(request); }, std::nullopt);
}

void ThreadPrompter::progress(const std::string& text) {
    onWindowThread<bool>(
        [&] {
            m_target.progress(text);
            return true;
        },
        false);
}

void ThreadPrompter::openDocument(const std::string& path) {
    onWindowThread<bool>(
        [&] {
            m_target.openDocument(path);
            return true;
        },
        false);
}

std::optional<Secret> ThreadPrompter::passphrase(const PassphraseRequest& request) {
    return onWindowThread<std::optional<Secret>>([&] { return m_target.passphrase(request); }, std::nullopt);
}

}  // namespace vesk::gui
