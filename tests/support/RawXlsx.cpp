#include "support/RawXlsx.h"

#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "core/Text.h"

namespace vesk::test {

namespace {

std::string columnName(int column) {
    std::string out;
    for (; column > 0; column = (column - 1) / 26) out.insert(out.begin(), char('A' + (column - 1) % 26));
    return out;
}

}  // namespace

void writePackage(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries) {
    int err = 0;
    std::unique_ptr<zip_t, void (*)(zip_t*)> z(zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err), zip_discard);
    if (!z) throw std::runtime_error("cannot create " + path);
    for (const auto& [name, text] : entries) {
        void* copy = std::malloc(text.size() + 1);  // libzip frees it after writing
        std::memcpy(copy, text.data(), text.size());
        zip_source_t* src = zip_source_buffer(z.get(), copy, text.size(), 1);
        if (!src || zip_file_add(z.get(), name.c_str(), src, ZIP_FL_OVERWRITE) < 0) {
            if (src) zip_source_free(src);
            throw std::runtime_error("cannot add " + name);
        }
    }
    if (zip_close(z.get()) < 0) throw std::runtime_error("cannot write " + path);
    z.release();
}

void writeRawXlsx(const std::string& path, const std::vector<std::vector<RawCell>>& rows,
                  const std::function<std::string(std::string)>& edit) {
    std::string sheet =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet "
        "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        sheet += "<row r=\"" + std::to_string(r + 1) + "\">";
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const RawCell& cell = rows[r][c];
            std::string ref = columnName(int(c + 1)) + std::to_string(r + 1);
            switch (cell.kind) {
                case RawCell::Kind::Empty:
                    break;
                case RawCell::Kind::Text:
                    sheet += "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">" +
                             xmlEscaped(cell.value) + "</t></is></c>";
                    break;
                case RawCell::Kind::Number:
                    sheet += "<c r=\"" + ref + "\"><v>" + cell.value + "</v></c>";
                    break;
                case RawCell::Kind::Error:
                    sheet += "<c r=\"" + ref + "\" t=\"e\"><v>" + xmlEscaped(cell.value) + "</v></c>";
                    break;
            }
        }
        sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";
    if (edit) sheet = edit(std::move(sheet));

    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    const std::string ns = "http://schemas.openxmlformats.org/";
    const auto relationship = [&](const std::string& type, const std::string& target) {
        return head + "<Relationships xmlns=\"" + ns +
               "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" + ns +
               "officeDocument/2006/relationships/" + type + "\" Target=\"" + target + "\"/></Relationships>";
    };
    const std::string type = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
    writePackage(
        path,
        {{"[Content_Types].xml",
          head + "<Types xmlns=\"" + ns + "package/2006/content-types\"><Default Extension=\"rels\" " +
              "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default " +
              "Extension=\"xml\" ContentType=\"application/xml\"/><Override PartName=\"/xl/workbook.xml\" " +
              "ContentType=\"" + type + "sheet.main+xml\"/><Override PartName=\"/xl/worksheets/sheet1.xml\" " +
              "ContentType=\"" + type + "worksheet+xml\"/></Types>"},
         {"_rels/.rels", relationship("officeDocument", "xl/workbook.xml")},
         {"xl/workbook.xml", head + "<workbook xmlns=\"" + ns + "spreadsheetml/2006/main\" xmlns:r=\"" + ns +
                                 "officeDocument/2006/relationships\"><sheets><sheet name=\"Sheet1\" sheetId=\"1\" " +
                                 "r:id=\"rId1\"/></sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels", relationship("worksheet", "worksheets/sheet1.xml")},
         {"xl/worksheets/sheet1.xml", sheet}});
}

}  // namespace vesk::test
