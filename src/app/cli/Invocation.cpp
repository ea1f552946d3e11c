#include "cli/Invocation.h"

#include <algorithm>
#include <optional>

#include "cli/Cli.h"

namespace vesk::cli {

namespace {

bool isHelp(const std::string& a) { return a == "--help" || a == "-h"; }

// Help is wanted when asked for anywhere before "--", whatever else is wrong.
bool helpAsked(std::vector<std::string>::const_iterator begin, std::vector<std::string>::const_iterator end) {
    for (auto a = begin; a != end && *a != "--"; ++a)
        if (isHelp(*a)) return true;
    return false;
}

const Option* findOption(const Verb& verb, const std::string& name) {
    for (const Option& o : verb.options)
        if (o.name == name) return &o;
    return nullptr;
}

// An option the verb does not take: unknown, or one of a sibling sub-verb's. A sub-verb of few
// options names them; one of more names who takes the option instead.
std::string refusedOption(const Verb& verb, const std::string& name, const std::vector<Verb>& siblings) {
    std::vector<std::string> takers;
    for (const Verb& s : siblings)
        if (&s != &verb && findOption(s, name)) takers.push_back(s.name);
    if (takers.empty()) return "unknown option --" + name;
    constexpr std::size_t kNamedOptions = 2;
    if (verb.options.size() > kNamedOptions) return "--" + name + " goes with " + listed(takers, "and") + " only";
    if (verb.options.empty()) return verb.name + " takes no options";
    std::vector<std::string> own;
    for (const Option& o : verb.options) own.push_back("--" + o.name);
    return verb.name + " takes only " + listed(own, "and");
}

Arguments parseArguments(const Verb& verb, const std::vector<std::string>& args, const std::vector<Verb>& siblings) {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> flags;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a.compare(0, 2, "--") != 0) {
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t eq = a.find('=');
        const std::string name = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
        std::optional<std::string> value;
        if (eq != std::string::npos) value = a.substr(eq + 1);

        const Option* option = findOption(verb, name);
        if (!option) throw UsageError(refusedOption(verb, name, siblings));
        if (option->isFlag()) {
            if (value) throw UsageError("option --" + name + " takes no value");
            if (std::find(flags.begin(), flags.end(), name) == flags.end()) flags.push_back(name);
            continue;
        }
        if (!value) {
            if (i + 1 >= args.size()) throw UsageError("option --" + name + " needs a value");
            value = args[++i];
        }
        for (const auto& given : options)
            if (given.first == name) throw UsageError("option --" + name + " given twice");
        options.emplace_back(name, *value);
    }
    const std::size_t all = verb.arguments.size();
    const auto required = std::size_t(
        std::count_if(verb.arguments.begin(), verb.arguments.end(), [](const Argument& a) { return !a.optional; }));
    if (positional.size() != required && positional.size() != all) throw UsageError(wrongCountText(verb));
    return Arguments(std::move(positional), std::move(options), std::move(flags));
}

Invocation parse(const Verb& verb, const std::string& command, const std::vector<std::string>& args,
                 const std::vector<Verb>& siblings) {
    if (!verb.isGroup()) {
        if (helpAsked(args.begin(), args.end())) return {&verb, command, true, {}};
        return {&verb, command, false, parseArguments(verb, args, siblings)};
    }
    const Verb* sub = nullptr;
    for (const Verb& s : verb.subVerbs)
        if (!args.empty() && s.name == args.front()) sub = &s;
    if (!sub) {
        if (helpAsked(args.begin(), args.end())) return {&verb, command, true, {}};
        // A group that runs itself alone (rules prints the rules its sub-verbs set).
        if (args.empty() && verb.run) return {&verb, command, false, parseArguments(verb, args, siblings)};
        if (args.empty()) throw UsageError(wrongCountText(verb));
        std::vector<std::string> names;
        for (const Verb& s : verb.subVerbs) names.push_back(s.name);
        throw UsageError("the first argument is " + listed(names, "or") + ", not '" + args.front() + "'");
    }
    return parse(*sub, command + " " + sub->name, std::vector<std::string>(args.begin() + 1, args.end()),
                 verb.subVerbs);
}

}  // namespace

Invocation parseInvocation(const Verb& verb, const std::vector<std::string>& args) {
    return parse(verb, verb.name, args, {});
}

}  // namespace vesk::cli
