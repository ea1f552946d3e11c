#include <filesystem>
#include <ostream>

#include "cli/Verbs.h"
#include "store/DatabaseLocation.h"

namespace vesk::cli {

namespace {

// Names the file the other verbs would open, and why; makes nothing.
int where(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {});
    if (!a.positional().empty()) throw UsageError("takes no arguments");
    const store::DatabaseSearch search = store::systemDatabaseSearch(context.databaseOption);
    const store::DatabaseLocation location = store::locateDatabase(search);
    std::error_code ec;
    const bool exists = std::filesystem::exists(location.path, ec);
    context.out << location.path << "\n"
                << store::describe(location, search) << (exists ? "" : "; not created yet") << "\n";
    return kExitOk;
}

}  // namespace

void addWhereVerbs(std::vector<Verb>& verbs) {
    verbs.push_back({"where", "",
                     "Prints the database file the other verbs open, then why it is that one: --db, VESK_ORV_DB, "
                     "beside the program, or the data folder when the program's folder is not writable.",
                     where});
}

}  // namespace vesk::cli
