#include "store/Schema.h"

#include "core/Text.h"

namespace vesk::store {

namespace {

// Columns named after their workbook letters, from..to inclusive (1-based).
void addLetterColumns(std::vector<std::string>& columns, int from, int to) {
    for (int c = from; c <= to; ++c) {
        columns.push_back("col_" + lower(columnLetters(c)));
    }
}

std::vector<std::string> masterColumns() {
    std::vector<std::string> c = {"office_id", "office_name", "office_type_code", "ho_name", "qal_facility_id"};
    addLetterColumns(c, 6, 83);
    return c;
}

std::vector<std::string> orvColumns() {
    std::vector<std::string> c = {"treasury_tran_id", "try_posting_date", "office_id",
                                  "office_name",      "account_code",     "receipt_or_payment",
                                  "tot_amount",       "payment_mode",     "credit_or_debit"};
    addLetterColumns(c, 10, 22);
    return c;
}

// The days from 1970-01-01 to the date in the column (julianday counts from noon).
std::string dayOf(const std::string& column) {
    return "CAST(julianday(substr(CDate(" + column + "), 1, 10)) - 2440587.5 AS INTEGER)";
}

std::string createTable(Table t) {
    std::string sql = "CREATE TABLE ";
    sql += tableName(t);
    sql += " (";
    bool first = true;
    for (const std::string& col : tableColumns(t)) {
        if (!first) sql += ", ";
        first = false;
        sql += col;
        sql += " TEXT COLLATE NOCASE";
    }
    sql += ")";
    return sql;
}

// The triggers that keep a report table's marks with every row written, removed or changed,
// by whatever program does it. Only the engine's own functions: another program has none of
// this one's. The highest row id is sought again only when the row removed held it.
std::vector<std::string> rowMarkTriggers(Table t, int id) {
    const std::string table = tableName(t);
    const std::string marks = " UPDATE row_marks SET changes = changes + 1, ";
    const std::string ofTable = " WHERE id = " + std::to_string(id) + "; END";
    const std::string highest = "(SELECT ifnull(MAX(rowid), 0) FROM " + table + ")";
    return {"CREATE TRIGGER " + table + "_row_added AFTER INSERT ON " + table + " BEGIN" + marks +
                "row_count = row_count + 1, last_rowid = max(last_rowid, NEW.rowid)" + ofTable,
            "CREATE TRIGGER " + table + "_row_removed AFTER DELETE ON " + table + " BEGIN" + marks +
                "row_count = row_count - 1, last_rowid = CASE WHEN OLD.rowid < last_rowid THEN last_rowid ELSE " +
                highest + " END" + ofTable,
            "CREATE TRIGGER " + table + "_row_changed AFTER UPDATE ON " + table + " BEGIN" + marks +
                "last_rowid = " + highest + ofTable};
}

}  // namespace

std::string insertStatement(Table table, int rows) {
    const std::vector<std::string>& columns = tableColumns(table);
    std::string sql = std::string("INSERT INTO ") + tableName(table) + " (";
    std::string marks;
    for (std::size_t t = 0; t < columns.size(); ++t) {
        sql += (t ? "," : "") + columns[t];
        marks += t ? ",?" : "?";
    }
    sql += ") VALUES (" + marks + ")";
    for (int r = 1; r < rows; ++r) sql += ",(" + marks + ")";
    return sql;
}

const char* tableName(Table table) {
    switch (table) {
        case Table::Master:
            return "mastertable";
        case Table::YourOffice:
            return "Youroffice";
        case Table::Finacle:
            return "veskfinacle";
        case Table::Orv:
            return "orvtable";
    }
    return "";
}

const std::vector<std::string>& tableColumns(Table table) {
    static const std::vector<std::string> kMaster = masterColumns();
    static const std::vector<std::string> kYourOffice = {"ooffice_name", "oqal_facility_id", "ooffice_id"};
    static const std::vector<std::string> kFinacle = {"tran_id",          "value_date",  "Tran_Date",  "CASH_TRAN_TYPE",
                                                      "TRAN_AMT",         "FACILITY_ID", "account_no", "account_name",
                                                      "tran_particulars", "branch_code", "remarks"};
    static const std::vector<std::string> kOrv = orvColumns();
    switch (table) {
        case Table::Master:
            return kMaster;
        case Table::YourOffice:
            return kYourOffice;
        case Table::Finacle:
            return kFinacle;
        case Table::Orv:
            return kOrv;
    }
    return kYourOffice;
}

std::vector<std::string> schemaStatements() {
    std::vector<std::string> out;
    for (Table t : kAllTables) out.push_back(createTable(t));
    // Only the lookups the comparison joins on: the bank and ORV rows are scanned by month
    // through functions anyway, and every extra index slows the 100k-row imports.
    out.push_back("CREATE INDEX mastertable_office_id ON mastertable (office_id)");
    out.push_back("CREATE INDEX mastertable_qal_facility_id ON mastertable (qal_facility_id)");
    out.push_back("CREATE INDEX mastertable_office_name ON mastertable (office_name)");
    return out;
}

std::vector<std::string> officeTotalsStatements(bool temporary) {
    const std::string table = temporary ? "TEMP TABLE" : "TABLE";
    const std::string index = temporary ? "temp.office_month_totals_compared" : "office_month_totals_compared";
    return {
        "CREATE " + table +
            " office_month_totals (report TEXT NOT NULL, month_key INTEGER NOT NULL, office_ref TEXT COLLATE NOCASE "
            "NOT NULL, compared_key INTEGER NOT NULL, deposits, withdrawals, "
            "PRIMARY KEY (report, month_key, office_ref, compared_key))",
        "CREATE INDEX " + index + " ON office_month_totals (report, compared_key, office_ref, deposits, withdrawals)"};
}

std::string newerLayoutText(int layout) {
    return "saved by a newer version of the program (its layout " + std::to_string(layout) + ", this version's " +
           std::to_string(kSchemaVersion) + ")";
}

std::vector<std::string> migrationStatements(int from) {
    std::vector<std::string> out;
    if (from < 1) {
        // A month's rows found through the key of their date, holding the columns the
        // comparison reads, so a month is read without decrypting the other months' pages.
        // (The bank's comparison index is made month first by a later step.)
        out.push_back(
            "CREATE INDEX orvtable_month ON orvtable "
            "(MonthKey(try_posting_date), office_id, receipt_or_payment, tot_amount, try_posting_date, "
            "treasury_tran_id)");
        out.push_back(
            "CREATE INDEX mastertable_office ON mastertable "
            "(office_id, qal_facility_id, office_name, ho_name, office_type_code)");
        // The summaries' month keys, with the one column they read that no other index holds:
        // every column a summary or comparison reads then sits in an index on MonthKey(), so
        // no other program (which lacks the function) can change it behind the month lines.
        out.push_back("CREATE INDEX veskfinacle_value_month ON veskfinacle (MonthKey(value_date), tran_id)");
        // The report forms' monthly summaries, one line per month key, kept with the rows.
        out.push_back(
            "CREATE TABLE month_summaries (report TEXT NOT NULL, month_key INTEGER NOT NULL, [YEAR], [MONTH], "
            "[TOTAL ENTRIES], [DEP COUNT], [DEP AMOUNT], [WDL COUNT], [WDL AMOUNT], [SortMonth], "
            "PRIMARY KEY (report, month_key))");
        out.push_back(
            "CREATE TABLE month_summary_marks (report TEXT PRIMARY KEY, row_count INTEGER NOT NULL, "
            "last_rowid INTEGER NOT NULL)");
    }
    if (from < 2) {
        // Every change to the data, written in the change's own transaction. Times are local
        // "yyyy-mm-dd hh:mm:ss"; the order of the ids is the order of the changes.
        out.push_back(
            "CREATE TABLE import_history (id INTEGER PRIMARY KEY, recorded_at TEXT NOT NULL, form TEXT NOT NULL, "
            "action TEXT NOT NULL, period_year INTEGER, period_month INTEGER, file_name TEXT, file_size INTEGER, "
            "file_sha256 TEXT, office TEXT, row_count INTEGER NOT NULL, deposits REAL, withdrawals REAL)");
        // The earlier import of a file chosen again.
        out.push_back("CREATE INDEX import_history_file ON import_history (form, file_sha256)");
    }
    if (from < kOfficeTotalsLayout) {
        // Each report's sums per office (the bank's facility id, the ORV office id) and month
        // of the comparison's date, within each month key of the report's own date: kept with
        // the rows as the month lines are, so a range of months is compared without reading
        // the rows. Filled on first use; the marks say which rows the totals describe.
        for (std::string& sql : officeTotalsStatements(false)) out.push_back(std::move(sql));
        out.push_back(
            "CREATE TABLE office_month_marks (report TEXT PRIMARY KEY, row_count INTEGER NOT NULL, "
            "last_rowid INTEGER NOT NULL)");
    }
    if (from < kNotesLayout) {
        // A note on one bank row or ORV entry, keyed by its side and ID (as the rows compare
        // them), so it outlives a re-import or a deletion of its month.
        out.push_back(
            "CREATE TABLE notes (side TEXT NOT NULL, tran_id TEXT NOT NULL COLLATE NOCASE, status TEXT NOT NULL, "
            "note TEXT NOT NULL, office TEXT, changed_by TEXT NOT NULL, changed_at TEXT NOT NULL, "
            "PRIMARY KEY (side, tran_id))");
        // A note's change in the history: the row's ID and its status before and after.
        out.push_back("ALTER TABLE import_history ADD COLUMN tran_id TEXT");
        out.push_back("ALTER TABLE import_history ADD COLUMN old_status TEXT");
        out.push_back("ALTER TABLE import_history ADD COLUMN new_status TEXT");
        // What the pairing found in each month for every office of the master, and the
        // history record it was found after (the newest that could change it).
        out.push_back("CREATE TABLE paired_months (month_key INTEGER PRIMARY KEY, last_change INTEGER NOT NULL)");
        out.push_back(
            "CREATE TABLE paired_exceptions (month_key INTEGER NOT NULL, office TEXT NOT NULL, kind TEXT NOT NULL, "
            "side TEXT NOT NULL, day INTEGER NOT NULL, tran_id TEXT NOT NULL, amount REAL NOT NULL, "
            "class TEXT NOT NULL)");
        out.push_back("CREATE INDEX paired_exceptions_month ON paired_exceptions (month_key)");
        // The rows the stored months were found on: the newest change recorded then and the
        // highest row ids, which tell a change that was not recorded.
        out.push_back(
            "CREATE TABLE paired_marks (id INTEGER PRIMARY KEY CHECK (id = 1), last_change INTEGER NOT NULL, "
            "bank_rowid INTEGER NOT NULL, orv_rowid INTEGER NOT NULL, master_rowid INTEGER NOT NULL)");
    }
    if (from < kMonthFirstBankLayout) {
        // The bank's rows by month first, then office (built below with the rows' IDs): a
        // month's rows lie together, so a deletion or a replacement removes one range of the
        // index instead of entries all over it. The rows whose Tran_Date is no date (key 0),
        // which the comparison must still fail on, are found through it too, so the index
        // version 1 kept of them alone goes as well.
        out.push_back("DROP INDEX IF EXISTS veskfinacle_tran_month");
        out.push_back("DROP INDEX IF EXISTS veskfinacle_tran_undated");
    }
    if (from < kHandPairsLayout) {
        // IDs repeat over time, so a note belongs to a row: its side, ID and date (days since
        // 1970-01-01). A note kept by ID alone goes onto each held row with the ID; one whose
        // rows are all gone stays without a date.
        out.push_back("ALTER TABLE notes RENAME TO notes_by_id");
        out.push_back(
            "CREATE TABLE notes (side TEXT NOT NULL, tran_id TEXT NOT NULL COLLATE NOCASE, day INTEGER, "
            "status TEXT NOT NULL, note TEXT NOT NULL, office TEXT, changed_by TEXT NOT NULL, changed_at TEXT NOT "
            "NULL, "
            "PRIMARY KEY (side, tran_id, day))");
        const std::string columns = "(side, tran_id, day, status, note, office, changed_by, changed_at)";
        const std::string kept = "n.status, n.note, n.office, n.changed_by, n.changed_at";
        // The bank's rows with a note's ID, sought month by month of their value date through
        // its index, as the notes' own statements seek them.
        out.push_back(
            "WITH RECURSIVE keys(k) AS (SELECT (SELECT MonthKey(value_date) FROM veskfinacle ORDER BY "
            "MonthKey(value_date) LIMIT 1) UNION ALL SELECT (SELECT MonthKey(value_date) FROM veskfinacle WHERE "
            "MonthKey(value_date) > keys.k ORDER BY MonthKey(value_date) LIMIT 1) FROM keys WHERE keys.k IS NOT NULL) "
            "INSERT INTO notes " +
            columns + " SELECT DISTINCT n.side, n.tran_id, held.day, " + kept +
            " FROM notes_by_id AS n INNER JOIN (SELECT i.tran_id AS id, " + dayOf("i.Tran_Date") +
            " AS day FROM veskfinacle AS i WHERE MonthKey(i.value_date) IN (SELECT k FROM keys WHERE k IS NOT NULL) "
            "AND i.tran_id IN (SELECT tran_id FROM notes_by_id WHERE side = 'bank') AND MonthKey(i.Tran_Date) > 0) "
            "AS held ON held.id = n.tran_id WHERE n.side = 'bank'");
        out.push_back("INSERT INTO notes " + columns + " SELECT DISTINCT n.side, n.tran_id, " +
                      dayOf("a.try_posting_date") + ", " + kept +
                      " FROM notes_by_id AS n INNER JOIN orvtable AS a ON a.treasury_tran_id = n.tran_id "
                      "WHERE n.side = 'orv' AND MonthKey(a.try_posting_date) > 0");
        out.push_back("INSERT INTO notes " + columns + " SELECT n.side, n.tran_id, NULL, " + kept +
                      " FROM notes_by_id AS n WHERE NOT EXISTS "
                      "(SELECT 1 FROM notes AS m WHERE m.side = n.side AND m.tran_id = n.tran_id)");
        out.push_back("DROP TABLE notes_by_id");
        // Pairs made by hand, numbered from 1 and never deleted (an undone pair is kept as
        // such), so a number is never given twice. A pair keeps the rows, dates and amounts it
        // was made with; difference is bank less ORV. A broken pair names the row that broke it
        // and what that row became (no amount: the row is gone).
        out.push_back(
            "CREATE TABLE hand_pairs (number INTEGER PRIMARY KEY, kind TEXT NOT NULL, difference REAL NOT NULL, "
            "pair_text TEXT NOT NULL, made_by TEXT NOT NULL, made_at TEXT NOT NULL, state TEXT NOT NULL, "
            "changed_by TEXT, changed_at TEXT, broken_side TEXT, broken_tran_id TEXT, broken_day INTEGER, "
            "broken_amount REAL, broken_kind TEXT)");
        out.push_back(
            "CREATE TABLE hand_pair_rows (pair INTEGER NOT NULL, side TEXT NOT NULL, tran_id TEXT NOT NULL COLLATE "
            "NOCASE, day INTEGER NOT NULL, office TEXT NOT NULL, amount REAL NOT NULL, "
            "PRIMARY KEY (pair, side, tran_id, day))");
        out.push_back("CREATE INDEX hand_pair_rows_row ON hand_pair_rows (side, tran_id, day)");
        // ORV entries found by their ID within each month, as the bank's rows are through their
        // value month's index: for a row a person names, and for the hand pairs an import may
        // break. Month first, so that an import adds to one range of it.
        out.push_back("CREATE INDEX orvtable_month_tran_id ON orvtable (MonthKey(try_posting_date), treasury_tran_id)");
        // What a record of a hand pair says about it.
        out.push_back("ALTER TABLE import_history ADD COLUMN detail TEXT");
        // The stored exceptions keep the row each one may have been booked twice as; what was
        // stored before lacks it, so every month is paired again.
        out.push_back("ALTER TABLE paired_exceptions ADD COLUMN twin_id TEXT");
        out.push_back("ALTER TABLE paired_exceptions ADD COLUMN twin_amount REAL");
        out.push_back("DELETE FROM paired_exceptions");
        out.push_back("DELETE FROM paired_months");
        out.push_back("DELETE FROM paired_marks");
    }
    if (from < kRowMarksLayout) {
        // Each report table's marks, counted once here and kept from then on by its triggers,
        // which find them by row id, the quickest way there. No constraint a change could
        // break: an INSERT whose trigger writes a table that has one is prepared to undo itself
        // part-way (a statement journal: every page it touches encrypted once more), which
        // tripled the time of an import.
        out.push_back(
            "CREATE TABLE row_marks (id INTEGER PRIMARY KEY, report TEXT, row_count INTEGER, last_rowid INTEGER, "
            "changes INTEGER)");
        int id = 0;
        for (Table t : kMarkedTables) {
            out.push_back("INSERT INTO row_marks SELECT " + std::to_string(++id) + ", '" + tableName(t) +
                          "', COUNT(*), ifnull(MAX(rowid), 0), 0 FROM " + tableName(t));
            for (std::string& sql : rowMarkTriggers(t, id)) out.push_back(std::move(sql));
        }
        // What is kept per month names the row marks it describes, changes included. Marks an
        // older version left that still describe the rows carry over; the others go, and what
        // they marked is built again when it is next read.
        for (const std::string kept : {"month_summary_marks", "office_month_marks"}) {
            out.push_back("ALTER TABLE " + kept + " ADD COLUMN changes INTEGER");
            out.push_back(
                "UPDATE " + kept + " SET changes = (SELECT r.changes FROM row_marks AS r WHERE r.report = " + kept +
                ".report AND r.row_count = " + kept + ".row_count AND r.last_rowid = " + kept + ".last_rowid)");
            out.push_back("DELETE FROM " + kept + " WHERE changes IS NULL");
        }
    }
    if (from < kClosesLayout) {
        // A month's closes, numbered in the order they were made and never deleted: a reopened
        // close keeps its place in the chain, each digest taken over the close's content and
        // the digest of the close before it. Times are local "yyyy-mm-dd hh:mm:ss".
        out.push_back(
            "CREATE TABLE month_closes (number INTEGER PRIMARY KEY, month_key INTEGER NOT NULL, closed_at TEXT NOT "
            "NULL, closed_by TEXT NOT NULL, month_digest TEXT NOT NULL, previous_digest TEXT NOT NULL, digest TEXT "
            "NOT NULL, reopened_at TEXT, reopened_by TEXT)");
        out.push_back("CREATE INDEX month_closes_month ON month_closes (month_key)");
        // The statement's lines as closed, in the statement's order; rows none where it shows none.
        out.push_back(
            "CREATE TABLE month_close_lines (close INTEGER NOT NULL, line INTEGER NOT NULL, deposits REAL NOT NULL, "
            "withdrawals REAL NOT NULL, row_count INTEGER, PRIMARY KEY (close, line))");
        // The items behind its roll-forward: the carried ones as rows, every one as it was listed.
        out.push_back(
            "CREATE TABLE month_close_items (close INTEGER NOT NULL, position INTEGER NOT NULL, carried INTEGER NOT "
            "NULL, side TEXT NOT NULL, tran_id TEXT NOT NULL, day INTEGER NOT NULL, office TEXT NOT NULL, kind TEXT "
            "NOT NULL, amount REAL NOT NULL, since_key INTEGER NOT NULL, cells TEXT NOT NULL, "
            "PRIMARY KEY (close, position))");
    }
    if (from < kBankRowIdsLayout) {
        // The comparison's index of the bank rows with their IDs last: the pairing reads every
        // column it needs from the index, not a table page per row. It takes the place of the
        // narrower one of the layouts since kMonthFirstBankLayout rather than standing beside it,
        // so an import still writes one entry a row.
        out.push_back("DROP INDEX IF EXISTS veskfinacle_month_facility");
        out.push_back(
            "CREATE INDEX veskfinacle_month_rows ON veskfinacle "
            "(MonthKey(Tran_Date), FACILITY_ID, CASH_TRAN_TYPE, TRAN_AMT, Tran_Date, tran_id)");
    }
    if (from < kHistoryByLayout) {
        // Each column of the history means one thing, whatever the action: who made the change,
        // and the pair or close it is about. The records made before move there from the
        // columns that held them.
        out.push_back("ALTER TABLE import_history ADD COLUMN \"by\" TEXT");
        out.push_back("ALTER TABLE import_history ADD COLUMN subject TEXT");
        out.push_back(
            "UPDATE import_history SET \"by\" = office, office = NULL WHERE action IN ('month-closed', "
            "'month-reopened')");
        out.push_back(
            "UPDATE import_history SET subject = tran_id, tran_id = NULL WHERE action IN ('hand-pair-made', "
            "'hand-pair-undone', 'hand-pair-broken')");
        // The formula a close's month digest was taken with; every close before it used the first.
        out.push_back("ALTER TABLE month_closes ADD COLUMN digest_version INTEGER NOT NULL DEFAULT 1");
    }
    if (from < kSignOffsLayout) {
        // Who signs a printed statement, one row per role (as the program names it); a role
        // without a row signs with empty lines.
        out.push_back(
            "CREATE TABLE sign_offs (role TEXT COLLATE NOCASE PRIMARY KEY, name TEXT COLLATE NOCASE NOT NULL, "
            "designation TEXT COLLATE NOCASE NOT NULL)");
    }
    if (from < kPairingRulesLayout) {
        // The pairing rules the division set, one row per rule (as the program names it); a rule
        // without a row pairs by its default.
        out.push_back("CREATE TABLE pairing_rules (rule TEXT COLLATE NOCASE PRIMARY KEY, value INTEGER NOT NULL)");
    }
    if (from < kDayIndexLayout) {
        // Each office's rows of a month in the order of their day: the few days a pairing reads
        // of the months either side are found, not sought among the whole month's. The day
        // follows the office, so the comparison still reads a month office by office.
        out.push_back("DROP INDEX IF EXISTS veskfinacle_month_rows");
        out.push_back(
            "CREATE INDEX veskfinacle_month_rows ON veskfinacle "
            "(MonthKey(Tran_Date), FACILITY_ID, DayOfMonth(Tran_Date), CASH_TRAN_TYPE, TRAN_AMT, Tran_Date, tran_id)");
        out.push_back("DROP INDEX IF EXISTS orvtable_month");
        out.push_back(
            "CREATE INDEX orvtable_month ON orvtable "
            "(MonthKey(try_posting_date), office_id, DayOfMonth(try_posting_date), receipt_or_payment, tot_amount, "
            "try_posting_date, treasury_tran_id)");
    }
    return out;
}

}  // namespace vesk::store
