#include <gtest/gtest.h>

#include <functional>

#include "app/cli/CliRunner.h"
#include "core/Amount.h"
#include "ctr/BankWording.h"
#include "history/HistoryWording.h"
#include "history/ImportHistory.h"
#include "notes/Notes.h"
#include "pairs/HandPairs.h"
#include "report/ReportFiles.h"
#include "report/ReportFlows.h"
#include "review/CloseFlows.h"
#include "review/MonthClose.h"
#include "review/ReviewWording.h"
#include "review/StoredPairing.h"
#include "store/StoreTestSupport.h"
#include "store/StoredRows.h"
#include "support/ErrorOf.h"
#include "support/MonthDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace vesk::review {
namespace {

long long closeTestDay(int y, int m, int d) { return daysFromCivil(y, m, d); }

std::vector<std::string> closeTestLines(const std::array<StatementFigures, kStatementLineCount>& lines) {
    std::vector<std::string> out;
    for (StatementLine l : kStatementLines) {
        std::string text;
        for (const std::string& cell : statementCells(l, lines[std::size_t(l)]))
            text += (text.empty() ? "" : "|") + cell;
        out.push_back(text);
    }
    return out;
}

// How each item of a statement stands: "B4 cleared timing", "B1 carried forward".
std::vector<std::string> closeTestItems(const MonthStatement& s) {
    std::vector<std::string> out;
    for (const StatementItem& i : s.items) {
        const std::vector<std::string> cells = statementItemCells(i);
        out.push_back(i.item.id + " " + cells[0] + (i.how ? " " + cells.back() : "") + " since " + cells[1]);
    }
    return out;
}

// April: B1 and B4 open at its close, B3 matched with R2; May: B5 matched with R4. The scope is
// the head office Hill HO.
class CloseTest : public ::testing::Test {
  public:
    void SetUp() override {
        db.office("100", "Hill HO", "HPO", "Rampur DO", "F0");
        db.office("101", "Hill SO", "SO", "Hill HO", "F1");
        db.configure("Hill HO");
        bank("B1", "2025-04-15", 90);
        bank("B3", "2025-04-22", 60);
        orv("R2", "2025-04-22", "60");
        bank("B4", "2025-04-30", 80);
        bank("B5", "2025-05-05", 1000);
        orv("R4", "2025-05-05", "1000");
    }

    void bank(const std::string& id, const std::string& date, double amount) {
        db.row(store::Table::Finacle, {{"tran_id", id},
                                       {"value_date", date},
                                       {"Tran_Date", date},
                                       {"CASH_TRAN_TYPE", "DEPOSIT"},
                                       {"TRAN_AMT", amount},
                                       {"FACILITY_ID", "F1"}});
    }
    void orv(const std::string& id, const std::string& date, const std::string& amount) {
        db.row(store::Table::Orv, {{"treasury_tran_id", id},
                                   {"try_posting_date", date},
                                   {"office_id", "101"},
                                   {"receipt_or_payment", "Receipt"},
                                   {"tot_amount", amount}});
    }

    CloseOutcome close(Period p, int day = 3, bool yes = true) {
        return close(p, day, [yes](const MonthStatement&) { return yes; });
    }
    CloseOutcome close(Period p, int day, const ConfirmClose& confirm) {
        return closeMonth(db.connection(), p, "ravi", confirm, [day] { return DateTime{2025, 6, day, 10, 30}; });
    }

    // B4 paired by hand with R2 (their sums differ) by `who`.
    void pairByHand(const std::string& who) {
        pairs::PairRequest request = pairs::PairRequest::named({"B4"}, {"R2"});
        request.acceptDifference = true;
        ASSERT_TRUE(pairs::makePair(db.connection(), request, who, {2025, 6, 6}).pair);
    }

    // What a refused or declined step must leave as it was.
    std::string written() {
        store::Connection& c = db.connection();
        return std::to_string(c.scalar("SELECT COUNT(*) FROM month_closes").toInt()) + "/" +
               std::to_string(c.scalar("SELECT COUNT(*) FROM month_closes WHERE reopened_at IS NULL").toInt()) + "/" +
               std::to_string(history::records(c).size());
    }

