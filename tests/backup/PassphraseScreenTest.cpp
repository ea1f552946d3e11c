#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "backup/BackupWording.h"
#include "backup/DatabaseScreen.h"
#include "backup/PassphraseFlows.h"
#include "store/Connection.h"
#include "store/Passphrase.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace vesk::backup {
namespace {

using Kind = PassphraseRequest::Kind;

// The window's start and its Passphrase… button over a file of one office, the person scripted.
class PassphraseScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store::forgetPassphrases();
        store::Connection db;
        db.open(m_path);
        db.execute("INSERT INTO Youroffice VALUES ('Screen HO', '', '')");
    }
    void TearDown() override { store::forgetPassphrases(); }

    // The key the file opens with now, tried without the run's memory.
    bool opensWith(const std::string& key) {
        store::forgetPassphrases();
        return store::keyFits(m_path, key.empty() ? store::programKey() : Secret(key));
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
    test::ScriptedPrompter m_prompter;
};

TEST_F(PassphraseScreenTest, TheStartAsksThreeTimesAtMostThenEndsSayingWhy) {
    // A file without one starts unasked, as does one not made yet.
    EXPECT_TRUE(unlockDatabase(m_prompter, m_path));
    EXPECT_TRUE(unlockDatabase(m_prompter, m_dir.file("not-yet.db")));
    EXPECT_TRUE(m_prompter.passphraseRequests().empty());

    const std::string right = "start passphrase";
    struct Case {
        const char* name;
        std::vector<std::optional<std::string>> typed;  ///< nullopt: Escape
        std::string lastWords;                          ///< the last message; empty: none shown
    };
    const Case cases[] = {
        {"right at once", {right}, ""},
        {"right at the third try", {"wrong one", "wrong two", right}, store::kWrongPassphraseText},
        {"wrong three times", {"wrong one", "wrong two", "wrong three"}, passphraseWrongEachTime(m_path, 3).text},
        {"Escape at the second try", {"wrong one", std::nullopt}, passphraseNotGiven(m_path).text},
        {"left empty", {""}, passphraseNotGiven(m_path).text},
    };
    {
        store::Connection db;
        db.open(m_path);
        db.rekey(Secret(right));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store::forgetPassphrases();
        test::ScriptedPrompter prompter;
        for (const auto& t : c.typed) prompter.queuePassphrase(t);
        const bool opens = c.typed.back() == right;
        EXPECT_EQ(unlockDatabase(prompter, m_path), opens);
        EXPECT_EQ(prompter.passphraseRequests().size(), c.typed.size());
        EXPECT_EQ(prompter.messages().empty() ? "" : prompter.lastMessage().text, c.lastWords);
        // Once unlocked, the forms' connections open without asking; else they are refused.
        std::string opened = "opened";
        try {
            store::Connection db;
            db.open(m_path);
            EXPECT_EQ(db.scalar("SELECT ooffice_name FROM Youroffice"), store::Value("Screen HO"));
        } catch (const Error& e) {
            opened = e.description();
        }
        EXPECT_EQ(opened, opens ? "opened" : store::kProtectedText);
    }
}

// The dialogs' own refusals are the flows' tests; here, that each step reaches them and the
// file keeps the key it had unless the step went through.
TEST_F(PassphraseScreenTest, TheButtonSetsChangesAndRemovesThroughTheDialogs) {
    DatabaseScreen screen(m_path, m_prompter);
    struct Step {
        const char* name;
        std::vector<std::optional<std::string>> typed;
        std::optional<Answer> answer;
        bool done;
        std::vector<Kind> asked;
        std::string opensWith;  ///< afterwards; empty: the program's key
    };
    const std::string set = "menu passphrase", next = "next passphrase";
    const Step steps[] = {
        {"set", {set, set}, std::nullopt, true, {Kind::New, Kind::Again}, set},
        {"change refused: the current one wrong", {"not it"}, std::nullopt, false, {Kind::Current}, set},
        {"change", {set, next, next}, std::nullopt, true, {Kind::Current, Kind::New, Kind::Again}, next},
        {"remove declined", {next, ""}, Answer::No, false, {Kind::Current, Kind::New}, next},
        {"remove", {next, ""}, Answer::Yes, true, {Kind::Current, Kind::New}, ""},
    };
    std::size_t seen = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        for (const auto& t : s.typed) m_prompter.queuePassphrase(t);
        if (s.answer) m_prompter.queueAnswer(*s.answer);
        EXPECT_EQ(screen.changePassphrase(), s.done);
        std::vector<Kind> asked;
        for (const PassphraseRequest& r : m_prompter.passphraseRequests()) asked.push_back(r.kind);
        EXPECT_EQ(std::vector<Kind>(asked.begin() + std::ptrdiff_t(seen), asked.end()), s.asked);
        seen = asked.size();
        EXPECT_TRUE(opensWith(s.opensWith));
    }
    EXPECT_EQ(m_prompter.lastMessage().title, kPassphraseTitle);
}

}  // namespace
}  // namespace vesk::backup
