#pragma once

// The one place the program meets the operating system: PlatformPosix.cpp and
// PlatformWindows.cpp implement it, and nothing else includes a system's header or asks which
// system it runs on. Paths are UTF-8 std::strings on every system. Every failure of the
// system throws SystemError, never a std::filesystem error and never unseen.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Error.h"
#include "core/Secret.h"

namespace vesk::platform {

/// A call to the system that failed: an Error whose description names what was done to which
/// path, and the system's own words for why, apart, for a caller that words it itself.
/// kFileNotFound when the file or its folder does not exist, else kPathAccess.
class SystemError : public Error {
  public:
    SystemError(long number, const std::string& description, std::string reason)
        : Error(number, description), m_reason(std::move(reason)) {}
    const std::string& reason() const { return m_reason; }

  private:
    std::string m_reason;
};

// --- Paths ------------------------------------------------------------------------------

/// A UTF-8 path as std::filesystem takes it. Never std::filesystem::path(std::string) itself:
/// on Windows that reads the bytes in the ANSI code page.
std::filesystem::path fsPath(const std::string& utf8);
/// A std::filesystem path back as UTF-8 (never path.string(), for the same reason).
std::string utf8(const std::filesystem::path& path);
/// `name` inside `folder`, both UTF-8.
std::string joinPath(const std::string& folder, const std::string& name);
/// The last part of a path ("b.db" of "a/b.db"), UTF-8.
std::string fileName(const std::string& path);

/// Text in a code page, by its Windows number (1252, 1251, 932; 10000 Mac Roman, 20127
/// US-ASCII), as UTF-8: iconv's tables on POSIX, the system's own on Windows. nullopt when the
/// bytes hold a character the code page does not have; SystemError when the system knows no
/// such code page.
std::optional<std::string> fromCodePage(std::string_view bytes, unsigned codePage);

// --- Files ------------------------------------------------------------------------------

enum class Open {
    Read,       ///< an existing file, read only
    CreateNew,  ///< a file that must not exist yet, written
    Replace,    ///< made, or emptied when it exists, written
};

struct FileOptions {
    /// Readable and writable by this user alone (see makeOwnerOnly), from before a byte is in it.
    bool ownerOnly = false;
    /// Written past the system's file cache, straight to the disk, where the file system
    /// takes that; writes must then be whole pages from memory aligned to a page. A file
    /// system that refuses it is written through the cache instead.
    bool uncached = false;
};

/// An open file, closed with it. Reads take an offset and leave no position behind; writes
/// go one after the other from the start.
class File {
  public:
    File() = default;
    /// Throws SystemError.
    File(const std::string& path, Open how, FileOptions options = {});
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return m_handle != kNone; }
    const std::string& path() const { return m_path; }

    /// Up to `size` bytes at `offset`: fewer only at the end of the file.
    std::size_t readAt(void* into, std::size_t size, std::uint64_t offset) const;
    /// All of it, after what was written before.
    void write(const void* data, std::size_t size);
    /// What was written, on the disk (fsync, FlushFileBuffers).
    void flush();
    std::uint64_t size() const;
    /// Closes it, reporting what the system says then (a write it had put off that failed).
    void close();

  private:
    static constexpr std::intptr_t kNone = -1;
    /// Each system's own closing of a handle.
    static void closeNative(std::intptr_t handle) noexcept;
    /// Goes on through the cache after the file system refused an uncached write; false when
    /// the file was not written uncached.
    bool dropUncached();

    std::intptr_t m_handle = kNone;  // a descriptor, or a HANDLE
    std::string m_path;
    std::uint64_t m_written = 0;
    bool m_uncached = false;
};

/// Whether the rename must last a power cut once it returns: on POSIX the folder that holds
/// the name is written out too; Windows writes the move through in either case.
enum class Rename { Lasting, Plain };

/// Gives `from` the name `to` in one step, replacing a file there. Windows: a file an
/// antivirus or an indexer holds for a moment is tried again for a few seconds.
void replaceFile(const std::string& from, const std::string& to, Rename how = Rename::Lasting);
/// Removes the file; nothing when there is none. Throws SystemError: a folder at the name is
/// no file, and stays.
void removeFile(const std::string& path);

/// Access for this user alone: mode 0600 (0700 for a folder) on POSIX; on Windows a DACL of its
/// own, not inherited, whose one entry gives this user (the process token's) full access.
void makeOwnerOnly(const std::string& path);
/// Whether only this user may open the file: no permission for group or others on POSIX; on
/// Windows a DACL of exactly one entry, allowing this user.
bool isOwnerOnly(const std::string& path);
/// Gives `path` the access `model` has (a copy holds what its original holds).
void sameAccessAs(const std::string& path, const std::string& model);

