#include <iostream>

#include "backup/DailyBackups.h"
#include "cli/Cli.h"
#include "cli/TerminalPrompter.h"
#include "core/Platform.h"
#include "store/Connection.h"

int main(int argc, char** argv) {
    namespace platform = vesk::platform;
    const platform::StandardStreams streams;
    std::vector<std::string> args = platform::arguments(argc, argv);
    if (!args.empty()) args.erase(args.begin());
    vesk::store::setBeforeWrite(vesk::backup::dailyBackupHook());
    vesk::cli::TerminalPrompter prompter(std::cin, std::cerr, platform::isTerminal(platform::Stream::Input),
                                         platform::isTerminal(platform::Stream::Error));
    if (const auto passphrase = platform::environment("VESK_ORV_PASSPHRASE"); passphrase && !passphrase->empty())
        prompter.setEnvironmentPassphrase(vesk::Secret(*passphrase));
    vesk::cli::Context context{std::cin, std::cout, std::cerr, prompter, std::nullopt};
    return vesk::cli::run(args, context);
}
