#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/Connection.h"

namespace vesk::store {

/// What reading a whole database file found.
struct FileCheck {
    enum class Status {
        Sound,            ///< every page authenticates with the key and the engine finds the file whole
        Missing,          ///< there is no such file
        Unreadable,       ///< no page authenticates with the key: another program's file, or damaged at its start
        Foreign,          ///< readable with the key but without the program's tables
        Newer,            ///< the program's, of a newer layout than this version knows: a later version wrote it
        Damaged,          ///< pages fail their authentication code, or the engine finds faults
        Protected,        ///< encrypted with a passphrase, and none was given
        WrongPassphrase,  ///< encrypted with a passphrase other than the one given
    };
    Status status = Status::Sound;
    std::int64_t pages = 0;                 ///< whole pages in the file
    std::int64_t strayBytes = 0;            ///< bytes past the last whole page (a cut-off file)
    std::vector<std::int64_t> badPages;     ///< pages (from 1) whose authentication code fails
    std::vector<std::string> engineFaults;  ///< what the engine's check found
    std::string missingTables;              ///< Foreign: the tables it lacks
    int layout = 0;                         ///< Newer: the file's layout version
    bool pagesVerified = true;              ///< false: no page authenticated, the engine alone judged

    bool sound() const { return status == Status::Sound; }
};

/// How far the engine looks once every page has authenticated.
enum class CheckDepth {
    Quick,  ///< the structure of every tree and the free pages: every page read, each once
    Full,   ///< that, and every index against its table, row by row
};

/// Reads every page of the file and verifies its authentication code, then, when they all
/// pass, runs the engine's check to the depth asked (with the program's functions, which
/// its indexes use). Changes nothing and never creates the file. Pages another program is
/// writing while they are read are read again; the heartbeat beats every few megabytes
/// and while the engine checks. Throws Error only when the file cannot be read at all (a
/// folder, no permission) or stays busy past kBusyLimit.
FileCheck checkDatabaseFile(const std::string& path, CheckDepth depth = CheckDepth::Quick,
                            const Heartbeat& heartbeat = {});

}  // namespace vesk::store
