#pragma once

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/TerminalPrompter.h"

namespace vesk::cli {

struct Outcome {
    int status;
    std::string out;
    std::string err;
    std::optional<std::string> database;
};

/// Runs a command line as a script would: no terminal, so every question is answered No; what
/// standard input holds, and the environment's passphrase when one is given.
inline Outcome runCli(const std::vector<std::string>& args, const std::string& input = "",
                      const std::optional<std::string>& environment = std::nullopt) {
    std::istringstream in(input);
    std::ostringstream out, err;
    TerminalPrompter prompter(in, err, false, false);
    if (environment) prompter.setEnvironmentPassphrase(Secret(*environment));
    Context context{in, out, err, prompter, std::nullopt};
    int status = run(args, context);
    return {status, out.str(), err.str(), context.databaseOption};
}

/// The same on the database file named, as --db names it.
inline Outcome runCli(const std::string& database, std::vector<std::string> args) {
    args.insert(args.begin(), {"--db", database});
    return runCli(args);
}

/// A text's lines, or a line's tab-separated cells.
inline std::vector<std::string> textParts(const std::string& text, char separator = '\n') {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) out.push_back(part);
    return out;
}

}  // namespace vesk::cli
