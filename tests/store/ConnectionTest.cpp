#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <latch>
#include <optional>
#include <thread>

#include "store/ConcurrentRead.h"
#include "store/Connection.h"
#include "store/DatabaseFiles.h"
#include "store/DatabaseLocation.h"
#include "store/StoreTestSupport.h"
#include "store/TableRows.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace vesk::store {
namespace {

using test::errorOf;

using test::fileBytes;
using test::writeBytes;

class ConnectionTest : public ::testing::Test {
  protected:
    void SetUp() override { m_db.open(m_dir.file(kDatabaseFileName)); }

    test::TempDir m_dir;
    Connection m_db;
};

TEST_F(ConnectionTest, HasTableFindsTablesInAnyCaseAndNothingElse) {
    m_db.execute("CREATE VIEW office_names AS SELECT office_name FROM mastertable");
    const std::pair<const char*, bool> cases[] = {
        {"mastertable", true},
        {"MONTH_SUMMARIES", true},            // added by the layout upgrade
        {"mastertable_office_id", false},     // an index
        {"office_names", false},              // a view
        {"mastertable' OR '1' = '1", false},  // bound, never spliced in
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(hasTable(m_db, name), expected);
    }
}

TEST_F(ConnectionTest, AConnectionBesideAnotherOpensItsFileWithItsKey) {
    const std::string keyed = m_dir.file("keyed.db");
    Connection first;
    first.openKeyed(keyed, "another");
    first.execute("INSERT INTO Youroffice VALUES ('Keyed HO', '', '')");
    m_db.execute("INSERT INTO Youroffice VALUES ('Main HO', '', '')");
    const struct {
        const char* what;
        Connection& from;
        const char* office;
    } cases[] = {{"a file of the program's key", m_db, "Main HO"}, {"a file of another key", first, "Keyed HO"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Connection beside;
        beside.openBeside(c.from);
        EXPECT_EQ(beside.path(), c.from.path());
        EXPECT_EQ(beside.scalar("SELECT ooffice_name FROM Youroffice"), Value(c.office));
        // Opened again beside itself, it keeps the file and the key.
        beside.openBeside(beside);
        EXPECT_EQ(beside.scalar("SELECT ooffice_name FROM Youroffice"), Value(c.office));
    }
    Connection closed, beside;
    EXPECT_EQ(errorOf([&] { beside.openBeside(closed); }).number(), errc::kUsage);
    EXPECT_FALSE(beside.isOpen());
    // A closed connection forgets the key it had.
    first.close();
    EXPECT_EQ(errorOf([&] { beside.openBeside(first); }).number(), errc::kUsage);
}

TEST_F(ConnectionTest, UnreadableFilesGiveAnErrorAndStayUntouched) {
    m_db.execute("INSERT INTO Youroffice VALUES ('x', 'y', 'z')");
    m_db.close();
    const std::string good = m_dir.file(kDatabaseFileName);
    const std::string text = m_dir.file("notes.db");
    writeBytes(text, std::string("just some text, not a database at all\n") + std::string(2000, 'x'));
    const std::string partial = m_dir.file("partial.db");
    {
        Connection other;
        other.open(partial);
        other.execute("DROP TABLE orvtable; DROP TABLE Youroffice");
    }
    // A later version's file: this one cannot know what its layout needs kept up.
    const std::string newer = m_dir.file("newer.db");
    {
        Connection later;
        later.open(newer);
        later.execute("PRAGMA user_version = " + std::to_string(kSchemaVersion + 1));
    }
    struct Case {
        const char* name;
        std::string path;
        std::optional<std::string> key;  ///< none: the program's
        long number;
        const char* description;
    };
    const Case cases[] = {
        {"another key", good, "other", errc::kDatabaseBase + 26, "file is encrypted or is not a database"},
        {"not a database", text, std::nullopt, errc::kDatabaseBase + 26, "file is encrypted or is not a database"},
        {"tables missing", partial, std::nullopt, errc::kDatabaseBase + 1, "Youroffice, orvtable"},
        {"newer layout", newer, std::nullopt, kNewerLayoutError, "newer version of the program"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = fileBytes(c.path);
        Connection db;
        Error e = errorOf([&] { c.key ? db.openKeyed(c.path, *c.key) : db.open(c.path); });
        EXPECT_EQ(e.number(), c.number);
        EXPECT_NE(e.description().find(c.description), std::string::npos) << e.description();
        EXPECT_FALSE(db.isOpen());
        EXPECT_EQ(fileBytes(c.path), before);
        EXPECT_FALSE(std::filesystem::exists(c.path + "-wal"));
        if (c.key) continue;
        EXPECT_EQ(errorOf([&] { db.openWithoutUpgrade(c.path); }).number(), c.number);
        EXPECT_FALSE(db.isOpen());
    }
}

TEST_F(ConnectionTest, PathsThatCannotHoldTheFileGiveAnError) {
    Connection db;
    Error e = errorOf([&] { db.open(m_dir.file("no/such/folder/ZETTools.db")); });
    EXPECT_EQ(e.number(), errc::kPathAccess);
    EXPECT_NE(e.description().find("does not exist"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("no")));
    EXPECT_EQ(errorOf([&] { db.open(m_dir.path().string()); }).number(), errc::kPathAccess);
    EXPECT_THROW(db.execute("SELECT 1"), Error);
}

TEST_F(ConnectionTest, TextComparisonsIgnoreLetterCase) {
    m_db.execute(
        "INSERT INTO veskfinacle (tran_id, CASH_TRAN_TYPE, FACILITY_ID) VALUES ('1', 'DEPOSIT', 'pf01'), "
        "('2', 'deposit', 'PF01'), ('3', 'Withdrawal', 'pf02')");
    m_db.execute("INSERT INTO Youroffice VALUES ('Alpha', 'PF01', 'O1')");
    struct Case {
        const char* sql;
        Value expected;
    };
    const Case cases[] = {
        {"SELECT COUNT(*) FROM veskfinacle WHERE CASH_TRAN_TYPE = 'Deposit'", 2},
        {"SELECT COUNT(*) FROM (SELECT CASH_TRAN_TYPE FROM veskfinacle GROUP BY CASH_TRAN_TYPE)", 2},
        {"SELECT COUNT(*) FROM veskfinacle i INNER JOIN Youroffice y ON i.FACILITY_ID = y.oqal_facility_id", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(m_db.scalar(c.sql), c.expected);
    }
}

// Quoted text goes in and matches as it is, a zero byte in it neither cutting it nor breaking
// the statement; text bound to a statement matches the same quoted text.
TEST_F(ConnectionTest, QuotedTextSurvivesARealInsert) {
    const std::string names[] = {"D'Souza", "'", "O''Neil's", "a;b -- c", "", std::string("Hill") + '\0' + "top 'B'"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        m_db.execute("DELETE FROM Youroffice");
        m_db.execute("INSERT INTO Youroffice VALUES (" + quote(name) + ", 'f', 'o')");
        m_db.execute("INSERT INTO Youroffice VALUES (?, 'b', 'o')", {name});
        EXPECT_EQ(m_db.scalar("SELECT ooffice_name FROM Youroffice WHERE oqal_facility_id = 'f'"), Value(name));
        EXPECT_EQ(m_db.scalar("SELECT COUNT(*) FROM Youroffice WHERE ooffice_name = " + quote(name) + " AND 1 = 1"),
                  Value(2));
    }
}

TEST_F(ConnectionTest, TransactionsCommitOrLeaveNothing) {
    EXPECT_THROW(
        {
            Transaction tx = m_db.begin();
            m_db.execute("INSERT INTO Youroffice VALUES ('first', '', '')");
            m_db.execute("INSERT INTO Youroffice VALUES ('second', '', '', 'one too many')");
            tx.commit();
        },
        Error);
    EXPECT_EQ(m_db.scalar("SELECT COUNT(*) FROM Youroffice"), Value(0));

    {
        Transaction tx = m_db.begin();
        m_db.execute("INSERT INTO Youroffice VALUES ('Kept Office', '', '')");
        tx.commit();
        EXPECT_FALSE(tx.isActive());
        EXPECT_THROW(tx.commit(), Error);
    }
    // A second transaction cannot start inside the first.
    {
        Transaction tx = m_db.begin();
        EXPECT_THROW(m_db.begin(), Error);
    }
    // Reopened, the file keeps it; and it is encrypted: the text is nowhere in its bytes.
    m_db.close();
    m_db.open(m_dir.file(kDatabaseFileName));
    EXPECT_EQ(m_db.scalar("SELECT ooffice_name FROM Youroffice"), Value("Kept Office"));
    m_db.close();
    EXPECT_EQ(fileBytes(m_dir.file(kDatabaseFileName)).find("Kept Office"), std::string::npos);
}

// A program (args: the file) that commits a row, then dies half way through a second change.
VESK_CHILD_ROUTINE(commitsThenDiesWithoutClosing) {
    Connection db;
    db.open(args.at(0));
    Transaction tx = db.begin();
    db.execute("INSERT INTO Youroffice VALUES ('committed', '', '')");
    tx.commit();
    db.execute("BEGIN");
    db.execute("INSERT INTO Youroffice VALUES ('in flight', '', '')");
    db.execute("DELETE FROM Youroffice WHERE ooffice_name = 'committed'");
    std::_Exit(0);  // no destructors run: the file is left as a crash leaves it
}

TEST_F(ConnectionTest, ACommitSurvivesAProgramThatDiesWithoutClosing) {
    m_db.close();
    const std::string path = m_dir.file(kDatabaseFileName);
    test::ChildProcess child("commitsThenDiesWithoutClosing", {path});
    ASSERT_EQ(child.wait(), 0);
    m_db.open(path);
    ResultSet rs = m_db.query("SELECT ooffice_name FROM Youroffice");
    ASSERT_EQ(rs.rowCount(), 1u);
    EXPECT_EQ(rs.field(0, 0), Value("committed"));
}

TEST_F(ConnectionTest, AnotherConnectionReadsWhileAnImportIsUnderWay) {
    m_db.execute("INSERT INTO Youroffice VALUES ('before', '', '')");
    Connection reader;
    reader.open(m_dir.file(kDatabaseFileName));
    {
        Transaction tx = m_db.begin();
        Statement insert = m_db.prepare(test::insertAllColumns(Table::Finacle));
        for (int i = 0; i < 20000; ++i)
            insert.execute(test::rowOf(Table::Finacle, {{"tran_id", std::to_string(i)}, {"TRAN_AMT", "1.5"}}));
        EXPECT_EQ(reader.scalar("SELECT COUNT(*) FROM veskfinacle"), Value(0));
        EXPECT_EQ(reader.scalar("SELECT ooffice_name FROM Youroffice"), Value("before"));
        tx.commit();
    }
    EXPECT_EQ(reader.scalar("SELECT Sum(TRAN_AMT) FROM veskfinacle"), Value(30000.0));
}

TEST_F(ConnectionTest, OpeningWaitsForAnotherProgramsCommitInsteadOfFailing) {
    // An exclusive lock, as a commit holds it, keeps every reader out, even of the schema.
    m_db.execute("BEGIN EXCLUSIVE");
    m_db.execute("INSERT INTO Youroffice VALUES ('committed', '', '')");
    // The commit comes once the opening has said it waits (or has ended without waiting).
    std::latch waiting(1);
    bool told = false;
    std::thread committer([this, &waiting] {
        waiting.wait();
        m_db.execute("COMMIT");
    });
    Connection late;
    late.setDelayWatcher([&](const DelayNotice& n) {
        if (n.over || told) return;
        told = true;
        waiting.count_down();
    });
    std::string failure;
    try {
        late.open(m_dir.file(kDatabaseFileName));
    } catch (const Error& e) {
        failure = e.description();
    }
    const bool waited = told;
    if (!told) waiting.count_down();
    committer.join();
    EXPECT_TRUE(waited);
    EXPECT_EQ(failure, "");
    if (late.isOpen()) {
        EXPECT_EQ(late.scalar("SELECT ooffice_name FROM Youroffice"), Value("committed"));
    }
}

// Work beside a snapshot reads the snapshot's state. Another program waiting to commit keeps a
// connection beside from taking its lock; the work then runs on the snapshot's own connection,
// at once, and the other program commits once the snapshot ends.
TEST_F(ConnectionTest, AConcurrentReadBesideASnapshotReadsItsStateWhileAnotherProgramWaitsToCommit) {
    m_db.execute("INSERT INTO Youroffice VALUES ('before', '', '')");
    Connection other;
    other.open(m_dir.file(kDatabaseFileName));
    std::latch waiting(1);
    bool told = false;
    other.setDelayWatcher([&](const DelayNotice& n) {
        if (n.over || std::exchange(told, true)) return;
        waiting.count_down();
    });
    const auto offices = [](Connection& db) { return db.scalar("SELECT COUNT(*) FROM Youroffice").toInt(); };
    std::thread committer;
    {
        const ReadSnapshot snapshot(m_db);
        committer = std::thread([&] {
            Transaction tx = other.begin();
            other.execute("INSERT INTO Youroffice VALUES ('after', '', '')");
            tx.commit();
            if (!told) waiting.count_down();
        });
        waiting.wait();
        for (int pass = 0; pass < 2; ++pass) {
            std::int64_t seen = -1;
            ConcurrentRead beside(m_db, [&](Connection& db) { seen = offices(db); });
            beside.wait();
            EXPECT_EQ(seen, 1);
        }
        EXPECT_TRUE(told);
    }
    committer.join();
    EXPECT_EQ(offices(m_db), 2);
}

TEST_F(ConnectionTest, StatementsAndTransactionsMayOutliveTheirConnection) {
    const std::string path = m_dir.file(kDatabaseFileName);
    {
        Transaction tx = m_db.begin();
        Statement insert = m_db.prepare("INSERT INTO Youroffice VALUES (?, '', '')");
        insert.execute({"in flight"});
        m_db.close();
        EXPECT_FALSE(m_db.isOpen());
        // Still usable: it holds the handle, not a pointer into a closed connection.
        insert.execute({"second"});
        m_db.open(path);
        EXPECT_EQ(m_db.scalar("SELECT COUNT(*) FROM Youroffice"), Value(0));
    }
    // The transaction ended uncommitted: nothing of it stays, and the file takes writes again.
    EXPECT_EQ(m_db.scalar("SELECT COUNT(*) FROM Youroffice"), Value(0));
    m_db.execute("INSERT INTO Youroffice VALUES ('after', '', '')");
    EXPECT_EQ(m_db.scalar("SELECT ooffice_name FROM Youroffice"), Value("after"));
}

TEST_F(ConnectionTest, PreparedStatementsBindValuesAndNulls) {
    Statement insert = m_db.prepare("INSERT INTO veskfinacle (tran_id, TRAN_AMT, remarks) VALUES (?, ?, ?)");
    EXPECT_EQ(insert.execute({"a", 12, nullptr}), 1);
    EXPECT_EQ(insert.execute({"b", 2.5, "it's"}), 1);
    EXPECT_EQ(errorOf([&] { insert.execute({"too few"}); }).number(), errc::kUsage);
    EXPECT_THROW(m_db.prepare("SELECT 1; SELECT 2"), Error);

    // Text columns store numbers as text; Nulls stay Null; names are found in any letter case.
    ResultSet rs = m_db.query("SELECT tran_id, TRAN_AMT, remarks AS Note FROM veskfinacle ORDER BY tran_id");
    ASSERT_EQ(rs.rowCount(), 2u);
    EXPECT_EQ(rs.field(0, "tran_amt"), Value("12"));
    EXPECT_TRUE(rs.field(0, "NOTE").isNull());
    EXPECT_EQ(errorOf([&] { rs.field(0, "nothere"); }).number(), errc::kUsage);

    Statement select = m_db.prepare("SELECT COUNT(*) FROM veskfinacle WHERE remarks IS ? OR tran_id = ?");
    EXPECT_EQ(select.query({nullptr, "zz"}).field(0, 0), Value(1));  // re-runs after a reset
    EXPECT_EQ(select.query({"it's", "zz"}).field(0, 0), Value(1));
    EXPECT_EQ(m_db.execute("UPDATE veskfinacle SET remarks = ? WHERE tran_id <> ?", {"x", "a"}), 1);
}

// A row read step by step gives every field as the result set holds it, whatever its type,
// and a reader that gives up midway leaves the statement ready to run again.
TEST_F(ConnectionTest, RowsSteppedReadAsTheResultSetHoldsThem) {
    const std::string sql =
        "SELECT '12.50 Rs' AS a, 3 AS b, 2.5 AS c, NULL AS d UNION ALL SELECT x'4142', -7, 1e19, 'x' "
        "UNION ALL SELECT '', 2.5, 4, 0.1";
    Statement read = m_db.prepare(sql);
    EXPECT_EQ(read.columnIndex("C"), 2u);
    EXPECT_EQ(errorOf([&] { read.columnIndex("e"); }).number(), errc::kUsage);
    const ResultSet held = m_db.query(sql);
    std::size_t r = 0;
    read.each({}, [&](const RowView& row) {
        ASSERT_LT(r, held.rowCount());
        for (std::size_t c = 0; c < 4; ++c) {
            SCOPED_TRACE(std::to_string(r) + "," + std::to_string(c));
            const Value& v = held.field(r, c);
            EXPECT_EQ(row.value(c), v);
            EXPECT_EQ(row.isNull(c), v.isNull());
            EXPECT_EQ(row.text(c), v.toText());
            EXPECT_EQ(row.number(c), v.toNumber());
            if (c == 2 && r == 1)  // too large for an integer
                EXPECT_EQ(errorOf([&] { (void)row.integer(c); }).number(), errc::kTypeMismatch);
            else
                EXPECT_EQ(row.integer(c), v.toInt());
        }
        ++r;
    });
    EXPECT_EQ(r, held.rowCount());

    EXPECT_THROW(read.each({}, [](const RowView&) { throw Error(errc::kUsage, "stop"); }), Error);
    std::size_t again = 0;
    read.each({}, [&](const RowView&) { ++again; });
    EXPECT_EQ(again, 3u);
}

// Rows inserted many to a statement land one by one, in order, where their columns go.
TEST_F(ConnectionTest, RowsInsertedManyToAStatementGoInInOrderWithTheirColumns) {
    struct Case {
        Table table;
        std::size_t rows;  // in one call
    };
    // Around the rows one statement takes (16 for the bank, 12 for the office master's 83 columns).
    const Case cases[] = {{Table::Finacle, 0},  {Table::Finacle, 16}, {Table::Finacle, 17},
                          {Table::Finacle, 50}, {Table::Master, 12},  {Table::Master, 25}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(tableName(c.table)) + " " + std::to_string(c.rows));
        Connection& db = m_db;
        db.execute(std::string("DELETE FROM ") + tableName(c.table));
        // File column 0 goes to table column 2, 1 to 0, 2 is dropped; the table's others hold "".
        const std::vector<int> target = {2, 0, -1};
        std::vector<std::string> texts;
        for (std::size_t r = 0; r < c.rows; ++r)
            for (const char* column : {"a", "b", "c"}) texts.push_back(column + std::to_string(r));
        std::vector<std::string_view> views(texts.begin(), texts.end());
        {
            RowInserter insert(db, c.table, target);
            insert.insert(views.data(), 3, c.rows);
            // A row of fewer columns than the file has: the missing ones hold "".
            const std::string_view shortRow[] = {"x"};
            insert.insert(shortRow, 1);
        }
        const std::vector<std::string>& columns = tableColumns(c.table);
        const ResultSet rs = db.query("SELECT " + columns[0] + ", " + columns[1] + ", " + columns[2] + ", " +
                                      columns[3] + " FROM " + tableName(c.table) + " ORDER BY rowid");
        ASSERT_EQ(rs.rowCount(), c.rows + 1);
        for (std::size_t r = 0; r < c.rows; ++r) {
            const std::string n = std::to_string(r);
            EXPECT_EQ(rs.field(r, 0), Value("b" + n));
            EXPECT_EQ(rs.field(r, 1), Value(""));
            EXPECT_EQ(rs.field(r, 2), Value("a" + n));
            EXPECT_EQ(rs.field(r, 3), Value(""));
        }
        EXPECT_EQ(rs.field(c.rows, 0), Value(""));
        EXPECT_EQ(rs.field(c.rows, 2), Value("x"));
    }
}

TEST(Values, ReadAsTheEngineAndValDo) {
    EXPECT_EQ(Value(5.0).toText(), "5.0");
    EXPECT_EQ(Value(0.1 + 0.2).toText(), "0.3");
    EXPECT_EQ(Value().toNumber(), 0.0);
    EXPECT_EQ(Value("1,250.50 Rs").toNumber(), 1250.5);
    EXPECT_EQ(Value(-2.5).toInt(), -3);
    EXPECT_THROW(Value(1e19).toInt(), Error);
    EXPECT_THROW(Value("1e999").toNumber(), Error);
}

// Bringing a file up to this version's layout can rebuild indexes over years of rows: it is
// told, once, and told over even when it fails; a new file and a current one tell nothing.
TEST(LayoutUpgradeNotice, AnOlderFileIsSaidToBeBroughtUpToDateOnce) {
    test::TempDir dir;
    const std::string path = dir.file("ZETTools.db");
    std::vector<std::pair<Delay, bool>> told;
    const auto watch = [&told](Connection& c) {
        c.setDelayWatcher([&told](const DelayNotice& n) { told.emplace_back(n.delay, n.over); });
    };
    {
        Connection created;
        watch(created);
        created.open(path);
        EXPECT_TRUE(told.empty());
        test::makeLayoutBeforeDayIndex(created);
    }
    const std::vector<std::pair<Delay, bool>> upgrade = {{Delay::Upgrade, false}, {Delay::Upgrade, true}};
    {
        Connection older;
        watch(older);
        older.open(path);
        EXPECT_EQ(told, upgrade);
        told.clear();
        older.close();
        older.open(path);
        EXPECT_TRUE(told.empty());
        test::makeLayoutBeforeDayIndex(older);
        // A step that fails leaves the file as it was, and the notice over.
        older.execute("DROP INDEX orvtable_month");
        older.execute("CREATE TABLE orvtable_month (x)");
    }
    Connection failing;
    watch(failing);
    EXPECT_THROW(failing.open(path), Error);
    EXPECT_EQ(told, upgrade);
}

}  // namespace
}  // namespace vesk::store
