#include <gtest/gtest.h>

#include <tuple>

#include "compare/CompareWording.h"
#include "pairs/HandPairs.h"
#include "review/MonthHints.h"
#include "review/OpenItems.h"
#include "review/ReviewDatabase.h"
#include "review/StoredPairing.h"
#include "sample/SampleData.h"
#include "support/SampleStore.h"

namespace vesk::review {
namespace {

using test::ReviewDatabase;

// "ID: hint" of every line of the office's month that has one.
std::vector<std::string> hintsOf(store::Connection& db, compare::Period month, const std::string& office,
                                 std::optional<compare::HintCandidates> paired = std::nullopt) {
    std::vector<std::string> out;
    for (const compare::ExplainedLine& l :
         explainWithHints(db, month, compare::ExplainTarget::one(office), std::move(paired)).lines)
        if (l.hint.kind != compare::HintKind::None) out.push_back(l.id + ": " + compare::hintText(l.hint));
    return out;
}

// "ID: hint" of every open item at the end of June.
std::vector<std::string> hintedItems(store::Connection& db) {
    std::vector<std::string> out;
    for (const OpenItem& i : openItems(db, daysFromCivil(2025, 6, 30)).items)
        out.push_back(i.line.id + ": " + compare::hintText(i.line.hint));
    return out;
}

TEST(HintsTest, ARowBookedTwiceOnEitherSideNamesTheLowestIdOfAnyClass) {
    test::TempDir dir;
    ReviewDatabase db{dir};
    db.importBank({ReviewDatabase::entry("B2", "10/04/2025", "500"), ReviewDatabase::entry("B1", "10/04/2025", "500"),
                   ReviewDatabase::entry("B3", "12/04/2025", "80"), ReviewDatabase::entry("B4", "14/04/2025", "65")});
    db.importOrv({ReviewDatabase::entry("R1", "10/04/2025", "500"), ReviewDatabase::entry("R4", "12/04/2025", "80.01"),
                  ReviewDatabase::entry("R3", "12/04/2025", "80"), ReviewDatabase::entry("R5", "14/04/2025", "65.5")});
    // B1 and R3 are matched; their twins are not, and neither is the lone pair of the 14th.
    const std::vector<std::string> expected = {"B2: booked twice? VESK B1 has the same date and amount",
                                               "R4: booked twice? ORV R3 has the same date and amount",
                                               "B4: ORV R5 is 0.50 more", "R5: VESK B4 is 0.50 less"};
    EXPECT_EQ(hintsOf(db.connection(), {2025, 4}, "Hill SO"), expected);
    // The same from the stored pairing, which keeps each twin; and a twin paired by hand counts.
    EXPECT_EQ(hintedItems(db.connection()), expected);
    ASSERT_TRUE(pairs::makePair(db.connection(), pairs::PairRequest::named({"B1"}, {"R1"}), "ravi", {2025, 6, 1}).pair);
    EXPECT_EQ(hintedItems(db.connection()), expected);
    EXPECT_EQ(hintsOf(db.connection(), {2025, 4}, "Hill SO").front(), expected[0]);
}

TEST(HintsTest, TheOtherMonthsRowsCountAsTheirOwnMonthClassesThem) {
    // April's bank row and ORV's R5 of 700, then May's bank row B5 of 700.
    struct Case {
        const char* what;
        test::Entry aprilBank;
        const char* r5Date;
        const char* b5Date;
        std::string hint;  // B5's; "" for none
    };
    const auto e = [](const char* id, const char* date, const char* amount) {
        return ReviewDatabase::entry(id, date, amount);
    };
    const std::vector<Case> cases = {
        {"10 days earlier, unpaired in April", e("B9", "02/04/2025", "1"), "25/04/2025", "05/05/2025",
         "B5: ORV R5 on 25/04/2025, 10 days earlier"},
        {"paired in April, it is no candidate", e("B6", "25/04/2025", "700"), "25/04/2025", "05/05/2025", ""},
        // May's own window holds R5 without B6, yet April pairs them: R5 is no candidate.
        {"paired in April by timing", e("B6", "27/04/2025", "700"), "30/04/2025", "04/05/2025", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        ReviewDatabase db{dir};
        db.importBank({c.aprilBank});
        db.importOrv({e("R5", c.r5Date, "700")});
        db.importBank({e("B5", c.b5Date, "700")});
        std::vector<std::string> hints = hintsOf(db.connection(), {2025, 5}, "Hill SO");
        std::erase_if(hints, [](const std::string& h) { return !h.starts_with("B5"); });
        EXPECT_EQ(hints, c.hint.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.hint});
    }
}

// An April row finds its counterpart in May the same way: B1 and R3 below.
TEST(HintsTest, StoredOrPairedAfreshTheNeighboursGiveTheSameHintsAndTheOpenItemsCarryThem) {
    test::TempDir dir;
    ReviewDatabase db{dir};
    db.office("102", "Bay SO", "SO", "Hill HO", "F2");
    db.importBank(
        {ReviewDatabase::entry("B1", "28/04/2025", "600"), ReviewDatabase::entry("B2", "15/04/2025", "4518")});
    db.importOrv({ReviewDatabase::entry("R2", "15/04/2025", "4158"), ReviewDatabase::entry("R3", "06/05/2025", "600")});
    db.orv("102", "2025-04-30", "Receipt", 77);  // A1
    db.deposit("F1", "01/05/2025", 77);          // T2
    const std::vector<std::string> expected = {"B2: digits swapped: ORV R2 4,158.00",
                                               "R2: digits swapped: VESK B2 4,518.00",
                                               "B1: ORV R3 on 06/05/2025, 8 days later"};
    store::Connection& c = db.connection();
    // A file that cannot be written keeps nothing: what keepHintMonths paired comes back, so
    // that the explanation need not pair it again.
    c.execute("PRAGMA query_only = ON");
    std::optional<compare::HintCandidates> unkept = keepHintMonths(c, {2025, 4});
    ASSERT_TRUE(unkept.has_value());
    EXPECT_EQ(hintsOf(c, {2025, 4}, "Hill SO", std::move(unkept)), expected);
    EXPECT_EQ(hintsOf(c, {2025, 4}, "Hill SO"), expected);
    EXPECT_EQ(pairedMonths(c, {{2025, 4}}).paired, 1u);
    c.execute("PRAGMA query_only = OFF");
    // Before any listing of every month, the months the hints read are stored, then read again.
    EXPECT_FALSE(keepHintMonths(c, {2025, 4}).has_value());
    EXPECT_EQ(pairedMonths(c, {{2025, 4}, {2025, 5}}).reused, 2u);
    EXPECT_EQ(hintsOf(c, {2025, 4}, "Hill SO"), expected);
    ASSERT_FALSE(openItems(c, daysFromCivil(2025, 6, 30)).items.empty());  // every month stored
    EXPECT_EQ(pairedMonths(c, {{2025, 4}, {2025, 5}}).reused, 2u);
    EXPECT_EQ(hintsOf(c, {2025, 4}, "Hill SO"), expected);
    EXPECT_EQ(hintsOf(c, {2025, 5}, "Hill SO"),
              (std::vector<std::string>{"T2: same amount at Bay SO: ORV A1 on 30/04/2025",
                                        "R3: VESK B1 on 28/04/2025, 8 days earlier"}));
    EXPECT_EQ(hintedItems(c),
              (std::vector<std::string>{
                  "B2: digits swapped: ORV R2 4,158.00", "R2: digits swapped: VESK B2 4,518.00",
                  "B1: ORV R3 on 06/05/2025, 8 days later", "A1: same amount at Hill SO: VESK T2 on 01/05/2025",
                  "T2: same amount at Bay SO: ORV A1 on 30/04/2025", "R3: VESK B1 on 28/04/2025, 8 days earlier"}));
}

// "office id class" of each line an explanation gives.
std::vector<std::string> linesOf(const compare::Explanation& e) {
    std::vector<std::string> out;
    for (const compare::ExplainedLine& l : e.lines)
        out.push_back(l.office + " " + l.id + " " + compare::pairClassKey(l.cls));
    return out;
}

// The differing offices are compared before the explanation's state of the file is taken: rows
// moved, or the configured office changed, since then have them compared again.
TEST(HintsTest, AnExplanationPreparedBeforeAChangeExplainsTheFileAsItIsNow) {
    test::TempDir dir;
    ReviewDatabase db{dir};
    db.office("102", "Bay SO", "SO", "Bay HO", "F2");
    db.office("103", "Hill HO", "HPO");
    db.importBank({ReviewDatabase::entry("B1", "10/04/2025", "500")});
    db.importOrv({ReviewDatabase::entry("R1", "10/04/2025", "500")});
    db.deposit("F2", "12/04/2025", 80);
    store::Connection& c = db.connection();
    const compare::Period april{2025, 4};
    const auto explainedNow = [&](PreparedExplanation prepared) {
        const store::Transaction read = c.beginRead();
        const std::vector<std::string> lines =
            linesOf(explainPrepared(c, april, compare::ExplainTarget::differing(), std::move(prepared)));
        EXPECT_EQ(lines, linesOf(explainWithHints(c, april, compare::ExplainTarget::differing())));
        return lines;
    };

    // Kept from being stored, the hints' months are paired, and the month compared, each time.
    const auto prepared = [&] {
        c.execute("PRAGMA query_only = ON");
        PreparedExplanation p = prepareExplanation(c, april, compare::ExplainTarget::differing());
        c.execute("PRAGMA query_only = OFF");
        EXPECT_TRUE(p.differing.has_value());
        return p;
    };
    EXPECT_EQ(explainedNow(prepared()), std::vector<std::string>{"Bay SO T1 bank-only"});

    // A row no history records: Hill SO differs now.
    PreparedExplanation earlier = prepared();
    db.deposit("F1", "14/04/2025", 65);
    EXPECT_EQ(explainedNow(std::move(earlier)),
              (std::vector<std::string>{"Bay SO T1 bank-only", "Hill SO B1 matched", "Hill SO R1 matched",
                                        "Hill SO T2 bank-only"}));

    // The configured office narrows the comparison to its own offices.
    earlier = prepared();
    db.configure("Hill HO");
    EXPECT_EQ(explainedNow(std::move(earlier)),
              (std::vector<std::string>{"Hill SO B1 matched", "Hill SO R1 matched", "Hill SO T2 bank-only"}));
}

// The sample month plants a row for each kind of hint, each in an office of its own; the
// counterpart is where the generator put it (none: two sets).
TEST(HintsTest, TheSampleMonthShowsEveryKindOfHint) {
    const sample::SampleOptions options{40, 2000, 2025, 4, 1};
    const sample::SampleData data = sample::generateSample(options);
    test::TempDir dir;
    test::MonthDatabase db(dir.file("ZETTools.db"));
    test::storeSampleMonth(db.connection(), data, true);
    const sample::Planted& p = data.planted;
    using K = compare::HintKind;
    const std::tuple<std::string, K, std::string> cases[] = {
        {p.duplicateOffice, K::BookedTwice, p.duplicateOffice},
        {p.farLateOffice, K::LateOrEarly, p.farLateOffice},
        {p.wrongOfficeFrom, K::AnotherOffice, p.wrongOfficeTo},
        {p.wrongOfficeTo, K::AnotherOffice, p.wrongOfficeFrom},
        {p.swappedDigitsOffice, K::DigitsSwapped, p.swappedDigitsOffice},
        {p.slippedPointOffice, K::DecimalPoint, p.slippedPointOffice},
        {p.twoSetsOffice, K::SeveralSets, ""},
    };
    for (const auto& [office, kind, counterpart] : cases) {
        SCOPED_TRACE(office);
        ASSERT_FALSE(office.empty());
        std::size_t hinted = 0;
        for (const compare::ExplainedLine& l :
             explainWithHints(db.connection(), {options.year, options.month}, compare::ExplainTarget::one(office))
                 .lines) {
            if (l.hint.kind != kind) continue;
            ++hinted;
            if (counterpart.empty())
                EXPECT_EQ(l.hint.setCount, 2u) << compare::hintText(l.hint);
            else
                EXPECT_EQ(l.hint.counterpart ? l.hint.counterpart->office : "", counterpart)
                    << compare::hintText(l.hint);
        }
        EXPECT_GT(hinted, 0u);
    }
}

}  // namespace
}  // namespace vesk::review
