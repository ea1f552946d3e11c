// The seam on Windows: the W functions only, every path and text converted from UTF-8 to
// UTF-16 on the way in and back on the way out.
#include <windows.h>
// After windows.h, which they need.
#include <aclapi.h>
#include <fcntl.h>
#include <io.h>
#include <knownfolders.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <thread>

#include "core/Platform.h"

namespace vesk::platform {

namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), size);
    return out;
}

std::string narrow(const wchar_t* text, std::size_t length) {
    if (length == 0) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, int(length), out.data(), size, nullptr, nullptr);
    return out;
}

std::string narrow(const wchar_t* text) { return text ? narrow(text, wcslen(text)) : std::string(); }

struct LocalFreer {
    void operator()(void* p) const noexcept { LocalFree(p); }
};
struct TaskFreer {
    void operator()(void* p) const noexcept { CoTaskMemFree(p); }
};

std::string reasonOf(DWORD error) {
    wchar_t* raw = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreer> text(raw);
    std::string reason = length ? narrow(raw, length) : "error " + std::to_string(error);
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}

[[noreturn]] void fail(const std::string& action, DWORD error) {
    const std::string reason = reasonOf(error);
    const long number =
        error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? errc::kFileNotFound : errc::kPathAccess;
    throw SystemError(number, "Cannot " + action + ": " + reason, reason);
}

[[noreturn]] void fail(const std::string& action) { fail(action, GetLastError()); }

std::string named(const std::string& path) { return "'" + path + "'"; }

HANDLE handleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
std::intptr_t valueOf(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }
bool valid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }

// A handle of ours, closed with it.
class Handle {
  public:
    explicit Handle(HANDLE handle = nullptr) : m_handle(handle) {}
    ~Handle() {
        if (valid(m_handle)) CloseHandle(m_handle);
    }
    Handle(Handle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            if (valid(m_handle)) CloseHandle(m_handle);
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    HANDLE release() { return std::exchange(m_handle, nullptr); }

  private:
    HANDLE m_handle;
};

bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// --- Access -----------------------------------------------------------------------------

// The user the process runs as: its token's SID.
class TokenUser {
  public:
    TokenUser() {
        HANDLE raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) fail("read this process's user");
        const Handle token(raw);
        DWORD size = 0;
        GetTokenInformation(token.get(), ::TokenUser, nullptr, 0, &size);
        m_buffer.resize(size / sizeof(DWORD) + 1);
        if (!GetTokenInformation(token.get(), ::TokenUser, m_buffer.data(), DWORD(m_buffer.size() * sizeof(DWORD)),
                                 &size))
            fail("read this process's user");
    }
    PSID sid() const { return reinterpret_cast<const TOKEN_USER*>(m_buffer.data())->User.Sid; }

  private:
    std::vector<DWORD> m_buffer;  // DWORDs: the SID inside is read as such
};

// A well-known SID (Everyone), in a buffer of its own.
class WellKnownSid {
  public:
    explicit WellKnownSid(WELL_KNOWN_SID_TYPE type) {
        DWORD size = DWORD(m_buffer.size() * sizeof(DWORD));
        if (!CreateWellKnownSid(type, nullptr, m_buffer.data(), &size)) fail("name a group of users");
    }
    PSID sid() { return m_buffer.data(); }

  private:
    std::array<DWORD, SECURITY_MAX_SID_SIZE / sizeof(DWORD) + 1> m_buffer{};
};

// A DACL of entries that each allow a SID some access.
class Acl {
  public:
    struct Entry {
        PSID sid;
        DWORD access;
        DWORD inheritance;  ///< OBJECT_INHERIT_ACE and the like; 0 for the object alone
    };
    explicit Acl(std::initializer_list<Entry> entries) {
        DWORD size = sizeof(ACL);
        for (const Entry& e : entries) size += DWORD(sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) + GetLengthSid(e.sid);
        m_buffer.resize(size / sizeof(DWORD) + 1);
        if (!InitializeAcl(get(), DWORD(m_buffer.size() * sizeof(DWORD)), ACL_REVISION)) fail("make a DACL");
        for (const Entry& e : entries)
            if (!AddAccessAllowedAceEx(get(), ACL_REVISION, e.inheritance, e.access, e.sid)) fail("make a DACL");
    }
    PACL get() { return reinterpret_cast<PACL>(m_buffer.data()); }

