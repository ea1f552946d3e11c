#include "sample/SampleSet.h"

#include <filesystem>
#include <system_error>

#include "core/Error.h"
#include "core/Platform.h"
#include "sample/SampleWording.h"
#include "sheet/WorkbookWriter.h"

namespace vesk::sample {

namespace {

using sheet::CellStyle;
using sheet::WorkbookWriter;

// Above this many rows a sheet is streamed so that memory stays flat.
constexpr std::size_t kStreamAbove = 10000;

CellStyle withFormat(const char* numberFormat) {
    CellStyle s;
    s.numberFormat = numberFormat;
    return s;
}

CellStyle bold() {
    CellStyle s;
    s.bold = true;
    return s;
}

const CellStyle kHeader = bold();
const CellStyle kAmount = withFormat("0.00");
const CellStyle kBankDate = withFormat("dd-mm-yyyy");
const CellStyle kOrvDate = withFormat("dd/mm/yyyy");

template <std::size_t N>
void writeHeaders(WorkbookWriter& w, const std::array<const char*, N>& headers) {
    for (std::size_t c = 0; c < N; ++c) w.writeText(1, int(c) + 1, headers[c], kHeader);
}

void writeIfAny(WorkbookWriter& w, int row, int column, const std::string& text) {
    if (!text.empty()) w.writeText(row, column, text);
}

std::string financialYear(int year, int month) {
    int start = month >= 4 ? year : year - 1;
    std::string end = std::to_string((start + 1) % 100);
    return std::to_string(start) + "-" + (end.size() < 2 ? "0" + end : end);
}

std::string dayText(const DateTime& d) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d-%02d-%04d", d.day, d.month, d.year);
    return b;
}

}  // namespace

std::string ctrFileName(int year, int month) {
    return "vesk_ctr_" + monthAbbrev(month) + "_" + std::to_string(year) + ".xlsx";
}

std::string orvFileName(int year, int month, bool receipts) {
    return std::string(receipts ? "orv_receipts_" : "orv_payments_") + monthAbbrev(month) + "_" + std::to_string(year) +
           ".xlsx";
}

void writeOfficeMaster(const std::string& path, const SampleData& data) {
    WorkbookWriter w(path, "Office Hierarchy", {.constantMemory = data.offices.size() > kStreamAbove});
    writeHeaders(w, officeHeaders());
    int row = 2;
    for (const Office& o : data.offices) {
        w.writeText(row, 1, o.officeId);
        w.writeText(row, 2, o.name);
        w.writeText(row, 3, o.typeCode);
        writeIfAny(w, row, 4, o.hoName);
        w.writeText(row, 5, o.facilityId);
        for (std::size_t c = 0; c < o.others.size(); ++c) writeIfAny(w, row, int(c) + 6, o.others[c]);
        ++row;
    }
    w.fitColumnsToContents();
    w.save();
}

void writeCtrReport(const std::string& path, const SampleData& data) {
    WorkbookWriter w(path, "CTR", {.constantMemory = data.bankRows.size() > kStreamAbove});
    writeHeaders(w, ctrHeaders());
    int row = 2;
    for (const BankRow& b : data.bankRows) {
        w.writeText(row, 1, b.tranId);
        w.writeDate(row, 2, b.valueDate, kBankDate);
        w.writeText(row, 3, b.tranDateText);
        w.writeText(row, 4, b.deposit ? "DEPOSIT" : "WITHDRAWAL");
        if (b.amountAsText)
            w.writeText(row, 5, groupedAmount(b.paise));
        else
            w.writeNumber(row, 5, rupees(b.paise), kAmount);
        w.writeText(row, 6, b.facilityId);
        w.writeText(row, 7, b.accountNo);
        w.writeText(row, 8, b.accountName);
        w.writeText(row, 9, b.particulars);
        w.writeText(row, 10, b.branchCode);
        writeIfAny(w, row, 11, b.remarks);
        ++row;
    }
    w.fitColumnsToContents();
    w.save();
}

void writeOrvReport(const std::string& path, const SampleData& data, bool receipts) {
    std::size_t count = 0;
    for (const OrvRow& r : data.orvRows) count += r.receipt == receipts ? 1 : 0;
    WorkbookWriter w(path, "Accounting Details", {.constantMemory = count > kStreamAbove});
    writeHeaders(w, orvHeaders());
    const std::string year = financialYear(data.options.year, data.options.month);
    int row = 2;
    for (const OrvRow& r : data.orvRows) {
        if (r.receipt != receipts) continue;
        w.writeText(row, 1, r.treasuryTranId);
        w.writeDate(row, 2, r.postingDate, kOrvDate);
        // The report gives office identifiers as numbers; the import must store them as the master's text.
        w.writeNumber(row, 3, std::stod(r.officeId));
        w.writeText(row, 4, r.officeName);
        w.writeText(row, 5, receipts ? kReceiptAccountCode : kPaymentAccountCode);
        w.writeText(row, 6, receipts ? "Receipt" : "Payment");
        w.writeNumber(row, 7, rupees(r.paise), kAmount);
        w.writeText(row, 8, "Cash");
        w.writeText(row, 9, receipts ? "R" : "P");
        w.writeText(row, 10, r.divisionName);
        writeIfAny(w, row, 11, r.hoName);
        w.writeText(row, 12, r.voucherNo);
        w.writeText(row, 13, r.narration);
        w.writeText(row, 14, dayText(r.postingDate));
        w.writeText(row, 15, r.createdBy);
        w.writeText(row, 16, "DPM");
        w.writeText(row, 17, "Approved");
        w.writeText(row, 18, "INR");
        w.writeText(row, 19, year);
        w.writeText(row, 20, "VESK");
        w.writeText(row, 21, r.referenceNo);
        ++row;
    }
    w.fitColumnsToContents();
    w.save();
}

SampleSet writeSampleSet(const std::string& folder, const SampleOptions& options) {
    SampleSet set;
    set.data = generateSample(options);
    std::error_code ec;
    std::filesystem::create_directories(platform::fsPath(folder), ec);
    if (ec || !std::filesystem::is_directory(platform::fsPath(folder)))
        throw Error(errc::kPathAccess, folderNotCreatedText(folder, ec ? ec.message() : std::string()));
    auto in = [&](const std::string& name) { return platform::joinPath(folder, name); };
    set.officeMasterPath = in(kOfficeMasterFileName);
    set.ctrPath = in(ctrFileName(options.year, options.month));
    set.orvReceiptsPath = in(orvFileName(options.year, options.month, true));
    set.orvPaymentsPath = in(orvFileName(options.year, options.month, false));
    writeOfficeMaster(set.officeMasterPath, set.data);
    writeCtrReport(set.ctrPath, set.data);
    writeOrvReport(set.orvReceiptsPath, set.data, true);
    writeOrvReport(set.orvPaymentsPath, set.data, false);
    return set;
}

}  // namespace vesk::sample
