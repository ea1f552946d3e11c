// The seam to the operating system, as the program leans on it: UTF-8 paths whatever the
// system's code page, renames that replace or fail as the program's errors, files for their
// owner alone, the XDG rules, and second processes that talk to the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "core/Error.h"
#include "core/Platform.h"
#include "support/ChildProcess.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace vesk::platform {
namespace {

using test::errorOf;

// The name of a postal division's folder, in Devanagari, with a blank.
const std::string kDivision = "डाक मंडल";

std::string contentsOf(const std::string& path) {
    const File file(path, Open::Read);
    std::string bytes(std::size_t(file.size()), '\0');
    bytes.resize(file.readAt(bytes.data(), bytes.size(), 0));
    return bytes;
}

void writeFile(const std::string& path, const std::string& bytes, FileOptions options = {}) {
    File file(path, Open::Replace, options);
    file.write(bytes.data(), bytes.size());
    file.flush();
    file.close();
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(fsPath(folder)))
        names.push_back(utf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PlatformPaths, AFolderNamedInDevanagariTakesFilesThatAreWrittenReadRenamedAndListed) {
    test::TempDir dir;
    const std::string folder = dir.file(kDivision);
    ASSERT_EQ(fileName(folder), kDivision);
    ASSERT_EQ(utf8(fsPath(folder)), folder);
    ASSERT_TRUE(std::filesystem::create_directory(fsPath(folder)));

    const std::string first = joinPath(folder, "लेखा जून.db"), second = joinPath(folder, "लेखा जुलाई.db");
    const std::string text = "रोकड़ बही: 1,250.50";
    writeFile(first, text);
    EXPECT_EQ(contentsOf(first), text);
    EXPECT_EQ(File(first, Open::Read).size(), text.size());
    replaceFile(first, second);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"लेखा जुलाई.db"});
    EXPECT_EQ(contentsOf(second), text);
    // The standard library's streams reach the same file by the same name.
    std::ifstream in(fsPath(second), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
    std::ofstream(fsPath(joinPath(folder, "टिप्पणी.txt"))) << "x";
    EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"टिप्पणी.txt", "लेखा जुलाई.db"}));
}

TEST(PlatformFiles, ARenameReplacesTheFileAtTheNameAndAFailureIsTheProgramsError) {
    test::TempDir dir;
    const std::string from = dir.file("new.db"), to = dir.file("old.db");
    writeFile(to, "the old contents, longer than the new ones");
    for (const Rename how : {Rename::Lasting, Rename::Plain}) {
        writeFile(from, "the new contents");
        replaceFile(from, to, how);
        EXPECT_EQ(contentsOf(to), "the new contents");
        EXPECT_FALSE(std::filesystem::exists(fsPath(from)));
    }

    ASSERT_TRUE(std::filesystem::create_directory(fsPath(dir.file("a folder"))));
    ASSERT_TRUE(std::filesystem::create_directory(fsPath(dir.file("a folder/inside"))));
    writeFile(from, "kept");
    struct Case {
        const char* name;
        std::string from, to;
        long number;
    };
    const Case cases[] = {
        {"no file to rename", dir.file("none.db"), to, errc::kFileNotFound},
        {"into a folder that is not there", from, dir.file("no folder/x.db"), errc::kFileNotFound},
        {"over a folder with something in it", from, dir.file("a folder"), errc::kPathAccess},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Error e = errorOf([&] { replaceFile(c.from, c.to); });
        EXPECT_EQ(e.number(), c.number);
        EXPECT_NE(e.description().find("'" + c.from + "' to '" + c.to + "'"), std::string::npos) << e.description();
    }
    EXPECT_EQ(contentsOf(from), "kept");
    EXPECT_EQ(contentsOf(to), "the new contents");
}

