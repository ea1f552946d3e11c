#include "cli/Verb.h"

namespace vesk::cli {

std::string listed(const std::vector<std::string>& items, const std::string& conjunction) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? " " + conjunction + " " : ", ";
        text += items[i];
    }
    return text;
}

namespace {

std::vector<std::string> argumentNames(const Verb& verb, bool optional) {
    std::vector<std::string> names;
    for (const Argument& a : verb.arguments)
        if (a.optional == optional) names.push_back(a.name);
    return names;
}

// The words apart by one blank each, the empty ones left out.
std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& w : words)
        if (!w.empty()) text += (text.empty() ? "" : " ") + w;
    return text;
}

}  // namespace

std::string synopsis(const Verb& verb) {
    if (verb.isGroup()) return verb.groupSynopsis;
    std::vector<std::string> arguments = argumentNames(verb, false);
    const std::vector<std::string> optional = argumentNames(verb, true);
    if (!optional.empty()) arguments.push_back("[" + joined(optional) + "]");
    std::vector<std::string> options;
    for (const Option& o : verb.options) options.push_back("[--" + o.name + (o.isFlag() ? "" : " " + o.value) + "]");
    return verb.optionsFirst ? joined({joined(options), joined(arguments)})
                             : joined({joined(arguments), joined(options)});
}

std::string wrongCountText(const Verb& verb) {
    if (!verb.wrongCount.empty()) return verb.wrongCount;
    if (verb.isGroup()) {
        std::vector<std::string> names;
        for (const Verb& s : verb.subVerbs) names.push_back(s.name);
        return "give " + listed(names, "or");
    }
    const std::vector<std::string> required = argumentNames(verb, false);
    std::vector<std::string> all = required;
    for (const std::string& name : argumentNames(verb, true)) all.push_back(name);
    if (all.empty()) return "takes no arguments";
    if (required.size() == all.size()) return "give " + listed(required, "and");
    if (required.empty()) return "give " + listed(all, "and") + " or nothing";
    return "give " + listed(required, "and") + ", or " + listed(all, "and");
}

}  // namespace vesk::cli
