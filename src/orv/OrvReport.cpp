#include "orv/OrvReport.h"

namespace vesk::orv {

const report::ReportDescription& orvReport() {
    static const report::ReportDescription kReport{
        store::Table::Orv, 22, "try_posting_date", "try_posting_date", 9 /* I */, "credit_or_debit", {"R", "P"}};
    return kReport;
}

}  // namespace vesk::orv
