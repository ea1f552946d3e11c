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

/// Copies the database the connection has open into `destination` with the engine's online
/// backup: first it waits (up to kBusyLimit, told to the delay watcher) for another
/// program's write transaction to end, then copies the file a slice at a time, starting
/// again when another program commits between two slices, so the copy is always one state
/// of the file; the heartbeat beats between slices. The copy is written beside the destination and takes its name
/// only when whole, so an existing file is replaced at once or not at all. The connection
/// may be in no transaction. Throws Error (kUsage when the destination is the database).
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
