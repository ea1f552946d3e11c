#include "store/Transaction.h"

#include <sqlcipher/sqlite3.h>

#include "core/Error.h"
#include "store/EngineError.h"

namespace vesk::store {

Transaction::Transaction(sqlite3* db) : m_db(db) {
    if (!db) throw Error(errc::kUsage, "The database connection is not open");
    // IMMEDIATE takes the write lock now, so a transaction never fails half way for
    // want of it.
    int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throwEngineError(db, rc);
}

Transaction::~Transaction() { rollback(); }

Transaction::Transaction(Transaction&& other) noexcept : m_db(other.m_db) { other.m_db = nullptr; }

void Transaction::commit() {
    if (!m_db) throw Error(errc::kUsage, "The transaction has already ended");
    int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throwEngineError(m_db, rc);  // still active: the destructor rolls back
    m_db = nullptr;
}

void Transaction::rollback() noexcept {
    if (!m_db) return;
    // Some failures end the transaction inside the engine already.
    if (!sqlite3_get_autocommit(m_db)) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_db = nullptr;
}

}  // namespace vesk::store
