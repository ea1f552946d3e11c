#include "office/Offices.h"

#include "core/ColumnMap.h"
#include "core/Text.h"
#include "office/OfficeStatements.h"
#include "sheet/Workbook.h"
#include "store/Schema.h"
#include "store/TableRows.h"

namespace vesk::office {

namespace {

constexpr int kMasterColumns = 83;

}  // namespace

std::string configuredOffice(store::Connection& db) { return trim(db.scalar(sql::kConfiguredOffice).toText()); }

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

store::ResultSet masterRows(store::Connection& db) { return db.query(sql::kMasterRows); }

namespace {

void recordOffice(store::Connection& db, std::int64_t rows, const history::Clock& now) {
    history::Change change;
    change.action = history::Action::OfficeChange;
    change.office = configuredOffice(db);
    change.rows = rows;
    history::recordChange(db, change, now());
}

}  // namespace

bool setConfiguredOffice(store::Connection& db, const std::string& name, const history::Clock& now) {
    const std::string wanted = trim(name);
    store::Transaction tx = db.begin();
    // A name that matches no office must not empty the configured office.
    if (db.scalar(sql::kOfficesNamed, {wanted}).toInt() == 0) return false;
    db.execute(sql::kClearConfigured);
    recordOffice(db, db.execute(sql::kConfigureNamed, {wanted}), now);
    tx.commit();
    return true;
}

std::string configureDivisionOffice(store::Connection& db, const history::Clock& now) {
    {
        store::Transaction tx = db.begin();
        db.execute(sql::kClearConfigured);
        // Without a division office nothing was configured, and nothing changed.
        if (const std::int64_t rows = db.execute(sql::kConfigureDivision); rows > 0) recordOffice(db, rows, now);
        tx.commit();
    }
    return configuredOffice(db);
}

void deleteAllOffices(store::Connection& db, const history::Clock& now) {
    store::Transaction tx = db.begin();
    history::Change change;
    change.action = history::Action::OfficesDeletion;
    change.rows = db.execute(sql::kClearMaster);
    const std::int64_t configured = db.execute(sql::kClearConfigured);
    if (change.rows > 0 || configured > 0) history::recordChange(db, change, now());
    tx.commit();
}

Message masterOverwriteQuestion(const std::optional<DateTime>& importedBefore) {
    return history::withEarlierImport(
        question(std::string("The existing Office Master Data will be overwritten.") + kCrLf + "Are You Sure?",
                 "Confirm", Icon::Information),
        importedBefore);
}

std::optional<Message> masterImportRefusal(MasterImport result) {
    switch (result) {
        case MasterImport::InvalidFile:
            return exclamation("Invalid file selected. Cell B1 must contain 'office_name'.", "Error");
        case MasterImport::Declined:
            return info("Operation Cancelled.", "Cancelled");
        case MasterImport::NoData:
            return exclamation("No data found in file.");
        case MasterImport::Imported:
            break;
    }
    return std::nullopt;
}

MasterImport importMaster(store::Connection& db, const std::string& path,
                          const std::function<bool(const Message&)>& confirmOverwrite,
                          const std::function<void(int, int)>& progress, const history::Clock& now) {
    std::vector<std::string> headers;
    sheet::Block rows;
    history::Change record;
    record.action = history::Action::MasterImport;
    {
        auto book = sheet::Workbook::open(path);
        auto sheet = book->activeSheet(kMasterColumns);  // only the columns the master stores are kept
        if (trim(sheet::cellText(sheet->cell(1, 2))) != "office_name") return MasterImport::InvalidFile;
        record.file = history::digestFile(path);
        const auto before = history::lastImport(db, history::Form::Master, record.file->sha256);
        if (!confirmOverwrite(masterOverwriteQuestion(before))) return MasterImport::Declined;
        const int last = sheet->lastRow(1);
        // A file without rows must not empty the master that is there.
        if (last < 2) return MasterImport::NoData;
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
    history::recordChange(db, record, now());
    tx.commit();
    return MasterImport::Imported;
}

}  // namespace vesk::office
