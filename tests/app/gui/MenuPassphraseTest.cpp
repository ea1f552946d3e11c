#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>

#include "app/gui/FormSet.h"
#include "app/gui/MainForm.h"
#include "backup/BackupWording.h"
#include "store/DatabaseFiles.h"
#include "store/Passphrase.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "widgets/TaskForm.h"

namespace {

using vesk::Answer;

class MenuPassphraseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        vesk::store::forgetPassphrases();
        {
            vesk::store::Connection db;
            db.open(path);
            vesk::test::fillDatabase(db, 50, "Kept");
        }
        forms.mainForm().setDialogs(&prompter);
        forms.configureForm().setDialogs(&prompter);
        forms.start();
    }
    void TearDown() override {
        forms.configureForm().hide();
        forms.mainForm().hide();
        vesk::store::forgetPassphrases();
    }
    // The office form shows the first office: the file opened, with whatever key it has now.
    std::string firstOffice() {
        forms.mainForm().findChild<QPushButton*>("Command1")->click();
        const std::string office = forms.configureForm().findChild<QComboBox*>("Combo1")->currentText().toStdString();
        forms.configureForm().unloadForm();
        return office;
    }

    vesk::test::TempDir dir;
    const std::string path = dir.file("ZETTools.db");
    vesk::test::ScriptedPrompter prompter;
    vesk::gui::FormSet forms{path};
};

// The dialogs are the screen's to test; here, that the forms holding the file open under the
// old key read it again under the new one.
TEST_F(MenuPassphraseTest, TheFormsReadTheFileAgainAfterEachChangeOfItsKey) {
    struct Step {
        const char* name;
        std::vector<std::string> typed;
        std::vector<Answer> answers;
        bool protectedAfter;
    };
    const Step steps[] = {
        {"set", {"menu secret 1", "menu secret 1"}, {}, true},
        {"remove", {"menu secret 1", ""}, {Answer::Yes}, false},
    };
    ASSERT_EQ(firstOffice(), "Kept Office 1");  // the form's connection stays open
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        for (const std::string& t : s.typed) prompter.queuePassphrase(t);
        for (Answer a : s.answers) prompter.queueAnswer(a);
        forms.mainForm().findChild<QPushButton*>("cmdPassphrase")->click();
        EXPECT_EQ(vesk::store::protectedByPassphrase(path), s.protectedAfter);
        EXPECT_EQ(firstOffice(), "Kept Office 1");
        EXPECT_EQ(prompter.lastMessage().title, vesk::backup::kPassphraseTitle) << prompter.lastMessage().text;
    }
}

}  // namespace
