#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>

#include <deque>
#include <filesystem>
#include <optional>

#include "store/Connection.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseFiles.h"
#include "store/OnlineBackup.h"
#include "store/Passphrase.h"
#include "store/StoreTestSupport.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace vesk::store {
namespace {

using test::errorOf;

// The person at the keyboard: each open that needs a passphrase takes the next one typed.
class PassphraseTyped {
  public:
    PassphraseTyped()
        : m_before(setPassphraseSource([this](const std::string&) -> std::optional<Secret> {
              ++m_asked;
              if (m_typed.empty()) return std::nullopt;
              std::optional<std::string> next = m_typed.front();
              m_typed.pop_front();
              if (!next) return std::nullopt;
              return Secret(*next);
          })) {}
    ~PassphraseTyped() {
        setPassphraseSource(std::move(m_before));
        forgetPassphrases();
    }
    PassphraseTyped(const PassphraseTyped&) = delete;
    PassphraseTyped& operator=(const PassphraseTyped&) = delete;

    void type(std::optional<std::string> text) { m_typed.push_back(std::move(text)); }
    int asked() const { return m_asked; }

  private:
    PassphraseSource m_before;
    std::deque<std::optional<std::string>> m_typed;
    int m_asked = 0;
};

// What opening the file with a passphrase typed (none: nothing typed) comes to: "opened", or
// the failure's words.
std::string passphraseOpening(const std::string& path, const std::optional<std::string>& typed) {
    forgetPassphrases();
    PassphraseTyped keyboard;
    keyboard.type(typed);
    Connection db;
    try {
        db.open(path);
    } catch (const Error& e) {
        return e.description();
    }
    return db.scalar("SELECT ooffice_name FROM Youroffice").toText() == "Kept HO" ? "opened" : "opened, rows lost";
}

unsigned fileMode(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return st.st_mode & 0777u;
}

class PassphraseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Connection db;
        db.open(m_path);
        db.execute("INSERT INTO Youroffice VALUES ('Kept HO', 'PF1', 'O1')");
    }
    void TearDown() override { forgetPassphrases(); }

    // Re-keys the file the way the program does, its current key typed when it has one.
    void rekeyTo(const std::optional<std::string>& current, const Secret& key) {
        PassphraseTyped keyboard;
        keyboard.type(current);
        Connection db;
        db.open(m_path);
        db.rekey(key);
    }

    test::TempDir m_dir;
    const std::string m_path = m_dir.file(kDatabaseFileName);
};

