// A report file read row by row while its rows are stored hands over what reading it whole
// gives, and an import fails with the message and in the order reading it whole gave.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ctr/BankReport.h"
#include "report/ReportFile.h"
#include "report/ReportFiles.h"
#include "report/ReportMonths.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace vesk::report {
namespace {

using test::Entry;
using test::monthEntries;
using test::RawCell;

std::string describe(const std::vector<sheet::Cell>& cells) {
    std::string out;
    for (const sheet::Cell& c : cells)
        out += (c.kind == sheet::Cell::Kind::Error ? "#" + c.text : sheet::cellText(c)) + "|";
    return out;
}

// Everything a report file hands over, as text: its head, each row, why the rows stopped
// short, the count and the month keys; or that it must be read again whole.
std::string readAll(const std::string& path, bool whole) {
    const ReportDescription& report = ctr::bankReport();
    std::string out;
    try {
        ReportFile file(path, report);
        if (whole) file.readWhole();
        const FileHead& head = file.head();
        out = describe(head.headings) + " / " + describe(head.first) + (head.hasRows ? " rows\n" : " none\n");
        while (const RowBatch* batch = file.next()) {
            for (std::size_t r = 0; r < batch->size(); ++r) {
                out += std::to_string(batch->rows[r]) + ":";
                for (std::size_t c = 0; c < std::size_t(report.columns); ++c)
                    out += std::string(batch->cell(r, c, std::size_t(report.columns))) + "|";
                out += "\n";
            }
            if (batch->failure) {
                try {
                    std::rethrow_exception(batch->failure);
                } catch (const Error& e) {
                    out += "failure " + std::string(e.what()) + "\n";
                }
                file.settle();
                break;
            }
        }
        const auto count = file.rowCount();
        out += "count " + (count ? std::to_string(*count) : std::string("-")) + ", keys";
        for (const std::int64_t key : file.dateKeys()) out += " " + std::to_string(key);
    } catch (const ReportFile::Restart&) {
        return "restarted";
    } catch (const Error& e) {
        out += "!error " + std::string(e.what());
    }
    return out;
}

// The sheet's XML without the cells of column A in rows first..last.
std::string withoutColumnA(std::string xml, int first, int last) {
    for (int r = first; r <= last; ++r) {
        const std::size_t from = xml.find("<c r=\"A" + std::to_string(r) + "\"");
        xml.erase(from, xml.find("</c>", from) + 4 - from);
    }
    return xml;
}

// The sheet's XML with row 5 moved to the end: a sheet that cannot be read row by row.
std::string rowFiveMovedLast(std::string xml) {
    const std::size_t from = xml.find("<row r=\"5\">");
    const std::size_t to = xml.find("</row>", from) + 6;
    const std::string row = xml.substr(from, to - from);
    xml.erase(from, to - from);
    return xml.insert(xml.find("</sheetData>"), row);
}

struct FileCase {
    const char* what;
    std::vector<Entry> entries;
    std::function<std::string(std::string)> edit;
    bool restarts = false;  // cannot be read row by row
};

std::vector<FileCase> fileCases() {
    std::vector<FileCase> cases;
    cases.push_back({"a month", monthEntries(300, 2025, 4), {}});
    auto gaps = monthEntries(40, 2025, 4);
    gaps[3].id = "";
    gaps[9].id = "   ";
    gaps[20].note = "  spaced  ";
    gaps[30].date = RawCell("2025-05-02");  // another month: its key is kept too
    cases.push_back({"blank ids, blanks around, another month", gaps, {}});
    auto errorCell = monthEntries(120, 2025, 4);
    errorCell[60].date = RawCell::error("#N/A");
    cases.push_back({"an error value", errorCell, {}});
    auto errorId = monthEntries(10, 2025, 4);
    errorId[4].id = "x";
    cases.push_back({"an error value in column A", errorId, [](std::string xml) {
                         const std::string from =
                             "<c r=\"A6\" t=\"inlineStr\"><is><t xml:space=\"preserve\">x</t></is>";
                         return xml.replace(xml.find(from), from.size(), "<c r=\"A6\" t=\"e\"><v>#REF!</v>");
                     }});
    cases.push_back({"headings only", {}, {}});
    cases.push_back({"rows below 1 hold nothing in column A",
                     {{"", RawCell("01/04/2025"), true, "1", "n"}, {"", RawCell("02/04/2025"), true, "2", "n"}},
                     [](std::string xml) { return withoutColumnA(xml, 2, 3); }});
    cases.push_back({"the last rows hold nothing in column A", monthEntries(10, 2025, 4),
                     [](std::string xml) { return withoutColumnA(xml, 9, 11); }});
    cases.push_back({"the first data row further down", monthEntries(5, 2025, 4), [](std::string xml) {
                         // Rows 2 and 3 go; the rest keep their numbers.
                         for (int r : {2, 3}) {
                             const std::size_t from = xml.find("<row r=\"" + std::to_string(r) + "\">");
                             xml.erase(from, xml.find("</row>", from) + 6 - from);
                         }
                         return xml;
                     }});
    cases.push_back({"a cell beyond the columns read, written in a row", monthEntries(3, 2025, 4), [](std::string xml) {
                         const std::size_t at = xml.find("</row>", xml.find("<row r=\"3\">"));
                         return xml.insert(at, "<c r=\"Z3\" t=\"e\"><v>#N/A</v></c>");
                     }});
    cases.push_back({"rows out of order", monthEntries(30, 2025, 4), rowFiveMovedLast, true});
    cases.push_back({"a comment among the rows", monthEntries(30, 2025, 4),
                     [](std::string xml) { return xml.insert(xml.find("<row r=\"20\">"), "<!-- checked -->"); }, true});
    return cases;
}

TEST(ReportFile, RowByRowItHandsOverWhatReadingItWholeGives) {
    test::TempDir dir;
    for (const FileCase& c : fileCases()) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("report.xlsx");
        test::writeReport(path, test::bankShape(), c.entries, c.edit);
        const std::string whole = readAll(path, true);
        EXPECT_EQ(whole.find("!error"), std::string::npos) << whole;
        EXPECT_EQ(readAll(path, false), c.restarts ? "restarted" : whole);
    }
}

