// What the reports keep per month (the summary's month lines, the totals per office and
// month) against rows changed by another program, and on a file that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>

#include "backup/Restore.h"
#include "core/Platform.h"
#include "ctr/BankReport.h"
#include "orv/OrvReport.h"
#include "report/ReportMonths.h"
#include "report/ReportStatements.h"
#include "report/SummaryRows.h"
#include "store/Schema.h"
#include "store/StoreTestSupport.h"
#include "support/ChildProcess.h"
#include "support/MonthDatabase.h"
#include "support/OtherProgram.h"
#include "support/TempDir.h"

namespace vesk::report {
namespace {

using test::rowsOf;
using test::summaryFromRows;
using test::summaryRows;

constexpr const char* kTotals =
    "SELECT report, month_key, upper(office_ref), compared_key, deposits, withdrawals FROM office_month_totals "
    "ORDER BY 1, 2, 3, 4";

const std::vector<const ReportDescription*>& bothReports() {
    static const std::vector<const ReportDescription*> reports{&ctr::bankReport(), &orv::orvReport()};
    return reports;
}

// The summaries and the totals, as the forms and the trend read them.
void keepEverything(store::Connection& on) {
    for (const ReportDescription* r : bothReports()) monthlySummary(on, *r);
    keepOfficeTotals(on, bothReports());
}

// Every report's summary as the form shows it, then its totals as the trend reads them.
std::vector<std::string> kept(store::Connection& on) {
    std::vector<std::string> out;
    for (const ReportDescription* r : bothReports())
        for (std::string& line : summaryRows(monthlySummary(on, *r))) out.push_back(std::move(line));
    keepOfficeTotals(on, bothReports());
    for (std::string& line : rowsOf(on.query(kTotals))) out.push_back(std::move(line));
    return out;
}

// A connection (args: the file) that cannot write the file, run by a user who may only read
// it (not root, who writes any file): it says what kept() lists each time it is released.
VESK_CHILD_ROUTINE(listsWhatItCannotWrite) {
    platform::dropAdministratorRights();
    store::Connection reader;
    reader.open(args.at(0));
    if (!reader.readOnly()) return 3;
    self.reached();
    while (self.awaitRelease()) {
        for (const std::string& line : kept(reader)) self.say(line);
        self.reached();
    }
    return 0;
}

// That connection, kept open in a process of its own; it lists what it is asked for, one
// listing at a time, as the test asks.
class ReadOnlyReader {
  public:
    ReadOnlyReader(const std::string& path, const std::string& folder) {
        // Open to the reader's user for the time it opens the file, which no one may write.
        platform::shareWithOthers(folder);
        platform::shareWithOthers(path);
        platform::setReadOnly(path, true);
        m_child = std::make_unique<test::ChildProcess>("listsWhatItCannotWrite", std::vector<std::string>{path});
        const bool opened = m_child->awaitReached();
        // The writers go on writing.
        platform::setReadOnly(path, false);
        platform::makeOwnerOnly(path);
        if (!opened) throw std::runtime_error("the reader could not open the file read-only");
    }

    std::vector<std::string> list() {
        m_child->release();
        if (!m_child->awaitReached()) {
            ADD_FAILURE() << "the reader ended with " << m_child->wait();
            return {};
        }
        return m_child->heard();
    }

  private:
    std::unique_ptr<test::ChildProcess> m_child;
};

class RowMarksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.office("10", "Hill SO", "SO", "", "F10");
        db.office("11", "Lake SO", "SO", "", "F11");
        for (const char* date : {"03/03/2025", "04/04/2025", "05/04/2025", "06/05/2025"}) {
            db.deposit("F10", date, "100.10");
            db.withdrawal("F11", date, "25");
            db.orv("10", date, "Receipt", "100.1");
            db.orv("11", date, "Payment", "25");
        }
        keepEverything(c());
    }
    store::Connection& c() { return db.connection(); }