TEST_F(PassphraseTest, SetChangeAndRemoveEachOpenWithTheRightPassphraseOnly) {
    const std::string first = "first passphrase", second = "second passphrase";
    struct Step {
        const char* name;
        std::optional<std::string> current;  ///< typed to open the file for the step
        Secret key;                          ///< the file's key after it
        std::string right, wrong, none;      ///< what opening says with each
    };
    const Step steps[] = {
        {"set", std::nullopt, Secret(first), "opened", kWrongPassphraseText, kProtectedText},
        {"change", first, Secret(second), "opened", kWrongPassphraseText, kProtectedText},
        {"remove", second, programKey(), "opened", "opened", "opened"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        rekeyTo(s.current, s.key);
        const std::string rightTyped(s.key.data(), s.key.size());
        const std::string before = test::fileBytes(m_path);
        EXPECT_EQ(passphraseOpening(m_path, rightTyped), s.right);
        // The other passphrase of the two, and one never used.
        EXPECT_EQ(passphraseOpening(m_path, rightTyped == first ? second : first), s.wrong);
        EXPECT_EQ(passphraseOpening(m_path, "never this one"), s.wrong);
        EXPECT_EQ(passphraseOpening(m_path, std::nullopt), s.none);
        // A refused open neither reads nor writes: the file is byte for byte as it was.
        EXPECT_EQ(test::fileBytes(m_path), before);
        EXPECT_EQ(protectedByPassphrase(m_path), s.none == kProtectedText);
    }
}

TEST_F(PassphraseTest, AFileWithoutOneOpensWithoutAskingAndTheNumbersTellTheRefusalsApart) {
    {
        PassphraseTyped keyboard;
        Connection db;
        db.open(m_path);
        EXPECT_EQ(keyboard.asked(), 0);
        db.rekey(Secret(std::string_view("a passphrase")));
    }
    PassphraseTyped keyboard;
    Connection db;
    EXPECT_EQ(errorOf([&] { db.open(m_path); }).number(), kProtectedError);
    keyboard.type("not the one");
    EXPECT_EQ(errorOf([&] { db.open(m_path); }).number(), kWrongPassphraseError);
    EXPECT_EQ(errorOf([&] { db.openWith(m_path, programKey()); }).number(), kProtectedError);
    EXPECT_EQ(errorOf([&] { db.openWith(m_path, Secret(std::string_view("nor this"))); }).number(),
              kWrongPassphraseError);
    // Once given, the run keeps it: a second connection is not asked again, nor one beside it.
    keyboard.type("a passphrase");
    db.open(m_path);
    Connection later, beside;
    later.open(m_path);
    beside.openBeside(later);
    EXPECT_EQ(keyboard.asked(), 3);
    EXPECT_TRUE(beside.hasPassphrase());
    EXPECT_EQ(beside.scalar("SELECT ooffice_name FROM Youroffice"), Value("Kept HO"));
}

TEST_F(PassphraseTest, AConnectionHeldOpenWhileAnotherSetsThePassphraseIsToldSoNotThatTheFileIsDamaged) {
    Connection held;
    held.open(m_path);
    EXPECT_EQ(held.scalar("SELECT ooffice_name FROM Youroffice"), Value("Kept HO"));
    {
        Connection other;  // another program, as far as the held one can tell
        other.openWith(m_path, programKey());
        other.rekey(Secret(std::string_view("set meanwhile")));
    }
    forgetPassphrases();
    const Error e = errorOf([&] { held.scalar("SELECT ooffice_name FROM Youroffice"); });
    EXPECT_EQ(e.number(), kProtectedError);
    EXPECT_EQ(e.description(), kProtectedText);
}

TEST_F(PassphraseTest, TheCheckSaysProtectedOrWrongAndStillFindsDamage) {
    rekeyTo(std::nullopt, Secret(std::string_view("check passphrase")));
    Connection probe;
    std::int64_t page = 0;
    {
        PassphraseTyped keyboard;
        keyboard.type("check passphrase");
        probe.open(m_path);
        page = test::rootPage(probe, "veskfinacle");
        probe.close();
    }
    const std::string damaged = m_dir.file("damaged.db");
    test::writeBytes(damaged, test::fileBytes(m_path));
    test::damagePage(damaged, page);
    using CheckStatus = FileCheck::Status;
    struct Case {
        const char* name;
        std::string path;
        std::optional<std::string> typed;
        CheckStatus status;
    };
    const Case cases[] = {
        {"none given", m_path, std::nullopt, CheckStatus::Protected},
        {"a wrong one", m_path, "wrong passphrase", CheckStatus::WrongPassphrase},
        {"the right one", m_path, "check passphrase", CheckStatus::Sound},
        {"the right one, a page damaged", damaged, "check passphrase", CheckStatus::Damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        forgetPassphrases();
        PassphraseTyped keyboard;
        keyboard.type(c.typed);
        const FileCheck check = checkDatabaseFile(c.path);
        EXPECT_EQ(check.status, c.status);
        if (c.status == CheckStatus::Damaged) {
            EXPECT_EQ(check.badPages, std::vector<std::int64_t>{page});
        }
    }
}

TEST_F(PassphraseTest, ACopyCarriesThePassphraseAndNoneOpensWithout) {
    const std::string passphrase = "copy passphrase";
    rekeyTo(std::nullopt, Secret(passphrase));
    const std::string copy = m_dir.file("copy.db");
    {
        PassphraseTyped keyboard;
        keyboard.type(passphrase);
        Connection db;
        db.open(m_path);
        copyDatabase(db, copy);
    }
    EXPECT_EQ(passphraseOpening(copy, passphrase), "opened");
    EXPECT_EQ(passphraseOpening(copy, std::nullopt), kProtectedText);
    EXPECT_EQ(passphraseOpening(copy, "guessed passphrase"), kWrongPassphraseText);
    EXPECT_EQ(fileMode(copy), 0600u);
}

TEST_F(PassphraseTest, TheFileItsJournalAndItsCopiesAreForTheOwnerAlone) {
    const mode_t before = ::umask(0);  // whatever the person's umask allows
    const std::string fresh = m_dir.file("fresh.db");
    Connection db;
    db.open(fresh);
    ::umask(before);
    EXPECT_EQ(fileMode(fresh), 0600u);
    {
        Transaction tx = db.begin();
        db.execute("INSERT INTO Youroffice VALUES ('x', '', '')");
        ASSERT_TRUE(std::filesystem::exists(fresh + "-journal"));
        EXPECT_EQ(fileMode(fresh + "-journal"), 0600u);
        tx.commit();
    }
    copyDatabase(db, m_dir.file("copy.db"));
    EXPECT_EQ(fileMode(m_dir.file("copy.db")), 0600u);
}

// A file system under the engine that halts the program at its nth write to a database file,
// where the test kills it: a program killed at that moment of a re-keying.
struct KillFile {
    sqlite3_file head;
    sqlite3_file* real;
    bool database;
};

sqlite3_vfs* g_killBase = nullptr;
long g_killWritesLeft = 0;
test::ChildProcess* g_killChild = nullptr;

sqlite3_file* killReal(sqlite3_file* f) { return reinterpret_cast<KillFile*>(f)->real; }

int killClose(sqlite3_file* f) { return killReal(f)->pMethods->xClose(killReal(f)); }
int killRead(sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
    return killReal(f)->pMethods->xRead(killReal(f), b, n, o);
}
int killWrite(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
    if (reinterpret_cast<KillFile*>(f)->database && g_killWritesLeft > 0 && --g_killWritesLeft == 0) {
        g_killChild->reached();
        g_killChild->awaitRelease();  // never: the test kills the program here
    }
    return killReal(f)->pMethods->xWrite(killReal(f), b, n, o);
}
int killTruncate(sqlite3_file* f, sqlite3_int64 s) { return killReal(f)->pMethods->xTruncate(killReal(f), s); }
int killSync(sqlite3_file* f, int flags) { return killReal(f)->pMethods->xSync(killReal(f), flags); }
int killSize(sqlite3_file* f, sqlite3_int64* s) { return killReal(f)->pMethods->xFileSize(killReal(f), s); }
int killLock(sqlite3_file* f, int l) { return killReal(f)->pMethods->xLock(killReal(f), l); }
int killUnlock(sqlite3_file* f, int l) { return killReal(f)->pMethods->xUnlock(killReal(f), l); }
int killReserved(sqlite3_file* f, int* r) { return killReal(f)->pMethods->xCheckReservedLock(killReal(f), r); }
int killControl(sqlite3_file* f, int op, void* a) { return killReal(f)->pMethods->xFileControl(killReal(f), op, a); }
int killSector(sqlite3_file* f) { return killReal(f)->pMethods->xSectorSize(killReal(f)); }
int killDevice(sqlite3_file* f) { return killReal(f)->pMethods->xDeviceCharacteristics(killReal(f)); }

sqlite3_io_methods killMethods() {
    sqlite3_io_methods m{};
    m.iVersion = 1;  // no shared memory, no mapping: a rollback journal needs neither
    m.xClose = killClose;
    m.xRead = killRead;
    m.xWrite = killWrite;
    m.xTruncate = killTruncate;
    m.xSync = killSync;
    m.xFileSize = killSize;
    m.xLock = killLock;
    m.xUnlock = killUnlock;
    m.xCheckReservedLock = killReserved;
    m.xFileControl = killControl;
    m.xSectorSize = killSector;
    m.xDeviceCharacteristics = killDevice;
    return m;
}
const sqlite3_io_methods kKillMethods = killMethods();

int killOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    auto* file = reinterpret_cast<KillFile*>(f);
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    const int rc = g_killBase->xOpen(g_killBase, name, file->real, flags, outFlags);
    file->head.pMethods = rc == SQLITE_OK ? &kKillMethods : nullptr;
    file->database = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    return rc;
}

// In the child: every file the engine opens from now on goes through the halting file system.
void installKillVfs(test::ChildProcess& child) {
    static sqlite3_vfs vfs;
    g_killBase = sqlite3_vfs_find(nullptr);
    vfs = *g_killBase;
    vfs.zName = "halt-at-write";
    vfs.szOsFile = int(sizeof(KillFile)) + g_killBase->szOsFile;
    vfs.xOpen = killOpen;
    g_killChild = &child;
    sqlite3_vfs_register(&vfs, 1);
}

TEST_F(PassphraseTest, AProgramKilledWhileItReKeysLeavesAFileThatOpensWithExactlyOneKey) {
    const std::int64_t pages = std::int64_t(std::filesystem::file_size(m_path)) / test::kPageSize;
    ASSERT_GT(pages, 4);
    const std::string first = "killed passphrase", second = "after the kill";
    struct Case {
        const char* name;
        std::optional<std::string> from;  ///< none: the program's key
        std::string to;
        long haltAt;  ///< the write to the database file the program is killed at; 0: once it is done
    };
    const Case cases[] = {
        {"set, at its first write", std::nullopt, first, 1},
        {"set, half way", std::nullopt, first, long(pages / 2)},
        {"set, at its last page", std::nullopt, first, long(pages)},
        {"set, once done", std::nullopt, first, 0},
        {"change, half way", first, second, long(pages / 2)},
        {"change, once done", first, second, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = m_dir.file(std::string("killed-") + std::to_string(&c - cases) + ".db");
        {
            Connection db;
            db.open(path);
            db.execute("INSERT INTO Youroffice VALUES ('Kept HO', 'PF1', 'O1')");
            if (c.from) db.rekey(Secret(*c.from));
        }
        const Secret from = c.from ? Secret(*c.from) : programKey();
        const Secret to(c.to);
        test::ChildProcess child([&](test::ChildProcess& self) {
            installKillVfs(self);
            Connection db;
            db.openWith(path, from);
            g_killWritesLeft = c.haltAt;
            db.rekey(to);
            self.reached();
            self.awaitRelease();
            return 0;
        });
        ASSERT_TRUE(child.awaitReached());
        child.kill();
        child.wait();
        // The new key first: whichever opens it first plays back what the kill left.
        const auto opensWith = [&](const Secret& key) {
            Connection db;
            try {
                db.openWith(path, key);
            } catch (const Error&) {
                return false;
            }
            return db.scalar("SELECT ooffice_name FROM Youroffice") == Value("Kept HO");
        };
        const bool withNew = opensWith(to);
        const bool withOld = opensWith(from);
        EXPECT_NE(withNew, withOld);
        EXPECT_EQ(withNew, c.haltAt == 0);
        // And stays so.
        EXPECT_EQ(opensWith(to), withNew);
    }
}

}  // namespace
}  // namespace vesk::store
