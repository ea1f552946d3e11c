#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "cli/TerminalPrompter.h"

namespace vesk::cli {
namespace {

Message question(Answer defaultAnswer) {
    Message m;
    m.text = "The existing Office Master Data will be overwritten.\r\nAre You Sure?";
    m.title = "Confirm";
    m.icon = Icon::Question;
    m.buttons = Buttons::YesNo;
    m.defaultAnswer = defaultAnswer;
    return m;
}

TEST(TerminalPrompter, AnswersQuestionsFromTheTerminalOrNoWithoutOne) {
    struct Case {
        std::string name;
        bool interactive;
        std::string typed;
        Answer defaultAnswer;
        Answer expected;
        int prompts;  // how often "[y/N]" or "[Y/n]" was shown
    };
    const std::vector<Case> cases = {
        {"YES with blanks", true, "  YES \n", Answer::No, Answer::Yes, 1},
        {"enter takes the default Yes", true, "\n", Answer::Yes, Answer::Yes, 1},
        {"nonsense asks again", true, "maybe\nsure\ny\n", Answer::No, Answer::Yes, 3},
        {"end of input is No", true, "", Answer::Yes, Answer::No, 1},
        {"no terminal is No, input unread", false, "y\n", Answer::Yes, Answer::No, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream in(c.typed);
        std::ostringstream err;
        TerminalPrompter p(in, err, c.interactive, false);
        EXPECT_EQ(p.message(question(c.defaultAnswer)), c.expected);
        const std::string shown = err.str();
        EXPECT_EQ(
            shown.rfind("[Confirm] question: The existing Office Master Data will be overwritten.\nAre You Sure?\n", 0),
            0u)
            << shown;
        const std::string prompt = c.defaultAnswer == Answer::Yes ? "[Y/n] " : "[y/N] ";
        int prompts = 0;
        for (std::size_t at = 0; (at = shown.find(prompt, at)) != std::string::npos; ++at) ++prompts;
        EXPECT_EQ(prompts, c.prompts);
        if (!c.interactive) {
            EXPECT_EQ(in.tellg(), 0) << "read input without a terminal";
        }
    }
}

TEST(TerminalPrompter, MessagesShowTheirTitleOrTheDefaultAndNoFileDialogReads) {
    std::istringstream in("y\n");
    std::ostringstream err;
    TerminalPrompter p(in, err, true, false);
    Message m;
    m.text = "No data found in file.";
    m.icon = Icon::Exclamation;
    EXPECT_EQ(p.message(m), Answer::Ok);
    EXPECT_EQ(err.str(), "[VESK - ORV Comparison Tool] warning: No data found in file.\n");
    EXPECT_EQ(in.tellg(), 0) << "an OK box waits for nothing";
    // Nor is a typed path taken for a file dialog.
    EXPECT_EQ(p.openFile({"Select the ORV 2.0 Master Data File to Import", "Excel Files|*.xlsx", ""}), std::nullopt);
    EXPECT_EQ(in.tellg(), 0);
}

TEST(TerminalPrompter, ProgressRewritesOneLineOnlyOnATerminal) {
    std::istringstream in;
    std::ostringstream quiet;
    TerminalPrompter(in, quiet, false, false).progress("Importing Row 50 of 314...");
    EXPECT_EQ(quiet.str(), "");
    std::ostringstream err;
    TerminalPrompter p(in, err, false, true);
    p.progress("Importing Row 50 of 314...");
    p.progress("Importing Row 100 of 314...");
    Message done;
    done.text = "Data Imported Successfully!";
    done.title = "Success";
    done.icon = Icon::Information;
    p.message(done);
    p.progress("");  // nothing left to clear
    EXPECT_EQ(err.str(),
              "\rImporting Row 50 of 314...\x1b[K\rImporting Row 100 of 314...\x1b[K"
              "\r\x1b[K[Success] info: Data Imported Successfully!\n");
}

TEST(TerminalPassphrase, OneLineOfInputEachTimeAndNoneAtItsEnd) {
    struct Case {
        const char* name;
        std::string input;
        std::vector<std::optional<std::string>> read;
    };
    const Case cases[] = {
        {"two lines", "one secret\nanother\n", {"one secret", "another", std::nullopt}},
        {"carriage returns dropped", "with cr\r\n", {"with cr", std::nullopt}},
        {"the last line unended", "unended", {"unended", std::nullopt}},
        {"an empty line is an empty one", "\nnext\n", {"", "next"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream in(c.input);
        std::ostringstream err;
        TerminalPrompter prompter(in, err, false, false);
        for (const auto& expected : c.read) {
            const std::optional<Secret> got = prompter.passphrase({PassphraseRequest::Kind::New, "f.db", "New"});
            ASSERT_EQ(got.has_value(), expected.has_value());
            if (got) {
                EXPECT_EQ(std::string(got->data(), got->size()), *expected);
            }
        }
        // Off a terminal nothing is prompted: the lines are the script's.
        EXPECT_EQ(err.str(), "");
    }
}

}  // namespace
}  // namespace vesk::cli
