#include "review/OpenItemsWorkbook.h"

#include "compare/CompareWording.h"
#include "compare/ComparisonWorkbook.h"
#include "compare/ExplanationWorkbook.h"
#include "core/Amount.h"
#include "core/Platform.h"
#include "review/ReviewWording.h"

namespace vesk::review {

compare::ExportSheet openItemsSheet(const OpenItems& open) {
    compare::ExportSheet s;
    s.sheetName = kOpenItemsSheetName;
    s.title = kOpenItemsTitle;
    s.periodLine = asOfLine(open.asOf);
    s.scopeLine = compare::scopeLine(compare::ScopeWording::HeadOffice, open.scope);

    compare::ExportSheet::Section ages{kAgesCaption, {kAgesHeadings.begin(), kAgesHeadings.end()}, {}};
    int serial = 1;
    for (const BucketTotal& t : bucketTotals(open.items)) {
        compare::ExportSheet::Row row;
        row.serial = serial++;
        for (std::string text :
             {bucketWords(t.bucket), std::to_string(t.items), formatAmount(t.amount, Grouping::Thousands)})
            row.cells.push_back({std::move(text), compare::ExportSheet::Highlight::None, std::nullopt});
        ages.rows.push_back(std::move(row));
    }

    compare::ExportSheet::Section list{kItemsCaption, openItemHeaders(), {}};
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

std::string writeOpenItemsWorkbook(const OpenItems& open, const std::string& folder) {
    const std::string path = platform::joinPath(compare::createdFolder(folder), openItemsFileName(open.asOf));
    compare::writeExportSheet(openItemsSheet(open), path);
    return path;
}

}  // namespace vesk::review
