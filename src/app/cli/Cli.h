#pragma once

#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Prompter.h"

namespace vesk::cli {

struct Verb;

/// Exit statuses of the program.
enum ExitStatus { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

/// Wrong use of the command line: an unknown verb or option, a missing or invalid argument.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// What a verb works with: the streams, the person and the global options.
struct Context {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    Prompter& prompter;
    std::optional<std::string> databaseOption;  ///< --db

    /// The --db file, or the database beside the executable.
    std::string databasePath() const;
};

/// Runs a command line (without the program name) and returns the exit status.
/// Errors are reported on context.err; nothing is thrown.
int run(const std::vector<std::string>& args, Context& context);

/// The usage text of the whole program.
std::string usage();
/// The usage text of one verb, named by its words ("compare", "export trend").
std::string usage(const Verb& verb, const std::string& command);
/// Every verb with its synopsis, help and options, as Markdown (docs/cli.md is this text).
std::string markdownReference();
/// The manual page in roff, its verbs from the same table (packaging/vesk-orv-cli.1 is this text).
std::string manualPage();

}  // namespace vesk::cli
