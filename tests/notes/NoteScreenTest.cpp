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

TEST_F(NoteScreenTest, OkSavesTheNoteOrSaysWhyNotAndKeepsTheDialogOpen) {
    struct Case {
        const char* what;
        RowRef row;
        Status status;
        std::string text;
        std::string refusal;  ///< what the person is told; "" when saved
    };
    const auto bank = [](const char* id) { return RowRef{Side::Bank, id, kApril2}; };
    const Case cases[] = {
        {"a bank row", bank("T1"), Status::Explained, "  credited twice\t", ""},
        {"an ORV entry, its ID in other letters", RowRef{Side::Orv, "a1", kApril3}, Status::Resolved, "", ""},
        {"the same again", bank("T1"), Status::Explained, "credited twice", ""},
        {"no such row", bank("T9"), Status::Open, "x",
         "No bank row of 02/04/2025 has the ID 'T9', so no note was set."},
        {"no such entry", RowRef{Side::Orv, "T1", kApril2}, Status::Open, "x",
         "No ORV entry of 02/04/2025 has the ID 'T1', so no note was set."},
        {"too long", bank("T1"), Status::Open, std::string(kLongestNote + 1, 'x'),
         "A note holds at most 2,000 characters; this one has 2,001."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NoteScreen screen = screenOn(c.row);
        const std::size_t said = prompter.messages().size();
        const std::optional<Note> saved = screen.save(c.status, c.text);
        if (!c.refusal.empty()) {
            EXPECT_FALSE(saved);
            ASSERT_EQ(prompter.messages().size(), said + 1);
            EXPECT_EQ(prompter.lastMessage().text, c.refusal);
            EXPECT_EQ(prompter.lastMessage().title, "Note");
            EXPECT_EQ(prompter.lastMessage().icon, Icon::Exclamation);
            continue;
        }
        ASSERT_TRUE(saved);
        EXPECT_EQ(prompter.messages().size(), said);  // a saved note closes the dialog without a word
        EXPECT_EQ(saved->status, c.status);
        EXPECT_EQ(saved->text, noteText(c.text));
        EXPECT_EQ(saved->who, "ravi");
        EXPECT_EQ(saved->office, "Hill SO");
    }
    // What the first cases saved is what the file holds.
    const std::optional<Note> held = noteOn(db.connection(), {Side::Bank, "T1", kApril2});
    ASSERT_TRUE(held);
    EXPECT_EQ(held->text, "credited twice");
    EXPECT_EQ(held->status, Status::Explained);
}

TEST_F(NoteScreenTest, TheDialogOpensOnTheRowsNoteOrOnANewOne) {
    const NoteScreen fresh = screenOn({Side::Orv, "A1", kApril3});
    EXPECT_EQ(fresh.heading(), "Note on ORV entry A1");
    EXPECT_EQ(fresh.status(), Status::Open);
    EXPECT_EQ(fresh.text(), "");

    Note current;
    current.side = Side::Bank;
    current.id = "T1";
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
