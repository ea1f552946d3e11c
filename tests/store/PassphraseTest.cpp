#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>

#include "core/Platform.h"
#include "store/Connection.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseFiles.h"
#include "store/PageCodes.h"
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
        // The other passphrase of the two: the one before, or the one to come.
        EXPECT_EQ(passphraseOpening(m_path, rightTyped == first ? second : first), s.wrong);
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

TEST_F(PassphraseTest, OnlyTheFirstConnectionToAFileDerivesItsKeyUntilTheRunForgetsThem) {
    const auto opened = [&](const std::function<void(Connection&)>& open) {
        Connection db;
        open(db);
        return db.scalar("SELECT ooffice_name FROM Youroffice").toText();
    };
    const auto derivedBy = [](const std::function<void()>& work) {
        const std::size_t before = detail::pageKeysDerived();
        work();
        return detail::pageKeysDerived() - before;
    };
    Connection first;
    EXPECT_EQ(derivedBy([&] { first.open(m_path); }), 1u);
    EXPECT_EQ(derivedBy([&] {
                  EXPECT_EQ(opened([&](Connection& db) { db.open(m_path); }), "Kept HO");
                  EXPECT_EQ(opened([&](Connection& db) { db.openBeside(first); }), "Kept HO");
                  EXPECT_TRUE(keyFits(m_path, programKey()));
              }),
              0u);
    // A passphrase's key is made once too: the program's, tried first, fails from the one kept.
    first.rekey(Secret(std::string_view("a passphrase")));
    first.close();
    PassphraseTyped keyboard;
    keyboard.type("a passphrase");
    EXPECT_EQ(derivedBy([&] { EXPECT_EQ(opened([&](Connection& db) { db.open(m_path); }), "Kept HO"); }), 1u);
    EXPECT_EQ(derivedBy([&] { EXPECT_EQ(opened([&](Connection& db) { db.open(m_path); }), "Kept HO"); }), 0u);
    forgetPassphrases();
    keyboard.type("a passphrase");
    EXPECT_EQ(derivedBy([&] { EXPECT_EQ(opened([&](Connection& db) { db.open(m_path); }), "Kept HO"); }), 2u);
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

TEST_F(PassphraseTest, TheFileAndItsJournalAreForTheOwnerAlone) {
    // In a folder open to others, whatever the making of files would let them have.
    const std::string folder = m_dir.file("shared");
    ASSERT_TRUE(std::filesystem::create_directory(platform::fsPath(folder)));
    platform::shareWithOthers(folder);
    const std::string fresh = platform::joinPath(folder, "fresh.db");
    Connection db;
    {
        const platform::PermissiveCreation permissive;
        db.open(fresh);
    }
    // Under wine the file is made as asked, but nothing of its access is kept to read back.
    const bool kept = platform::accessRightsHold();
    EXPECT_TRUE(platform::isOwnerOnly(fresh) || !kept);
    {
        Transaction tx = db.begin();
        db.execute("INSERT INTO Youroffice VALUES ('x', '', '')");
        ASSERT_TRUE(std::filesystem::exists(platform::fsPath(fresh + "-journal")));
        EXPECT_TRUE(platform::isOwnerOnly(fresh + "-journal") || !kept);
        tx.commit();
    }
}

// A file system under the engine that halts the program at its nth write to a database file,
// where the test kills it: a program killed at that moment of a re-keying. Each file is the
// engine's own, its methods copied with only the write replaced.
struct HaltingMethods {
    sqlite3_io_methods methods;
    const sqlite3_io_methods* real;
    bool database;
};

sqlite3_vfs* g_haltBase = nullptr;
long g_haltWritesLeft = 0;
test::Child* g_haltChild = nullptr;

HaltingMethods& haltingOf(sqlite3_file* f) {
    return *reinterpret_cast<HaltingMethods*>(reinterpret_cast<char*>(f) + g_haltBase->szOsFile);
}

int haltWrite(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
    if (haltingOf(f).database && g_haltWritesLeft > 0 && --g_haltWritesLeft == 0) {
        g_haltChild->reached();
        g_haltChild->awaitRelease();  // never: the test kills the program here
    }
    return haltingOf(f).real->xWrite(f, b, n, o);
}

int haltOpen(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    const int rc = g_haltBase->xOpen(g_haltBase, name, f, flags, outFlags);
    if (rc != SQLITE_OK || !f->pMethods) return rc;
    HaltingMethods& h = haltingOf(f);
    h = {*f->pMethods, f->pMethods, (flags & SQLITE_OPEN_MAIN_DB) != 0};
    h.methods.xWrite = haltWrite;
    f->pMethods = &h.methods;
    return rc;
}

// In the child: every file the engine opens from now on goes through the halting file system.
void installHaltingVfs(test::Child& child) {
    static sqlite3_vfs vfs;
    g_haltBase = sqlite3_vfs_find(nullptr);
    vfs = *g_haltBase;
    vfs.zName = "halt-at-write";
    vfs.szOsFile = g_haltBase->szOsFile + int(sizeof(HaltingMethods));
    vfs.xOpen = haltOpen;
    g_haltChild = &child;
    sqlite3_vfs_register(&vfs, 1);
}

// A program re-keying the file (args: the file, the new passphrase, the write to halt at, and
// the passphrase it has, if not the program's key), halted there for the test to kill it.
VESK_CHILD_ROUTINE(reKeysUntilHalted) {
    const Secret to(args.at(1));
    const Secret from = args.size() > 3 ? Secret(args[3]) : programKey();
    installHaltingVfs(self);
    Connection db;
    db.openWith(args.at(0), from);
    g_haltWritesLeft = std::stol(args.at(2));
    db.rekey(to);
    self.reached();
    self.awaitRelease();
    return 0;
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
        std::vector<std::string> args = {path, c.to, std::to_string(c.haltAt)};
        if (c.from) args.push_back(*c.from);
        test::ChildProcess child("reKeysUntilHalted", args);
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
