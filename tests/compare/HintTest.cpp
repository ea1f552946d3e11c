#include <gtest/gtest.h>

#include "compare/CompareWording.h"
#include "compare/HintSearch.h"

namespace vesk::compare {
namespace {

using notes::Side;

long long aprilDay(int day) { return daysFromCivil(2025, 4, day); }

// A line of Hill SO's deposits unless told; a bank line is bank-only and an ORV one orv-only
// unless told.
ExplainedLine line(Side side, const std::string& id, long long day, double amount, std::string office = "Hill SO",
                   std::optional<PairClass> cls = std::nullopt, ExplainKind kind = ExplainKind::Deposit) {
    ExplainedLine l;
    l.office = std::move(office);
    l.kind = kind;
    l.side = side;
    l.day = day;
    l.id = id;
    l.amount = amount;
    l.cls = cls.value_or(side == Side::Bank ? PairClass::BankOnly : PairClass::OrvOnly);
    return l;
}

ExplainedLine orv(const std::string& id, long long day, double amount, std::string office = "Hill SO",
                  std::optional<PairClass> cls = std::nullopt) {
    return line(Side::Orv, id, day, amount, std::move(office), cls);
}

ExplainedLine bank(const std::string& id, long long day, double amount, std::string office = "Hill SO",
                   std::optional<PairClass> cls = std::nullopt) {
    return line(Side::Bank, id, day, amount, std::move(office), cls);
}

std::string hinted(const ExplainedLine& subject, const std::vector<ExplainedLine>& candidates) {
    return hintText(HintCandidates(candidates).hintFor(subject));
}

struct Case {
    const char* what;
    ExplainedLine subject;
    std::vector<ExplainedLine> candidates;
    std::string hint;
};

void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(hinted(c.subject, c.candidates), c.hint);
    }
}

const ExplainedLine kDeposit = bank("T1", aprilDay(15), 4518);

TEST(HintTest, LateOrEarlyFromFourToTenDaysNearestFirst) {
    check({
        {"3 days is no late booking", kDeposit, {orv("R1", aprilDay(18), 4518)}, ""},
        {"4 days later", kDeposit, {orv("R1", aprilDay(19), 4518)}, "ORV R1 on 19/04/2025, 4 days later"},
        {"10 days earlier", kDeposit, {orv("R1", aprilDay(5), 4518)}, "ORV R1 on 05/04/2025, 10 days earlier"},
        {"11 days is too far", kDeposit, {orv("R1", aprilDay(26), 4518)}, ""},
        {"equal within 0.01", kDeposit, {orv("R1", aprilDay(20), 4518.01)}, "ORV R1 on 20/04/2025, 5 days later"},
        {"0.02 off is not equal", kDeposit, {orv("R1", aprilDay(20), 4518.02)}, ""},
        {"the nearest first",
         kDeposit,
         {orv("R1", aprilDay(23), 4518), orv("R2", aprilDay(10), 4518)},
         "ORV R2 on 10/04/2025, 5 days earlier"},
        {"as near: the earlier date",
         kDeposit,
         {orv("R1", aprilDay(21), 4518), orv("R2", aprilDay(9), 4518)},
         "ORV R2 on 09/04/2025, 6 days earlier"},
        {"the same date: the lower ID",
         kDeposit,
         {orv("R7", aprilDay(21), 4518), orv("R3", aprilDay(21), 4518)},
         "ORV R3 on 21/04/2025, 6 days later"},
        {"only the other side's rows", kDeposit, {bank("T2", aprilDay(21), 4518)}, ""},
        {"only rows of the kind",
         kDeposit,
         {line(Side::Orv, "R1", aprilDay(21), 4518, "Hill SO", std::nullopt, ExplainKind::Withdrawal)},
         ""},
        {"only rows the rules leave unpaired",
         kDeposit,
         {orv("R1", aprilDay(21), 4518, "Hill SO", PairClass::Matched),
          orv("R2", aprilDay(22), 4518, "Hill SO", PairClass::Timing)},
         ""},
        {"an amount-differs row is one",
         kDeposit,
         {orv("R1", aprilDay(21), 4518, "Hill SO", PairClass::AmountDiffers)},
         "ORV R1 on 21/04/2025, 6 days later"},
        {"a bank counterpart",
         orv("R1", aprilDay(15), 70),
         {bank("T1", aprilDay(25), 70)},
         "VESK T1 on 25/04/2025, 10 days later"},
    });
    const Hint h = HintCandidates({orv("R1", aprilDay(5), 4518)}).hintFor(kDeposit);
    EXPECT_EQ(h.kind, HintKind::LateOrEarly);
    EXPECT_EQ(h.days, -10);
    ASSERT_TRUE(h.counterpart);
    EXPECT_EQ(h.counterpart->side, Side::Orv);
    EXPECT_EQ(h.counterpart->day, aprilDay(5));
    EXPECT_EQ(h.counterpart->office, "Hill SO");
    EXPECT_EQ(h.counterpart->amount, 4518);
}

