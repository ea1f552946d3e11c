#include <charconv>
#include <filesystem>

#include "cli/Verbs.h"
#include "compare/CompareWording.h"
#include "core/Error.h"
#include "core/Platform.h"

namespace vesk::cli {

namespace {

constexpr const char* kWindowedProgram = "vesk-orv";

// The child's answer: "0", or the error's number and description on two lines.
void takeAnswer(const std::string& answer, const platform::Ending& ending) {
    // Once the child has said the file is written, it is: how it ends after that is its own affair.
    if (answer == "0\n") return;
    const std::size_t newline = answer.find('\n');
    long number = 0;
    if (newline != std::string::npos && newline > 0) {
        const auto [end, error] = std::from_chars(answer.data(), answer.data() + newline, number);
        if (error == std::errc() && end == answer.data() + newline && number != 0)
            throw Error(number, answer.substr(newline + 1));
    }
    const std::string how = ending.how == platform::Ending::How::Exited
                                ? "ended with status " + std::to_string(ending.code)
                                : "crashed (" + std::to_string(ending.code) + ")";
    throw Error(errc::kInternal, compare::printerEnded(how));
}

}  // namespace

void printToPdf(const compare::Printout& printout, const std::string& path) {
    const std::string program = platform::programBeside(kWindowedProgram);
    std::error_code ec;
    if (!std::filesystem::exists(platform::fsPath(program), ec))
        throw Error(errc::kFileNotFound, compare::printerMissing(program));
    platform::SpawnOptions options;
    options.arguments = {program, "--print-pdf", path};
    options.input = platform::Redirect::pipe();
    options.output = platform::Redirect::pipe();
    // Qt's own warnings are no part of the command's output; a failure comes back as the answer.
    options.error = platform::Redirect::nowhere();
    // No window, no display needed: pages are painted off screen.
    options.environment = {{"QT_QPA_PLATFORM", "offscreen"}};
    platform::Process child(options);
    const std::string bytes = compare::encodePrintout(printout);
    child.write(bytes.data(), bytes.size());
    child.closeInput();
    std::string answer;
    char buffer[4096];
    while (const std::size_t got = child.read(buffer, sizeof buffer)) answer.append(buffer, got);
    takeAnswer(answer, child.wait());
}

}  // namespace vesk::cli