  private:
    std::vector<DWORD> m_buffer;
};

constexpr DWORD kInherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

// The DACL set as the object's own, none inherited from its folder.
void setOwnDacl(const std::string& path, PACL acl, const std::string& action) {
    std::wstring name = wide(path);
    const DWORD rc = SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                           DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                           nullptr, acl, nullptr);
    if (rc != ERROR_SUCCESS) fail(action, rc);
}

// A folder's entry goes on to what is made inside it.
DWORD inheritanceFor(const std::string& path) { return isFolder(wide(path)) ? kInherited : 0; }

// An object's security descriptor as the system hands it over, freed with it.
class ReadDacl {
  public:
    explicit ReadDacl(const std::string& path) {
        std::wstring name = wide(path);
        PSECURITY_DESCRIPTOR raw = nullptr;
        const DWORD rc = GetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                               &m_dacl, nullptr, &raw);
        m_descriptor.reset(raw);
        if (rc != ERROR_SUCCESS) fail("read the permissions of " + named(path), rc);
    }
    PACL dacl() const { return m_dacl; }
    bool isProtected() const {
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        return GetSecurityDescriptorControl(m_descriptor.get(), &control, &revision) && (control & SE_DACL_PROTECTED);
    }

  private:
    PACL m_dacl = nullptr;
    std::unique_ptr<void, LocalFreer> m_descriptor;
};

}  // namespace

std::optional<std::string> fromCodePage(std::string_view bytes, unsigned codePage) {
    if (!IsValidCodePage(codePage)) fail("read text in code page " + std::to_string(codePage), ERROR_INVALID_PARAMETER);
    if (bytes.empty()) return std::string();
    // Some code pages take no flags at all; those are read without the check.
    DWORD flags = MB_ERR_INVALID_CHARS;
    int size = MultiByteToWideChar(codePage, flags, bytes.data(), int(bytes.size()), nullptr, 0);
    if (size == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0;
        size = MultiByteToWideChar(codePage, flags, bytes.data(), int(bytes.size()), nullptr, 0);
    }
    if (size == 0) {
        if (GetLastError() == ERROR_NO_UNICODE_TRANSLATION) return std::nullopt;
        fail("read text in code page " + std::to_string(codePage));
    }
    std::wstring text(std::size_t(size), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), int(bytes.size()), text.data(), size);
    return narrow(text.data(), text.size());
}

// --- Files ------------------------------------------------------------------------------

File::File(const std::string& path, Open how, FileOptions options) : m_path(path) {
    DWORD access = GENERIC_WRITE;
    DWORD disposition = CREATE_ALWAYS;
    const char* verb = "write";
    switch (how) {
        case Open::Read:
            access = GENERIC_READ;
            disposition = OPEN_EXISTING;
            verb = "read";
            break;
        case Open::CreateNew:
            disposition = CREATE_NEW;
            verb = "create";
            break;
        case Open::Replace:
            break;
    }
    const bool writing = how != Open::Read;
    const bool ownerOnly = options.ownerOnly && writing;
    if (ownerOnly) access |= WRITE_DAC | READ_CONTROL;
    // A new file is made owner-only from the start; one that was there is made so below.
    std::optional<TokenUser> user;
    std::optional<Acl> acl;
    SECURITY_DESCRIPTOR descriptor{};
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (ownerOnly) {
        user.emplace();
        acl.emplace(std::initializer_list<Acl::Entry>{{user->sid(), FILE_ALL_ACCESS, 0}});
        if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorDacl(&descriptor, TRUE, acl->get(), FALSE) ||
            !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
            fail("restrict " + named(path) + " to its owner");
        attributes.lpSecurityDescriptor = &descriptor;
    }
    // Shared like the engine shares its files: a reader here never keeps it from its work.
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const std::wstring name = wide(path);
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (options.uncached && writing) {
        handle = CreateFileW(name.c_str(), access, kShare, &attributes, disposition,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_NO_BUFFERING | FILE_FLAG_WRITE_THROUGH, nullptr);
        m_uncached = valid(handle);
        if (!m_uncached && GetLastError() != ERROR_INVALID_PARAMETER) fail(std::string(verb) + " " + named(path));
    }
    if (!valid(handle))
        handle = CreateFileW(name.c_str(), access, kShare, &attributes, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!valid(handle)) fail(std::string(verb) + " " + named(path));
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    Handle owned(handle);
    if (ownerOnly && existed) {
        const DWORD rc =
            SetSecurityInfo(handle, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, acl->get(), nullptr);
        if (rc != ERROR_SUCCESS) fail("restrict " + named(path) + " to its owner", rc);
    }
    m_handle = valueOf(owned.release());
}

