#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sstream>

#include "CliRunner.h"
#include "cli/TerminalPrompter.h"
#include "store/Connection.h"
#include "store/DatabaseFiles.h"
#include "store/Passphrase.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

using PassphraseRun = Outcome;

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
        return runCli(args, input, environment);
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
        {"set", {"passphrase", "set"}, "secret 1\nsecret 1\n", "secret 1", "secret 2", true},
        {"change", {"passphrase", "change"}, "secret 1\nsecret 2\nsecret 2\n", "secret 2", "secret 1", true},
        {"remove", {"passphrase", "remove", "--yes"}, "secret 2\n", "", "secret 2", false},
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
    // Removed, there is nothing to change; nor is a passphrase ever given on the command line.
    ASSERT_EQ(verb({"passphrase", "remove", "--yes"}, "kept secret\n").status, kExitOk);
    const PassphraseRun r = verb({"passphrase", "change"}, "");
    EXPECT_EQ(r.status, kExitFailed);
    EXPECT_NE(r.err.find("has no passphrase"), std::string::npos) << r.err;
    EXPECT_EQ(verb({"passphrase", "set", "kept secret"}, "").status, kExitUsage);
}

TEST_F(PassphraseVerbsTest, TheEnvironmentGivesTheCurrentOneButNeverANewOne) {
    ASSERT_EQ(verb({"passphrase", "set"}, "env secret\nenv secret\n").status, kExitOk);
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

// The program itself, its standard input the lines typed, the environment's passphrase its own.
TEST_F(PassphraseVerbsTest, TheProgramReadsItFromItsInputOrItsEnvironment) {
    const std::string in = m_dir.file("in.txt"), out = m_dir.file("out.txt"), err = m_dir.file("err.txt");
    const auto cli = [&](std::vector<std::string> args, const std::string& lines,
                         const std::optional<std::string>& environment = std::nullopt) {
        test::writeBytes(in, lines);
        if (environment) {
            setenv("VESK_ORV_PASSPHRASE", environment->c_str(), 1);
        } else {
            unsetenv("VESK_ORV_PASSPHRASE");
        }
        args.insert(args.begin(), {VESK_CLI, "--db", m_path});
        test::ChildProcess program(args, out, err, in);
        const int status = program.wait();
        unsetenv("VESK_ORV_PASSPHRASE");
        return PassphraseRun{status, test::fileBytes(out), test::fileBytes(err), std::nullopt};
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
        {"from the input", "piped secret\n", std::nullopt, kExitOk, ""},
        {"from the environment", "", "piped secret", kExitOk, ""},
        {"no line at all", "", std::nullopt, kExitFailed, kProtectedLine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PassphraseRun r = cli({"offices"}, c.lines, c.environment);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out.find("Verb HO") != std::string::npos, c.status == kExitOk);
    }
}

}  // namespace
}  // namespace vesk::cli