    // The same from the rows alone: the summaries' full statement, the totals built anew.
    std::vector<std::string> fromRows() { return fromRows(c(), path); }
    std::vector<std::string> fromRows(store::Connection& on, const std::string& file) {
        std::vector<std::string> out;
        for (const ReportDescription* r : bothReports())
            for (std::string& line : summaryFromRows(on, *r)) out.push_back(std::move(line));
        // On a copy, so that the file itself is left as it is. The copy goes first: the Windows
        // library's copy_file refuses to overwrite whatever it is told.
        const std::string copy = dir.file("copy.db");
        std::filesystem::remove(platform::fsPath(copy));
        std::filesystem::copy_file(platform::fsPath(file), platform::fsPath(copy));
        store::Connection fresh;
        fresh.open(copy);
        fresh.execute("DELETE FROM office_month_marks");
        keepOfficeTotals(fresh, bothReports());
        for (std::string& line : rowsOf(fresh.query(kTotals))) out.push_back(std::move(line));
        return out;
    }
    void expectMarksDescribeTheRows() { expectMarksDescribeTheRows(c()); }
    static void expectMarksDescribeTheRows(store::Connection& on) {
        for (const char* table : {"veskfinacle", "orvtable"})
            EXPECT_EQ(rowsOf(on.query("SELECT row_count, last_rowid FROM row_marks WHERE report = ?", {table})),
                      rowsOf(on.query(std::string("SELECT COUNT(*), ifnull(MAX(rowid), 0) FROM ") + table)))
                << table;
    }

    test::TempDir dir;
    std::string path = dir.file("ZETTools.db");
    test::MonthDatabase db{path};
};

TEST_F(RowMarksTest, RowsAnotherProgramChangesAreSummedAndTotalledAfresh) {
    const std::string bank =
        "INSERT INTO veskfinacle (tran_id, value_date, Tran_Date, CASH_TRAN_TYPE, TRAN_AMT, "
        "FACILITY_ID) VALUES ";
    const std::string orv =
        "INSERT INTO orvtable (treasury_tran_id, try_posting_date, office_id, receipt_or_payment, tot_amount) VALUES ";
    struct Case {
        const char* what;
        std::string sql;
    };
    // One after the other; the last row's replacement and the changed amounts leave the number
    // of rows and the highest row id as they were.
    const Case cases[] = {
        {"rows written", bank + "('X1', '07/04/2025', '07/04/2025', 'DEPOSIT', '40', 'F10'); " + orv +
                             "('Y1', '07/04/2025', '11', 'Receipt', '40')"},
        {"amounts changed",
         "UPDATE veskfinacle SET TRAN_AMT = '41' WHERE tran_id = 'X1'; "
         "UPDATE orvtable SET tot_amount = '39' WHERE treasury_tran_id = 'Y1'"},
        {"the newest row replaced by another of the same place",
         "DELETE FROM veskfinacle WHERE rowid = (SELECT MAX(rowid) FROM veskfinacle); " + bank +
             "('X2', '07/04/2025', '07/04/2025', 'WITHDRAWAL', '41', 'F10'); "
             "DELETE FROM orvtable WHERE rowid = (SELECT MAX(rowid) FROM orvtable); " +
             orv + "('Y2', '07/04/2025', '11', 'Payment', '39')"},
        {"a row moved to another month",
         "UPDATE veskfinacle SET value_date = '08/06/2025', Tran_Date = '08/06/2025' WHERE tran_id = 'X2'; "
         "UPDATE orvtable SET try_posting_date = '08/06/2025' WHERE treasury_tran_id = 'Y2'"},
        {"the oldest rows removed",
         "DELETE FROM veskfinacle WHERE rowid = (SELECT MIN(rowid) FROM veskfinacle); "
         "DELETE FROM orvtable WHERE rowid = (SELECT MIN(rowid) FROM orvtable)"},
        {"every row removed", "DELETE FROM veskfinacle; DELETE FROM orvtable"},
        {"rows written into empty tables", bank + "('X3', '09/07/2025', '09/07/2025', 'DEPOSIT', '7', 'F11'); " + orv +
                                               "('Y3', '09/07/2025', '10', 'Receipt', '7')"},
    };
    std::vector<std::string> before = kept(c());
    for (const Case& cs : cases) {
        SCOPED_TRACE(cs.what);
        test::OtherProgram(path).run(cs.sql);
        expectMarksDescribeTheRows();
        const std::vector<std::string> now = kept(c());
        EXPECT_EQ(now, fromRows());
        EXPECT_NE(now, before);
        before = now;
    }
}

