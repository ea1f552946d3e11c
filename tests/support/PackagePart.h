#pragma once

#include <string>

namespace vesk::test {

/// One part of a written .xlsx package, as text ("xl/styles.xml").
std::string packagePart(const std::string& path, const std::string& part);

/// How a cell of the first sheet looks, read from the package's styles.
struct CellLook {
    std::string fill;       ///< "FFFF0000"; empty when not filled
    std::string fontColor;  ///< empty when automatic
    bool bold = false;
    bool border = false;
    std::string numberFormat;  ///< custom format code; empty for a built-in one
};
CellLook cellLook(const std::string& path, const std::string& ref);

}  // namespace vesk::test