void File::closeNative(std::intptr_t handle) noexcept { CloseHandle(handleOf(handle)); }

namespace {

constexpr std::size_t kLargestCall = std::size_t(1) << 30;

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = DWORD(offset & 0xffffffffu);
    o.OffsetHigh = DWORD(offset >> 32);
    return o;
}

}  // namespace

std::size_t File::readAt(void* into, std::size_t size, std::uint64_t offset) const {
    auto* bytes = static_cast<unsigned char*>(into);
    std::size_t done = 0;
    while (done < size) {
        // With an offset of its own each time: the handle's position is never used.
        OVERLAPPED where = at(offset + done);
        DWORD got = 0;
        if (!ReadFile(handleOf(m_handle), bytes + done, DWORD(std::min(size - done, kLargestCall)), &got, &where)) {
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) break;
            fail("read " + named(m_path), error);
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

bool File::dropUncached() {
    if (!m_uncached) return false;
    HANDLE cached =
        ReOpenFile(handleOf(m_handle), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    if (!valid(cached)) return false;
    CloseHandle(handleOf(m_handle));
    m_handle = valueOf(cached);
    m_uncached = false;
    return true;
}

void File::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
        OVERLAPPED where = at(m_written);
        DWORD put = 0;
        if (!WriteFile(handleOf(m_handle), bytes + done, DWORD(std::min(size - done, kLargestCall)), &put, &where)) {
            const DWORD error = GetLastError();
            // A volume that takes no unbuffered writes of this size: through the cache, then.
            if (error == ERROR_INVALID_PARAMETER && dropUncached()) continue;
            fail("write " + named(m_path), error);
        }
        done += put;
        m_written += put;
    }
}

void File::flush() {
    if (!FlushFileBuffers(handleOf(m_handle))) fail("write " + named(m_path));
}

std::uint64_t File::size() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handleOf(m_handle), &size)) fail("read " + named(m_path));
    return std::uint64_t(size.QuadPart);
}

void File::close() {
    if (!isOpen()) return;
    if (!CloseHandle(handleOf(std::exchange(m_handle, kNone)))) fail("write " + named(m_path));
}

void replaceFile(const std::string& from, const std::string& to, Rename how) {
    (void)how;  // written through either way
    const std::wstring source = wide(from), target = wide(to);
    // An antivirus or an indexer opens a new file for a moment: it is tried again meanwhile.
    // A folder at the name is no such moment.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
        const DWORD error = GetLastError();
        const bool held = error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && !isFolder(target));
        if (!held || std::chrono::steady_clock::now() >= deadline)
            fail("rename " + named(from) + " to " + named(to), error);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void removeFile(const std::string& path) {
    if (DeleteFileW(wide(path).c_str())) return;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) fail("remove " + named(path), error);
}

void makeOwnerOnly(const std::string& path) {
    const TokenUser user;
    Acl acl{{user.sid(), FILE_ALL_ACCESS, inheritanceFor(path)}};
    setOwnDacl(path, acl.get(), "restrict " + named(path) + " to its owner");
}

bool isOwnerOnly(const std::string& path) {
    const ReadDacl read(path);
    if (!read.dacl()) return false;  // no DACL at all: open to everyone
    ACL_SIZE_INFORMATION info{};
    if (!GetAclInformation(read.dacl(), &info, sizeof info, AclSizeInformation))
        fail("read the permissions of " + named(path));
    if (info.AceCount != 1) return false;
    void* ace = nullptr;
    if (!GetAce(read.dacl(), 0, &ace)) fail("read the permissions of " + named(path));
    if (static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;
    const TokenUser user;
    return EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, user.sid()) != FALSE;
}

