#include <ostream>
#include <sstream>

#include "cli/Cli.h"
#include "cli/Verb.h"
#include "cli/Verbs.h"
#include "store/DatabaseLocation.h"

namespace vesk::cli {

namespace {

constexpr const char* kCommandName = "vesk-orv-cli";

// Prose as Markdown shows it as written: "\\" a backslash, "*" no emphasis, "<" no tag.
std::string prose(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '*' || c == '_' || c == '`' || c == '[' || c == ']' || c == '<') out += '\\';
        out += c;
    }
    return out;
}

// An option's line: "`--name VALUE`: what it does".
std::string optionLine(const Option& o) {
    return "- `--" + o.name + (o.isFlag() ? "" : " " + o.value) + "`" + (o.help.empty() ? "" : ": " + prose(o.help)) +
           "\n";
}

void describeVerb(std::ostream& s, const Verb& verb, const std::string& command, const std::string& heading) {
    s << heading << " `" << command << "`\n\n";
    const std::string shown = verb.isGroup() ? verb.groupSynopsis : synopsis(verb);
    s << "```\n" << kCommandName << " [--db FILE] " << command << (shown.empty() ? "" : " " + shown) << "\n```\n\n";
    if (!verb.help.empty()) s << prose(verb.help) << "\n\n";
    std::string options;
    for (const Option& o : verb.options)
        if (!o.help.empty()) options += optionLine(o);
    if (!options.empty()) s << options << "\n";
    for (const Verb& sub : verb.subVerbs) describeVerb(s, sub, command + " " + sub.name, heading + "#");
}

const Verb* topVerbCalled(const std::string& name) {
    for (const Verb& v : verbs())
        if (v.name == name) return &v;
    return nullptr;
}

}  // namespace

std::string markdownReference() {
    std::ostringstream s;
    s << "# " << kCommandName << "\n\n"
      << "<!-- Made by `" << kCommandName
      << " help --markdown` from the table of verbs; a test keeps the two the same. "
      << "-->\n\n"
      << "```\n"
      << kCommandName << " [--db FILE] VERB [ARGUMENTS]\n```\n\n"
      << "The windowed program's work on the terminal: each verb does what a form or window does, and prints "
         "tab-separated lines where a window shows a grid.\n\n"
      << "## Before the verb\n\n"
      << "- `--db FILE`: the database file. Without it: `$VESK_ORV_DB`, else `" << store::kDatabaseFileName
      << "` beside the program, else the same name in the user's data folder when the program's folder is not "
         "writable (`where` says which).\n"
      << "- `--help`: the list of verbs; `VERB --help` (or `help VERB`) describes one.\n"
      << "- `--version`: the program's version.\n\n"
      << "Exit status: 0 done, 1 failed or refused, 2 wrong usage.\n\n"
      << "## Verbs\n\n";
    for (const Verb& verb : verbs()) describeVerb(s, verb, verb.name, "###");
    return s.str();
}

// The program's usage, one verb's, or the whole reference in Markdown.
int runHelp(Call& call) {
    if (call.flag("markdown")) {
        call.out() << markdownReference();
        return kExitOk;
    }
    if (call.positional().empty()) {
        call.out() << usage();
        return kExitOk;
    }
    const Verb* verb = topVerbCalled(call.argument(0));
    if (!verb) throw UsageError("no verb '" + call.argument(0) + "'");
    call.out() << usage(*verb, verb->name);
    return kExitOk;
}

}  // namespace vesk::cli
