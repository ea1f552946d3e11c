// The seam on Linux and other POSIX systems.
#include <fcntl.h>
#include <grp.h>
#include <iconv.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <system_error>
#include <thread>

#include "core/Platform.h"

extern char** environ;

namespace vesk::platform {

namespace {

std::string reasonOf(int error) { return std::system_category().message(error); }

[[noreturn]] void fail(const std::string& action, int error) {
    const std::string reason = reasonOf(error);
    const long number = error == ENOENT || error == ENOTDIR ? errc::kFileNotFound : errc::kPathAccess;
    throw SystemError(number, "Cannot " + action + ": " + reason, reason);
}

std::string named(const std::string& path) { return "'" + path + "'"; }

int fdOf(std::intptr_t handle) { return static_cast<int>(handle); }

mode_t modeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) fail("read the permissions of " + named(path), errno);
    return st.st_mode;
}

void changeMode(const std::string& path, mode_t mode, const std::string& action) {
    if (::chmod(path.c_str(), mode) != 0) fail(action, errno);
}

// A descriptor of ours, closed with it.
class Fd {
  public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }

  private:
    int m_fd;
};

}  // namespace

namespace {

struct IconvCloser {
    void operator()(void* cd) const { ::iconv_close(static_cast<iconv_t>(cd)); }
};

std::string charsetOf(unsigned codePage) {
    switch (codePage) {
        case 20127:
            return "ASCII";
        case 10000:
            return "MACINTOSH";
        default:
            return "CP" + std::to_string(codePage);
    }
}

}  // namespace

std::optional<std::string> fromCodePage(std::string_view bytes, unsigned codePage) {
    const std::string charset = charsetOf(codePage);
    const std::unique_ptr<void, IconvCloser> cd([&]() -> void* {
        iconv_t h = ::iconv_open("UTF-8", charset.c_str());
        return h == iconv_t(-1) ? nullptr : static_cast<void*>(h);
    }());
    if (!cd) fail("read text in code page " + std::to_string(codePage), errno);
    std::string in(bytes);
    std::string out(in.size() * 4 + 4, '\0');
    char* src = in.data();
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    if (::iconv(static_cast<iconv_t>(cd.get()), &src, &srcLeft, &dst, &dstLeft) == std::size_t(-1)) return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

// --- Files ------------------------------------------------------------------------------

File::File(const std::string& path, Open how, FileOptions options) : m_path(path) {
    int flags = O_CLOEXEC;
    const char* verb = "write";
    switch (how) {
        case Open::Read:
            flags |= O_RDONLY;
            verb = "read";
            break;
        case Open::CreateNew:
            flags |= O_WRONLY | O_CREAT | O_EXCL;
            verb = "create";
            break;
        case Open::Replace:
            flags |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
    }
    const mode_t mode = options.ownerOnly ? 0600 : 0666;
    int fd = -1;
    if (options.uncached && how != Open::Read) {
        fd = ::open(path.c_str(), flags | O_DIRECT, mode);
        m_uncached = fd >= 0;
        // Only a file system without direct writes is tried again; any other refusal stands.
        if (fd < 0 && errno != EINVAL) fail(std::string(verb) + " " + named(path), errno);
    }
    if (fd < 0) fd = ::open(path.c_str(), flags, mode);
    if (fd < 0) fail(std::string(verb) + " " + named(path), errno);
    Fd owned(fd);
    // Whatever the umask took away, and nothing more; a file that was there keeps no other mode.
    if (options.ownerOnly && how != Open::Read && ::fchmod(fd, 0600) != 0) {
        const int error = errno;
        if (how == Open::CreateNew) ::unlink(path.c_str());  // ours, and empty
        fail("restrict " + named(path) + " to its owner", error);
    }
    m_handle = owned.release();
}

void File::closeNative(std::intptr_t handle) noexcept { ::close(fdOf(handle)); }

std::size_t File::readAt(void* into, std::size_t size, std::uint64_t offset) const {
    auto* bytes = static_cast<unsigned char*>(into);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fdOf(m_handle), bytes + done, size - done, off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail("read " + named(m_path), errno);
        if (n == 0) break;
        done += std::size_t(n);
    }
    return done;
}

bool File::dropUncached() {
    if (!m_uncached) return false;
    const int flags = ::fcntl(fdOf(m_handle), F_GETFL);
    if (flags < 0 || ::fcntl(fdOf(m_handle), F_SETFL, flags & ~O_DIRECT) != 0) return false;
    m_uncached = false;
    return true;
}

void File::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fdOf(m_handle), bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        // A file system that takes no direct writes of this size: through the cache, then.
        if (n < 0 && errno == EINVAL && dropUncached()) continue;
        if (n < 0) fail("write " + named(m_path), errno);
        done += std::size_t(n);
        m_written += std::uint64_t(n);
    }
}

