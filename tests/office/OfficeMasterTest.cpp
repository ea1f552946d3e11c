#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <new>
#include <string>

#include "history/HistoryScreen.h"
#include "history/HistoryWording.h"
#include "history/ImportHistory.h"
#include "office/OfficeScreen.h"
#include "store/Schema.h"
#include "support/RawXlsx.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace {

using vesk::Answer;
using vesk::Icon;
using vesk::history::Record;
using vesk::office::OfficeScreen;
using vesk::test::RawCell;

struct Office {
    std::string id, name, type, ho, facility;
};

std::vector<RawCell> defaultHeaders() {
    std::vector<RawCell> h;
    for (const auto& c : vesk::store::tableColumns(vesk::store::Table::Master)) h.emplace_back(c);
    return h;
}

const std::vector<Office> kOffices = {
    {"101", "Rampur H.O", "HPO", "Rampur H.O", "F101"},
    {"102", "St. Mary's Road S.O", "SO", "Rampur H.O", "F102"},
    {"103", "Division Office", " pdn ", "", "F103"},
    {"104", "D'Souza Nagar H.O", " hpo", "D'Souza Nagar H.O", "F104"},
    {"105", "Lakeview B.O", "BO", "D'Souza Nagar H.O", "F105"},
};

class OfficeMasterTest : public ::testing::Test {
  protected:
    std::string writeMaster(const std::vector<Office>& offices, std::vector<RawCell> headers = defaultHeaders()) {
        std::vector<std::vector<RawCell>> rows{std::move(headers)};
        for (const auto& o : offices) rows.push_back({o.id, o.name, o.type, o.ho, o.facility, "extra"});
        std::string path = dir.file("master" + std::to_string(++files) + ".xlsx");
        vesk::test::writeRawXlsx(path, rows);
        return path;
    }

    // A master of n offices of one type, one of them with an error value in ho_name if told.
    std::string numbered(int n, const char* type, int errorAt = 0) {
        std::vector<std::vector<RawCell>> rows{defaultHeaders()};
        for (int i = 1; i <= n; ++i) rows.push_back({std::to_string(1000 + i), "O" + std::to_string(i), type});
        if (errorAt) rows[std::size_t(errorAt)].push_back(RawCell::error("#N/A"));
        std::string path = dir.file("master" + std::to_string(++files) + ".xlsx");
        vesk::test::writeRawXlsx(path, rows);
        return path;
    }

    bool import(const std::string& path, Answer answer = Answer::Yes) {
        prompter.queueFile(path);
        prompter.queueAnswer(answer);
        return master.importMaster();
    }

    // The overwrite question of the last import, answered or not.
    std::string lastQuestion() const {
        for (auto m = prompter.messages().rbegin(); m != prompter.messages().rend(); ++m)
            if (m->buttons == vesk::Buttons::YesNo) return m->text;
        return "";
    }

    // The office form's history, each record as "action|name|rows", newest first.
    std::vector<std::string> lines() {
        std::vector<std::string> out;
        for (const Record& r : vesk::history::records(master.connection(), vesk::history::Form::Master))
            out.push_back(vesk::history::actionText(r.action) + "|" + vesk::history::nameText(r) + "|" +
                          std::to_string(r.rows));
        return out;
    }

    std::vector<std::string> column(const std::string& sql) {
        auto rs = master.connection().query(sql);
        std::vector<std::string> out;
        for (std::size_t i = 0; i < rs.rowCount(); ++i) out.push_back(rs.field(i, 0).toText());
        return out;
    }

    vesk::test::TempDir dir;
    int files = 0;
    vesk::test::ScriptedPrompter prompter;
    OfficeScreen master{dir.file("ZETTools.db"), prompter};
    vesk::DateTime now{2026, 12, 6, 10, 15, 42};  // moved on by hand
    void SetUp() override {
        master.setClock([this] { return now; });
    }
};

TEST_F(OfficeMasterTest, LoadingAnEmptyMasterSaysSoAndShowsNothing) {
    master.load();
    EXPECT_EQ(master.view().countText, "0 office details available.");
    EXPECT_FALSE(master.view().grid.has_value());
    EXPECT_TRUE(master.view().offices.empty());
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.lastMessage().text, "The Office Master Data is empty! Import data first.");
}

