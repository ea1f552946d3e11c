#include "compare/ExplanationWorkbook.h"

#include <algorithm>
#include <filesystem>

namespace vesk::compare {

namespace {

constexpr std::array<PairClass, 7> kClasses = {PairClass::BankOnly, PairClass::OrvOnly, PairClass::AmountDiffers,
                                               PairClass::Timing,   PairClass::Group,   PairClass::Matched,
                                               PairClass::Manual};

// A name the file systems of both platforms accept.
std::string fileNamePart(const std::string& name) {
    std::string out;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        const bool bad = u < 32 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
                         c == '>' || c == '|';
        out += bad ? '_' : c;
    }
    return out;
}

bool oneOffice(const ExportContext& c) { return c.office && *c.office != "All"; }

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
    }
    return palette::kMatched;
}

const char* pairClassMeaning(PairClass c) {
    switch (c) {
        case PairClass::Matched:
            return "matched: the same amount on the same date on both sides";
        case PairClass::Group:
            return "group: one entry on one side for several rows of the same date on the other";
        case PairClass::Timing:
            return "timing: the same amount booked 1 to 3 days apart";
        case PairClass::AmountDiffers:
            return "amount-differs: the only bank row and the only ORV entry of a date, with different amounts";
        case PairClass::BankOnly:
            return "bank-only: a bank row that ORV has no entry for";
        case PairClass::OrvOnly:
            return "orv-only: an ORV entry that the bank has no row for";
        case PairClass::Manual:
            return "manual: paired by hand with the rows of its hand pair";
    }
    return "";
}

ExportSheet explainedSheet(const std::vector<ExplainedLine>& lines, const ExportContext& c) {
    ExportSheet s;
    s.sheetName = "Explained";
    s.title = "VESK - ORV Comparison - Explained Differences";
    s.periodLine = "Period : " + c.month + " " + c.year;
    if (oneOffice(c))
        s.periodLine += "  |  Office: " + *c.office;
    else
        s.scopeLine = c.configuredOffice.empty() ? std::string("Differing offices of the division")
                                                 : "Differing offices under " + c.configuredOffice;
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
    // Rows paired by hand are a class of their own, in the legend when the sheet shows one.
    const bool manual =
        std::any_of(lines.begin(), lines.end(), [](const ExplainedLine& l) { return l.cls == PairClass::Manual; });
    for (PairClass cls : kClasses)
        if (cls != PairClass::Manual || manual) s.legend.emplace_back(pairClassMeaning(cls), pairClassColour(cls));
    return s;
}

std::string explainedFileName(const ExportContext& c) {
    std::string name = c.month + "_" + c.year + "_Explained";
    if (oneOffice(c)) name += "_" + fileNamePart(*c.office);
    return name + ".xlsx";
}

std::string writeExplainedWorkbook(const std::vector<ExplainedLine>& lines, const ExportContext& context,
                                   const std::string& folder) {
    const std::string path = (std::filesystem::path(createdFolder(folder)) / explainedFileName(context)).string();
    writeExportSheet(explainedSheet(lines, context), path);
    return path;
}

}  // namespace vesk::compare
