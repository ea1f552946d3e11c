#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "app/cli/CliRunner.h"
#include "core/Platform.h"
#include "history/HistoryWording.h"
#include "history/ImportHistory.h"
#include "notes/NoteScreen.h"
#include "notes/NoteWording.h"
#include "notes/Notes.h"
#include "review/OpenItems.h"
#include "review/ReviewDatabase.h"
#include "store/Schema.h"
#include "store/StoreTestSupport.h"
#include "support/ChildProcess.h"
#include "support/ScriptedPrompter.h"

namespace vesk::notes {
namespace {

using test::ReviewDatabase;

const DateTime kMonday{2025, 5, 5, 9, 30, 0};
const DateTime kTuesday{2025, 5, 6, 16, 45, 10};

// Every column of the imported rows, to show that notes never touch them.
std::string rowsOf(store::Connection& db) {
    std::string out;
    for (const char* table : {"veskfinacle", "orvtable"}) {
        const store::ResultSet rs = db.query(std::string("SELECT * FROM ") + table + " ORDER BY rowid");
        for (std::size_t r = 0; r < rs.rowCount(); ++r)
            for (const store::Value& v : rs.row(r)) out += v.toText() + "|";
    }
    return out;
}

// A month's file with what every notes test reads back: the note records, newest first, and
// the notes listed as "cell|cell|..." without their Changed cell.
class NotesFileTest : public ::testing::Test {
  protected:
    std::vector<history::Record> noteRecords() {
        std::vector<history::Record> out;
        for (const history::Record& r : history::records(db.connection()))
            if (r.note) out.push_back(r);
        return out;
    }

    std::vector<std::string> listing() {
        std::vector<std::string> out;
        for (const ListedNote& n : listNotes(db.connection())) {
            std::vector<std::string> cells = noteCells(n);
            cells.pop_back();
            std::string line;
            for (const std::string& c : cells) line += (line.empty() ? "" : "|") + c;
            out.push_back(line);
        }
        return out;
    }

    test::TempDir dir;
    ReviewDatabase db{dir};
};

class NotesTest : public NotesFileTest {
  protected:
    void SetUp() override {
        db.importBank({ReviewDatabase::entry("T1", "02/04/2025", "500"),
                       ReviewDatabase::entry("T2", "30/04/2025", "750.25", false)});
        db.importOrv({ReviewDatabase::entry("A1", "02/04/2025", "500")});
    }

