#include <gtest/gtest.h>

#include "ctr/BankWording.h"
#include "orv/OrvWording.h"
#include "report/ReportFiles.h"
#include "report/ReportScreen.h"
#include "report/ReportWording.h"
#include "support/MonthDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace {

using vesk::Answer;
using vesk::Icon;
using vesk::report::ReportScreen;
using vesk::test::Entry;
using vesk::test::monthEntries;
using vesk::test::RawCell;

// One report of the two, and the heading its files must not have.
struct Report {
    const char* name;
    vesk::test::ReportShape (*shape)();
    const char* otherCaseB1;
};

const Report kReports[] = {
    {"bank", vesk::test::bankShape, "Value_Date"},
    {"orv", vesk::test::orvShape, "Try_Posting_Date"},
};

void PrintTo(const Report& report, std::ostream* out) { *out << report.name; }

class MonthlyReportTest : public ::testing::TestWithParam<Report> {
  protected:
    void SetUp() override {
        vesk::test::MonthDatabase(path()).office("101", "Hill", "PDN");
        report.load();
    }

    std::string path() const { return dir.file("ZETTools.db"); }
    bool hasKinds() const { return shape.report.description.kindColumn > 0; }
    const vesk::report::ReportWording& words() const { return shape.report.wording; }
    // A file of deposits of April 2025, as the report's messages name it.
    vesk::report::MonthImport aprilDeposits(vesk::report::MonthImport::Status status) const {
        return {status, {2025, 4}, hasKinds() ? "R" : ""};
    }
    std::string overwrite() const {
        return vesk::report::replaceQuestion(words(), aprilDeposits(vesk::report::MonthImport::Status::Imported)).text;
    }

    // Writes a file; edit may change its cells (row 0 holds the headers).
    template <typename Edit>
    std::string file(const std::vector<Entry>& entries, Edit edit) {
        std::vector<std::vector<RawCell>> cells{shape.headers};
        for (const Entry& e : entries) cells.push_back(shape.row(e));
        edit(cells);
        std::string p = dir.file("r" + std::to_string(++files) + ".xlsx");
        vesk::test::writeRawXlsx(p, cells);
        return p;
    }
    std::string file(const std::vector<Entry>& entries) {
        return file(entries, [](auto&) {});
    }

    bool import(const std::string& file, Answer answer = Answer::Yes) {
        prompter.queueFile(file);
        prompter.queueAnswer(answer);
        return report.importWorkbook();
    }

    std::int64_t rows(const std::string& where = "1 = 1") {
        return report.connection().scalar("SELECT COUNT(*) FROM " + shape.table + " WHERE " + where).toInt();
    }

    std::vector<std::string> progressSince(std::size_t from) const {
        const auto& all = prompter.progressTexts();
        return {all.begin() + std::ptrdiff_t(from), all.end()};
    }

    // The summary grid as text, one line per month.
    std::vector<std::string> summary() const {
        std::vector<std::string> out;
        const auto& grid = report.view().summary;
        if (!grid) return out;
        for (std::size_t r = 0; r < grid->rowCount(); ++r) {
            std::string line;
            for (std::size_t c = 0; c < grid->columns().size(); ++c)
                line += (c ? " " : "") + grid->field(r, c).toText();
            out.push_back(line);
        }
        return out;
    }

    vesk::test::TempDir dir;
    vesk::test::ScriptedPrompter prompter;
    vesk::test::ReportShape shape = GetParam().shape();
    ReportScreen report{shape.report, path(), prompter};
    int files = 0;
};

TEST_P(MonthlyReportTest, ImportsAMonthAndShowsItGrouped) {
    EXPECT_FALSE(report.view().summary.has_value());
    const std::vector<Entry> entries = {{"T1", "15/04/2025", true, "1234.5", "O'Brien & Sons"},
                                        {"  ", "16/04/2025", true, "999", "skipped"},
                                        {"T2", "2025-04-16", true, "1000000", ""},
                                        {"T3", " 30-Apr-2025 ", false, "250.25", ""}};
    // The table's columns follow the headings, not the file's order.
    ASSERT_TRUE(import(file(entries, [](auto& cells) {
        for (auto& row : cells) std::swap(row[3], row[5]);
    })));

    const auto& asked = prompter.messages()[0];
    EXPECT_EQ(asked.text, overwrite());
    EXPECT_EQ(asked.title, "Confirm Overwrite");
    EXPECT_EQ(asked.icon, Icon::Exclamation);
    // What the month still lacks follows it.
    const auto& told = prompter.messages().at(1);
    EXPECT_EQ(told.text,
              vesk::report::importMessage(words(), aprilDeposits(vesk::report::MonthImport::Status::Imported))->text);
    EXPECT_EQ(told.title, "Success");
    EXPECT_EQ(prompter.progressTexts(), (std::vector<std::string>{"Importing Row 4 of 4...", ""}));

    EXPECT_EQ(summary(), std::vector<std::string>{"2025 Apr 3 2 1,001,234.50 1 250.25"});
    EXPECT_EQ(rows(shape.noteColumn + " = 'O''Brien & Sons'"), 1);
}

