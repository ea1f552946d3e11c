#pragma once

#include <exception>
#include <functional>
#include <thread>

#include "store/Connection.h"

namespace vesk::store {

/// Work on a connection of its own, opened beside another, on a thread of its own while the
/// caller goes on; run at once on the caller's connection instead when there is a single
/// core or a connection beside would not see what the caller's does (see secondConnectionSeesAll). While
/// the caller holds a ReadSnapshot the connection beside reads that same state; when it cannot
/// take its lock at once (another program is waiting to commit), the work runs on the
/// caller's connection at wait(). The thread is waited for when this goes, whatever happened
/// meanwhile.
class ConcurrentRead {
  public:
    ConcurrentRead(Connection& db, std::function<void(Connection&)> work);
    ~ConcurrentRead();
    ConcurrentRead(const ConcurrentRead&) = delete;
    ConcurrentRead& operator=(const ConcurrentRead&) = delete;

    /// Waits for the work to end; throws what it threw.
    void wait();

  private:
    Connection& m_db;
    std::function<void(Connection&)> m_work;
    std::thread m_thread;
    std::exception_ptr m_failed;
    bool m_lockRefused = false;
};

}  // namespace vesk::store
