#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <functional>

#include "ctr/FinacleForm.h"
#include "orv/OrvForm.h"
#include "report/ReportFiles.h"
#include "support/GuiTest.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace {

using vesk::Answer;
using vesk::test::child;
using vesk::test::monthEntries;

// Notes, at every progress update, which of the form's controls can be used.
class WatchingPrompter : public vesk::test::ScriptedPrompter {
  public:
    std::vector<QWidget*> watched;
    std::function<void()> duringImport;
    std::vector<std::string> enabledDuringImport;

    void progress(const std::string& text) override {
        ScriptedPrompter::progress(text);
        if (text.empty()) return;
        for (QWidget* w : watched)
            if (w->isEnabled()) enabledDuringImport.push_back(w->objectName().toStdString());
        if (duringImport) duringImport();
    }
};

class ReportFormTest : public ::testing::Test {
  protected:
    void SetUp() override { vesk::test::MonthDatabase(dir.file("ZETTools.db")).office("1", "Hill", "PDN"); }
    template <typename Form>
    void open(Form& form) {
        form.setDialogs(&prompter);
        form.showForm();
    }
    std::string write(const vesk::test::ReportShape& shape, const std::vector<vesk::test::Entry>& entries) {
        std::string p = dir.file("r" + std::to_string(++files) + ".xlsx");
        vesk::test::writeReport(p, shape, entries);
        return p;
    }

    vesk::test::TempDir dir;
    WatchingPrompter prompter;
    vesk::gui::TaskForm master{"configureform", "Office - Master Data", 6000, 4000};
    int files = 0;
};

TEST_F(ReportFormTest, AnImportLocksTheFormUntilItEndsAndShowsTheSummary) {
    vesk::gui::FinacleForm form(dir.file("ZETTools.db"), master);
    open(form);
    for (const char* name : {"ImportFinacle", "Command2", "Command3", "Combo1", "Combo2", "DataGrid1"})
        prompter.watched.push_back(child<QWidget>(form, name));
    prompter.duringImport = [&] { form.close(); };  // the close box must wait too

    auto entries = monthEntries(60, 2025, 4);
    entries[0].amount = "1234.5";
    auto bad = monthEntries(60, 2025, 4);
    bad[55].date = vesk::test::RawCell::error("#DIV/0!");
    struct Case {
        const char* what;
        std::string file;
        int progressUpdates;
    };
    const Case cases[] = {{"imported", write(vesk::test::bankShape(), entries), 2},
                          {"failed", write(vesk::test::bankShape(), bad), 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.queueFile(c.file);
        prompter.queueAnswer(Answer::Yes);
        const std::size_t before = prompter.progressTexts().size();
        child<QPushButton>(form, "ImportFinacle")->click();
        EXPECT_EQ(prompter.progressTexts().size(), before + std::size_t(c.progressUpdates) + 1);
        EXPECT_TRUE(prompter.enabledDuringImport.empty()) << prompter.enabledDuringImport.front();
        EXPECT_TRUE(form.isLoaded());
        EXPECT_EQ(child<QLabel>(form, "Label1")->text(), "");
        for (QWidget* w : prompter.watched) EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    }

    EXPECT_EQ(child<QTableView>(form, "DataGrid1")->model()->rowCount(), 1);
}

// Which months there are to delete, and what a deletion says, are the screen's tests.
TEST_F(ReportFormTest, ARowChoosesTheMonthToDelete) {
    vesk::gui::OrvForm form(dir.file("ZETTools.db"), master);
    open(form);
    auto* year = child<QComboBox>(form, "Combo1");
    auto* month = child<QComboBox>(form, "Combo2");
    for (const auto& entries : {monthEntries(2, 2024, 12), monthEntries(3, 2025, 4)}) {
        prompter.queueFile(write(vesk::test::orvShape(), entries));
        prompter.queueAnswer(Answer::Yes);
        child<QPushButton>(form, "ImportData")->click();
    }
    auto* grid = child<QTableView>(form, "DataGrid1");
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(year->itemText(0), "2024");  // the imported year joins the list
    // Nothing is armed until a row is picked, however the grid gets the focus.
    grid->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(year->currentText(), "");
    EXPECT_EQ(month->currentText(), "");

    grid->setCurrentIndex(grid->model()->index(1, 3));
    EXPECT_EQ(year->currentText(), "2024");
    EXPECT_EQ(month->currentText(), "Dec");

    prompter.queueAnswer(Answer::Yes);
    child<QPushButton>(form, "Command3")->click();
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(year->currentText(), "");
    EXPECT_EQ(year->findText("2024"), -1);
    // A click arms the lists as well.
    emit grid->clicked(grid->model()->index(0, 0));
    EXPECT_EQ(month->currentText(), "Apr");
}

}  // namespace
