#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "CliRunner.h"
#include "sample/SampleSet.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

// April 2025 of a sample with the bank's report and the ORV receipts imported, not the payments.
class MonthPartsVerbsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sample::SampleOptions options;
        options.offices = 8;
        options.rows = 60;
        set = sample::writeSampleSet(dir.file("month"), options);
        ASSERT_EQ(cli({"import-master", set.officeMasterPath, "--yes"}).status, kExitOk);
        imports.push_back(cli({"import-ctr", set.ctrPath, "--yes"}));
        imports.push_back(cli({"import-orv", set.orvReceiptsPath, "--yes"}));
        for (const Outcome& r : imports) ASSERT_EQ(r.status, kExitOk) << r.err;
    }

    Outcome cli(const std::vector<std::string>& args) { return runCli(db, args); }

    test::TempDir dir;
    std::string db = dir.file("ZETTools.db");
    sample::SampleSet set;
    std::vector<Outcome> imports;
};

// Each import says what the month still lacks; the verbs over the month warn on standard error
// while what they print stays as it was; a close asks first, and No keeps the month open.
TEST_F(MonthPartsVerbsTest, TheVerbsSayWhatTheMonthLacksOnStandardError) {
    EXPECT_NE(imports[0].err.find("[Import] info: April 2025 still lacks the ORV receipts and payments.\n"),
              std::string::npos)
        << imports[0].err;
    EXPECT_NE(imports[1].err.find("[Import] info: April 2025 still lacks the ORV payments.\n"), std::string::npos)
        << imports[1].err;

    const std::string lacking = "ORV payments of April 2025 are not imported: every withdrawal differs\n";
    for (const std::vector<std::string>& args : {std::vector<std::string>{"compare", "2025", "4"},
                                                 {"explain", "2025", "4", "All"},
                                                 {"statement", "2025", "4"}}) {
        SCOPED_TRACE(args[0]);
        const Outcome r = cli(args);
        EXPECT_EQ(r.status, kExitOk) << r.err;
        EXPECT_EQ(r.err.rfind(lacking, 0), 0u) << r.err;
        EXPECT_EQ(r.out.find("not imported"), std::string::npos);
    }
    const Outcome empty = cli({"compare", "2025", "5"});
    EXPECT_EQ(empty.err.rfind("Nothing is imported for May 2025: the newest month held is April 2025\n", 0), 0u)
        << empty.err;
    EXPECT_EQ(empty.out, "");

    const Outcome unanswered = cli({"close", "2025", "4"});
    EXPECT_EQ(unanswered.status, kExitFailed);
    EXPECT_NE(unanswered.err.find("ORV payments of April 2025 are not imported: every withdrawal differs. Close "
                                  "April 2025 all the same?"),
              std::string::npos)
        << unanswered.err;
    EXPECT_EQ(unanswered.err.find("Close April 2025? "), std::string::npos) << unanswered.err;  // not asked on
    EXPECT_EQ(cli({"closes"}).out, "");

    const Outcome completed = cli({"import-orv", set.orvPaymentsPath, "--yes"});
    ASSERT_EQ(completed.status, kExitOk);
    EXPECT_EQ(completed.err.find("still lacks"), std::string::npos) << completed.err;
    EXPECT_EQ(cli({"compare", "2025", "4"}).err.find("not imported"), std::string::npos);
}

// months lists the month with the file of each import, the one missing, its close state and
// its open items' amounts added up as open-items lists them.
TEST_F(MonthPartsVerbsTest, MonthsListsEachMonthsImportsCloseAndOpenAmount) {
    const Outcome r = cli({"months"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    const std::vector<std::string> lines = textParts(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_EQ(lines[0], "Month\tBank CTR\tORV Receipts\tORV Payments\tClose\tOpen");
    const std::vector<std::string> cells = textParts(lines[1], '\t');
    ASSERT_EQ(cells.size(), 6u) << lines[1];
    EXPECT_EQ(cells[0], "2025-04");
    EXPECT_EQ(cells[1].rfind("vesk_ctr_Apr_2025.xlsx (", 0), 0u) << cells[1];
    EXPECT_EQ(cells[2].rfind("orv_receipts_Apr_2025.xlsx (", 0), 0u) << cells[2];
    EXPECT_EQ(cells[3], "missing");
    EXPECT_EQ(cells[4], "not closed");

    double open = 0;
    const std::vector<std::string> items = textParts(cli({"open-items"}).out);
    for (std::size_t l = 1; l < items.size(); ++l) {
        const std::vector<std::string> item = textParts(items[l], '\t');
        if (item[0] == "2025-04") open += std::fabs(std::stod(item[6]));
    }
    EXPECT_GT(open, 0);
    EXPECT_NEAR(std::stod(cells[5]), open, 0.005);

    ASSERT_EQ(cli({"close", "2025", "4", "--yes"}).status, kExitOk);
    EXPECT_EQ(textParts(textParts(cli({"months"}).out)[1], '\t')[4], "closed");
}

}  // namespace
}  // namespace vesk::cli
