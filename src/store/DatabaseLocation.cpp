#include "store/DatabaseLocation.h"

#include <filesystem>

#include "core/Error.h"
#include "core/Platform.h"
#include "store/Connection.h"

namespace vesk::store {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDataFolderName = "vesk-orv";

}  // namespace

DatabaseLocation locateDatabase(const DatabaseSearch& search) {
    if (search.option && !search.option->empty()) return {*search.option, DatabaseSource::Option, {}};
    if (search.variable && !search.variable->empty()) return {*search.variable, DatabaseSource::Variable, {}};

    const std::string beside = platform::joinPath(search.programFolder, kDatabaseFileName);
    if (search.exists(beside) || search.writable(search.programFolder))
        return {beside, DatabaseSource::BesideProgram, {}};

    if (search.dataFolder.empty())
        throw Error(errc::kFileNotFound, "The program's folder '" + search.programFolder +
                                             "' is not writable and there is no home folder for the database");
    const std::string folder = platform::joinPath(search.dataFolder, kDataFolderName);
    return {platform::joinPath(folder, kDatabaseFileName), DatabaseSource::DataFolder, folder};
}

std::string databasePath(const std::optional<std::string>& option) {
    return prepareDatabaseFolder(locateDatabase(systemDatabaseSearch(option)));
}

std::string prepareDatabaseFolder(const DatabaseLocation& location) {
    std::error_code ec;
    if (!location.folderToMake.empty()) fs::create_directories(platform::fsPath(location.folderToMake), ec);
    return location.path;
}

std::string dailyBackupFolder(const std::string& databasePath) {
    std::error_code ec;
    const fs::path given = platform::fsPath(databasePath);
    const fs::path file = fs::absolute(given, ec);
    return platform::utf8(((ec ? given : file).parent_path() / "backups").lexically_normal());
}

DatabaseSearch systemDatabaseSearch(std::optional<std::string> option) {
    DatabaseSearch s;
    s.option = std::move(option);
    s.variable = platform::environment(kDatabaseVariable);
    s.programFolder = platform::programFolder();
    s.dataFolder = platform::dataFolder();
    s.exists = [](const std::string& path) {
        std::error_code e;
        return fs::exists(platform::fsPath(path), e);
    };
    s.writable = platform::folderWritable;
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
