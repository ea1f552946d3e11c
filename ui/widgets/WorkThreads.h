#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/Error.h"

namespace vesk::gui {

/// Work that runs on threads of its own while a window stays alive: each piece's outcome, or
/// its failure, comes back on the window's thread. Threads still running are waited for when
/// this goes, so none reports to a window that is gone.
class WorkThreads {
  public:
    explicit WorkThreads(QObject* owner) : m_owner(owner) {}
    ~WorkThreads() {
        for (QThread* thread : m_running) {
            thread->wait();
            delete thread;
        }
    }
    WorkThreads(const WorkThreads&) = delete;
    WorkThreads& operator=(const WorkThreads&) = delete;

    template <class T>
    void start(std::function<T()> work, std::function<void(T)> done, std::function<void(const Error&)> failed) {
        struct Outcome {
            std::optional<T> value;
            std::optional<Error> error;
        };
        auto outcome = std::make_shared<Outcome>();
        QThread* thread = QThread::create([work = std::move(work), outcome] {
            try {
                outcome->value = work();
            } catch (const std::exception& caught) {
                outcome->error = asError(caught);
            }
        });
        m_running.push_back(thread);
        QObject::connect(thread, &QThread::finished, m_owner, [this, thread, outcome, done, failed] {
            std::erase(m_running, thread);
            thread->deleteLater();
            if (outcome->value)
                done(std::move(*outcome->value));
            else if (outcome->error)
                failed(*outcome->error);
        });
        thread->start();
    }

  private:
    QObject* m_owner;
    std::vector<QThread*> m_running;
};

}  // namespace vesk::gui
