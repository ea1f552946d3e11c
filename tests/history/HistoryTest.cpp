#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/Error.h"
#include "history/HistoryScreen.h"
#include "history/HistoryWording.h"
#include "history/ImportHistory.h"
#include "report/ReportFiles.h"
#include "report/ReportScreen.h"
#include "support/MonthDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace {

using vesk::Answer;
using vesk::DateTime;
using vesk::history::Action;
using vesk::history::Record;
using vesk::test::Entry;
using vesk::test::monthEntries;
using vesk::test::RawCell;

// A clock the test moves on by hand.
struct TestClock {
    DateTime now{2026, 12, 6, 10, 15, 42};
    vesk::Clock clock() {
        return [this] { return now; };
    }
};

TEST(FileDigest, HashesEveryByteOfTheFile) {
    EXPECT_EQ(vesk::history::sha256Hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(vesk::history::sha256Hex("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");

    vesk::test::TempDir dir;
    struct Case {
        const char* name;
        std::size_t size;
    };
    // Empty, one byte, and sizes around the reading buffer's 64 KiB.
    for (const Case& c :
         {Case{"empty.xlsx", 0}, Case{"one.xls", 1}, Case{"buffer.xlsx", 65536}, Case{"more.xlsx", 65536 * 2 + 7}}) {
        SCOPED_TRACE(c.name);
        std::string bytes(c.size, '\0');
        for (std::size_t i = 0; i < c.size; ++i) bytes[i] = char(i * 7 % 251);
        std::ofstream(dir.file(c.name), std::ios::binary) << bytes;
        const vesk::history::FileDigest d = vesk::history::digestFile(dir.file(c.name));
        EXPECT_EQ(d.name, c.name);
        EXPECT_EQ(d.size, c.size);
        EXPECT_EQ(d.sha256, vesk::history::sha256Hex(bytes.data(), bytes.size()));
    }
    try {
        vesk::history::digestFile(dir.file("missing.xlsx"));
        ADD_FAILURE() << "a missing file was hashed";
    } catch (const vesk::Error& e) {
        EXPECT_EQ(e.number(), vesk::errc::kFileNotFound);
    }
}

// What one report's records hold, in its own words.
struct HistoryReport {
    const char* name;
    vesk::test::ReportShape (*shape)();
    Action firstImport;   ///< a file whose first row is a deposit
    Action secondImport;  ///< a file whose first row is a withdrawal
    Action deletion;
    const char* question;  ///< the overwrite question of April 2025's deposits, with the earlier import's line
};

const HistoryReport kHistoryReports[] = {
    {"bank", vesk::test::bankShape, Action::CtrImport, Action::CtrImport, Action::CtrMonthDeletion,
     "WARNING: This will DELETE ALL existing data in the VESK database for: \r\n\r\nApril 2025\r\n\r\nThis file was "
     "already imported on 06/12/2026 10:15.\r\nAre you sure you want to proceed?"},
    {"orv", vesk::test::orvShape, Action::OrvReceiptsImport, Action::OrvPaymentsImport, Action::OrvMonthDeletion,
     "WARNING: You are importing VESK DEPOSIT data.\r\n\r\nThis will DELETE existing VESK DEPOSIT data for: "
     "\r\nApril 2025\r\n\r\nThis file was already imported on 06/12/2026 10:15.\r\nAre you sure you want to "
     "proceed?"},
};

void PrintTo(const HistoryReport& report, std::ostream* out) { *out << report.name; }

class ReportHistoryTest : public ::testing::TestWithParam<HistoryReport> {
  protected:
    void SetUp() override {
        vesk::test::MonthDatabase(path()).office("101", "Hill", "PDN");
        report.setClock(time.clock());
        report.load();
    }

    std::string path() const { return dir.file("ZETTools.db"); }

    std::string write(const std::vector<Entry>& entries, const std::string& name = "") {
        std::string p = dir.file(name.empty() ? "r" + std::to_string(++files) + ".xlsx" : name);
        vesk::test::writeReport(p, shape, entries);
        return p;
    }

    bool import(const std::string& file, Answer answer = Answer::Yes) {
        prompter.queueFile(file);
        prompter.queueAnswer(answer);
        return report.importWorkbook();
    }

    std::vector<Record> records() { return vesk::history::records(report.connection()); }

    // The summary's line of April 2025.
    vesk::report::SummaryLine april() {
        const auto lines = vesk::report::monthlySummary(report.connection(), shape.report.description);
        EXPECT_EQ(lines.size(), 1u);
        return lines.empty() ? vesk::report::SummaryLine{} : lines[0];
    }

    vesk::test::TempDir dir;
    vesk::test::ScriptedPrompter prompter;
    TestClock time;
    vesk::test::ReportShape shape = GetParam().shape();
    vesk::report::ReportScreen report{shape.report, path(), prompter};
    int files = 0;
};

TEST_P(ReportHistoryTest, ImportsAndDeletionsRecordTheirFileRowsAndTotals) {
    // Amounts that a plain sum of doubles gets wrong in the last place.
    const std::vector<Entry> receipts = {{"T1", "15/04/2025", true, "1234.57", ""},
                                         {"  ", "16/04/2025", true, "999", "skipped"},
                                         {"T2", "16/04/2025", true, "0.1", ""},
                                         {"T3", "16/04/2025", true, "0.2", ""},
                                         {"T4", "30/04/2025", false, "250.25", ""}};
    const std::string first = write(receipts);
    ASSERT_TRUE(import(first));
    const std::optional<double> deposits = april().deposits;
    EXPECT_EQ(deposits, 1234.87);

    time.now.minute = 20;
    const std::string second = write(monthEntries(2, 2025, 4, false, "P"));
    ASSERT_TRUE(import(second));
    time.now.hour = 11;
    const vesk::report::SummaryLine all = april();
    prompter.queueAnswer(Answer::Yes);
    ASSERT_TRUE(report.deleteMonth("2025", "Apr"));
    prompter.queueAnswer(Answer::Yes);
    EXPECT_FALSE(report.deleteMonth("2025", "Apr"));  // nothing deleted, nothing recorded

    const std::vector<Record> r = records();
    ASSERT_EQ(r.size(), 3u);
    // Newest first.
    EXPECT_EQ(r[0].action, GetParam().deletion);
    EXPECT_EQ(r[0].when, (DateTime{2026, 12, 6, 11, 20, 42}));
    EXPECT_EQ(vesk::history::periodText(r[0]), "April 2025");
    EXPECT_EQ(r[0].rows, all.entries);
    EXPECT_EQ(r[0].deposits, all.deposits);
    EXPECT_EQ(r[0].withdrawals, all.withdrawals);
    EXPECT_FALSE(r[0].file.has_value());

    EXPECT_EQ(r[1].action, GetParam().secondImport);
    EXPECT_EQ(r[1].rows, 2);

    EXPECT_EQ(r[2].action, GetParam().firstImport);
    EXPECT_EQ(r[2].rows, 4);
    EXPECT_EQ(r[2].deposits, deposits);
    EXPECT_EQ(r[2].withdrawals, 250.25);
    ASSERT_TRUE(r[2].file.has_value());
    const std::string bytes = vesk::test::fileBytes(first);
    EXPECT_EQ(r[2].file->name, "r1.xlsx");
    EXPECT_EQ(r[2].file->size, bytes.size());
    EXPECT_EQ(r[2].file->sha256, vesk::history::sha256Hex(bytes.data(), bytes.size()));
    // The rows of the other report's form are not this form's history.
    EXPECT_EQ(vesk::history::records(report.connection(), vesk::history::Form::Master).size(), 0u);
}

TEST_P(ReportHistoryTest, FailedAndRefusedImportsRecordNothingAndAChangeThatCannotBeRecordedDoesNotHappen) {
    ASSERT_TRUE(import(write(monthEntries(3, 2025, 4))));
    ASSERT_EQ(records().size(), 1u);

    auto badDate = monthEntries(60, 2025, 4);
    badDate[55].date = RawCell("31/02/2025");  // fails the import after 55 rows went in
    struct Case {
        const char* what;
        std::string file;
        Answer answer;  // Ok: no question comes
    };
    const Case cases[] = {
        {"declined", write(monthEntries(5, 2025, 4)), Answer::No},
        {"a row without a date", write(badDate), Answer::Yes},
        {"headings only", write({}), Answer::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.queueFile(c.file);
        if (c.answer != Answer::Ok) prompter.queueAnswer(c.answer);
        EXPECT_FALSE(report.importWorkbook());
        EXPECT_EQ(records().size(), 1u);
        EXPECT_EQ(report.connection().scalar("SELECT COUNT(*) FROM " + shape.table).toInt(), 3);
    }

    report.connection().execute(
        "CREATE TRIGGER refused BEFORE INSERT ON import_history BEGIN SELECT RAISE(ABORT, 'no room'); END");
    EXPECT_FALSE(import(write(monthEntries(5, 2025, 4))));
    EXPECT_EQ(prompter.lastMessage().text, "Import Error: no room");
    prompter.queueAnswer(Answer::Yes);
    EXPECT_FALSE(report.deleteMonth("2025", "Apr"));
    EXPECT_EQ(prompter.lastMessage().text, "Error: no room");
    EXPECT_EQ(report.connection().scalar("SELECT COUNT(*) FROM " + shape.table).toInt(), 3);
    EXPECT_EQ(records().size(), 1u);
}

TEST_P(ReportHistoryTest, TheQuestionSaysWhenTheSameFileWasImportedBefore) {
    const std::vector<Entry> entries = monthEntries(3, 2025, 4);
    const std::string file = write(entries);
    ASSERT_TRUE(import(file));
    const std::string plain = prompter.messages()[0].text;
    EXPECT_EQ(plain.find("already"), std::string::npos);

    // The same bytes under another name are the same file; a declined import is no import.
    time.now = {2026, 12, 7, 9, 5, 0};
    std::filesystem::copy_file(file, dir.file("copy.xlsx"));
    EXPECT_FALSE(import(dir.file("copy.xlsx"), Answer::No));
    EXPECT_EQ(prompter.lastMessage().text, GetParam().question);

    // A file that differs in one amount is new.
    std::vector<Entry> changed = entries;
    changed[2].amount = "104";
    EXPECT_FALSE(import(write(changed), Answer::No));
    EXPECT_EQ(prompter.lastMessage().text, plain);

    // Imported again, the latest import is the one named.
    ASSERT_TRUE(import(dir.file("copy.xlsx")));
    EXPECT_FALSE(import(file, Answer::No));
    EXPECT_NE(prompter.lastMessage().text.find("This file was already imported on 07/12/2026 09:05.\r\nAre you sure"),
              std::string::npos)
        << prompter.lastMessage().text;
}

INSTANTIATE_TEST_SUITE_P(BothReports, ReportHistoryTest, ::testing::ValuesIn(kHistoryReports),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
