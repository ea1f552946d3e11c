#pragma once

// Inside the store only: the engine's handle as the store's parts open it.

#include <memory>
#include <string>

#include "core/Secret.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vesk::store::detail {

struct WaitState;

/// The page size every file of the program is made with.
inline constexpr int kPageSize = 4096;

struct DbCloser {
    void operator()(sqlite3* db) const;
};
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;

struct StmtFinalizer {
    void operator()(sqlite3_stmt* stmt) const;
};
using StmtHandle = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

/// Opens the file with the engine's flags (create only where they say so), its busy
/// handler over `wait` (none: no waiting). Nothing is read yet. Throws Error.
DbHandle openHandle(const std::string& path, int flags, WaitState* wait);

/// The key every file of the program is encrypted with.
const char* programKey();

/// Keys the handle with the password and the program's page size.
void applyKey(sqlite3* db, const Secret& password);
/// The same for a key that is no secret (the program's own).
inline void applyKey(sqlite3* db, const char* password) { applyKey(db, Secret(std::string_view(password))); }

/// The rows the statement just run changed itself, its triggers' changes left out: none when
/// nothing changed since sqlite3_total_changes() gave `totalBefore` (a statement that is no
/// change leaves the last change's count in place).
long long rowsChanged(sqlite3* db, long long totalBefore);

/// Runs statements that return no rows. Throws Error.
void run(sqlite3* db, const char* sql);

/// The program's tables the file lacks, comma-separated; "" when it has them all. Reading
/// the schema is the first read, so a wrong key or a file that is no database fails here.
std::string missingTables(sqlite3* db, const std::string& path);

/// The file's layout version (PRAGMA user_version; see Schema.h). Throws Error.
int layoutVersion(sqlite3* db);

}  // namespace vesk::store::detail