void sameAccessAs(const std::string& path, const std::string& model) {
    const ReadDacl read(model);
    std::wstring name = wide(path);
    // Entries the model inherits, the copy inherits from its own folder.
    const DWORD rc =
        SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION | (read.isProtected() ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                              : UNPROTECTED_DACL_SECURITY_INFORMATION),
                              nullptr, nullptr, read.dacl(), nullptr);
    if (rc != ERROR_SUCCESS) fail("set the permissions of " + named(path), rc);
}

bool folderWritable(const std::string& folder) {
    if (folder.empty()) return false;
    // What the folder's DACL allows shows only in trying: a file made, gone again when closed.
    static long tries = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring probe = wide(joinPath(folder, ".vesk-orv-" + std::to_string(GetCurrentProcessId()) + "-" +
                                                             std::to_string(InterlockedIncrement(&tries))));
        const Handle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr));
        if (valid(file.get())) return true;
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

// --- Memory -----------------------------------------------------------------------------

void wipe(void* data, std::size_t size) noexcept { SecureZeroMemory(data, size); }

std::uint64_t physicalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return 0;
    return status.ullTotalPhys;
}

std::uint64_t peakMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}

void preferLargePages(void* data, std::size_t size) noexcept {
    (void)data;
    (void)size;
}

// --- The person and the machine ---------------------------------------------------------

std::optional<std::string> environment(const std::string& name) {
    const std::wstring key = wide(name);
    SetLastError(ERROR_SUCCESS);
    DWORD size = GetEnvironmentVariableW(key.c_str(), nullptr, 0);
    if (size == 0) {
        if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
        return std::string();
    }
    std::wstring value(size, L'\0');
    size = GetEnvironmentVariableW(key.c_str(), value.data(), size);
    if (size == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;  // gone meanwhile
    value.resize(size);
    return narrow(value.data(), value.size());
}

void setEnvironment(const std::string& name, const std::optional<std::string>& value) {
    // Through the C library, which keeps a copy of its own, and from there the process's.
    const std::wstring key = wide(name);
    const std::wstring text = value ? wide(*value) : std::wstring();
    if (_wputenv_s(key.c_str(), text.c_str()) != 0) fail("set the variable " + name, ERROR_INVALID_PARAMETER);
    if (value && value->empty() && !SetEnvironmentVariableW(key.c_str(), L"")) fail("set the variable " + name);
}

std::string programFile() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) fail("find the program's own file");
        if (length < path.size()) return narrow(path.data(), length);
        path.resize(path.size() * 2);
    }
}

std::string programFolder() { return utf8(fsPath(programFile()).parent_path()); }

std::string programBeside(const std::string& name) { return joinPath(programFolder(), name + ".exe"); }

std::vector<std::string> arguments(int argc, char** argv) {
    int count = 0;
    const std::unique_ptr<wchar_t*, LocalFreer> wideArgs(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!wideArgs) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(narrow(wideArgs.get()[i]));
    return out;
}

long processId() { return long(GetCurrentProcessId()); }

namespace {

std::string knownFolder(REFKNOWNFOLDERID id) {
    PWSTR raw = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &raw);
    const std::unique_ptr<wchar_t, TaskFreer> path(raw);  // freed even when the call failed
    if (FAILED(result)) return {};
    return narrow(raw);
}

}  // namespace

std::string dataFolder() { return knownFolder(FOLDERID_LocalAppData); }

std::string desktopFolder() {
    std::string desktop = knownFolder(FOLDERID_Desktop);
    if (desktop.empty()) desktop = joinPath(environment("USERPROFILE").value_or(""), "Desktop");
    return desktop;
}

std::string userName() {
    std::array<wchar_t, 257> name{};  // UNLEN and its end
    DWORD size = DWORD(name.size());
    if (GetUserNameW(name.data(), &size) && size > 1) return narrow(name.data(), size - 1);
    return environment("USERNAME").value_or("");
}

