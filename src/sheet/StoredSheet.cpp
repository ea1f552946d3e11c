#include "sheet/StoredSheet.h"

#include <algorithm>
#include <limits>

#include "core/Error.h"

namespace vesk::sheet {

StringPool::StringPool(const std::vector<std::string>& strings) {
    for (const auto& s : strings) add(s);
}

std::string_view StringPool::at(std::size_t index) const {
    const std::uint64_t span = m_spans[index];
    return std::string_view(m_bytes).substr(std::size_t(span >> 24), std::size_t(span & 0xFFFFFF));
}

void StringPool::add(std::string_view text) {
    if (text.size() > 0xFFFFFF) throw Error(errc::kWorkbook, "A shared string is longer than a cell can hold");
    m_spans.push_back(std::uint64_t(m_bytes.size()) << 24 | text.size());
    m_bytes.append(text);
}

// The cells in one vector sorted by row and column, and the rows that hold any. Writers
// put cells in order, so appending keeps it sorted; a cell out of order is appended too
// and the vector sorted (later value wins) before the next read or once it has doubled.
class StoredSheet::Store final : public CellSource {
  public:
    enum class Tag : std::uint8_t { Empty, Number, SharedText, OwnText, Boolean, Date, Error };
    struct PackedDate {
        std::int16_t year;
        std::uint8_t month, day, hour, minute, second;
    };
    struct TextSpan {
        std::uint32_t offset, length;
    };
    struct Entry {
        std::uint32_t row = 0;
        std::uint16_t column = 0;
        Tag tag = Tag::Empty;
        bool boolean = false;
        union {
            double number;
            std::uint32_t shared;
            TextSpan text;
            PackedDate date;
        };
        Entry() : number(0) {}
        std::uint64_t key() const { return std::uint64_t(row) << 16 | column; }
        bool ownsText() const { return tag == Tag::OwnText || tag == Tag::Error; }
    };
    static_assert(sizeof(Entry) == 16);

    explicit Store(std::shared_ptr<const StringPool> shared) : m_shared(std::move(shared)) {}

    // A cell; text, for a cell that has its own, is copied in after any it replaces is dropped.
    void put(Entry e, std::string_view text = {}) {
        if (!m_rows.empty()) m_rows.clear();  // a write after a read: the row index is built again
        const bool replaces = !m_entries.empty() && m_entries.back().key() == e.key();
        if (replaces) drop(m_entries.back());
        if (e.ownsText()) e.text = ownText(text);
        if (replaces) {
            m_dirty |= e.tag == Tag::Empty;
            m_entries.back() = e;
            return;
        }
        if (!m_entries.empty() && m_entries.back().key() > e.key()) m_sorted = false;
        m_dirty |= !m_sorted || e.tag == Tag::Empty;
        m_entries.push_back(e);
        // Cells written out of order may replace one another: sort them out before they (or
        // the text they leave behind) pile up.
        if (!m_sorted && (m_entries.size() >= m_normalizeAt || m_text.size() >= m_textNormalizeAt)) normalize();
    }

    // An empty text takes no place at the end of the buffer: dropping the text before it may
    // cut the buffer back, and an empty span past its end could no longer be read.
    TextSpan ownText(std::string_view text) {
        if (text.empty()) return {0, 0};
        if (m_text.size() + text.size() > std::numeric_limits<std::uint32_t>::max())
            throw Error(errc::kWorkbook, "A sheet holds more text than this program can read");
        const TextSpan span{std::uint32_t(m_text.size()), std::uint32_t(text.size())};
        m_text.append(text);
        return span;
    }

