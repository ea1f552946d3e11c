#include "sheet/Workbook.h"

#include <filesystem>

#include "core/Error.h"
#include "core/Platform.h"
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
    const auto status = std::filesystem::status(platform::fsPath(path), ec);
    if (status.type() == std::filesystem::file_type::not_found)
        throw Error(errc::kFileNotFound, "File not found: " + path);
    if (status.type() == std::filesystem::file_type::directory)
        throw Error(errc::kWorkbook, "'" + path + "' is a folder, not a workbook");
}

platform::File openFile(const std::string& path) {
    try {
        return platform::File(path, platform::Open::Read);
    } catch (const platform::SystemError& e) {
        throw Error(errc::kWorkbook, "Cannot open '" + path + "': " + e.reason());
    }
}

std::uint64_t sizeOf(const platform::File& in) {
    try {
        return in.size();
    } catch (const platform::SystemError&) {
        throw Error(errc::kWorkbook, "Cannot read '" + in.path() + "'");
    }
}

std::size_t readAt(const platform::File& in, void* into, std::size_t size, std::uint64_t offset) {
    try {
        return in.readAt(into, size, offset);
    } catch (const platform::SystemError&) {
        throw Error(errc::kWorkbook, "Cannot read '" + in.path() + "'");
    }
}

// The whole file into `bytes`, first into the room made for the size taken before, then on
// as long as there is more (the file grew meanwhile), until it holds more than `limit`.
void readWhole(const platform::File& in, std::string& bytes, std::uint64_t limit) {
    bytes.resize(bytes.capacity());
    bytes.resize(readAt(in, bytes.data(), bytes.size(), 0));
    char more[std::size_t(1) << 16];
    while (bytes.size() <= limit) {
        const std::size_t got = readAt(in, more, sizeof more, bytes.size());
        if (got == 0) return;
        bytes.append(more, got);
    }
}

}  // namespace

std::unique_ptr<Workbook> Workbook::open(const std::string& path) {
    checkPath(path);
    std::string bytes;
    {
        const platform::File in = openFile(path);
        char head[8] = {};
        const std::size_t got = readAt(in, head, sizeof head, 0);
        // A package is read from the file part by part; a compound document is held whole.
        if (containerOf(path, std::string_view(head, got)) == Container::ZipPackage)
            return std::make_unique<XlsxWorkbook>(path);
        const std::uint64_t size = sizeOf(in);
        if (size > kMaxUnpackedBytes) throw tooLarge(path);
        bytes.reserve(std::size_t(size));
        readWhole(in, bytes, kMaxUnpackedBytes);
        if (bytes.size() > kMaxUnpackedBytes) throw tooLarge(path);
    }
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
    const platform::File in = openFile(path);
    const std::uint64_t size = sizeOf(in);
    if (size > maxBytes) return nullptr;
    auto bytes = std::make_shared<std::string>();
    reserveLarge(*bytes, std::size_t(size));
    readWhole(in, *bytes, maxBytes);
    if (bytes->size() > maxBytes) return nullptr;
    return bytes;
}

}  // namespace vesk::sheet