TEST(HintTest, AnotherOfficeFromNoneToThreeDaysNearestThenByName) {
    check({
        {"the same day",
         kDeposit,
         {orv("R1", aprilDay(15), 4518, "Kamptee SO")},
         "same amount at Kamptee SO: ORV R1 on 15/04/2025"},
        {"3 days",
         kDeposit,
         {orv("R1", aprilDay(12), 4518, "Kamptee SO")},
         "same amount at Kamptee SO: ORV R1 on 12/04/2025"},
        {"4 days is too far", kDeposit, {orv("R1", aprilDay(19), 4518, "Kamptee SO")}, ""},
        {"the nearest first",
         kDeposit,
         {orv("R1", aprilDay(17), 4518, "Bay SO"), orv("R2", aprilDay(16), 4518, "Kamptee SO")},
         "same amount at Kamptee SO: ORV R2 on 16/04/2025"},
        {"as near: the office name without regard to case",
         kDeposit,
         {orv("R1", aprilDay(16), 4518, "Kamptee SO"), orv("R2", aprilDay(14), 4518, "bay SO")},
         "same amount at bay SO: ORV R2 on 14/04/2025"},
        {"the same office: the lower ID",
         kDeposit,
         {orv("R9", aprilDay(16), 4518, "Bay SO"), orv("R4", aprilDay(16), 4518, "Bay SO")},
         "same amount at Bay SO: ORV R4 on 16/04/2025"},
        {"the row's own office is none", kDeposit, {orv("R1", aprilDay(17), 4518)}, ""},
    });
}

TEST(HintTest, DigitsSwappedOnTheSameDate) {
    check({
        {"4,518.00 and 4,158.00", kDeposit, {orv("R1", aprilDay(15), 4158)}, "digits swapped: ORV R1 4,158.00"},
        {"4,518.00 and 4,519.00 are not", kDeposit, {orv("R1", aprilDay(15), 4519)}, ""},
        {"the paise count: 12.30 and 13.20",
         bank("T1", aprilDay(15), 12.30),
         {orv("R1", aprilDay(15), 13.20)},
         "digits swapped: ORV R1 13.20"},
        {"another date is not", kDeposit, {orv("R1", aprilDay(16), 4158)}, ""},
        {"another office is not", kDeposit, {orv("R1", aprilDay(15), 4158, "Bay SO")}, ""},
        {"the lowest ID first",
         kDeposit,
         {orv("R2", aprilDay(15), 4158), orv("R1", aprilDay(15), 5418)},
         "digits swapped: ORV R1 5,418.00"},
    });
}

