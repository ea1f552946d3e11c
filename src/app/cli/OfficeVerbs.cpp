#include <ostream>

#include "cli/VerbPrompter.h"
#include "cli/Verbs.h"
#include "core/Text.h"
#include "office/Offices.h"

namespace vesk::cli {

namespace {

int importMaster(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (a.positional().size() != 1) throw UsageError("give exactly one office master workbook");
    VerbPrompter prompter(context.prompter, a.flag("yes"));
    return withDatabase(context, [&](store::Connection& db) {
        const auto confirm = [&](const Message& question) { return prompter.message(question) == Answer::Yes; };
        if (auto refusal = office::masterImportRefusal(office::importMaster(db, a.positional().front(), confirm))) {
            prompter.message(*refusal);
            return kExitFailed;
        }
        if (office::configureDivisionOffice(db).empty())
            prompter.message(exclamation("Warning: No Division Office found in the imported data."));
        context.out << office::officeCount(db) << " office details updated successfully.\n";
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
        if (prompter.message(question("Set '" + name + "' as the configured office?", "Confirm Save",
                                      Icon::Question)) != Answer::Yes)
            return kExitFailed;
        if (!office::setConfiguredOffice(db, name)) {
            prompter.message(
                exclamation("The office '" + name + "' was not found in the Office Master Data. Nothing was changed.",
                            "Office Not Found"));
            return kExitFailed;
        }
        return kExitOk;
    });
}

int deleteOffices(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {}, {"yes"});
    if (!a.positional().empty()) throw UsageError("takes no arguments besides --yes");
    VerbPrompter prompter(context.prompter, a.flag("yes"));
    return withDatabase(context, [&](store::Connection& db) {
        if (prompter.message(question("Delete every office and the configured office?", "Confirm Delete",
                                      Icon::Exclamation, Answer::No)) != Answer::Yes)
            return kExitFailed;
        office::deleteAllOffices(db);
        return kExitOk;
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
