#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>

#include "support/GuiTest.h"

namespace {

using vesk::gui::TaskForm;

class NavigationTest : public vesk::test::FormSetTest {
  protected:
    int loadedTasks() {
        int n = 0;
        for (TaskForm* f : tasks()) n += f->isLoaded() ? 1 : 0;
        return n;
    }
    void click(QWidget& form, const char* button) {
        auto* b = form.findChild<QPushButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }

    // One division office, so that the report forms open instead of handing over.
    void seedMaster() { rows().office("1", "Hill", "PDN"); }
};

TEST_F(NavigationTest, StartsOnTheMenuWithNoTaskFormLoadedAndExitEndsTheProgram) {
    EXPECT_TRUE(forms.mainForm().isVisible());
    EXPECT_EQ(loadedTasks(), 0);
    bool exited = false;
    QObject::connect(&forms, &vesk::gui::FormSet::exitRequested, [&] { exited = true; });
    click(forms.mainForm(), "Command5");
    EXPECT_TRUE(exited);
    EXPECT_FALSE(forms.mainForm().isVisible());
}

TEST_F(NavigationTest, EachMenuButtonOpensItsFormAndBackOrTheCloseBoxReturns) {
    seedMaster();
    struct Case {
        const char* button;
        TaskForm* form;
    };
    const Case cases[] = {{"Command1", &forms.configureForm()},
                          {"Command2", &forms.finacleForm()},
                          {"Command3", &forms.orvForm()},
                          {"Command4", &forms.compareForm()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        click(forms.mainForm(), c.button);
        EXPECT_FALSE(forms.mainForm().isVisible());
        EXPECT_TRUE(c.form->isVisible());
        EXPECT_TRUE(c.form->isLoaded());
        EXPECT_EQ(loadedTasks(), 1);

        click(*c.form, c.form == &forms.compareForm() ? "Command4" : "Command2");  // the comparison's Back
        EXPECT_FALSE(c.form->isVisible());
        EXPECT_FALSE(c.form->isLoaded());
        EXPECT_TRUE(forms.mainForm().isVisible());
        EXPECT_EQ(loadedTasks(), 0);

        click(forms.mainForm(), c.button);
        c.form->close();
        EXPECT_FALSE(c.form->isLoaded());
        EXPECT_TRUE(forms.mainForm().isVisible());
    }
}

TEST_F(NavigationTest, WithAnEmptyMasterTheReportFormsHandOverToTheOfficeForm) {
    for (const char* button : {"Command2", "Command3"}) {
        SCOPED_TRACE(button);
        const std::size_t before = prompter.messages().size();
        click(forms.mainForm(), button);
        ASSERT_EQ(prompter.messages().size(), before + 2);
        const auto& handOver = prompter.messages()[before];
        EXPECT_EQ(handOver.text, "Import office Master Data First.");
        EXPECT_EQ(prompter.lastMessage().title, "No Offices Found");  // the office form's own load
        EXPECT_TRUE(forms.configureForm().isVisible());
        EXPECT_EQ(loadedTasks(), 1);
        EXPECT_FALSE(forms.mainForm().isVisible());

        click(forms.configureForm(), "Command2");
        EXPECT_TRUE(forms.mainForm().isVisible());
        EXPECT_EQ(loadedTasks(), 0);
    }
}

}  // namespace
