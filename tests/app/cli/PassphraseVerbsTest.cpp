#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "cli/Cli.h"
#include "cli/TerminalPrompter.h"
#include "store/Connection.h"
#include "store/Passphrase.h"
#include "support/TempDir.h"

extern char** environ;

namespace vesk::cli {
namespace {

struct PassphraseRun {
    int status;
    std::string out;
    std::string err;
};

// The command line as a script runs it: what standard input holds, no terminal; the
// environment's passphrase when one is given.
PassphraseRun runTyped(const std::vector<std::string>& args, const std::string& input,
                       const std::optional<std::string>& environment = std::nullopt) {
    std::istringstream in(input);
    std::ostringstream out, err;
    TerminalPrompter prompter(in, err, false, false);
    if (environment) prompter.setEnvironmentPassphrase(Secret(*environment));
    Context context{in, out, err, prompter, std::nullopt};
    const int status = run(args, context);
    return {status, out.str(), err.str()};
}

std::string passphraseFileText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class PassphraseVerbsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store::Connection db;
        db.open(m_path);
        db.execute("INSERT INTO Youroffice VALUES ('Verb HO', '', '')");
    }
    PassphraseRun verb(std::vector<std::string> args, const std::string& input = "",
                       const std::optional<std::string>& environment = std::nullopt) {
        args.insert(args.begin(), {"--db", m_path});
        return runTyped(args, input, environment);
    }
    // What reading the configured office says: its name, or the failure's line.
    std::string officeRead(const std::string& input, const std::optional<std::string>& environment = std::nullopt) {
        const PassphraseRun r = verb({"offices"}, input, environment);
        if (r.status == kExitOk) return r.out.find("Verb HO") != std::string::npos ? "read" : "read, office lost";
        return r.err;
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
};

const std::string kProtectedLine = std::string("vesk-orv-cli offices: ") + store::kProtectedText + "\n";
const std::string kWrongLine = std::string("vesk-orv-cli offices: ") + store::kWrongPassphraseText + "\n";

TEST_F(PassphraseVerbsTest, SetChangeAndRemoveThenEveryVerbNeedsTheRightOne) {
    struct Step {
        const char* name;
        std::vector<std::string> args;
        std::string input;  ///< the lines typed: the current passphrase first, then the new one twice
        std::string right, other;
        bool isProtected;
    };
    const Step steps[] = {
        {"set", {"passphrase", "set"}, "first secret\nfirst secret\n", "first secret", "second secret", true},
        {"change",
         {"passphrase", "change"},
         "first secret\nsecond secret\nsecond secret\n",
         "second secret",
         "first secret",
         true},
        {"remove", {"passphrase", "remove", "--yes"}, "second secret\n", "", "second secret", false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        const PassphraseRun r = verb(s.args, s.input);
        EXPECT_EQ(r.status, kExitOk) << r.err;
        EXPECT_EQ(officeRead(s.right + "\n"), "read");
        EXPECT_EQ(officeRead(s.other + "\n"), s.isProtected ? kWrongLine : "read");
        EXPECT_EQ(officeRead(""), s.isProtected ? kProtectedLine : "read");
        EXPECT_EQ(store::protectedByPassphrase(m_path), s.isProtected);
    }
}

TEST_F(PassphraseVerbsTest, WhatWillNotDoIsRefusedAndTheFileKeepsItsKey) {
    ASSERT_EQ(verb({"passphrase", "set"}, "kept secret\nkept secret\n").status, kExitOk);
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        std::string says;  ///< in the error stream
    };
    const Case cases[] = {
        {"set on a file with one", {"passphrase", "set"}, "other one!\nother one!\n", "has a passphrase already"},
        {"the current one wrong",
         {"passphrase", "change"},
         "kept secreT\nnew secret\nnew secret\n",
         store::kWrongPassphraseText},
        {"the current one not given", {"passphrase", "remove", "--yes"}, "", store::kProtectedText},
        {"seven characters", {"passphrase", "change"}, "kept secret\nseven 7\nseven 7\n", "at least 8 characters"},
        {"the two differ", {"passphrase", "change"}, "kept secret\nnew secret\nnew secreT\n", "differ"},
        {"the second never typed", {"passphrase", "change"}, "kept secret\nnew secret\n", ""},
        {"removal not confirmed", {"passphrase", "remove"}, "kept secret\n", "Remove the passphrase"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PassphraseRun r = verb(c.args, c.input);
        EXPECT_EQ(r.status, kExitFailed);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(officeRead("kept secret\n"), "read");
    }
    // Removed, change and remove have nothing to work on.
    ASSERT_EQ(verb({"passphrase", "remove", "--yes"}, "kept secret\n").status, kExitOk);
    for (const char* sub : {"change", "remove"}) {
        const PassphraseRun r = verb({"passphrase", sub, "--yes"}, "");
        EXPECT_EQ(r.status, sub == std::string("remove") ? kExitFailed : kExitUsage) << sub;
    }
    EXPECT_NE(verb({"passphrase", "change"}, "").err.find("has no passphrase"), std::string::npos);
}

TEST_F(PassphraseVerbsTest, TheEnvironmentGivesTheCurrentOneButNeverANewOne) {
    ASSERT_EQ(verb({"passphrase", "set"}, "env secret\nenv secret\n").status, kExitOk);
    EXPECT_EQ(officeRead("", "env secret"), "read");
    EXPECT_EQ(officeRead("env secret\n", "not the env one"), kWrongLine);
    // The new one is typed, whatever the environment holds.
    const PassphraseRun changed = verb({"passphrase", "change"}, "typed secret\ntyped secret\n", "env secret");
    ASSERT_EQ(changed.status, kExitOk) << changed.err;
    EXPECT_EQ(officeRead("", "typed secret"), "read");
    EXPECT_EQ(officeRead("", "env secret"), kWrongLine);
}

TEST(TerminalPassphrase, OneLineOfInputEachTimeAndNoneAtItsEnd) {
    struct Case {
        const char* name;
        std::string input;
        std::vector<std::optional<std::string>> read;
    };
    const Case cases[] = {
        {"two lines", "one secret\nanother\n", {"one secret", "another", std::nullopt}},
        {"carriage returns dropped", "with cr\r\n", {"with cr", std::nullopt}},
        {"the last line unended", "unended", {"unended", std::nullopt}},
        {"an empty line is an empty one", "\nnext\n", {"", "next"}},
        {"nothing at all", "", {std::nullopt}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream in(c.input);
        std::ostringstream err;
        TerminalPrompter prompter(in, err, false, false);
        for (const auto& expected : c.read) {
            const std::optional<Secret> got = prompter.passphrase({PassphraseRequest::Kind::New, "f.db", "New"});
            ASSERT_EQ(got.has_value(), expected.has_value());
            if (got) {
                EXPECT_EQ(std::string(got->data(), got->size()), *expected);
            }
        }
        // Off a terminal nothing is prompted: the lines are the script's.
        EXPECT_EQ(err.str(), "");
    }
}

// The program itself, its standard input a pipe the test writes the lines into.
PassphraseRun runThroughPipe(const std::vector<std::string>& args, const std::string& lines,
                             const std::optional<std::string>& environment, const std::string& folder) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {-1, "", "no pipe"};
    const std::string out = folder + "/out.txt", err = folder + "/err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("VESK_ORV_PASSPHRASE=", 0) != 0) env.emplace_back(*e);
    if (environment) env.push_back("VESK_ORV_PASSPHRASE=" + *environment);
    std::vector<char*> envp, argv{const_cast<char*>(VESK_CLI)};
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> words = args;
    for (std::string& a : words) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, VESK_CLI, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[0]);
    if (rc == 0 && !lines.empty() && ::write(pipeFds[1], lines.data(), lines.size()) < 0) {
    }
    ::close(pipeFds[1]);  // the end of the input: no more lines
    int status = -1;
    if (rc != 0 || ::waitpid(pid, &status, 0) != pid) return {-1, "", "not run"};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, passphraseFileText(out), passphraseFileText(err)};
}

