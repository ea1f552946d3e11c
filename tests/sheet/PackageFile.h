#pragma once

#include <string>

#include "support/RawXlsx.h"

namespace vesk::test {

// A one-sheet package around the given <sheetData> content, with one shared string ("shared").
// Targets and the workbook part can be changed to test how parts are found.
struct SheetPackage {
    std::string sheetData;
    std::string sheetTarget = "worksheets/sheet1.xml";
    std::string sheetPart = "xl/worksheets/sheet1.xml";
    std::string extraWorkbookXml{};  // inside <workbook>, before <sheets>
    bool withStyles = false;         // style 1 is a date (dd/mm/yyyy)
};
void writeSheetPackage(const std::string& path, const SheetPackage& p);

// The first share of a file's bytes copied to another: a file cut short, or (1) a copy.
void copyPrefix(const std::string& from, const std::string& to, double share = 1);

}  // namespace vesk::test