    test::TempDir dir;
    test::MonthDatabase db{dir.file("ZETTools.db")};
};

// A close keeps the statement as it was; the next month's rows that pair one of its rows change
// the month, not what was closed, and the next statement clears the item by timing.
TEST_F(CloseTest, TheNextMonthsImportPairingATimingRowChangesTheClosedMonth) {
    const MonthStatement april = currentStatement(db.connection(), {2025, 4});
    const CloseOutcome made = close({2025, 4});
    ASSERT_FALSE(made.refused);
    ASSERT_TRUE(made.close);
    const std::optional<MonthClose> kept = standingClose(db.connection(), {2025, 4});
    ASSERT_TRUE(kept);
    EXPECT_EQ(closeTestLines(kept->lines), closeTestLines(april.lines));
    EXPECT_EQ(kept->monthDigest, april.monthDigest);
    // Taken from the stored keys alone: a label reworded in a listing leaves it as it is.
    EXPECT_EQ(april.monthDigest, "851d51505812032a120db3d39d5230195dfabef4277c73266f730e88508eff6d");
    EXPECT_EQ(kept->digestVersion, kMonthDigestVersion);
    // The first formula, as the closes of earlier builds hold it: another value would show each
    // of them changed.
    EXPECT_EQ(monthDigestOf(db.connection(), {2025, 4}, 1),
              "669642687a2706978eb2b0f782850fc2e46f333ee1d9437c2a5901bc52695600");
    EXPECT_EQ(kept->previousDigest, "");
    std::vector<std::string> carried;
    for (const CarriedItem& i : kept->carried) carried.push_back(i.id + "@" + dayText(i.day));
    EXPECT_EQ(carried, (std::vector<std::string>{"B1@15/04/2025", "B4@30/04/2025"}));
    EXPECT_EQ(closeState(db.connection(), *kept), CloseState::Closed);
    const std::vector<history::Record> recorded = history::records(db.connection(), history::Form::Closes);
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].action, history::Action::MonthClosed);
    EXPECT_EQ(recorded[0].rows, 2);
    EXPECT_EQ(closedOnLine(*kept), "Closed on 03/06/2025 10:30 by ravi, digest " + kept->digest.substr(0, 16));

    // May's import brings the entry B4 was waiting for.
    orv("R3", "2025-05-02", "80");
    EXPECT_EQ(closeState(db.connection(), *kept), CloseState::Changed);
    EXPECT_EQ(closeTestLines(standingClose(db.connection(), {2025, 4})->lines), closeTestLines(april.lines));
    const MonthStatement may = currentStatement(db.connection(), {2025, 5});
    EXPECT_EQ(closeTestItems(may),
              (std::vector<std::string>{"B4 cleared timing since 2025-04", "B1 carried forward since 2025-04"}));
    // (The roll-forward's figures are the statement's own, checked with it.)
    // Shown without a digest, the statement builds only the month's exceptions, to the same end.
    const ShownStatement shown = shownStatement(db.connection(), {2025, 5}, true, DateTime{2025, 6, 4});
    EXPECT_EQ(closeTestLines(shown.statement.lines), closeTestLines(may.lines));
    std::vector<std::vector<std::string>> mayItems;
    for (const StatementItem& i : may.items) mayItems.push_back(statementItemCells(i));
    EXPECT_EQ(shown.items, mayItems);

    // May's close follows April's in the chain; a note on a closed month's row is taken as it
    // is, and the month then shows changed.
    const CloseOutcome mayClose = close({2025, 5}, 4);
    ASSERT_TRUE(mayClose.close);
    EXPECT_EQ(mayClose.close->previousDigest, kept->digest);
    EXPECT_EQ(closeChainFaults(db.connection()), std::vector<std::string>{});
    EXPECT_EQ(closeState(db.connection(), *mayClose.close), CloseState::Closed);
    ASSERT_EQ(notes::setNote(db.connection(), {notes::Side::Bank, "B5", closeTestDay(2025, 5, 5)},
                             {notes::Status::Explained, "late deposit"}, "ravi", DateTime{2025, 6, 5})
                  .outcome,
              notes::Outcome::Saved);
    EXPECT_EQ(closeState(db.connection(), *mayClose.close), CloseState::Changed);
}

