#include <gtest/gtest.h>

#include "core/DesktopFolder.h"

namespace {

TEST(DesktopFolder, ReadsTheDesktopOutOfTheUserDirsFile) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "/home/u/Desktop"},
        {"# comment\nXDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n  XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"  \n",
         "/home/u/Schreibtisch"},
        {"XDG_DESKTOP_DIR=\"/data/desk top\"\n", "/data/desk top"},
        {"XDG_DESKTOP_DIR=\"$HOME/\"\n", ""},  // the home folder is no desktop
        {"XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(vesk::desktopFromUserDirs(c.text, "/home/u"), c.expected);
    }
}

}  // namespace