std::tm localTime(std::time_t time) {
    std::tm local{};
    if (localtime_s(&local, &time) != 0) fail("read the local time", ERROR_INVALID_PARAMETER);
    return local;
}

// --- The terminal -----------------------------------------------------------------------

bool isTerminal(Stream stream) {
    const DWORD which = stream == Stream::Input    ? STD_INPUT_HANDLE
                        : stream == Stream::Output ? STD_OUTPUT_HANDLE
                                                   : STD_ERROR_HANDLE;
    DWORD mode = 0;
    // Not _isatty(): it says yes to NUL and any other character device.
    return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

namespace {

// The console's echo off while a secret is typed, on again whatever happens.
class EchoOff {
  public:
    EchoOff(HANDLE console, DWORD mode) : m_console(console), m_saved(mode) {
        const DWORD quiet = (mode | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) & ~DWORD(ENABLE_ECHO_INPUT);
        if (!SetConsoleMode(console, quiet)) fail("turn the console's echo off");
    }
    ~EchoOff() { SetConsoleMode(m_console, m_saved); }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    HANDLE m_console;
    DWORD m_saved;
};

// Memory that held a secret, wiped when it goes.
template <class T, std::size_t N>
struct WipedArray {
    std::array<T, N> data{};
    ~WipedArray() { wipe(data.data(), sizeof data); }
};

std::optional<Secret> consoleLine(HANDLE console, DWORD mode) {
    const EchoOff echoOff(console, mode);
    // UTF-16 as typed, a secret's worth of characters at most; the rest of a longer line is
    // read and dropped.
    WipedArray<wchar_t, Secret::kCapacity> typed;
    WipedArray<wchar_t, 256> chunk;
    std::size_t length = 0;
    bool any = false, ended = false;
    while (!ended) {
        DWORD got = 0;
        if (!ReadConsoleW(console, chunk.data.data(), DWORD(chunk.data.size()), &got, nullptr))
            fail("read the console");
        if (got == 0) break;
        any = true;
        for (DWORD i = 0; i < got && !ended; ++i) {
            const wchar_t c = chunk.data[i];
            if (c == L'\n') {
                ended = true;
            } else if (c != L'\r' && length < typed.data.size()) {
                typed.data[length++] = c;
            }
        }
    }
    if (!any) return std::nullopt;
    WipedArray<char, Secret::kCapacity * 3> bytes;
    const int size = length ? WideCharToMultiByte(CP_UTF8, 0, typed.data.data(), int(length), bytes.data.data(),
                                                  int(bytes.data.size()), nullptr, nullptr)
                            : 0;
    return Secret(bytes.data.data(), std::size_t(std::max(size, 0)));
}

std::optional<Secret> plainLine(HANDLE input) {
    Secret line;
    bool any = false;
    for (;;) {
        char c = 0;
        DWORD got = 0;
        if (!ReadFile(input, &c, 1, &got, nullptr)) {
            const DWORD error = GetLastError();
            if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) break;
            fail("read the standard input", error);
        }
        if (got == 0) break;
        any = true;
        if (c == '\n') break;
        line.push(c);
    }
    if (!any) return std::nullopt;
    if (!line.empty() && line.data()[line.size() - 1] == '\r') return Secret(line.data(), line.size() - 1);
    return line;
}

}  // namespace

std::optional<Secret> readSecretLine() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) return consoleLine(input, mode);
    return plainLine(input);
}

StandardStreams::StandardStreams() {
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // Into a pipe or a file the output goes in large writes, not a system call a line, as the C
    // library on POSIX does already: a listing of a million lines takes a second, not twenty.
    if (!isTerminal(Stream::Output)) std::setvbuf(stdout, nullptr, _IOFBF, std::size_t(1) << 16);
    // 0: there is no console.
    m_codePage = GetConsoleOutputCP();
    if (m_codePage && m_codePage != CP_UTF8 && !SetConsoleOutputCP(CP_UTF8)) m_codePage = 0;
}

StandardStreams::~StandardStreams() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (m_codePage && m_codePage != CP_UTF8) SetConsoleOutputCP(m_codePage);
}

// --- Other processes --------------------------------------------------------------------

