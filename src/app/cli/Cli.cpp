#include "cli/Cli.h"

#include <algorithm>
#include <charconv>
#include <ostream>
#include <sstream>

#include "backup/BackupWording.h"
#include "cli/Verbs.h"
#include "core/Error.h"
#include "core/Version.h"
#include "store/Connection.h"
#include "store/DatabaseLocation.h"
#include "store/Waiting.h"

namespace vesk::cli {

namespace {

constexpr const char* kProgram = "vesk-orv-cli";

bool isHelp(const std::string& a) { return a == "--help" || a == "-h"; }

// Splits "--name=value" into its parts; value is nullopt for a bare "--name".
std::pair<std::string, std::optional<std::string>> splitOption(const std::string& arg) {
    auto eq = arg.find('=');
    if (eq == std::string::npos) return {arg.substr(2), std::nullopt};
    return {arg.substr(2, eq - 2), arg.substr(eq + 1)};
}

}  // namespace

std::string Context::databasePath() const { return store::databasePath(databaseOption); }

Arguments::Arguments(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                     const std::vector<std::string>& flags) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a.compare(0, 2, "--") != 0) {
            m_positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        auto [name, value] = splitOption(a);
        if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
            if (value) throw UsageError("option --" + name + " takes no value");
            if (!flag(name)) m_flags.push_back(name);
            continue;
        }
        bool known = false;
        for (const auto& v : valued) known = known || v == name;
        if (!known) throw UsageError("unknown option --" + name);
        if (!value) {
            if (i + 1 >= args.size()) throw UsageError("option --" + name + " needs a value");
            value = args[++i];
        }
        for (const auto& [n, v] : m_options)
            if (n == name) throw UsageError("option --" + name + " given twice");
        m_options.emplace_back(name, *value);
    }
}

std::optional<std::string> Arguments::option(const std::string& name) const {
    for (const auto& [n, v] : m_options)
        if (n == name) return v;
    return std::nullopt;
}

bool Arguments::flag(const std::string& name) const {
    return std::find(m_flags.begin(), m_flags.end(), name) != m_flags.end();
}

long long Arguments::integer(const std::string& name, long long fallback, long long lo, long long hi) const {
    auto text = option(name);
    if (!text) return fallback;
    long long v = 0;
    const char* end = text->data() + text->size();
    auto [p, ec] = std::from_chars(text->data(), end, v);
    if (ec != std::errc() || p != end || text->empty())
        throw UsageError("option --" + name + " needs a whole number, not '" + *text + "'");
    if (v < lo || v > hi)
        throw UsageError("option --" + name + " must be from " + std::to_string(lo) + " to " + std::to_string(hi));
    return v;
}

const std::vector<Verb>& verbs() {
    static const std::vector<Verb> kVerbs = [] {
        std::vector<Verb> v;
        addInspectVerbs(v);
        addSampleVerbs(v);
        addOfficeVerbs(v);
        addReportVerbs(v);
        addCompareVerbs(v);
        addTrendVerbs(v);
        addReviewVerbs(v);
        addHistoryVerbs(v);
        addBackupVerbs(v);
        addWhereVerbs(v);
        return v;
    }();
    return kVerbs;
}

std::string usage() {
    std::ostringstream s;
    s << "usage: " << kProgram << " [--db FILE] VERB [ARGUMENTS]\n\n"
      << "Reconciles the bank's cash transactions with the postal accounting records.\n\n"
      << "Options:\n"
      << "  --db FILE   the database file (default: $VESK_ORV_DB, else " << store::kDatabaseFileName
      << " beside the program,\n"
      << "              else in ~/.local/share/vesk-orv when the program's folder is not writable)\n"
      << "  --help      this text; VERB --help describes one verb\n"
      << "  --version   the program's version\n\n"
      << "Verbs:\n";
    for (const Verb& verb : verbs())
        s << "  " << verb.name << " " << verb.synopsis << "\n      " << verb.summary << "\n";
    s << "\nExit status: 0 done, 1 failed or refused, 2 wrong usage.\n";
    return s.str();
}

std::string usage(const Verb& verb) {
    return std::string("usage: ") + kProgram + " [--db FILE] " + verb.name + " " + verb.synopsis + "\n" + verb.summary +
           "\n";
}

int run(const std::vector<std::string>& args, Context& context) {
    // Global options come before the verb.
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (isHelp(a)) {
            context.out << usage();
            return kExitOk;
        }
        if (a == "--version") {
            context.out << kProgram << " " << kVersion << "\n";
            return kExitOk;
        }
        if (a.compare(0, 2, "--") != 0) break;
        auto [name, value] = splitOption(a);
        if (name != "db") {
            context.err << kProgram << ": unknown option " << a << "\n" << usage();
            return kExitUsage;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                context.err << kProgram << ": option --db needs a file name\n";
                return kExitUsage;
            }
            value = args[++i];
        }
        if (value->empty()) {
            context.err << kProgram << ": option --db needs a file name\n";
            return kExitUsage;
        }
        context.databaseOption = *value;
    }
    if (i >= args.size()) {
        context.err << usage();
        return kExitUsage;
    }
    const Verb* verb = nullptr;
    for (const Verb& v : verbs())
        if (v.name == args[i]) verb = &v;
    if (!verb) {
        context.err << kProgram << ": unknown verb '" << args[i] << "'\n" << usage();
        return kExitUsage;
    }
    std::vector<std::string> rest(args.begin() + std::ptrdiff_t(i) + 1, args.end());
    for (const auto& a : rest) {
        if (a == "--") break;
        if (isHelp(a)) {
            context.out << usage(*verb);
            return kExitOk;
        }
    }
    // Each hold-up gets one line: a wait for another program, today's backup.
    bool told = false;
    const store::DefaultDelayWatcher delays([&](const store::DelayNotice& notice) {
        if (notice.over) {
            told = false;
        } else if (!told) {
            told = true;
            context.err << kProgram << " " << verb->name << ": " << backup::delayText(notice) << "\n" << std::flush;
        }
    });
    try {
        return verb->run(context, rest);
    } catch (const UsageError& e) {
        context.err << kProgram << " " << verb->name << ": " << e.what() << "\n" << usage(*verb);
        return kExitUsage;
    } catch (const Error& e) {
        context.prompter.progress("");
        context.err << kProgram << " " << verb->name << ": " << e.description() << "\n";
        // An argument the core itself refuses is still wrong usage.
        return e.number() == errc::kUsage ? kExitUsage : kExitFailed;
    } catch (const std::exception& e) {
        context.prompter.progress("");
        context.err << kProgram << " " << verb->name << ": " << e.what() << "\n";
        return kExitFailed;
    }
}

}  // namespace vesk::cli
