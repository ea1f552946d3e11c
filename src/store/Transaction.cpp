#include "store/Transaction.h"

#include <sqlcipher/sqlite3.h>

#include "core/Error.h"
#include "store/EngineError.h"
#include "store/WaitState.h"

namespace vesk::store {

Transaction::Transaction(std::shared_ptr<sqlite3> db, Kind kind) : m_db(std::move(db)) {
    if (!m_db) throw Error(errc::kUsage, "The database connection is not open");
    const detail::WaitEnd waitEnd;
    int rc = sqlite3_exec(m_db.get(), kind == Kind::Read ? "BEGIN" : "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throwEngineError(m_db.get(), rc);
}

Transaction::~Transaction() { rollback(); }

Transaction::Transaction(Transaction&& other) noexcept : m_db(std::move(other.m_db)) {}

void Transaction::commit() {
    if (!m_db) throw Error(errc::kUsage, "The transaction has already ended");
    const detail::WaitEnd waitEnd;
    int rc = sqlite3_exec(m_db.get(), "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throwEngineError(m_db.get(), rc);  // still active: the destructor rolls back
    m_db.reset();
}

void Transaction::rollback() noexcept {
    if (!m_db) return;
    // Some failures end the transaction inside the engine already.
    if (!sqlite3_get_autocommit(m_db.get())) sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    m_db.reset();
}

}  // namespace vesk::store
