#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

#include "notes/NoteScreen.h"
#include "notes/Notes.h"
#include "review/ReviewDatabase.h"
#include "support/ScriptedPrompter.h"

namespace vesk::notes {
namespace {

using test::ReviewDatabase;

const DateTime kNoteTime{2025, 5, 5, 9, 30, 0};
const long long kApril2 = daysFromCivil(2025, 4, 2);
const long long kApril3 = daysFromCivil(2025, 4, 3);

// The note dialog's screen over a month of one bank row and one ORV entry.
class NoteScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.importBank({ReviewDatabase::entry("T1", "02/04/2025", "500")});
        db.importOrv({ReviewDatabase::entry("A1", "03/04/2025", "450")});
    }
    NoteScreen screenOn(const RowRef& row, const std::optional<Note>& current = std::nullopt) {
        NoteScreen screen(dir.file("ZETTools.db"), prompter, row, current);
        screen.setWho("ravi");
        screen.setClock([] { return kNoteTime; });
        return screen;
    }

    test::TempDir dir;
    ReviewDatabase db{dir};
    test::ScriptedPrompter prompter;
};

// The refusals are the domain's; here each reaches the person once, and a saved note is held.
TEST_F(NoteScreenTest, OkSavesTheNoteOrSaysWhyNotAndKeepsTheDialogOpen) {
    struct Case {
        const char* what;
        RowRef row;
        Status status;
        std::string text;
        std::string refusal;  ///< what the person is told; "" when saved
    };
    const Case cases[] = {
        {"an ORV entry, its ID in other letters", RowRef{Side::Orv, "a1", kApril3}, Status::Resolved, "", ""},
        {"a bank row", {Side::Bank, "T1", kApril2}, Status::Explained, "  credited twice\t", ""},
        {"no such entry", RowRef{Side::Orv, "T1", kApril2}, Status::Open, "x",
         "No ORV entry of 02/04/2025 has the ID 'T1', so no note was set."},
        {"too long",
         {Side::Bank, "T1", kApril2},
         Status::Open,
         std::string(kLongestNote + 1, 'x'),
         "A note holds at most 2,000 characters; this one has 2,001."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NoteScreen screen = screenOn(c.row);
        const std::size_t said = prompter.messages().size();
        const std::optional<Note> saved = screen.save(c.status, c.text);
        EXPECT_EQ(saved.has_value(), c.refusal.empty());
        // A saved note closes the dialog without a word.
        ASSERT_EQ(prompter.messages().size(), said + (c.refusal.empty() ? 0 : 1));
        if (!c.refusal.empty()) {
            EXPECT_EQ(prompter.lastMessage().text, c.refusal);
            EXPECT_EQ(prompter.lastMessage().title, "Note");
            EXPECT_EQ(prompter.lastMessage().icon, Icon::Exclamation);
        }
    }
    // What was saved is what the file holds, by whom.
    const std::optional<Note> held = noteOn(db.connection(), {Side::Bank, "T1", kApril2});
    ASSERT_TRUE(held);
    EXPECT_EQ(held->text, "credited twice");
    EXPECT_EQ(held->status, Status::Explained);
    EXPECT_EQ(held->who, "ravi");
}

TEST_F(NoteScreenTest, TheDialogOpensOnTheRowsNoteOrOnANewOne) {
    const NoteScreen fresh = screenOn({Side::Orv, "A1", kApril3});
    EXPECT_EQ(fresh.heading(), "Note on ORV entry A1");
    EXPECT_EQ(fresh.status(), Status::Open);
    EXPECT_EQ(fresh.text(), "");
    Note current;
    current.status = Status::Resolved;
    current.text = "paid back on the 9th";
    const NoteScreen again = screenOn({Side::Bank, "T1", kApril2}, current);
    EXPECT_EQ(again.heading(), "Note on bank row T1");
    EXPECT_EQ(again.status(), Status::Resolved);
    EXPECT_EQ(again.text(), "paid back on the 9th");
}

TEST_F(NoteScreenTest, AFileThatCannotBeOpenedIsShownAsTheNotesFailure) {
    const std::string blocked = dir.file("blocked");
    std::ofstream(blocked) << "x";
    NoteScreen screen(blocked + "/ZETTools.db", prompter, {Side::Bank, "T1", kApril2}, std::nullopt);
    EXPECT_FALSE(screen.save(Status::Explained, "never written"));
    EXPECT_EQ(prompter.lastMessage().title, "Note");
    EXPECT_EQ(prompter.lastMessage().icon, Icon::Critical);
    EXPECT_EQ(prompter.lastMessage().text.rfind("Error: ", 0), 0u) << prompter.lastMessage().text;
}

}  // namespace
}  // namespace vesk::notes