void File::flush() {
    if (::fsync(fdOf(m_handle)) != 0) fail("write " + named(m_path), errno);
}

std::uint64_t File::size() const {
    struct stat st {};
    if (::fstat(fdOf(m_handle), &st) != 0) fail("read " + named(m_path), errno);
    return std::uint64_t(st.st_size);
}

void File::close() {
    if (!isOpen()) return;
    // The descriptor is gone whatever close() answers: never closed twice.
    if (::close(fdOf(std::exchange(m_handle, kNone))) != 0 && errno != EINTR) fail("write " + named(m_path), errno);
}

void replaceFile(const std::string& from, const std::string& to, Rename how) {
    if (::rename(from.c_str(), to.c_str()) != 0) fail("rename " + named(from) + " to " + named(to), errno);
    if (how == Rename::Plain) return;
    // A rename lasts only once the folder that holds the name is written out.
    std::string folder = utf8(fsPath(to).parent_path());
    if (folder.empty()) folder = ".";
    const Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) fail("write the folder " + named(folder), errno);
    // EINVAL: a file system that keeps no folder to write out.
    if (::fsync(fd.get()) != 0 && errno != EINVAL) fail("write the folder " + named(folder), errno);
}

void removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) fail("remove " + named(path), errno);
}

void makeOwnerOnly(const std::string& path) {
    changeMode(path, S_ISDIR(modeOf(path)) ? 0700 : 0600, "restrict " + named(path) + " to its owner");
}

bool isOwnerOnly(const std::string& path) { return (modeOf(path) & (S_IRWXG | S_IRWXO)) == 0; }

void sameAccessAs(const std::string& path, const std::string& model) {
    changeMode(path, modeOf(model) & 07777, "set the permissions of " + named(path));
}

bool folderWritable(const std::string& folder) {
    // access() also answers EROFS for a read-only mount, which permissions alone do not show.
    return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// --- Memory -----------------------------------------------------------------------------

void wipe(void* data, std::size_t size) noexcept { ::explicit_bzero(data, size); }

std::uint64_t physicalMemory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return std::uint64_t(pages) * std::uint64_t(pageSize);
}

std::uint64_t peakMemory() {
    // VmHWM, not getrusage(): that counts the memory of the program the process ran before
    // its own, the parent's when it was started by a spawn that shares it.
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::uint64_t(std::strtoull(line.c_str() + 6, nullptr, 10)) * 1024;
    return 0;
}

void preferLargePages(void* data, std::size_t size) noexcept {
#ifdef MADV_HUGEPAGE
    // Only whole large pages inside the buffer, and before anything is written to them.
    constexpr std::uintptr_t kLargePage = std::uintptr_t(2) << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t from = (start + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t to = (start + size) & ~(kLargePage - 1);
    if (to > from) (void)::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

// --- The person and the machine ---------------------------------------------------------

std::optional<std::string> environment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

void setEnvironment(const std::string& name, const std::optional<std::string>& value) {
    const int rc = value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    if (rc != 0) fail("set the variable " + name, errno);
}

std::string programFile() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) fail("find the program's own file", ec ? ec.value() : ENOENT);
    return utf8(exe);
}

std::string programFolder() { return utf8(fsPath(programFile()).parent_path()); }

std::string programBeside(const std::string& name) { return joinPath(programFolder(), name); }

std::vector<std::string> arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

long processId() { return long(::getpid()); }

namespace {

std::string homeFolder() {
    if (auto home = environment("HOME"); home && !home->empty()) return *home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

}  // namespace

std::string dataFolder() { return xdgDataFolder(environment("XDG_DATA_HOME").value_or(""), homeFolder()); }

std::string desktopFolder() {
    std::string home = environment("HOME").value_or("");
    if (home.empty()) home = "/tmp";
    std::string config = environment("XDG_CONFIG_HOME").value_or("");
    if (config.empty()) config = home + "/.config";
    // No file, or one that names no desktop: the usual place.
    if (std::ifstream file(fsPath(config + "/user-dirs.dirs")); file) {
        std::stringstream text;
        text << file.rdbuf();
        std::string desktop = desktopFromUserDirs(text.str(), home);
        if (!desktop.empty()) return desktop;
    }
    return home + "/Desktop";
}

std::string userName() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
    for (const char* name : {"LOGNAME", "USER"})
        if (auto value = environment(name); value && !value->empty()) return *value;
    return {};
}

std::tm localTime(std::time_t time) {
    std::tm local{};
    if (!::localtime_r(&time, &local)) fail("read the local time", errno);
    return local;
}

// --- The terminal -----------------------------------------------------------------------

bool isTerminal(Stream stream) {
    const int fd = stream == Stream::Input ? STDIN_FILENO : stream == Stream::Output ? STDOUT_FILENO : STDERR_FILENO;
    return ::isatty(fd) != 0;
}

