#include "sheet/ZipArchive.h"

#include <zip.h>

#include <memory>
#include <vector>

#include "core/Error.h"
#include "core/Text.h"

namespace vesk::sheet {

namespace {

struct ZipFileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using ZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

std::string describe(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

[[noreturn]] void failOpen(const std::string& path, int code) {
    if (code == ZIP_ER_NOENT) throw Error(errc::kFileNotFound, "File not found: " + path);
    if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS)
        throw Error(errc::kWorkbook,
                    "'" + path + "' is damaged: the zip package cannot be read (" + describe(code) + ")");
    throw Error(errc::kWorkbook, "Cannot open '" + path + "': " + describe(code));
}

// A part name as every lookup spells it: letter case and the kind of slash do not tell
// parts apart, and a leading slash is the package's root.
std::string partKey(std::string_view name) {
    std::string key;
    key.reserve(name.size());
    for (char c : name) key += c == '\\' ? '/' : (c >= 'A' && c <= 'Z') ? char(c | 0x20) : c;
    const std::size_t start = key.find_first_not_of('/');
    return start == std::string::npos ? std::string() : key.substr(start);
}

constexpr std::int64_t kAmbiguous = -2;

}  // namespace

ZipArchive::ZipArchive(const std::string& path) : m_path(path) {
    int code = 0;
    m_zip = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!m_zip) failOpen(path, code);
    indexEntries();
}

ZipArchive::ZipArchive(std::string name, std::shared_ptr<const std::string> bytes)
    : m_path(std::move(name)), m_bytes(std::move(bytes)) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(m_bytes->data(), m_bytes->size(), 0, &error);
    if (source) {
        m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!m_zip) zip_source_free(source);  // the archive owns it only once opened
    }
    const int code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    if (!m_zip) failOpen(m_path, code);
    indexEntries();
}

ZipArchive::~ZipArchive() {
    if (m_zip) zip_discard(m_zip);
}

void ZipArchive::indexEntries() {
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    m_entries.reserve(std::size_t(count > 0 ? count : 0));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_zip, zip_uint64_t(i), 0);
        if (!name) continue;
        const auto [at, added] = m_entries.emplace(partKey(name), i);
        if (!added) at->second = kAmbiguous;
    }
}

std::int64_t ZipArchive::locate(const std::string& name) const {
    const auto at = m_entries.find(partKey(name));
    return at == m_entries.end() ? -1 : at->second;
}

bool ZipArchive::contains(const std::string& name) const { return locate(name) != -1; }

void ZipArchive::stream(const std::string& name, const std::function<void(const char*, std::size_t)>& sink) const {
    const std::int64_t index = locate(name);
    const std::string part = excerpt(name);  // the name comes from the file
    if (index == -1) throw Error(errc::kWorkbook, "'" + m_path + "' is damaged: the part " + part + " is missing");
    // Two entries for one part: which of them the writer meant cannot be told.
    if (index == kAmbiguous)
        throw Error(errc::kWorkbook, "'" + m_path + "' is damaged: it holds the part " + part + " twice");
    ZipFile file(zip_fopen_index(m_zip, zip_uint64_t(index), 0));
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(m_zip));
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD)
            throw Error(errc::kWorkbook, "'" + m_path + "' is encrypted; save it without a password first");
        throw Error(errc::kWorkbook,
                    "'" + m_path + "' is damaged: the part " + part + " cannot be read (" + describe(code) + ")");
    }
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer.data(), buffer.size());
        if (n < 0)
            throw Error(errc::kWorkbook, "'" + m_path + "' is damaged: the part " + part + " cannot be read (" +
                                             zip_file_strerror(file.get()) + ")");
        if (n == 0) break;
        sink(buffer.data(), std::size_t(n));
    }
}

std::string ZipArchive::read(const std::string& name) const {
    std::string out;
    stream(name, [&](const char* data, std::size_t size) { out.append(data, size); });
    return out;
}

}  // namespace vesk::sheet