TEST(HintTest, DecimalPointTenAHundredOrAThousandTimes) {
    const ExplainedLine small = bank("T1", aprilDay(15), 12.34);
    check({
        {"12.34 and 1,234.00", small, {orv("R1", aprilDay(15), 1234)}, "decimal point: ORV R1 1,234.00"},
        {"12.34 and 1,234.50 are not", small, {orv("R1", aprilDay(15), 1234.50)}, ""},
        {"ten times", small, {orv("R1", aprilDay(15), 123.40)}, "decimal point: ORV R1 123.40"},
        {"a thousand times", small, {orv("R1", aprilDay(15), 12340)}, "decimal point: ORV R1 12,340.00"},
        {"within 0.01", small, {orv("R1", aprilDay(15), 1234.01)}, "decimal point: ORV R1 1,234.01"},
        {"the smaller counterpart",
         bank("T1", aprilDay(15), 12345.67),
         {orv("R1", aprilDay(15), 123.4567)},
         "decimal point: ORV R1 123.46"},
        {"written as summary writes it",
         bank("T1", aprilDay(15), 12345.67),
         {orv("R1", aprilDay(15), 1234567)},
         "decimal point: ORV R1 1,234,567.00"},
        {"ten thousand times is not", small, {orv("R1", aprilDay(15), 123400)}, ""},
    });
}

TEST(HintTest, SeveralSetsOfTheOtherSideSumToTheAmount) {
    const ExplainedLine deposit = bank("T1", aprilDay(15), 1000);
    check({
        {"two sets",
         deposit,
         {orv("R4", aprilDay(15), 700), orv("R1", aprilDay(15), 400), orv("R3", aprilDay(15), 300),
          orv("R2", aprilDay(15), 600)},
         "2 sets of ORV entries sum to it: R1+R2, R3+R4"},
        {"one set is the group rule's", deposit, {orv("R1", aprilDay(15), 400), orv("R2", aprilDay(15), 600)}, ""},
        {"sets of up to four",
         deposit,
         {orv("R1", aprilDay(15), 250), orv("R2", aprilDay(15), 250), orv("R3", aprilDay(15), 250),
          orv("R4", aprilDay(15), 250), orv("R5", aprilDay(15), 250)},
         "5 sets of ORV entries sum to it: R1+R2+R3+R4, R1+R2+R3+R5"},
        {"of the same date only",
         deposit,
         {orv("R1", aprilDay(15), 400), orv("R2", aprilDay(15), 600), orv("R3", aprilDay(16), 300),
          orv("R4", aprilDay(16), 700)},
         ""},
        {"bank rows for an ORV entry",
         orv("R1", aprilDay(15), 50),
         {bank("T2", aprilDay(15), 20), bank("T1", aprilDay(15), 30), bank("T3", aprilDay(15), 25),
          bank("T4", aprilDay(15), 25)},
         "2 sets of VESK rows sum to it: T1+T2, T3+T4"},
    });
    // Every set of two to four of the six rows that makes 1,000 counts; the first two show.
    const Hint h =
        HintCandidates({orv("R1", aprilDay(15), 150), orv("R2", aprilDay(15), 850), orv("R3", aprilDay(15), 250),
                        orv("R4", aprilDay(15), 750), orv("R5", aprilDay(15), 350), orv("R6", aprilDay(15), 650)})
            .hintFor(deposit);
    EXPECT_EQ(h.kind, HintKind::SeveralSets);
    std::size_t expected = 0;
    const double amounts[] = {150, 850, 250, 750, 350, 650};
    for (int mask = 1; mask < 64; ++mask) {
        const int n = __builtin_popcount(unsigned(mask));
        double sum = 0;
        for (int b = 0; b < 6; ++b)
            if (mask & (1 << b)) sum += amounts[b];
        if (n >= 2 && n <= 4 && sum == 1000) ++expected;
    }
    EXPECT_EQ(h.setCount, expected);
    ASSERT_EQ(h.sets.size(), 2u);
    std::vector<std::string> first;
    for (const HintRow& r : h.sets[0]) first.push_back(r.id);
    EXPECT_EQ(first, (std::vector<std::string>{"R1", "R2"}));
}

