#include "store/ConcurrentRead.h"

#include <utility>

#include "store/EngineError.h"

namespace vesk::store {

ConcurrentRead::ConcurrentRead(Connection& db, std::function<void(Connection&)> work)
    : m_db(db), m_work(std::move(work)) {
    const bool snapshot = db.holdsSnapshot();
    if (std::thread::hardware_concurrency() < 2 || !(snapshot || db.secondConnectionSeesAll())) {
        m_work(db);
        return;
    }
    m_thread = std::thread([this, snapshot] {
        bool begun = false;
        try {
            Connection beside;
            // Waiting would keep the other program's commit waiting on the caller's lock in turn.
            if (snapshot) beside.setBusyLimit(std::chrono::milliseconds(0));
            beside.openBeside(m_db);
            // Its lock taken once, before the work reads anything: refused, the work has not begun.
            const ReadSnapshot read(beside);
            begun = true;
            m_work(beside);
        } catch (const Error& e) {
            if (snapshot && !begun && (e.number() == kBusyError || e.number() == kLockedError))
                m_lockRefused = true;
            else
                m_failed = std::current_exception();
        } catch (...) {
            m_failed = std::current_exception();
        }
    });
}

ConcurrentRead::~ConcurrentRead() {
    if (m_thread.joinable()) m_thread.join();
}

void ConcurrentRead::wait() {
    if (m_thread.joinable()) m_thread.join();
    if (m_failed) std::rethrow_exception(std::exchange(m_failed, nullptr));
    if (std::exchange(m_lockRefused, false)) m_work(m_db);
}

}  // namespace vesk::store
