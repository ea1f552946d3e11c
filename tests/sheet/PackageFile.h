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
    std::string extraWorkbookXml;  // inside <workbook>, before <sheets>
    bool withStyles = false;       // style 1 is a date (dd/mm/yyyy)
};
void writeSheetPackage(const std::string& path, const SheetPackage& p);

// The first `size` bytes of a file copied to another.
void copyPrefix(const std::string& from, const std::string& to, std::size_t size);
std::size_t fileSize(const std::string& path);

}  // namespace vesk::test
