#include <ostream>

#include "cli/VerbPrompter.h"
#include "cli/Verbs.h"
#include "office/OfficeMaster.h"

namespace vesk::cli {

namespace {

int importMaster(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 1) throw UsageError("give exactly one office master workbook");
    VerbPrompter prompter(context.prompter, a.positional().front(), a.flag("yes"));
    office::OfficeMaster master(context.databasePath(), prompter);
    const bool done = master.Command4_Click();
    context.prompter.progress("");
    if (done) context.out << master.view().countText << "\n";
    return done ? kExitOk : kExitFailed;
}

// The office list as the form's list holds it, then the configured office.
int offices(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {});
    if (!a.positional().empty()) throw UsageError("takes no arguments");
    office::OfficeMaster master(context.databasePath(), context.prompter);
    master.Form_Load();
    if (!master.connection().isOpen()) return kExitFailed;
    for (const auto& name : master.view().offices) context.out << name << "\n";
    context.out << "\nconfigured office\t" << master.configuredOffice() << "\n";
    return kExitOk;
}

int setOffice(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 1) throw UsageError("give exactly one office name");
    VerbPrompter prompter(context.prompter, std::nullopt, a.flag("yes"));
    office::OfficeMaster master(context.databasePath(), prompter);
    return master.Command5_Click(a.positional().front()) ? kExitOk : kExitFailed;
}

int deleteOffices(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (!a.positional().empty()) throw UsageError("takes no arguments besides --yes");
    VerbPrompter prompter(context.prompter, std::nullopt, a.flag("yes"));
    office::OfficeMaster master(context.databasePath(), prompter);
    return master.Command3_Click() ? kExitOk : kExitFailed;
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
