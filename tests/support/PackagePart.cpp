#include "support/PackagePart.h"

#include <zip.h>

#include <memory>
#include <regex>
#include <stdexcept>
#include <vector>

namespace vesk::test {

std::string packagePart(const std::string& path, const std::string& part) {
    int err = 0;
    std::unique_ptr<zip_t, void (*)(zip_t*)> zip(zip_open(path.c_str(), ZIP_RDONLY, &err), zip_discard);
    if (!zip) throw std::runtime_error("not a zip package: " + path);
    zip_stat_t st;
    if (zip_stat(zip.get(), part.c_str(), 0, &st) != 0) throw std::runtime_error("no part " + part);
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(zip_fopen(zip.get(), part.c_str(), 0), zip_fclose);
    std::string text(std::size_t(st.size), '\0');
    if (!file || zip_fread(file.get(), text.data(), st.size) != zip_int64_t(st.size))
        throw std::runtime_error("cannot read " + part);
    return text;
}

namespace {

// The elements <tag ...>...</tag> or <tag .../> inside the first <list> element, in order.
std::vector<std::string> items(const std::string& xml, const std::string& list, const std::string& tag) {
    std::smatch m;
    if (!std::regex_search(xml, m, std::regex("<" + list + "[ >][\\s\\S]*?</" + list + ">"))) return {};
    const std::string body = m.str();
    std::vector<std::string> out;
    std::regex item("<" + tag + "(?:\\s[^>]*?)?(?:/>|>[\\s\\S]*?</" + tag + ">)");
    for (std::sregex_iterator i(body.begin(), body.end(), item), end; i != end; ++i) out.push_back(i->str());
    return out;
}

std::string attribute(const std::string& element, const std::string& name) {
    std::smatch m;
    if (std::regex_search(element, m, std::regex("\\s" + name + "=\"([^\"]*)\""))) return m[1];
    return {};
}

}  // namespace

CellLook cellLook(const std::string& path, const std::string& ref) {
    const std::string sheet = packagePart(path, "xl/worksheets/sheet1.xml");
    std::smatch m;
    if (!std::regex_search(sheet, m, std::regex("<c r=\"" + ref + "\"[^>]*>|<c r=\"" + ref + "\"[^>]*/>")))
        throw std::runtime_error("no cell " + ref);
    const std::string s = attribute(m.str(), "s");
    const std::string styles = packagePart(path, "xl/styles.xml");
    const auto xfs = items(styles, "cellXfs", "xf");
    const std::string xf = xfs.at(s.empty() ? 0 : std::stoul(s));
    CellLook look;
    const std::string fill = items(styles, "fills", "fill").at(std::stoul(attribute(xf, "fillId")));
    if (std::regex_search(fill, m, std::regex("<fgColor rgb=\"([0-9A-F]+)\""))) look.fill = m[1];
    const std::string font = items(styles, "fonts", "font").at(std::stoul(attribute(xf, "fontId")));
    look.bold = font.find("<b/>") != std::string::npos;
    if (std::regex_search(font, m, std::regex("<color rgb=\"([0-9A-F]+)\""))) look.fontColor = m[1];
    const std::string border = items(styles, "borders", "border").at(std::stoul(attribute(xf, "borderId")));
    look.border = border.find("style=\"thin\"") != std::string::npos;
    const std::string numFmtId = attribute(xf, "numFmtId");
    for (const std::string& f : items(styles, "numFmts", "numFmt"))
        if (attribute(f, "numFmtId") == numFmtId) look.numberFormat = attribute(f, "formatCode");
    return look;
}

}  // namespace vesk::test
