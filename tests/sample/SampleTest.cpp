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
    const int last = sheet->lastRow(1);
    for (int r = 2; r <= last; ++r) {
        std::string name = sheet::cellText(sheet->cell(r, 2));
        t.officeById[sheet::cellText(sheet->cell(r, 1))] = name;
        t.officeByFacility[sheet::cellText(sheet->cell(r, 5))] = name;
    }
}

void readBank(const std::string& path, int year, int month, FileTotals& t) {
    auto sheet = sheet::Workbook::open(path)->firstSheet();
    const int last = sheet->lastRow(1);
    auto block = sheet->block(2, 1, last, kCtrColumns);
    for (int r = 0; r < block.rows(); ++r) {
        SCOPED_TRACE("bank row " + std::to_string(r + 2));
        ASSERT_EQ(block.at(r, 1).kind, Cell::Kind::Date);
        EXPECT_EQ(block.at(r, 1).date.month, month);
        auto tranDate = parseDateText(block.at(r, 2).text);
        ASSERT_TRUE(tranDate) << block.at(r, 2).text;
        EXPECT_EQ(tranDate->year, year);
        EXPECT_EQ(tranDate->month, month);
        EXPECT_EQ(tranDate->day, block.at(r, 1).date.day);
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
    const int last = sheet->lastRow(1);
    auto block = sheet->block(2, 1, last, kOrvColumns);
    for (int r = 0; r < block.rows(); ++r) {
        SCOPED_TRACE("ORV row " + std::to_string(r + 2));
        ASSERT_EQ(block.at(r, 1).kind, Cell::Kind::Date);
        EXPECT_EQ(block.at(r, 1).date.month, month);
        EXPECT_EQ(sheet::cellText(block.at(r, 4)), receipts ? kReceiptAccountCode : kPaymentAccountCode);
        EXPECT_EQ(block.at(r, 5).text.substr(0, 1), receipts ? "R" : "P");
        EXPECT_EQ(block.at(r, 8).text, receipts ? "R" : "P");
        auto office = t.officeById.find(sheet::cellText(block.at(r, 2)));
        ASSERT_NE(office, t.officeById.end()) << sheet::cellText(block.at(r, 2));
        EXPECT_EQ(block.at(r, 3).text, office->second);
        t.officesWithOrvRows.insert(office->second);
        t.orv[receipts ? 0 : 1][office->second] += toPaise(block.at(r, 6));
    }
}

struct SizeCase {
    int offices, rows;
    std::uint64_t seed;
};

class SampleFiles : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SampleFiles, OfficesAgreeExceptWherePlanted) {
    TempDir dir;
    SampleOptions o;
    o.offices = GetParam().offices;
    o.rows = GetParam().rows;
    o.seed = GetParam().seed;
    o.year = 2024;
    o.month = 2;  // a leap February
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

    std::vector<OfficeDifference> found;
    for (const std::string& office : t.officesWithBankRows) {
        OfficeDifference d{office, t.bank[0][office] - t.orv[0][office], t.bank[1][office] - t.orv[1][office]};
        if (d.depositPaise != 0 || d.withdrawalPaise != 0) found.push_back(d);
    }
    std::map<std::string, OfficeDifference> byName;
    for (const auto& d : found) byName[d.officeName] = d;
    ASSERT_EQ(byName.size(), 3u);
    const auto& missing = byName[p.missingEntryOffice];
    EXPECT_EQ(p.missingEntryReceipt ? missing.depositPaise : missing.withdrawalPaise, p.missingEntryPaise);
    EXPECT_EQ(p.missingEntryReceipt ? missing.withdrawalPaise : missing.depositPaise, 0);
    const auto& off = byName[p.amountOffOffice];
    EXPECT_EQ(p.amountOffReceipt ? off.depositPaise : off.withdrawalPaise, p.amountOffPaise);
    EXPECT_EQ(p.amountOffReceipt ? off.withdrawalPaise : off.depositPaise, 0);
    EXPECT_GE(std::llabs(p.amountOffPaise), 100);
    EXPECT_LE(std::llabs(p.amountOffPaise), 900);
    EXPECT_EQ(byName[p.bankOnlyOffice].depositPaise, t.bank[0][p.bankOnlyOffice]);

    // The generator's own account of the differences matches the files.
    auto expected = expectedDifferences(set.data);
    ASSERT_EQ(expected.size(), found.size());
    for (const auto& e : expected) {
        SCOPED_TRACE(e.officeName);
        EXPECT_EQ(e.depositPaise, byName[e.officeName].depositPaise);
        EXPECT_EQ(e.withdrawalPaise, byName[e.officeName].withdrawalPaise);
    }
}

