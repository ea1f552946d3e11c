#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "ctr/FinacleForm.h"
#include "office/ConfigureForm.h"
#include "store/Schema.h"
#include "support/GuiTest.h"
#include "support/MemorySettings.h"
#include "support/RawXlsx.h"
#include "widgets/SettingsStore.h"

namespace {

using vesk::Answer;
using vesk::test::RawCell;

class ConfigureFormTest : public vesk::test::WindowTest {
  protected:
    void SetUp() override { form.setDialogs(&prompter); }
    void TearDown() override { form.hide(); }

    std::string masterFile(int offices, const std::string& name = "master.xlsx") {
        std::vector<std::vector<RawCell>> rows(1);
        for (const auto& c : vesk::store::tableColumns(vesk::store::Table::Master)) rows[0].emplace_back(c);
        rows.push_back({"1", "Zeta Division", "PDN", "", "F1"});
        rows.push_back({"2", "O'Neil Road H.O", "HPO", "O'Neil Road H.O", "F2"});
        // A lettered column holding a word of another office's name, which the filter must not see.
        for (int i = 3; i <= offices; ++i)
            rows.push_back({std::to_string(i), "Sub " + std::to_string(i), "SO", "O'Neil Road H.O", "", "zeta"});
        std::string file = dir.file(name);
        vesk::test::writeRawXlsx(file, rows);
        return file;
    }
    // Shows the form and imports a master of that many offices through its button.
    void imported(int offices, const std::string& name = "master.xlsx") {
        prompter.queueFile(masterFile(offices, name));
        prompter.queueAnswer(Answer::Yes);
        form.showForm();
        child<QPushButton>("Command4")->click();
    }
    template <typename T>
    T* child(const char* name) {
        return vesk::test::child<T>(form, name);
    }

    vesk::gui::ConfigureForm form{path()};
};

// A right-click on the grid opens its menu; the Escape that follows closes the menu, never the form.
TEST_F(ConfigureFormTest, EscapeAfterARightClickClosesTheMenuNotTheForm) {
    imported(3);
    auto* grid = child<QTableView>("DataGrid1");
    grid->setFocus();
    const QPoint at = grid->visualRect(grid->model()->index(0, 1)).center();
    bool overMenu = false;
    // The person's Escape, to whatever is on top once the click has been answered.
    QTimer::singleShot(0, grid, [&] {
        QWidget* top = QApplication::activePopupWidget();
        overMenu = top != nullptr;
        QTest::keyClick(top ? top : grid, Qt::Key_Escape);
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &click);
    QCoreApplication::processEvents();
    EXPECT_TRUE(overMenu);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(form.isVisible());
}

// What the screen leaves after each handler reaches the form's controls (the screen's own
// tests check what it leaves): the count behind the import's notice, the grid, the list, the
// wait label gone, and the controls given back.
TEST_F(ConfigureFormTest, EachHandlersOutcomeReachesTheControlsAndTheControlsComeBack) {
    form.showForm();  // empty master
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
    auto* grid = child<QTableView>("DataGrid1");
    EXPECT_EQ(grid->model()->rowCount(), 120);
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "O'Neil Road H.O");
    auto* combo = child<QComboBox>("Combo1");
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentText(), "Zeta Division");
    for (const char* b : {"Command3", "Command5"}) EXPECT_TRUE(child<QPushButton>(b)->isEnabled()) << b;
    EXPECT_TRUE(combo->isEnabled());

    combo->setCurrentText("O'Neil Road H.O");
    prompter.onMessage = nullptr;
    prompter.queueAnswer(Answer::Yes);
    child<QPushButton>("Command5")->click();
    EXPECT_FALSE(child<QLabel>("Label3")->isVisible());  // the wait label gone
    // The stored office is selected when the form is shown again.
    form.unloadForm();
    form.showForm();
    EXPECT_EQ(child<QComboBox>("Combo1")->currentText(), "O'Neil Road H.O");

    prompter.queueAnswer(Answer::Yes);
    child<QPushButton>("Command3")->click();
    EXPECT_EQ(child<QComboBox>("Combo1")->count(), 0);
    EXPECT_EQ(child<QTableView>("DataGrid1")->model()->rowCount(), 0);
}

// The office names the grid shows, top to bottom.
std::vector<std::string> shownOffices(QTableView* grid) {
    std::vector<std::string> out;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        out.push_back(grid->model()->index(r, 1).data().toString().toStdString());
    return out;
}

