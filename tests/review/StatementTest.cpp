#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/cli/CliRunner.h"
#include "core/Amount.h"
#include "core/Platform.h"
#include "core/Text.h"
#include "notes/Notes.h"
#include "pairs/HandPairs.h"
#include "review/MonthStatement.h"
#include "review/ReviewWording.h"
#include "review/SignOffs.h"
#include "review/StatementWorkbook.h"
#include "sample/SampleData.h"
#include "support/MonthDatabase.h"
#include "support/PackagePart.h"
#include "support/SampleStore.h"
#include "support/SheetRows.h"
#include "support/TempDir.h"

namespace vesk::review {
namespace {

long long stmtDay(int y, int m, int d) { return daysFromCivil(y, m, d); }

// A line as the statement prints it.
std::string stmtLineText(const MonthStatement& s, StatementLine line) {
    std::string text;
    for (const std::string& cell : statementCells(line, s.line(line))) text += (text.empty() ? "" : "|") + cell;
    return text;
}

std::vector<std::string> stmtItemTexts(const MonthStatement& s) {
    std::vector<std::string> out;
    for (const StatementItem& item : s.items) {
        std::string text;
        for (const std::string& cell : statementItemCells(item)) text += (text.empty() ? "" : "|") + cell;
        out.push_back(text);
    }
    return out;
}

// Lines as a sheet reads back: trailing empty cells dropped.
std::vector<std::string> stmtSheetLines(std::vector<std::string> lines) {
    for (std::string& line : lines)
        while (!line.empty() && line.back() == '|') line.pop_back();
    return lines;
}

// Two amounts equal to the paisa, as the statement shows them.
void stmtSameAmount(double a, double b, const std::string& what) {
    EXPECT_EQ(formatAmount(a), formatAmount(b)) << what;
}

// What must hold of every statement, whatever the month holds.
void stmtExpectIdentities(const MonthStatement& s) {
    using L = StatementLine;
    const StatementFigures& unexplained = s.line(L::Unexplained);
    EXPECT_EQ(formatAmount(unexplained.deposits), "0.00");
    EXPECT_EQ(formatAmount(unexplained.withdrawals), "0.00");
    EXPECT_FALSE(unexplained.rows);
    EXPECT_FALSE(s.line(L::Difference).rows);

    // The difference is what both sides recorded, less each other.
    stmtSameAmount(s.line(L::Difference).deposits, s.line(L::Vesk).deposits - s.line(L::Orv).deposits, "difference");
    stmtSameAmount(s.line(L::Difference).withdrawals, s.line(L::Vesk).withdrawals - s.line(L::Orv).withdrawals,
                   "difference");
    // Every row of the month is behind exactly one line of the make-up.
    long long madeUpRows = 0;
    for (StatementLine l : kMakeUpLines) madeUpRows += s.line(l).rows.value_or(-1'000'000);
    EXPECT_EQ(madeUpRows, *s.line(L::Vesk).rows + *s.line(L::Orv).rows);

    const auto sum = [&](std::initializer_list<StatementLine> lines) {
        StatementFigures f{0, 0, 0};
        for (StatementLine l : lines) {
            f.deposits += s.line(l).deposits;
            f.withdrawals += s.line(l).withdrawals;
            *f.rows += *s.line(l).rows;
        }
        return f;
    };
    const auto expectSame = [&](const StatementFigures& a, const StatementFigures& b, const std::string& what) {
        stmtSameAmount(a.deposits, b.deposits, what + " deposits");
        stmtSameAmount(a.withdrawals, b.withdrawals, what + " withdrawals");
        EXPECT_EQ(a.rows, b.rows) << what << " rows";
    };
    expectSame(sum({L::Open, L::Explained, L::Resolved}), sum({L::AmountsDiffer, L::OnlyVesk, L::OnlyOrv}),
               "exceptions by note");
    expectSame(s.line(L::Arisen), s.line(L::Open), "arisen");
    expectSame(sum({L::BroughtForward, L::Cleared, L::OtherEarlier, L::Arisen}), s.line(L::CarriedForward),
               "roll-forward");
    EXPECT_LE(*s.line(L::Cleared).rows, 0);

    // The items behind the roll-forward are its Cleared and Carried forward lines.
    StatementFigures cleared{0, 0, 0}, carried{0, 0, 0};
    for (const StatementItem& i : s.items) {
        StatementFigures& f = i.state == ItemState::Cleared ? cleared : carried;
        const int sign = i.state == ItemState::Cleared ? -1 : 1;
        (i.item.kind == notes::Kind::Deposit ? f.deposits : f.withdrawals) +=
            sign * signedAmount(i.item.side, i.item.amount);
        *f.rows += sign;
        EXPECT_EQ(i.how.has_value(), i.state == ItemState::Cleared);
    }
    expectSame(cleared, s.line(L::Cleared), "cleared items");
    expectSame(carried, s.line(L::CarriedForward), "carried items");
}

// A month of every class, with rows outside the scope and of no office. The scope is the head
// office Hill HO: Hill SO and Bay SO; Far SO is under another.
class StatementTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.office("100", "Hill HO", "HPO", "Rampur DO", "F0");
        db.office("101", "Hill SO", "SO", "Hill HO", "F1");
        db.office("102", "Bay SO", "SO", "Hill HO", "F2");
        db.office("201", "Far SO", "SO", "Far HO", "F9");
        db.configure("Hill HO");
        // April: open, changed later, matched, timing into May, explained.
        bank("B1", "F1", "2025-04-15", "DEPOSIT", 90);
        bank("B2", "F1", "2025-04-18", "DEPOSIT", 120);
        bank("B3", "F1", "2025-04-22", "DEPOSIT", 60);
        orv("R2", "101", "2025-04-22", "Receipt", "60");
        bank("B4", "F1", "2025-04-30", "DEPOSIT", 80);
        orv("R1", "101", "2025-04-20", "Receipt", "30");
        // May.
        orv("R3", "101", "2025-05-02", "Receipt", "80");  // timing with B4
        bank("B5", "F1", "2025-05-05", "DEPOSIT", 1000);
        orv("R4", "101", "2025-05-05", "Receipt", "1000");
        bank("B6", "F1", "2025-05-06", "DEPOSIT", 300);
        orv("R5", "101", "2025-05-06", "Receipt", "100");
        orv("R6", "101", "2025-05-06", "Receipt", "200");
        bank("B7", "F1", "2025-05-31", "DEPOSIT", 500);
        orv("R7", "101", "2025-06-02", "Receipt", "500");  // June: timing with B7
        bank("B8", "F1", "2025-05-10", "WITHDRAWAL", 250);
        orv("R8", "101", "2025-05-10", "Payment", "249.50");
        bank("B9", "F1", "2025-05-12", "DEPOSIT", 70);
        orv("R9", "101", "2025-05-14", "Payment", "40");
        bank("B10", "F1", "2025-05-15", "WITHDRAWAL", 33);
        bank("B11", "F2", "2025-05-20", "DEPOSIT", 800);
        orv("R10", "102", "2025-05-27", "Receipt", "790");
        bank("B12", "F9", "2025-05-08", "DEPOSIT", 5000);
        orv("R11", "201", "2025-05-08", "Receipt", "4000");
        bank("B13", "FX", "2025-05-09", "DEPOSIT", 60);
        orv("R12", "999", "2025-05-09", "Receipt", "25");
        db.row(store::Table::Finacle, {{"tran_id", "B14"},
                                       {"value_date", "2025-05-11"},
                                       {"Tran_Date", "2025-05-11"},
                                       {"CASH_TRAN_TYPE", "DEPOSIT"},
                                       {"TRAN_AMT", 7.0}});
        note(notes::Side::Orv, "R1", stmtDay(2025, 4, 20), notes::Status::Explained, "keyed twice");
        note(notes::Side::Bank, "B9", stmtDay(2025, 5, 12), notes::Status::Explained, "bank charge");
        note(notes::Side::Orv, "R9", stmtDay(2025, 5, 14), notes::Status::Resolved, "");
        note(notes::Side::Bank, "B10", stmtDay(2025, 5, 15), notes::Status::Open, "asked the SO");
        pairs::PairRequest request = pairs::PairRequest::of(
            {{notes::Side::Bank, "B11", stmtDay(2025, 5, 20)}, {notes::Side::Orv, "R10", stmtDay(2025, 5, 27)}});
        request.acceptDifference = true;
        request.text = "counted short";
        ASSERT_TRUE(pairs::makePair(db.connection(), request, "ravi", DateTime{2025, 6, 3}).pair);
    }