TEST_F(RowMarksTest, AFileThatCannotBeWrittenListsTheRowsAsTheyAreAndStoresNothing) {
    if (!platform::accessRightsHold())
        GTEST_SKIP() << "wine keeps no access rights on files and lets root past a read-only file";
    const auto fileState = [&] {
        return rowsOf(
            c().query("SELECT report, row_count, last_rowid, changes FROM month_summary_marks UNION ALL "
                      "SELECT report, row_count, last_rowid, changes FROM office_month_marks ORDER BY 1"));
    };
    struct Step {
        const char* what;
        std::function<void()> change;
    };
    const Step steps[] = {
        {"rows written by another program",
         [&] {
             test::OtherProgram(path).run(
                 "INSERT INTO veskfinacle (tran_id, value_date, Tran_Date, CASH_TRAN_TYPE, TRAN_AMT, FACILITY_ID) "
                 "VALUES ('X1', '07/04/2025', '07/04/2025', 'DEPOSIT', '40', 'F10')");
         }},
        // The reader's connection stays open: what it built for itself while the file's lines
        // were out of date must not stand in for them once a writer has brought them up to
        // date and changed them again.
        {"the file's lines built again, then a month deleted",
         [&] {
             keepEverything(c());
             ASSERT_GT(deleteMonth(c(), ctr::bankReport(), {2025, 3}), 0);
         }},
        {"rows written again", [&] { db.deposit("F11", "09/04/2025", "3"); }},
    };
    ReadOnlyReader reader(path, dir.folder());
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        const std::vector<std::string> stored = fileState();
        const std::vector<std::string> listed = reader.list();
        EXPECT_EQ(fileState(), stored);  // nothing written by the reader
        EXPECT_EQ(listed, fromRows());
    }
}

// A backup of this layout restores as the copy it is (the restore's own tests); one made
// before the marks, a row written after its lines were kept, is listed from its rows.
TEST_F(RowMarksTest, ARestoredBackupOfTheLayoutBeforeTheMarksIsListedFromTheRowsItHolds) {
    c().close();
    const std::string backup = dir.file("backup.db");
    {
        test::MonthDatabase b{backup};
        b.office("12", "Dale SO", "SO", "", "F12");
        b.deposit("F12", "02/06/2025", "70");
        b.orv("12", "02/06/2025", "Receipt", "70");
        keepEverything(b.connection());
        test::makeLayoutBeforeRowMarks(b.connection());
        b.deposit("F12", "03/06/2025", "5");
        b.orv("12", "04/07/2025", "Receipt", "5");
    }
    ASSERT_EQ(backup::restoreDatabase(path, backup, DateTime{2026, 3, 9, 14, 5, 1}, "clerk").status,
              backup::Restore::Status::Restored);
    store::Connection restored;
    restored.open(path);
    EXPECT_EQ(restored.layoutVersion(), store::kSchemaVersion);
    expectMarksDescribeTheRows(restored);
    const std::vector<std::string> listed = kept(restored);
    EXPECT_EQ(listed, fromRows(restored, path));
    EXPECT_EQ(
        std::count_if(listed.begin(), listed.end(), [](const std::string& l) { return l.find("2025 | Jun | ") == 0; }),
        2);
    // A change the program makes then keeps them current.
    ASSERT_GT(deleteMonth(restored, ctr::bankReport(), {2025, 6}), 0);
    expectMarksDescribeTheRows(restored);
    EXPECT_EQ(kept(restored), fromRows(restored, path));
}

}  // namespace
}  // namespace vesk::report
