#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vesk::test {

/// A cell of a hand-made workbook: text (inline string), number, or an error value.
struct RawCell {
    enum class Kind { Empty, Text, Number, Error } kind = Kind::Empty;
    std::string value;

    RawCell() = default;
    RawCell(const char* text) : kind(Kind::Text), value(text) {}
    RawCell(std::string text) : kind(Kind::Text), value(std::move(text)) {}
    static RawCell number(const std::string& v) { return {Kind::Number, v}; }
    static RawCell error(const std::string& code) { return {Kind::Error, code}; }

  private:
    RawCell(Kind k, std::string v) : kind(k), value(std::move(v)) {}
};

/// Writes a zip package with exactly these entries, for packages no real writer makes.
void writePackage(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries);

/// Writes a minimal one-sheet .xlsx package by hand, for the cells a real writer would
/// not produce (error values). Rows count from 1 in the order given. `edit`, when given,
/// changes the sheet's XML before it is packed, for shapes no writer makes.
void writeRawXlsx(const std::string& path, const std::vector<std::vector<RawCell>>& rows,
                  const std::function<std::string(std::string sheetXml)>& edit = {});

}  // namespace vesk::test
