#pragma once

#include <string>

#include "core/Error.h"

struct sqlite3;

namespace vesk::store {

// The engine's failure as the program's Error: kDatabaseBase plus the primary result
// code, or the dialect's own number when a dialect function raised it (Type mismatch).
Error engineError(sqlite3* db, int rc);
[[noreturn]] void throwEngineError(sqlite3* db, int rc);

}  // namespace vesk::store
