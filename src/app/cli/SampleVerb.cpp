#include <ostream>

#include "cli/Verbs.h"
#include "core/Amount.h"
#include "sample/SampleSet.h"

namespace vesk::cli {

namespace {

std::string rupees(std::int64_t paise) { return formatAmount(sample::rupees(paise)); }

int sample(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {"offices", "rows", "year", "month", "seed"});
    if (a.positional().size() != 1) throw UsageError("give exactly one folder");
    sample::SampleOptions o;
    o.offices = int(a.integer("offices", o.offices, 6, 5000));
    o.rows = int(a.integer("rows", o.rows, 12, 1000000));
    o.year = int(a.integer("year", o.year, 1900, 9999));
    o.month = int(a.integer("month", o.month, 1, 12));
    o.seed = std::uint64_t(a.integer("seed", 1, 0, 9223372036854775807LL));
    if (o.rows < 2 * o.offices)
        throw UsageError("--rows must be at least twice --offices (" + std::to_string(2 * o.offices) + ")");

    context.prompter.progress("Writing the sample workbooks...");
    sample::SampleSet set = sample::writeSampleSet(a.positional().front(), o);
    context.prompter.progress("");

    const sample::SampleData& d = set.data;
    std::size_t receipts = 0;
    for (const auto& r : d.orvRows) receipts += r.receipt ? 1 : 0;
    std::ostream& out = context.out;
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
        {"planted receipt of last month's deposit", &p.carriedInOffice}};
    for (const auto& [what, office] : habits)
        if (!office->empty()) out << what << "\t" << *office << "\n";
    for (const auto& diff : sample::expectedDifferences(d))
        out << "expected difference\t" << diff.officeName << "\tdeposits " << rupees(diff.depositPaise)
            << "\twithdrawals " << rupees(diff.withdrawalPaise) << "\n";
    return kExitOk;
}

}  // namespace

void addSampleVerbs(std::vector<Verb>& verbs) {
    verbs.push_back({"sample", "DIR [--offices N] [--rows N] [--year Y] [--month M] [--seed S]",
                     "Writes a month of sample workbooks (office master, bank CTR, ORV receipts and payments) into "
                     "DIR and lists the differences planted in them.",
                     sample});
}

}  // namespace vesk::cli
