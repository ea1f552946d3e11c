#include <gtest/gtest.h>

#include "compare/CompareScreen.h"
#include "compare/MonthComparison.h"
#include "support/MonthDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace vesk::compare {
namespace {

using test::rowText;

class DetailTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.configure("Division");
        db.office("9", "Division", "PDN", "", "F9");
        db.office("1", "Alpha", "SO", "", "F1");
        db.office("2", "Beta", "SO", "", "F2");
        db.office("3", "O'Neil SO", "SO", "", "F3");
        // Alpha, entered out of date order.
        db.deposit("F1", "21/04/2025", "1");  // both differences
        db.withdrawal("F1", "21/04/2025", "1");
        db.deposit("F1", "10/04/2025", "100");  // agrees
        db.orv("1", "10/04/2025", "Receipt", "100");
        db.orv("1", "02/04/2025", "Receipt", "50");  // ORV side only
        db.deposit("F1", "03/04/2025", "10.005");    // 0.005 both ways: agrees
        db.orv("1", "03/04/2025", "Receipt", "10");
        db.withdrawal("F1", "03/04/2025", "19.995");
        db.orv("1", "03/04/2025", "Payment", "20");
        db.deposit("F1", "04/04/2025", "30");  // deposits off by -0.02, withdrawals agree
        db.orv("1", "04/04/2025", "Receipt", "30.02");
        db.withdrawal("F1", "04/04/2025", "5");
        db.orv("1", "04/04/2025", "Payment", "5");
        db.withdrawal("F1", "2025-04-05 10:00:00", "7");  // two times of one day fall together
        db.withdrawal("F1", "05/04/2025 15:30:00", "8");
        db.orv("1", "05/04/2025", "Payment", "10");
        db.deposit("F2", "01/04/2025", "9");
        db.deposit("F3", "15/04/2025", "3");

        logic.blinker().setDuration(std::chrono::milliseconds(0));
        logic.setHideStatusLater([this] { ++timer1Starts; });
        logic.load();
        logic.compare();
    }
    std::vector<std::string> rows() const {
        std::vector<std::string> out;
        for (const GridRow& r : logic.detailed().rows) out.push_back(rowText(r));
        return out;
    }
    int pick(const std::string& office) {
        const auto& list = logic.view().offices;
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i] == office) return int(i);
        ADD_FAILURE() << office << " is not listed";
        return -1;
    }

    test::TempDir dir;
    test::MonthDatabase db{dir.file("ZETTools.db")};
    test::ScriptedPrompter prompter;
    CompareScreen logic{dir.file("ZETTools.db"), prompter, [] { return DateTime{2025, 5, 1}; }};
    int timer1Starts = 0;
};

const std::vector<std::string> kAlpha = {
    "02/04/2025 | Alpha | 0.00 | 50.00 | -50.00* | 0.00 | 0.00 | 0.00",
    "04/04/2025 | Alpha | 30.00 | 30.02 | -0.02* | 5.00 | 5.00 | 0.00",
    "05/04/2025 | Alpha | 0.00 | 0.00 | 0.00 | 15.00 | 10.00 | 5.00*",
    "21/04/2025 | Alpha | 1.00 | 0.00 | 1.00* | 1.00 | 0.00 | 1.00*",
};
const std::string kBeta = "01/04/2025 | Beta | 9.00 | 0.00 | 9.00* | 0.00 | 0.00 | 0.00";
const std::string kONeil = "15/04/2025 | O'Neil SO | 3.00 | 0.00 | 3.00* | 0.00 | 0.00 | 0.00";

