#pragma once

#include <string>

#include "core/Error.h"

struct sqlite3;

namespace vesk::store {

/// What every failure for want of the file says: another program holds it past kBusyLimit.
inline constexpr const char* kInUseText = "The database is in use by another program.";
/// Its number: kDatabaseBase plus the engine's code for a busy file.
inline constexpr long kInUseError = errc::kDatabaseBase + 5;

// The engine's failure as the program's Error: kDatabaseBase plus the primary result
// code, or the number a dialect function gave its failure (see noteDialectFault). A busy
// file reads kInUseText; a damaged one names the file and what to do (damagedText).
Error engineError(sqlite3* db, int rc);

/// The words for a database file the engine found damaged (or could not read with the
/// program's key): the file, the engine's reason, and where to turn: the check and the
/// backups.
std::string damagedText(const std::string& path, int rc, const std::string& reason);

/// True for the engine's codes of a damaged file (malformed, or not readable as a database).
bool isDamage(int rc);

// A dialect function failed on db with the program's error number and the result code it
// handed the engine. The statement stops at once, and the engineError that reports it on
// the same thread takes the number.
void noteDialectFault(sqlite3* db, long number, int code);
[[noreturn]] void throwEngineError(sqlite3* db, int rc);

}  // namespace vesk::store