    void bank(const std::string& id, const std::string& facility, const std::string& date, const std::string& type,
              double amount) {
        db.row(store::Table::Finacle, {{"tran_id", id},
                                       {"value_date", date},
                                       {"Tran_Date", date},
                                       {"CASH_TRAN_TYPE", type},
                                       {"TRAN_AMT", amount},
                                       {"FACILITY_ID", facility}});
    }
    void orv(const std::string& id, const std::string& office, const std::string& date, const std::string& kind,
             const std::string& amount) {
        db.row(store::Table::Orv, {{"treasury_tran_id", id},
                                   {"try_posting_date", date},
                                   {"office_id", office},
                                   {"receipt_or_payment", kind},
                                   {"tot_amount", amount}});
    }
    void note(notes::Side side, const std::string& id, long long day, notes::Status status, const std::string& text) {
        ASSERT_EQ(
            notes::setNote(db.connection(), {side, id, day}, {status, text}, "ravi", DateTime{2025, 6, 1}).outcome,
            notes::Outcome::Saved);
    }

    std::vector<std::string> printed(const MonthStatement& s) {
        std::vector<std::string> out;
        for (StatementLine l : kStatementLines) out.push_back(stmtLineText(s, l));
        return out;
    }

    test::TempDir dir;
    test::MonthDatabase db{dir.file("ZETTools.db")};
};

