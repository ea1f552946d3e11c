#include "PackageFile.h"

#include <fstream>
#include <iterator>

namespace vesk::test {

namespace {

const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string relationships(const std::string& body) {
    return "<?xml version=\"1.0\"?><Relationships "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
           body + "</Relationships>";
}

std::string relationship(const std::string& id, const std::string& type, const std::string& target) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + std::string(kRel) + "/" + type + "\" Target=\"" + target +
           "\"/>";
}

}  // namespace

void writeSheetPackage(const std::string& path, const SheetPackage& p) {
    std::string rels =
        relationship("rId1", "worksheet", p.sheetTarget) + relationship("rId2", "sharedStrings", "sharedStrings.xml");
    std::vector<std::pair<std::string, std::string>> entries = {
        {"_rels/.rels", relationships(relationship("rId1", "officeDocument", "xl/workbook.xml"))},
        {"xl/workbook.xml", "<?xml version=\"1.0\"?><workbook xmlns=\"" + std::string(kMain) + "\" xmlns:r=\"" + kRel +
                                "\">" + p.extraWorkbookXml +
                                "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/sharedStrings.xml", "<sst xmlns=\"" + std::string(kMain) + "\"><si><t>shared</t></si></sst>"},
        {p.sheetPart, "<?xml version=\"1.0\"?><worksheet xmlns=\"" + std::string(kMain) + "\"><sheetData>" +
                          p.sheetData + "</sheetData></worksheet>"},
    };
    if (p.withStyles) {
        rels += relationship("rId3", "styles", "styles.xml");
        entries.push_back({"xl/styles.xml", "<styleSheet xmlns=\"" + std::string(kMain) +
                                                "\"><numFmts><numFmt numFmtId=\"200\" formatCode=\"dd/mm/yyyy\"/>"
                                                "</numFmts><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"200\"/>"
                                                "</cellXfs></styleSheet>"});
    }
    entries.push_back({"xl/_rels/workbook.xml.rels", relationships(rels)});
    writePackage(path, entries);
}

void copyPrefix(const std::string& from, const std::string& to, double share) {
    std::ifstream in(from, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(to, std::ios::binary).write(bytes.data(), std::streamsize(double(bytes.size()) * share));
}

}  // namespace vesk::test
