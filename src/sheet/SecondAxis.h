#pragma once

#include <cstddef>
#include <string>

namespace vesk::sheet {

/// A column chart's part (xl/charts/chartN.xml) with its series after the first
/// `columnSeries` moved into a line chart on the same categories, read against a second value
/// axis at the right named `axisName`: what the spreadsheet program writes for a combined
/// chart. Throws Error (errc::kWorkbook) when the part is no column chart of that many series.
std::string withLinesOnSecondAxis(const std::string& chartXml, std::size_t columnSeries, const std::string& axisName);

/// Replaces one part of a zip package, leaving the others as they are. Throws Error.
void replacePackagePart(const std::string& path, const std::string& part, const std::string& text);

}  // namespace vesk::sheet