// Each refusal in its order, and a declined close: nothing written, the question not put.
TEST_F(CloseTest, EveryRefusalInItsOrderWritesNothing) {
    struct Case {
        Period closedFirst;   // none: a year of 0
        const char* onlyRow;  // a month's only row: "B" a bank row, "R" an ORV entry, and its date
        Period month;
        std::optional<CloseRefusal> refused;  // none: declined
        const char* told;
    };
    const Case cases[] = {
        {{2025, 4},
         nullptr,
         {2025, 4},
         CloseRefusal::AlreadyClosed,
         "April 2025 was closed on 03/06/2025 by ravi already."},
        {{2025, 5},
         nullptr,
         {2025, 4},
         CloseRefusal::LaterClosed,
         "May 2025, a later month, is closed: reopen it first."},
        {{2025, 5}, nullptr, {2025, 3}, CloseRefusal::LaterClosed, nullptr},  // before missing rows
        {{0, 0},
         "R2025-06-10",
         {2025, 6},
         CloseRefusal::NoBankRows,
         "No bank rows are held for June 2025: it cannot be closed."},
        {{0, 0},
         "B2025-07-10",
         {2025, 7},
         CloseRefusal::NoOrvEntries,
         "No ORV entries are held for July 2025: it cannot be closed."},
        {{0, 0}, nullptr, {2025, 8}, CloseRefusal::NoBankRows, nullptr},  // no rows at all
        {{0, 0}, nullptr, {2025, 4}, std::nullopt, nullptr},              // declined
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        if (c.closedFirst.year) close(c.closedFirst);
        if (c.onlyRow && c.onlyRow[0] == 'B') bank("B9", c.onlyRow + 1, 5);
        if (c.onlyRow && c.onlyRow[0] == 'R') orv("R9", c.onlyRow + 1, "5");
        const std::string before = written();
        bool asked = false;
        const CloseOutcome out = closeMonth(
            db.connection(), c.month, "ravi",
            [&](const MonthStatement&) {
                asked = true;
                return false;
            },
            [] {
                return DateTime{2025, 6, 9};
            });
        EXPECT_EQ(out.refused, c.refused);
        EXPECT_EQ(asked, !c.refused);
        EXPECT_EQ(out.declined, !c.refused);
        EXPECT_EQ(written(), before);
        if (c.told) {
            EXPECT_EQ(closeRefusedMessage(*c.refused, out.statement, out.close).text, c.told);
        }
        // Back to no closes standing.
        for (const MonthClose& m : monthCloses(db.connection())) reopenMonth(db.connection(), m.period, "ravi");
    }
}

// Another program closes the month while this one asks: the close that comes second is refused
// at its last step, naming the first, and the month keeps the one close.
TEST_F(CloseTest, AMonthClosedMeanwhileByAnotherProgramIsNotClosedTwice) {
    store::Connection other;
    other.open(dir.file("ZETTools.db"));
    const std::size_t records = history::records(db.connection()).size();
    const CloseOutcome out = closeMonth(
        db.connection(), {2025, 4}, "ravi",
        [&](const MonthStatement&) {
            const CloseOutcome first = closeMonth(
                other, {2025, 4}, "asha", [](const MonthStatement&) { return true; },
                [] {
                    return DateTime{2025, 6, 2};
                });
            return first.close && !first.refused;
        },
        [] {
            return DateTime{2025, 6, 3};
        });
    EXPECT_EQ(out.refused, CloseRefusal::AlreadyClosed);
    ASSERT_TRUE(out.close);
    EXPECT_EQ(out.close->closedBy, "asha");
    EXPECT_FALSE(out.close->carried.empty());  // the close in the way is read whole
    const std::vector<MonthClose> closes = monthCloses(db.connection());
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].closedBy, "asha");
    EXPECT_EQ(written(), "1/1/" + std::to_string(records + 1));  // only the first close recorded
}

