#include <gtest/gtest.h>
#include <QPixmap>
#include "app/gui/FormSet.h"
#include "app/gui/MainForm.h"
#include "support/TempDir.h"
TEST(Shot, Menu) {
    vesk::test::TempDir dir;
    vesk::gui::FormSet forms(dir.file("ZETTools.db"));
    forms.start();
    forms.mainform().grab().save("/tmp/menu.png");
}
