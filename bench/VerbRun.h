#pragma once

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "HistoryDatabase.h"
#include "cli/Cli.h"

namespace vesk::bench {

/// Runs one command line in this process, as the command-line tool would; what it prints
/// is discarded. Throws when it fails.
inline void runVerb(const std::string& database, std::vector<std::string> args) {
    std::istringstream in;
    std::ostringstream out, err;
    Person prompter;
    cli::Context context{in, out, err, prompter, database};
    if (cli::run(args, context) != cli::kExitOk) throw std::runtime_error(args.front() + ": " + out.str() + err.str());
}

/// The history brought up to this program's layout with its monthly summaries and its totals
/// per office and month built, as a database the program has been working on finds them, so
/// that nothing of that is timed.
inline void bringUpToDate(const std::string& path) {
    runVerb(path, {"summary", "ctr"});
    runVerb(path, {"summary", "orv"});
    runVerb(path, {"trend"});
}

/// A copy of the two years in the folder, brought up to date.
inline std::string preparedHistory(const ScratchFolder& folder) {
    const std::string path = folder.file("history.db");
    std::filesystem::copy_file(historyDatabase(), path);
    bringUpToDate(path);
    return path;
}

}  // namespace vesk::bench