/// True when this process can create files in the folder (POSIX: access(); Windows: a file
/// made and removed there, the only answer the folder's DACL gives truly).
bool folderWritable(const std::string& folder);

// --- Memory -----------------------------------------------------------------------------

/// Overwrites memory that held a secret, in a way the compiler keeps.
void wipe(void* data, std::size_t size) noexcept;

/// The machine's memory in bytes; 0 when the system does not say.
std::uint64_t physicalMemory();

/// The most memory this process has held at once, in bytes: the high-water mark of its
/// resident set (POSIX), its peak working set (Windows); 0 when the system does not say.
/// The process's own since it started its program, not the parent's it was started from.
std::uint64_t peakMemory();

/// Asks for memory already allocated (a buffer of megabytes) to be backed by large pages where
/// the system can do that afterwards: transparent huge pages on POSIX. Windows gives large
/// pages only to memory allocated as such, and only to an account that may lock pages: there,
/// nothing. A refusal leaves the ordinary pages, which work as well, only slower.
void preferLargePages(void* data, std::size_t size) noexcept;

// --- The person and the machine ---------------------------------------------------------

/// A variable of the environment, UTF-8; nullopt when unset.
std::optional<std::string> environment(const std::string& name);
/// Sets (or, nullopt, removes) a variable of this process's environment, which children
/// started after inherit.
void setEnvironment(const std::string& name, const std::optional<std::string>& value);

/// The running program's own file and its folder. Throws SystemError.
std::string programFile();
std::string programFolder();
/// The program of that name installed beside this one ("name", "name.exe" on Windows).
std::string programBeside(const std::string& name);
/// The command line's arguments as UTF-8, the program's name first (Windows: from the UTF-16
/// command line, which the narrow argv has lost in the ANSI code page).
std::vector<std::string> arguments(int argc, char** argv);
/// This process's number.
long processId();

/// The person's folder for programs' data: $XDG_DATA_HOME when absolute, else
/// ~/.local/share on POSIX; %LOCALAPPDATA% (the known folder) on Windows. Empty when there is none.
std::string dataFolder();
/// The person's desktop: XDG_DESKTOP_DIR of the user-dirs file, else ~/Desktop on POSIX; the
/// known folder on Windows, wherever it has been moved (into OneDrive, say).
std::string desktopFolder();
/// The person's login name; empty when the system does not say.
std::string userName();

/// The time as the clock on the wall shows it where the machine is. Throws SystemError.
std::tm localTime(std::time_t time);

/// The pure rules behind dataFolder() and desktopFolder() on POSIX, of the variables' and
/// the user-dirs file's text, so that they are tried on every system.
std::string xdgDataFolder(const std::string& dataHome, const std::string& home);
/// XDG_DESKTOP_DIR out of a user-dirs file's text ("$HOME/Desktop" expanded with home);
/// empty when the text does not set it, or sets the home folder itself.
std::string desktopFromUserDirs(const std::string& text, const std::string& home);

// --- The terminal -----------------------------------------------------------------------

enum class Stream { Input, Output, Error };
/// Whether the standard stream is a terminal (a console on Windows).
bool isTerminal(Stream stream);

/// One line of the standard input, read past the C++ streams into the secret (no string
/// holds it), the terminal's echo off meanwhile; CR LF or LF ends it and is dropped. On
/// Windows a console is read as UTF-16 and handed over as UTF-8. From anything else than a
/// terminal: the line as it comes. nullopt at the input's end.
std::optional<Secret> readSecretLine();

/// While it lives, the standard output and error streams carry the program's UTF-8 text as it
/// is: a console shows it as UTF-8 (Windows: the console's output code page, given back after),
/// and no line end is rewritten on the way (Windows' text mode makes each LF a CR LF, which
/// a script reading the output would not expect). Nothing on POSIX, where both hold already.
class StandardStreams {
  public:
    StandardStreams();
    ~StandardStreams();
    StandardStreams(const StandardStreams&) = delete;
    StandardStreams& operator=(const StandardStreams&) = delete;

  private:
    unsigned m_codePage = 0;
};

// --- Other processes --------------------------------------------------------------------

/// Where a child's standard stream comes from or goes.
struct Redirect {
    /// Pipe: for the input and the output only.
    enum class Kind { Inherit, Nowhere, File, Pipe };
    Kind kind = Kind::Inherit;
    std::string path;  ///< for File: read (input) or made afresh (output)

