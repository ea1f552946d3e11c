#pragma once

#include <cstdint>
#include <string_view>

#include "core/DateTime.h"

namespace vesk::sheet {

/// Where a reader puts the cells it finds, in the order the file holds them. Rows and
/// columns count from 1 and lie inside the sheet's limits (the readers check). A cell
/// written again replaces the earlier value.
class CellSink {
  public:
    virtual ~CellSink() = default;
    virtual void setNumber(int row, int column, double v) = 0;
    /// A shared string by its index, already checked against the workbook's strings.
    virtual void setSharedText(int row, int column, std::uint32_t index) = 0;
    virtual void setText(int row, int column, std::string_view v) = 0;
    virtual void setBoolean(int row, int column, bool v) = 0;
    virtual void setDate(int row, int column, const DateTime& v) = 0;
    virtual void setError(int row, int column, std::string_view code) = 0;
};

}  // namespace vesk::sheet