TEST_F(StatementTest, EveryLineOfAMonthOfEveryClass) {
    const MonthStatement s = monthStatement(db.connection(), {2025, 5});
    EXPECT_EQ(printed(s), (std::vector<std::string>{
                              "VESK|7737.00|283.00|10",        "ORV|6195.00|289.50|9",
                              "Difference|1542.00|-6.50|",
                              "Not compared|1042.00|0.00|5",  // Far SO, no facility, facility FX, office 999
                              "Within 0.01|0.00|0.00|5",
                              "Timing|420.00|0.00|2",  // B7 into June, R3 from April
                              "Paired by hand|10.00|0.00|2",   "Amounts differ|0.00|0.50|2",
                              "Only in VESK|70.00|33.00|2",    "Only in ORV|0.00|-40.00|1",
                              "Unexplained|0.00|0.00|",        "Open|0.00|33.50|3",
                              "Explained|70.00|0.00|1",        "Resolved|0.00|-40.00|1",
                              "Brought forward|210.00|0.00|2",  // B1 and B2; R1 is explained
                              "Cleared|0.00|0.00|0",           "Other earlier items|0.00|0.00|0",
                              "Arisen|0.00|33.50|3",           "Carried forward|210.00|33.50|5",
                          }));
    EXPECT_EQ(stmtItemTexts(s), (std::vector<std::string>{
                                    "carried forward|2025-04|VESK|B1|15/04/2025|Hill SO|Deposit|90.00|Only in VESK|||",
                                    "carried forward|2025-04|VESK|B2|18/04/2025|Hill SO|Deposit|120.00|Only in VESK|||",
                                    "carried forward|2025-05|VESK|B8|10/05/2025|Hill SO|Withdrawal|250.00|Amounts "
                                    "differ|||",
                                    "carried forward|2025-05|ORV|R8|10/05/2025|Hill SO|Withdrawal|-249.50|Amounts "
                                    "differ|||",
                                    "carried forward|2025-05|VESK|B10|15/05/2025|Hill SO|Withdrawal|33.00|Only in VESK|"
                                    "Open|asked the SO|",
                                }));
    stmtExpectIdentities(s);
}

