#pragma once

#include <string>

#include "core/Error.h"

struct sqlite3;

namespace vesk::store {

// The engine's failure as the program's Error: kDatabaseBase plus the primary result
// code, or the number a dialect function gave its failure (see noteDialectFault).
Error engineError(sqlite3* db, int rc);

// A dialect function failed on db with the program's error number and the result code it
// handed the engine. The statement stops at once, and the engineError that reports it on
// the same thread takes the number.
void noteDialectFault(sqlite3* db, long number, int code);
[[noreturn]] void throwEngineError(sqlite3* db, int rc);

}  // namespace vesk::store
