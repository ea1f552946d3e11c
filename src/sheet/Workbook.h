#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Text.h"
#include "sheet/Cell.h"

namespace vesk::sheet {

/// What a block reads its cells from.
class CellSource {
  public:
    virtual ~CellSource() = default;
    virtual Cell cell(int row, int column) const = 0;
};

/// A rectangular block of cells, row first, both indexes from 0. A view of the sheet's
/// own storage: it costs nothing by its size, and stays valid after the sheet is gone.
class Block {
  public:
    Block() = default;
    Block(std::shared_ptr<const CellSource> cells, int firstRow, int firstColumn, int rows, int columns)
        : m_cells(std::move(cells)),
          m_firstRow(firstRow),
          m_firstColumn(firstColumn),
          m_rows(rows),
          m_columns(columns) {}

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    Cell at(int row, int column) const {
        if (!m_cells || row < 0 || column < 0 || row >= m_rows || column >= m_columns) return {};
        return m_cells->cell(m_firstRow + row, m_firstColumn + column);
    }

  private:
    std::shared_ptr<const CellSource> m_cells;
    int m_firstRow = 1;
    int m_firstColumn = 1;
    int m_rows = 0;
    int m_columns = 0;
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
    /// The cells of rows firstRow..lastRow and columns firstColumn..lastColumn, as a view of
    /// the sheet (it copies nothing, whatever its size).
    virtual Block block(int firstRow, int firstColumn, int lastRow, int lastColumn) const = 0;
};

class RowSink;

/// An open workbook (.xlsx or .xls). Closing it never writes to the file.
class Workbook {
  public:
    virtual ~Workbook() = default;

    /// Opens by the file's content (zip package or compound document), not by its name.
    /// A missing file throws Error errc::kFileNotFound; unreadable, encrypted, password
    /// protected, corrupt or non-workbook files throw Error errc::kWorkbook. A damaged
    /// sheet throws when it is read, never yields an empty or partial sheet.
    static std::unique_ptr<Workbook> open(const std::string& path);
    /// The same for a workbook held in memory; `name` stands for the file in messages.
    static std::unique_ptr<Workbook> fromBytes(const std::string& name, std::string bytes);
    /// The same for a workbook whose bytes were read already and are kept for something else
    /// too (an import hashes them; see readFileBytes).
    static std::unique_ptr<Workbook> fromBytes(const std::string& name, std::shared_ptr<const std::string> bytes);

    virtual int sheetCount() const = 0;
    /// 0-based index of the sheet that was active when the file was saved (0 when the
    /// file does not say, or names a sheet that is not a worksheet).
    virtual int activeSheetIndex() const = 0;
    /// Reads the sheet at a 0-based index, keeping only columns 1..lastColumn (an import
    /// reads the columns it stores; the others are checked but not held).
    std::unique_ptr<Sheet> sheet(int index, int lastColumn = kLastColumn) const { return readSheet(index, lastColumn); }

    std::unique_ptr<Sheet> firstSheet(int lastColumn = kLastColumn) const { return sheet(0, lastColumn); }
    /// Hands the rows of the sheet at a 0-based index to the sink one by one as they are
    /// read, keeping only columns 1..lastColumn, without holding the sheet. False when the
    /// sheet cannot be read that way (a row written after a later one, markup only the
    /// general XML parser reads): what the sink was handed then counts for nothing, and
    /// sheet() reads it whole. A damaged sheet throws Error as sheet() does.
    bool streamSheet(int index, int lastColumn, RowSink& sink) const { return streamRows(index, lastColumn, sink); }
    std::unique_ptr<Sheet> activeSheet(int lastColumn = kLastColumn) const {
        return sheet(activeSheetIndex(), lastColumn);
    }

    static constexpr int kLastColumn = 16384;
    /// Unpacked bytes a workbook may hold (all parts of a package read together, or the
    /// compound document of an .xls); more is refused, whatever it would inflate to.
    static constexpr std::uint64_t kMaxUnpackedBytes = std::uint64_t(2) << 30;

  protected:
    virtual std::unique_ptr<Sheet> readSheet(int index, int lastColumn) const = 0;
    virtual bool streamRows(int index, int lastColumn, RowSink& sink) const = 0;
};

/// The bytes of a workbook file, read in one go, for a caller that also needs them for
/// something else (an import hashes them); nullptr for a file larger than maxBytes, which
/// is better opened by its path. A missing or unreadable file throws Error as
/// Workbook::open(path) does; Workbook::fromBytes(path, bytes) then opens it as open(path) would.
std::shared_ptr<const std::string> readFileBytes(const std::string& path, std::uint64_t maxBytes);

/// Column number of a letter address ("A" 1, "K" 11, "CE" 83); 0 when not letters.
int columnNumber(const std::string& letters);
using vesk::columnLetters;

}  // namespace vesk::sheet