TEST_P(MonthlyReportTest, ReimportReplacesOnlyItsMonthAndKindNewestFirst) {
    ASSERT_TRUE(import(file(monthEntries(2, 2024, 12))));
    ASSERT_TRUE(import(file(monthEntries(4, 2025, 3))));
    ASSERT_TRUE(import(file(monthEntries(5, 2025, 4))));
    // April's payments; the bank's file has no kinds, so there it replaces all of April.
    ASSERT_TRUE(import(file(monthEntries(2, 2025, 4, false, "P"))));
    ASSERT_TRUE(import(file(monthEntries(1, 2025, 4))));

    EXPECT_EQ(summary(), (std::vector<std::string>{
                             hasKinds() ? "2025 Apr 3 1 101.00 2 203.00" : "2025 Apr 1 1 101.00 0 0.00",
                             "2025 Mar 4 4 410.00 0 0.00",
                             "2024 Dec 2 2 203.00 0 0.00",
                         }));
}

TEST_P(MonthlyReportTest, RefusedFilesChangeNothing) {
    ASSERT_TRUE(import(file(monthEntries(3, 2025, 4))));
    const std::size_t progressBefore = prompter.progressTexts().size();
    const Report& p = GetParam();
    const std::string b1 = shape.report.description.headerB1;

    struct Case {
        const char* what;
        RawCell b1;
        RawCell b2;
        RawCell i2;  // empty: as the file's kind
        int rows;
        std::string message;  // empty: the warning comes and is answered No
    };
    std::vector<Case> cases = {
        {"B1 in other letter case", p.otherCaseB1, "15/04/2025", {}, 2, words().invalidHeader.text},
        {"B1 with blanks, then No", "  " + b1 + " ", "15/04/2025", {}, 2, ""},
        {"headings only",
         b1,
         "15/04/2025",
         {},
         0,
         vesk::report::importMessage(words(), aprilDeposits(vesk::report::MonthImport::Status::NoData))->text},
        {"B2 no such day", b1, "31/04/2025", {}, 2, words().noDate.text},
        {"B2 an error value", b1, RawCell::error("#N/A"), {}, 2, words().noDate.text},
    };
    if (hasKinds()) {
        cases.push_back({"I2 lower case", b1, "15/04/2025", "r", 2, words().invalidKind.text});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.queueFile(file(monthEntries(c.rows, 2025, 4, true, "N"), [&](auto& cells) {
            cells[0][1] = c.b1;
            if (cells.size() < 2) return;
            cells[1][1] = c.b2;
            if (c.i2.kind != RawCell::Kind::Empty) cells[1][8] = c.i2;
        }));
        if (c.message.empty()) prompter.queueAnswer(Answer::No);
        EXPECT_FALSE(report.importWorkbook());
        EXPECT_EQ(prompter.lastMessage().text, c.message.empty() ? overwrite() : c.message);
        EXPECT_EQ(rows(), 3);
    }
    EXPECT_EQ(prompter.progressTexts().size(), progressBefore);
}

TEST_P(MonthlyReportTest, AFailureInTheMiddleLeavesTheTableAsItWas) {
    ASSERT_TRUE(import(file(monthEntries(3, 2025, 4))));
    struct Case {
        const char* what;
        RawCell bad;  // column B of file row 81
        std::string description;
    };
    const Case cases[] = {
        {"an error value", RawCell::error("#N/A"), "Cell holds the error value #N/A in row 81, column B."},
        // The message quotes the start of a long cell, not all of it.
        {"a long text in the date column", RawCell(std::string(20000, 'x')),
         "Data type mismatch: row 81 holds '" + std::string(60, 'x') + "\u2026' in column B, which is not a date."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto entries = monthEntries(120, 2025, 4, true, "N");
        entries[79].date = c.bad;
        const std::size_t progressBefore = prompter.progressTexts().size();
        EXPECT_FALSE(import(file(entries)));

        const auto& m = prompter.lastMessage();
        EXPECT_EQ(m.text, std::string("Import Error: ") + c.description);
        EXPECT_EQ(m.title, "Error");
        EXPECT_EQ(m.icon, Icon::Critical);
        EXPECT_EQ(progressSince(progressBefore), (std::vector<std::string>{"Importing Row 50 of 120...", ""}));
        EXPECT_EQ(rows(), 3);
        EXPECT_EQ(rows(shape.idColumn + " LIKE 'T%'"), 3);
    }
}

// A row without an ID still counts among the file's rows: the first test's "4 of 4".
TEST_P(MonthlyReportTest, ProgressEveryFiftyRowsAndOnTheLast) {
    ASSERT_TRUE(import(file(monthEntries(314, 2025, 5))));
    std::vector<std::string> expected;
    for (int n : {50, 100, 150, 200, 250, 300, 314})
        expected.push_back("Importing Row " + std::to_string(n) + " of 314...");
    expected.push_back("");
    EXPECT_EQ(prompter.progressTexts(), expected);
    EXPECT_EQ(rows(), 314);
}

TEST_P(MonthlyReportTest, DeletingAMonth) {
    ASSERT_TRUE(import(file(monthEntries(3, 2025, 4))));
    ASSERT_TRUE(import(file(monthEntries(2, 2025, 5))));
    const std::string injected = "Apr' OR '1'='1";
    struct Case {
        const char* year;
        std::string month;
        Answer answer;  // Ok: nothing is asked
        std::string shown;
        bool deleted;
        std::int64_t left;
    };
    const Case cases[] = {
        {"2025", "", Answer::Ok, words().selectionRequired.text, false, 5},
        {"2025", injected, Answer::Yes, words().nothingDeleted(injected, "2025").text, false, 5},
        {"2025", "Apr", Answer::No, words().confirmDelete("Apr", "2025").text, false, 5},
        {"2025", "Apr", Answer::Yes, words().deleted(3, "Apr", "2025").text, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.year) + " " + c.month);
        if (c.answer != Answer::Ok) prompter.queueAnswer(c.answer);
        EXPECT_EQ(report.deleteMonth(c.year, c.month), c.deleted);
        EXPECT_EQ(prompter.lastMessage().text, c.shown);
        EXPECT_EQ(rows(), c.left);
    }
    EXPECT_EQ(prompter.lastMessage().title, "Deleted");
    EXPECT_EQ(summary(), std::vector<std::string>{"2025 May 2 2 203.00 0 0.00"});
}

