#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sheet/Workbook.h"

namespace vesk::sheet {

// A sheet held in memory in 16 bytes a cell: text lives once in a string pool (the
// workbook's shared strings are shared, not copied) and is turned into Cell on reading.
class StoredSheet final : public Sheet {
  public:
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;

    StoredSheet(std::string name, std::shared_ptr<const std::vector<std::string>> sharedStrings);

    std::string name() const override { return m_name; }
    Cell cell(int row, int column) const override;
    int lastRow(int column) const override;
    int usedRows() const override;
    int usedColumns() const override;
    Block block(int firstRow, int firstColumn, int lastRow, int lastColumn) const override;

    // Builders; rows and columns from 1, inside kMaxRows x kMaxColumns (the readers check).
    void setNumber(int row, int column, double v);
    void setSharedText(int row, int column, std::uint32_t index);  // index already checked
    void setText(int row, int column, std::string v);
    void setBoolean(int row, int column, bool v);
    void setDate(int row, int column, const DateTime& v);
    void setError(int row, int column, std::string code);
    void clear(int row, int column);

  private:
    enum class Tag : std::uint8_t { Empty, Number, SharedText, OwnText, Boolean, Date, Error };
    struct PackedDate {
        std::int16_t year;
        std::uint8_t month, day, hour, minute, second;
    };
    struct Slot {
        Tag tag = Tag::Empty;
        bool boolean = false;
        union {
            double number;
            std::uint32_t text;
            PackedDate date;
        };
        Slot() : number(0) {}
    };

    Slot& slot(int row, int column);
    const Slot* find(int row, int column) const;
    Cell toCell(const Slot& s) const;
    std::uint32_t own(std::string v);

    std::string m_name;
    std::shared_ptr<const std::vector<std::string>> m_shared;
    std::vector<std::string> m_own;
    std::vector<std::vector<Slot>> m_rows;  // [row - 1][column - 1]
    std::size_t m_widest = 0;
};

}  // namespace vesk::sheet