// What a close brought forward, set against the open items as they are now.
TEST_F(StatementTest, BroughtForwardItemsAreClearedByWhatBecameOfThem) {
    const auto item = [](notes::Side side, const std::string& id, int d, double amount, Period since) {
        return CarriedItem{side, id, stmtDay(2025, 4, d), "Hill SO", notes::Kind::Deposit, amount, since};
    };
    const std::vector<CarriedItem> brought = {
        item(notes::Side::Bank, "B1", 15, 90, {2025, 3}),    // still open as it was
        item(notes::Side::Orv, "R1", 20, 30, {2025, 4}),     // explained since
        item(notes::Side::Bank, "GONE", 10, 45, {2025, 4}),  // no longer held
        item(notes::Side::Bank, "B2", 18, 100, {2025, 4}),   // its amount is now 120
        item(notes::Side::Bank, "B3", 22, 60, {2025, 4}),    // matched since
        item(notes::Side::Bank, "B4", 30, 80, {2025, 4}),    // paired across the month's start
        item(notes::Side::Bank, "B11", 25, 800, {2025, 4}),  // held on another date: changed
    };
    const MonthStatement s = monthStatement(db.connection(), {2025, 5}, brought);
    const std::vector<std::string> lines = printed(s);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 14, lines.end()),
              (std::vector<std::string>{"Brought forward|1145.00|0.00|7", "Cleared|-1055.00|0.00|-6",
                                        "Other earlier items|120.00|0.00|1", "Arisen|0.00|33.50|3",
                                        "Carried forward|210.00|33.50|5"}));
    // The make-up does not depend on what was brought.
    const std::vector<std::string> fresh = printed(monthStatement(db.connection(), {2025, 5}));
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 14),
              std::vector<std::string>(fresh.begin(), fresh.begin() + 14));
    const std::vector<std::string> items = stmtItemTexts(s);
    ASSERT_EQ(items.size(), 11u);
    EXPECT_EQ(
        std::vector<std::string>(items.begin(), items.begin() + 7),
        (std::vector<std::string>{
            "cleared|2025-04|VESK|GONE|10/04/2025|Hill SO|Deposit|45.00||||no longer held",
            "cleared|2025-04|VESK|B2|18/04/2025|Hill SO|Deposit|100.00|Only in VESK|||changed",
            "cleared|2025-04|ORV|R1|20/04/2025|Hill SO|Deposit|-30.00|Only in ORV|Explained|keyed twice|explained",
            "cleared|2025-04|VESK|B3|22/04/2025|Hill SO|Deposit|60.00|Matched|||matched",
            "cleared|2025-04|VESK|B11|25/04/2025|Hill SO|Deposit|800.00|Paired by hand|||changed",
            "cleared|2025-04|VESK|B4|30/04/2025|Hill SO|Deposit|80.00|Timing|||timing",
            "carried forward|2025-03|VESK|B1|15/04/2025|Hill SO|Deposit|90.00|Only in VESK|||",
        }));
    stmtExpectIdentities(s);
    // What a close of May would carry to June: the carried items, each since when it was first carried.
    std::vector<std::string> carried;
    for (const CarriedItem& c : s.carried())
        carried.push_back(c.id + "@" + dayText(c.day) + " since " + std::to_string(c.since.key()));
    EXPECT_EQ(carried, (std::vector<std::string>{"B1@15/04/2025 since 202503", "B2@18/04/2025 since 202504",
                                                 "B8@10/05/2025 since 202505", "R8@10/05/2025 since 202505",
                                                 "B10@15/05/2025 since 202505"}));
}

