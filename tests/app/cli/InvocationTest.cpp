#include <gtest/gtest.h>

#include <algorithm>

#include "cli/Call.h"
#include "cli/Invocation.h"
#include "cli/Verb.h"

namespace vesk::cli {
namespace {

int noRun(Call&) { return kExitOk; }

// A table of the shapes the real one has: fixed arguments with valued options and a flag,
// optional arguments given together, and a group whose sub-verbs take different options.
const Verb& copyVerb() {
    static const Verb v{
        .name = "copy", .arguments = {{"FROM"}, {"TO"}}, .options = {{"mode", "M"}, {"force"}}, .run = noRun};
    return v;
}

const Verb& listVerb() {
    static const Verb v{.name = "list", .arguments = {{"YEAR", true}, {"MONTH", true}}, .run = noRun};
    return v;
}

const Verb& groupVerb() {
    static const Verb v{
        .name = "pass",
        .subVerbs = {
            {.name = "set", .options = {{"yes"}}, .run = noRun},
            {.name = "show", .arguments = {{"WHAT"}}, .options = {{"a", "A"}, {"b", "B"}, {"wide"}}, .run = noRun},
            {.name = "wipe", .run = noRun}}};
    return v;
}

struct ParseCase {
    const char* name;
    const Verb& verb;
    std::vector<std::string> args;
    std::string error;  ///< the UsageError's text; empty when the line is accepted
    std::string command = {};
    std::vector<std::string> positional = {};
    std::vector<std::pair<std::string, std::string>> options = {};
    std::vector<std::string> flags = {};
    bool help = false;
};

TEST(Invocation, ReadsACommandLineAgainstTheVerbsEntry) {
    const std::vector<ParseCase> cases = {
        {"arguments", copyVerb(), {"a", "b"}, "", "copy", {"a", "b"}},
        {"too few", copyVerb(), {"a"}, "give FROM and TO"},
        {"too many", copyVerb(), {"a", "b", "c"}, "give FROM and TO"},
        {"mixed", copyVerb(), {"--mode", "x", "a", "--force", "b"}, "", "copy", {"a", "b"}, {{"mode", "x"}}, {"force"}},
        {"--name=value", copyVerb(), {"a", "--mode=x=y", "b"}, "", "copy", {"a", "b"}, {{"mode", "x=y"}}},
        {"value --force", copyVerb(), {"a", "b", "--mode", "--force"}, "", "copy", {"a", "b"}, {{"mode", "--force"}}},
        {"no value at the end", copyVerb(), {"a", "b", "--mode"}, "option --mode needs a value"},
        {"a valued option twice", copyVerb(), {"a", "--mode", "x", "b", "--mode=y"}, "option --mode given twice"},
        {"a flag twice", copyVerb(), {"a", "--force", "b", "--force"}, "", "copy", {"a", "b"}, {}, {"force"}},
        {"a flag given a value", copyVerb(), {"a", "b", "--force=yes"}, "option --force takes no value"},
        {"an unknown option", copyVerb(), {"a", "b", "--nope"}, "unknown option --nope"},
        {"-- ends the options", copyVerb(), {"--", "--force", "-x"}, "", "copy", {"--force", "-x"}},
        {"single dashes are arguments", copyVerb(), {"-", "-x"}, "", "copy", {"-", "-x"}},
        {"help whatever else is wrong", copyVerb(), {"--nope", "--help"}, "", "copy", {}, {}, {}, true},
        {"help after -- is an argument", copyVerb(), {"a", "--", "--help"}, "", "copy", {"a", "--help"}},
        {"optional arguments left out", listVerb(), {}, "", "list"},
        {"optional arguments given in part", listVerb(), {"2025"}, "give YEAR and MONTH or nothing"},
        {"a group without its sub-verb", groupVerb(), {}, "give set, show or wipe"},
        {"an unknown sub-verb", groupVerb(), {"nope", "x"}, "the first argument is set, show or wipe, not 'nope'"},
        {"a sub-verb's own arguments", groupVerb(), {"show", "it", "--a", "1"}, "", "pass show", {"it"}, {{"a", "1"}}},
        {"a sub-verb's count", groupVerb(), {"set", "x"}, "takes no arguments"},
        // A sub-verb of few options names them; one of more names who takes the option.
        {"a sibling's option, few own", groupVerb(), {"set", "--a", "1"}, "set takes only --yes"},
        {"a sibling's option, many own", groupVerb(), {"show", "it", "--yes"}, "--yes goes with set only"},
        {"a sibling's option, none own", groupVerb(), {"wipe", "--wide"}, "wipe takes no options"},
        {"nobody's option in a group", groupVerb(), {"show", "it", "--zzz"}, "unknown option --zzz"},
        {"help of a sub-verb", groupVerb(), {"show", "--nope", "-h"}, "", "pass show", {}, {}, {}, true},
        {"help beside an unknown sub-verb", groupVerb(), {"nope", "--help"}, "", "pass", {}, {}, {}, true},
        {"a sub-verb's name later is an argument", groupVerb(), {"show", "set"}, "", "pass show", {"set"}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            const Invocation got = parseInvocation(c.verb, c.args);
            ASSERT_EQ(c.error, "") << "accepted";
            EXPECT_EQ(got.command, c.command);
            EXPECT_EQ(got.help, c.help);
            EXPECT_EQ(got.arguments.positional(), c.positional);
            for (const auto& [name, value] : c.options) EXPECT_EQ(got.arguments.option(name), value) << name;
            for (const std::string& flag : c.flags) EXPECT_TRUE(got.arguments.flag(flag)) << flag;
            // Nothing more than that was read.
            for (const char* other : {"mode", "a", "b"}) {
                if (std::none_of(c.options.begin(), c.options.end(), [&](const auto& o) { return o.first == other; })) {
                    EXPECT_EQ(got.arguments.option(other), std::nullopt) << other;
                }
            }
            for (const char* other : {"force", "yes", "wide"}) {
                if (std::find(c.flags.begin(), c.flags.end(), other) == c.flags.end()) {
                    EXPECT_FALSE(got.arguments.flag(other)) << other;
                }
            }
        } catch (const UsageError& e) {
            EXPECT_EQ(e.what(), c.error);
        }
    }
}

TEST(Invocation, SynopsisAndCountAreMadeFromTheEntry) {
    struct Shape {
        const char* name;
        Verb verb;
        std::string synopsis;
        std::string wrongCount;
    };
    const std::vector<Shape> shapes = {
        {"nothing", {.name = "x"}, "", "takes no arguments"},
        {"arguments and options", copyVerb(), "FROM TO [--mode M] [--force]", "give FROM and TO"},
        {"optional arguments", listVerb(), "[YEAR MONTH]", "give YEAR and MONTH or nothing"},
        {"options first",
         {.name = "x", .arguments = {{"A", true}}, .options = {{"all"}}, .optionsFirst = true},
         "[--all] [A]",
         "give A or nothing"},
        {"required and optional",
         {.name = "x", .arguments = {{"A"}, {"B"}, {"C", true}}},
         "A B [C]",
         "give A and B, or A, B and C"},
        {"three required", {.name = "x", .arguments = {{"A"}, {"B"}, {"C"}}}, "A B C", "give A, B and C"},
        {"a count written out", {.name = "x", .arguments = {{"A"}}, .wrongCount = "give one A"}, "A", "give one A"},
    };
    for (const Shape& s : shapes) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(synopsis(s.verb), s.synopsis);
        EXPECT_EQ(wrongCountText(s.verb), s.wrongCount);
    }
}

}  // namespace
}  // namespace vesk::cli
