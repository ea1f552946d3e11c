#include "compare/OfficeLists.h"

#include <set>

#include "compare/CompareWording.h"
#include "compare/ComparisonGrid.h"
#include "compare/ExplanationWorkbook.h"
#include "core/Platform.h"
#include "core/Text.h"

namespace vesk::compare {

namespace {

// Wide enough to write a sentence in by hand on the printed page.
constexpr double kReplyWidth = 40;

ExportSheet letterHeaded(const OfficeListsMonth& m, const std::string& office) {
    ExportSheet s;
    s.sheetName = kOfficeListSheetName;
    const std::string& from = m.context.configuredOffice;
    s.title = m.division.empty() ? from : m.division;
    // Blank when the configured office is the division itself.
    s.periodLine = from == s.title ? std::string() : from;
    s.scopeLine = officeListTitle(office, m.context);
    return s;
}

ExportSheet::Section datesSection(const OfficeListsMonth& m, const std::vector<DateDifference>& dates) {
    const ExportSheet grid = exportSheet(ExportKind::Detailed, detailedGrid(dates), m.context);
    return {kOfficeDatesCaption, grid.headers, grid.rows};
}

}  // namespace

std::vector<OfficeList> officeLists(const OfficeListsMonth& m) {
    std::vector<OfficeList> out;
    std::set<std::string> taken;  // upper case: a Windows folder tells no letter case apart
    for (const std::string& office : m.offices) {
        OfficeList list;
        list.office = office;
        for (int copy = 1; list.fileName.empty() || !taken.insert(upper(list.fileName)).second; ++copy)
            list.fileName = officeListFileName(office, m.context, copy);

        std::vector<DateDifference> dates;
        for (const DateDifference& d : m.dates)
            if (d.office == office) dates.push_back(d);
        std::vector<ExplainedLine> own;
        for (const ExplainedLine& line : m.lines)
            if (line.office == office) own.push_back(line);
        // Group numbers from 1 within the office, as explain prints it for the office alone.
        own = listedLines(own, false);
        list.dates = dates.size();
        list.rows = own.size();

        list.sheet = letterHeaded(m, office);
        list.sheet.sections.push_back(datesSection(m, dates));
        ExportSheet explained = explainedSheet(own, m.context);
        ExportSheet::Section rows{kOfficeRowsCaption, explained.headers, std::move(explained.rows)};
        rows.headers.push_back(kOfficeReplyHeading);
        for (ExportSheet::Row& row : rows.rows) row.cells.push_back({});
        list.sheet.widths.emplace_back(int(rows.headers.size()) + 1, kReplyWidth);
        list.sheet.sections.push_back(std::move(rows));
        list.sheet.legend = std::move(explained.legend);
        out.push_back(std::move(list));
    }
    return out;
}

std::string writeOfficeList(const OfficeList& list, const std::string& folder) {
    return writeExportSheetIn(list.sheet, folder, list.fileName);
}

ExportSheet officeListsSheet(const std::vector<OfficeList>& written, const ExportContext& context) {
    ExportSheet s;
    s.sheetName = kOfficeListsSheetName;
    s.title = kOfficeListsTitle;
    s.periodLine = periodLine(context);
    s.scopeLine = scopeLine(ScopeWording::Differing, Scope{context.configuredOffice});
    s.headers = officeListsHeaders();
    const auto cell = [](std::string text) {
        ExportSheet::Cell c;
        c.text = std::move(text);
        return c;
    };
    int serial = 1;
    for (const OfficeList& list : written)
        s.rows.push_back({serial++,
                          {cell(list.office), cell(std::to_string(list.dates)), cell(std::to_string(list.rows)),
                           cell(list.fileName)}});
    return s;
}

std::string writeOfficeListsSummary(const std::vector<OfficeList>& written, const ExportContext& context,
                                    const std::string& folder) {
    return writeExportSheetIn(officeListsSheet(written, context), folder, officeListsFileName(context));
}

}  // namespace vesk::compare
