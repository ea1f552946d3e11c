#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vesk::cli {

class Call;

/// A word a verb takes by its place, named as its synopsis shows it: "FILE", "YEAR", "ctr|orv".
struct Argument {
    std::string name;
    /// May be left out. The optional arguments come last and are given all together or not at all.
    bool optional = false;
};

/// An option of a verb: "--name VALUE" or "--name=VALUE" when it takes a value, else a flag "--name".
struct Option {
    std::string name;
    /// The value as the synopsis shows it ("TEXT", "N"); empty for a flag.
    std::string value = {};
    /// Listed under the verb's usage when given.
    std::string help = {};

    bool isFlag() const { return value.empty(); }
};

/// How a verb's function reaches the database (Call::database).
enum class Database {
    None,      ///< not at all; it may work on the file as a file
    Open,      ///< opened when first asked for, closed when the verb has run
    Snapshot,  ///< as Open, reading one state of the file throughout: what another program commits meanwhile is not
               ///< seen
};

/// One verb of the command line: an entry of the one table (verbs()), which the parser checks
/// a command line against before the verb's function runs. A group instead names its sub-verbs
/// by the word after its name ("export trend"), each a verb of its own.
struct Verb {
    std::string name;
    std::vector<Argument> arguments = {};
    std::vector<Option> options = {};
    std::string help = {};
    /// Runs the verb over its parsed command line and returns the exit status; throws UsageError
    /// for wrong use and Error for failures. Empty for a group.
    std::function<int(Call&)> run = {};
    Database database = Database::None;
    /// What a wrong count of arguments is told (for a group: no sub-verb named); empty: made
    /// from the arguments' names ("give YEAR and MONTH").
    std::string wrongCount = {};
    /// The synopsis shows the options before the arguments.
    bool optionsFirst = false;
    std::vector<Verb> subVerbs = {};
    /// A group's synopsis, written out as it sums its sub-verbs up; a verb's is made from its
    /// arguments and options.
    std::string groupSynopsis = {};

    bool isGroup() const { return !subVerbs.empty(); }
};

/// Every verb, in the order the usage text lists them.
const std::vector<Verb>& verbs();

/// The verb's arguments and options as its usage shows them: "YEAR MONTH [--filter TEXT]".
std::string synopsis(const Verb& verb);

/// What a wrong count of the verb's arguments is told.
std::string wrongCountText(const Verb& verb);

/// "a", "a and b", "a, b and c" (or with "or").
std::string listed(const std::vector<std::string>& items, const std::string& conjunction);

}  // namespace vesk::cli
