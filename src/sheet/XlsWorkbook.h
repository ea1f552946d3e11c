#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "sheet/CompoundFile.h"
#include "sheet/Workbook.h"

namespace vesk::sheet {

// A BIFF5 or BIFF8 workbook (.xls), read record by record from its workbook stream.
// Every record length, sheet offset and shared string index is checked before use;
// a damaged file throws Error (errc::kWorkbook), never reads outside the stream.
class XlsWorkbook final : public Workbook {
  public:
    XlsWorkbook(const std::string& path, const CompoundFile& file);

    // The refusal of the Excel 2-4 formats, bare or inside a compound document.
    static Error oldFormat(const std::string& path);

    int sheetCount() const override { return int(m_sheets.size()); }
    int activeSheetIndex() const override { return m_active; }

  protected:
    std::unique_ptr<Sheet> readSheet(int index, int lastColumn) const override;
    bool streamRows(int index, int lastColumn, RowSink& sink) const override;

  private:
    struct BoundSheet {
        std::string name;
        std::uint32_t offset = 0;
        bool worksheet = true;
    };

    // What the global records name that is only understood once all are read.
    struct Globals {
        std::map<std::uint16_t, std::string> formats;
        std::vector<std::uint16_t> xfFormats;
        std::vector<std::string> rawNames;  // BIFF5 names, in the code page named later perhaps
        bool sawWindow = false;
    };
    class CellReader;

    void readGlobals();
    void readBoundSheet(std::string_view b, Globals& g);
    void finishGlobals(const Globals& g);
    void readSharedStrings(const std::vector<std::string_view>& parts);
    std::string decode8Bit(std::string_view bytes) const;
    const BoundSheet& boundSheet(int index) const;
    void readCells(class CellSink& sheet, std::uint32_t offset) const;
    bool isDateXf(std::uint16_t xf) const;
    [[noreturn]] void fail(const std::string& why) const;

    std::string m_path;
    std::string m_stream;  // the Workbook (BIFF8) or Book (BIFF5) stream
    bool m_biff8 = true;
    bool m_date1904 = false;
    bool m_encrypted = false;
    int m_activeTab = 0;
    std::uint16_t m_codepage = 1252;
    std::vector<BoundSheet> m_boundSheets;
    std::vector<bool> m_dateXfs;
    std::shared_ptr<class StringPool> m_sharedStrings;
    std::vector<std::size_t> m_sheets;  // the bound sheets that are worksheets
    int m_active = 0;
};

}  // namespace vesk::sheet
