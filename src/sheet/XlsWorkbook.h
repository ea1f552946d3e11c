#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sheet/CompoundFile.h"
#include "sheet/Workbook.h"

namespace vesk::sheet {

// A BIFF workbook (.xls) read through FreeXL. FreeXL skips formula cells, booleans and
// error values, so those are taken from the workbook stream's own records; so are the
// sheet that was active on saving and the password flag.
class XlsWorkbook final : public Workbook {
  public:
    XlsWorkbook(const std::string& path, const CompoundFile& file);

    int sheetCount() const override { return int(m_names.size()); }
    int activeSheetIndex() const override { return m_active; }
    std::unique_ptr<Sheet> sheet(int index) const override;

  private:
    struct BoundSheet {
        std::string name;
        std::uint32_t offset = 0;
    };

    void readGlobals();
    void addRecordCells(class StoredSheet& sheet, std::uint32_t offset) const;
    bool isDateXf(std::uint16_t xf) const;
    [[noreturn]] void fail(const std::string& why) const;

    std::string m_path;
    std::string m_stream;  // the Workbook (BIFF8) or Book (BIFF5) stream
    bool m_biff8 = true;
    bool m_date1904 = false;
    bool m_encrypted = false;
    int m_activeTab = 0;
    std::vector<BoundSheet> m_boundSheets;
    std::vector<bool> m_dateXfs;

    struct FreeXlCloser {
        void operator()(const void* handle) const;
    };
    std::unique_ptr<const void, FreeXlCloser> m_handle;
    std::vector<std::string> m_names;
    int m_active = 0;
};

}  // namespace vesk::sheet
