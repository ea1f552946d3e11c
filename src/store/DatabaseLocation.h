#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vesk::store {

/// The environment variable that names the database file, like --db.
inline constexpr const char* kDatabaseVariable = "VESK_ORV_DB";

/// Why a database file was chosen.
enum class DatabaseSource { Option, Variable, BesideProgram, DataFolder };

/// What the choice of the database file depends on. exists and writable are asked about
/// paths only; tests inject them so that the rule runs without touching the disk.
struct DatabaseSearch {
    std::optional<std::string> option;    ///< --db
    std::optional<std::string> variable;  ///< VESK_ORV_DB
    std::string programFolder;            ///< the running executable's folder
    std::string dataFolder;               ///< the person's folder for programs' data; empty: none
    std::function<bool(const std::string&)> exists;
    std::function<bool(const std::string&)> writable;
};

struct DatabaseLocation {
    std::string path;
    DatabaseSource source;
    /// The folder to make before the file can be created; empty when it is not ours to make.
    std::string folderToMake;
};

/// The file to open: --db, else VESK_ORV_DB, else ZETTools.db beside the program when it
/// is there or the program's folder is writable (not under Program Files, say), else
/// ZETTools.db in vesk-orv in the person's data folder (platform::dataFolder(): on Linux
/// $XDG_DATA_HOME or ~/.local/share, on Windows %LOCALAPPDATA%). Empty names count as unset.
DatabaseLocation locateDatabase(const DatabaseSearch& search);

/// The database file the programs open: --db (option), else VESK_ORV_DB, else beside the
/// executable, else in the data folder, which is made then.
std::string databasePath(const std::optional<std::string>& option = std::nullopt);

/// Makes the location's folder when it is ours to make (the data folder) and returns the
/// file's path. A folder that cannot be made shows when the file is opened.
std::string prepareDatabaseFolder(const DatabaseLocation& location);

/// The search on this machine: the environment, the program's own file, the real file system.
DatabaseSearch systemDatabaseSearch(std::optional<std::string> option = std::nullopt);

/// The folder beside the database file that holds its daily copies: "backups".
std::string dailyBackupFolder(const std::string& databasePath);

/// One line saying why the file was chosen, for the status line and `where`.
std::string describe(const DatabaseLocation& location, const DatabaseSearch& search);

}  // namespace vesk::store