namespace {

// An argument as CommandLineToArgvW and the C runtime read it back.
std::wstring commandLineArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring out = L"\"";
    for (std::size_t i = 0;; ++i) {
        std::size_t backslashes = 0;
        while (i < argument.size() && argument[i] == L'\\') {
            ++i;
            ++backslashes;
        }
        if (i == argument.size()) {
            out.append(backslashes * 2, L'\\');
            break;
        }
        if (argument[i] == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        out += argument[i];
    }
    return out + L"\"";
}

bool sameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

struct EnvironmentFreer {
    void operator()(wchar_t* block) const noexcept { FreeEnvironmentStringsW(block); }
};

// This process's environment with the changes, as CreateProcessW takes it.
std::wstring environmentBlock(const SpawnOptions& options) {
    const std::unique_ptr<wchar_t, EnvironmentFreer> current(GetEnvironmentStringsW());
    std::wstring block;
    for (const wchar_t* entry = current.get(); entry && *entry; entry += wcslen(entry) + 1) {
        const std::wstring text = entry;
        // A name may start with '=' (the drives' current folders): its own '=' comes after.
        const std::wstring name = text.substr(0, text.find(L'=', 1));
        bool changed = false;
        for (const auto& change : options.environment) changed = changed || sameName(wide(change.first), name);
        if (!changed) block += text + L'\0';
    }
    for (const auto& [name, value] : options.environment)
        if (value) block += wide(name) + L"=" + wide(*value) + L'\0';
    return block + L'\0';
}

// A handle the child inherits: what it reads or writes as one of its standard streams.
Handle childStream(DWORD which, const Redirect& to, Handle& ourEnd) {
    const bool input = which == STD_INPUT_HANDLE;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    switch (to.kind) {
        case Redirect::Kind::Inherit: {
            HANDLE own = GetStdHandle(which);
            HANDLE copy = nullptr;
            if (valid(own) &&
                DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
                return Handle(copy);
            // None of its own to hand on (a program without a console): nothing.
            [[fallthrough]];
        }
        case Redirect::Kind::Nowhere: {
            Handle nul(CreateFileW(L"NUL", input ? GENERIC_READ : GENERIC_WRITE, kShare, &inherited, OPEN_EXISTING, 0,
                                   nullptr));
            if (!valid(nul.get())) fail("open NUL");
            return nul;
        }
        case Redirect::Kind::File: {
            const std::wstring name = wide(to.path);
            Handle file(CreateFileW(name.c_str(), input ? GENERIC_READ : GENERIC_WRITE, kShare, &inherited,
                                    input ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!valid(file.get())) fail(std::string(input ? "read " : "write ") + named(to.path));
            return file;
        }
        case Redirect::Kind::Pipe: {
            if (which == STD_ERROR_HANDLE) throw Error(errc::kUsage, "The error stream of a child is no pipe");
            HANDLE read = nullptr, write = nullptr;
            if (!CreatePipe(&read, &write, nullptr, 0)) fail("make a pipe");
            Handle readEnd(read), writeEnd(write);
            Handle& childEnd = input ? readEnd : writeEnd;
            if (!SetHandleInformation(childEnd.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) fail("make a pipe");
            ourEnd = input ? std::move(writeEnd) : std::move(readEnd);
            return input ? std::move(readEnd) : std::move(writeEnd);
        }
    }
    return Handle();
}

// The list of handles a child inherits, and no other: a pipe meant for one child never
// keeps another's end open.
class InheritedHandles {
  public:
    explicit InheritedHandles(std::vector<HANDLE> handles) : m_handles(std::move(handles)) {
        std::sort(m_handles.begin(), m_handles.end());
        m_handles.erase(std::unique(m_handles.begin(), m_handles.end()), m_handles.end());
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        m_buffer.resize(size / sizeof(void*) + 1);
        if (!InitializeProcThreadAttributeList(list(), 1, 0, &size)) fail("start a child");
        m_initialised = true;
        if (!UpdateProcThreadAttribute(list(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, m_handles.data(),
                                       m_handles.size() * sizeof(HANDLE), nullptr, nullptr))
            fail("start a child");
    }
    ~InheritedHandles() {
        if (m_initialised) DeleteProcThreadAttributeList(list());
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST list() { return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_buffer.data()); }

  private:
    std::vector<HANDLE> m_handles;
    std::vector<void*> m_buffer;
    bool m_initialised = false;
};

}  // namespace

Process::Process(const SpawnOptions& options) {
    if (options.arguments.empty()) throw Error(errc::kUsage, "No program to start");
    Handle ourIn, ourOut, unused;
    Handle childIn = childStream(STD_INPUT_HANDLE, options.input, ourIn);
    Handle childOut = childStream(STD_OUTPUT_HANDLE, options.output, ourOut);
    Handle childErr = childStream(STD_ERROR_HANDLE, options.error, unused);
    InheritedHandles inherited({childIn.get(), childOut.get(), childErr.get()});

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = childIn.get();
    startup.StartupInfo.hStdOutput = childOut.get();
    startup.StartupInfo.hStdError = childErr.get();
    startup.lpAttributeList = inherited.list();

    std::wstring commandLine;
    for (const std::string& a : options.arguments)
        commandLine += (commandLine.empty() ? L"" : L" ") + commandLineArgument(wide(a));
    const std::wstring program = wide(options.arguments.front());
    std::wstring block;
    DWORD flags = EXTENDED_STARTUPINFO_PRESENT;
    if (!options.environment.empty()) {
        block = environmentBlock(options);
        flags |= CREATE_UNICODE_ENVIRONMENT;
    }
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                        block.empty() ? nullptr : block.data(), nullptr, &startup.StartupInfo, &started))
        fail("start " + named(options.arguments.front()));
    CloseHandle(started.hThread);
    m_process = valueOf(started.hProcess);
    m_input = ourIn.get() ? valueOf(ourIn.release()) : -1;
    m_output = ourOut.get() ? valueOf(ourOut.release()) : -1;
}

Process::~Process() {
    if (!m_ending) {
        kill();
        wait();
    }
    for (std::intptr_t h : {m_input, m_output, m_process})
        if (h != -1) CloseHandle(handleOf(h));
}

bool Process::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
        DWORD put = 0;
        if (!WriteFile(handleOf(m_input), bytes + done, DWORD(std::min<std::size_t>(size - done, 1 << 20)), &put,
                       nullptr)) {
            const DWORD error = GetLastError();
            if (error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA) return false;
            fail("write to the child's input", error);
        }
        done += put;
    }
    return true;
}

