#include "support/SampleStore.h"

#include "core/Text.h"
#include "office/Offices.h"
#include "sheet/Cell.h"
#include "store/Schema.h"

namespace vesk::test {

namespace {

using store::Table;
using store::Value;

// An amount as the import stores a number cell.
std::string rupees(std::int64_t paise) { return sheet::numberText(sample::rupees(paise)); }

void storeOffices(store::Connection& db, const sample::SampleData& data) {
    office::deleteAllOffices(db);
    std::string division;
    {
        store::Transaction tx = db.begin();
        store::Statement insert = db.prepare(store::insertStatement(Table::Master));
        std::vector<Value> row(store::tableColumns(Table::Master).size(), Value(std::string()));
        for (const sample::Office& o : data.offices) {
            row[0] = o.officeId;
            row[1] = o.name;
            row[2] = trim(o.typeCode);
            row[3] = o.hoName;
            row[4] = o.facilityId;
            for (std::size_t c = 0; c < o.others.size() && c + 5 < row.size(); ++c) row[c + 5] = trim(o.others[c]);
            insert.execute(row);
            if (division.empty() && upper(trim(o.typeCode)) == "PDN") division = o.name;
        }
        tx.commit();
    }
    if (!division.empty()) office::setConfiguredOffice(db, division);
}

}  // namespace

void storeSampleMonth(store::Connection& db, const sample::SampleData& data, bool offices) {
    if (offices) storeOffices(db, data);
    store::Transaction tx = db.begin();
    store::Statement bank = db.prepare(store::insertStatement(Table::Finacle));
    for (const sample::BankRow& b : data.bankRows)
        bank.execute({b.tranId, b.valueDate.toText(), b.tranDateText, b.deposit ? "DEPOSIT" : "WITHDRAWAL",
                      b.amountAsText ? sample::groupedAmount(b.paise) : rupees(b.paise), b.facilityId, b.accountNo,
                      b.accountName, b.particulars, b.branchCode, b.remarks});

    store::Statement orv = db.prepare(store::insertStatement(Table::Orv));
    std::vector<Value> row(store::tableColumns(Table::Orv).size(), Value(std::string()));
    for (const sample::OrvRow& r : data.orvRows) {
        row[0] = r.treasuryTranId;
        row[1] = r.postingDate.toText();
        row[2] = r.officeId;
        row[3] = r.officeName;
        row[4] = r.receipt ? sample::kReceiptAccountCode : sample::kPaymentAccountCode;
        row[5] = r.receipt ? "Receipt" : "Payment";
        row[6] = rupees(r.paise);
        row[7] = "Cash";
        row[8] = r.receipt ? "R" : "P";
        row[9] = r.divisionName;
        row[10] = r.hoName;
        row[11] = r.voucherNo;
        row[12] = r.narration;
        row[14] = r.createdBy;
        row[20] = r.referenceNo;
        orv.execute(row);
    }
    tx.commit();
}

}  // namespace vesk::test