    SetResult set(Side side, const std::string& id, NoteEdit edit, const DateTime& when = kMonday) {
        return setNote(db.connection(), side, id, edit, "ravi", when);
    }
};

TEST_F(NotesTest, EachChangeIsSavedOrRefusedAndNothingElseIsWritten) {
    const std::string longest(kLongestNote, 'x');
    // 2,000 characters of two bytes each are still 2,000 characters.
    std::string wide;
    for (std::size_t i = 0; i < kLongestNote; ++i) wide += "\u00e9";
    struct Case {
        const char* what;
        Side side;
        std::string id;
        NoteEdit edit;
        Outcome outcome;
        std::string note;     // "status|text" afterwards; "" for none
        std::size_t records;  // note records in the history afterwards
    };
    using O = Outcome;
    using S = Status;
    const std::vector<Case> cases = {
        {"a new note is Open", Side::Bank, "T1", {std::nullopt, "booked late"}, O::Saved, "Open|booked late", 1},
        {"the status alone", Side::Bank, "T1", {S::Explained, std::nullopt}, O::Saved, "Explained|booked late", 2},
        {"the same again", Side::Bank, "t1", {S::Explained, " booked late "}, O::Unchanged, "Explained|booked late", 2},
        {"breaks and tabs", Side::Orv, "A1", {S::Resolved, "paid\r\nby\tus"}, O::Saved, "Resolved|paid  by us", 3},
        {"an ID only the other side has", Side::Orv, "T2", {S::Open, "x"}, O::UnknownRow, "", 3},
        {"2,000 characters fit", Side::Bank, "T2", {std::nullopt, longest}, O::Saved, "Open|" + longest, 4},
        {"2,000 two-byte characters fit", Side::Bank, "T2", {std::nullopt, wide}, O::Saved, "Open|" + wide, 5},
        {"2,001 characters do not", Side::Bank, "T2", {S::Resolved, longest + "y"}, O::TooLong, "Open|" + wide, 5},
    };
    const std::string rows = rowsOf(db.connection());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SetResult r = set(c.side, c.id, c.edit);
        EXPECT_EQ(r.outcome, c.outcome);
        const std::optional<Note> note = findNote(db.connection(), c.side, c.id).note;
        EXPECT_EQ(note ? std::string(statusText(note->status)) + "|" + note->text : "", c.note);
        EXPECT_EQ(noteRecords().size(), c.records);
        EXPECT_EQ(r.length, c.outcome == Outcome::TooLong ? kLongestNote + 1 : 0u);  // said only when too long
    }
    EXPECT_EQ(rowsOf(db.connection()), rows);
    // The note keeps the row's spelling of the ID and who set it when.
    const std::optional<Note> t1 = findNote(db.connection(), Side::Bank, "t1").note;
    ASSERT_TRUE(t1);
    EXPECT_EQ(t1->id, "T1");
    EXPECT_EQ(t1->office, "Hill SO");
    EXPECT_EQ(changedText(*t1), "2025-05-05 09:30:00 by ravi");
}

TEST_F(NotesTest, TheHistoryRecordsEveryChangeWithItsRowsMonth) {
    ASSERT_EQ(set(Side::Bank, "T2", {std::nullopt, "ORV lacks it"}).outcome, Outcome::Saved);
    ASSERT_EQ(set(Side::Bank, "T2", {Status::Explained, std::nullopt}, kTuesday).outcome, Outcome::Saved);
    const std::vector<history::Record> recorded = noteRecords();  // newest first
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].action, history::Action::BankNoteChange);
    EXPECT_EQ(recorded[0].when, kTuesday);
    EXPECT_EQ(history::periodText(recorded[0]), "April 2025");
    EXPECT_EQ(recorded[0].note, (history::StatusChange{"T2", "Open", "Explained"}));
    EXPECT_EQ(recorded[1].note, (history::StatusChange{"T2", "", "Open"}));
    EXPECT_EQ(history::nameText(recorded[0]), "T2: Open \u2192 Explained");
    EXPECT_EQ(history::nameText(recorded[1]), "T2: new \u2192 Open");
    // The bank form's history holds it; ORV's does not.
    EXPECT_EQ(history::records(db.connection(), history::Form::Ctr).front().note, recorded[0].note);
    EXPECT_FALSE(history::records(db.connection(), history::Form::Orv).front().note);
}

TEST_F(NotesTest, NotesOutliveTheDeletionAndReimportOfTheirMonth) {
    ASSERT_EQ(set(Side::Bank, "T2", {Status::Explained, "bank reversed it"}).outcome, Outcome::Saved);
    ASSERT_EQ(set(Side::Orv, "A1", {Status::Open, std::nullopt}).outcome, Outcome::Saved);
    const std::vector<std::string> held = {"VESK|T2|30/04/2025|Hill SO|750.25|Explained|bank reversed it",
                                           "ORV|A1|02/04/2025|Hill SO|500.00|Open|"};
    // Sorted by date: A1 of the 2nd first.
    EXPECT_EQ(listing(), (std::vector<std::string>{held[1], held[0]}));

    ASSERT_GT(report::deleteMonth(db.connection(), ctr::bankReport(), {2025, 4}), 0);
    EXPECT_EQ(listing(), (std::vector<std::string>{held[1], "VESK|T2||Hill SO||Explained|bank reversed it"}));
    // A note whose row is gone can still be settled.
    EXPECT_EQ(set(Side::Bank, "T2", {Status::Resolved, std::nullopt}).outcome, Outcome::Saved);

    db.importBank({ReviewDatabase::entry("T2", "30/04/2025", "750.25", false)});
    EXPECT_EQ(listing(),
              (std::vector<std::string>{held[1], "VESK|T2|30/04/2025|Hill SO|750.25|Resolved|bank reversed it"}));
}

// A program (args: the file) run by a user the system lets only read it, setting a note; its
// status says whether it was refused as it should be.
VESK_CHILD_ROUTINE(setsANoteItCannotWrite) {
    platform::dropAdministratorRights();
    store::Connection readOnly;
    readOnly.open(args.at(0));
    return setNote(readOnly, Side::Bank, "T1", {Status::Explained, "x"}, "ravi", kMonday).outcome == Outcome::ReadOnly
               ? 0
               : 1;
}

