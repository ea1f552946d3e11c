#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "backup/DailyBackups.h"
#include "cli/Cli.h"
#include "cli/TerminalPrompter.h"
#include "store/Connection.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    vesk::store::setBeforeWrite(vesk::backup::dailyBackupHook());
    vesk::cli::TerminalPrompter prompter(std::cin, std::cerr, isatty(STDIN_FILENO) != 0, isatty(STDERR_FILENO) != 0);
    if (const char* passphrase = std::getenv("VESK_ORV_PASSPHRASE"); passphrase && *passphrase)
        prompter.setEnvironmentPassphrase(vesk::Secret(std::string_view(passphrase)));
    vesk::cli::Context context{std::cin, std::cout, std::cerr, prompter, std::nullopt};
    return vesk::cli::run(args, context);
}