namespace {

// The terminal's echo off while a secret is typed, on again whatever happens.
class EchoOff {
  public:
    EchoOff() {
        if (::tcgetattr(STDIN_FILENO, &m_saved) != 0) return;  // no terminal: nothing to hide
        termios quiet = m_saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ICANON;
        if (::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) != 0) fail("turn the terminal's echo off", errno);
        m_off = true;
    }
    ~EchoOff() {
        if (m_off) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_saved);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    termios m_saved{};
    bool m_off = false;
};

}  // namespace

std::optional<Secret> readSecretLine() {
    const EchoOff echoOff;
    Secret line;
    bool any = false;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail("read the standard input", errno);
        if (n == 0) break;
        any = true;
        if (c == '\n') break;
        line.push(c);
    }
    if (!any) return std::nullopt;
    if (!line.empty() && line.data()[line.size() - 1] == '\r') return Secret(line.data(), line.size() - 1);
    return line;
}

StandardStreams::StandardStreams() = default;
StandardStreams::~StandardStreams() = default;

// --- Other processes --------------------------------------------------------------------

namespace {

// The file actions of a spawn, destroyed with it.
class SpawnActions {
  public:
    SpawnActions() { posix_spawn_file_actions_init(&m_actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&m_actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &m_actions; }

  private:
    posix_spawn_file_actions_t m_actions;
};

class SpawnAttributes {
  public:
    SpawnAttributes() { posix_spawnattr_init(&m_attributes); }
    ~SpawnAttributes() { posix_spawnattr_destroy(&m_attributes); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return &m_attributes; }

  private:
    posix_spawnattr_t m_attributes;
};

// A pipe whose ends no other child inherits.
void makePipe(Fd& read, Fd& write) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) fail("make a pipe", errno);
    read.reset(fds[0]);
    write.reset(fds[1]);
}

void redirect(SpawnActions& actions, int fd, const Redirect& to, Fd& childEnd, Fd& ourEnd) {
    const bool input = fd == STDIN_FILENO;
    switch (to.kind) {
        case Redirect::Kind::Inherit:
            return;
        case Redirect::Kind::Nowhere:
            posix_spawn_file_actions_addopen(actions.get(), fd, "/dev/null", input ? O_RDONLY : O_WRONLY, 0);
            return;
        case Redirect::Kind::File:
            posix_spawn_file_actions_addopen(actions.get(), fd, to.path.c_str(),
                                             input ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC, 0666);
            return;
        case Redirect::Kind::Pipe:
            if (fd == STDERR_FILENO) throw Error(errc::kUsage, "The error stream of a child is no pipe");
            if (input)
                makePipe(childEnd, ourEnd);
            else
                makePipe(ourEnd, childEnd);
            posix_spawn_file_actions_adddup2(actions.get(), childEnd.get(), fd);
            return;
    }
}

std::vector<std::string> childEnvironment(const SpawnOptions& options) {
    std::vector<std::string> out;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool changed = false;
        for (const auto& change : options.environment) changed = changed || change.first == name;
        if (!changed) out.push_back(entry);
    }
    for (const auto& [name, value] : options.environment)
        if (value) out.push_back(name + "=" + *value);
    return out;
}

// Writing into the pipe of a child that has ended is answered EPIPE, not by the signal that
// would end this process.
void ignoreBrokenPipes() {
    static const bool ignored = [] {
        struct sigaction action {};
        action.sa_handler = SIG_IGN;
        return ::sigaction(SIGPIPE, &action, nullptr) == 0;
    }();
    if (!ignored) fail("ignore the signal of a broken pipe", errno);
}

}  // namespace

Process::Process(const SpawnOptions& options) {
    if (options.arguments.empty()) throw Error(errc::kUsage, "No program to start");
    ignoreBrokenPipes();
    SpawnActions actions;
    Fd childIn, ourIn, childOut, ourOut, unused, unusedToo;
    redirect(actions, STDIN_FILENO, options.input, childIn, ourIn);
    redirect(actions, STDOUT_FILENO, options.output, childOut, ourOut);
    redirect(actions, STDERR_FILENO, options.error, unused, unusedToo);
    // The child starts with the signals' usual handling, whatever this process ignores.
    SpawnAttributes attributes;
    sigset_t usual;
    sigemptyset(&usual);
    sigaddset(&usual, SIGPIPE);
    posix_spawnattr_setsigdefault(attributes.get(), &usual);
    posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv;
    for (const std::string& a : options.arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> variables = childEnvironment(options);
    std::vector<char*> envp;
    for (std::string& v : variables) envp.push_back(v.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, argv[0], actions.get(), attributes.get(), argv.data(),
                                 options.environment.empty() ? environ : envp.data());
    if (rc != 0) fail("start " + named(options.arguments.front()), rc);
    m_process = pid;
    m_input = ourIn.release();
    m_output = ourOut.release();
}

Process::~Process() {
    if (!m_ending) {
        kill();
        wait();
    }
    for (std::intptr_t fd : {m_input, m_output})
        if (fd >= 0) ::close(fdOf(fd));
}

bool Process::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fdOf(m_input), bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EPIPE) return false;
        if (n < 0) fail("write to the child's input", errno);
        done += std::size_t(n);
    }
    return true;
}