TEST(HintTest, AnAmountDiffersRowNamesItsPartnerAndTheGap) {
    const ExplainedLine differs = bank("T1", aprilDay(15), 4518, "Hill SO", PairClass::AmountDiffers);
    check({
        {"more",
         differs,
         {orv("R1", aprilDay(15), 4768, "Hill SO", PairClass::AmountDiffers)},
         "ORV R1 is 250.00 more"},
        {"less",
         differs,
         {orv("R1", aprilDay(15), 4267.5, "Hill SO", PairClass::AmountDiffers)},
         "ORV R1 is 250.50 less"},
        {"a bank-only row has no partner",
         kDeposit,
         {orv("R1", aprilDay(15), 4768, "Hill SO", PairClass::AmountDiffers)},
         ""},
        {"another date's amount-differs row is none",
         differs,
         {orv("R1", aprilDay(16), 4768, "Hill SO", PairClass::AmountDiffers)},
         ""},
    });
    const Hint h =
        HintCandidates({orv("R1", aprilDay(15), 1234567.5, "Hill SO", PairClass::AmountDiffers)}).hintFor(differs);
    EXPECT_EQ(h.kind, HintKind::AmountDiffers);
    EXPECT_EQ(h.gap, 1234567.5 - 4518);
    EXPECT_EQ(hintText(h), "ORV R1 is 1,230,049.50 more");
}

TEST(HintTest, TheFirstSearchThatFindsOneGivesTheHint) {
    ExplainedLine twice = kDeposit;
    twice.twin = Twin{"T0", 4518};
    ExplainedLine orvTwice = orv("R5", aprilDay(15), 80);
    orvTwice.twin = Twin{"R2", 80.01};
    const ExplainedLine small = bank("T1", aprilDay(15), 12.34, "Hill SO", PairClass::AmountDiffers);
    check({
        {"booked twice before all",
         twice,
         {orv("R1", aprilDay(20), 4518), orv("R2", aprilDay(15), 4158)},
         "booked twice? VESK T0 has the same date and amount"},
        {"an ORV entry booked twice", orvTwice, {}, "booked twice? ORV R2 has the same date and amount"},
        {"late before another office",
         kDeposit,
         {orv("R1", aprilDay(15), 4518, "Bay SO"), orv("R2", aprilDay(24), 4518)},
         "ORV R2 on 24/04/2025, 9 days later"},
        {"another office before digits swapped",
         kDeposit,
         {orv("R1", aprilDay(15), 4158), orv("R2", aprilDay(13), 4518, "Bay SO")},
         "same amount at Bay SO: ORV R2 on 13/04/2025"},
        {"digits swapped before the decimal point",
         small,
         {orv("R1", aprilDay(15), 123.40), orv("R2", aprilDay(15), 21.34)},
         "digits swapped: ORV R2 21.34"},
        {"the decimal point before several sets",
         bank("T1", aprilDay(15), 100),
         {orv("R1", aprilDay(15), 10), orv("R2", aprilDay(15), 90), orv("R3", aprilDay(15), 40),
          orv("R4", aprilDay(15), 60), orv("R5", aprilDay(15), 1000)},
         "decimal point: ORV R1 10.00"},
        {"several sets before the amount-differs partner",
         bank("T1", aprilDay(15), 100, "Hill SO", PairClass::AmountDiffers),
         {orv("R1", aprilDay(15), 30), orv("R2", aprilDay(15), 70), orv("R3", aprilDay(15), 45),
          orv("R4", aprilDay(15), 55), orv("R5", aprilDay(15), 77, "Hill SO", PairClass::AmountDiffers)},
         "2 sets of ORV entries sum to it: R1+R2, R3+R4"},
        {"none at all", kDeposit, {orv("R1", aprilDay(15), 99)}, ""},
    });
    // A row the rules pair gets no hint, whatever the candidates.
    for (PairClass cls : {PairClass::Matched, PairClass::Group, PairClass::Timing, PairClass::Manual}) {
        SCOPED_TRACE(pairClassTag(cls));
        ExplainedLine paired = bank("T1", aprilDay(15), 4518, "Hill SO", cls);
        paired.twin = Twin{"T0", 4518};
        EXPECT_EQ(HintCandidates({orv("R1", aprilDay(20), 4518)}).hintFor(paired).kind, HintKind::None);
    }
}

}  // namespace
}  // namespace vesk::compare