// Another program imports the month's bank rows again, with one row more, while the person is
// asked: the answer comes too late for the statement they saw, and nothing is closed.
TEST_F(CloseTest, AMonthChangedWhileThePersonIsAskedIsNotClosed) {
    std::vector<test::Entry> rows = {{"B1", test::RawCell("15/04/2025"), true, "90", ""},
                                     {"B3", test::RawCell("22/04/2025"), true, "60", ""},
                                     {"B4", test::RawCell("30/04/2025"), true, "80", ""},
                                     {"B9", test::RawCell("30/04/2025"), true, "5", ""}};
    test::writeReport(dir.file("april.xlsx"), test::bankShape(), rows);
    store::Connection other;
    other.open(dir.file("ZETTools.db"));
    const std::size_t records = history::records(db.connection()).size();
    MonthStatement asked;
    const CloseOutcome out = close({2025, 4}, 3, [&](const MonthStatement& s) {
        asked = s;
        report::importMonth(other, ctr::bankCtr().description, dir.file("april.xlsx"),
                            [](const report::MonthImport&, const std::optional<DateTime>&) { return true; });
        return true;
    });
    ASSERT_EQ(out.refused, CloseRefusal::ChangedMeanwhile);
    EXPECT_EQ(written(), "0/0/" + std::to_string(records + 1));  // the import alone
    EXPECT_NE(out.statement.monthDigest, asked.monthDigest);
    EXPECT_EQ(closeRefusedMessage(*out.refused, out.statement, out.close).text,
              "The statement of April 2025 changed while you were asked (another program changed the file): nothing "
              "was closed. Look at the statement as it is now and close the month again.");
    // Asked again, the month closes as it is now.
    EXPECT_TRUE(close({2025, 4}).close);
}

// Two offices of the master under one facility each take the bank's rows of it, so the month's
// make-up holds those rows twice and no longer adds up to what the bank recorded: the close is
// refused and names what is left, before the question.
TEST_F(CloseTest, AMakeUpThatDoesNotAddUpToTheDifferenceIsRefused) {
    db.office("102", "Hill SO Annexe", "SO", "Hill HO", "F1");
    const std::string before = written();
    bool asked = false;
    const CloseOutcome out = closeMonth(
        db.connection(), {2025, 4}, "ravi",
        [&](const MonthStatement&) {
            asked = true;
            return true;
        },
        [] {
            return DateTime{2025, 6, 9};
        });
    ASSERT_EQ(out.refused, CloseRefusal::Unexplained);
    EXPECT_FALSE(asked);
    EXPECT_EQ(written(), before);
    const StatementFigures& left = out.statement.line(StatementLine::Unexplained);
    EXPECT_NE(amountUnits(left.deposits), 0);
    EXPECT_EQ(closeRefusedMessage(CloseRefusal::Unexplained, out.statement, out.close).text,
              "The statement of April 2025 leaves Unexplained " + formatAmount(left.deposits) +
                  " deposits and 0.00 withdrawals: it cannot be closed.");
}