void Process::closeInput() {
    if (m_input >= 0) ::close(fdOf(std::exchange(m_input, -1)));
}

std::size_t Process::read(void* into, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fdOf(m_output), into, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail("read the child's output", errno);
        return std::size_t(n);
    }
}

bool Process::readable() {
    pollfd p{fdOf(m_output), POLLIN, 0};
    const int n = ::poll(&p, 1, 0);
    if (n < 0 && errno != EINTR) fail("read the child's output", errno);
    return n == 1;
}

void Process::kill() {
    if (m_ending || m_process <= 0) return;
    if (::kill(pid_t(m_process), SIGKILL) != 0 && errno != ESRCH) fail("end the child", errno);
    m_killed = true;
}

Ending Process::wait() {
    if (m_ending) return *m_ending;
    int status = 0;
    for (;;) {
        const pid_t got = ::waitpid(pid_t(m_process), &status, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail("wait for the child", errno);
        break;
    }
    Ending ending;
    if (WIFEXITED(status)) {
        ending.code = WEXITSTATUS(status);
    } else {
        const int signal = WTERMSIG(status);
        ending.how = m_killed && signal == SIGKILL ? Ending::How::Killed : Ending::How::Crashed;
        ending.code = signal;
    }
    m_ending = ending;
    return ending;
}

std::optional<Ending> Process::waitFor(std::chrono::milliseconds limit) {
    if (m_ending) return m_ending;
    // A descriptor that becomes readable when the child ends; a kernel without one is asked
    // again and again.
    const Fd pidfd(int(::syscall(SYS_pidfd_open, pid_t(m_process), 0)));
    if (pidfd.get() >= 0) {
        pollfd p{pidfd.get(), POLLIN, 0};
        int n = 0;
        while ((n = ::poll(&p, 1, int(limit.count()))) < 0 && errno == EINTR) {
        }
        if (n < 0) fail("wait for the child", errno);
        if (n == 0) return std::nullopt;
        return wait();
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        siginfo_t info{};
        if (::waitid(P_PID, id_t(m_process), &info, WEXITED | WNOHANG | WNOWAIT) != 0 && errno != EINTR)
            fail("wait for the child", errno);
        if (info.si_pid != 0) return wait();
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ParentChannel::ParentChannel() {
    // The talk keeps the standard input and output; the standard output becomes the error stream.
    m_in = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    m_out = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (m_in < 0 || m_out < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) fail("take the parent's pipes", errno);
}

ParentChannel::~ParentChannel() {
    for (std::intptr_t fd : {m_in, m_out})
        if (fd >= 0) ::close(fdOf(fd));
}

std::size_t ParentChannel::read(void* into, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fdOf(m_in), into, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail("read the parent's pipe", errno);
        return std::size_t(n);
    }
}

bool ParentChannel::write(const void* data, std::size_t size) {
    ignoreBrokenPipes();
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fdOf(m_out), bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EPIPE) return false;
        if (n < 0) fail("write to the parent's pipe", errno);
        done += std::size_t(n);
    }
    return true;
}

void crashQuietly() {}

void limitMemory(std::uint64_t bytes) {
    const rlimit cap{rlim_t(bytes), rlim_t(bytes)};
    if (::setrlimit(RLIMIT_AS, &cap) != 0) fail("limit the memory of the process", errno);
}

// --- For the tests ----------------------------------------------------------------------

void shareWithOthers(const std::string& path) {
    changeMode(path, S_ISDIR(modeOf(path)) ? 0755 : 0644, "share " + named(path));
}

void setReadOnly(const std::string& path, bool readOnly) {
    const mode_t mode = modeOf(path) & 07777;
    changeMode(path, readOnly ? mode & ~mode_t(0222) : mode | S_IWUSR, "set the permissions of " + named(path));
}

bool accessRightsHold() { return true; }

void dropAdministratorRights() {
    if (::geteuid() != 0) return;
    constexpr uid_t kNobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
        fail("become an ordinary user", errno);
}

PermissiveCreation::PermissiveCreation() : m_before(::umask(0)) {}
PermissiveCreation::~PermissiveCreation() { ::umask(mode_t(m_before)); }

}  // namespace vesk::platform