// What an import says and stores, and what it asks and shows on the way.
struct Outcome {
    std::string result;  // the status, or the error's message
    std::vector<std::string> questions;
    std::vector<std::string> progress;
    std::int64_t rows = 0;
    std::string ids;  // the stored rows' ids in order
};

class ImportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store::Connection db;
        db.open(database);
        db.execute("INSERT INTO mastertable (office_id, office_name, office_type_code) VALUES ('101', 'Hill', 'PDN')");
    }

    Outcome import(const std::vector<Entry>& entries, const std::function<std::string(std::string)>& edit = {},
                   bool answer = true) {
        test::writeReport(file, test::bankShape(), entries, edit);
        Outcome out;
        store::Connection db;
        db.open(database);
        try {
            const MonthImport done = importMonth(
                db, ctr::bankReport(), file,
                [&](const MonthImport& month, const std::optional<DateTime>&) {
                    // The month the question names.
                    out.questions.push_back(monthAndYear(month.period));
                    return answer;
                },
                [&](int row, int rows) { out.progress.push_back(std::to_string(row) + "/" + std::to_string(rows)); });
            out.result =
                done.status == MonthImport::Status::Imported ? "imported " + monthAndYear(done.period) : "refused";
        } catch (const Error& e) {
            out.result = e.what();
        }
        out.rows = db.scalar("SELECT COUNT(*) FROM veskfinacle").toInt();
        const store::ResultSet ids = db.query("SELECT tran_id FROM veskfinacle ORDER BY rowid");
        for (std::size_t r = 0; r < ids.rowCount(); ++r) out.ids += ids.field(r, 0).toText() + " ";
        return out;
    }

    test::TempDir dir;
    std::string database = dir.file("ZETTools.db");
    std::string file = dir.file("ctr.xlsx");
};

// The XML cut short after its last row: not well-formed, which only the end tells.
std::string cutShort(std::string xml) { return xml.substr(0, xml.rfind("</row>") + 6); }

