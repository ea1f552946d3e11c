#include <filesystem>
#include <ostream>

#include "cli/Verbs.h"
#include "core/Platform.h"
#include "store/DatabaseLocation.h"

namespace vesk::cli {

// Names the file the other verbs would open, and why; makes nothing.
int runWhere(Call& call) {
    const store::DatabaseSearch search = store::systemDatabaseSearch(call.databaseOption());
    const store::DatabaseLocation location = store::locateDatabase(search);
    std::error_code ec;
    const bool exists = std::filesystem::exists(platform::fsPath(location.path), ec);
    call.out() << location.path << "\n"
               << store::describe(location, search) << (exists ? "" : "; not created yet") << "\n";
    return kExitOk;
}

}  // namespace vesk::cli