TEST_F(NotesTest, AFileThatCannotBeWrittenIsRefusedClearly) {
    db.connection().execute("PRAGMA query_only = ON");
    const SetResult r = set(Side::Bank, "T1", {Status::Explained, "x"});
    EXPECT_EQ(r.outcome, Outcome::ReadOnly);
    EXPECT_EQ(refusalText(r, Side::Bank, "T1", "/data/ZETTools.db"),
              "The database file '/data/ZETTools.db' cannot be written, so the note was not saved.");
    db.connection().execute("PRAGMA query_only = OFF");
    EXPECT_FALSE(findNote(db.connection(), Side::Bank, "T1").note);
    EXPECT_TRUE(noteRecords().empty());

    // A file the system lets no one write is refused the same way.
    if (!platform::accessRightsHold())
        GTEST_SKIP() << "wine keeps no access rights on files and lets root past a read-only file";
    const std::string path = db.connection().path();
    db.connection().close();
    platform::shareWithOthers(platform::utf8(platform::fsPath(path).parent_path()));
    platform::shareWithOthers(path);
    platform::setReadOnly(path, true);
    EXPECT_EQ(test::ChildProcess("setsANoteItCannotWrite", {path}).wait(), 0);
    platform::setReadOnly(path, false);
}

// The verbs reach the domain: a note set and listed, one refusal on the error stream; the
// options are the command line's tests.
TEST_F(NotesTest, TheCommandLineSetsListsAndRefuses) {
    const std::string path = db.connection().path();
    db.connection().close();
    const std::string header = "Side\tID\tDate\tOffice Name\tAmount\tStatus\tNote\tChanged\n";

    auto r = cli::runCli({"--db", path, "note", "bank", "t2", "--text", "keyed twice?"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(r.out.starts_with(header + "VESK\tT2\t30/04/2025\tHill SO\t750.25\tOpen\tkeyed twice?\t")) << r.out;
    EXPECT_TRUE(r.out.ends_with(" by " + loginName() + "\n")) << r.out;

    r = cli::runCli({"--db", path, "note", "bank", "T99", "--status", "open"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("No bank row has the ID 'T99', so no note was set.\n"), std::string::npos) << r.err;
    r = cli::runCli({"--db", path, "note", "bank", "T1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "No note is on bank row T1.\n");

    r = cli::runCli({"--db", path, "notes"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.starts_with(header + "VESK\tT2\t30/04/2025\tHill SO\t750.25\tOpen\tkeyed twice?\t"));
}

TEST_F(NotesTest, AFileOfTheEarlierLayoutGainsNotesOnceAndKeepsItsHistory) {
    const std::string path = db.connection().path();
    test::makeLayoutBeforeNotes(db.connection());
    const std::size_t before = history::records(db.connection()).size();
    ASSERT_EQ(before, 2u);  // the two imports
    EXPECT_EQ(set(Side::Bank, "T1", {Status::Open, std::nullopt}).outcome,
              Outcome::ReadOnly);  // no table: as read-only
    db.connection().close();

    store::Connection upgraded;
    upgraded.open(path);
    EXPECT_EQ(upgraded.scalar("PRAGMA user_version"), store::Value(store::kSchemaVersion));
    EXPECT_EQ(history::records(upgraded).size(), before);
    EXPECT_EQ(setNote(upgraded, Side::Bank, "T1", {Status::Explained, "ok"}, "ravi", kMonday).outcome, Outcome::Saved);
    upgraded.close();

    store::Connection again;  // nothing migrated twice
    again.open(path);
    EXPECT_EQ(history::records(again).size(), before + 1);
    EXPECT_EQ(findNote(again, Side::Bank, "T1").note->text, "ok");
}

// An ID the bank used in April and again in May.
class SharedIdTest : public NotesFileTest {
  protected:
    void SetUp() override {
        db.importBank(
            {ReviewDatabase::entry("T5", "02/04/2025", "100"), ReviewDatabase::entry("T1", "03/04/2025", "9")});
        db.importBank({ReviewDatabase::entry("T5", "03/05/2025", "200")});
    }

    SetResult set(const std::string& row, Status status, const std::string& text = "") {
        const NoteEdit edit{status, text.empty() ? std::nullopt : std::optional(text)};
        return setNote(db.connection(), Side::Bank, row, edit, "ravi", {2025, 6, 1});
    }

    std::vector<std::string> open() {
        std::vector<std::string> out;
        for (const review::OpenItem& i : review::openItems(db.connection(), daysFromCivil(2025, 6, 30)).items)
            out.push_back(i.line.id + " " + dayText(i.line.day));
        return out;
    }
};

TEST_F(SharedIdTest, WithoutItsDateTheIdIsRefusedListingItsDatesAndWithItOneRowIsNoted) {
    struct Case {
        const char* row;
        Outcome outcome;
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {"T5", Outcome::AmbiguousRow,
         "Bank rows of 02/04/2025 and 03/05/2025 have the ID 'T5', so no note was set: name one as T5@02/04/2025."},
        {"t5@04/05/2025", Outcome::NotOnDate,
         "No bank row of 04/05/2025 has the ID 't5' (it is held on 02/04/2025 and 03/05/2025), so no note was set."},
        {"T7@03/05/2025", Outcome::UnknownRow, "No bank row of 03/05/2025 has the ID 'T7', so no note was set."},
        {"T5@3/5/2025", Outcome::Saved, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const SetResult r = set(c.row, Status::Explained, "credited in June");
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(refusalText(r, Side::Bank, c.row, ""), c.refusal);
        EXPECT_EQ(noteRecords().size(), c.outcome == Outcome::Saved ? 1u : 0u);
    }
    // The May row alone is settled; the April row with its ID stays open.
    EXPECT_EQ(open(), (std::vector<std::string>{"T5 02/04/2025", "T1 03/04/2025"}));
    EXPECT_EQ(listing(), (std::vector<std::string>{"VESK|T5|03/05/2025|Hill SO|200.00|Explained|credited in June"}));
    EXPECT_EQ(history::periodText(history::records(db.connection()).front()), "May 2025");
    // The explanation's rows know their note by their date.
    ASSERT_EQ(setNote(db.connection(), RowRef{Side::Bank, "T5", daysFromCivil(2025, 4, 2)}, {Status::Open, "asked"},
                      "ravi", {2025, 6, 2})
                  .outcome,
              Outcome::Saved);
    for (const auto& [month, text] : {std::pair{4, "asked"}, std::pair{5, "credited in June"}}) {
        const compare::Explanation e = compare::explainOffices(db.connection(), {2025, month}, {"Hill SO"});
        const auto t5 =
            std::find_if(e.lines.begin(), e.lines.end(), [](const compare::ExplainedLine& l) { return l.id == "T5"; });
        ASSERT_NE(t5, e.lines.end());
        ASSERT_TRUE(t5->note);
        EXPECT_EQ(t5->note->text, text);
    }

    // A note whose row went stays, found by its date; the ID alone names the row still held.
    ASSERT_GT(report::deleteMonth(db.connection(), ctr::bankReport(), {2025, 5}), 0);
    EXPECT_EQ(listing(), (std::vector<std::string>{"VESK|T5|02/04/2025|Hill SO|100.00|Open|asked",
                                                   "VESK|T5||Hill SO||Explained|credited in June"}));
    EXPECT_EQ(findNote(db.connection(), Side::Bank, "T5").note->text, "asked");
    EXPECT_EQ(set("T5@03/05/2025", Status::Resolved).outcome, Outcome::Saved);
    EXPECT_EQ(listing().back(), "VESK|T5||Hill SO||Resolved|credited in June");
}

TEST_F(SharedIdTest, ANoteKeptByIdGoesOntoEveryHeldRowWithItAndOneWithoutRowsStays) {
    db.importBank({ReviewDatabase::entry("T9", "04/06/2025", "5")});
    ASSERT_EQ(set("T5@02/04/2025", Status::Explained, "one note for both").outcome, Outcome::Saved);
    ASSERT_EQ(set("T9", Status::Open, "gone soon").outcome, Outcome::Saved);
    ASSERT_GT(report::deleteMonth(db.connection(), ctr::bankReport(), {2025, 6}), 0);
    const std::string path = db.connection().path();
    test::makeLayoutBeforeHandPairs(db.connection());
    db.connection().close();

    // Read as it is, the older file's notes are on their IDs: both rows of T5 are settled.
    {
        store::Connection old;
        old.openWithoutUpgrade(path);
        const NoteBook book = NoteBook::read(old);
        for (int m : {4, 5}) {
            const Note* n = book.find(Side::Bank, "t5", m == 4 ? daysFromCivil(2025, 4, 2) : daysFromCivil(2025, 5, 3));
            ASSERT_TRUE(n);
            EXPECT_EQ(n->text, "one note for both");
        }
        EXPECT_EQ(setNote(old, Side::Bank, "T1", {Status::Open, "x"}, "ravi", {2025, 6, 1}).outcome, Outcome::ReadOnly);
    }
    db.connection().open(path);
    EXPECT_EQ(db.connection().scalar("PRAGMA user_version"), store::Value(store::kSchemaVersion));
    EXPECT_EQ(listing(), (std::vector<std::string>{"VESK|T5|02/04/2025|Hill SO|100.00|Explained|one note for both",
                                                   "VESK|T5|03/05/2025|Hill SO|200.00|Explained|one note for both",
                                                   "VESK|T9||Hill SO||Open|gone soon"}));
    EXPECT_EQ(open(), (std::vector<std::string>{"T1 03/04/2025"}));
    // Each row's note is its own from now on.
    EXPECT_EQ(set("T5@03/05/2025", Status::Open).outcome, Outcome::Saved);
    EXPECT_EQ(open(), (std::vector<std::string>{"T1 03/04/2025", "T5 03/05/2025"}));
    // A note with no row is the one the ID names, while no row has the ID.
    EXPECT_EQ(set("T9", Status::Resolved).outcome, Outcome::Saved);
    EXPECT_EQ(listing().back(), "VESK|T9||Hill SO||Resolved|gone soon");
}

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

// An amount-differs pair is one difference: a note on either row goes on both once the person
// agrees, and open items let a note that explains one row close the other.
TEST_F(NoteScreenTest, ANoteOnAPairedRowGoesOnBothRowsOnceAskedAndOpenItemsFollow) {
    db.importBank({ReviewDatabase::entry("T4", "09/04/2025", "80")});
    db.importOrv({ReviewDatabase::entry("A4", "09/04/2025", "79.50")});
    const long long april9 = daysFromCivil(2025, 4, 9);
    const RowRef bank{Side::Bank, "T4", april9}, orv{Side::Orv, "A4", april9};
    const auto open = [&] {
        store::Connection fresh;
        fresh.open(dir.file("ZETTools.db"));
        std::vector<std::string> ids;
        for (const review::OpenItem& i : review::openItems(fresh, april9 + 30).items)
            if (i.line.day == april9) ids.push_back(i.line.id);
        return ids;
    };
    ASSERT_EQ(open(), (std::vector<std::string>{"T4", "A4"}));

    NoteScreen screen = screenOn(bank);
    prompter.queueAnswer(Answer::No);
    ASSERT_TRUE(screen.save(Status::Explained, "keyed 80 for 79.50"));
    EXPECT_EQ(prompter.lastMessage().text, "The rules paired bank row T4 with ORV entry A4.\r\nNote both rows?");
    EXPECT_EQ(prompter.lastMessage().defaultAnswer, Answer::Yes);
    EXPECT_FALSE(noteOn(db.connection(), orv));
    EXPECT_TRUE(screen.pairedSaved().empty());
    EXPECT_TRUE(open().empty());

    prompter.queueAnswer(Answer::Yes);
    ASSERT_TRUE(screen.save(Status::Explained, "keyed 80 for 79.50"));
    ASSERT_EQ(screen.pairedSaved().size(), 1u);
    const std::optional<Note> partner = noteOn(db.connection(), orv);
    ASSERT_TRUE(partner);
    EXPECT_EQ(partner->status, Status::Explained);
    EXPECT_EQ(partner->text, "keyed 80 for 79.50");
    // Both rows alike: nothing more to ask.
    const std::size_t said = prompter.messages().size();
    ASSERT_TRUE(screen.save(Status::Explained, "keyed 80 for 79.50"));
    EXPECT_EQ(prompter.messages().size(), said);

    // The command line asks the same; a script's No leaves the partner, --yes notes both.
    const std::string path = dir.file("ZETTools.db");
    db.connection().close();
    auto r = cli::runCli({"--db", path, "note", "orv", "A4", "--status", "open"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Note both rows?"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.out;
    EXPECT_TRUE(open().empty());
    r = cli::runCli({"--db", path, "note", "orv", "A4", "--status", "open", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\nVESK\tT4\t09/04/2025\tHill SO\t80.00\tOpen\tkeyed 80 for 79.50\t"), std::string::npos)
        << r.out;
    EXPECT_EQ(open(), (std::vector<std::string>{"T4", "A4"}));
}

}  // namespace
}  // namespace vesk::notes