    static Redirect inherit() { return {}; }
    static Redirect nowhere() { return {Kind::Nowhere, {}}; }
    static Redirect file(std::string path) { return {Kind::File, std::move(path)}; }
    static Redirect pipe() { return {Kind::Pipe, {}}; }
};

struct SpawnOptions {
    std::vector<std::string> arguments;  ///< the program's path first
    Redirect input, output, error;
    /// Variables set (a value) or removed (nullopt) for the child alone.
    std::vector<std::pair<std::string, std::optional<std::string>>> environment;
};

/// How a child ended.
struct Ending {
    enum class How { Exited, Killed, Crashed };
    How how = How::Exited;
    /// Exited: its status; Crashed: the signal (POSIX) or the exception's code (Windows).
    long code = 0;
};

/// A child process: started at once, killed and waited for when it goes unless it was waited
/// for before.
class Process {
  public:
    /// Throws SystemError.
    explicit Process(const SpawnOptions& options);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    /// Into its input pipe; false when it has closed its end (it has ended).
    bool write(const void* data, std::size_t size);
    /// Closes this side of its input pipe: it reads the end of its input.
    void closeInput();
    /// Out of its output pipe, waiting for at least a byte; 0 at its end.
    std::size_t read(void* into, std::size_t size);
    /// Whether read() would return at once (bytes there, or the end).
    bool readable();

    /// Ends it where it is, as a power cut or the task manager would.
    void kill();
    /// Waits for it to end.
    Ending wait();
    /// The same, for `limit` at most; nullopt when it still runs then.
    std::optional<Ending> waitFor(std::chrono::milliseconds limit);

  private:
    std::intptr_t m_process = -1;  // a pid, or a HANDLE
    std::intptr_t m_input = -1;    // this side of its input pipe
    std::intptr_t m_output = -1;   // this side of its output pipe
    bool m_killed = false;
    std::optional<Ending> m_ending;
};

/// A child's side of the talk with the parent that started it with pipes for its input and
/// output. Made once, at the child's start: what the child prints from then on goes to its
/// error stream, so that nothing else is taken for the talk.
class ParentChannel {
  public:
    ParentChannel();
    ~ParentChannel();
    ParentChannel(const ParentChannel&) = delete;
    ParentChannel& operator=(const ParentChannel&) = delete;

    /// Waits for at least a byte; 0 once the parent has closed its end.
    std::size_t read(void* into, std::size_t size);
    /// false when the parent has closed its end.
    bool write(const void* data, std::size_t size);

  private:
    std::intptr_t m_in = -1;
    std::intptr_t m_out = -1;
};

/// A crash of this process ends it at once, with no dialog left waiting for a person (Windows'
/// error reporting); its parent sees the crash. Nothing to do on POSIX.
void crashQuietly();

/// Caps the memory this process may take: an allocation past it fails (POSIX: its address
/// space; Windows: the memory it commits, through a job object).
void limitMemory(std::uint64_t bytes);

// --- For the tests: states the program itself never puts a file or a process in --------

/// Opens the file or folder to everyone for reading (and a folder for passing through): 0644
/// or 0755 on POSIX; on Windows an entry for Everyone beside this user's, which what is made
/// inside a folder then inherits.
void shareWithOthers(const std::string& path);
/// Sets or takes back a read-only state that binds this process too: on POSIX no one's write
/// permission (root is bound only after dropAdministratorRights()); on Windows a file's
/// read-only attribute, a folder's DACL letting this user read and pass only.
void setReadOnly(const std::string& path, bool readOnly);
/// Gives up the rights that let a process write what its permissions forbid (root's on
/// POSIX: it becomes nobody; on Windows the read-only states above bind an administrator
/// already). Files it opens afterwards must be open to others.
void dropAdministratorRights();

/// Whether the access rights set on files and folders hold, for the tests of them to look at:
/// always on POSIX and on Windows itself; not under wine, which takes a DACL with success and
/// keeps none of it, and lets a Unix root's programs past every read-only state.
bool accessRightsHold();

/// While it lives, files are made with whatever permissions their maker asks (POSIX: umask 0);
/// on Windows, where a file takes its folder's inherited access, nothing.
class PermissiveCreation {
  public:
    PermissiveCreation();
    ~PermissiveCreation();
    PermissiveCreation(const PermissiveCreation&) = delete;
    PermissiveCreation& operator=(const PermissiveCreation&) = delete;

  private:
    unsigned m_before = 0;
};

}  // namespace vesk::platform
