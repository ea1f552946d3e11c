#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <utility>

#include "cli/Cli.h"
#include "cli/TerminalPrompter.h"
#include "compare/MonthComparison.h"
#include "core/Platform.h"
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

const compare::Period kMonth{2025, 4};
const auto kYesMaster = [](const std::optional<DateTime>&) { return true; };
const auto kYes = [](const report::MonthImport&, const std::optional<DateTime>&) { return true; };

// The error stream of a program under test: calls `seen` once, when `line` has been written.
class LineWatch : public std::stringbuf {
  public:
    LineWatch(std::string line, std::function<void()> seen) : m_line(std::move(line)), m_seen(std::move(seen)) {}

  protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        const std::streamsize put = std::stringbuf::xsputn(s, n);
        check();
        return put;
    }
    int_type overflow(int_type c) override {
        const int_type put = std::stringbuf::overflow(c);
        check();
        return put;
    }

  private:
    void check() {
        if (m_seen && str().find(m_line) != std::string::npos) std::exchange(m_seen, nullptr)();
    }

    std::string m_line;
    std::function<void()> m_seen;
};

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
        const std::string path = m_dir.file("alone-" + platform::utf8(platform::fsPath(workbook).stem()) + ".db");
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
    EXPECT_EQ(records.front().file->name, platform::fileName(workbooks[std::size_t(seen)]));
    EXPECT_TRUE(store::checkDatabaseFile(m_path).sound());
}

constexpr int kRounds = 4;
int sentIn(int round) { return round % 2 ? 0 : 1; }  // the version each round imports

// The other program (args: the file, the two versions' workbooks) sends the month again and
// again, each version in turn, and says when each import is committed.
VESK_CHILD_ROUTINE(sendsTheMonthAgainAndAgain) {
    store::Connection db;
    db.open(args.at(0));
    for (int round = 0; round < kRounds; ++round) {
        report::importMonth(db, ctr::bankReport(), args.at(sentIn(round) ? 2 : 1), kYes);
        self.reached();
        self.awaitRelease();
    }
    return 0;
}

// The other program (args: the file) in a write transaction it ends without committing.
VESK_CHILD_ROUTINE(holdsTheFileInAWrite) {
    store::Connection db;
    db.open(args.at(0));
    store::Transaction tx = db.begin();
    self.reached();
    self.awaitRelease();
    return 0;  // its change never was
}

TEST_F(TwoProgramsTest, AReaderSeesTheMonthAsItWasOrAsItIsNeverPartOfEach) {
    test::ChildProcess writer("sendsTheMonthAgainAndAgain", {m_path, m_first, m_second});
    store::Connection reader;
    reader.open(m_path);
    int reads = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Reading while the import goes on: one version whole, whichever.
        do {
            ASSERT_NE(version(totals(reader)), -1) << "after " << reads << " reads";
            ++reads;
        } while (!writer.reachedYet());
        // Once it is committed, the reader's next look sees it.
        EXPECT_EQ(version(totals(reader)), sentIn(round));
        writer.release();
    }
    EXPECT_EQ(writer.wait(), 0);
    EXPECT_GE(reads, kRounds);
}

TEST_F(TwoProgramsTest, AnImportThatFindsTheFileBusySaysSoOnALineAndGoesOnOnceItIsFree) {
    test::ChildProcess other("holdsTheFileInAWrite", {m_path});
    ASSERT_TRUE(other.awaitReached());
    const std::string line =
        "vesk-orv-cli import-ctr: Waiting up to 30 s for another program to finish with the "
        "database...\n";
    // The other program lets go once the import has said it waits.
    LineWatch err(line, [&other] { other.release(); });
    std::istringstream in;
    std::ostringstream out;
    std::ostream errStream(&err);
    cli::TerminalPrompter prompter(in, errStream, false, false);
    cli::Context context{in, out, errStream, prompter, m_path};
    EXPECT_EQ(cli::run({"import-ctr", m_second, "--yes"}, context), cli::kExitOk) << err.str();
    EXPECT_EQ(other.wait(), 0);
    const std::string said = err.str();
    EXPECT_NE(said.find(line), std::string::npos) << said;
    EXPECT_EQ(said.find(line), said.rfind(line)) << "one line for one wait";
    store::Connection db;
    db.open(m_path);
    EXPECT_EQ(version(totals(db)), 1);
}

}  // namespace