    // Sorts, drops replaced and cleared cells, and compacts the text they left behind.
    void normalize() {
        if (m_dirty) {
            std::stable_sort(m_entries.begin(), m_entries.end(),
                             [](const Entry& a, const Entry& b) { return a.key() < b.key(); });
            std::size_t out = 0;
            for (std::size_t i = 0; i < m_entries.size(); ++i) {
                if (i + 1 < m_entries.size() && m_entries[i + 1].key() == m_entries[i].key()) {
                    drop(m_entries[i]);
                    continue;
                }
                if (m_entries[i].tag == Tag::Empty) continue;
                m_entries[out++] = m_entries[i];
            }
            m_entries.resize(out);
            m_entries.shrink_to_fit();
            m_sorted = true;
            m_dirty = false;
            m_normalizeAt = std::max<std::size_t>(std::size_t(1) << 20, 2 * m_entries.size());
            m_rows.clear();
        }
        m_textNormalizeAt = std::max<std::size_t>(std::size_t(16) << 20, 2 * (m_text.size() - m_garbage));
        if (m_garbage > (std::size_t(1) << 20) && m_garbage > m_text.size() / 2) {
            std::string kept;
            kept.reserve(m_text.size() - m_garbage);
            for (Entry& e : m_entries)
                if (e.ownsText()) {
                    const std::uint32_t at = e.text.length == 0 ? 0 : std::uint32_t(kept.size());
                    kept.append(m_text, e.text.offset, e.text.length);
                    e.text.offset = at;
                }
            m_text = std::move(kept);
            m_garbage = 0;
        }
        if (m_rows.empty() && !m_entries.empty()) {
            m_widest = 0;
            for (const Entry& e : m_entries) m_widest = std::max(m_widest, int(e.column));
            for (std::size_t i = 0; i < m_entries.size(); ++i)
                if (i == 0 || m_entries[i].row != m_entries[i - 1].row)
                    m_rows.push_back({m_entries[i].row, std::uint32_t(i)});
            m_rows.shrink_to_fit();
        }
    }

    Cell cell(int row, int column) const override {
        const Entry* e = find(row, column);
        return e ? toCell(*e) : Cell{};
    }

    const Entry* find(int row, int column) const {
        if (row < 1 || column < 1 || m_rows.empty()) return nullptr;
        // Reads go row by row: try the row read last and the one after before searching.
        std::size_t r = m_lastRow;
        if (!(r < m_rows.size() && m_rows[r].row == std::uint32_t(row))) {
            if (r + 1 < m_rows.size() && m_rows[r + 1].row == std::uint32_t(row)) {
                ++r;
            } else {
                const auto it = std::lower_bound(m_rows.begin(), m_rows.end(), std::uint32_t(row),
                                                 [](const RowStart& s, std::uint32_t v) { return s.row < v; });
                if (it == m_rows.end() || it->row != std::uint32_t(row)) return nullptr;
                r = std::size_t(it - m_rows.begin());
            }
            m_lastRow = r;
        }
        const auto first = m_entries.begin() + m_rows[r].begin;
        const auto last = r + 1 < m_rows.size() ? m_entries.begin() + m_rows[r + 1].begin : m_entries.end();
        const auto it = std::lower_bound(first, last, std::uint16_t(column),
                                         [](const Entry& e, std::uint16_t c) { return e.column < c; });
        return it != last && it->column == column ? &*it : nullptr;
    }

    Cell toCell(const Entry& e) const {
        switch (e.tag) {
            case Tag::Empty:
                return {};
            case Tag::Number:
                return Cell::makeNumber(e.number);
            case Tag::SharedText:
                return Cell::makeText(std::string(m_shared->at(e.shared)));
            case Tag::OwnText:
                return Cell::makeText(m_text.substr(e.text.offset, e.text.length));
            case Tag::Boolean:
                return Cell::makeBoolean(e.boolean);
            case Tag::Date:
                return Cell::makeDate(
                    DateTime{e.date.year, e.date.month, e.date.day, e.date.hour, e.date.minute, e.date.second});
            case Tag::Error:
                return Cell::makeError(m_text.substr(e.text.offset, e.text.length));
        }
        return {};
    }

    const std::vector<Entry>& entries() const { return m_entries; }
    int widest() const { return m_entries.empty() ? 0 : m_widest; }
    std::size_t heldBytes() const { return m_entries.capacity() * sizeof(Entry) + m_text.capacity(); }

  private:
    struct RowStart {
        std::uint32_t row, begin;
    };

    // Forgets the text of a replaced cell; a rewrite of the cell just written takes its place.
    void drop(const Entry& e) {
        if (!e.ownsText()) return;
        if (std::size_t(e.text.offset) + e.text.length == m_text.size())
            m_text.resize(e.text.offset);
        else
            m_garbage += e.text.length;
    }

