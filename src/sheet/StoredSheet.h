#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/CellSink.h"
#include "sheet/Workbook.h"

namespace vesk::sheet {

// Strings held back to back in one buffer: 8 bytes of bookkeeping a string, not a
// std::string each. The shared strings of a workbook live in one of these.
class StringPool {
  public:
    StringPool() = default;
    explicit StringPool(const std::vector<std::string>& strings);

    std::size_t size() const { return m_spans.size(); }
    std::string_view at(std::size_t index) const;
    void add(std::string_view text);

  private:
    std::string m_bytes;
    std::vector<std::uint64_t> m_spans;  // offset << 24 | length (a cell holds at most 32,767 characters)
};

// A sheet held in memory in 16 bytes a non-empty cell, in row and column order; empty
// rows and cells take nothing, so memory follows the content, not the sheet's extent.
// Text lives once in a buffer (the workbook's shared strings are shared, not copied).
// A cell written again replaces the earlier value, which does not stay in memory.
class StoredSheet final : public Sheet, public CellSink {
  public:
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;

    // Cells right of lastColumn are not kept (an import reads only the columns it stores).
    StoredSheet(std::string name, std::shared_ptr<const StringPool> sharedStrings, int lastColumn = kMaxColumns);

    std::string name() const override { return m_name; }
    Cell cell(int row, int column) const override;
    int lastRow(int column) const override;
    int usedRows() const override;
    int usedColumns() const override;
    Block block(int firstRow, int firstColumn, int lastRow, int lastColumn) const override;

    // Builders; rows and columns from 1, inside kMaxRows x kMaxColumns (the readers check).
    void setNumber(int row, int column, double v) override;
    void setSharedText(int row, int column, std::uint32_t index) override;  // index already checked
    void setText(int row, int column, std::string_view v) override;
    void setBoolean(int row, int column, bool v) override;
    void setDate(int row, int column, const DateTime& v) override;
    void setError(int row, int column, std::string_view code) override;
    void clear(int row, int column);

    // Memory the cells and their text take (shared strings not counted).
    std::size_t heldBytes() const;

  private:
    class Store;
    std::string m_name;
    int m_lastColumn;
    std::shared_ptr<Store> m_store;  // shared with the blocks handed out
};

}  // namespace vesk::sheet
