#pragma once

#include <array>
#include <string>
#include <vector>

#include "review/OpenItems.h"

namespace vesk::review {

/// "0-30", "31-60", "61-90", "over 90": the Bucket column.
const char* bucketText(AgeBucket bucket);
/// "0–30 days", "31–60 days", "61–90 days", "over 90 days": as the headline names a bucket.
std::string bucketWords(AgeBucket bucket);

/// The columns of the open items: Month, Office Name, Kind, Side, Date, ID, Amount, Class,
/// Age, Bucket, Status, Note.
const std::vector<std::string>& openItemHeaders();
/// An item's cells in the order of the headers: Month as YYYY-MM, the date dd/mm/yyyy, the
/// amount with two decimals, the class as the explanation names it.
std::vector<std::string> openItemCells(const OpenItem& item);

/// What each bucket adds up to: "0–30 days: 12 items, 45,000.00 · 31–60 days: 1 item, 5.00 · ...".
std::string openItemsHeadline(const std::vector<OpenItem>& items);

/// "--as-of takes a date dd/mm/yyyy, not 'someday'".
std::string notAnAsOfDate(const std::string& given);

/// "No open items as of 05/06/2025."
std::string noOpenItemsText(long long asOf);

/// The stored pairing cannot be read: it names a class there is none of.
std::string unknownClassText(const std::string& tag);

// The workbook.
inline constexpr const char* kOpenItemsSheetName = "Open Items";
inline constexpr const char* kOpenItemsTitle = "VESK - ORV Comparison - Open Items";
/// "As of 31/05/2025": the line under the title.
std::string asOfLine(long long asOf);
/// The captions of the workbook's two lists, and the headings of the first.
inline constexpr const char* kAgesCaption = "Open items by age";
inline constexpr std::array<const char*, 3> kAgesHeadings = {"Age", "Items", "Amount"};
inline constexpr const char* kItemsCaption = "Open items";
/// "Open_Items_31-05-2025.xlsx".
std::string openItemsFileName(long long asOf);

}  // namespace vesk::review
