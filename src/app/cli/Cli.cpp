#include "cli/Cli.h"

#include <ostream>
#include <sstream>

#include "backup/BackupWording.h"
#include "backup/PassphraseFlows.h"
#include "cli/Call.h"
#include "cli/Invocation.h"
#include "cli/Verb.h"
#include "core/Error.h"
#include "core/Platform.h"
#include "core/Version.h"
#include "store/DatabaseLocation.h"
#include "store/Passphrase.h"
#include "store/Waiting.h"

namespace vesk::cli {

namespace {

constexpr const char* kProgram = "vesk-orv-cli";

// The options before the verb (--db, --help, --version), read into the context. Returns the
// exit status when they settle the run; else nullopt, verbAt at the verb's name (or the end).
std::optional<int> readGlobalOptions(const std::vector<std::string>& args, Context& context, std::size_t& verbAt) {
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            context.out << usage();
            return kExitOk;
        }
        if (a == "--version") {
            context.out << kProgram << " " << kVersion << "\n";
            return kExitOk;
        }
        if (a.compare(0, 2, "--") != 0) break;
        const std::size_t eq = a.find('=');
        if (a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2) != "db") {
            context.err << kProgram << ": unknown option " << a << "\n" << usage();
            return kExitUsage;
        }
        std::optional<std::string> value;
        if (eq != std::string::npos)
            value = a.substr(eq + 1);
        else if (i + 1 < args.size())
            value = args[++i];
        if (!value || value->empty()) {
            context.err << kProgram << ": option --db needs a file name\n";
            return kExitUsage;
        }
        context.databaseOption = *value;
    }
    verbAt = i;
    return std::nullopt;
}

// The verb named at verbAt; none (with the usage shown) when it names none.
const Verb* findVerb(const std::vector<std::string>& args, std::size_t verbAt, Context& context) {
    if (verbAt >= args.size()) {
        context.err << usage();
        return nullptr;
    }
    for (const Verb& v : verbs())
        if (v.name == args[verbAt]) return &v;
    context.err << kProgram << ": unknown verb '" << args[verbAt] << "'\n" << usage();
    return nullptr;
}

// Each hold-up while the verb runs gets one line: a wait for another program, today's backup.
store::DefaultDelayWatcher delayLines(Context& context, const std::string& verbName) {
    return store::DefaultDelayWatcher([&context, verbName, told = false](const store::DelayNotice& notice) mutable {
        if (notice.over) {
            told = false;
        } else if (!told) {
            told = true;
            context.err << kProgram << " " << verbName << ": " << backup::delayText(notice) << "\n" << std::flush;
        }
    });
}

// The verb's usage, or its function over its parsed command line.
int invoke(const Verb& verb, const std::vector<std::string>& args, Context& context) {
    Invocation invocation = parseInvocation(verb, args);
    if (invocation.help) {
        context.out << usage(*invocation.verb, invocation.command);
        return kExitOk;
    }
    Call call(context, *invocation.verb, std::move(invocation.arguments));
    return invocation.verb->run(call);
}

// Every failure of a verb becomes its line on the error stream and an exit status; wrong use
// is answered with the verb's usage as well.
int runGuarded(const Verb& verb, const std::vector<std::string>& args, Context& context) {
    const std::string prefix = std::string(kProgram) + " " + verb.name + ": ";
    try {
        return invoke(verb, args, context);
    } catch (const UsageError& e) {
        context.err << prefix << e.what() << "\n" << usage(verb, verb.name);
        return kExitUsage;
    } catch (const Error& e) {
        context.prompter.progress("");
        context.err << prefix << e.description() << "\n";
        // An argument the core itself refuses is still wrong usage.
        return e.number() == errc::kUsage ? kExitUsage : kExitFailed;
    } catch (const std::exception& e) {
        context.prompter.progress("");
        context.err << prefix << e.what() << "\n";
        return kExitFailed;
    }
}

}  // namespace

std::string Context::databasePath() const { return store::databasePath(databaseOption); }

std::string usage() {
    std::ostringstream s;
    s << "usage: " << kProgram << " [--db FILE] VERB [ARGUMENTS]\n\n"
      << "Reconciles the bank's cash transactions with the postal accounting records.\n\n"
      << "Options:\n"
      << "  --db FILE   the database file (default: $VESK_ORV_DB, else " << store::kDatabaseFileName
      << " beside the program,\n"
      << "              else in the data folder, " << platform::joinPath(platform::dataFolder(), "vesk-orv")
      << ",\n              when the program's folder is not writable)\n"
      << "  --help      this text; VERB --help describes one verb\n"
      << "  --version   the program's version\n\n"
      << "Verbs:\n";
    for (const Verb& verb : verbs()) s << "  " << verb.name << " " << synopsis(verb) << "\n      " << verb.help << "\n";
    s << "\nExit status: 0 done, 1 failed or refused, 2 wrong usage.\n";
    return s.str();
}

std::string usage(const Verb& verb, const std::string& command) {
    std::string text =
        std::string("usage: ") + kProgram + " [--db FILE] " + command + " " + synopsis(verb) + "\n" + verb.help + "\n";
    std::string options;
    for (const Option& o : verb.options)
        if (!o.help.empty())
            options += "  --" + o.name + (o.isFlag() ? "" : " " + o.value) + "\n      " + o.help + "\n";
    if (!options.empty()) text += "\nOptions:\n" + options;
    return text;
}

namespace {

// For the run of one verb, every file with a passphrase is opened with the one the person
// gives; forgotten (wiped) when the verb ends.
class PassphrasesAsked {
  public:
    explicit PassphrasesAsked(Prompter& prompter)
        : m_before(store::setPassphraseSource(backup::askingPassphrases(prompter))) {}
    ~PassphrasesAsked() {
        store::setPassphraseSource(std::move(m_before));
        store::forgetPassphrases();
    }
    PassphrasesAsked(const PassphrasesAsked&) = delete;
    PassphrasesAsked& operator=(const PassphrasesAsked&) = delete;

  private:
    store::PassphraseSource m_before;
};

}  // namespace

int run(const std::vector<std::string>& args, Context& context) {
    std::size_t verbAt = 0;
    if (const std::optional<int> settled = readGlobalOptions(args, context, verbAt)) return *settled;
    const Verb* verb = findVerb(args, verbAt, context);
    if (!verb) return kExitUsage;
    const store::DefaultDelayWatcher delays = delayLines(context, verb->name);
    const PassphrasesAsked passphrases(context.prompter);
    return runGuarded(*verb, std::vector<std::string>(args.begin() + std::ptrdiff_t(verbAt) + 1, args.end()), context);
}

}  // namespace vesk::cli
