#include "compare/ExplanationWorkbook.h"

#include <algorithm>

#include "core/Platform.h"

namespace vesk::compare {

namespace {

constexpr std::array<PairClass, 8> kClasses = {PairClass::BankOnly, PairClass::OrvOnly,    PairClass::AmountDiffers,
                                               PairClass::Timing,   PairClass::Group,      PairClass::Matched,
                                               PairClass::Manual,   PairClass::OtherOffice};

}  // namespace

Rgb pairClassColour(PairClass c) {
    switch (c) {
        case PairClass::Matched:
            return palette::kMatched;
        case PairClass::Group:
            return palette::kGroup;
        case PairClass::Timing:
            return palette::kTiming;
        case PairClass::AmountDiffers:
            return palette::kAmountDiffers;
        case PairClass::BankOnly:
            return palette::kBankOnly;
        case PairClass::OrvOnly:
            return palette::kOrvOnly;
        case PairClass::Manual:
            return palette::kManual;
        case PairClass::OtherOffice:
            return palette::kOtherOffice;
    }
    return palette::kMatched;
}

ExportSheet explainedSheet(const std::vector<ExplainedLine>& lines, const ExportContext& c) {
    ExportSheet s;
    s.sheetName = kExplainedSheetName;
    s.title = kExplainedTitle;
    if (namesOneOffice(c)) {
        s.periodLine = periodLine(c, c.office);
    } else {
        s.periodLine = periodLine(c);
        s.scopeLine = scopeLine(ScopeWording::Differing, Scope{c.configuredOffice});
    }
    s.headers = explainHeaders();
    int serial = 1;
    for (const ExplainedLine& line : lines) {
        ExportSheet::Row row;
        row.serial = serial++;
        for (std::string& text : explainCells(line)) {
            ExportSheet::Cell cell;
            cell.text = std::move(text);
            cell.fill = pairClassColour(line.cls);
            row.cells.push_back(std::move(cell));
        }
        s.rows.push_back(std::move(row));
    }
    // Rows paired by hand, or with another office's, are classes of their own, in the legend when
    // the sheet shows one.
    const auto shows = [&](PairClass cls) {
        return std::any_of(lines.begin(), lines.end(), [cls](const ExplainedLine& l) { return l.cls == cls; });
    };
    for (PairClass cls : kClasses)
        if ((cls != PairClass::Manual && cls != PairClass::OtherOffice) || shows(cls))
            s.legend.emplace_back(pairClassMeaning(cls, c.rules), pairClassColour(cls));
    return s;
}

std::string writeExplainedWorkbook(const std::vector<ExplainedLine>& lines, const ExportContext& context,
                                   const std::string& folder) {
    return writeExportSheetIn(explainedSheet(lines, context), folder, explainedFileName(context));
}

}  // namespace vesk::compare
