#pragma once

#include <memory>

struct sqlite3;

namespace vesk::store {

/// BEGIN on construction; ROLLBACK on destruction unless commit() succeeded. It shares the
/// connection's handle, so closing the Connection first cannot leave it pointing nowhere.
class Transaction {
  public:
    /// Write: the file's write lock is taken at once (BEGIN IMMEDIATE), so the transaction
    /// never fails half way for want of it. Read: every statement in it sees one state of the file.
    /// Derived: a write of what is worked out from the rows and kept to save working it out again
    /// (no change of the user's data), begun as Write is.
    enum class Kind { Write, Read, Derived };

    explicit Transaction(std::shared_ptr<sqlite3> db, Kind kind = Kind::Write);
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
    std::shared_ptr<sqlite3> m_db;
};

}  // namespace vesk::store
