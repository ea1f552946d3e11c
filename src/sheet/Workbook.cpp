#include "sheet/Workbook.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/Error.h"
#include "sheet/CompoundFile.h"
#include "sheet/LargeBuffer.h"
#include "sheet/XlsWorkbook.h"
#include "sheet/XlsxWorkbook.h"

namespace vesk::sheet {

namespace {

bool startsWith(std::string_view s, std::string_view head) { return s.substr(0, head.size()) == head; }

enum class Container { ZipPackage, CompoundDocument };

// By content, not by name: exporters often give .xls names to other formats.
Container containerOf(const std::string& path, std::string_view head) {
    if (head.empty()) throw Error(errc::kWorkbook, "'" + path + "' is empty, not a workbook");
    if (startsWith(head, "PK\x03\x04") || startsWith(head, "PK\x05\x06")) return Container::ZipPackage;
    if (CompoundFile::hasSignature(head)) return Container::CompoundDocument;
    // Excel 2-4 wrote a bare record stream, no container: its first record is a BOF of 4 or 6 bytes.
    if (head.size() >= 4 && head[0] == '\x09' && (head[1] == '\x00' || head[1] == '\x02' || head[1] == '\x04') &&
        (head[2] == '\x04' || head[2] == '\x06') && head[3] == '\x00')
        throw XlsWorkbook::oldFormat(path);
    std::string_view text = head;
    if (startsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    if (startsWith(text, "<"))
        throw Error(errc::kWorkbook, "'" + path +
                                         "' is not a workbook but a web page or XML file; open it in a spreadsheet "
                                         "program and save it as .xlsx");
    throw Error(errc::kWorkbook, "'" + path + "' is not a workbook (.xlsx or .xls)");
}

Error tooLarge(const std::string& path) {
    return Error(errc::kWorkbook, "'" + path + "' is larger than " + std::to_string(Workbook::kMaxUnpackedBytes >> 30) +
                                      " GB, more than this program reads in one workbook");
}

// Owned bytes, or bytes shared with the caller, which are then read where they are.
template <class Bytes>
std::unique_ptr<Workbook> xlsWorkbook(const std::string& path, Bytes bytes) {
    const CompoundFile file(path, std::move(bytes));
    return std::make_unique<XlsWorkbook>(path, file);
}

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

}  // namespace

std::unique_ptr<Workbook> Workbook::open(const std::string& path) {
    checkPath(path);
    std::ifstream in = openFile(path);
    std::error_code ec;
    char head[8] = {};
    in.read(head, sizeof head);
    // A package is read from the file part by part; a compound document is held whole.
    if (containerOf(path, std::string_view(head, std::size_t(in.gcount()))) == Container::ZipPackage) {
        in.close();
        return std::make_unique<XlsxWorkbook>(path);
    }
    if (std::filesystem::file_size(path, ec) > kMaxUnpackedBytes) throw tooLarge(path);
    in.seekg(0);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Error(errc::kWorkbook, "Cannot read '" + path + "'");
    in.close();
    return xlsWorkbook(path, std::move(bytes));
}

std::unique_ptr<Workbook> Workbook::fromBytes(const std::string& name, std::string bytes) {
    if (containerOf(name, std::string_view(bytes).substr(0, 8)) == Container::ZipPackage)
        return std::make_unique<XlsxWorkbook>(name, std::make_shared<const std::string>(std::move(bytes)));
    if (bytes.size() > kMaxUnpackedBytes) throw tooLarge(name);
    return xlsWorkbook(name, std::move(bytes));
}

std::unique_ptr<Workbook> Workbook::fromBytes(const std::string& name, std::shared_ptr<const std::string> bytes) {
    if (containerOf(name, std::string_view(*bytes).substr(0, 8)) == Container::ZipPackage)
        return std::make_unique<XlsxWorkbook>(name, std::move(bytes));
    if (bytes->size() > kMaxUnpackedBytes) throw tooLarge(name);
    return xlsWorkbook(name, std::move(bytes));
}

std::shared_ptr<const std::string> readFileBytes(const std::string& path, std::uint64_t maxBytes) {
    checkPath(path);
    std::ifstream in = openFile(path);
    std::error_code ec;
    const std::uint64_t size = std::filesystem::file_size(path, ec);
    if (ec || size > maxBytes) return nullptr;
    auto bytes = std::make_shared<std::string>();
    reserveLarge(*bytes, std::size_t(size));
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
