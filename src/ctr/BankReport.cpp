#include "ctr/BankReport.h"

namespace vesk::ctr {

const report::ReportDescription& bankReport() {
    static const report::ReportDescription kReport{store::Table::Finacle, 11, "VALUE_DATE", "value_date", 0, "", {}};
    return kReport;
}

}  // namespace vesk::ctr
