#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableView>
#include <filesystem>

#include "ctr/FinacleForm.h"
#include "office/ConfigureForm.h"
#include "orv/OrvForm.h"
#include "report/ReportFiles.h"
#include "support/GuiTest.h"

namespace {

using vesk::Answer;
using vesk::test::monthEntries;

class HistoryWindowTest : public vesk::test::WindowTest {
  protected:
    void SetUp() override { rows().office("1", "Hill", "PDN"); }

    // Imports the entries through the form's import button.
    void import(vesk::gui::ReportForm& form, const vesk::test::ReportShape& shape,
                const std::vector<vesk::test::Entry>& entries) {
        const std::string file = dir.file("r" + std::to_string(++files) + ".xlsx");
        vesk::test::writeReport(file, shape, entries);
        prompter.queueFile(file);
        prompter.queueAnswer(Answer::Yes);
        form.findChild<QPushButton*>(shape.report.description.table == vesk::store::Table::Orv ? "ImportData"
                                                                                               : "ImportFinacle")
            ->click();
    }

    // The history window's grid, one line per row, after pressing the form's History button.
    static std::vector<std::string> historyShown(QWidget& form) {
        form.findChild<QPushButton*>("cmdHistory")->click();
        auto* window = form.findChild<QWidget*>("frmHistory");
        EXPECT_NE(window, nullptr);
        if (!window) return {};
        EXPECT_TRUE(window->isVisible());
        auto* model = window->findChild<QTableView*>("grdHistory")->model();
        std::vector<std::string> lines;
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount() - 1; ++c) cells << model->index(r, c).data().toString();
            lines.push_back(cells.join(" | ").toStdString());
        }
        return lines;
    }

    vesk::gui::TaskForm master{"configureform", "Office - Master Data", 6000, 4000};
    int files = 0;
};

TEST_F(HistoryWindowTest, EachReportFormShowsItsOwnRecordsNewestFirst) {
    vesk::gui::FinacleForm bank(path(), master);
    vesk::gui::OrvForm orv(path(), master);
    vesk::DateTime now{2026, 12, 6, 10, 0, 0};
    for (vesk::gui::ReportForm* form : std::vector<vesk::gui::ReportForm*>{&bank, &orv}) {
        form->setDialogs(&prompter);
        form->logic().setClock([&now] { return now; });
        form->showForm();
    }
    import(bank, vesk::test::bankShape(), monthEntries(3, 2025, 4));
    now.minute = 1;
    import(orv, vesk::test::orvShape(), monthEntries(2, 2025, 4));
    now.minute = 2;
    import(bank, vesk::test::bankShape(), monthEntries(2, 2025, 5, false));

    // The records' own lines are the screen's tests; here, each form shows its own, newest first.
    const std::size_t messages = prompter.messages().size();
    const std::vector<std::string> bankShown = historyShown(bank);
    ASSERT_EQ(bankShown.size(), 2u);
    EXPECT_EQ(bankShown[0].substr(0, 55), "06/12/2026 10:02:00 | Bank CTR import | May 2025 | r3.x");
    EXPECT_EQ(historyShown(orv).size(), 1u);
    EXPECT_EQ(prompter.messages().size(), messages);  // the window says nothing of its own

    // An open window follows an import made while it is open.
    auto* model = bank.findChild<QWidget*>("frmHistory")->findChild<QTableView*>("grdHistory")->model();
    import(bank, vesk::test::bankShape(), monthEntries(1, 2025, 6));
    EXPECT_EQ(model->index(0, 2).data().toString(), "June 2025");
    // Going back closes it with the form.
    bank.findChild<QPushButton*>("Command2")->click();
    EXPECT_FALSE(bank.findChild<QWidget*>("frmHistory")->isVisible());
}

// The office form's button is wired to its own records (their lines are the screen's tests').
TEST_F(HistoryWindowTest, TheOfficeFormsButtonOpensTheOfficesRecords) {
    vesk::gui::ConfigureForm form(path());
    form.setDialogs(&prompter);
    form.showForm();
    prompter.queueAnswer(Answer::Yes);
    form.findChild<QPushButton*>("Command5")->click();  // Hill, the only office
    const std::vector<std::string> shown = historyShown(form);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find(" | Configured office change | "), std::string::npos) << shown[0];
    form.hide();
}

}  // namespace