TEST_F(ImportTest, AnErrorOfTheSheetsXmlComesBeforeEverythingElseAsWhenReadWhole) {
    auto badDate = monthEntries(400, 2025, 4);
    badDate[4].date = RawCell("pending");
    auto wrongHeading = monthEntries(400, 2025, 4);
    struct Case {
        const char* what;
        std::vector<Entry> entries;
        std::function<std::string(std::string)> edit;
    };
    const Case cases[] = {
        {"a row without a date early on", badDate, cutShort},
        {"another heading in B1", wrongHeading,
         [](std::string xml) {
             const std::string from = "VALUE_DATE";
             return cutShort(xml.replace(xml.find(from), from.size(), "SOMETHING"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome out = import(c.entries, c.edit);
        EXPECT_NE(out.result.find("is not well-formed XML"), std::string::npos) << out.result;
        EXPECT_EQ(out.rows, 0);
        EXPECT_EQ(out.progress, std::vector<std::string>());
    }
}

TEST_F(ImportTest, ASheetThatCannotBeReadRowByRowIsImportedWholeAndAskedAboutOnce) {
    // Row 5 comes last: the rows read before it is found are stored, then all read again whole.
    const Outcome out = import(monthEntries(20000, 2025, 4), rowFiveMovedLast);
    EXPECT_EQ(out.result, "imported April 2025");
    EXPECT_EQ(out.questions, std::vector<std::string>{"April 2025"});
    EXPECT_EQ(out.rows, 20000);
    std::string ids;
    for (int i = 1; i <= 20000; ++i) ids += "T" + std::to_string(i) + " ";
    EXPECT_EQ(out.ids, ids);
    EXPECT_EQ(out.progress.size(), 20000u);  // every row once, in order
    EXPECT_EQ(out.progress.front(), "1/20000");
    EXPECT_EQ(out.progress.back(), "20000/20000");
}

TEST_F(ImportTest, ReadWholeASheetCanNameAnotherMonthAndIsAskedAboutAgain) {
    auto entries = monthEntries(50, 2025, 4);
    // Row 2 is written again at the end with a date of May: read whole, the file is May's.
    const Outcome out = import(entries, [](std::string xml) {
        return xml.insert(xml.find("</sheetData>"),
                          "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>T1</t></is></c><c r=\"B2\" "
                          "t=\"inlineStr\"><is><t>01/05/2025</t></is></c></row>");
    });
    // Asked about April when row 2 first came, unless the whole sheet was read by then.
    ASSERT_FALSE(out.questions.empty());
    EXPECT_LE(out.questions.size(), 2u);
    EXPECT_EQ(out.questions.back(), "May 2025");
    EXPECT_EQ(out.result, "imported May 2025");
    EXPECT_EQ(out.rows, 50);
}

TEST_F(ImportTest, ACellTheReaderRefusesLateInTheSheetStoresNothing) {
    auto entries = monthEntries(20000, 2025, 4);
    const Outcome out = import(entries, [](std::string xml) {
        const std::string from = "<c r=\"E19990\"><v>";
        return xml.insert(xml.find(from) + from.size(), "x");
    });
    EXPECT_EQ(out.result, "The sheet 'Sheet1' of '" + file + "' holds in cell E19990 an unreadable number 'x20089'");
    EXPECT_EQ(out.rows, 0);
    EXPECT_EQ(out.progress, std::vector<std::string>());
}

// A row that cannot be stored, early in a long sheet: the rows before it are told with the
// number of the file's rows, once the sheet has been read to its end, as before.
TEST_F(ImportTest, ARowThatCannotBeStoredComesAfterTheProgressOfTheRowsBeforeIt) {
    auto entries = monthEntries(20000, 2025, 4);
    entries[59].date = RawCell("pending");
    const Outcome out = import(entries);
    EXPECT_EQ(out.result, "Data type mismatch: row 61 holds 'pending' in column B, which is not a date.");
    EXPECT_EQ(out.rows, 0);
    ASSERT_EQ(out.progress.size(), 59u);
    EXPECT_EQ(out.progress.back(), "59/20000");
}

// An import sets the bank rows' marks once, as their triggers would have row by row, and
// leaves the triggers in place, whether it stores its rows or fails; so does a deletion.
TEST_F(ImportTest, TheRowMarksFollowEveryImportAndDeletionAndTheTriggersStay) {
    store::Connection db;
    db.open(database);
    const auto marks = [&] {
        const store::ResultSet m = db.query("SELECT row_count, last_rowid, changes FROM row_marks WHERE report = ?",
                                            {std::string(store::tableName(store::Table::Finacle))});
        const store::ResultSet rows = db.query("SELECT COUNT(*), ifnull(MAX(rowid), 0) FROM veskfinacle");
        EXPECT_EQ(m.field(0, 0), rows.field(0, 0));
        EXPECT_EQ(m.field(0, 1), rows.field(0, 1));
        return m.field(0, 0).toText() + "/" + m.field(0, 2).toText();
    };
    const std::string start = marks();
    ASSERT_EQ(start, "0/0");
    ASSERT_EQ(import(monthEntries(300, 2025, 4)).result, "imported April 2025");
    EXPECT_EQ(marks(), "300/300");
    ASSERT_EQ(import(monthEntries(40, 2025, 5)).result, "imported May 2025");
    ASSERT_EQ(import(monthEntries(200, 2025, 4)).result, "imported April 2025");  // 300 out, 200 in
    EXPECT_EQ(marks(), "240/840");
    auto failing = monthEntries(100, 2025, 4);
    failing[59].date = RawCell("pending");
    EXPECT_NE(import(failing).result.find("not a date"), std::string::npos);
    EXPECT_EQ(marks(), "240/840");
    ASSERT_EQ(deleteMonth(db, ctr::bankReport(), {2025, 5}), 40);
    EXPECT_EQ(marks(), "200/880");
    // Rows another program writes are still counted by the triggers.
    db.execute("INSERT INTO veskfinacle (tran_id) VALUES ('X')");
    EXPECT_EQ(marks(), "201/881");
    db.execute("DELETE FROM veskfinacle WHERE tran_id = 'X'");
    EXPECT_EQ(marks(), "200/882");
}

// A program (args: the database, the workbook) that imports the month and, at row 12000, stops
// for the test to kill it.
VESK_CHILD_ROUTINE(importsUntilKilled) {
    store::Connection db;
    db.open(args.at(0));
    importMonth(
        db, ctr::bankReport(), args.at(1), [](const MonthImport&, const std::optional<DateTime>&) { return true; },
        [&](int row, int) {
            if (row != 12000) return;
            self.reached();
            self.awaitRelease();
        });
    return 1;
}

// The program killed halfway through storing the rows of a replacement: the file keeps the
// month it had, whole.
TEST_F(ImportTest, AnImportKilledHalfwayLeavesTheOldMonthWhole) {
    auto old = monthEntries(500, 2025, 4, true, "OLD");
    ASSERT_EQ(import(old).result, "imported April 2025");
    test::writeReport(file, test::bankShape(), monthEntries(20000, 2025, 4, true, "NEW"));
    test::ChildProcess child("importsUntilKilled", {database, file});
    ASSERT_TRUE(child.awaitReached());
    // Killed outright, the sheet's thread still running: nothing is closed or written after.
    child.kill();
    ASSERT_EQ(child.ending().how, platform::Ending::How::Killed);
    store::Connection db;
    db.open(database);
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM veskfinacle").toInt(), 500);
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM veskfinacle WHERE tran_id LIKE 'OLD%'").toInt(), 500);
}

TEST_F(ImportTest, NotConfirmedWhileTheSheetIsStillBeingReadStoresNothing) {
    const Outcome out = import(monthEntries(20000, 2025, 4), {}, false);
    EXPECT_EQ(out.result, "refused");
    EXPECT_EQ(out.questions.size(), 1u);
    EXPECT_EQ(out.rows, 0);
    EXPECT_EQ(out.progress, std::vector<std::string>());
}

}  // namespace
}  // namespace vesk::report
