#include <gtest/gtest.h>

#include <optional>

#include "CliRunner.h"
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

// Which passphrase opens the file after each is the store's own test; here, that each verb
// reaches it and every other verb then needs the one it left.
TEST_F(PassphraseVerbsTest, SetChangeAndRemoveThenEveryVerbNeedsTheRightOne) {
    struct Step {
        const char* name;
        std::vector<std::string> args;
        std::string input;  ///< the lines typed: the current passphrase first, then the new one twice
        std::string right;
        bool isProtected;
    };
    const Step steps[] = {
        {"set", {"passphrase", "set"}, "secret 1\nsecret 1\n", "secret 1", true},
        {"change", {"passphrase", "change"}, "secret 1\nsecret 2\nsecret 2\n", "secret 2", true},
        {"remove", {"passphrase", "remove", "--yes"}, "secret 2\n", "", false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        const PassphraseRun r = verb(s.args, s.input);
        EXPECT_EQ(r.status, kExitOk) << r.err;
        EXPECT_EQ(officeRead(s.right + "\n"), "read");
        EXPECT_EQ(officeRead(""), s.isProtected ? kProtectedLine : "read");
        EXPECT_EQ(store::protectedByPassphrase(m_path), s.isProtected);
    }
    // The file's own kinds of change, newest first.
    std::vector<std::string> kinds;
    for (const std::string& line : textParts(verb({"history", "database"}).out))
        kinds.push_back(textParts(line, '\t')[3]);
    EXPECT_EQ(kinds, (std::vector<std::string>{"Passphrase removed", "Passphrase changed", "Passphrase set"}));
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

// The program itself, its standard input the lines typed, the environment's passphrase its own.
TEST_F(PassphraseVerbsTest, TheProgramReadsItFromItsInputOrItsEnvironment) {
    const std::string in = m_dir.file("in.txt"), out = m_dir.file("out.txt"), err = m_dir.file("err.txt");
    const auto cli = [&](std::vector<std::string> args, const std::string& lines,
                         const std::optional<std::string>& environment = std::nullopt) {
        test::writeBytes(in, lines);
        args.insert(args.begin(), {VESK_CLI, "--db", m_path});
        // Its own environment: the variable as given, or none whatever the test's holds.
        test::ChildProcess program(args, out, err, in, {{"VESK_ORV_PASSPHRASE", environment}});
        const int status = program.wait();
        return PassphraseRun{status, test::fileBytes(out), test::fileBytes(err), std::nullopt};
    };
    ASSERT_EQ(cli({"passphrase", "set"}, "piped secret\npiped secret\n").status, kExitOk);
    EXPECT_EQ(cli({"offices"}, "piped secret\n").status, kExitOk);
    const PassphraseRun fromEnvironment = cli({"offices"}, "", "piped secret");
    EXPECT_EQ(fromEnvironment.status, kExitOk) << fromEnvironment.err;
    EXPECT_NE(fromEnvironment.out.find("Verb HO"), std::string::npos);
    EXPECT_EQ(cli({"offices"}, "").err, kProtectedLine);
}

}  // namespace
}  // namespace vesk::cli
