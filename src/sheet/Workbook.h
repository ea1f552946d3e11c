#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Text.h"
#include "sheet/Cell.h"

namespace vesk::sheet {

/// A rectangular block of cells, row first, both indexes from 0.
class Block {
  public:
    Block() = default;
    Block(int rows, int columns) : m_rows(rows), m_columns(columns), m_cells(std::size_t(rows) * columns) {}

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    const Cell& at(int row, int column) const { return m_cells[std::size_t(row) * m_columns + column]; }
    Cell& at(int row, int column) { return m_cells[std::size_t(row) * m_columns + column]; }

  private:
    int m_rows = 0;
    int m_columns = 0;
    std::vector<Cell> m_cells;
};

/// One worksheet, fully read. Rows and columns count from 1, as in the workbook.
class Sheet {
  public:
    virtual ~Sheet() = default;

    virtual std::string name() const = 0;
    /// The cell at (row, column); an empty cell outside the used area. Numbers in a date or
    /// time format come as Date (a bare time on 1899-12-30); error values as Kind::Error.
    virtual Cell cell(int row, int column) const = 0;
    /// The row of the last non-empty cell of the column; 0 when the column is empty.
    virtual int lastRow(int column) const = 0;
    /// The lowest row and the rightmost column holding a non-empty cell; 0 and 0 for an empty sheet.
    virtual int usedRows() const = 0;
    virtual int usedColumns() const = 0;
    /// The cells of rows firstRow..lastRow and columns firstColumn..lastColumn in one block.
    virtual Block block(int firstRow, int firstColumn, int lastRow, int lastColumn) const = 0;
};

/// An open workbook (.xlsx or .xls). Closing it never writes to the file.
class Workbook {
  public:
    virtual ~Workbook() = default;

    /// Opens by the file's content (zip package or compound document), not by its name.
    /// A missing file throws Error errc::kFileNotFound; unreadable, encrypted, password
    /// protected, corrupt or non-workbook files throw Error errc::kWorkbook. A damaged
    /// sheet throws when it is read, never yields an empty or partial sheet.
    static std::unique_ptr<Workbook> open(const std::string& path);

    virtual int sheetCount() const = 0;
    /// 0-based index of the sheet that was active when the file was saved (0 when the
    /// file does not say, or names a sheet that is not a worksheet).
    virtual int activeSheetIndex() const = 0;
    /// Reads the sheet at a 0-based index.
    virtual std::unique_ptr<Sheet> sheet(int index) const = 0;

    std::unique_ptr<Sheet> firstSheet() const { return sheet(0); }
    std::unique_ptr<Sheet> activeSheet() const { return sheet(activeSheetIndex()); }
};

/// Column number of a letter address ("A" 1, "K" 11, "CE" 83); 0 when not letters.
int columnNumber(const std::string& letters);
using vesk::columnLetters;

}  // namespace vesk::sheet
