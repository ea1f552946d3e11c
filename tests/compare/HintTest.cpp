#include <gtest/gtest.h>

#include "compare/CompareWording.h"
#include "compare/HintSearch.h"

namespace vesk::compare {
namespace {

using notes::Side;

// A line of Hill SO's deposits on a day of April 2025 unless told; a bank line is bank-only
// and an ORV one orv-only unless told.
ExplainedLine line(Side side, const std::string& id, int day, double amount, std::string office = "Hill SO",
                   std::optional<PairClass> cls = std::nullopt, ExplainKind kind = ExplainKind::Deposit) {
    ExplainedLine l;
    l.office = std::move(office);
    l.kind = kind;
    l.side = side;
    l.day = daysFromCivil(2025, 4, day);
    l.id = id;
    l.amount = amount;
    l.cls = cls.value_or(side == Side::Bank ? PairClass::BankOnly : PairClass::OrvOnly);
    return l;
}

ExplainedLine orv(const std::string& id, int day, double amount, std::string office = "Hill SO",
                  std::optional<PairClass> cls = std::nullopt) {
    return line(Side::Orv, id, day, amount, std::move(office), cls);
}

ExplainedLine bank(const std::string& id, int day, double amount, std::string office = "Hill SO",
                   std::optional<PairClass> cls = std::nullopt) {
    return line(Side::Bank, id, day, amount, std::move(office), cls);
}

std::string hinted(const ExplainedLine& subject, const std::vector<ExplainedLine>& candidates) {
    return hintText(HintCandidates(candidates).hintFor(subject));
}

template <typename... Lines>
std::vector<ExplainedLine> hintRows(Lines... lines) {
    return {lines...};
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

const ExplainedLine kDeposit = bank("T1", 15, 4518);

TEST(HintTest, LateOrEarlyFromFourToTenDaysNearestFirst) {
    check({
        {"3 days is no late booking", kDeposit, hintRows(orv("R1", 18, 4518)), ""},
        {"4 days later", kDeposit, hintRows(orv("R1", 19, 4518)), "ORV R1 on 19/04/2025, 4 days later"},
        {"10 days earlier", kDeposit, hintRows(orv("R1", 5, 4518)), "ORV R1 on 05/04/2025, 10 days earlier"},
        {"11 days is too far", kDeposit, hintRows(orv("R1", 26, 4518)), ""},
        {"equal within 0.01", kDeposit, hintRows(orv("R1", 20, 4518.01)), "ORV R1 on 20/04/2025, 5 days later"},
        {"0.02 off is not equal", kDeposit, hintRows(orv("R1", 20, 4518.02)), ""},
        {"the nearest first", kDeposit, hintRows(orv("R1", 23, 4518), orv("R2", 10, 4518)),
         "ORV R2 on 10/04/2025, 5 days earlier"},
        {"as near: the earlier date", kDeposit, hintRows(orv("R1", 21, 4518), orv("R2", 9, 4518)),
         "ORV R2 on 09/04/2025, 6 days earlier"},
        {"the same date: the lower ID", kDeposit, hintRows(orv("R7", 21, 4518), orv("R3", 21, 4518)),
         "ORV R3 on 21/04/2025, 6 days later"},
        {"only rows of the kind", kDeposit,
         hintRows(line(Side::Orv, "R1", 21, 4518, "Hill SO", std::nullopt, ExplainKind::Withdrawal)), ""},
        {"only rows the rules leave unpaired", kDeposit, hintRows(orv("R1", 21, 4518, "Hill SO", PairClass::Timing)),
         ""},
        {"an amount-differs row is one", kDeposit, hintRows(orv("R1", 21, 4518, "Hill SO", PairClass::AmountDiffers)),
         "ORV R1 on 21/04/2025, 6 days later"},
        {"a bank counterpart", orv("R1", 15, 70), hintRows(bank("T1", 25, 70)), "VESK T1 on 25/04/2025, 10 days later"},
    });
    const Hint h = HintCandidates({orv("R1", 5, 4518)}).hintFor(kDeposit);
    EXPECT_EQ(h.days, -10);
}

TEST(HintTest, AnotherOfficeFromNoneToThreeDaysNearestThenByName) {
    check({
        {"3 days", kDeposit, hintRows(orv("R1", 12, 4518, "Kamptee SO")),
         "same amount at Kamptee SO: ORV R1 on 12/04/2025"},
        {"4 days is too far", kDeposit, hintRows(orv("R1", 19, 4518, "Kamptee SO")), ""},
        {"the nearest first", kDeposit, hintRows(orv("R1", 17, 4518, "Bay SO"), orv("R2", 16, 4518, "Kamptee SO")),
         "same amount at Kamptee SO: ORV R2 on 16/04/2025"},
        {"as near: the office name without regard to case", kDeposit,
         hintRows(orv("R1", 16, 4518, "Kamptee SO"), orv("R2", 14, 4518, "bay SO")),
         "same amount at bay SO: ORV R2 on 14/04/2025"},
        {"the same office: the lower ID", kDeposit,
         hintRows(orv("R9", 16, 4518, "Bay SO"), orv("R4", 16, 4518, "Bay SO")),
         "same amount at Bay SO: ORV R4 on 16/04/2025"},
        {"the row's own office is none", kDeposit, hintRows(orv("R1", 17, 4518)), ""},
    });
}

TEST(HintTest, DigitsSwappedOnTheSameDate) {
    check({
        {"4,518.00 and 4,158.00", kDeposit, hintRows(orv("R1", 15, 4158)), "digits swapped: ORV R1 4,158.00"},
        {"the paise count: 12.30 and 13.20", bank("T1", 15, 12.30), hintRows(orv("R1", 15, 13.20)),
         "digits swapped: ORV R1 13.20"},
        {"another date is not", kDeposit, hintRows(orv("R1", 16, 4158)), ""},
        {"another office is not", kDeposit, hintRows(orv("R1", 15, 4158, "Bay SO")), ""},
        {"the lowest ID first", kDeposit, hintRows(orv("R2", 15, 4158), orv("R1", 15, 5418)),
         "digits swapped: ORV R1 5,418.00"},
    });
}

TEST(HintTest, DecimalPointTenAHundredOrAThousandTimes) {
    const ExplainedLine small = bank("T1", 15, 12.34);
    check({
        {"12.34 and 1,234.50 are not", small, hintRows(orv("R1", 15, 1234.50)), ""},
        {"ten times", small, hintRows(orv("R1", 15, 123.40)), "decimal point: ORV R1 123.40"},
        {"a thousand times", small, hintRows(orv("R1", 15, 12340)), "decimal point: ORV R1 12,340.00"},
        {"within 0.01", small, hintRows(orv("R1", 15, 1234.01)), "decimal point: ORV R1 1,234.01"},
        {"the smaller counterpart", bank("T1", 15, 12345.67), hintRows(orv("R1", 15, 123.4567)),
         "decimal point: ORV R1 123.46"},
        {"ten thousand times is not", small, hintRows(orv("R1", 15, 123400)), ""},
    });
}

TEST(HintTest, SeveralSetsOfTheOtherSideSumToTheAmount) {
    const ExplainedLine deposit = bank("T1", 15, 1000);
    check({
        {"two sets", deposit, hintRows(orv("R4", 15, 700), orv("R1", 15, 400), orv("R3", 15, 300), orv("R2", 15, 600)),
         "2 sets of ORV entries sum to it: R1+R2, R3+R4"},
        {"one set is the group rule's", deposit, hintRows(orv("R1", 15, 400), orv("R2", 15, 600)), ""},
        {"sets of up to four", deposit,
         hintRows(orv("R1", 15, 250), orv("R2", 15, 250), orv("R3", 15, 250), orv("R4", 15, 250), orv("R5", 15, 250)),
         "5 sets of ORV entries sum to it: R1+R2+R3+R4, R1+R2+R3+R5"},
        {"of the same date only", deposit,
         hintRows(orv("R1", 15, 400), orv("R2", 15, 600), orv("R3", 16, 300), orv("R4", 16, 700)), ""},
        {"bank rows for an ORV entry", orv("R1", 15, 50),
         hintRows(bank("T2", 15, 20), bank("T1", 15, 30), bank("T3", 15, 25), bank("T4", 15, 25)),
         "2 sets of VESK rows sum to it: T1+T2, T3+T4"},
    });
    // Every set of two to four of the six rows that makes 1,000 counts; the first two show.
    const Hint h = HintCandidates({orv("R1", 15, 150), orv("R2", 15, 850), orv("R3", 15, 250), orv("R4", 15, 750),
                                   orv("R5", 15, 350), orv("R6", 15, 650)})
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
    const ExplainedLine differs = bank("T1", 15, 4518, "Hill SO", PairClass::AmountDiffers);
    check({
        {"more", differs, hintRows(orv("R1", 15, 4768, "Hill SO", PairClass::AmountDiffers)), "ORV R1 is 250.00 more"},
        {"less", differs, hintRows(orv("R1", 15, 4267.5, "Hill SO", PairClass::AmountDiffers)),
         "ORV R1 is 250.50 less"},
        {"a bank-only row has no partner", kDeposit, hintRows(orv("R1", 15, 4768, "Hill SO", PairClass::AmountDiffers)),
         ""},
        {"another date's amount-differs row is none", differs,
         hintRows(orv("R1", 16, 4768, "Hill SO", PairClass::AmountDiffers)), ""},
    });
}

TEST(HintTest, TheFirstSearchThatFindsOneGivesTheHint) {
    ExplainedLine twice = kDeposit;
    twice.twin = Twin{"T0", 4518};
    const ExplainedLine small = bank("T1", 15, 12.34, "Hill SO", PairClass::AmountDiffers);
    check({
        {"booked twice before all", twice, hintRows(orv("R1", 20, 4518), orv("R2", 15, 4158)),
         "booked twice? VESK T0 has the same date and amount"},
        {"late before another office", kDeposit, hintRows(orv("R1", 15, 4518, "Bay SO"), orv("R2", 24, 4518)),
         "ORV R2 on 24/04/2025, 9 days later"},
        {"another office before digits swapped", kDeposit, hintRows(orv("R1", 15, 4158), orv("R2", 13, 4518, "Bay SO")),
         "same amount at Bay SO: ORV R2 on 13/04/2025"},
        {"digits swapped before the decimal point", small, hintRows(orv("R1", 15, 123.40), orv("R2", 15, 21.34)),
         "digits swapped: ORV R2 21.34"},
        {"the decimal point before several sets", bank("T1", 15, 100),
         hintRows(orv("R1", 15, 10), orv("R2", 15, 90), orv("R3", 15, 40), orv("R4", 15, 60), orv("R5", 15, 1000)),
         "decimal point: ORV R1 10.00"},
        {"several sets before the amount-differs partner", bank("T1", 15, 100, "Hill SO", PairClass::AmountDiffers),
         hintRows(orv("R1", 15, 30), orv("R2", 15, 70), orv("R3", 15, 45), orv("R4", 15, 55),
                  orv("R5", 15, 77, "Hill SO", PairClass::AmountDiffers)),
         "2 sets of ORV entries sum to it: R1+R2, R3+R4"},
        {"none at all", kDeposit, hintRows(orv("R1", 15, 99)), ""},
    });
    // A row the rules pair gets no hint, whatever the candidates.
    for (PairClass cls : {PairClass::Matched, PairClass::Group, PairClass::Timing, PairClass::Manual}) {
        SCOPED_TRACE(pairClassKey(cls));
        ExplainedLine paired = bank("T1", 15, 4518, "Hill SO", cls);
        paired.twin = Twin{"T0", 4518};
        EXPECT_EQ(HintCandidates({orv("R1", 20, 4518)}).hintFor(paired).kind, HintKind::None);
    }
}

}  // namespace
}  // namespace vesk::compare