void Process::closeInput() {
    if (m_input != -1) CloseHandle(handleOf(std::exchange(m_input, -1)));
}

std::size_t Process::read(void* into, std::size_t size) {
    DWORD got = 0;
    if (!ReadFile(handleOf(m_output), into, DWORD(std::min<std::size_t>(size, 1 << 20)), &got, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_BROKEN_PIPE) return 0;
        fail("read the child's output", error);
    }
    return got;
}

bool Process::readable() {
    DWORD waiting = 0;
    if (!PeekNamedPipe(handleOf(m_output), nullptr, 0, nullptr, &waiting, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_BROKEN_PIPE) return true;  // the end is there to read
        fail("read the child's output", error);
    }
    return waiting > 0;
}

void Process::kill() {
    if (m_ending || WaitForSingleObject(handleOf(m_process), 0) == WAIT_OBJECT_0) return;
    if (!TerminateProcess(handleOf(m_process), 137) && WaitForSingleObject(handleOf(m_process), 0) != WAIT_OBJECT_0)
        fail("end the child");
    m_killed = true;
}

std::optional<Ending> Process::waitFor(std::chrono::milliseconds limit) {
    if (m_ending) return m_ending;
    const DWORD rc = WaitForSingleObject(handleOf(m_process), DWORD(limit.count()));
    if (rc == WAIT_TIMEOUT) return std::nullopt;
    if (rc != WAIT_OBJECT_0) fail("wait for the child");
    DWORD code = 0;
    if (!GetExitCodeProcess(handleOf(m_process), &code)) fail("wait for the child");
    Ending ending;
    ending.code = long(code);
    // An exception's status (0xC0000005, an access violation) is a crash, not a status it chose.
    if (m_killed)
        ending.how = Ending::How::Killed;
    else if ((code & 0xC0000000u) == 0xC0000000u)
        ending.how = Ending::How::Crashed;
    m_ending = ending;
    return ending;
}