// The verb prints what the statement holds, and refuses a month without rows; the workbook holds
// it too. July holds nothing; June holds only R7, which B7 of May pairs.
TEST_F(StatementTest, CommandLineWorkbookAndMonthsWithoutRows) {
    EXPECT_FALSE(monthStatement(db.connection(), {2025, 7}).anyRows());
    EXPECT_EQ(noRowsForStatementText({2025, 7}), "No bank rows or ORV entries are held for July 2025.");
    const MonthStatement june = monthStatement(db.connection(), {2025, 6});
    EXPECT_EQ(stmtLineText(june, StatementLine::Timing), "Timing|-500.00|0.00|1");
    stmtExpectIdentities(june);

    const MonthStatement may = monthStatement(db.connection(), {2025, 5});
    const auto tabbed = [](std::vector<std::string> lines, const std::string& header) {
        std::string out = header + "\n";
        for (std::string& line : lines) {
            std::replace(line.begin(), line.end(), '|', '\t');
            out += line + "\n";
        }
        return out;
    };
    const std::string path = db.connection().path();
    db.connection().close();
    auto r = cli::runCli({"--db", path, "statement", "2025", "May"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, tabbed(printed(may), "Line\tDeposits\tWithdrawals\tRows"));
    r = cli::runCli({"--db", path, "statement", "2025", "7"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, noRowsForStatementText({2025, 7}) + "\n");

    const std::string out = dir.file("out");
    r = cli::runCli({"--db", path, "export", "statement", "2025", "5", "--out", out});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string file = platform::joinPath(out, "May_2025_Statement.xlsx");
    EXPECT_EQ(r.out, file + "\n");
    const std::vector<std::string> rows = test::sheetRows(file);
    ASSERT_EQ(rows.size(), 29u);
    EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 3),
              (std::vector<std::string>{"VESK - ORV Reconciliation Statement",
                                        "Period: May 2025 (01/05/2025 to 31/05/2025)", "Offices under Hill HO"}));
    const std::vector<std::string> lines = printed(may);
    EXPECT_EQ(std::vector<std::string>(rows.begin() + 5, rows.begin() + 19),
              stmtSheetLines(std::vector<std::string>(lines.begin(), lines.begin() + 14)));
    EXPECT_EQ(rows[20], "Roll-forward of open items");
    EXPECT_EQ(std::vector<std::string>(rows.begin() + 22, rows.begin() + 27),
              stmtSheetLines(std::vector<std::string>(lines.begin() + 14, lines.end())));
    EXPECT_EQ(rows[28].rfind("Computed on ", 0), 0u) << rows[28];
    EXPECT_TRUE(rows[28].ends_with(", not closed")) << rows[28];
    const std::vector<std::string> items = test::sheetRows(file, 1);
    ASSERT_EQ(items.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(items.begin() + 5, items.end()), stmtSheetLines(stmtItemTexts(may)));
    // Both sheets print on A4 portrait under their merged title lines.
    for (const auto& [part, merge] :
         {std::pair{"xl/worksheets/sheet1.xml", "A1:D1"}, std::pair{"xl/worksheets/sheet2.xml", "A1:L1"}}) {
        const std::string xml = test::packagePart(file, part);
        for (const char* wanted : {merge, "orientation=\"portrait\""})
            EXPECT_NE(xml.find(wanted), std::string::npos) << part << ": " << wanted;
    }
}

// On paper as in the workbook: both lists of the statement line by line, the state line under
// them, and every item on the second sheet.
TEST_F(StatementTest, PrintoutHoldsEveryLineAndItem) {
    const MonthStatement s = monthStatement(db.connection(), {2025, 5});
    ShownStatement shown{s, {}, "Computed on 05/06/2025 10:00, not closed"};
    for (const StatementItem& item : s.items) shown.items.push_back(statementItemCells(item));
    const compare::Printout p = statementPrintout(shown, signOffs(db.connection()), "Printed");
    ASSERT_EQ(p.sheets.size(), 2u);
    std::vector<std::string> lines, items;
    const auto add = [](std::vector<std::string>& out, const compare::ExportSheet::Section& section) {
        for (const compare::ExportSheet::Row& row : section.rows) {
            std::string text;
            for (const compare::ExportSheet::Cell& cell : row.cells) text += (text.empty() ? "" : "|") + cell.text;
            out.push_back(text);
        }
    };
    for (const compare::ExportSheet::Section& section : p.sheets[0].sections) add(lines, section);
    for (const compare::ExportSheet::Section& section : p.sheets[1].sections) add(items, section);
    EXPECT_EQ(lines, printed(s));
    EXPECT_EQ(items, stmtItemTexts(s));
    ASSERT_EQ(p.sheets[0].legend.size(), 1u);
    EXPECT_EQ(p.sheets[0].legend[0].first, shown.stateLine);
    EXPECT_EQ(p.signOffs.size(), 3u);
}

