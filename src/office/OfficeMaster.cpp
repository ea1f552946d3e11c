#include "office/OfficeMaster.h"

#include "core/ColumnMap.h"
#include "core/Error.h"
#include "core/Text.h"
#include "sheet/Workbook.h"
#include "store/Schema.h"

namespace vesk::office {

namespace {

constexpr int kMasterColumns = 83;
constexpr int kProgressEvery = 100;


std::string numbered(const Error& e, const char* separator) { return std::to_string(e.number()) + separator + e.what(); }

}  // namespace

OfficeMaster::OfficeMaster(std::string databasePath, Prompter& prompter)
    : m_path(std::move(databasePath)), m_prompter(prompter) {}

void OfficeMaster::ensureOpen() {
    if (!m_db.isOpen()) m_db.open(m_path);
}

void OfficeMaster::Form_Load() {
    try {
        ensureOpen();
        m_view.countText = m_db.scalar("select count (*) from mastertable").toText() + " office details available.";
        reloadGrid();
    } catch (const Error& e) {
        m_prompter.message({numbered(e, " - "), "Error", Icon::None, Buttons::Ok, Answer::Ok});
        return;
    }
    RefreshOfficeCombo();
    try {
        selectOffice(readConfiguredName());
    } catch (const Error& e) {
        m_prompter.message({numbered(e, " - "), "Error", Icon::None, Buttons::Ok, Answer::Ok});
    }
}

void OfficeMaster::RefreshOfficeCombo() {
    try {
        ensureOpen();
        m_view.offices.clear();
        m_view.selected = -1;
        if (m_db.scalar("SELECT COUNT(*) FROM mastertable").toInt() == 0) {
            m_prompter.message(exclamation("The Office Master Data is empty! Import data first.", "No Offices Found"));
            return;
        }
        store::ResultSet rs = m_db.query(
            "SELECT DISTINCT office_name FROM mastertable WHERE UCase(Trim(office_type_code)) IN ('HPO', 'PDN') "
            "ORDER BY office_name");
        if (rs.empty()) {
            m_prompter.message(exclamation("Table has data, but the Query found 0 matches for HPO or PDN.", "Debug Info"));
            return;
        }
        for (std::size_t i = 0; i < rs.rowCount(); ++i)
            if (!rs.field(i, 0).isNull()) m_view.offices.push_back(rs.field(i, 0).toText());
        if (!m_view.offices.empty()) m_view.selected = 0;
    } catch (const Error& e) {
        m_prompter.message(critical(std::string("Error in RefreshOfficeCombo: ") + e.what()));
    }
}

void OfficeMaster::UpdateYourOffice() {
    try {
        ensureOpen();
        {
            store::Transaction tx = m_db.begin();
            m_db.execute("DELETE FROM Youroffice");
            m_db.execute(
                "INSERT INTO Youroffice (ooffice_name, oqal_facility_id, ooffice_id) SELECT DISTINCT office_name, "
                "qal_facility_id, office_id FROM mastertable WHERE UCase(Trim(office_type_code)) = 'PDN'");
            tx.commit();
        }
        std::string name = readConfiguredName();
        if (name.empty()) {
            m_prompter.message(exclamation("Warning: No Division Office found in the imported data."));
            return;
        }
        selectOffice(name);
    } catch (const Error& e) {
        m_prompter.message(critical(std::string("Error updating YourOffice table: ") + e.what()));
    }
}

bool OfficeMaster::Command5_Click(const std::string& comboText) {
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
        store::Transaction tx = m_db.begin();
        // A name that matches no office must not empty the configured office and report success.
        if (m_db.scalar("SELECT COUNT(*) FROM mastertable WHERE office_name = ?", {name}).toInt() == 0) {
            tx.rollback();
            setWait(false);
            m_prompter.message(exclamation("The office '" + name +
                                               "' was not found in the Office Master Data. Nothing was changed.",
                                           "Office Not Found"));
            return false;
        }
        m_db.execute("DELETE FROM Youroffice");
        m_db.execute(
            "INSERT INTO Youroffice (ooffice_name, oqal_facility_id, ooffice_id) SELECT office_name, qal_facility_id, "
            "office_id FROM mastertable WHERE office_name = ?",
            {name});
        tx.commit();
        setWait(false);
        m_prompter.message(info("Office updated successfully!", "Saved"));
        return true;
    } catch (const Error& e) {
        setWait(false);
        m_prompter.message(critical(std::string("Error saving configuration: ") + e.what(), "Error"));
        return false;
    }
}

