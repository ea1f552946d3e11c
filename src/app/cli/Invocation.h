#pragma once

#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Verb.h"

namespace vesk::cli {

/// What a command line asks of a verb of the table: its usage, or a run of it (of the sub-verb
/// it names, for a group) with the arguments read.
struct Invocation {
    const Verb* verb = nullptr;
    /// The verb's words as given: "compare", "export trend".
    std::string command;
    /// --help or -h was given (before any "--"): the usage of verb is wanted, nothing is run.
    bool help = false;
    Arguments arguments;
};

/// Reads the words after a verb's name against its entry: the sub-verb a group names, then
/// options ("--name value", "--name=value", a flag "--name"; "--" ends them) anywhere among
/// the positional arguments, whose count is checked last. Throws UsageError for wrong use.
Invocation parseInvocation(const Verb& verb, const std::vector<std::string>& args);

}  // namespace vesk::cli