TEST_F(PassphraseVerbsTest, TheProgramReadsItFromAPipeOrItsEnvironment) {
    const std::string folder = m_dir.path().string();
    const auto cli = [&](std::vector<std::string> args, const std::string& lines,
                         const std::optional<std::string>& environment = std::nullopt) {
        args.insert(args.begin(), {"--db", m_path});
        return runThroughPipe(args, lines, environment, folder);
    };
    const PassphraseRun set = cli({"passphrase", "set"}, "piped secret\npiped secret\n");
    ASSERT_EQ(set.status, kExitOk) << set.err;
    struct Case {
        const char* name;
        std::string lines;
        std::optional<std::string> environment;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {"from the pipe", "piped secret\n", std::nullopt, kExitOk, ""},
        {"from the environment", "", "piped secret", kExitOk, ""},
        {"a wrong line", "piped secreT\n", std::nullopt, kExitFailed, kWrongLine},
        {"no line at all", "", std::nullopt, kExitFailed, kProtectedLine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PassphraseRun r = cli({"offices"}, c.lines, c.environment);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out.find("Verb HO") != std::string::npos, c.status == kExitOk);
    }
    // Nowhere on the command line: a passphrase given as an argument is wrong use.
    EXPECT_EQ(cli({"passphrase", "set", "piped secret"}, "").status, kExitUsage);
}

}  // namespace
}  // namespace vesk::cli
