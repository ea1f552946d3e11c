#include "sheet/Workbook.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/Error.h"
#include "sheet/CompoundFile.h"
#include "sheet/XlsWorkbook.h"
#include "sheet/XlsxWorkbook.h"

namespace vesk::sheet {

namespace {

bool startsWith(std::string_view s, std::string_view head) { return s.substr(0, head.size()) == head; }

// A path that names no file, or a folder, is refused before anything is read.
void checkPath(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        throw Error(errc::kFileNotFound, "File not found: " + path);
    if (status.type() == std::filesystem::file_type::directory)
        throw Error(errc::kWorkbook, "'" + path + "' is a folder, not a workbook");
}

std::ifstream openFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error(errc::kWorkbook, "Cannot open '" + path + "': " + std::strerror(errno));
    return in;
}

enum class Format { Package, Compound };

// By content, not by name: exporters often give .xls names to other formats.
Format formatOf(const std::string& path, std::string_view start) {
    if (start.empty()) throw Error(errc::kWorkbook, "'" + path + "' is empty, not a workbook");
    if (startsWith(start, "PK\x03\x04") || startsWith(start, "PK\x05\x06")) return Format::Package;
    if (CompoundFile::hasSignature(start)) return Format::Compound;
    std::string_view text = start;
    if (startsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    if (startsWith(text, "<"))
        throw Error(errc::kWorkbook, "'" + path +
                                         "' is not a workbook but a web page or XML file; open it in a spreadsheet "
                                         "program and save it as .xlsx");
    throw Error(errc::kWorkbook, "'" + path + "' is not a workbook (.xlsx or .xls)");
}

void checkCompoundSize(const std::string& path, std::uint64_t size) {
    if (size > Workbook::kMaxUnpackedBytes)
        throw Error(errc::kWorkbook, "'" + path + "' is larger than " +
                                         std::to_string(Workbook::kMaxUnpackedBytes >> 30) +
                                         " GB, more than this program reads in one workbook");
}

constexpr std::size_t kHeadBytes = 8;

}  // namespace

std::unique_ptr<Workbook> Workbook::open(const std::string& path) {
    checkPath(path);
    std::ifstream in = openFile(path);
    char head[kHeadBytes] = {};
    in.read(head, sizeof head);
    if (formatOf(path, std::string_view(head, std::size_t(in.gcount()))) == Format::Package) {
        in.close();
        return std::make_unique<XlsxWorkbook>(path);
    }
    std::error_code ec;
    checkCompoundSize(path, std::filesystem::file_size(path, ec));
    in.seekg(0);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Error(errc::kWorkbook, "Cannot read '" + path + "'");
    in.close();
    const CompoundFile file(path, std::move(bytes));
    return std::make_unique<XlsWorkbook>(path, file);
}

std::unique_ptr<Workbook> Workbook::open(const std::string& path, std::shared_ptr<const std::string> bytes) {
    const std::string_view start = std::string_view(*bytes).substr(0, kHeadBytes);
    if (formatOf(path, start) == Format::Package) return std::make_unique<XlsxWorkbook>(path, std::move(bytes));
    checkCompoundSize(path, bytes->size());
    const CompoundFile file(path, *bytes);
    return std::make_unique<XlsWorkbook>(path, file);
}

std::shared_ptr<const std::string> readFileBytes(const std::string& path, std::uint64_t maxBytes) {
    checkPath(path);
    std::ifstream in = openFile(path);
    std::error_code ec;
    const std::uint64_t size = std::filesystem::file_size(path, ec);
    if (ec || size > maxBytes) return nullptr;
    auto bytes = std::make_shared<std::string>();
    bytes->resize(std::size_t(size));
    in.read(bytes->data(), std::streamsize(size));
    if (in.bad() || std::uint64_t(in.gcount()) != size) {
        // The file changed size under us: read what it holds now.
        in.clear();
        in.seekg(0);
        bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) throw Error(errc::kWorkbook, "Cannot read '" + path + "'");
        if (bytes->size() > maxBytes) return nullptr;
    }
    return bytes;
}

}  // namespace vesk::sheet
