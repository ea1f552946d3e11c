#pragma once

// Database files for the tests of the file as a whole: filling one, reading its contents
// back as text, damaging it at a page.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "core/Platform.h"
#include "store/Connection.h"
#include "store/StoreTestSupport.h"
#include "support/TempDir.h"

namespace vesk::test {

inline constexpr std::int64_t kPageSize = 4096;

/// Turns bytes of a page (counted from 1) over, as a failing disk sector would.
inline void damagePage(const std::string& path, std::int64_t page, std::int64_t offset = 100, int count = 8) {
    std::fstream f(platform::fsPath(path), std::ios::binary | std::ios::in | std::ios::out);
    ASSERT_TRUE(f.is_open()) << path;
    const std::int64_t at = (page - 1) * kPageSize + offset;
    std::string bytes(std::size_t(count), '\0');
    f.seekg(at);
    f.read(bytes.data(), count);
    for (char& c : bytes) c = char(c ^ 0x5a);
    f.seekp(at);
    f.write(bytes.data(), count);
}

/// The page a table's or an index's tree starts at.
inline std::int64_t rootPage(store::Connection& db, const std::string& name) {
    return db.scalar("SELECT rootpage FROM sqlite_master WHERE name = ?", {name}).toInt();
}

/// Writes through `write` without the index `index` knowing: the index is taken out of the
/// file's layout (its pages stay), the rows written, and the index put back as it was, so
/// that it no longer matches its table. Every page is written by the engine: all of them
/// authenticate.
inline void writeBehindIndex(const std::string& path, const std::string& index,
                             const std::function<void(store::Connection&)>& write) {
    store::ResultSet entry;
    {
        store::Connection db;
        db.open(path);
        entry =
            db.query("SELECT tbl_name, rootpage, sql FROM sqlite_master WHERE type = 'index' AND name = ?", {index});
        ASSERT_EQ(entry.rowCount(), 1u) << index;
        db.execute("PRAGMA writable_schema = ON");
        db.execute("DELETE FROM sqlite_master WHERE name = ?", {index});
    }
    {
        store::Connection db;
        db.open(path);
        write(db);
    }
    store::Connection db;
    db.open(path);
    db.execute("PRAGMA writable_schema = ON");
    db.execute("INSERT INTO sqlite_master VALUES ('index', ?, ?, ?, ?)",
               {index, entry.field(0, 0), entry.field(0, 1), entry.field(0, 2)});
}

/// Offices, the configured office and `bankRows` bank rows of April 2025 with ORV entries:
/// enough rows for their tables and indexes to take several pages each.
inline void fillDatabase(store::Connection& db, int bankRows, const std::string& tag = "A") {
    store::Transaction tx = db.begin();
    store::Statement office = db.prepare(insertAllColumns(store::Table::Master));
    for (int i = 1; i <= 30; ++i)
        office.execute(rowOf(store::Table::Master, {{"office_id", std::to_string(i)},
                                                    {"office_name", tag + " Office " + std::to_string(i)},
                                                    {"office_type_code", i == 1 ? "PDN" : "SO"},
                                                    {"qal_facility_id", "F" + std::to_string(i)}}));
    db.execute("INSERT INTO Youroffice VALUES (?, 'F1', '1')", {tag + " Office 1"});
    store::Statement bank = db.prepare(insertAllColumns(store::Table::Finacle));
    store::Statement orv = db.prepare(insertAllColumns(store::Table::Orv));
    for (int i = 0; i < bankRows; ++i) {
        const std::string date = std::to_string(1 + i % 28) + "/04/2025";
        const std::string facility = "F" + std::to_string(1 + i % 30);
        bank.execute(rowOf(store::Table::Finacle, {{"tran_id", tag + std::to_string(i)},
                                                   {"value_date", date},
                                                   {"Tran_Date", date},
                                                   {"CASH_TRAN_TYPE", i % 3 ? "DEPOSIT" : "WITHDRAWAL"},
                                                   {"TRAN_AMT", std::to_string(100 + i % 997) + ".25"},
                                                   {"FACILITY_ID", facility}}));
        orv.execute(rowOf(store::Table::Orv, {{"treasury_tran_id", tag + std::to_string(i)},
                                              {"try_posting_date", date},
                                              {"office_id", std::to_string(1 + i % 30)},
                                              {"receipt_or_payment", i % 3 ? "R" : "P"},
                                              {"tot_amount", std::to_string(100 + i % 991) + ".25"}}));
    }
    tx.commit();
}

/// Every row of every table the file holds, in order, as text: equal for two files that
/// hold the same data.
inline std::string contents(store::Connection& db) {
    std::string text;
    const store::ResultSet tables =
        db.query("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' ORDER BY name");
    for (std::size_t t = 0; t < tables.rowCount(); ++t) {
        const std::string name = tables.field(t, 0).toText();
        text += "[" + name + "]\n";
        const store::ResultSet rows = db.query("SELECT * FROM " + name + " ORDER BY rowid");
        for (std::size_t r = 0; r < rows.rowCount(); ++r) {
            for (const store::Value& v : rows.row(r)) text += (v.isNull() ? "<null>" : v.toText()) + "\t";
            text += "\n";
        }
    }
    return text;
}

inline std::string contents(const std::string& path) {
    store::Connection db;
    db.openWithoutUpgrade(path);
    return contents(db);
}

/// contents() of a restored file, its newest record (the restore's, which the backup lacks) aside.
inline std::string restoredContents(const std::string& path) {
    store::Connection db;
    db.openWithoutUpgrade(path);
    const store::Transaction rolledBack = db.begin();
    db.execute("DELETE FROM import_history WHERE rowid = (SELECT Max(rowid) FROM import_history)");
    return contents(db);
}

}  // namespace vesk::test
