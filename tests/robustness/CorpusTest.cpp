// Every file of the damaged-workbook corpus (scripts/make-damaged-corpus.py) through the
// workbook readers and the three imports. The files run in a child process, so that a
// crash or a hang shows as a failure naming the file, and the peak memory is measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "core/Error.h"
#include "core/Platform.h"
#include "ctr/BankWording.h"
#include "office/OfficeScreen.h"
#include "orv/OrvWording.h"
#include "report/ReportScreen.h"
#include "sheet/Workbook.h"
#include "store/Connection.h"
#include "support/ChildProcess.h"
#include "support/MonthDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

// A sanitizer reserves vast address space and memory of its own: no cap, and no peak to check.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VESK_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VESK_UNDER_SANITIZER 1
#endif
#endif

namespace vesk {
namespace {

namespace fs = std::filesystem;

// The most reading the corpus may add to a child's peak (resident set, working set). The
// far-cell files took gigabytes when sheets were stored by their extent.
constexpr long kPeakLimitMb = 64;
constexpr unsigned kSecondsForAll = 120;
constexpr std::size_t kLongestMessage = 400;

std::string readBytes(const std::string& path) {
    std::ifstream in(platform::fsPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> corpus() {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(platform::fsPath(test::fixture("damaged")))) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

bool startsWith(const std::string& s, const char* head) { return s.rfind(head, 0) == 0; }

// Reads every sheet of the file as an import would; "" when it reads, else the error's text.
// Anything thrown that is not the program's error is a fault and escapes.
std::string readWorkbook(const std::string& path) {
    try {
        auto book = sheet::Workbook::open(path);
        for (int i = 0; i < book->sheetCount(); ++i) {
            auto s = book->sheet(i);
            const int rows = std::min(s->usedRows(), 50), columns = std::min(s->usedColumns(), 50);
            if (rows > 0 && columns > 0) {
                const sheet::Block b = s->block(1, 1, rows, columns);
                for (int r = 0; r < rows; ++r)
                    for (int c = 0; c < columns; ++c) (void)b.at(r, c);
            }
            s->lastRow(1);
        }
        return {};
    } catch (const Error& e) {
        if (e.number() != errc::kWorkbook && e.number() != errc::kFileNotFound)
            return "refused with error number " + std::to_string(e.number()) + ": " + e.description();
        return e.description().empty() ? "an empty error" : e.description();
    }
}

// One import form on its own database, kept open across the files as the program keeps it.
struct ImportForm {
    const char* name;
    std::string databasePath;
    test::ScriptedPrompter& person;
    std::function<bool()> run;  // the form's import button, once the file is queued
};

// What one file must do; "" when it did.
std::string check(const fs::path& file, std::vector<ImportForm>& forms) {
    const std::string name = platform::utf8(file.filename());
    const std::string read = readWorkbook(platform::utf8(file));
    if (startsWith(name, "ok-") && !read.empty()) return "the reader refused a good file: " + read;
    if (startsWith(name, "bad-") && read.empty()) return "the reader took a damaged file";
    if (read.size() > kLongestMessage) return "the reader's message is " + std::to_string(read.size()) + " bytes long";
    // Refusals say why in the reader's own words.
    static const std::pair<const char*, const char*> kSays[] = {
        {"bad-labelsst-zero-length.xls", "is damaged"},
        {"bad-sst-index.xls", "refers to shared string 1000 of 16"},
        {"bad-mulrk-length.xls", "is damaged"},
        {"bad-huge-cell.xlsx", "in cell H2 more than 32,767 characters"},
        {"bad-huge-shared-string.xlsx", "more than 32,767 characters"},
        {"bad-entity-expansion.xlsx", "document type declaration"},
        {"bad-row-past-end.xlsx", "outside the sheet"},
        {"bad-huge-attribute.xlsx", "longer than 1 MB"},
        // Left by the worksheet scanner to the general parser, in whose words they are refused.
        {"bad-mismatched-tag.xlsx", "is not well-formed XML (mismatched tag at line 2)"},
        {"bad-duplicate-attribute.xlsx", "is not well-formed XML (duplicate attribute at line 2)"},
        {"bad-attributes-run-together.xlsx", "is not well-formed XML (not well-formed (invalid token)"},
        {"bad-undefined-entity.xlsx", "is not well-formed XML (undefined entity at line 2)"},
        {"bad-invalid-utf8.xlsx", "is not well-formed XML (not well-formed (invalid token)"},
        {"bad-control-character.xlsx", "is not well-formed XML (not well-formed (invalid token)"},
        {"bad-surrogate-reference.xlsx", "is not well-formed XML (reference to invalid character number"},
        {"bad-cdata-end-in-text.xlsx", "is not well-formed XML (not well-formed (invalid token)"},
        {"bad-junk-after-root.xlsx", "is not well-formed XML (junk after document element"},
        {"bad-tag-cut-at-end.xlsx", "is not well-formed XML (unclosed token"},
        {"bad-long-end-tag.xlsx", "longer than 1 MB"},
        {"bad-long-prolog.xlsx", "longer than 1 MB"},
        {"bad-sst-string-cut.xls", "its shared string table is cut short"},
        {"bad-number-nan.xls", "cell E2 holds a number that is not finite"},
        {"bad-rk-infinite.xls", "cell C2 holds a number that is not finite"},
        {"bad-iso-time.xlsx", "in cell I2 an unreadable date '24:10:10'"},
        {"bad-part-twice.xlsx", "holds the part xl/worksheets/sheet1.xml twice"},
        {"bad-shared-strings-missing.xlsx", "in cell H2 a shared string index '0' that does not exist"},
    };
    for (const auto& [corpusFile, says] : kSays)
        if (name == corpusFile && read.find(says) == std::string::npos) return "the reader said: " + read;
    if (startsWith(name, "bad-") && file.extension() == ".xls" && read.find("is damaged") == std::string::npos)
        return "the reader said: " + read;

    for (auto& form : forms) {
        const std::string before = readBytes(form.databasePath);
        const std::size_t shown = form.person.messages().size();
        bool stored = false;
        form.person.answerEveryQuestion(Answer::Yes);
        form.person.queueFile(platform::utf8(file));
        try {
            stored = form.run();
        } catch (const std::exception& e) {
            return std::string(form.name) + " import let an exception out: " + e.what();
        }
        const auto& messages = form.person.messages();
        if (messages.size() == shown) return std::string(form.name) + " import showed no message";
        for (std::size_t i = shown; i < messages.size(); ++i)
            if (messages[i].text.size() > kLongestMessage)
                return std::string(form.name) + " import showed a message of " +
                       std::to_string(messages[i].text.size()) + " bytes";
        if (stored && !read.empty()) return std::string(form.name) + " import stored a file the reader refuses";
        if (!stored && readBytes(form.databasePath) != before)
            return std::string(form.name) + " import changed the database although it stored nothing (" +
                   messages.back().text + ")";
    }
    return {};
}

// Reads every file (args: the folder of the forms' databases, the file it writes to, the
// files), in a process of its own so that a crash or a hang names its file: it writes
// "> name" before each file and "! reason" after one that failed, each line on the disk at
// once; "- bytes" before the first file and "= bytes" after the last, the most memory it had
// held by then.
VESK_CHILD_ROUTINE(readsTheCorpus) {
#ifndef VESK_UNDER_SANITIZER
    // A reader that sizes memory by the sheet's extent fails here instead of exhausting the machine.
    platform::limitMemory(std::uint64_t(2) << 30);
#endif
    std::ofstream said(platform::fsPath(args.at(1)), std::ios::binary);
    const auto say = [&](const std::string& line) { said << line << '\n' << std::flush; };
    const auto database = [&](const char* name) { return platform::joinPath(args.at(0), name); };
    test::ScriptedPrompter masterPerson, bankPerson, orvPerson;
    office::OfficeScreen master(database("master.db"), masterPerson);
    report::ReportScreen bank(ctr::bankCtr(), database("ctr.db"), bankPerson);
    report::ReportScreen orvForm(orv::orvReports(), database("orv.db"), orvPerson);
    bank.load();
    orvForm.load();
    std::vector<ImportForm> forms = {
        {"office master", database("master.db"), masterPerson, [&] { return master.importMaster(); }},
        {"bank CTR", database("ctr.db"), bankPerson, [&] { return bank.importWorkbook(); }},
        {"ORV", database("orv.db"), orvPerson, [&] { return orvForm.importWorkbook(); }},
    };
    say("- " + std::to_string(platform::peakMemory()));
    for (std::size_t i = 2; i < args.size(); ++i) {
        const fs::path file = platform::fsPath(args[i]);
        say("> " + platform::utf8(file.filename()));
        std::string failure;
        try {
            failure = check(file, forms);
        } catch (const std::exception& e) {
            failure = std::string("an exception escaped: ") + e.what();
        }
        if (!failure.empty()) say("! " + failure);
    }
    say("= " + std::to_string(platform::peakMemory()));
    return 0;
}

struct CorpusRun {
    std::vector<std::string> failures;
    /// What reading the files added to the most memory the process held: the program's own
    /// start (under wine, the emulator's too) is no reader's doing.
    long peakMb = 0;
};

CorpusRun runCorpus(const std::vector<fs::path>& files, const test::TempDir& dir) {
    const std::string said = dir.file("said.txt");
    std::vector<std::string> args = {dir.folder(), said};
    for (const fs::path& file : files) args.push_back(platform::utf8(file));
    test::ChildProcess child("readsTheCorpus", args);
    std::optional<platform::Ending> ending = child.waitFor(std::chrono::seconds(kSecondsForAll));
    const bool hung = !ending;
    if (hung) {
        child.kill();
        ending = child.ending();
    }

    CorpusRun run;
    std::uint64_t before = 0;
    const std::string output = readBytes(said);
    std::string current;
    for (std::size_t at = 0; at < output.size();) {
        const std::size_t end = output.find('\n', at);
        const std::string line = output.substr(at, end - at);
        at = end == std::string::npos ? output.size() : end + 1;
        if (line.rfind("> ", 0) == 0) current = line.substr(2);
        if (line.rfind("! ", 0) == 0) run.failures.push_back(current + ": " + line.substr(2));
        if (line.rfind("- ", 0) == 0) before = std::stoull(line.substr(2));
        if (line.rfind("= ", 0) == 0) run.peakMb = long((std::stoull(line.substr(2)) - before) / (1024 * 1024));
    }
    if (hung)
        run.failures.push_back(current + ": hung");
    else if (ending->how != platform::Ending::How::Exited)
        run.failures.push_back(current + ": crashed with code " + std::to_string(ending->code));
    else if (ending->code != 0)
        run.failures.push_back(current + ": the child ended with status " + std::to_string(ending->code));
    return run;
}

TEST(DamagedCorpus, EveryFileIsReadOrRefusedCleanlyWithBoundedMemory) {
    test::TempDir dir;
    for (const char* db : {"master.db", "ctr.db", "orv.db"})
        test::MonthDatabase(dir.file(db)).office("101", "Hill", "PDN");
    const auto files = corpus();
    ASSERT_GE(files.size(), 40u);
    const CorpusRun run = runCorpus(files, dir);
    RecordProperty("peak_MB", int(run.peakMb));
    EXPECT_EQ(run.failures, std::vector<std::string>());
#ifndef VESK_UNDER_SANITIZER
    EXPECT_LT(run.peakMb, kPeakLimitMb) << "peak resident memory in MB the whole corpus added";
#endif
}

// The good files of the corpus store exactly what they hold.
TEST(DamagedCorpus, GoodFilesStoreTheirCells) {
    struct Case {
        const char* file;
        std::vector<std::pair<const char*, const char*>> stored;  // column, value of the row T1
    };
    const Case cases[] = {
        {"ok-ctr.xls",
         {{"value_date", "2025-04-10"},
          {"tran_amt", "1250.5"},
          {"account_no", "1234567890"},
          {"account_name", "Hill Road"},
          {"remarks", "True"}}},
        // The unique-string count of the table is wrong: too high, too low, zero.
        {"ok-sst-count-high.xls", {{"tran_date", "2025-04-10"}, {"account_name", "Hill Road"}}},
        {"ok-sst-count-low.xls", {{"cash_tran_type", "DEPOSIT"}, {"facility_id", "F1"}}},
        {"ok-sst-count-zero.xls", {{"tran_id", "T1"}, {"account_name", "Hill Road"}}},
        {"ok-ctr.xlsx", {{"value_date", "2025-04-10"}, {"tran_amt", "100"}, {"remarks", "-"}}},
        {"ok-backslash-names.xlsx", {{"value_date", "2025-04-10"}, {"account_name", "Hill Road"}}},
        {"ok-shared-strings-missing.xlsx", {{"tran_id", "T1"}, {"account_name", "Hill Road"}}},
        {"ok-iso-dates.xlsx",
         {{"value_date", "2025-04-10"},
          {"tran_date", "2025-04-10 10:10:10"},
          {"tran_particulars", "1899-12-30 10:10:10"}}},
        // The escape of a zero character is dropped; other control characters stay as written.
        {"ok-control-characters.xlsx", {{"account_name", "Hill Road\x07"}}},
        {"ok-rewritten-cell.xlsx", {{"remarks", "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"}}},
        // Shapes the worksheet scanner leaves to the general parser, or reads itself.
        {"ok-comment-in-sheet.xlsx", {{"account_name", "Hill Road"}, {"tran_amt", "100"}}},
        {"ok-processing-instruction.xlsx", {{"account_name", "Hill Road"}}},
        {"ok-cdata-value.xlsx", {{"account_name", "Hill Road"}}},
        {"ok-line-ends-and-references.xlsx", {{"account_name", "Hill\nRoad&Co"}}},
        {"ok-rows-out-of-order.xlsx", {{"value_date", "2025-04-10"}, {"tran_amt", "100"}}},
        {"ok-prefixed-sheet.xlsx", {{"account_name", "Hill Road"}, {"remarks", "-"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        test::TempDir dir;
        const std::string db = dir.file("ZETTools.db");
        test::MonthDatabase(db).office("1", "H", "PDN");
        test::ScriptedPrompter person;
        person.queueAnswer(Answer::Yes);
        person.queueFile(test::fixture(std::string("damaged/") + c.file));
        report::ReportScreen form(ctr::bankCtr(), db, person);
        form.load();
        ASSERT_TRUE(form.importWorkbook()) << person.lastMessage().text;
        for (const auto& [column, value] : c.stored) {
            SCOPED_TRACE(column);
            const std::string sql = std::string("SELECT ") + column + " FROM veskfinacle WHERE tran_id = 'T1'";
            EXPECT_EQ(form.connection().scalar(sql).toText(), value);
        }
        EXPECT_EQ(form.connection().scalar("SELECT COUNT(*) FROM veskfinacle").toInt(), 3);
    }
}

}  // namespace
}  // namespace vesk
