#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Prompter.h"
#include "store/Connection.h"

namespace vesk::cli {

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

/// Opens the database the verbs work on (see Context::databasePath), runs work over it and
/// closes it again; returns what work returns.
template <class Work>
auto withDatabase(const Context& context, Work&& work) {
    store::Connection db;
    db.open(context.databasePath());
    return std::forward<Work>(work)(db);
}

/// As withDatabase, the work reading one state of the file throughout: what another program
/// commits meanwhile is not seen.
template <class Work>
auto withSnapshot(const Context& context, Work&& work) {
    return withDatabase(context, [&](store::Connection& db) {
        const store::Transaction snapshot = db.beginRead();
        return work(db);
    });
}

/// A connection already open, lent to a flow (the forms' flows open theirs when first needed).
inline store::Opener opened(store::Connection& db) {
    return [&db]() -> store::Connection& { return db; };
}

/// One verb of the command line. run gets the arguments after the verb's name and
/// returns the exit status; it throws UsageError for wrong use and Error for failures.
struct Verb {
    std::string name;
    std::string synopsis;  ///< arguments, as the usage text shows them
    std::string summary;
    std::function<int(Context&, const std::vector<std::string>&)> run;
};

/// Every verb, in the order the usage text lists them.
const std::vector<Verb>& verbs();

/// Runs a command line (without the program name) and returns the exit status.
/// Errors are reported on context.err; nothing is thrown.
int run(const std::vector<std::string>& args, Context& context);

/// The usage text of the whole program, or of one verb.
std::string usage();
std::string usage(const Verb& verb);

/// The options and positional arguments of a verb's command line. Options take
/// "--name value" or "--name=value"; "--" ends the options.
class Arguments {
  public:
    /// valued: the options that take a value; flags: those that take none; any other "--x" is a UsageError.
    Arguments(const std::vector<std::string>& args, const std::vector<std::string>& valued,
              const std::vector<std::string>& flags = {});

    const std::vector<std::string>& positional() const { return m_positional; }
    std::optional<std::string> option(const std::string& name) const;
    bool flag(const std::string& name) const;
    /// The option as a whole number within lo..hi; fallback when it is absent.
    long long integer(const std::string& name, long long fallback, long long lo, long long hi) const;

  private:
    std::vector<std::string> m_positional;
    std::vector<std::pair<std::string, std::string>> m_options;
    std::vector<std::string> m_flags;
};

}  // namespace vesk::cli
