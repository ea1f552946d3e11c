#pragma once

struct sqlite3;

namespace vesk::store {

/// BEGIN on construction; ROLLBACK on destruction unless commit() succeeded.
class Transaction {
  public:
    explicit Transaction(sqlite3* db);
    ~Transaction();
    Transaction(Transaction&& other) noexcept;
    Transaction& operator=(Transaction&&) = delete;
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    /// Rolls back now; errors of the rollback itself are ignored.
    void rollback() noexcept;
    bool isActive() const { return m_db != nullptr; }

  private:
    sqlite3* m_db;
};

}  // namespace vesk::store
