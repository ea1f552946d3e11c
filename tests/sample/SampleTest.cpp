#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>

#include "core/Error.h"
#include "core/Text.h"
#include "sample/SampleSet.h"
#include "sheet/Workbook.h"
#include "support/TempDir.h"

namespace vesk::sample {
namespace {

using sheet::Cell;
using test::TempDir;

std::int64_t toPaise(const Cell& cell) {
    if (cell.kind == Cell::Kind::Number) return std::llround(cell.number * 100);
    // Amounts the bank writes as text carry thousands separators.
    std::string digits;
    for (char c : cell.text)
        if (c != ',') digits += c;
    return std::llround(std::stod(digits) * 100);
}

// What the month's comparison would find, worked out from the files alone.
struct FileTotals {
    std::map<std::string, std::string> officeByFacility, officeById;  // -> office name
    std::map<std::string, std::int64_t> bank[2], orv[2];              // office name -> paise
    std::set<std::string> officesWithBankRows, officesWithOrvRows;
    std::vector<std::string> strangerFacilities;
};

void readOffices(const std::string& path, FileTotals& t) {
    auto sheet = sheet::Workbook::open(path)->activeSheet();
    for (int r = 2; r <= sheet->lastRow(1); ++r) {
        std::string name = sheet::cellText(sheet->cell(r, 2));
        t.officeById[sheet::cellText(sheet->cell(r, 1))] = name;
        t.officeByFacility[sheet::cellText(sheet->cell(r, 5))] = name;
    }
}

void readBank(const std::string& path, int year, int month, FileTotals& t) {
    auto sheet = sheet::Workbook::open(path)->firstSheet();
    auto block = sheet->block(2, 1, sheet->lastRow(1), kCtrColumns);
    for (int r = 0; r < block.rows(); ++r) {
        SCOPED_TRACE("bank row " + std::to_string(r + 2));
        ASSERT_EQ(block.at(r, 1).kind, Cell::Kind::Date);
        EXPECT_EQ(block.at(r, 1).date.month, month);
        auto tranDate = parseDateText(block.at(r, 2).text);
        EXPECT_TRUE(tranDate && tranDate->year == year && tranDate->month == month &&
                    tranDate->day == block.at(r, 1).date.day)
            << block.at(r, 2).text;
        const std::string type = block.at(r, 3).text;
        ASSERT_TRUE(type == "DEPOSIT" || type == "WITHDRAWAL") << type;
        const std::string facility = sheet::cellText(block.at(r, 5));
        auto office = t.officeByFacility.find(facility);
        if (office == t.officeByFacility.end()) {
            t.strangerFacilities.push_back(facility);
            continue;
        }
        t.officesWithBankRows.insert(office->second);
        t.bank[type == "DEPOSIT" ? 0 : 1][office->second] += toPaise(block.at(r, 4));
    }
}

void readOrv(const std::string& path, bool receipts, int month, FileTotals& t) {
    auto sheet = sheet::Workbook::open(path)->firstSheet();
    auto block = sheet->block(2, 1, sheet->lastRow(1), kOrvColumns);
    for (int r = 0; r < block.rows(); ++r) {
        SCOPED_TRACE("ORV row " + std::to_string(r + 2));
        ASSERT_EQ(block.at(r, 1).kind, Cell::Kind::Date);
        EXPECT_EQ(block.at(r, 1).date.month, month);
        EXPECT_EQ(sheet::cellText(block.at(r, 4)), receipts ? kReceiptAccountCode : kPaymentAccountCode);
        EXPECT_EQ(block.at(r, 5).text.substr(0, 1) + block.at(r, 8).text, receipts ? "RR" : "PP");
        auto office = t.officeById.find(sheet::cellText(block.at(r, 2)));
        ASSERT_NE(office, t.officeById.end()) << sheet::cellText(block.at(r, 2));
        EXPECT_EQ(block.at(r, 3).text, office->second);
        t.officesWithOrvRows.insert(office->second);
        t.orv[receipts ? 0 : 1][office->second] += toPaise(block.at(r, 6));
    }
}

class SampleFiles : public ::testing::TestWithParam<SampleOptions> {};

TEST_P(SampleFiles, OfficesAgreeExceptWherePlanted) {
    TempDir dir;
    const SampleOptions o = GetParam();
    SampleSet set = writeSampleSet(dir.file("month"), o);
    const Planted& p = set.data.planted;

    FileTotals t;
    readOffices(set.officeMasterPath, t);
    ASSERT_EQ(int(t.officeById.size()), o.offices);
    readBank(set.ctrPath, o.year, o.month, t);
    readOrv(set.orvReceiptsPath, true, o.month, t);
    readOrv(set.orvPaymentsPath, false, o.month, t);

    std::set<std::string> planted = {p.missingEntryOffice, p.amountOffOffice, p.bankOnlyOffice, p.orvOnlyOffice};
    ASSERT_EQ(planted.size(), 4u) << "planted differences share an office";
    EXPECT_EQ(t.strangerFacilities, std::vector<std::string>{p.unknownFacilityId});
    EXPECT_TRUE(t.officesWithBankRows.count(p.bankOnlyOffice));
    EXPECT_FALSE(t.officesWithOrvRows.count(p.bankOnlyOffice));
    EXPECT_TRUE(t.officesWithOrvRows.count(p.orvOnlyOffice));
    EXPECT_FALSE(t.officesWithBankRows.count(p.orvOnlyOffice));

    // Exactly the missing entry, the amount off and the office without ORV rows differ, as the generator says.
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> found, expected;
    for (const std::string& office : t.officesWithBankRows) {
        const auto deposits = t.bank[0][office] - t.orv[0][office], withdrawals = t.bank[1][office] - t.orv[1][office];
        if (deposits != 0 || withdrawals != 0) found[office] = {deposits, withdrawals};
    }
    for (const auto& e : expectedDifferences(set.data)) expected[e.officeName] = {e.depositPaise, e.withdrawalPaise};
    EXPECT_EQ(found, expected);
    // Late bookings and a deposit booked as two receipts leave the month's totals alone; a
    // duplicate, a deposit carried over the month's end and the receipts keyed or booked
    // wrongly do not.
    std::set<std::string> differing = {p.missingEntryOffice, p.amountOffOffice, p.bankOnlyOffice};
    for (const std::string* office :
         {&p.duplicateOffice, &p.carriedOutOffice, &p.carriedInOffice, &p.wrongOfficeFrom, &p.wrongOfficeTo,
          &p.swappedDigitsOffice, &p.slippedPointOffice, &p.twoSetsOffice})
        if (!office->empty()) differing.insert(*office);
    std::set<std::string> foundNames;
    for (const auto& [office, d] : found) foundNames.insert(office);
    if (!p.carriedOutOffice.empty() && p.carriedOutOffice == p.carriedInOffice)
        foundNames.insert(p.carriedOutOffice);  // may cancel out
    EXPECT_EQ(foundNames, differing);
    for (const std::string& office : p.lateOffices) EXPECT_FALSE(found.count(office)) << office;
    EXPECT_FALSE(found.count(p.farLateOffice)) << p.farLateOffice;
    if (!p.splitOffice.empty()) {
        EXPECT_FALSE(found.count(p.splitOffice));
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SampleFiles,
                         // a leap February
                         ::testing::Values(SampleOptions{6, 12, 2024, 2, 1}, SampleOptions{150, 4000, 2024, 2, 99}),
                         [](const auto& p) {
                             return std::to_string(p.param.offices) + "offices" + std::to_string(p.param.rows) + "rows";
                         });

TEST(SampleData, SameSeedSameMonthOtherSeedOtherMonth) {
    SampleOptions o{.offices = 30, .rows = 500};
    auto fingerprint = [](const SampleData& d) {
        std::string s;
        for (const auto& off : d.offices) s += off.officeId + off.name + off.typeCode + off.hoName + off.facilityId;
        for (const auto& b : d.bankRows)
            s += b.tranId + b.tranDateText + std::to_string(b.paise) + b.facilityId + b.accountName;
        for (const auto& r : d.orvRows) s += r.treasuryTranId + r.officeId + std::to_string(r.paise);
        return s + d.planted.missingEntryOffice + d.planted.amountOffOffice + d.planted.unknownFacilityId;
    };
    const std::string first = fingerprint(generateSample(o));
    EXPECT_EQ(fingerprint(generateSample(o)), first);
    o.seed = 2;
    EXPECT_NE(fingerprint(generateSample(o)), first);
}

TEST(SampleData, OfficesLookLikeAnExport) {
    SampleData d = generateSample({.offices = 60, .rows = 600});
    std::map<std::string, std::string> typeByName;
    std::set<std::string> ids, facilities;
    int divisions = 0, apostrophes = 0;
    for (const auto& off : d.offices) {
        const std::string type = upper(trim(off.typeCode));
        typeByName[off.name] = type;
        divisions += type == "PDN";
        apostrophes += off.name.find('\'') != std::string::npos;
        ids.insert(off.officeId);
        facilities.insert(off.facilityId);
    }
    EXPECT_EQ(divisions, 1);
    EXPECT_GE(apostrophes, 2);
    // Names, ids and facilities are each unique.
    EXPECT_EQ(typeByName.size() + ids.size() + facilities.size(), 3 * d.offices.size());
    for (const auto& off : d.offices) {
        const std::string& type = typeByName[off.name];
        if (type == "SO" || type == "BO") {
            EXPECT_EQ(typeByName[off.hoName], "HPO") << off.name;
        }
        if (type == "HPO") {
            EXPECT_EQ(off.hoName, off.name);
        }
    }
    EXPECT_TRUE(std::any_of(d.bankRows.begin(), d.bankRows.end(), [](const BankRow& b) { return b.amountAsText; }));
    EXPECT_TRUE(std::is_sorted(d.bankRows.begin(), d.bankRows.end(),
                               [](const BankRow& a, const BankRow& b) { return a.tranDate < b.tranDate; }));
}

TEST(SampleData, RefusesOptionsItCannotHonour) {
    // Too few offices for the planted differences, fewer rows than two per office, month 13.
    for (const SampleOptions& o : {SampleOptions{5, 100}, SampleOptions{10, 19}, SampleOptions{10, 100, 2025, 13}}) {
        SCOPED_TRACE(testing::Message() << o.offices << " offices, " << o.rows << " rows, month " << o.month);
        try {
            generateSample(o);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), errc::kUsage);
        }
    }
    EXPECT_NO_THROW(generateSample({.offices = 10, .rows = 20}));
}

TEST(SampleData, GroupedAmounts) {
    const std::vector<std::pair<std::int64_t, std::string>> cases = {
        {5, "0.05"}, {99999, "999.99"}, {100000, "1,000.00"}, {-125050, "-1,250.50"}, {12345678901, "123,456,789.01"}};
    for (const auto& [paise, text] : cases) EXPECT_EQ(groupedAmount(paise), text) << paise;
}

TEST(SampleSetFolder, AFileWhereTheFolderShouldBeIsAnError) {
    TempDir dir;
    const std::string blocker = dir.file("taken");
    { std::ofstream(blocker) << "x"; }
    try {
        writeSampleSet(blocker, SampleOptions{});
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), errc::kPathAccess);
    }
}

}  // namespace
}  // namespace vesk::sample