INSTANTIATE_TEST_SUITE_P(BothReports, MonthlyReportTest, ::testing::ValuesIn(kReports),
                         [](const ::testing::TestParamInfo<Report>& p) { return std::string(p.param.name); });

// What either report asks before it deletes rows defaults to No, so that Enter never
// deletes; a notice has one button; a message names the month, the kind and the count it is
// about, so that two of them about different ones never read alike.
TEST(ReportWording, QuestionsDefaultToNoAndMessagesNameWhatTheyAreAbout) {
    using vesk::Buttons;
    using vesk::Message;
    using vesk::report::MonthImport;
    for (const vesk::report::ReportWording* words : {&vesk::ctr::bankWording(), &vesk::orv::orvWording()}) {
        SCOPED_TRACE(words == &vesk::ctr::bankWording() ? "bank" : "orv");
        std::vector<std::string> kinds;
        for (const auto& [letter, word] : words->kindWords) kinds.push_back(letter);
        if (kinds.empty()) kinds.push_back("");
        std::vector<Message> questions = {words->confirmDelete("Apr", "2025")};
        std::vector<Message> notices = {words->invalidHeader,
                                        words->noDate,
                                        words->selectionRequired,
                                        words->deleted(3, "Apr", "2025"),
                                        words->nothingDeleted("Mar", "2025"),
                                        vesk::report::masterDataMissing(),
                                        *vesk::report::importMessage(*words, {MonthImport::Status::NoData, {}, ""})};
        for (const std::string& kind : kinds) {
            const MonthImport april{MonthImport::Status::Imported, {2025, 4}, kind};
            questions.push_back(vesk::report::replaceQuestion(*words, april));
            EXPECT_NE(questions.back().text.find("April 2025"), std::string::npos) << questions.back().text;
            notices.push_back(*vesk::report::importMessage(*words, april));
        }
        // Each kind its own question and notice.
        if (kinds.size() > 1) {
            EXPECT_NE(questions[1].text, questions[2].text);
            EXPECT_NE(notices[7].text, notices[8].text);
        }
        for (const Message& q : questions) {
            EXPECT_EQ(q.buttons, Buttons::YesNo) << q.text;
            EXPECT_EQ(q.defaultAnswer, Answer::No) << q.text;
        }
        for (const Message& n : notices) {
            EXPECT_FALSE(n.text.empty());
            EXPECT_EQ(n.buttons, Buttons::Ok) << n.text;
            EXPECT_EQ(n.defaultAnswer, Answer::Ok) << n.text;
        }
        EXPECT_NE(words->confirmDelete("Apr", "2025").text, words->confirmDelete("May", "2025").text);
        EXPECT_NE(words->deleted(3, "Apr", "2025").text, words->deleted(4, "Apr", "2025").text);
        EXPECT_FALSE(vesk::report::importMessage(*words, {MonthImport::Status::Declined, {}, ""}).has_value());
    }
}

// The delete lists hold any text; only a month as the summary shows it names rows to delete.
TEST(ShownMonth, IsAFourDigitYearAndAMonthsAbbreviation) {
    struct Case {
        const char* year;
        const char* month;
        std::optional<vesk::Period> named;
    };
    const Case cases[] = {
        {"2025", "Apr", vesk::Period{2025, 4}}, {"2025", "aPR", vesk::Period{2025, 4}},
        {"0999", "Dec", vesk::Period{999, 12}}, {"2025", "April", std::nullopt},
        {"2025", "Sept", std::nullopt},         {"25", "Apr", std::nullopt},
        {"2025 ", "Apr", std::nullopt},         {"20x5", "Apr", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.year) + "/" + c.month);
        EXPECT_EQ(vesk::report::shownMonth(c.year, c.month), c.named);
    }
}

}  // namespace