TEST_F(OfficeMasterTest, ImportStoresRowsAndMakesTheDivisionOfficeConfigured) {
    master.load();
    std::vector<Office> offices = kOffices;
    offices.insert(offices.begin() + 2, Office{"  ", "no id", "SO", "", ""});  // skipped: empty column A
    import(writeMaster(offices));
    EXPECT_EQ(prompter.lastMessage().text, "Office Master Imported Successfully");
    EXPECT_EQ(master.view().countText, "5 office details updated successfully.");
    // Head and division offices only, codes matched after trimming and upper-casing.
    EXPECT_EQ(master.view().offices, (std::vector<std::string>{"D'Souza Nagar H.O", "Division Office", "Rampur H.O"}));
    EXPECT_EQ(master.view().selected, 1);
    EXPECT_EQ(master.configuredOffice(), "Division Office");
    ASSERT_TRUE(master.view().grid.has_value());
    EXPECT_EQ(master.view().grid->rowCount(), 5u);
    EXPECT_EQ(master.view().grid->field(0, "office_name").toText(), "D'Souza Nagar H.O");
    EXPECT_EQ(column("SELECT office_type_code FROM mastertable WHERE office_id = '103'"),
              std::vector<std::string>{"pdn"});  // stored trimmed
    EXPECT_EQ(column("SELECT col_f FROM mastertable WHERE office_id = '102'"), std::vector<std::string>{"extra"});
}

TEST_F(OfficeMasterTest, KeyColumnsAreFoundByHeaderInAnyOrder) {
    auto headers = defaultHeaders();
    std::swap(headers[2], headers[4]);                 // qal_facility_id where the type code usually is
    headers[0] = RawCell(std::string(" OFFICE_ID "));  // other letter case and blanks
    std::vector<Office> swapped;
    for (const auto& o : kOffices) swapped.push_back({o.id, o.name, o.facility, o.ho, o.type});
    import(writeMaster(swapped, headers));

    EXPECT_EQ(column("SELECT qal_facility_id FROM mastertable WHERE office_name = 'Rampur H.O'"),
              std::vector<std::string>{"F101"});
    EXPECT_EQ(master.configuredOffice(), "Division Office");
}

TEST_F(OfficeMasterTest, RefusedFilesLeaveTheMasterAsItWas) {
    import(writeMaster(kOffices));
    const std::size_t before = prompter.messages().size();

    for (const char* b1 : {"Office_Name", ""}) {
        SCOPED_TRACE(b1);
        auto headers = defaultHeaders();
        headers[1] = RawCell(std::string(b1));
        prompter.queueFile(writeMaster({{"9", "X", "PDN", "", ""}}, headers));
        master.importMaster();
        EXPECT_EQ(prompter.lastMessage().text, "Invalid file selected. Cell B1 must contain 'office_name'.");
    }
    // B1 with blanks around it is accepted.
    auto padded = defaultHeaders();
    padded[1] = RawCell(std::string("  office_name "));
    prompter.queueFile(writeMaster({}, padded));
    prompter.queueAnswer(Answer::Yes);
    master.importMaster();
    EXPECT_EQ(prompter.lastMessage().text, "No data found in file.");

    prompter.queueFile(writeMaster({{"9", "X", "PDN", "", ""}}));
    prompter.queueAnswer(Answer::No);
    master.importMaster();
    EXPECT_EQ(prompter.lastMessage().text, "Operation Cancelled.");

    prompter.queueFile(std::nullopt);
    master.importMaster();
    EXPECT_EQ(prompter.lastMessage().text, "File not selected.");

    EXPECT_EQ(prompter.messages().size(), before + 2 + 2 + 2 + 1);
    EXPECT_EQ(column("SELECT COUNT(*) FROM mastertable"), std::vector<std::string>{"5"});
    EXPECT_EQ(master.configuredOffice(), "Division Office");
}

TEST_F(OfficeMasterTest, AFailureInTheMiddleKeepsTheEarlierMaster) {
    import(writeMaster(kOffices));
    import(numbered(250, "PDN", 180));  // ho_name of the 180th office
    EXPECT_EQ(prompter.lastMessage().icon, Icon::Critical);
    EXPECT_EQ(prompter.lastMessage().text.rfind("Error 1005: ", 0), 0u) << prompter.lastMessage().text;
    EXPECT_EQ(column("SELECT COUNT(*) FROM mastertable"), std::vector<std::string>{"5"});
    EXPECT_EQ(master.configuredOffice(), "Division Office");
    EXPECT_EQ(prompter.progressTexts(), std::vector<std::string>{"Importing Row 100 / 250"});
}