// A closed month's deletion asks first whether to reopen it; only Yes to both questions changes
// anything, and the chain goes on from a reopened close. (The verbs walk through every question.)
TEST_F(CloseTest, ReopenedByADeletionAndTheChainGoesOn) {
    ASSERT_TRUE(close({2025, 4}).close);
    const store::Opener opener = [this]() -> store::Connection& { return db.connection(); };
    const std::string question = "The month April 2025 was closed on 03/06/2025 by ravi. Reopen it?";
    const report::Report bankCtr = ctr::bankCtr();
    struct Case {
        const char* what;
        std::vector<Answer> answers;
        std::int64_t deleted;
    };
    const Case cases[] = {
        {"not reopened", {Answer::No}, 0},
        {"reopened but the deletion declined", {Answer::Yes, Answer::No}, 0},
        {"reopened and deleted", {Answer::Yes, Answer::Yes}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = written();
        test::ScriptedPrompter prompter;
        for (Answer a : c.answers) prompter.queueAnswer(a);
        EXPECT_EQ(report::deleteReportMonth(opener, prompter, bankCtr, "2025", "Apr",
                                            [] {
                                                return DateTime{2025, 6, 7, 9, 0};
                                            }),
                  c.deleted);
        ASSERT_FALSE(prompter.messages().empty());
        EXPECT_EQ(prompter.messages()[0].text, question);
        EXPECT_EQ(standingClose(db.connection(), {2025, 4}).has_value(), c.deleted == 0);
        if (c.deleted == 0) {
            EXPECT_EQ(written(), before);
        }
    }
    const std::vector<MonthClose> closes = monthCloses(db.connection());
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closeState(db.connection(), closes[0]), CloseState::Reopened);
    EXPECT_EQ(closes[0].reopenedBy, notes::loginName());
    EXPECT_EQ(closedOnLine(closes[0]), "Reopened on 07/06/2025 09:00 after it was closed on 03/06/2025 10:30 by ravi");
    const std::vector<history::Record> recorded = history::records(db.connection(), history::Form::Closes);
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].action, history::Action::MonthReopened);

    // The chain goes on from the reopened close.
    const CloseOutcome again = close({2025, 5}, 8);
    ASSERT_TRUE(again.close);
    EXPECT_EQ(again.close->previousDigest, closes[0].digest);
    EXPECT_EQ(closeChainFaults(db.connection()), std::vector<std::string>{});
}

// Yes to both questions, then the import fails: at a damaged last row, or on a full disk. The
// reopening went with it, so the close still stands and the history has no reopening.
TEST_F(CloseTest, AnImportThatFailsLeavesTheCloseStanding) {
    ASSERT_TRUE(close({2025, 4}).close);
    const store::Opener opener = [this]() -> store::Connection& { return db.connection(); };
    const std::string before = written();
    const test::ReportShape shape = test::bankShape();
    std::vector<test::Entry> damaged = test::monthEntries(5, 2025, 4);
    damaged.back().date = test::RawCell("31/04/2025x");
    test::writeReport(dir.file("damaged.xlsx"), shape, damaged);
    test::writeReport(dir.file("large.xlsx"), shape, test::monthEntries(3000, 2025, 4));
    store::Connection& c = db.connection();
    for (const char* file : {"damaged.xlsx", "large.xlsx"}) {
        SCOPED_TRACE(file);
        // The file may grow by a few pages only: the large month's rows do not fit.
        c.execute("PRAGMA max_page_count = " + std::to_string(c.scalar("PRAGMA page_count").toInt() + 4));
        test::ScriptedPrompter prompter;
        prompter.queueAnswer(Answer::Yes);
        prompter.queueAnswer(Answer::Yes);
        test::errorOf([&] { report::importReport(opener, prompter, shape.report, dir.file(file), 1000); });
        EXPECT_TRUE(standingClose(c, {2025, 4}).has_value());
        EXPECT_EQ(written(), before);
    }
}

// A file of the layout before the closes is brought up to it and takes a close.
TEST_F(CloseTest, AFileOfTheLayoutBeforeTakesAClose) {
    const std::string path = db.connection().path();
    test::makeLayoutBeforeCloses(db.connection());
    db.connection().close();
    {
        store::Connection old;
        old.openWithoutUpgrade(path);
        EXPECT_TRUE(monthCloses(old).empty());
        EXPECT_FALSE(standingClose(old, {2025, 4}));
        EXPECT_EQ(closeChainFaults(old), std::vector<std::string>{});
    }
    db.connection().open(path);
    EXPECT_EQ(db.connection().layoutVersion(), store::kSchemaVersion);
    ASSERT_TRUE(close({2025, 4}).close);
    EXPECT_EQ(monthCloses(db.connection()).size(), 1u);
}

