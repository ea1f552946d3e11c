#include <ostream>

#include "cli/Verbs.h"
#include "core/Text.h"
#include "office/OfficeFlows.h"
#include "office/OfficeWording.h"
#include "office/Offices.h"

namespace vesk::cli {

int runImportMaster(Call& call) {
    const store::Opener db = call.openedDatabase();
    if (!office::MasterImportFlow(db, call.prompter()).run(call.argument(0))) return kExitFailed;
    call.out() << office::officesUpdated(office::officeCount(db())) << "\n";
    return kExitOk;
}

// The head and division offices, then the configured office.
int runOffices(Call& call) {
    store::Connection& db = call.database();
    for (const auto& name : office::listedOffices(db)) call.out() << name << "\n";
    call.out() << "\nconfigured office\t" << office::configuredOffice(db) << "\n";
    return kExitOk;
}

int runSetOffice(Call& call) {
    const std::string name = trim(call.argument(0));
    if (name.empty()) throw UsageError(office::kNoOfficeName);
    return office::saveOffice(call.openedDatabase(), call.prompter(), name) ? kExitOk : kExitFailed;
}

int runDeleteOffices(Call& call) {
    return office::deleteOffices(call.openedDatabase(), call.prompter()) ? kExitOk : kExitFailed;
}

}  // namespace vesk::cli
