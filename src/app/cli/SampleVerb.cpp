#include <ostream>

#include "cli/Verbs.h"
#include "core/Amount.h"
#include "sample/SampleSet.h"

namespace vesk::cli {

namespace {

std::string rupees(std::int64_t paise) { return formatAmount(sample::rupees(paise)); }

}  // namespace

int runSample(Call& call) {
    sample::SampleOptions o;
    o.offices = int(call.integer("offices", o.offices, 6, 5000));
    o.rows = int(call.integer("rows", o.rows, 12, 1000000));
    o.year = int(call.integer("year", o.year, 1900, 9999));
    o.month = int(call.integer("month", o.month, 1, 12));
    o.seed = std::uint64_t(call.integer("seed", 1, 0, 9223372036854775807LL));
    if (o.rows < 2 * o.offices)
        throw UsageError("--rows must be at least twice --offices (" + std::to_string(2 * o.offices) + ")");

    call.prompter().progress("Writing the sample workbooks...");
    sample::SampleSet set = sample::writeSampleSet(call.argument(0), o);
    call.prompter().progress("");

    const sample::SampleData& d = set.data;
    std::size_t receipts = 0;
    for (const auto& r : d.orvRows) receipts += r.receipt ? 1 : 0;
    std::ostream& out = call.out();
    out << "office master\t" << set.officeMasterPath << "\t" << d.offices.size() << " offices\n"
        << "bank CTR\t" << set.ctrPath << "\t" << d.bankRows.size() << " rows\n"
        << "ORV receipts\t" << set.orvReceiptsPath << "\t" << receipts << " rows\n"
        << "ORV payments\t" << set.orvPaymentsPath << "\t" << d.orvRows.size() - receipts << " rows\n";

    const sample::Planted& p = d.planted;
    auto kind = [](bool receipt) { return receipt ? "receipt" : "payment"; };
    out << "division office\t" << d.divisionOffice << "\n"
        << "planted missing ORV entry\t" << p.missingEntryOffice << "\t" << kind(p.missingEntryReceipt) << " of "
        << p.missingEntryDate.toText() << ", " << rupees(p.missingEntryPaise) << "\n"
        << "planted ORV amount off\t" << p.amountOffOffice << "\t" << kind(p.amountOffReceipt) << " of "
        << p.amountOffDate.toText() << ", bank minus ORV " << rupees(p.amountOffPaise) << "\n"
        << "planted bank rows only\t" << p.bankOnlyOffice << "\n"
        << "planted ORV rows only\t" << p.orvOnlyOffice << "\n"
        << "planted unknown facility\t" << p.unknownFacilityId << "\n";
    for (const std::string& office : p.lateOffices) out << "planted late booking\t" << office << "\n";
    const std::pair<const char*, const std::string*> habits[] = {
        {"planted duplicate entry", &p.duplicateOffice},
        {"planted deposit as two receipts", &p.splitOffice},
        {"planted deposit booked next month", &p.carriedOutOffice},
        {"planted receipt of last month's deposit", &p.carriedInOffice},
        {"planted receipt booked a week late", &p.farLateOffice},
        {"planted digits swapped", &p.swappedDigitsOffice},
        {"planted decimal point slipped", &p.slippedPointOffice},
        {"planted deposit booked twice in two ways", &p.twoSetsOffice}};
    for (const auto& [what, office] : habits)
        if (!office->empty()) out << what << "\t" << *office << "\n";
    if (!p.wrongOfficeFrom.empty())
        out << "planted receipt under another office\t" << p.wrongOfficeFrom << "\t" << p.wrongOfficeTo << "\n";
    for (const auto& diff : sample::expectedDifferences(d))
        out << "expected difference\t" << diff.officeName << "\tdeposits " << rupees(diff.depositPaise)
            << "\twithdrawals " << rupees(diff.withdrawalPaise) << "\n";
    return kExitOk;
}

}  // namespace vesk::cli