TEST_F(DetailTest, AllCoversEveryListedOfficeByDateAndEachPickRebuildsTheGrid) {
    ASSERT_EQ(logic.view().offices, (std::vector<std::string>{"All", "Alpha", "Beta", "O'Neil SO"}));
    logic.filterOffices("BE");  // hides Alpha and O'Neil SO, which All still covers
    ASSERT_TRUE(logic.chooseOffice(0));

    std::vector<std::string> expected = kAlpha;
    expected.push_back(kBeta);
    expected.push_back(kONeil);
    EXPECT_EQ(rows(), expected);
    const CompareView& v = logic.view();
    EXPECT_TRUE(v.detailExportVisible);
    EXPECT_FALSE(v.loading.visible);
    EXPECT_EQ(v.status.text, "Data Fetched...");
    EXPECT_FALSE(v.status.visible);  // the blink has ended
    EXPECT_EQ(timer1Starts, 1);
    logic.hideStatus();
    EXPECT_EQ(logic.view().status.text, "");

    // Each pick rebuilds the grid.
    logic.filterOffices("");
    for (const auto& [office, shown] :
         std::vector<std::pair<std::string, std::vector<std::string>>>{{"O'Neil SO", {kONeil}}, {"Alpha", kAlpha}}) {
        SCOPED_TRACE(office);
        ASSERT_TRUE(logic.chooseOffice(pick(office)));
        EXPECT_EQ(rows(), shown);
    }
}

TEST_F(DetailTest, AnOfficeWithoutADifferingDateStillReportsTheFetch) {
    // Three days off by 0.01 each: the month differs, no single day does.
    db.office("4", "Gamma", "SO", "", "F4");
    for (const char* day : {"07/04/2025", "08/04/2025", "09/04/2025"}) {
        db.deposit("F4", day, "100.01");  // 0.010000000000005 after subtracting
        db.orv("4", day, "Receipt", "100");
    }
    logic.reset();
    ASSERT_TRUE(logic.compare());
    ASSERT_TRUE(logic.chooseOffice(pick("Gamma")));
    EXPECT_TRUE(logic.detailed().rows.empty());
    EXPECT_EQ(logic.view().status.text, "Data Fetched...");
    EXPECT_TRUE(logic.view().detailExportVisible);
}

TEST_F(DetailTest, NothingListedLeavesTheHeaderOnly) {
    db.connection().execute("DELETE FROM veskfinacle; DELETE FROM orvtable");
    db.deposit("F9", "12/04/2025", "5");
    db.orv("9", "12/04/2025", "Receipt", "5");
    logic.reset();
    ASSERT_TRUE(logic.compare());
    ASSERT_EQ(logic.view().offices, std::vector<std::string>{"All"});
    EXPECT_TRUE(logic.chooseOffice(0));
    EXPECT_TRUE(logic.detailed().rows.empty());
    EXPECT_FALSE(logic.view().detailExportVisible);
    EXPECT_EQ(logic.view().status.text, "");
    EXPECT_EQ(timer1Starts, 0);
}

// The office list as the form and the detail verb both read a name into it: All first, an
// exact match before one that differs in letter case only.
TEST(OfficeList, ANameFindsItsEntryExactMatchFirst) {
    MonthComparison result;
    for (const char* name : {"bay s.o", "Bay S.O", "Hill HO"}) result.offices.push_back({"", "", name, {}});
    const std::vector<std::string> list = officeList(result);
    ASSERT_EQ(list, (std::vector<std::string>{"All", "bay s.o", "Bay S.O", "Hill HO"}));
    struct Case {
        std::string wanted;
        std::optional<std::size_t> entry;
        std::vector<std::string> offices;
    };
    const std::vector<Case> cases = {
        {"Bay S.O", 2, {"Bay S.O"}},
        {"bay s.o", 1, {"bay s.o"}},
        {"BAY S.O", 1, {"bay s.o"}},  // the first that matches letter case aside
        {"all", 0, {"bay s.o", "Bay S.O", "Hill HO"}},
        {"Hill", std::nullopt, {}},
        {" Hill HO", std::nullopt, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wanted);
        const std::optional<std::size_t> entry = findInOfficeList(list, c.wanted);
        EXPECT_EQ(entry, c.entry);
        if (entry) {
            EXPECT_EQ(officesOf(list, *entry), c.offices);
        }
    }
    EXPECT_EQ(officeList(MonthComparison{}), std::vector<std::string>{"All"});
    EXPECT_TRUE(officesOf({"All"}, 0).empty());
}

}  // namespace
}  // namespace vesk::compare
