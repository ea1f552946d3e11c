#include "sheet/StoredSheet.h"

#include <algorithm>

#include "core/Error.h"

namespace vesk::sheet {

StoredSheet::StoredSheet(std::string name, std::shared_ptr<const std::vector<std::string>> sharedStrings)
    : m_name(std::move(name)), m_shared(std::move(sharedStrings)) {}

StoredSheet::Slot& StoredSheet::slot(int row, int column) {
    if (std::size_t(row) > m_rows.size()) m_rows.resize(std::size_t(row));
    auto& cells = m_rows[std::size_t(row) - 1];
    if (std::size_t(column) > cells.size()) {
        // Rows of a sheet tend to be alike: size a new row like the widest so far, not cell by cell.
        if (cells.capacity() == 0) cells.reserve(std::max(std::size_t(column), m_widest));
        cells.resize(std::size_t(column));
        m_widest = std::max(m_widest, cells.size());
    }
    return cells[std::size_t(column) - 1];
}

const StoredSheet::Slot* StoredSheet::find(int row, int column) const {
    if (row < 1 || column < 1 || std::size_t(row) > m_rows.size()) return nullptr;
    const auto& cells = m_rows[std::size_t(row) - 1];
    if (std::size_t(column) > cells.size()) return nullptr;
    return &cells[std::size_t(column) - 1];
}

std::uint32_t StoredSheet::own(std::string v) {
    m_own.push_back(std::move(v));
    return std::uint32_t(m_own.size() - 1);
}

void StoredSheet::setNumber(int row, int column, double v) {
    Slot& s = slot(row, column);
    s.tag = Tag::Number;
    s.number = v;
}

void StoredSheet::setSharedText(int row, int column, std::uint32_t index) {
    Slot& s = slot(row, column);
    s.tag = Tag::SharedText;
    s.text = index;
}

void StoredSheet::setText(int row, int column, std::string v) {
    const std::uint32_t index = own(std::move(v));
    Slot& s = slot(row, column);
    s.tag = Tag::OwnText;
    s.text = index;
}

void StoredSheet::setBoolean(int row, int column, bool v) {
    Slot& s = slot(row, column);
    s.tag = Tag::Boolean;
    s.boolean = v;
}

void StoredSheet::setDate(int row, int column, const DateTime& v) {
    Slot& s = slot(row, column);
    s.tag = Tag::Date;
    s.date = PackedDate{std::int16_t(v.year), std::uint8_t(v.month),  std::uint8_t(v.day),
                        std::uint8_t(v.hour), std::uint8_t(v.minute), std::uint8_t(v.second)};
}

void StoredSheet::setError(int row, int column, std::string code) {
    const std::uint32_t index = own(std::move(code));
    Slot& s = slot(row, column);
    s.tag = Tag::Error;
    s.text = index;
}

void StoredSheet::clear(int row, int column) {
    if (find(row, column)) slot(row, column) = Slot();
}

Cell StoredSheet::toCell(const Slot& s) const {
    switch (s.tag) {
        case Tag::Empty:
            return {};
        case Tag::Number:
            return Cell::makeNumber(s.number);
        case Tag::SharedText:
            return Cell::makeText((*m_shared)[s.text]);
        case Tag::OwnText:
            return Cell::makeText(m_own[s.text]);
        case Tag::Boolean:
            return Cell::makeBoolean(s.boolean);
        case Tag::Date:
            return Cell::makeDate(
                DateTime{s.date.year, s.date.month, s.date.day, s.date.hour, s.date.minute, s.date.second});
        case Tag::Error:
            return Cell::makeError(m_own[s.text]);
    }
    return {};
}

Cell StoredSheet::cell(int row, int column) const {
    const Slot* s = find(row, column);
    return s ? toCell(*s) : Cell{};
}

int StoredSheet::lastRow(int column) const {
    if (column < 1) return 0;
    for (std::size_t r = m_rows.size(); r > 0; --r) {
        const auto& cells = m_rows[r - 1];
        if (std::size_t(column) <= cells.size() && cells[std::size_t(column) - 1].tag != Tag::Empty) return int(r);
    }
    return 0;
}

int StoredSheet::usedRows() const {
    for (std::size_t r = m_rows.size(); r > 0; --r)
        for (const Slot& s : m_rows[r - 1])
            if (s.tag != Tag::Empty) return int(r);
    return 0;
}

int StoredSheet::usedColumns() const {
    std::size_t widest = 0;
    for (const auto& cells : m_rows)
        for (std::size_t c = cells.size(); c > widest; --c)
            if (cells[c - 1].tag != Tag::Empty) {
                widest = c;
                break;
            }
    return int(widest);
}

Block StoredSheet::block(int firstRow, int firstColumn, int lastRowIndex, int lastColumn) const {
    if (firstRow < 1 || firstColumn < 1 || lastRowIndex < firstRow || lastColumn < firstColumn ||
        lastRowIndex > kMaxRows || lastColumn > kMaxColumns)
        throw Error(errc::kUsage, "Invalid cell range R" + std::to_string(firstRow) + "C" +
                                      std::to_string(firstColumn) + ":R" + std::to_string(lastRowIndex) + "C" +
                                      std::to_string(lastColumn));
    Block out(lastRowIndex - firstRow + 1, lastColumn - firstColumn + 1);
    const int storedLast = std::min(lastRowIndex, int(m_rows.size()));
    for (int r = firstRow; r <= storedLast; ++r) {
        const auto& cells = m_rows[std::size_t(r) - 1];
        const int columnEnd = std::min(lastColumn, int(cells.size()));
        for (int c = firstColumn; c <= columnEnd; ++c) {
            const Slot& s = cells[std::size_t(c) - 1];
            if (s.tag != Tag::Empty) out.at(r - firstRow, c - firstColumn) = toCell(s);
        }
    }
    return out;
}

}  // namespace vesk::sheet
