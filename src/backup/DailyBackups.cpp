#include "backup/DailyBackups.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>

#include "backup/BackupWording.h"
#include "core/Error.h"
#include "core/Platform.h"
#include "store/DatabaseLocation.h"
#include "store/EngineError.h"
#include "store/OnlineBackup.h"

namespace vesk::backup {

namespace fs = std::filesystem;

namespace {

// The file whose presence turns the copies off, with a line saying so for whoever finds it.
constexpr const char* kOffSwitch = "daily-backups-off";

fs::path offSwitch(const std::string& databasePath) {
    return platform::fsPath(store::dailyBackupFolder(databasePath)) / kOffSwitch;
}

std::string stem(const std::string& databasePath) { return platform::utf8(platform::fsPath(databasePath).stem()); }

// Only names the program gave its copies of this database: anything else is left alone.
bool isDailyBackupOf(const std::string& name, const std::string& databasePath) {
    static const std::regex kDated(R"(-\d{4}-\d{2}-\d{2}\.db)");
    const std::string prefix = stem(databasePath);
    return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           std::regex_match(name.substr(prefix.size()), kDated);
}

}  // namespace

bool dailyBackupsOn(const std::string& databasePath) {
    std::error_code ec;
    return !fs::exists(offSwitch(databasePath), ec);
}

void setDailyBackups(const std::string& databasePath, bool on) {
    const fs::path file = offSwitch(databasePath);
    std::error_code ec;
    if (on) {
        fs::remove(file, ec);
        if (ec) throw Error(errc::kPathAccess, notRemovedText(platform::utf8(file), ec.message()));
        return;
    }
    fs::create_directories(file.parent_path(), ec);
    std::ofstream out(file);
    out << offSwitchText();
    if (!out.flush()) throw Error(errc::kPathAccess, notWrittenText(platform::utf8(file)));
}

std::string dailyBackupPath(const std::string& databasePath, const DateTime& day) {
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", day.year, day.month, day.day);
    return platform::joinPath(store::dailyBackupFolder(databasePath), stem(databasePath) + "-" + date + ".db");
}

std::vector<std::string> dailyBackups(const std::string& databasePath) {
    std::vector<std::string> found;
    std::error_code ec;
    // Stepped with the error code: a range-for's step throws std::filesystem's own error.
    for (fs::directory_iterator it(platform::fsPath(store::dailyBackupFolder(databasePath)), ec), end; !ec && it != end;
         it.increment(ec))
        if (it->is_regular_file(ec) && isDailyBackupOf(platform::utf8(it->path().filename()), databasePath))
            found.push_back(platform::utf8(it->path()));
    // The date in the name orders them.
    std::sort(found.begin(), found.end());
    return found;
}

std::optional<std::string> keepDailyBackup(store::Connection& db, const DateTime& today) {
    const std::string& path = db.path();
    if (path.empty() || !dailyBackupsOn(path)) return std::nullopt;
    const std::string copy = dailyBackupPath(path, today);
    std::error_code ec;
    // Anything else at the name (a folder) is no copy: the copy's rename then fails, and says so.
    if (fs::is_regular_file(platform::fsPath(copy), ec)) return std::nullopt;
    db.tellDelay({store::Delay::OwnWork, {}, false});
    try {
        fs::create_directories(platform::fsPath(copy).parent_path(), ec);
        // Room for today's first; one that cannot go stops the change as a copy not made does.
        const std::vector<std::string> all = dailyBackups(path);
        for (std::size_t i = 0; i + kDailyBackupsKept <= all.size(); ++i) platform::removeFile(all[i]);
        // Told again between slices: the window repaints while it waits.
        store::copyDatabase(db, copy, [&db] { db.tellDelay({store::Delay::OwnWork, {}, false}); });
    } catch (const Error& e) {
        db.tellDelay({store::Delay::OwnWork, {}, true});
        // Waiting for another program is no failure of the copy.
        if (e.number() == store::kInUseError) throw;
        throw Error(errc::kPathAccess, dailyBackupFailedText(copy, e.description()));
    }
    db.tellDelay({store::Delay::OwnWork, {}, true});
    return copy;
}

store::BeforeWrite dailyBackupHook(Clock now) {
    return [now = std::move(now)](store::Connection& db) { keepDailyBackup(db, now()); };
}

}  // namespace vesk::backup
