#include <ostream>

#include "cli/VerbPrompter.h"
#include "cli/Verbs.h"
#include "core/Text.h"
#include "office/OfficeFlows.h"
#include "office/OfficeWording.h"
#include "office/Offices.h"

namespace vesk::cli {

namespace {

int importMaster(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 1) throw UsageError("give exactly one office master workbook");
    VerbPrompter prompter(context.prompter, a.flag("yes"));
    return withDatabase(context, [&](store::Connection& db) {
        if (!office::MasterImportFlow(opened(db), prompter).run(a.positional().front())) return kExitFailed;
        context.out << office::officesUpdated(office::officeCount(db)) << "\n";
        return kExitOk;
    });
}

// The head and division offices, then the configured office.
int offices(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {});
    if (!a.positional().empty()) throw UsageError("takes no arguments");
    return withDatabase(context, [&](store::Connection& db) {
        for (const auto& name : office::listedOffices(db)) context.out << name << "\n";
        context.out << "\nconfigured office\t" << office::configuredOffice(db) << "\n";
        return kExitOk;
    });
}

int setOffice(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 1) throw UsageError("give exactly one office name");
    const std::string name = trim(a.positional().front());
    if (name.empty()) throw UsageError("give an office name");
    VerbPrompter prompter(context.prompter, a.flag("yes"));
    return withDatabase(context, [&](store::Connection& db) {
        return office::saveOffice(opened(db), prompter, name) ? kExitOk : kExitFailed;
    });
}

int deleteOffices(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (!a.positional().empty()) throw UsageError("takes no arguments besides --yes");
    VerbPrompter prompter(context.prompter, a.flag("yes"));
    return withDatabase(context, [&](store::Connection& db) {
        return office::deleteOffices(opened(db), prompter) ? kExitOk : kExitFailed;
    });
}

}  // namespace

void addOfficeVerbs(std::vector<Verb>& verbs) {
    verbs.push_back({"import-master", "FILE [--yes]",
                     "Replaces the office master with the workbook's offices; the division office becomes the "
                     "configured office.",
                     importMaster});
    verbs.push_back({"offices", "", "Lists the head and division offices, then the configured office.", offices});
    verbs.push_back({"set-office", "NAME [--yes]", "Makes the named office the configured office.", setOffice});
    verbs.push_back({"delete-offices", "[--yes]", "Deletes every office and the configured office.", deleteOffices});
}

}  // namespace vesk::cli
