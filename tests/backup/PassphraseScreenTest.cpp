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

    void protect(const std::string& passphrase) {
        store::Connection db;
        db.open(m_path);
        db.rekey(Secret(passphrase));
        store::forgetPassphrases();
    }
    // The key the file opens with now, tried without the run's memory.
    bool opensWith(const std::string& key) {
        store::forgetPassphrases();
        return store::keyFits(m_path, key.empty() ? store::programKey() : Secret(key));
    }
    std::vector<Kind> kindsAsked() const {
        std::vector<Kind> kinds;
        for (const PassphraseRequest& r : m_prompter.passphraseRequests()) kinds.push_back(r.kind);
        return kinds;
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
    test::ScriptedPrompter m_prompter;
};

TEST_F(PassphraseScreenTest, TheStartAsksThreeTimesAtMostThenEndsSayingWhy) {
    const std::string right = "start passphrase";
    struct Case {
        const char* name;
        std::vector<std::optional<std::string>> typed;  ///< nullopt: Escape
        bool opens;
        std::string lastWords;  ///< the last message's start; empty: none shown
    };
    const Case cases[] = {
        {"right at once", {right}, true, ""},
        {"right at the third try", {"wrong one", "wrong two", right}, true, store::kWrongPassphraseText},
        {"wrong three times",
         {"wrong one", "wrong two", "wrong three"},
         false,
         passphraseWrongEachTime(m_path, 3).text},
        {"Escape at the second try", {"wrong one", std::nullopt}, false, passphraseNotGiven(m_path).text},
        {"left empty", {""}, false, passphraseNotGiven(m_path).text},
    };
    protect(right);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store::forgetPassphrases();
        test::ScriptedPrompter prompter;
        for (const auto& t : c.typed) prompter.queuePassphrase(t);
        EXPECT_EQ(unlockDatabase(prompter, m_path), c.opens);
        EXPECT_EQ(prompter.passphraseRequests().size(), c.typed.size());
        if (c.lastWords.empty())
            EXPECT_TRUE(prompter.messages().empty());
        else
            EXPECT_EQ(prompter.lastMessage().text, c.lastWords);
        // Once unlocked, the forms' connections open without asking.
        store::Connection db;
        if (c.opens) {
            db.open(m_path);
            EXPECT_EQ(db.scalar("SELECT ooffice_name FROM Youroffice"), store::Value("Screen HO"));
        } else {
            std::string failure;
            try {
                db.open(m_path);
            } catch (const Error& e) {
                failure = e.description();
            }
            EXPECT_EQ(failure, store::kProtectedText);
        }
    }
}

TEST_F(PassphraseScreenTest, AFileWithoutOneStartsUnasked) {
    EXPECT_TRUE(unlockDatabase(m_prompter, m_path));
    EXPECT_TRUE(m_prompter.passphraseRequests().empty());
    EXPECT_TRUE(unlockDatabase(m_prompter, m_dir.file("not-yet.db")));
}

TEST_F(PassphraseScreenTest, TheButtonSetsChangesAndRemovesThroughTheDialogs) {
    DatabaseScreen screen(m_path, m_prompter);
    struct Step {
        const char* name;
        std::vector<std::optional<std::string>> typed;
        std::vector<Answer> answers;
        bool done;
        std::vector<Kind> asked;
        std::string opensWith;  ///< afterwards; empty: the program's key
    };
    const Step steps[] = {
        {"set", {"menu passphrase", "menu passphrase"}, {}, true, {Kind::New, Kind::Again}, "menu passphrase"},
        {"change refused: the current one wrong", {"not it"}, {}, false, {Kind::Current}, "menu passphrase"},
        {"change refused: too short",
         {"menu passphrase", "short"},
         {},
         false,
         {Kind::Current, Kind::New},
         "menu passphrase"},
        {"change refused: a slip of the keys",
         {"menu passphrase", "next passphrase", "next passphrasf"},
         {},
         false,
         {Kind::Current, Kind::New, Kind::Again},
         "menu passphrase"},
        {"change",
         {"menu passphrase", "next passphrase", "next passphrase"},
         {},
         true,
         {Kind::Current, Kind::New, Kind::Again},
         "next passphrase"},
        {"remove declined",
         {"next passphrase", ""},
         {Answer::No},
         false,
         {Kind::Current, Kind::New},
         "next passphrase"},
        {"remove", {"next passphrase", ""}, {Answer::Yes}, true, {Kind::Current, Kind::New}, ""},
    };
    std::size_t seen = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        for (const auto& t : s.typed) m_prompter.queuePassphrase(t);
        for (Answer a : s.answers) m_prompter.queueAnswer(a);
        EXPECT_EQ(screen.changePassphrase(), s.done);
        const std::vector<Kind> all = kindsAsked();
        EXPECT_EQ(std::vector<Kind>(all.begin() + std::ptrdiff_t(seen), all.end()), s.asked);
        seen = all.size();
        EXPECT_TRUE(opensWith(s.opensWith));
    }
    EXPECT_EQ(m_prompter.lastMessage().title, kPassphraseTitle);
}

}  // namespace
}  // namespace vesk::backup
