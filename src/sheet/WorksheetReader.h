#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "sheet/CellSink.h"
#include "sheet/XmlParser.h"
#include "sheet/XmlText.h"

namespace vesk::sheet {

/// One attribute of an element as a parser hands it over: the name as written (prefix
/// included), the value with its references replaced.
struct XmlAttribute {
    std::string_view name;
    std::string_view value;
};
using XmlAttributes = std::span<const XmlAttribute>;

/// The value of the first attribute with this name, its prefix ignored.
std::optional<std::string_view> attributeValue(XmlAttributes attributes, std::string_view name);

/// What a worksheet's cells need from the rest of the workbook, and the words that name
/// the sheet in messages ("The sheet 'CTR' of 'file.xlsx'").
struct WorksheetContext {
    const std::vector<bool>* dateStyles = nullptr;  ///< by cell style index: a date format
    std::size_t sharedStrings = 0;                  ///< how many the workbook holds
    bool date1904 = false;
    std::string where;
};

/// What the elements of a worksheet part mean: rows, cells and their values, put into a
/// sink. Both XML readers drive it, so both read a sheet alike. Names come without their
/// prefix. A cell that cannot be read throws Error (errc::kWorkbook) naming it.
class WorksheetReader {
  public:
    WorksheetReader(CellSink& sink, const WorksheetContext& context);

    void startElement(std::string_view name, XmlAttributes attributes);
    void endElement(std::string_view name);
    void characters(std::string_view text);

  private:
    enum class Type { Number, Shared, Inline, Formula, Boolean, Error, Date, Unknown };

    Error bad(const std::string& what) const;
    std::string reference() const;
    void startRow(XmlAttributes attributes);
    void startCell(XmlAttributes attributes);
    void endCell();
    void setNumber(int row, int column);

    CellSink& m_sink;
    const WorksheetContext& m_context;

    bool m_inData = false;
    bool m_inCell = false;
    bool m_inValue = false;
    bool m_inInline = false;
    int m_row = 0;
    int m_column = 0;
    int m_style = -1;
    Type m_type = Type::Number;
    std::string m_unknownType;  // the type attribute, for the message when it is none we know
    std::string m_value;
    StringCollector m_inline;
};

/// The general XML parser's events, handed to a worksheet's reader.
class WorksheetHandler : public XmlHandler {
  public:
    explicit WorksheetHandler(WorksheetReader& reader) : m_reader(reader) {}

    void startElement(std::string_view name, const char** attributes) override;
    void endElement(std::string_view name) override { m_reader.endElement(name); }
    void characters(std::string_view text) override { m_reader.characters(text); }

  private:
    WorksheetReader& m_reader;
    std::vector<XmlAttribute> m_attributes;
};

/// Reads a whole worksheet part held in memory through the general XML parser, whose
/// messages name it as the context's `where` does; throws Error. With scanWorksheet() (see
/// WorksheetScanner.h) the pair that tests and fuzz targets compare.
void parseWorksheet(std::string_view xml, WorksheetReader& reader, const WorksheetContext& context);

}  // namespace vesk::sheet
