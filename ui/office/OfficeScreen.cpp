#include "office/OfficeScreen.h"

#include "core/Error.h"
#include "core/Text.h"
#include "office/OfficeFlows.h"
#include "office/OfficeWording.h"
#include "office/Offices.h"
#include "store/Schema.h"

namespace vesk::office {

namespace {

constexpr int kProgressEvery = 100;

}  // namespace

OfficeScreen::OfficeScreen(std::string databasePath, Prompter& prompter)
    : m_path(std::move(databasePath)), m_prompter(prompter), m_history(history::Form::Master, prompter) {}

void OfficeScreen::ensureOpen() {
    if (!m_db.isOpen()) m_db.open(m_path);
}

store::Connection& OfficeScreen::database() {
    ensureOpen();
    return m_db;
}

void OfficeScreen::load() {
    try {
        ensureOpen();
        m_view.countText = officesAvailable(officeCount(m_db));
        reloadGrid();
    } catch (const std::exception& caught) {
        m_prompter.message(loadFailed(asError(caught)));
        return;
    }
    refreshOfficeList();
    try {
        selectOffice(office::configuredOffice(m_db));
    } catch (const std::exception& caught) {
        m_prompter.message(loadFailed(asError(caught)));
    }
}

void OfficeScreen::refreshOfficeList() {
    try {
        ensureOpen();
        m_view.offices.clear();
        m_view.selected = -1;
        if (officeCount(m_db) == 0) {
            m_prompter.message(noOffices());
            return;
        }
        m_view.offices = listedOffices(m_db);
        if (m_view.offices.empty()) {
            m_prompter.message(noListedOffices());
            return;
        }
        m_view.selected = 0;
    } catch (const std::exception& caught) {
        m_prompter.message(refreshFailed(asError(caught)));
    }
}

bool OfficeScreen::saveConfiguredOffice(const std::string& comboText) {
    if (trim(comboText).empty()) {
        m_prompter.message(selectOfficeFirst());
        return false;
    }
    try {
        return saveOffice([this]() -> store::Connection& { return database(); }, m_prompter, comboText,
                          [this](bool shown) { setWait(shown); }, m_clock);
    } catch (const std::exception& caught) {
        setWait(false);
        m_prompter.message(saveFailed(asError(caught)));
        return false;
    }
}

bool OfficeScreen::pickRow(std::size_t row) {
    if (!m_view.grid || row >= m_view.grid->rowCount()) return false;
    const std::string name = trim(m_view.grid->field(row, "office_name").toText());
    for (std::size_t i = 0; i < m_view.offices.size(); ++i) {
        if (trim(m_view.offices[i]) != name) continue;
        m_view.selected = int(i);
        return true;
    }
    return false;
}

bool OfficeScreen::deleteAllOffices() {
    try {
        return deleteOffices([this]() -> store::Connection& { return database(); }, m_prompter,
                             [this] {
                                 m_view.grid.reset();
                                 m_view.countText = officesAvailable(0);
                                 m_view.offices.clear();
                                 m_view.selected = -1;
                             },
                             m_clock);
    } catch (const std::exception& caught) {
        m_prompter.message(deleteFailed(asError(caught)));
        return false;
    }
}

bool OfficeScreen::importMaster() {
    try {
        ensureOpen();
        auto file = m_prompter.openFile(masterFileRequest());
        if (!file || file->empty()) {
            m_prompter.message(fileNotSelected());
            return false;
        }
        return importFile(*file);
    } catch (const std::exception& caught) {
        m_prompter.message(importFailed(asError(caught)));
        return false;
    }
}

bool OfficeScreen::importFile(const std::string& path) {
    MasterImportFlow flow([this]() -> store::Connection& { return database(); }, m_prompter, m_clock);
    flow.setProgressEvery(kProgressEvery);
    const MasterImport imported = flow.importFile(path);
    if (imported.status != MasterImport::Status::Imported) return false;
    // The count shows behind the notice.
    m_view.countText = officesUpdated(officeCount(m_db));
    flow.announce();
    refreshOfficeList();
    flow.reportDivision(imported);
    selectOffice(imported.divisionOffice);
    reloadGrid();
    return true;
}

bool OfficeScreen::readHistory() {
    return m_history.read([this]() -> store::Connection& { return database(); });
}

std::string OfficeScreen::configuredOffice() { return office::configuredOffice(database()); }

void OfficeScreen::selectOffice(const std::string& name) {
    if (name.empty()) return;
    const std::string wanted = upper(name);
    for (std::size_t i = 0; i < m_view.offices.size(); ++i) {
        if (upper(m_view.offices[i]) == wanted) {
            m_view.selected = int(i);
            return;
        }
    }
}

void OfficeScreen::reloadGrid() {
    std::vector<std::vector<std::string>> offices = masterRows(m_db);
    if (offices.empty()) {
        m_view.grid.reset();
        return;
    }
    std::vector<std::vector<store::Value>> rows;
    rows.reserve(offices.size());
    for (std::vector<std::string>& office : offices) rows.emplace_back(office.begin(), office.end());
    const std::vector<std::string>& columns = store::tableColumns(store::Table::Master);
    m_view.grid = store::ResultSet(columns, std::move(rows));
}

}  // namespace vesk::office