// The sample month plants every class; generated months of other sizes and seeds, in the whole
// division and under one head office. (Notes and hand pairs are the fixture's.)
TEST(StatementSampleTest, TheIdentitiesHoldOnGeneratedMonths) {
    const std::pair<sample::SampleOptions, bool> cases[] = {
        {{40, 2000, 2025, 4, 1}, false},
        {{60, 3000, 2024, 12, 7}, false},
        {{12, 300, 2026, 2, 3}, true},
    };
    for (const auto& [options, headOffice] : cases) {
        SCOPED_TRACE(testing::Message() << "seed " << options.seed << (headOffice ? " head office" : ""));
        const sample::SampleData data = sample::generateSample(options);
        test::TempDir dir;
        test::MonthDatabase db(dir.file("ZETTools.db"));
        test::storeSampleMonth(db.connection(), data, true);
        std::string head;
        for (const sample::Office& o : data.offices)
            if (headOffice && head.empty() && upper(trim(o.typeCode)) == "HPO") head = trim(o.name);
        if (headOffice) {
            ASSERT_FALSE(head.empty());
            db.connection().execute("DELETE FROM Youroffice");
            db.configure(head);
        }
        std::set<std::string> scopeFacilities, scopeOfficeIds;
        for (const sample::Office& o : data.offices)
            if (!headOffice || trim(o.hoName) == head)
                scopeFacilities.insert(upper(trim(o.facilityId))), scopeOfficeIds.insert(trim(o.officeId));

        const Period period{options.year, options.month};
        const MonthStatement s = monthStatement(db.connection(), period);
        stmtExpectIdentities(s);

        // Both sides' lines and what the scope leaves out, from the generated rows themselves.
        const long long first = stmtDay(period.year, period.month, 1),
                        last = stmtDay(period.year, period.month, daysInMonth(period.year, period.month));
        std::int64_t vesk[2] = {0, 0}, orv[2] = {0, 0}, left[2] = {0, 0};
        long long veskRows = 0, orvRows = 0, leftRows = 0;
        for (const sample::BankRow& r : data.bankRows) {
            const long long d = stmtDay(r.tranDate.year, r.tranDate.month, r.tranDate.day);
            if (d < first || d > last) continue;
            vesk[r.deposit ? 0 : 1] += r.paise, ++veskRows;
            if (!scopeFacilities.count(upper(trim(r.facilityId)))) left[r.deposit ? 0 : 1] += r.paise, ++leftRows;
        }
        for (const sample::OrvRow& r : data.orvRows) {
            const long long d = stmtDay(r.postingDate.year, r.postingDate.month, r.postingDate.day);
            if (d < first || d > last) continue;
            orv[r.receipt ? 0 : 1] += r.paise, ++orvRows;
            if (!scopeOfficeIds.count(trim(r.officeId))) left[r.receipt ? 0 : 1] -= r.paise, ++leftRows;
        }
        const auto line = [](const char* name, const std::int64_t paise[2], long long rows) {
            return std::string(name) + "|" + formatAmount(sample::rupees(paise[0])) + "|" +
                   formatAmount(sample::rupees(paise[1])) + "|" + std::to_string(rows);
        };
        EXPECT_EQ(stmtLineText(s, StatementLine::Vesk), line("VESK", vesk, veskRows));
        EXPECT_EQ(stmtLineText(s, StatementLine::Orv), line("ORV", orv, orvRows));
        EXPECT_EQ(stmtLineText(s, StatementLine::NotCompared), line("Not compared", left, leftRows));
        EXPECT_GT(leftRows, 0);    // the unknown facility at least
        if (headOffice) continue;  // the planted offices may lie outside it
        for (StatementLine l : {StatementLine::Within, StatementLine::Timing, StatementLine::AmountsDiffer,
                                StatementLine::OnlyVesk, StatementLine::OnlyOrv})
            EXPECT_GT(*s.line(l).rows, 0) << statementLineText(l);
    }
}

}  // namespace
}  // namespace vesk::review