TEST_F(ConfigureFormTest, TheFilterNarrowsTheGridAndAPickThereChoosesThatRowsOffice) {
    imported(12);
    auto* grid = child<QTableView>("DataGrid1");
    auto* filter = child<QLineEdit>("TextFind");
    ASSERT_EQ(grid->model()->rowCount(), 12);

    struct Case {
        const char* typed;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"ZETA", {"Zeta Division"}},  // not the Sub offices' lettered column
        // The head office's name counts: every Sub office is under O'Neil.
        {"neil",
         {"O'Neil Road H.O", "Sub 10", "Sub 11", "Sub 12", "Sub 3", "Sub 4", "Sub 5", "Sub 6", "Sub 7", "Sub 8",
          "Sub 9"}},
        {"hpo", {"O'Neil Road H.O"}},
        {"  sub 1", {"Sub 10", "Sub 11", "Sub 12"}},
        {"f2", {"O'Neil Road H.O"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        filter->clear();
        QTest::keyClicks(filter, c.typed);
        EXPECT_EQ(shownOffices(grid), c.shown);
    }

    // A pick in the filtered grid chooses the office of that row: Zeta comes last in the whole
    // master; filtered, it is the first row.
    auto* combo = child<QComboBox>("Combo1");
    combo->setCurrentText("O'Neil Road H.O");
    filter->clear();
    QTest::keyClicks(filter, "division");
    ASSERT_EQ(shownOffices(grid), std::vector<std::string>{"Zeta Division"});
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
    EXPECT_EQ(combo->currentText().toStdString(), "Zeta Division");

    // Enter in the box goes to the first row left; Enter there picks it, and nothing is imported.
    filter->clear();
    QTest::keyClicks(filter, "road");
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Return);
    ASSERT_TRUE(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(combo->currentText().toStdString(), "O'Neil Road H.O");
    EXPECT_EQ(prompter.fileRequests().size(), 1u);
}

TEST_F(ConfigureFormTest, TheFileDialogOpensInTheFolderOfTheLastFileOfItsKind) {
    vesk::test::MemorySettings settings;
    form.setSettings(&settings);
    std::filesystem::create_directory(dir.path() / "downloads");
    const std::string downloads = (dir.path() / "downloads").string();
    imported(3, "downloads/master.xlsx");
    ASSERT_EQ(prompter.fileRequests().size(), 1u);
    EXPECT_EQ(prompter.fileRequests()[0].folder, "");  // nothing remembered yet: the dialog's own start

    // The next dialog opens where that file was.
    prompter.queueFile(std::nullopt);
    child<QPushButton>("Command4")->click();
    EXPECT_EQ(prompter.fileRequests().back().folder, downloads);

    // A bank report is another kind of file, with a folder of its own.
    vesk::gui::FinacleForm bank{path(), form};
    bank.setDialogs(&prompter);
    bank.setSettings(&settings);
    bank.showForm();
    prompter.queueFile(std::nullopt);
    bank.findChild<QPushButton*>("ImportFinacle")->click();
    EXPECT_EQ(prompter.fileRequests().back().folder, "");
    bank.hide();

    // A folder since removed is not offered.
    std::filesystem::remove_all(downloads);
    prompter.queueFile(std::nullopt);
    child<QPushButton>("Command4")->click();
    EXPECT_EQ(prompter.fileRequests().back().folder, "");
}

}  // namespace

namespace {

TEST(UserSettings, KeepAFolderForTheNextRunInTheUsersOwnSettingsFile) {
    vesk::test::TempDir home;
    // The test's stand-in for ~/.config (%APPDATA%): nothing here touches the real settings.
    const QSettings::Format format = vesk::gui::UserSettings::fileFormat();
    QSettings::setPath(format, QSettings::UserScope, QString::fromStdString(home.path().string()));
    {
        vesk::gui::UserSettings run;
        EXPECT_EQ(run.value("LastFolder/Orv").toStdString(), "");
        run.setValue("LastFolder/Orv", "/data/orv");
    }
    vesk::gui::UserSettings nextRun;
    EXPECT_EQ(nextRun.value("LastFolder/Orv").toStdString(), "/data/orv");
    // A file in the person's folder, never the registry.
    EXPECT_TRUE(std::filesystem::exists(home.path() / "vesk-orv" /
                                        (format == QSettings::IniFormat ? "vesk-orv.ini" : "vesk-orv.conf")));
}

}  // namespace