// Any exception inside a handler, not only the program's own error, ends as the handler's
// message with the earlier master kept.
TEST_F(OfficeMasterTest, ExceptionsOfAnyKindBecomeTheHandlersMessage) {
    struct Failing : vesk::test::ScriptedPrompter {
        std::function<void()> fail;
        void progress(const std::string&) override { fail(); }
    };
    struct Case {
        std::function<void()> fail;
        std::string message;
    };
    const Case cases[] = {{[] { throw std::bad_alloc(); }, "Error 7: Out of memory"},
                          {[] { (void)std::stoi("x"); }, "Error 51: stoi"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Failing p;
        p.fail = c.fail;
        OfficeScreen m(dir.file("db" + std::to_string(++files)), p);
        p.queueFile(numbered(150, "PDN"));
        p.queueAnswer(Answer::Yes);
        bool imported = true;
        EXPECT_NO_THROW(imported = m.importMaster());
        EXPECT_FALSE(imported);
        EXPECT_EQ(p.lastMessage().text, c.message);
        EXPECT_EQ(m.connection().scalar("SELECT COUNT(*) FROM mastertable").toInt(), 0);
    }
}

TEST_F(OfficeMasterTest, ProgressIsReportedEveryHundredRows) {
    struct Case {
        int rows;
        std::vector<std::string> expected;
    };
    const Case cases[] = {{99, {}}, {100, {"Importing Row 100 / 100"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        const std::size_t before = prompter.progressTexts().size();
        import(numbered(c.rows, "SO"));
        EXPECT_EQ(std::vector<std::string>(prompter.progressTexts().begin() + std::ptrdiff_t(before),
                                           prompter.progressTexts().end()),
                  c.expected);
        EXPECT_EQ(master.view().countText, std::to_string(c.rows) + " office details updated successfully.");
    }
}

TEST_F(OfficeMasterTest, AMasterWithoutHeadOrDivisionOfficesIsReported) {
    import(writeMaster({{ "1", "Only S.O", "SO", "", "" }}));
    const auto& said = prompter.messages();
    EXPECT_TRUE(std::any_of(said.begin(), said.end(), [](const vesk::Message& m) {
        return m.text == "Table has data, but the Query found 0 matches for HPO or PDN.";
    }));
    EXPECT_EQ(said.back().text, "Warning: No Division Office found in the imported data.");
}

TEST_F(OfficeMasterTest, SaveStoresTheChosenOfficeAndRefusesUnknownNames) {
    import(writeMaster(kOffices));

    prompter.queueAnswer(Answer::Yes);
    master.saveConfiguredOffice("D'Souza Nagar H.O");
    EXPECT_EQ(prompter.lastMessage().text, "Office updated successfully!");
    EXPECT_EQ(master.configuredOffice(), "D'Souza Nagar H.O");
    EXPECT_EQ(column("SELECT oqal_facility_id FROM Youroffice"), std::vector<std::string>{"F104"});

    prompter.queueAnswer(Answer::Yes);
    master.saveConfiguredOffice("Nowhere H.O");
    EXPECT_EQ(prompter.lastMessage().title, "Office Not Found");
    EXPECT_EQ(master.configuredOffice(), "D'Souza Nagar H.O");

    prompter.queueAnswer(Answer::No);
    master.saveConfiguredOffice("Rampur H.O");
    EXPECT_EQ(master.configuredOffice(), "D'Souza Nagar H.O");

    master.saveConfiguredOffice("   ");
    EXPECT_EQ(prompter.lastMessage().text, "Please select an office from the list first.");

    // A new load selects the stored office, whatever its letter case in the list.
    OfficeScreen again(master.connection().path(), prompter);
    again.load();
    ASSERT_GE(again.view().selected, 0);
    EXPECT_EQ(again.view().offices[std::size_t(again.view().selected)], "D'Souza Nagar H.O");
}

TEST_F(OfficeMasterTest, DeleteAllEmptiesBothTablesOnlyWhenConfirmed) {
    import(writeMaster(kOffices));
    prompter.queueAnswer(Answer::No);
    master.deleteAllOffices();
    EXPECT_EQ(column("SELECT COUNT(*) FROM mastertable"), std::vector<std::string>{"5"});

    prompter.queueAnswer(Answer::Yes);
    master.deleteAllOffices();
    EXPECT_EQ(prompter.messages()[prompter.messages().size() - 2].text,
              "Are you sure you want to DELETE ALL office records?\r\nThis action cannot be undone.");
    EXPECT_EQ(prompter.messages()[prompter.messages().size() - 2].defaultAnswer, Answer::No);
    EXPECT_EQ(prompter.lastMessage().text, "All office data has been deleted successfully.");
    EXPECT_EQ(column("SELECT COUNT(*) FROM mastertable"), std::vector<std::string>{"0"});
    EXPECT_EQ(column("SELECT COUNT(*) FROM Youroffice"), std::vector<std::string>{"0"});
    EXPECT_TRUE(master.view().offices.empty());  // the view shown anew
}

TEST_F(OfficeMasterTest, AnUnopenableDatabaseIsReportedByEveryHandler) {
    vesk::test::ScriptedPrompter p;
    OfficeScreen broken(dir.file("missing-folder/ZETTools.db"), p);
    broken.load();
    EXPECT_EQ(p.lastMessage().title, "Error");
    EXPECT_NE(p.lastMessage().text.find(" - "), std::string::npos);
    broken.importMaster();  // fails before the file dialog
    EXPECT_EQ(p.lastMessage().text.rfind("Error ", 0), 0u);
    EXPECT_EQ(p.lastMessage().icon, Icon::Critical);
    EXPECT_TRUE(p.fileRequests().empty());
}

TEST_F(OfficeMasterTest, EveryChangeOfTheOfficesIsRecordedInTheHistoryAndNothingElse) {
    const std::string file = writeMaster({{"101", "Rampur H.O", "HPO", "Rampur H.O", "F101"},
                                          {"", "skipped", "SO", "", ""},
                                          {"102", "Division Office", "PDN", "", "F102"},
                                          {"103", "Lake S.O", "SO", "Rampur H.O", "F103"}});
    master.load();
    prompter.queueAnswer(Answer::Yes);
    master.deleteAllOffices();  // nothing to delete: nothing recorded
    EXPECT_FALSE(import(file, Answer::No));
    EXPECT_EQ(lastQuestion(), "The existing Office Master Data will be overwritten.\r\nAre You Sure?");
    EXPECT_TRUE(lines().empty());

    ASSERT_TRUE(import(file));
    prompter.queueAnswer(Answer::Yes);
    EXPECT_FALSE(master.saveConfiguredOffice("Nowhere S.O"));  // no such office: nothing changed
    prompter.queueAnswer(Answer::Yes);
    EXPECT_TRUE(master.saveConfiguredOffice("Rampur H.O"));
    prompter.queueAnswer(Answer::Yes);
    EXPECT_TRUE(master.deleteAllOffices());
    EXPECT_EQ(lines(), (std::vector<std::string>{"All offices deleted||3", "Configured office change|Rampur H.O|1",
                                                 "Configured office change|Division Office|1",
                                                 "Office master import|master1.xlsx|3"}));
    const Record imported = vesk::history::records(master.connection()).back();
    EXPECT_EQ(imported.file->sha256, vesk::history::digestFile(file).sha256);
    EXPECT_FALSE(imported.deposits.has_value());
    EXPECT_EQ(vesk::history::periodText(imported), "");

    // The same file again: the question says so.
    now.hour = 12;
    EXPECT_FALSE(import(file, Answer::No));
    EXPECT_EQ(lastQuestion(),
              "The existing Office Master Data will be overwritten.\r\nThis file was already imported on 06/12/2026 "
              "10:15.\r\nAre You Sure?");
}

TEST_F(OfficeMasterTest, TheHistoryWindowListsTheFormsRecordsNewestFirst) {
    ASSERT_TRUE(import(writeMaster({{"102", "Division Office", "PDN", "", "F102"}})));
    now.minute = 30;
    prompter.queueAnswer(Answer::Yes);
    ASSERT_TRUE(master.saveConfiguredOffice("Division Office"));
    {
        // A month of the bank's report is not the office form's history.
        vesk::history::Change other;
        other.action = vesk::history::Action::CtrMonthDeletion;
        other.rows = 9;
        vesk::history::recordChange(master.connection(), other, now);
    }

    ASSERT_TRUE(master.readHistory());
    const vesk::store::ResultSet grid = master.history().grid(false);
    // The office form's records only, newest first: its lines are the domain's test.
    ASSERT_EQ(grid.rowCount(), 3u);
    EXPECT_EQ(grid.field(0, 0).toText(), "06/12/2026 10:30:42");
    const vesk::history::FileDigest file = vesk::history::digestFile(dir.file("master1.xlsx"));
    EXPECT_EQ(grid.field(2, 5).toText(),
              "master1.xlsx, " + std::to_string(file.size) + " bytes, SHA-256 " + file.sha256);
    EXPECT_EQ(master.history().grid(true).rowCount(), 4u);
}

TEST_F(OfficeMasterTest, AnUnreadableHistoryIsShownAndKeepsItsWindowShut) {
    master.load();
    master.connection().execute(
        "INSERT INTO import_history (recorded_at, form, action, row_count) VALUES ('yesterday', 'master', "
        "'office-change', 1)");
    EXPECT_FALSE(master.readHistory());
    EXPECT_EQ(prompter.lastMessage().text.rfind("History Error: ", 0), 0u) << prompter.lastMessage().text;
    EXPECT_EQ(prompter.lastMessage().icon, vesk::Icon::Critical);
}

}  // namespace
