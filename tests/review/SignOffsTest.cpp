#include <gtest/gtest.h>

#include "app/cli/CliRunner.h"
#include "history/ImportHistory.h"
#include "review/ReviewWording.h"
#include "review/SignOffs.h"
#include "store/StoreTestSupport.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace vesk::review {
namespace {

using SignOffs = std::vector<compare::SignOff>;

const DateTime kSignedAt{2025, 6, 3, 10, 30};

SignOffs signedBy(const std::string& prepared, const std::string& checked, const std::string& approved) {
    return {{"Prepared by", prepared, "Clerk"}, {"Checked by", checked, ""}, {"Approved by", approved, "Postmaster"}};
}

class SignOffsTest : public ::testing::Test {
  protected:
    SignOffsTest() { db.open(path); }

    bool set(const SignOffs& s) {
        return setSignOffs(db, s, "ravi", [] { return kSignedAt; });
    }

    test::TempDir dir;
    std::string path = dir.file("ZETTools.db");
    store::Connection db;
};

TEST_F(SignOffsTest, SetTrimmedAndReadBackWithAHistoryRecordOfEachChange) {
    EXPECT_EQ(signOffs(db), SignOffs({{"Prepared by", "", ""}, {"Checked by", "", ""}, {"Approved by", "", ""}}));

    ASSERT_TRUE(set(signedBy("  Ravi Kumar ", "", "Asha ")));
    const SignOffs first = {
        {"Prepared by", "Ravi Kumar", "Clerk"}, {"Checked by", "", ""}, {"Approved by", "Asha", "Postmaster"}};
    EXPECT_EQ(signOffs(db), first);
    // The same names again, blanks aside, are no change.
    EXPECT_FALSE(set(signedBy("Ravi Kumar\t", "", "Asha")));
    ASSERT_TRUE(set(signedBy("Ravi Kumar", "Mohan", "Asha")));
    EXPECT_EQ(signOffs(db)[1], (compare::SignOff{"Checked by", "Mohan", ""}));

    const std::vector<history::Record> records = history::records(db, history::Form::Closes);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].action, history::Action::SignOffsChanged);
    EXPECT_EQ(records[0].by, "ravi");
    EXPECT_EQ(records[0].when, kSignedAt);
    EXPECT_EQ(records[0].signOffs, "Checked by: none \u2192 Mohan");
    EXPECT_EQ(records[1].signOffs,
              "Prepared by: none \u2192 Ravi Kumar, Clerk; Approved by: none \u2192 Asha, Postmaster");
}

TEST_F(SignOffsTest, ATextTooLongOrHoldingAControlIsRefusedSayingWhyAndNothingIsWritten) {
    struct Case {
        const char* what;
        std::string name;
        const char* said;  // nullptr: taken
    };
    std::string sixty;
    for (int i = 0; i < 60; ++i) sixty += "\u00e9";  // two bytes each: characters are counted, not bytes
    const Case cases[] = {
        {"60 characters", sixty, nullptr},
        {"61 characters", sixty + "x", "The name of Checked by has 61 characters; at most 60 fit"},
        {"a tab inside", "Ra\tvi", "The name of Checked by holds a control character"},
        {"a line break", "Ravi\nKumar", "The name of Checked by holds a control character"},
        {"DEL", "Ravi\x7f", "The name of Checked by holds a control character"},
        {"a C1 control", "Ravi\u0085", "The name of Checked by holds a control character"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SignOffs before = signOffs(db);
        const std::size_t recorded = history::records(db).size();
        if (!c.said) {
            EXPECT_TRUE(set(signedBy("Ravi", c.name, "Asha")));
            EXPECT_EQ(signOffs(db)[1].name, c.name);
            continue;
        }
        const Error e = test::errorOf([&] { set(signedBy("Ravi", c.name, "Asha")); });
        EXPECT_EQ(e.number(), errc::kUsage);
        EXPECT_EQ(e.description().rfind(c.said, 0), 0u) << e.description();
        EXPECT_EQ(signOffs(db), before);
        EXPECT_EQ(history::records(db).size(), recorded);
    }
}

TEST_F(SignOffsTest, AFileOfAnOlderLayoutOpenedAsItIsShowsNoneAndTakesNone) {
    test::makeLayoutBeforeSignOffs(db);
    db.close();
    db.openWithoutUpgrade(path);
    EXPECT_EQ(signOffs(db)[2], (compare::SignOff{"Approved by", "", ""}));
    EXPECT_EQ(test::errorOf([&] { set(signedBy("Ravi", "", "")); }).number(), store::kReadOnlyError);
}

TEST_F(SignOffsTest, TheVerbSetsTheRolesGivenKeepsTheOthersAndHistoryListsTheChange) {
    db.close();
    cli::Outcome r = cli::runCli(path, {"sign-off", "--prepared", "Ravi", "--approved-as", "Postmaster"});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    r = cli::runCli(path, {"sign-off", "--checked", " Mohan ", "--checked-as", "Inspector"});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    const std::vector<std::string> lines = {"Prepared by\tRavi\t", "Checked by\tMohan\tInspector",
                                            "Approved by\t\tPostmaster"};
    EXPECT_EQ(cli::textParts(r.out), lines);
    EXPECT_EQ(cli::textParts(cli::runCli(path, {"sign-off"}).out), lines);

    r = cli::runCli(path, {"sign-off", "--approved", std::string(61, 'x')});
    EXPECT_EQ(r.status, cli::kExitUsage);
    EXPECT_NE(r.err.find(signOffTooLongText(SignOffRole::Approved, false, 61)), std::string::npos) << r.err;

    const std::vector<std::string> listed = cli::textParts(cli::runCli(path, {"history", "closes"}).out);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_NE(listed[0].find("\tSign-offs changed\t\tChecked by: none \u2192 Mohan, Inspector\t"), std::string::npos)
        << listed[0];
}

}  // namespace
}  // namespace vesk::review
