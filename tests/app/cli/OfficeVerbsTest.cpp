#include <gtest/gtest.h>

#include "CliRunner.h"
#include "cli/VerbPrompter.h"
#include "office/OfficeWording.h"
#include "store/Connection.h"
#include "store/Schema.h"
#include "support/RawXlsx.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

using test::RawCell;

TEST(OfficeVerbs, TheOfficeMasterCycleFromTheCommandLine) {
    test::TempDir dir;
    const std::string master = dir.file("master.xlsx");
    std::vector<std::vector<RawCell>> rows(1);
    for (const auto& c : store::tableColumns(store::Table::Master)) rows[0].emplace_back(c);
    rows.push_back({"1", "Hill Division", "PDN", "", "F1"});
    rows.push_back({"2", "O'Neil Road H.O", "HPO", "O'Neil Road H.O", "F2"});
    rows.push_back({"3", "Bay S.O", "SO", "O'Neil Road H.O", "F3"});
    test::writeRawXlsx(master, rows);
    const std::string db = dir.file("t.db");

    struct Step {
        std::vector<std::string> args;
        int status;
        std::string out;  // empty: not checked
    };
    const std::vector<Step> steps = {
        {{"offices"}, kExitOk, "\nconfigured office\t\n"},
        {{"import-master", master}, kExitFailed, ""},  // not confirmed without a terminal
        {{"offices"}, kExitOk, "\nconfigured office\t\n"},
        {{"import-master", master, "--yes"}, kExitOk, "3 office details updated successfully.\n"},
        {{"offices"}, kExitOk, "Hill Division\nO'Neil Road H.O\n\nconfigured office\tHill Division\n"},
        {{"set-office", "o'neil road h.o", "--yes"}, kExitOk, ""},
        {{"offices"}, kExitOk, "Hill Division\nO'Neil Road H.O\n\nconfigured office\tO'Neil Road H.O\n"},
        {{"set-office", "Nowhere", "--yes"}, kExitFailed, ""},
        {{"delete-offices"}, kExitFailed, ""},
        {{"offices"}, kExitOk, "Hill Division\nO'Neil Road H.O\n\nconfigured office\tO'Neil Road H.O\n"},
        {{"delete-offices", "--yes"}, kExitOk, ""},
        {{"offices"}, kExitOk, "\nconfigured office\t\n"},
        {{"import-master", dir.file("missing.xlsx"), "--yes"}, kExitFailed, ""},
        {{"set-office", "a", "b"}, kExitUsage, ""},
        {{"delete-offices", "--yes=1"}, kExitUsage, ""},
    };
    for (const Step& s : steps) {
        std::vector<std::string> args{"--db", db};
        args.insert(args.end(), s.args.begin(), s.args.end());
        SCOPED_TRACE(testing::PrintToString(s.args));
        Outcome o = runCli(args);
        EXPECT_EQ(o.status, s.status) << o.err;
        if (!s.out.empty()) {
            EXPECT_EQ(o.out, s.out);
        }
    }
}

// What a verb run with --yes shows of the messages: each answered Yes on the terminal.
std::string shown(const std::vector<Message>& messages) {
    std::istringstream in;
    std::ostringstream err;
    TerminalPrompter terminal(in, err, false, false);
    VerbPrompter verb(terminal, true);
    for (const Message& m : messages) verb.message(m);
    return err.str();
}

// The office verbs run the office form's flows: they ask its questions and say its notices,
// in its words.
TEST(OfficeVerbs, SayWhatTheOfficeFormSays) {
    test::TempDir dir;
    const std::string master = dir.file("master.xlsx");
    std::vector<std::vector<RawCell>> rows(1);
    for (const auto& c : store::tableColumns(store::Table::Master)) rows[0].emplace_back(c);
    rows.push_back({"1", "Hill Division", "PDN", "", "F1"});
    rows.push_back({"2", "Lake H.O", "HPO", "Lake H.O", "F2"});
    test::writeRawXlsx(master, rows);
    const std::string db = dir.file("t.db");

    struct Step {
        std::vector<std::string> args;
        std::vector<Message> said;
    };
    const std::vector<Step> steps = {
        {{"import-master", master, "--yes"}, {office::masterOverwriteQuestion(), office::masterImported()}},
        {{"set-office", " Lake H.O ", "--yes"}, {office::saveOfficeQuestion("Lake H.O"), office::officeSaved()}},
        {{"set-office", "Nowhere", "--yes"},
         {office::saveOfficeQuestion("Nowhere"), office::officeNotFound("Nowhere")}},
        {{"delete-offices", "--yes"}, {office::deleteAllQuestion(), office::allOfficesDeleted()}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::PrintToString(s.args));
        std::vector<std::string> args{"--db", db};
        args.insert(args.end(), s.args.begin(), s.args.end());
        EXPECT_EQ(runCli(args).err, shown(s.said));
    }
}

// A verb that shows an error exits 1, whichever statement failed.
TEST(OfficeVerbs, FailuresExitOne) {
    test::TempDir dir;
    const std::string master = dir.file("master.xlsx");
    std::vector<std::vector<RawCell>> rows(1);
    for (const auto& c : store::tableColumns(store::Table::Master)) rows[0].emplace_back(c);
    rows.push_back({"1", "Hill Division", "PDN", "", "F1"});
    test::writeRawXlsx(master, rows);

    struct Case {
        const char* name;
        std::string damage;  // replaces a table by one without the columns the verb reads
        std::vector<std::string> args;
    };
    const std::vector<Case> cases = {
        {"summary", "DROP TABLE veskfinacle; CREATE TABLE veskfinacle (tran_id TEXT)", {"summary", "ctr"}},
        {"offices", "DROP TABLE mastertable; CREATE TABLE mastertable (office_name TEXT)", {"offices"}},
        {"configured office",
         "DROP TABLE Youroffice; CREATE TABLE Youroffice (ooffice_name TEXT)",
         {"import-master", master, "--yes"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string db = dir.file(std::string(c.name) + ".db");
        ASSERT_EQ(runCli({"--db", db, "import-master", master, "--yes"}).status, kExitOk);
        {
            store::Connection connection;
            connection.open(db);
            connection.execute(c.damage);
        }
        std::vector<std::string> args{"--db", db};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome o = runCli(args);
        EXPECT_EQ(o.status, kExitFailed) << o.out << o.err;
    }
}

}  // namespace
}  // namespace vesk::cli
