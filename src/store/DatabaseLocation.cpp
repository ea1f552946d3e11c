#include "store/DatabaseLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "core/Error.h"
#include "store/Connection.h"

namespace vesk::store {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDataFolderName = "vesk-orv";

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

std::string homeFolder() {
    if (auto home = environment("HOME"); home && !home->empty()) return *home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

}  // namespace

DatabaseLocation locateDatabase(const DatabaseSearch& search) {
    if (search.option && !search.option->empty()) return {*search.option, DatabaseSource::Option, {}};
    if (search.variable && !search.variable->empty()) return {*search.variable, DatabaseSource::Variable, {}};

    const std::string beside = (fs::path(search.programFolder) / kDatabaseFileName).string();
    if (search.exists(beside) || search.writable(search.programFolder))
        return {beside, DatabaseSource::BesideProgram, {}};

    // A relative XDG_DATA_HOME is invalid and ignored.
    fs::path data = fs::path(search.dataHome);
    if (search.dataHome.empty() || !data.is_absolute()) {
        if (search.home.empty())
            throw Error(errc::kFileNotFound, "The program's folder '" + search.programFolder +
                                                 "' is not writable and there is no home folder for the database");
        data = fs::path(search.home) / ".local" / "share";
    }
    const fs::path folder = data / kDataFolderName;
    return {(folder / kDatabaseFileName).string(), DatabaseSource::DataFolder, folder.string()};
}

std::string databasePath(const std::optional<std::string>& option) {
    return prepareDatabaseFolder(locateDatabase(systemDatabaseSearch(option)));
}

std::string prepareDatabaseFolder(const DatabaseLocation& location) {
    std::error_code ec;
    if (!location.folderToMake.empty()) fs::create_directories(location.folderToMake, ec);
    return location.path;
}

std::string dailyBackupFolder(const std::string& databasePath) {
    std::error_code ec;
    const fs::path file = fs::absolute(databasePath, ec);
    return ((ec ? fs::path(databasePath) : file).parent_path() / "backups").lexically_normal().string();
}

bool folderWritable(const std::string& folder) {
    // access() also answers EROFS for a read-only mount, which permissions alone do not show.
    return !folder.empty() && access(folder.c_str(), W_OK | X_OK) == 0;
}

DatabaseSearch systemDatabaseSearch(std::optional<std::string> option) {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) throw Error(errc::kFileNotFound, "Cannot find the program's folder: " + ec.message());
    DatabaseSearch s;
    s.option = std::move(option);
    s.variable = environment(kDatabaseVariable);
    s.programFolder = exe.parent_path().string();
    s.dataHome = environment("XDG_DATA_HOME").value_or("");
    s.home = homeFolder();
    s.exists = [](const std::string& path) {
        std::error_code e;
        return fs::exists(path, e);
    };
    s.writable = folderWritable;
    return s;
}

std::string describe(const DatabaseLocation& location, const DatabaseSearch& search) {
    switch (location.source) {
        case DatabaseSource::Option:
            return "named with --db";
        case DatabaseSource::Variable:
            return std::string("named by ") + kDatabaseVariable;
        case DatabaseSource::BesideProgram:
            return "beside the program";
        case DatabaseSource::DataFolder:
            return "in the data folder: the program's folder " + search.programFolder + " is not writable";
    }
    return {};
}

}  // namespace vesk::store