// A close made by an earlier build keeps its month digest's first formula and verifies as it did;
// its version is part of the chained digest, so it cannot be changed unseen.
TEST_F(CloseTest, ACloseOfTheFirstDigestFormulaStillVerifies) {
    store::Connection& c = db.connection();
    ASSERT_TRUE(close({2025, 4}).close);
    MonthClose earlier = monthCloses(c).at(0);
    earlier.digestVersion = 1;
    earlier.monthDigest = monthDigestOf(c, {2025, 4}, 1);
    earlier.digest = closeDigestOf(earlier);
    c.execute("UPDATE month_closes SET digest_version = 1, month_digest = ?1, digest = ?2",
              {earlier.monthDigest, earlier.digest});
    EXPECT_EQ(closeState(c, monthCloses(c).at(0)), CloseState::Closed);
    EXPECT_EQ(closeChainFaults(c), std::vector<std::string>{});

    c.execute("UPDATE month_closes SET digest_version = 2");
    EXPECT_EQ(closeChainFaults(c).size(), 1u);
}

// A month another program closes while the person is asked about the import is not changed.
TEST_F(CloseTest, AMonthClosedWhileTheImportIsAskedIsNotChanged) {
    const store::Opener opener = [this]() -> store::Connection& { return db.connection(); };
    const test::ReportShape shape = test::bankShape();
    test::writeReport(dir.file("april.xlsx"), shape, test::monthEntries(5, 2025, 4));
    test::ScriptedPrompter prompter;
    bool closed = false;
    prompter.onMessage = [&](const Message&) {
        if (std::exchange(closed, true)) return;
        store::Connection other;
        other.open(db.connection().path());
        ASSERT_TRUE(closeMonth(
                        other, {2025, 4}, "asha", [](const MonthStatement&) { return true; },
                        [] {
                            return DateTime{2025, 6, 3, 10, 30};
                        })
                        .close);
    };
    prompter.queueAnswer(Answer::Yes);
    const Error refused =
        test::errorOf([&] { report::importReport(opener, prompter, shape.report, dir.file("april.xlsx"), 1000); });
    EXPECT_EQ(refused.number(), kClosedMeanwhileError);
    const std::optional<MonthClose> standing = standingClose(db.connection(), {2025, 4});
    ASSERT_TRUE(standing);
    EXPECT_EQ(closeState(db.connection(), *standing), CloseState::Closed);
}

// A value a reader cannot take (a key that names nothing, a time that is none, a Null where one is
// needed) is the file's damage, naming its table, row and column, whichever reader meets it.
TEST_F(CloseTest, AValueNoReaderCanTakeIsTheFilesDamageNamingItsPlace) {
    store::Connection& c = db.connection();
    ASSERT_TRUE(close({2025, 4}).close);
    pairByHand("ravi");
    ASSERT_EQ(
        notes::setNote(c, notes::Side::Bank, "B1", {notes::Status::Explained, "late"}, "ravi", {2025, 6, 5}).outcome,
        notes::Outcome::Saved);
    ASSERT_EQ(pairedMonths(c).paired, 2u);  // and stored
    const auto closes = [&] { (void)monthCloses(c); };
    const auto pairs = [&] { (void)pairs::listPairs(c); };
    const auto pairing = [&] { (void)pairedMonths(c); };
    struct Case {
        const char* table;
        const char* column;
        store::Value value;
        std::function<void()> read;
    };
    const Case cases[] = {
        {"month_closes", "closed_at", "the third of June", closes},
        {"month_closes", "digest_version", 3, closes},  // a formula no build knows
        {"month_close_items", "side", "sideways", closes},
        {"hand_pairs", "made_at", "soon", pairs},
        {"paired_exceptions", "day", "Monday", pairing},
        {"notes", "status", "Pending", [&] { (void)notes::NoteBook::read(c); }},
        {"import_history", "period_month", nullptr, [&] { (void)history::records(c); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.table) + "." + k.column);
        const store::Transaction tx = c.begin();  // rolls back
        // A carried item: those cleared keep only their cells.
        const std::int64_t row = c.scalar(std::string("SELECT Max(rowid) FROM ") + k.table +
                                          (std::string(k.table) == "month_close_items" ? " WHERE carried = 1" : ""))
                                     .toInt();
        c.execute(std::string("UPDATE ") + k.table + " SET " + k.column + " = ?1 WHERE rowid = ?2", {k.value, row});
        const Error e = test::errorOf(k.read);
        EXPECT_EQ(e.number(), store::kStoredValueError);
        const std::string place = " in row " + std::to_string(row) + ", column " + k.column;
        EXPECT_NE(e.description().find("' is damaged (its table " + std::string(k.table) +
                                       (k.value.isNull() ? " holds no value" + place + ", where one is required"
                                                         : " holds '" + k.value.toText() + "'" + place +
                                                               ", which the program cannot read") +
                                       "). \"vesk-orv-cli check\""),
                  std::string::npos)
            << e.description();
    }
}

