#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include "office/ConfigureForm.h"
#include "store/Schema.h"
#include "support/RawXlsx.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

namespace {

using vesk::Answer;
using vesk::test::RawCell;

class ConfigureFormTest : public ::testing::Test {
  protected:
    void SetUp() override { form.setDialogs(&prompter); }
    void TearDown() override { form.hide(); }

    std::string masterFile(int offices) {
        std::vector<std::vector<RawCell>> rows(1);
        for (const auto& c : vesk::store::tableColumns(vesk::store::Table::Master)) rows[0].emplace_back(c);
        rows.push_back({"1", "Zeta Division", "PDN", "", "F1"});
        rows.push_back({"2", "O'Neil Road H.O", "HPO", "O'Neil Road H.O", "F2"});
        for (int i = 3; i <= offices; ++i) rows.push_back({std::to_string(i), "Sub " + std::to_string(i), "SO"});
        std::string path = dir.file("master.xlsx");
        vesk::test::writeRawXlsx(path, rows);
        return path;
    }
    template <typename T>
    T* child(const char* name) {
        T* w = form.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    vesk::test::TempDir dir;
    vesk::test::ScriptedPrompter prompter;
    vesk::gui::ConfigureForm form{dir.file("ZETTools.db")};
};

TEST_F(ConfigureFormTest, ImportFillsTheGridTheListAndTheCount) {
    form.showForm();  // empty master
    EXPECT_EQ(child<QLabel>("Label1")->text(), "0 office details available.");
    EXPECT_EQ(child<QTableView>("DataGrid1")->model()->rowCount(), 0);

    prompter.queueFile(masterFile(120));
    prompter.queueAnswer(Answer::Yes);
    std::string behindSuccess;
    prompter.onMessage = [&](const vesk::Message& m) {
        if (m.text == "Office Master Imported Successfully")
            behindSuccess = child<QLabel>("Label1")->text().toStdString();
    };
    child<QPushButton>("Command4")->click();

    // The count is up to date while the success message is still open.
    EXPECT_EQ(behindSuccess, "120 office details updated successfully.");
    EXPECT_EQ(child<QLabel>("Label1")->text(), "120 office details updated successfully.");
    EXPECT_EQ(prompter.progressTexts(), std::vector<std::string>{"Importing Row 100 / 120"});
    auto* grid = child<QTableView>("DataGrid1");
    EXPECT_EQ(grid->model()->rowCount(), 120);
    EXPECT_EQ(grid->model()->columnCount(), 83);
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "office_name");
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "O'Neil Road H.O");
    auto* combo = child<QComboBox>("Combo1");
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentText(), "Zeta Division");
    for (const char* b : {"Command3", "Command4", "Command5"}) EXPECT_TRUE(child<QPushButton>(b)->isEnabled()) << b;
}

TEST_F(ConfigureFormTest, SaveStoresTheListedOfficeAndHidesTheWaitLabel) {
    prompter.queueFile(masterFile(3));
    prompter.queueAnswer(Answer::Yes);
    form.showForm();
    child<QPushButton>("Command4")->click();

    child<QComboBox>("Combo1")->setCurrentText("O'Neil Road H.O");
    prompter.queueAnswer(Answer::Yes);
    child<QPushButton>("Command5")->click();
    EXPECT_EQ(prompter.lastMessage().text, "Office updated successfully!");
    EXPECT_FALSE(child<QLabel>("Label3")->isVisible());
    EXPECT_EQ(form.logic().configuredOffice(), "O'Neil Road H.O");

    // The stored office is selected when the form is shown again.
    form.unloadForm();
    form.showForm();
    EXPECT_EQ(child<QComboBox>("Combo1")->currentText(), "O'Neil Road H.O");
}

TEST_F(ConfigureFormTest, DeleteAllClearsTheForm) {
    prompter.queueFile(masterFile(3));
    prompter.queueAnswer(Answer::Yes);
    form.showForm();
    child<QPushButton>("Command4")->click();

    prompter.queueAnswer(Answer::Yes);
    child<QPushButton>("Command3")->click();
    EXPECT_EQ(child<QLabel>("Label1")->text(), "0 office details available.");
    EXPECT_EQ(child<QComboBox>("Combo1")->count(), 0);
    EXPECT_EQ(child<QTableView>("DataGrid1")->model()->rowCount(), 0);
}

TEST_F(ConfigureFormTest, TheHeadingBreaksBeforeItsBracketAndEachLineFits) {
    auto* heading = child<QLabel>("Label2");
    const QStringList lines = heading->text().split('\n');
    const QFontMetrics metrics(heading->font());
    EXPECT_EQ(lines.join(' '), "Comparison Required for Offices under (Divisional Level / HO Level)");
    EXPECT_LE(int(lines.size()) * metrics.lineSpacing(), heading->height());
    for (const QString& line : lines) {
        SCOPED_TRACE(line.toStdString());
        EXPECT_LE(metrics.horizontalAdvance(line), heading->width());  // the label wraps no further
        EXPECT_TRUE(line.contains(' '));                               // no word alone on its line
    }
    EXPECT_TRUE(lines.size() == 1 || lines.back().startsWith('('));
}

}  // namespace
