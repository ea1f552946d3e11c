#pragma once

namespace vesk::office::sql {

/// The configured office's name: the first row of Youroffice.
inline constexpr const char* kConfiguredOffice = "SELECT ooffice_name FROM Youroffice LIMIT 1";
/// An office's type by its name (one bound value).
inline constexpr const char* kOfficeType = "SELECT office_type_code FROM mastertable WHERE office_name = ?";
/// The division office's name: the master's office of type PDN (the first by name, should there be several).
inline constexpr const char* kDivisionOffice =
    "SELECT office_name FROM mastertable WHERE upper(trim(office_type_code)) = 'PDN' ORDER BY office_name LIMIT 1";
inline constexpr const char* kOfficeCount = "SELECT COUNT(*) FROM mastertable";
inline constexpr const char* kOfficesNamed = "SELECT COUNT(*) FROM mastertable WHERE office_name = ?";
/// The offices a comparison can be configured for: head and division offices.
inline constexpr const char* kListedOffices =
    "SELECT DISTINCT office_name FROM mastertable WHERE upper(trim(office_type_code)) IN ('HPO', 'PDN') "
    "ORDER BY office_name";
inline constexpr const char* kMasterRows = "select * from mastertable order by office_name";
inline constexpr const char* kClearConfigured = "DELETE FROM Youroffice";
inline constexpr const char* kClearMaster = "DELETE FROM mastertable";
inline constexpr const char* kConfigureDivision =
    "INSERT INTO Youroffice (ooffice_name, oqal_facility_id, ooffice_id) SELECT DISTINCT office_name, "
    "qal_facility_id, office_id FROM mastertable WHERE upper(trim(office_type_code)) = 'PDN'";
inline constexpr const char* kConfigureNamed =
    "INSERT INTO Youroffice (ooffice_name, oqal_facility_id, ooffice_id) SELECT office_name, qal_facility_id, "
    "office_id FROM mastertable WHERE office_name = ?";

}  // namespace vesk::office::sql
