#pragma once

#include <string>
#include <vector>

namespace vesk::compare {

/// Limits the bank side to the offices under a head office: " AND m.ho_name = '...' ".
std::string headOfficeScope(const std::string& headOffice);

/// The month's totals per office on both sides: the bank's rows of offices known to the
/// master (within the scope), with their ORV receipts and payments, ordered by office name.
std::string consolidatedStatement(int year, int month, const std::string& scope);

/// The office condition of the detailed statement for the listed offices, and for one.
std::string officeListCondition(const std::vector<std::string>& offices);
std::string oneOfficeCondition(const std::string& office);

/// The month's differing dates of the offices the condition names, from both sides, by
/// office name and then date.
std::string detailedStatement(const std::string& condition, int year, int month);

/// What the consolidated statement leaves out of the month, each grouped and with its
/// number of rows (Entries) and both sums (VESK_Deposit and VESK_Withdrawal, ORV_Deposit
/// and ORV_Withdrawal): the bank rows whose facility matches no office, by facility id;
/// the offices (within the scope) with ORV entries but no bank rows, by name; the ORV
/// entries whose office id matches no office, by office id.
std::string unknownFacilitiesStatement(int year, int month);
std::string orvOnlyOfficesStatement(int year, int month, const std::string& scope);
std::string unknownOfficesStatement(int year, int month);

}  // namespace vesk::compare