bool OfficeMaster::Command3_Click() {
    if (m_prompter.message(question(std::string("Are you sure you want to DELETE ALL office records?") + kCrLf +
                                        "This action cannot be undone.",
                                    "Confirm Delete", Icon::Exclamation)) != Answer::Yes)
        return false;
    try {
        ensureOpen();
        store::Transaction tx = m_db.begin();
        m_db.execute("DELETE FROM mastertable");
        m_db.execute("DELETE FROM youroffice");
        tx.commit();
        m_view.grid.reset();
        m_view.countText = "0 office details available.";
        m_view.offices.clear();
        m_view.selected = -1;
        m_prompter.message(info("All office data has been deleted successfully.", "Success"));
        return true;
    } catch (const Error& e) {
        m_prompter.message(critical(numbered(e, " - "), "Error"));
        return false;
    }
}

bool OfficeMaster::Command4_Click() {
    try {
        ensureOpen();
        auto file = m_prompter.openFile({"Select the ORV 2.0 Master Data File to Import",
                                         "Excel Files (*.xls,*.xlsx)|*.xls;*.xlsx|All files (*.*)|*.*"});
        if (!file || file->empty()) {
            m_prompter.message(exclamation("File not selected.", "Cancelled"));
            return false;
        }
        return importFile(*file);
    } catch (const Error& e) {
        m_prompter.message(critical("Error " + numbered(e, ": "), "Error"));
        return false;
    }
}

bool OfficeMaster::importFile(const std::string& path) {
    std::vector<std::string> headers;
    sheet::Block rows;
    {
        auto book = sheet::Workbook::open(path);
        auto sheet = book->activeSheet(kMasterColumns);  // only the columns the master stores are kept
        if (trim(sheet::cellText(sheet->cell(1, 2))) != "office_name") {
            m_prompter.message(exclamation("Invalid file selected. Cell B1 must contain 'office_name'.", "Error"));
            return false;
        }
        if (m_prompter.message(question(std::string("The existing Office Master Data will be overwritten.") + kCrLf +
                                            "Are You Sure?",
                                        "Confirm", Icon::Information)) != Answer::Yes) {
            m_prompter.message(info("Operation Cancelled.", "Cancelled"));
            return false;
        }
        const int last = sheet->lastRow(1);
        // A file without rows must not empty the master that is there.
        if (last < 2) {
            m_prompter.message(exclamation("No data found in file."));
            return false;
        }
        sheet::Block head = sheet->block(1, 1, 1, kMasterColumns);
        for (int j = 0; j < kMasterColumns; ++j) headers.push_back(sheet::cellText(head.at(0, j)));
        rows = sheet->block(2, 1, last, kMasterColumns);
    }  // the workbook is closed before any database work

    const auto& columns = store::tableColumns(store::Table::Master);
    const std::vector<int> target = mapColumnsByHeader(headers, columns);
    std::string sql = "INSERT INTO mastertable (";
    std::string marks;
    for (std::size_t t = 0; t < columns.size(); ++t) {
        sql += (t ? "," : "") + columns[t];
        marks += t ? ",?" : "?";
    }
    sql += ") VALUES (" + marks + ")";

    const int count = rows.rows();
    store::Transaction tx = m_db.begin();
    m_db.execute("DELETE FROM mastertable");
    m_db.execute("DELETE FROM youroffice");
    store::Statement insert = m_db.prepare(sql);
    std::vector<store::Value> values(columns.size(), store::Value(std::string()));
    for (int i = 1; i <= count; ++i) {
        if (trim(sheet::cellText(rows.at(i - 1, 0))).empty()) continue;
        for (int j = 0; j < kMasterColumns; ++j)
            if (target[j] >= 0) values[target[j]] = trim(sheet::cellText(rows.at(i - 1, j)));
        insert.execute(values);
        if (i % kProgressEvery == 0)
            m_prompter.progress("Importing Row " + std::to_string(i) + " / " + std::to_string(count));
    }
    tx.commit();

    m_view.countText =
        m_db.scalar("select count (*) from mastertable").toText() + " office details updated successfully.";
    m_prompter.message(info("Office Master Imported Successfully", "Success"));
    RefreshOfficeCombo();
    UpdateYourOffice();
    reloadGrid();
    return true;
}

std::string OfficeMaster::readConfiguredName() {
    store::Value v = m_db.scalar("SELECT ooffice_name FROM Youroffice LIMIT 1");
    return trim(v.toText());
}

std::string OfficeMaster::configuredOffice() {
    ensureOpen();
    return readConfiguredName();
}

void OfficeMaster::selectOffice(const std::string& name) {
    if (name.empty()) return;
    const std::string wanted = upper(name);
    for (std::size_t i = 0; i < m_view.offices.size(); ++i) {
        if (upper(m_view.offices[i]) == wanted) {
            m_view.selected = int(i);
            return;
        }
    }
}

void OfficeMaster::reloadGrid() {
    store::ResultSet rs = m_db.query("select * from mastertable order by office_name");
    if (rs.empty())
        m_view.grid.reset();
    else
        m_view.grid = std::move(rs);
}

}  // namespace vesk::office
