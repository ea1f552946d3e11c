#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <thread>

#include "cli/Cli.h"
#include "cli/TerminalPrompter.h"
#include "compare/MonthComparison.h"
#include "ctr/BankReport.h"
#include "history/ImportHistory.h"
#include "office/Offices.h"
#include "report/ReportMonths.h"
#include "sample/SampleSet.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseFiles.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

using namespace vesk;
using namespace std::chrono_literals;

const compare::Period kMonth{2025, 4};
const auto kYesMaster = [](const std::optional<DateTime>&) { return true; };
const auto kYes = [](const report::MonthImport&, const std::optional<DateTime>&) { return true; };

// The month's two versions: the bank's workbook as sent, and as sent again with every
// amount changed, so that any mix of the two shows in the totals.
class TwoProgramsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sample::SampleOptions options;
        options.rows = 6000;
        const sample::SampleSet set = sample::writeSampleSet(m_dir.file("sample"), options);
        m_first = set.ctrPath;
        sample::SampleData again = set.data;
        for (sample::BankRow& row : again.bankRows) row.paise += 1000;
        m_second = m_dir.file("again.xlsx");
        sample::writeCtrReport(m_second, again);
        m_totals[0] = totalsWith(set.officeMasterPath, m_first);
        m_totals[1] = totalsWith(set.officeMasterPath, m_second);
        ASSERT_NE(m_totals[0], m_totals[1]);
        // The database as the office has it: the master and the month as first sent.
        store::Connection db;
        db.open(m_path);
        office::importMaster(db, set.officeMasterPath, kYesMaster);
        report::importMonth(db, ctr::bankReport(), m_first, kYes);
    }

    // What the month's comparison totals with only this workbook imported.
    compare::Amounts totalsWith(const std::string& master, const std::string& workbook) {
        const std::string path = m_dir.file("alone-" + std::filesystem::path(workbook).stem().string() + ".db");
        store::Connection db;
        db.open(path);
        office::importMaster(db, master, kYesMaster);
        report::importMonth(db, ctr::bankReport(), workbook, kYes);
        return totals(db);
    }
    static compare::Amounts totals(store::Connection& db) {
        return compare::compareMonth(db, kMonth, compare::comparisonScope(db)).total;
    }
    // Which of the two versions the totals are: 0, 1, or -1 for neither.
    int version(const compare::Amounts& seen) const {
        for (int v = 0; v < 2; ++v)
            if (seen == m_totals[v]) return v;
        return -1;
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file("ZETTools.db");
    std::string m_first, m_second;
    compare::Amounts m_totals[2];
};

TEST_F(TwoProgramsTest, TwoImportsStartedTogetherEndInExactlyOneOfTheirOutcomes) {
    const std::vector<std::string> workbooks = {m_first, m_second};
    std::vector<std::unique_ptr<test::ChildProcess>> imports;
    for (std::size_t i = 0; i < workbooks.size(); ++i)
        imports.push_back(std::make_unique<test::ChildProcess>(
            std::vector<std::string>{VESK_CLI, "--db", m_path, "import-ctr", workbooks[i], "--yes"}, "",
            m_dir.file("err" + std::to_string(i))));
    int finished = 0;
    for (std::size_t i = 0; i < imports.size(); ++i) {
        SCOPED_TRACE(workbooks[i]);
        const int status = imports[i]->wait();
        const std::string err = test::fileBytes(m_dir.file("err" + std::to_string(i)));
        // Either it finished, or it failed saying why and wrote nothing.
        if (status == 0)
            ++finished;
        else
            EXPECT_NE(err.find("The database is in use by another program."), std::string::npos) << err;
        EXPECT_TRUE(status == 0 || status == 1) << status;
    }
    EXPECT_GE(finished, 1);

    store::Connection db;
    db.open(m_path);
    const int seen = version(totals(db));
    ASSERT_NE(seen, -1) << "the month holds neither workbook whole";
    // The history holds the setup's import and one record per finished import, and the
    // newest is the import whose rows the month holds.
    const std::vector<history::Record> records = history::records(db, history::Form::Ctr);
    ASSERT_EQ(records.size(), std::size_t(1 + finished));
    EXPECT_EQ(records.front().file->name, std::filesystem::path(workbooks[std::size_t(seen)]).filename().string());
    EXPECT_TRUE(store::checkDatabaseFile(m_path).sound());
}

TEST_F(TwoProgramsTest, AReaderSeesTheMonthAsItWasOrAsItIsNeverPartOfEach) {
    // The other program sends the month again and again, each version in turn.
    test::ChildProcess writer([&](test::ChildProcess& self) {
        store::Connection db;
        db.open(m_path);
        self.reached();
        for (int round = 0; round < 6; ++round)
            report::importMonth(db, ctr::bankReport(), round % 2 ? m_first : m_second, kYes);
        return 0;
    });
    ASSERT_TRUE(writer.awaitReached());
    store::Connection reader;
    reader.open(m_path);
    int reads = 0;
    bool sawSecond = false;
    do {
        const int seen = version(totals(reader));
        ASSERT_NE(seen, -1) << "after " << reads << " reads";
        sawSecond = sawSecond || seen == 1;
        ++reads;
    } while (writer.running());
    EXPECT_EQ(writer.wait(), 0);
    EXPECT_GE(reads, 2);
    EXPECT_TRUE(sawSecond || version(totals(reader)) == 0);
}

TEST_F(TwoProgramsTest, AnImportThatFindsTheFileBusySaysSoOnALineAndGoesOnOnceItIsFree) {
    test::ChildProcess other([path = m_path](test::ChildProcess& self) {
        store::Connection db;
        db.open(path);
        store::Transaction tx = db.begin();
        self.reached();
        // Long enough for the import to read its workbook first on a slow, busy machine (an
        // instrumented build), well inside the writer's 30 s.
        std::this_thread::sleep_for(10s);
        return 0;  // ends without committing: its change never was
    });
    ASSERT_TRUE(other.awaitReached());
    std::istringstream in;
    std::ostringstream out, err;
    cli::TerminalPrompter prompter(in, err, false, false);
    cli::Context context{in, out, err, prompter, m_path};
    EXPECT_EQ(cli::run({"import-ctr", m_second, "--yes"}, context), cli::kExitOk) << err.str();
    EXPECT_EQ(other.wait(), 0);
    const std::string said = err.str();
    const std::string line =
        "vesk-orv-cli import-ctr: Waiting up to 30 s for another program to finish with the "
        "database...\n";
    EXPECT_NE(said.find(line), std::string::npos) << said;
    EXPECT_EQ(said.find(line), said.rfind(line)) << "one line for one wait";
    store::Connection db;
    db.open(m_path);
    EXPECT_EQ(version(totals(db)), 1);
}

}  // namespace
