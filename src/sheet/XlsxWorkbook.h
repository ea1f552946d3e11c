#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sheet/Workbook.h"
#include "sheet/WorksheetReader.h"
#include "sheet/ZipArchive.h"

namespace vesk::sheet {

// An Office Open XML package (.xlsx, .xlsm). The workbook part, its relationships,
// shared strings and styles are read on opening; each sheet when it is asked for.
class XlsxWorkbook final : public Workbook {
  public:
    explicit XlsxWorkbook(const std::string& path);
    // A package held in memory; `name` names it in messages.
    XlsxWorkbook(std::string name, std::shared_ptr<const std::string> bytes);

    int sheetCount() const override { return int(m_sheets.size()); }
    int activeSheetIndex() const override { return m_active; }

  protected:
    std::unique_ptr<Sheet> readSheet(int index, int lastColumn) const override;
    bool streamRows(int index, int lastColumn, RowSink& sink) const override;

  private:
    struct SheetPart {
        std::string name;
        std::string part;
    };

    void readPackage();
    const std::string& sheetPart(int index) const;
    WorksheetContext sheetContext(int index) const;
    void readStyles(const std::string& part);
    void readSharedStrings(const std::string& part);

    std::string m_path;
    ZipArchive m_zip;
    std::vector<SheetPart> m_sheets;
    int m_active = 0;
    bool m_date1904 = false;
    std::vector<bool> m_dateStyles;  // by cell style (xf) index
    std::shared_ptr<const class StringPool> m_sharedStrings;
    mutable std::uint64_t m_unpacked = 0;  // bytes inflated so far, against the workbook's budget
};

}  // namespace vesk::sheet
