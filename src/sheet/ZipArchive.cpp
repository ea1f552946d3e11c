#include "sheet/ZipArchive.h"

#include <zip.h>

#include <memory>
#include <vector>

#include "core/Error.h"

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

Error openFailure(const std::string& path, int code) {
    if (code == ZIP_ER_NOENT) return Error(errc::kFileNotFound, "File not found: " + path);
    if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS)
        return Error(errc::kWorkbook,
                     "'" + path + "' is damaged: the zip package cannot be read (" + describe(code) + ")");
    return Error(errc::kWorkbook, "Cannot open '" + path + "': " + describe(code));
}

}  // namespace

ZipArchive::ZipArchive(const std::string& path) : m_path(path) {
    int code = 0;
    m_zip = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!m_zip) throw openFailure(path, code);
}

ZipArchive::ZipArchive(const std::string& path, std::shared_ptr<const std::string> bytes)
    : m_path(path), m_bytes(std::move(bytes)) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(m_bytes->data(), m_bytes->size(), 0, &error);
    if (source) {
        m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!m_zip) zip_source_free(source);  // the archive owns it only once open
    }
    const int code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    if (!m_zip) throw openFailure(path, code);
}

ZipArchive::~ZipArchive() {
    if (m_zip) zip_discard(m_zip);
}

bool ZipArchive::contains(const std::string& name) const {
    return zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE) >= 0;
}

void ZipArchive::stream(const std::string& name, const std::function<void(const char*, std::size_t)>& sink) const {
    const zip_int64_t index = zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE);
    if (index < 0) throw Error(errc::kWorkbook, "'" + m_path + "' is damaged: the part " + name + " is missing");
    ZipFile file(zip_fopen_index(m_zip, zip_uint64_t(index), 0));
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(m_zip));
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD)
            throw Error(errc::kWorkbook, "'" + m_path + "' is encrypted; save it without a password first");
        throw Error(errc::kWorkbook,
                    "'" + m_path + "' is damaged: the part " + name + " cannot be read (" + describe(code) + ")");
    }
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer.data(), buffer.size());
        if (n < 0)
            throw Error(errc::kWorkbook, "'" + m_path + "' is damaged: the part " + name + " cannot be read (" +
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
