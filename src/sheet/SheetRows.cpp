#include "sheet/SheetRows.h"

#include <algorithm>

#include "core/Error.h"
#include "sheet/StoredSheet.h"

namespace vesk::sheet {

Cell RowCells::cell(int column) const {
    if (column < 1 || column > columns()) return {};
    const Slot& s = m_slots[std::size_t(column)];
    switch (s.kind) {
        case Cell::Kind::Empty:
            return {};
        case Cell::Kind::Number:
            return Cell::makeNumber(s.number);
        case Cell::Kind::Text:
            return Cell::makeText(std::string(text(column)));
        case Cell::Kind::Boolean:
            return Cell::makeBoolean(s.boolean);
        case Cell::Kind::Date:
            return Cell::makeDate(
                DateTime{s.date.year, s.date.month, s.date.day, s.date.hour, s.date.minute, s.date.second});
        case Cell::Kind::Error:
            return Cell::makeError(std::string(text(column)));
    }
    return {};
}

std::string_view RowCells::text(int column) const {
    if (column < 1 || column > columns()) return {};
    const Slot& s = m_slots[std::size_t(column)];
    if (s.kind != Cell::Kind::Text && s.kind != Cell::Kind::Error) return {};
    if (s.shared) return m_shared->at(s.index);
    return std::string_view(m_text).substr(s.span.offset, s.span.length);
}

RowBuilder::RowBuilder(RowSink& sink, int lastColumn, const StringPool* sharedStrings)
    : m_sink(sink), m_lastColumn(std::clamp(lastColumn, 1, StoredSheet::kMaxColumns)) {
    m_cells.m_slots.resize(std::size_t(m_lastColumn) + 1);
    m_cells.m_shared = sharedStrings;
}

void RowBuilder::flush() {
    if (m_touched.empty()) return;
    m_sink.row(m_row, m_cells);
    for (int column : m_touched) m_cells.m_slots[std::size_t(column)] = RowCells::Slot();
    m_touched.clear();
    m_cells.m_text.clear();
    m_garbage = 0;
}

// The slot of a kept cell, or nullptr for one right of the last column.
RowCells::Slot* RowBuilder::slot(int row, int column) {
    if (column > m_lastColumn) return nullptr;
    if (row != m_row) {
        if (row < m_row) throw RowsOutOfOrder{};
        flush();
        m_row = row;
    }
    RowCells::Slot& s = m_cells.m_slots[std::size_t(column)];
    if (s.kind == Cell::Kind::Empty) {
        m_touched.push_back(column);
    } else if (!s.shared && (s.kind == Cell::Kind::Text || s.kind == Cell::Kind::Error)) {
        // A cell written again: its old text goes at once when it was the last one written.
        if (std::size_t(s.span.offset) + s.span.length == m_cells.m_text.size())
            m_cells.m_text.resize(s.span.offset);
        else
            m_garbage += s.span.length;
    }
    s = RowCells::Slot();
    return &s;
}

void RowBuilder::setOwnText(RowCells::Slot* s, Cell::Kind kind, std::string_view text) {
    std::string& buffer = m_cells.m_text;
    // Texts written over in another order pile up; a row that keeps doing so is compacted
    // once they outweigh the live ones.
    if (m_garbage > (std::size_t(1) << 20) && m_garbage > buffer.size() / 2) {
        std::string kept;
        kept.reserve(buffer.size() - m_garbage);
        for (int column : m_touched) {
            RowCells::Slot& other = m_cells.m_slots[std::size_t(column)];
            if (other.shared || (other.kind != Cell::Kind::Text && other.kind != Cell::Kind::Error)) continue;
            const auto at = other.span.length == 0 ? 0 : std::uint32_t(kept.size());
            kept.append(buffer, other.span.offset, other.span.length);
            other.span.offset = at;
        }
        buffer = std::move(kept);
        m_garbage = 0;
    }
    s->kind = kind;
    // An empty text takes no place at the end of the buffer: dropping the text before it may
    // cut the buffer back, and an empty span past its end could no longer be read.
    if (text.empty()) {
        s->span = {0, 0};
        return;
    }
    if (buffer.size() + text.size() > UINT32_MAX)
        throw Error(errc::kWorkbook, "A sheet holds more text in one row than this program can read");
    s->span.offset = std::uint32_t(buffer.size());
    s->span.length = std::uint32_t(text.size());
    buffer.append(text);
}

void RowBuilder::setNumber(int row, int column, double v) {
    if (RowCells::Slot* s = slot(row, column)) {
        s->kind = Cell::Kind::Number;
        s->number = v;
    }
}

void RowBuilder::setSharedText(int row, int column, std::uint32_t index) {
    if (RowCells::Slot* s = slot(row, column)) {
        s->kind = Cell::Kind::Text;
        s->shared = true;
        s->index = index;
    }
}

void RowBuilder::setText(int row, int column, std::string_view v) {
    if (RowCells::Slot* s = slot(row, column)) setOwnText(s, Cell::Kind::Text, v);
}

void RowBuilder::setBoolean(int row, int column, bool v) {
    if (RowCells::Slot* s = slot(row, column)) {
        s->kind = Cell::Kind::Boolean;
        s->boolean = v;
    }
}

void RowBuilder::setDate(int row, int column, const DateTime& v) {
    if (RowCells::Slot* s = slot(row, column)) {
        s->kind = Cell::Kind::Date;
        s->date = {std::int16_t(v.year), std::uint8_t(v.month),  std::uint8_t(v.day),
                   std::uint8_t(v.hour), std::uint8_t(v.minute), std::uint8_t(v.second)};
    }
}

void RowBuilder::setError(int row, int column, std::string_view code) {
    if (RowCells::Slot* s = slot(row, column)) setOwnText(s, Cell::Kind::Error, code);
}

}  // namespace vesk::sheet