TEST(PlatformFiles, AFileThatCannotBeOpenedAsAskedIsTheProgramsErrorAndIsLeftAlone) {
    test::TempDir dir;
    const std::string there = dir.file("there.db");
    writeFile(there, "someone else's");
    struct Case {
        const char* name;
        std::string path;
        Open how;
        long number;
    };
    const Case cases[] = {
        {"reading one that is not there", dir.file("none.db"), Open::Read, errc::kFileNotFound},
        {"creating one that is there", there, Open::CreateNew, errc::kPathAccess},
        {"writing into a folder that is not there", dir.file("none/x.db"), Open::Replace, errc::kFileNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Error e = errorOf([&] { const File opened(c.path, c.how); });
        EXPECT_EQ(e.number(), c.number);
        EXPECT_NE(e.description().find("'" + c.path + "'"), std::string::npos) << e.description();
    }
    EXPECT_EQ(contentsOf(there), "someone else's");
    EXPECT_EQ(namesIn(dir.folder()), std::vector<std::string>{"there.db"});
}

// Files made in a folder open to others, whatever the creation of files would grant them.
TEST(PlatformAccess, OwnerOnlyIsSetAndReadBackAndAFileOthersMayReadIsNot) {
    test::TempDir dir;
    EXPECT_EQ(errorOf([&] { isOwnerOnly(dir.file("none.db")); }).number(), errc::kFileNotFound);
    EXPECT_EQ(errorOf([&] { makeOwnerOnly(dir.file("none.db")); }).number(), errc::kFileNotFound);
    if (!accessRightsHold()) GTEST_SKIP() << "wine keeps no access rights on files";
    shareWithOthers(dir.folder());
    const PermissiveCreation permissive;
    const std::string plain = dir.file("plain.db"), own = dir.file("own.db"), folder = dir.file("folder");
    writeFile(plain, "x");
    writeFile(own, "x", {.ownerOnly = true});
    ASSERT_TRUE(std::filesystem::create_directory(fsPath(folder)));
    shareWithOthers(folder);
    EXPECT_FALSE(isOwnerOnly(plain));
    EXPECT_TRUE(isOwnerOnly(own));
    EXPECT_FALSE(isOwnerOnly(folder));

    for (const std::string& path : {plain, folder}) {
        SCOPED_TRACE(path);
        makeOwnerOnly(path);
        EXPECT_TRUE(isOwnerOnly(path));
        shareWithOthers(path);
        EXPECT_FALSE(isOwnerOnly(path));
    }
    // A file made owner-only over one that was open to others is so no longer.
    writeFile(plain, "y", {.ownerOnly = true});
    EXPECT_TRUE(isOwnerOnly(plain));
    // A copy takes its original's access.
    const std::string copy = dir.file("copy.db");
    writeFile(copy, "x", {.ownerOnly = true});
    shareWithOthers(own);
    sameAccessAs(copy, own);
    EXPECT_FALSE(isOwnerOnly(copy));
    sameAccessAs(copy, plain);
    EXPECT_TRUE(isOwnerOnly(copy));
}

TEST(PlatformFolders, TheXdgRulesReadTheVariablesAndTheUserDirsFile) {
    struct DataCase {
        const char* name;
        const char* dataHome;
        const char* home;
        const char* folder;
    };
    const DataCase dataCases[] = {
        {"XDG_DATA_HOME", "/d", "/home/u", "/d"},
        {"no XDG_DATA_HOME", "", "/home/u", "/home/u/.local/share"},
        {"a relative XDG_DATA_HOME is ignored", "rel", "/home/u/", "/home/u/.local/share"},
        {"no home either", "", "", ""},
    };
    for (const DataCase& c : dataCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(xdgDataFolder(c.dataHome, c.home), c.folder);
    }
    struct DesktopCase {
        const char* text;
        const char* desktop;
    };
    const DesktopCase desktopCases[] = {
        {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "/home/u/Desktop"},
        {"# comment\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n  XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"  \n",
         "/home/u/Schreibtisch"},
        {"XDG_DESKTOP_DIR=\"/data/desk top\"\n", "/data/desk top"},
        {"XDG_DESKTOP_DIR=\"$HOME/\"\n", ""},  // the home folder is no desktop
        {"XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n", ""},
        {"", ""},
    };
    for (const DesktopCase& c : desktopCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(desktopFromUserDirs(c.text, "/home/u"), c.desktop);
    }
    // This machine's, whichever rules it follows: whole paths.
    for (const std::string& folder : {dataFolder(), desktopFolder(), programFolder()}) {
        SCOPED_TRACE(folder);
        EXPECT_TRUE(fsPath(folder).is_absolute());
    }
}

VESK_CHILD_ROUTINE(talksBack) {
    self.reached();
    if (!self.awaitRelease()) return 2;
    for (const std::string& a : args) self.say(a);
    self.say(environment("VESK_TEST_DIVISION").value_or("(unset)"));
    self.reached();
    return 0;
}

VESK_CHILD_ROUTINE(endsAtOnce) { return 4; }

VESK_CHILD_ROUTINE(waitsToBeKilled) {
    self.reached();
    self.awaitRelease();
    return 0;
}

// An illegal instruction: a crash on every system, which no sanitizer turns into an exit status.
VESK_CHILD_ROUTINE(crashes) { __builtin_trap(); }

TEST(PlatformProcesses, AChildReachesItsPointIsLetGoOnHearsItsArgumentsAndEndsAsItSays) {
    setEnvironment("VESK_TEST_DIVISION", kDivision);
    test::ChildProcess child("talksBack", {kDivision, "", "a \"quoted\" \\ word\\"});
    setEnvironment("VESK_TEST_DIVISION", std::nullopt);
    ASSERT_TRUE(child.awaitReached());
    EXPECT_FALSE(child.reachedYet()) << "it waits to be let go on";
    child.release();
    ASSERT_TRUE(child.awaitReached());
    EXPECT_EQ(child.heard(), (std::vector<std::string>{kDivision, "", "a \"quoted\" \\ word\\", kDivision}));
    EXPECT_EQ(environment("VESK_TEST_DIVISION"), std::nullopt);
    // Its input closed, it is done: it says so by its status.
    EXPECT_EQ(test::ChildProcess("endsAtOnce").wait(), 4);
}

TEST(PlatformProcesses, AChildThatEndsKilledOrCrashedIsToldApartFromOneThatReachedItsPoint) {
    test::ChildProcess ends("endsAtOnce");
    EXPECT_FALSE(ends.awaitReached());
    EXPECT_TRUE(ends.reachedYet()) << "its end is there to read";
    EXPECT_EQ(ends.wait(), 4);

    test::ChildProcess killed("waitsToBeKilled");
    ASSERT_TRUE(killed.awaitReached());
    killed.kill();
    EXPECT_EQ(killed.wait(), -1);
    EXPECT_EQ(killed.ending().how, Ending::How::Killed);

    test::ChildProcess crashed("crashes");
    EXPECT_FALSE(crashed.awaitReached());
    EXPECT_EQ(crashed.wait(), -1);
    EXPECT_EQ(crashed.ending().how, Ending::How::Crashed);
}

// Lines read as a passphrase is, from an input that is no terminal: the child prints what it
// read as an error stream shows it.
VESK_CHILD_ROUTINE(readsSecretLines) {
    const StandardStreams streams;
    for (std::optional<Secret> line; (line = readSecretLine());)
        std::fprintf(stderr, "[%.*s]\n", int(line->size()), line->data());
    std::fprintf(stderr, "(end)\n");
    return 0;
}

TEST(PlatformTerminal, ASecretIsReadLineByLineFromAnInputThatIsNoTerminal) {
    test::TempDir dir;
    const std::string in = dir.file("in.txt"), err = dir.file("err.txt");
    writeFile(in, "first one\r\nदूसरा ü\n\nunended");
    test::ChildProcess reader({programFile(), "--vesk-child=readsSecretLines"}, "", err, in);
    EXPECT_EQ(reader.wait(), 0);
    EXPECT_EQ(contentsOf(err), "[first one]\n[दूसरा ü]\n[]\n[unended]\n(end)\n");
}

}  // namespace
}  // namespace vesk::platform
