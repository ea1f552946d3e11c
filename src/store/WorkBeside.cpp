#include "store/WorkBeside.h"

namespace vesk::store {

WorkBeside::WorkBeside(Connection& db, std::function<void(Connection&)> work) {
    if (std::thread::hardware_concurrency() < 2 || !db.seenBeside()) {
        work(db);
        return;
    }
    m_thread = std::thread([this, &db, work = std::move(work)] {
        try {
            Connection beside;
            beside.openBeside(db);
            work(beside);
        } catch (...) {
            m_failed = std::current_exception();
        }
    });
}

WorkBeside::~WorkBeside() {
    if (m_thread.joinable()) m_thread.join();
}

void WorkBeside::wait() {
    if (m_thread.joinable()) m_thread.join();
    if (m_failed) std::rethrow_exception(std::exchange(m_failed, nullptr));
}

}  // namespace vesk::store
