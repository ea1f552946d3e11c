#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <string>
#include <vector>

#include "app/gui/FormSet.h"
#include "app/gui/MainForm.h"
#include "support/MonthDatabase.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "widgets/TaskForm.h"

namespace vesk::test {

/// A control of a window by its object name; a test failure when there is none.
template <typename T>
T* child(const QWidget& window, const char* name) {
    T* w = window.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

/// What the tests of one window stand on: a fresh folder for its database and the person,
/// scripted.
class WindowTest : public ::testing::Test {
  protected:
    std::string path() const { return dir.file("ZETTools.db"); }
    /// Rows put straight into the database the window opens.
    MonthDatabase rows() const { return MonthDatabase(path()); }

    TempDir dir;
    ScriptedPrompter prompter;
};

/// The program's five forms over a fresh database, their messages and file dialogs scripted,
/// the menu shown: what the tests of the menu, the keys and the layout stand on.
class FormSetTest : public WindowTest {
  protected:
    void SetUp() override {
        for (gui::TaskForm* f : tasks()) f->setDialogs(&prompter);
        forms.start();
    }
    void TearDown() override {
        for (gui::TaskForm* f : tasks()) f->hide();
        forms.mainForm().hide();
    }
    std::vector<gui::TaskForm*> tasks() {
        return {&forms.configureForm(), &forms.finacleForm(), &forms.orvForm(), &forms.compareForm()};
    }

    gui::FormSet forms{path()};
};

}  // namespace vesk::test
