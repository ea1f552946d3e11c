#include "office/OfficeFlows.h"

#include "core/Text.h"
#include "office/OfficeWording.h"

namespace vesk::office {

MasterImport MasterImportFlow::importFile(const std::string& path) {
    const auto confirm = [this](const std::optional<DateTime>& before) {
        return m_prompter.message(masterOverwriteQuestion(before)) == Answer::Yes;
    };
    const auto progress = [this](int row, int rows) {
        if (m_progressEvery > 0 && row % m_progressEvery == 0) m_prompter.progress(masterImportProgress(row, rows));
    };
    const MasterImport imported = importMaster(m_db(), path, confirm, progress, m_now);
    if (auto refusal = masterImportRefusal(imported.status)) m_prompter.message(*refusal);
    return imported;
}

void MasterImportFlow::announce() { m_prompter.message(masterImported()); }

void MasterImportFlow::reportDivision(const MasterImport& imported) {
    if (imported.divisionOffice.empty()) m_prompter.message(noDivisionOffice());
}

bool MasterImportFlow::run(const std::string& path) {
    const MasterImport imported = importFile(path);
    if (imported.status != MasterImport::Status::Imported) return false;
    announce();
    reportDivision(imported);
    return true;
}

bool saveOffice(const store::Opener& db, Prompter& prompter, const std::string& shownName,
                const std::function<void(bool)>& wait, const Clock& now) {
    store::Connection& connection = db();
    if (prompter.message(saveOfficeQuestion(shownName)) != Answer::Yes) return false;
    if (wait) wait(true);
    const std::string name = trim(shownName);
    const bool saved = setConfiguredOffice(connection, name, now);
    if (wait) wait(false);
    prompter.message(saved ? officeSaved() : officeNotFound(name));
    return saved;
}

bool deleteOffices(const store::Opener& db, Prompter& prompter, const std::function<void()>& deleted,
                   const Clock& now) {
    if (prompter.message(deleteAllQuestion()) != Answer::Yes) return false;
    deleteAllOffices(db(), now);
    if (deleted) deleted();
    prompter.message(allOfficesDeleted());
    return true;
}

}  // namespace vesk::office