TEST_P(SampleFiles, HeadersAndFirstRowsAreWhatTheImportsCheck) {
    TempDir dir;
    SampleOptions o;
    o.offices = GetParam().offices;
    o.rows = GetParam().rows;
    o.seed = GetParam().seed;
    SampleSet set = writeSampleSet(dir.path().string(), o);
    struct FileCase {
        std::string path;
        std::string b1;
        int columns;
        std::string i2;
    };
    const std::vector<FileCase> files = {
        {set.officeMasterPath, "office_name", kOfficeColumns, ""},
        {set.ctrPath, "VALUE_DATE", kCtrColumns, ""},
        {set.orvReceiptsPath, "try_posting_date", kOrvColumns, "R"},
        {set.orvPaymentsPath, "try_posting_date", kOrvColumns, "P"},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.path);
        auto workbook = sheet::Workbook::open(f.path);
        auto sheet = workbook->firstSheet();
        EXPECT_EQ(workbook->activeSheetIndex(), 0);
        EXPECT_EQ(sheet::cellText(sheet->cell(1, 2)), f.b1);
        EXPECT_GE(sheet->lastRow(f.columns), 1) << "header of the last column";
        EXPECT_EQ(sheet->lastRow(f.columns + 1), 0) << "nothing past the last column";
        EXPECT_GE(sheet->lastRow(1), 2);
        if (!f.i2.empty()) {
            EXPECT_EQ(sheet::cellText(sheet->cell(2, 9)), f.i2);
        }
        if (f.b1 != "office_name") {
            EXPECT_EQ(sheet->cell(2, 2).kind, Cell::Kind::Date);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SampleFiles,
                         ::testing::Values(SizeCase{6, 12, 1}, SizeCase{40, 2000, 7}, SizeCase{150, 4000, 99}),
                         [](const auto& p) {
                             return std::to_string(p.param.offices) + "offices" + std::to_string(p.param.rows) + "rows";
                         });

TEST(SampleData, SameSeedSameMonthOtherSeedOtherMonth) {
    SampleOptions o;
    o.offices = 30;
    o.rows = 500;
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
    SampleOptions o;
    o.offices = 60;
    o.rows = 600;
    SampleData d = generateSample(o);
    std::map<std::string, std::string> typeByName;
    std::set<std::string> ids, facilities;
    int divisions = 0, apostrophes = 0, untidyCodes = 0;
    for (const auto& off : d.offices) {
        const std::string type = upper(trim(off.typeCode));
        typeByName[off.name] = type;
        divisions += type == "PDN";
        apostrophes += off.name.find('\'') != std::string::npos;
        untidyCodes += off.typeCode != type;
        ids.insert(off.officeId);
        facilities.insert(off.facilityId);
        EXPECT_EQ(off.others.size(), std::size_t(kOfficeColumns - 5));
    }
    EXPECT_EQ(divisions, 1);
    EXPECT_GE(apostrophes, 2);
    EXPECT_GE(untidyCodes, 1) << "type codes should not all be clean";
    EXPECT_EQ(typeByName.size(), d.offices.size()) << "office names repeat";
    EXPECT_EQ(ids.size(), d.offices.size());
    EXPECT_EQ(facilities.size(), d.offices.size());
    for (const auto& off : d.offices) {
        const std::string& type = typeByName[off.name];
        if (type == "SO" || type == "BO") {
            EXPECT_EQ(typeByName[off.hoName], "HPO") << off.name;
        }
        if (type == "HPO") {
            EXPECT_EQ(off.hoName, off.name);
        }
    }
    EXPECT_TRUE(std::any_of(d.bankRows.begin(), d.bankRows.end(),
                            [](const BankRow& b) { return b.accountName.find('\'') != std::string::npos; }));
    EXPECT_TRUE(std::any_of(d.bankRows.begin(), d.bankRows.end(), [](const BankRow& b) { return b.amountAsText; }));
    EXPECT_TRUE(std::is_sorted(d.bankRows.begin(), d.bankRows.end(),
                               [](const BankRow& a, const BankRow& b) { return a.tranDate < b.tranDate; }));
}

TEST(SampleData, RefusesOptionsItCannotHonour) {
    struct Case {
        std::string name;
        SampleOptions options;
    };
    auto with = [](int offices, int rows, int year, int month) {
        SampleOptions o;
        o.offices = offices;
        o.rows = rows;
        o.year = year;
        o.month = month;
        return o;
    };
    const std::vector<Case> cases = {
        {"too few offices for the planted differences", with(5, 100, 2025, 4)},
        {"fewer rows than two per office", with(10, 19, 2025, 4)},
        {"month 0", with(10, 100, 2025, 0)},
        {"month 13", with(10, 100, 2025, 13)},
        {"year before the calendar of dates", with(10, 100, 1899, 4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            generateSample(c.options);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), errc::kUsage);
        }
    }
    EXPECT_NO_THROW(generateSample(with(10, 20, 2025, 4)));
}

TEST(SampleData, GroupedAmounts) {
    const std::vector<std::pair<std::int64_t, std::string>> cases = {
        {0, "0.00"},
        {5, "0.05"},
        {99999, "999.99"},
        {100000, "1,000.00"},
        {125000, "1,250.00"},
        {100000000, "1,000,000.00"},
        {-125050, "-1,250.50"},
        {12345678901, "123,456,789.01"},
    };
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