Ending Process::wait() { return *waitFor(std::chrono::milliseconds(INFINITE)); }

ParentChannel::ParentChannel() {
    // Copies of the handles: the C library's own go to the error stream below.
    HANDLE in = nullptr, out = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_INPUT_HANDLE), GetCurrentProcess(), &in, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        fail("take the parent's pipes");
    m_in = valueOf(in);
    if (!DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_OUTPUT_HANDLE), GetCurrentProcess(), &out, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        fail("take the parent's pipes");
    m_out = valueOf(out);
    std::fflush(stdout);
    if (_dup2(_fileno(stderr), _fileno(stdout)) != 0 ||
        !SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE)))
        fail("take the parent's pipes", ERROR_INVALID_HANDLE);
}

ParentChannel::~ParentChannel() {
    for (std::intptr_t h : {m_in, m_out})
        if (h != -1) CloseHandle(handleOf(h));
}

std::size_t ParentChannel::read(void* into, std::size_t size) {
    DWORD got = 0;
    if (!ReadFile(handleOf(m_in), into, DWORD(std::min<std::size_t>(size, 1 << 20)), &got, nullptr)) {
        const DWORD error = GetLastError();
        if (error == ERROR_BROKEN_PIPE) return 0;
        fail("read the parent's pipe", error);
    }
    return got;
}

bool ParentChannel::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
        DWORD put = 0;
        if (!WriteFile(handleOf(m_out), bytes + done, DWORD(std::min<std::size_t>(size - done, 1 << 20)), &put,
                       nullptr)) {
            const DWORD error = GetLastError();
            if (error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA) return false;
            fail("write to the parent's pipe", error);
        }
        done += put;
    }
    return true;
}

void crashQuietly() { SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX); }

void limitMemory(std::uint64_t bytes) {
    // The job lives on while this process is in it, though its handle goes.
    const Handle job(CreateJobObjectW(nullptr, nullptr));
    if (!job.get()) fail("limit the memory of the process");
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    limits.ProcessMemoryLimit = SIZE_T(bytes);
    if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !AssignProcessToJobObject(job.get(), GetCurrentProcess()))
        fail("limit the memory of the process");
}

// --- For the tests ----------------------------------------------------------------------

void shareWithOthers(const std::string& path) {
    const TokenUser user;
    WellKnownSid everyone(WinWorldSid);
    const DWORD inheritance = inheritanceFor(path);
    Acl acl{{user.sid(), FILE_ALL_ACCESS, inheritance},
            {everyone.sid(), FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, inheritance}};
    setOwnDacl(path, acl.get(), "share " + named(path));
}

void setReadOnly(const std::string& path, bool readOnly) {
    const std::wstring name = wide(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) fail("read the attributes of " + named(path));
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const DWORD changed =
            readOnly ? attributes | FILE_ATTRIBUTE_READONLY : attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
        if (!SetFileAttributesW(name.c_str(), changed)) fail("set the attributes of " + named(path));
        return;
    }
    // A folder's read-only attribute binds nothing: its DACL lets this user read and pass only,
    // while what is inside stays the user's.
    const TokenUser user;
    if (readOnly) {
        Acl acl{{user.sid(), FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, 0},
                {user.sid(), FILE_ALL_ACCESS, kInherited | INHERIT_ONLY_ACE}};
        setOwnDacl(path, acl.get(), "set the permissions of " + named(path));
    } else {
        Acl acl{{user.sid(), FILE_ALL_ACCESS, kInherited}};
        setOwnDacl(path, acl.get(), "set the permissions of " + named(path));
    }
}

void dropAdministratorRights() {}

bool accessRightsHold() {
    // Wine's ntdll says what it is; Windows' has no such entry.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return !ntdll || !GetProcAddress(ntdll, "wine_get_version");
}

PermissiveCreation::PermissiveCreation() = default;
PermissiveCreation::~PermissiveCreation() = default;

}  // namespace vesk::platform
