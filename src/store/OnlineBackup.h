#pragma once

#include <cstdint>
#include <string>

#include "store/Connection.h"

namespace vesk::store {

/// What a copy of the database holds.
struct CopiedDatabase {
    std::int64_t pages = 0;
    std::uint64_t bytes = 0;
};

/// Copies the database the connection has open into `destination`, as one state of the file:
/// first it waits (up to kBusyLimit, told to the delay watcher) for another program's write
/// transaction to end, then, inside one read transaction, copies the file's pages as they
/// are, still encrypted with the same key, verifying each page's authentication code; another
/// program's commit waits (as for any reader) until the copy is done. A file kept with a
/// write-ahead log goes through the engine's online backup instead. The heartbeat beats
/// every slice of the copy, from the first. The copy is written beside the destination and
/// takes its name only when whole, so an existing file is replaced at once or not at all.
/// The connection may be in no transaction. Throws Error (kUsage when the destination is
/// the database; the damage, naming the page, when a page fails its code).
CopiedDatabase copyDatabase(Connection& source, const std::string& destination, const Heartbeat& heartbeat = {});

/// Replaces the database file `live` with the contents of `source`, keeping what `live`
/// held as `keep` first. Where `live` can be read with the key, the new contents go in
/// through the engine as one transaction (a crash leaves the old file whole) while `keep`
/// is taken under the same lock, so no other program's change falls between the two, and
/// a program that has the file open sees the new contents. A `live` that cannot be read
/// (damaged, or not a database) is kept as its bytes and replaced by a copy of `source`
/// renamed over it. `source` must be a sound database of the program (see
/// checkDatabaseFile); it is not changed. Throws Error; `live` is then as it was.
void replaceDatabase(const std::string& live, const std::string& source, const std::string& keep,
                     const DelayWatcher& watcher = {}, const Heartbeat& heartbeat = {});

}  // namespace vesk::store