// Who made a change, and the pair or close it is about, each have a column of their own; a file of
// the layout before, read as it is or brought up to date, shows the same history.
TEST_F(CloseTest, TheHistoryShowsTheSameOnAFileOfTheLayoutBeforeAsItIsAndUpgraded) {
    store::Connection& c = db.connection();
    ASSERT_TRUE(close({2025, 4}).close);
    ASSERT_TRUE(reopenMonth(c, {2025, 4}, "asha", [] { return DateTime{2025, 6, 4, 9, 0}; }));
    ASSERT_EQ(
        notes::setNote(c, notes::Side::Bank, "B1", {notes::Status::Explained, "late"}, "mohan", {2025, 6, 5}).outcome,
        notes::Outcome::Saved);
    pairByHand("gita");
    const std::string columns = "SELECT action, \"by\", subject, office, tran_id FROM import_history ORDER BY id";
    EXPECT_EQ(test::rowsOf(c.query(columns)),
              (std::vector<std::string>{
                  "month-closed | ravi | 1 | Null | Null", "month-reopened | asha | 1 | Null | Null",
                  "bank-note-change | mohan | Null | Null | B1", "hand-pair-made | gita | M1 | Null | Null"}));
    const auto shown = [](store::Connection& on) {
        std::vector<std::string> out;
        for (const history::Record& r : history::records(on))
            out.push_back(history::actionText(r.action) + "|" + history::nameText(r) + "|" + r.office);
        return out;
    };
    const std::vector<std::string> before = shown(c);
    EXPECT_EQ(before[3], "Month closed|ravi|");
    EXPECT_EQ(before[2], "Month reopened|asha|");
    const std::string path = c.path();
    c.close();
    const cli::Outcome listed = cli::runCli({"--db", path, "history"});
    ASSERT_EQ(listed.status, 0) << listed.err;

    c.open(path);
    test::makeLayoutBeforeHistoryBy(c);
    c.close();
    {
        store::Connection old;
        old.openWithoutUpgrade(path);
        EXPECT_EQ(shown(old), before);
    }
    const cli::Outcome upgraded = cli::runCli({"--db", path, "history"});
    EXPECT_EQ(upgraded.out, listed.out);
    c.open(path);
    EXPECT_EQ(shown(c), before);
    // What the records of the layout before did not keep stays unknown.
    EXPECT_EQ(test::rowsOf(c.query(columns)),
              (std::vector<std::string>{
                  "month-closed | ravi | Null | Null | Null", "month-reopened | asha | Null | Null | Null",
                  "bank-note-change | Null | Null | Null | B1", "hand-pair-made | Null | M1 | Null | Null"}));
    EXPECT_EQ(monthCloses(c).at(0).digestVersion, 1);
}

}  // namespace
}  // namespace vesk::review
