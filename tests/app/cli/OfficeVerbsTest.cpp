#include <gtest/gtest.h>

#include "CliRunner.h"
#include "cli/VerbPrompter.h"
#include "office/OfficeWording.h"
#include "store/Schema.h"
#include "support/RawXlsx.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

using test::RawCell;

// An office master of the division office, a head office and a sub office under it.
std::string officeMaster(const test::TempDir& dir) {
    std::vector<std::vector<RawCell>> rows(1);
    for (const auto& c : store::tableColumns(store::Table::Master)) rows[0].emplace_back(c);
    rows.push_back({"1", "Hill Division", "PDN", "", "F1"});
    rows.push_back({"2", "O'Neil Road H.O", "HPO", "O'Neil Road H.O", "F2"});
    rows.push_back({"3", "Bay S.O", "SO", "O'Neil Road H.O", "F3"});
    const std::string path = dir.file("master.xlsx");
    test::writeRawXlsx(path, rows);
    return path;
}

// What a verb run with --yes shows of the messages: each answered Yes on the terminal.
std::string officeShown(const std::vector<Message>& messages) {
    std::istringstream in;
    std::ostringstream err;
    TerminalPrompter terminal(in, err, false, false);
    VerbPrompter verb(terminal, true);
    for (const Message& m : messages) verb.message(m);
    return err.str();
}

// The office verbs run the office form's flows: they ask its questions and say its notices,
// in its words, and print what it shows.
TEST(OfficeVerbs, TheOfficeMasterCycleFromTheCommandLine) {
    test::TempDir dir;
    const std::string master = officeMaster(dir);
    struct Step {
        std::vector<std::string> args;
        int status;
        std::string out;                 // empty: not checked
        std::vector<Message> said = {};  // empty: not checked
    };
    const std::string none = "\nconfigured office\t\n";
    const std::string both = "Hill Division\nO'Neil Road H.O\n\nconfigured office\t";
    const std::string counted = "3 office details updated successfully.\n", road = "o'neil road h.o";
    namespace w = office;
    const std::vector<Step> steps = {
        {{"offices"}, kExitOk, none},
        {{"import-master", master}, kExitFailed, ""},  // not confirmed without a terminal
        {{"import-master", master, "--yes"}, kExitOk, counted, {w::masterOverwriteQuestion(), w::masterImported()}},
        {{"offices"}, kExitOk, both + "Hill Division\n"},
        {{"set-office", " o'neil road h.o ", "--yes"}, kExitOk, "", {w::saveOfficeQuestion(road), w::officeSaved()}},
        {{"offices"}, kExitOk, both + "O'Neil Road H.O\n"},
        {{"set-office", "Nowhere", "--yes"},
         kExitFailed,
         "",
         {w::saveOfficeQuestion("Nowhere"), w::officeNotFound("Nowhere")}},
        {{"delete-offices", "--yes"}, kExitOk, "", {w::deleteAllQuestion(), w::allOfficesDeleted()}},
        {{"offices"}, kExitOk, none},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::PrintToString(s.args));
        const Outcome o = runCli(dir.file("t.db"), s.args);
        EXPECT_EQ(o.status, s.status) << o.err;
        if (!s.out.empty()) {
            EXPECT_EQ(o.out, s.out);
        }
        if (!s.said.empty()) {
            EXPECT_EQ(o.err, officeShown(s.said));
        }
    }
}

}  // namespace
}  // namespace vesk::cli
