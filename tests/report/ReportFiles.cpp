#include "report/ReportFiles.h"

#include "ctr/BankWording.h"
#include "orv/OrvWording.h"
#include "sample/SampleData.h"

namespace vesk::test {

namespace {

template <std::size_t N>
std::vector<RawCell> headersOf(const std::array<const char*, N>& names) {
    return std::vector<RawCell>(names.begin(), names.end());
}

std::vector<RawCell> bankRow(const Entry& e) {
    const char* type = e.deposit ? "DEPOSIT" : "WITHDRAWAL";
    const RawCell tranDate = e.tranDate.kind == RawCell::Kind::Empty ? e.date : e.tranDate;
    return {e.id,   e.date, tranDate, type, RawCell::number(e.amount), e.office.empty() ? "F1" : e.office, "1234567890",
            e.note, "Cash", "B1",     "-"};
}

// Columns A to I as the report has them; the rest are filler.
std::vector<RawCell> orvRow(const Entry& e) {
    std::vector<RawCell> r(22, RawCell("x"));
    r[0] = e.id;
    r[1] = e.date;
    r[2] = RawCell::number(e.office.empty() ? "101" : e.office);
    r[3] = e.note;
    r[4] = e.deposit ? "8455000200" : "8455000300";
    r[5] = e.deposit ? "Receipt" : "Payment";
    r[6] = RawCell::number(e.amount);
    r[8] = e.deposit ? "R" : "P";
    return r;
}

}  // namespace

ReportShape bankShape() {
    return {ctr::bankCtr(), headersOf(sample::ctrHeaders()), bankRow, "veskfinacle", "tran_id", "account_name"};
}

ReportShape orvShape() {
    return {orv::orvReports(), headersOf(sample::orvHeaders()), orvRow, "orvtable", "treasury_tran_id", "office_name"};
}

void writeReport(const std::string& path, const ReportShape& shape, const std::vector<Entry>& entries,
                 const std::function<std::string(std::string)>& edit) {
    std::vector<std::vector<RawCell>> rows{shape.headers};
    for (const Entry& e : entries) rows.push_back(shape.row(e));
    writeRawXlsx(path, rows, edit);
}

std::vector<Entry> monthEntries(int n, int year, int month, bool deposit, const std::string& prefix) {
    std::vector<Entry> out;
    for (int i = 1; i <= n; ++i) {
        char date[16];
        std::snprintf(date, sizeof date, "%02d/%02d/%04d", 1 + (i - 1) % 28, month, year);
        out.push_back({prefix + std::to_string(i), RawCell(std::string(date)), deposit, std::to_string(100 + i), ""});
    }
    return out;
}

}  // namespace vesk::test
