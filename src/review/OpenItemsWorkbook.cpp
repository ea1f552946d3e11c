#include "review/OpenItemsWorkbook.h"

#include <filesystem>

#include "compare/ComparisonWorkbook.h"
#include "compare/ExplanationWorkbook.h"
#include "core/Amount.h"
#include "review/ReviewWording.h"

namespace vesk::review {

compare::ExportSheet openItemsSheet(const OpenItems& open) {
    compare::ExportSheet s;
    s.sheetName = "Open Items";
    s.title = "VESK - ORV Comparison - Open Items";
    s.periodLine = "As of " + dayText(open.asOf);
    s.scopeLine =
        open.scope.headOffice ? "Offices under " + open.scope.configuredOffice : std::string("Offices of the division");

    compare::ExportSheet::Section ages{"Open items by age", {"Age", "Items", "Amount"}, {}};
    int serial = 1;
    for (const BucketTotal& t : bucketTotals(open.items)) {
        compare::ExportSheet::Row row;
        row.serial = serial++;
        for (std::string text :
             {bucketWords(t.bucket), std::to_string(t.items), formatAmount(t.amount, Grouping::Thousands)})
            row.cells.push_back({std::move(text), compare::ExportSheet::Highlight::None, std::nullopt});
        ages.rows.push_back(std::move(row));
    }

    compare::ExportSheet::Section list{"Open items", openItemHeaders(), {}};
    serial = 1;
    for (const OpenItem& item : open.items) {
        compare::ExportSheet::Row row;
        row.serial = serial++;
        for (std::string& text : openItemCells(item))
            row.cells.push_back(
                {std::move(text), compare::ExportSheet::Highlight::None, compare::pairClassColour(item.line.cls)});
        list.rows.push_back(std::move(row));
    }
    s.sections = {std::move(ages), std::move(list)};
    return s;
}

std::string openItemsFileName(long long asOf) {
    std::string day = dayText(asOf);  // dd/mm/yyyy
    for (char& c : day)
        if (c == '/') c = '-';
    return "Open_Items_" + day + ".xlsx";
}

std::string writeOpenItemsWorkbook(const OpenItems& open, const std::string& folder) {
    const std::string path =
        (std::filesystem::path(compare::createdFolder(folder)) / openItemsFileName(open.asOf)).string();
    compare::writeExportSheet(openItemsSheet(open), path);
    return path;
}

}  // namespace vesk::review
