#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/DateTime.h"

namespace vesk::sample {

struct SampleOptions {
    int offices = 40;  ///< rows of the office master, at least 6
    int rows = 2000;   ///< rows of the bank's report, at least twice the offices
    int year = 2025;
    int month = 4;
    std::uint64_t seed = 1;
};

/// One row of the office master workbook; columns A to CE.
struct Office {
    std::string officeId;             // A
    std::string name;                 // B
    std::string typeCode;             // C, as written: sometimes in other letter case or with blanks
    std::string hoName;               // D
    std::string facilityId;           // E
    std::vector<std::string> others;  // F..CE
};

/// One row of the bank's CTR report; columns A to K.
struct BankRow {
    std::string tranId;
    DateTime valueDate;
    DateTime tranDate;         ///< with the time of day
    std::string tranDateText;  ///< tranDate as the report writes it: day first or ISO
    bool deposit = true;
    std::int64_t paise = 0;
    bool amountAsText = false;     ///< written as text with thousands separators
    bool bookedNextMonth = false;  ///< a deposit of the month's last day that ORV books on the 1st
    std::string facilityId;
    std::string accountNo;
    std::string accountName;
    std::string particulars;
    std::string branchCode;
    std::string remarks;
};

/// One entry of an ORV report; columns A to V.
struct OrvRow {
    std::string treasuryTranId;
    DateTime postingDate;
    std::string officeId;
    std::string officeName;
    bool receipt = true;
    std::int64_t paise = 0;
    std::string divisionName;
    std::string hoName;
    std::string voucherNo;
    std::string narration;
    std::string createdBy;
    std::string referenceNo;
};

/// The differences put into the month on purpose. Everything else agrees to the paisa.
struct Planted {
    std::string missingEntryOffice;  ///< one ORV entry of this office was left out
    DateTime missingEntryDate;
    bool missingEntryReceipt = true;
    std::int64_t missingEntryPaise = 0;

    std::string amountOffOffice;  ///< one ORV entry of this office differs from the bank
    DateTime amountOffDate;
    bool amountOffReceipt = true;
    std::int64_t amountOffPaise = 0;  ///< bank minus ORV

    std::string bankOnlyOffice;     ///< bank rows, no ORV rows
    std::string orvOnlyOffice;      ///< ORV rows, no bank rows
    std::string unknownFacilityId;  ///< one bank row's facility, which no office has

    // What a real month holds besides: none of it changes a month's totals except the
    // duplicate and the deposit carried over the month's end.
    std::vector<std::string> lateOffices;  ///< a receipt or payment booked 1 to 3 days after the bank's row
    std::string carriedOutOffice;          ///< a deposit of the last day, booked on the next month's 1st
    std::string carriedInOffice;           ///< a receipt of the 1st for the previous month's last day
    std::string duplicateOffice;           ///< an entry booked twice
    std::string splitOffice;               ///< a deposit booked as two receipts

    // What the rules cannot pair but a person can: each leaves a row the explanation hints at.
    std::string farLateOffice;    ///< a receipt booked 5 to 10 days after the deposit
    std::string wrongOfficeFrom;  ///< a deposit whose receipt is booked under wrongOfficeTo
    std::string wrongOfficeTo;
    std::string swappedDigitsOffice;  ///< a receipt keyed with two digits swapped
    std::string slippedPointOffice;   ///< a receipt keyed with the decimal point one place off
    std::string twoSetsOffice;        ///< a deposit booked as two receipts, then again as two others
};

/// A month of sample data for one division, before it is written.
struct SampleData {
    SampleOptions options;
    std::vector<Office> offices;
    std::vector<BankRow> bankRows;  ///< in date and time order
    std::vector<OrvRow> orvRows;    ///< receipts and payments, in date order
    Planted planted;
    std::string divisionOffice;
};

/// Bank minus ORV for an office, as the month's comparison finds it.
struct OfficeDifference {
    std::string officeName;
    std::int64_t depositPaise = 0;
    std::int64_t withdrawalPaise = 0;
};

inline constexpr int kOfficeColumns = 83;
inline constexpr int kCtrColumns = 11;
inline constexpr int kOrvColumns = 22;
inline constexpr const char* kReceiptAccountCode = "8455000200";
inline constexpr const char* kPaymentAccountCode = "8455000300";

const std::array<const char*, kOfficeColumns>& officeHeaders();
const std::array<const char*, kCtrColumns>& ctrHeaders();
const std::array<const char*, kOrvColumns>& orvHeaders();

/// Makes the month's data; the same options give the same data. Throws Error (errc::kUsage)
/// for options it cannot honour.
SampleData generateSample(const SampleOptions& options);

/// Every office with a bank row in the month whose deposits or withdrawals differ from its
/// ORV receipts or payments by more than a paisa, ordered by name. Bank rows whose facility
/// no office has, and offices without bank rows, are not listed.
std::vector<OfficeDifference> expectedDifferences(const SampleData& data);

/// An amount in paise as rupees.
double rupees(std::int64_t paise);
/// An amount in paise as the text the bank writes: "1,250.00".
std::string groupedAmount(std::int64_t paise);

}  // namespace vesk::sample
