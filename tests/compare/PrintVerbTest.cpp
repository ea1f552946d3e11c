#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "app/cli/CliRunner.h"
#include "core/Platform.h"
#include "support/MonthDatabase.h"
#include "support/TempDir.h"

namespace vesk::cli {
namespace {

// The PDF's text as a reader of it gets it; none where the build found no reader.
std::optional<std::string> pdfText(const std::string& pdf) {
    const std::string reader = VESK_PDF_READER;
    if (reader.empty()) return std::nullopt;
    platform::SpawnOptions options;
    options.arguments = {reader, "-q", pdf, "-"};
    options.output = platform::Redirect::pipe();
    platform::Process child(options);
    std::string text;
    char buffer[4096];
    while (const std::size_t got = child.read(buffer, sizeof buffer)) text.append(buffer, got);
    child.wait();
    // Printed amounts carry thousands separators, the listings none; the font joins "ffi".
    std::erase(text, ',');
    for (const auto& [joined, letters] :
         {std::pair<std::string, std::string>{"\uFB03", "ffi"}, {"\uFB00", "ff"}, {"\uFB01", "fi"}, {"\uFB02", "fl"}})
        for (std::size_t at; (at = text.find(joined)) != std::string::npos;) text.replace(at, joined.size(), letters);
    return text;
}

// Each listing's rows reach its printed pages: the pages are written by the windowed program,
// started unseen for the command line, and read back as text.
TEST(PrintVerb, WritesEveryRowOfTheListingToThePdf) {
    test::TempDir dir;
    const std::string path = dir.file("t.db");
    {
        test::MonthDatabase db(path);
        db.configure("Hill HO");
        db.office("1", "Hill HO", "HPO", "Hill HO", "F1");
        // Enough offices and rows to run over several pages.
        for (int o = 2; o < 60; ++o) {
            const std::string id = std::to_string(o);
            db.office(id, "Office " + id + " S.O", "SO", "Hill HO", "F" + id);
            db.deposit("F" + id, "03/04/2025", 1000 + o);
            db.orv(id, "04/04/2025", "Receipt", 2000 + o);
        }
    }
    const auto listing = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--db", path});
        const Outcome o = runCli(args);
        EXPECT_EQ(o.status, kExitOk) << o.err;
        return textParts(o.out);
    };
    struct PrintCase {
        std::vector<std::string> print;
        std::vector<std::string> listing;
        std::size_t column;  // a cell of each listed row that its printed row shows
    };
    const std::vector<PrintCase> cases = {
        {{"consolidated", "2025", "4"}, {"compare", "2025", "4"}, 2},
        {{"explained", "2025", "4", "All"}, {"explain", "2025", "4", "All"}, 4},
    };
    for (const PrintCase& c : cases) {
        SCOPED_TRACE(c.print[0]);
        const std::string pdf = dir.file(c.print[0] + ".pdf");
        std::vector<std::string> args{"--db", path, "print"};
        args.insert(args.end(), c.print.begin(), c.print.end());
        args.insert(args.end(), {"--pdf", pdf});
        const Outcome printed = runCli(args);
        ASSERT_EQ(printed.status, kExitOk) << printed.err;
        EXPECT_EQ(printed.out, pdf + "\n");
        EXPECT_EQ(test::fileBytes(pdf).substr(0, 5), "%PDF-");
        const std::optional<std::string> text = pdfText(pdf);
        if (!text) continue;
        std::vector<std::string> rows = listing(c.listing);
        ASSERT_GT(rows.size(), 50u);
        rows.erase(rows.begin());  // the header
        for (const std::string& row : rows) {
            const std::vector<std::string> cells = textParts(row, '\t');
            if (cells.size() <= c.column || cells[c.column].empty()) continue;
            EXPECT_NE(text->find(cells[c.column]), std::string::npos) << row;
        }
        EXPECT_NE(text->find("Page 2 of"), std::string::npos);
    }

    // The statement prints every figure in full, and closes with the names the file keeps.
    ASSERT_EQ(
        runCli({"--db", path, "sign-off", "--prepared", "Ravi Kumar", "--prepared-as", "Postal Assistant"}).status,
        kExitOk);
    const std::string statement = dir.file("statement.pdf");
    const Outcome printed = runCli({"--db", path, "print", "statement", "2025", "4", "--pdf", statement});
    ASSERT_EQ(printed.status, kExitOk) << printed.err;
    if (const std::optional<std::string> text = pdfText(statement)) {
        for (const std::string& row : listing({"statement", "2025", "4"}))
            for (const std::string& cell : textParts(row, '\t'))
                if (!cell.empty() && std::isdigit(static_cast<unsigned char>(cell.back()))) {
                    EXPECT_NE(text->find(cell), std::string::npos) << row;
                }
        const std::size_t lastPage = text->rfind('\f', text->size() - 2);
        for (const char* signature : {"Prepared by", "Ravi Kumar", "Postal Assistant", "Approved by"})
            EXPECT_NE(text->find(signature, lastPage == std::string::npos ? 0 : lastPage), std::string::npos)
                << signature;
    }

    // A taken name is kept unless --yes replaces it; without --pdf nothing is printed.
    const std::string taken = dir.file("taken.pdf");
    test::writeBytes(taken, "the clerk's copy");
    const std::vector<std::string> again{"--db", path, "print", "unmatched", "2025", "4", "--pdf", taken};
    EXPECT_EQ(runCli(again).status, kExitFailed);
    EXPECT_EQ(test::fileBytes(taken), "the clerk's copy");
    EXPECT_EQ(runCli({"--db", path, "print", "unmatched", "2025", "4"}).status, kExitUsage);
}

}  // namespace
}  // namespace vesk::cli
