#include "office/OfficeScreen.h"

#include "core/Error.h"
#include "core/Text.h"
#include "office/Offices.h"

namespace vesk::office {

namespace {

constexpr int kProgressEvery = 100;

std::string numbered(const Error& e, const char* separator) {
    return std::to_string(e.number()) + separator + e.what();
}

}  // namespace

OfficeScreen::OfficeScreen(std::string databasePath, Prompter& prompter)
    : m_path(std::move(databasePath)), m_prompter(prompter), m_history(history::Form::Master, prompter) {}

void OfficeScreen::ensureOpen() {
    if (!m_db.isOpen()) m_db.open(m_path);
}

void OfficeScreen::Form_Load() {
    try {
        ensureOpen();
        m_view.countText = std::to_string(officeCount(m_db)) + " office details available.";
        reloadGrid();
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        m_prompter.message({numbered(e, " - "), "Error", Icon::None, Buttons::Ok, Answer::Ok});
        return;
    }
    refreshOfficeList();
    try {
        selectOffice(office::configuredOffice(m_db));
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        m_prompter.message({numbered(e, " - "), "Error", Icon::None, Buttons::Ok, Answer::Ok});
    }
}

void OfficeScreen::refreshOfficeList() {
    try {
        ensureOpen();
        m_view.offices.clear();
        m_view.selected = -1;
        if (officeCount(m_db) == 0) {
            m_prompter.message(exclamation("The Office Master Data is empty! Import data first.", "No Offices Found"));
            return;
        }
        m_view.offices = listedOffices(m_db);
        if (m_view.offices.empty()) {
            m_prompter.message(
                exclamation("Table has data, but the Query found 0 matches for HPO or PDN.", "Debug Info"));
            return;
        }
        m_view.selected = 0;
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        m_prompter.message(critical(std::string("Error in RefreshOfficeCombo: ") + e.what()));
    }
}

void OfficeScreen::configureDivision() {
    try {
        ensureOpen();
        const std::string name = configureDivisionOffice(m_db, m_clock);
        if (name.empty()) {
            m_prompter.message(exclamation("Warning: No Division Office found in the imported data."));
            return;
        }
        selectOffice(name);
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        m_prompter.message(critical(std::string("Error updating YourOffice table: ") + e.what()));
    }
}

bool OfficeScreen::Command5_Click(const std::string& comboText) {
    const std::string name = trim(comboText);
    if (name.empty()) {
        m_prompter.message(exclamation("Please select an office from the list first.", "Selection Required"));
        return false;
    }
    try {
        ensureOpen();
        if (m_prompter.message(question("Are you sure you want to set '" + comboText + "' as your configured office?",
                                        "Confirm Save", Icon::Question)) != Answer::Yes)
            return false;
        setWait(true);
        const bool saved = setConfiguredOffice(m_db, name, m_clock);
        setWait(false);
        if (!saved) {
            m_prompter.message(
                exclamation("The office '" + name + "' was not found in the Office Master Data. Nothing was changed.",
                            "Office Not Found"));
            return false;
        }
        m_prompter.message(info("Office updated successfully!", "Saved"));
        return true;
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        setWait(false);
        m_prompter.message(critical(std::string("Error saving configuration: ") + e.what(), "Error"));
        return false;
    }
}

bool OfficeScreen::DataGrid1_RowPicked(std::size_t row) {
    if (!m_view.grid || row >= m_view.grid->rowCount()) return false;
    const std::string name = trim(m_view.grid->field(row, "office_name").toText());
    for (std::size_t i = 0; i < m_view.offices.size(); ++i) {
        if (trim(m_view.offices[i]) != name) continue;
        m_view.selected = int(i);
        return true;
    }
    return false;
}

bool OfficeScreen::Command3_Click() {
    if (m_prompter.message(question(std::string("Are you sure you want to DELETE ALL office records?") + kCrLf +
                                        "This action cannot be undone.",
                                    "Confirm Delete", Icon::Exclamation, Answer::No)) != Answer::Yes)
        return false;
    try {
        ensureOpen();
        deleteAllOffices(m_db, m_clock);
        m_view.grid.reset();
        m_view.countText = "0 office details available.";
        m_view.offices.clear();
        m_view.selected = -1;
        m_prompter.message(info("All office data has been deleted successfully.", "Success"));
        return true;
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        m_prompter.message(critical(numbered(e, " - "), "Error"));
        return false;
    }
}

bool OfficeScreen::Command4_Click() {
    try {
        ensureOpen();
        auto file = m_prompter.openFile({"Select the ORV 2.0 Master Data File to Import",
                                         "Excel Files (*.xls,*.xlsx)|*.xls;*.xlsx|All files (*.*)|*.*", ""});
        if (!file || file->empty()) {
            m_prompter.message(exclamation("File not selected.", "Cancelled"));
            return false;
        }
        return importFile(*file);
    } catch (const std::exception& caught) {
        const Error e = asError(caught);
        m_prompter.message(critical("Error " + numbered(e, ": "), "Error"));
        return false;
    }
}

bool OfficeScreen::importFile(const std::string& path) {
    const auto confirm = [this](const Message& question) { return m_prompter.message(question) == Answer::Yes; };
    const auto progress = [this](int row, int rows) {
        if (row % kProgressEvery == 0)
            m_prompter.progress("Importing Row " + std::to_string(row) + " / " + std::to_string(rows));
    };
    if (auto refusal = masterImportRefusal(importMaster(m_db, path, confirm, progress, m_clock))) {
        m_prompter.message(*refusal);
        return false;
    }
    m_view.countText = std::to_string(officeCount(m_db)) + " office details updated successfully.";
    m_prompter.message(info("Office Master Imported Successfully", "Success"));
    refreshOfficeList();
    configureDivision();
    reloadGrid();
    return true;
}

bool OfficeScreen::cmdHistory_Click() {
    return m_history.cmdHistory_Click([this]() -> store::Connection& {
        ensureOpen();
        return m_db;
    });
}

std::string OfficeScreen::configuredOffice() {
    ensureOpen();
    return office::configuredOffice(m_db);
}

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
    store::ResultSet rs = masterRows(m_db);
    if (rs.empty())
        m_view.grid.reset();
    else
        m_view.grid = std::move(rs);
}

}  // namespace vesk::office
