#pragma once

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
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

}  // namespace vesk::bench