    std::shared_ptr<const StringPool> m_shared;
    std::vector<Entry> m_entries;
    std::vector<RowStart> m_rows;  // built on normalizing
    std::string m_text;
    std::size_t m_garbage = 0;
    bool m_sorted = true;
    bool m_dirty = false;
    std::size_t m_normalizeAt = std::size_t(1) << 20;
    std::size_t m_textNormalizeAt = std::size_t(16) << 20;
    int m_widest = 0;  // the rightmost column holding a cell, found on normalizing
    mutable std::size_t m_lastRow = 0;
};

StoredSheet::StoredSheet(std::string name, std::shared_ptr<const StringPool> sharedStrings, int lastColumn)
    : m_name(std::move(name)),
      m_lastColumn(std::clamp(lastColumn, 1, kMaxColumns)),
      m_store(std::make_shared<Store>(std::move(sharedStrings))) {}

void StoredSheet::setNumber(int row, int column, double v) {
    if (column > m_lastColumn) return;
    Store::Entry e;
    e.row = std::uint32_t(row), e.column = std::uint16_t(column), e.tag = Store::Tag::Number, e.number = v;
    m_store->put(e);
}

void StoredSheet::setSharedText(int row, int column, std::uint32_t index) {
    if (column > m_lastColumn) return;
    Store::Entry e;
    e.row = std::uint32_t(row), e.column = std::uint16_t(column), e.tag = Store::Tag::SharedText, e.shared = index;
    m_store->put(e);
}

void StoredSheet::setText(int row, int column, std::string_view v) {
    if (column > m_lastColumn) return;
    Store::Entry e;
    e.row = std::uint32_t(row), e.column = std::uint16_t(column), e.tag = Store::Tag::OwnText;
    m_store->put(e, v);
}

void StoredSheet::setBoolean(int row, int column, bool v) {
    if (column > m_lastColumn) return;
    Store::Entry e;
    e.row = std::uint32_t(row), e.column = std::uint16_t(column), e.tag = Store::Tag::Boolean, e.boolean = v;
    m_store->put(e);
}

void StoredSheet::setDate(int row, int column, const DateTime& v) {
    if (column > m_lastColumn) return;
    Store::Entry e;
    e.row = std::uint32_t(row), e.column = std::uint16_t(column), e.tag = Store::Tag::Date;
    e.date = Store::PackedDate{std::int16_t(v.year), std::uint8_t(v.month),  std::uint8_t(v.day),
                               std::uint8_t(v.hour), std::uint8_t(v.minute), std::uint8_t(v.second)};
    m_store->put(e);
}

void StoredSheet::setError(int row, int column, std::string_view code) {
    if (column > m_lastColumn) return;
    Store::Entry e;
    e.row = std::uint32_t(row), e.column = std::uint16_t(column), e.tag = Store::Tag::Error;
    m_store->put(e, code);
}

void StoredSheet::clear(int row, int column) {
    if (column > m_lastColumn || row < 1 || column < 1) return;
    Store::Entry e;
    e.row = std::uint32_t(row), e.column = std::uint16_t(column);
    m_store->put(e);
}

std::size_t StoredSheet::heldBytes() const {
    m_store->normalize();
    return m_store->heldBytes();
}

Cell StoredSheet::cell(int row, int column) const {
    m_store->normalize();
    return m_store->cell(row, column);
}

int StoredSheet::lastRow(int column) const {
    m_store->normalize();
    if (column < 1) return 0;
    const auto& entries = m_store->entries();
    for (std::size_t i = entries.size(); i > 0; --i)
        if (entries[i - 1].column == column) return int(entries[i - 1].row);
    return 0;
}

int StoredSheet::usedRows() const {
    m_store->normalize();
    const auto& entries = m_store->entries();
    return entries.empty() ? 0 : int(entries.back().row);
}

int StoredSheet::usedColumns() const {
    m_store->normalize();
    return m_store->widest();
}

Block StoredSheet::block(int firstRow, int firstColumn, int lastRowIndex, int lastColumn) const {
    if (firstRow < 1 || firstColumn < 1 || lastRowIndex < firstRow || lastColumn < firstColumn ||
        lastRowIndex > kMaxRows || lastColumn > kMaxColumns)
        throw Error(errc::kUsage, "Invalid cell range R" + std::to_string(firstRow) + "C" +
                                      std::to_string(firstColumn) + ":R" + std::to_string(lastRowIndex) + "C" +
                                      std::to_string(lastColumn));
    m_store->normalize();
    return Block(m_store, firstRow, firstColumn, lastRowIndex - firstRow + 1, lastColumn - firstColumn + 1);
}

}  // namespace vesk::sheet
