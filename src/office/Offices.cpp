#include "office/Offices.h"

#include "core/ColumnMap.h"
#include "core/Text.h"
#include "history/ImportHistory.h"
#include "office/OfficeStatements.h"
#include "sheet/Workbook.h"
#include "store/Schema.h"
#include "store/TableRows.h"

namespace vesk::office {

namespace {

constexpr int kMasterColumns = 83;

void recordOffice(store::Connection& db, std::int64_t rows, const Clock& now) {
    history::Change change;
    change.action = history::Action::OfficeChange;
    change.office = configuredOffice(db);
    change.rows = rows;
    change.by = history::loginName();
    history::recordChange(db, change, now());
}

// Within the caller's transaction: the master's division office becomes the configured
// office; its name, "" when the master holds none (nothing is configured then).
std::string configureDivisionOffice(store::Connection& db, const Clock& now) {
    db.execute(sql::kClearConfigured);
    const std::int64_t rows = db.execute(sql::kConfigureDivision);
    if (rows == 0) return {};
    recordOffice(db, rows, now);
    return configuredOffice(db);
}

}  // namespace

std::string configuredOffice(store::Connection& db) { return trim(db.scalar(sql::kConfiguredOffice).toText()); }

std::string divisionOffice(store::Connection& db) { return trim(db.scalar(sql::kDivisionOffice).toText()); }

std::string officeType(store::Connection& db, const std::string& name) {
    return upper(trim(db.scalar(sql::kOfficeType, {name}).toText()));
}

std::int64_t officeCount(store::Connection& db) { return db.scalar(sql::kOfficeCount).toInt(); }

std::vector<std::string> listedOffices(store::Connection& db) {
    const store::ResultSet rs = db.query(sql::kListedOffices);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < rs.rowCount(); ++i)
        if (!rs.field(i, 0).isNull()) names.push_back(rs.field(i, 0).toText());
    return names;
}

std::vector<std::vector<std::string>> masterRows(store::Connection& db) {
    const store::ResultSet rs = db.query(sql::kMasterRows);
    std::vector<std::vector<std::string>> rows(rs.rowCount());
    for (std::size_t r = 0; r < rs.rowCount(); ++r)
        for (const store::Value& v : rs.row(r)) rows[r].push_back(v.toText());
    return rows;
}

bool setConfiguredOffice(store::Connection& db, const std::string& name, const Clock& now) {
    const std::string wanted = trim(name);
    store::Transaction tx = db.begin();
    // A name that matches no office must not empty the configured office.
    if (db.scalar(sql::kOfficesNamed, {wanted}).toInt() == 0) return false;
    db.execute(sql::kClearConfigured);
    recordOffice(db, db.execute(sql::kConfigureNamed, {wanted}), now);
    tx.commit();
    return true;
}

void deleteAllOffices(store::Connection& db, const Clock& now) {
    store::Transaction tx = db.begin();
    history::Change change;
    change.action = history::Action::OfficesDeletion;
    change.by = history::loginName();
    change.rows = db.execute(sql::kClearMaster);
    const std::int64_t configured = db.execute(sql::kClearConfigured);
    if (change.rows > 0 || configured > 0) history::recordChange(db, change, now());
    tx.commit();
}

MasterImport importMaster(store::Connection& db, const std::string& path, const ConfirmOverwrite& confirm,
                          const std::function<void(int, int)>& progress, const Clock& now) {
    MasterImport result;
    std::vector<std::string> headers;
    sheet::Block rows;
    history::Change record;
    record.action = history::Action::MasterImport;
    {
        auto book = sheet::Workbook::open(path);
        auto sheet = book->activeSheet(kMasterColumns);  // only the columns the master stores are kept
        if (trim(sheet::cellText(sheet->cell(1, 2))) != "office_name") {
            result.status = MasterImport::Status::InvalidFile;
            return result;
        }
        record.file = history::digestFile(path);
        if (!confirm(history::lastImport(db, history::Form::Master, record.file->sha256))) {
            result.status = MasterImport::Status::Declined;
            return result;
        }
        const int last = sheet->lastRow(1);
        // A file without rows must not empty the master that is there.
        if (last < 2) {
            result.status = MasterImport::Status::NoData;
            return result;
        }
        sheet::Block head = sheet->block(1, 1, 1, kMasterColumns);
        for (int j = 0; j < kMasterColumns; ++j) headers.push_back(sheet::cellText(head.at(0, j)));
        rows = sheet->block(2, 1, last, kMasterColumns);
    }  // the workbook is closed before any database work

    const std::vector<int> target = mapColumnsByHeader(headers, store::tableColumns(store::Table::Master));
    store::RowSource source{rows.rows(), kMasterColumns,
                            [&](int row, int column) { return trim(sheet::cellText(rows.at(row, column))); },
                            [&](int row) { return trim(sheet::cellText(rows.at(row, 0))).empty(); }};
    store::Transaction tx = db.begin();
    db.execute(sql::kClearMaster);
    db.execute(sql::kClearConfigured);
    record.rows = store::insertRows(db, store::Table::Master, target, source, progress);
    record.by = history::loginName();
    history::recordChange(db, record, now());
    // The configured office is never left empty by a committed import.
    result.divisionOffice = configureDivisionOffice(db, now);
    tx.commit();
    return result;
}

}  // namespace vesk::office
