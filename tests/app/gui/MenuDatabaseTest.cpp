#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <filesystem>

#include "backup/BackupWording.h"
#include "core/Version.h"
#include "store/DatabaseCheck.h"
#include "store/DatabaseFiles.h"
#include "support/GuiTest.h"
#include "widgets/DelayShown.h"
#include "widgets/TaskForm.h"

namespace {

namespace fs = std::filesystem;
using vesk::Answer;
using vesk::Icon;

class MenuDatabaseTest : public vesk::test::FormSetTest {
  protected:
    void SetUp() override {
        {
            vesk::store::Connection db;
            db.open(path());
            vesk::test::fillDatabase(db, 300, "Today");
            bankPage = vesk::test::rootPage(db, "veskfinacle");
            vesk::store::Connection old;
            old.open(backup);
            vesk::test::fillDatabase(old, 100, "Old");
        }
        forms.mainForm().setDialogs(&prompter);
        FormSetTest::SetUp();
    }
    void click(const char* name) { forms.mainForm().findChild<QPushButton*>(name)->click(); }

    const std::string backup = dir.file("old.db");
    std::int64_t bankPage = 0;
};

// What each handler says is the screen's to test; here, that the buttons reach them.
TEST_F(MenuDatabaseTest, CheckAndBackUpReachTheirHandlersAndTheStatusLineShowsTheFileAgain) {
    vesk::test::damagePage(path(), bankPage);
    click("cmdCheck");
    EXPECT_EQ(prompter.lastMessage().icon, Icon::Critical);
    EXPECT_FALSE(prompter.progressTexts().empty());
    EXPECT_TRUE(forms.mainForm().findChild<QLabel*>("StatusLine")->text().endsWith("ZETTools.db"));

    prompter.queueFile(std::nullopt);
    click("cmdBackup");
    ASSERT_EQ(prompter.saveRequests().size(), 1u);
    EXPECT_EQ(prompter.saveRequests().front().name.rfind("ZETTools-", 0), 0u);
}

TEST_F(MenuDatabaseTest, RestoreDatabasePutsTheBackupInPlaceAndTheFormsReadIt) {
    // A form visited before the restore keeps its connection open.
    vesk::gui::TaskForm& office = forms.configureForm();
    office.showForm();
    EXPECT_EQ(office.findChild<QComboBox*>("Combo1")->currentText().toStdString(), "Today Office 1");
    office.unloadForm();

    prompter.queueFile(backup);
    prompter.queueAnswer(Answer::Yes);
    click("cmdRestore");
    EXPECT_EQ(vesk::test::restoredContents(path()), vesk::test::contents(backup));

    forms.mainForm().findChild<QPushButton*>("Command1")->click();
    EXPECT_EQ(office.findChild<QComboBox*>("Combo1")->currentText().toStdString(), "Old Office 1");
}

TEST_F(MenuDatabaseTest, TheDailyBackupsBoxTurnsTheCopiesOffAndOn) {
    auto* box = forms.mainForm().findChild<QCheckBox*>("chkDailyBackups");
    const std::string off = dir.file("backups/daily-backups-off");
    ASSERT_TRUE(box->isChecked());
    EXPECT_TRUE(box->toolTip().contains(QString::fromStdString(dir.file("backups"))));
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(fs::exists(off));
    box->click();
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(fs::exists(off));
}

TEST(DelayShown, AWaitShowsInTheStatusLabelWithTheWaitCursorAndGoesWithoutTrace) {
    QWidget window;
    auto* status = new QLabel("Importing Row 50 of 80...", &window);
    status->hide();
    const vesk::store::DelayWatcher watcher = vesk::gui::showDelays(status);
    for (vesk::store::Delay delay :
         {vesk::store::Delay::OtherProgram, vesk::store::Delay::OwnWork, vesk::store::Delay::Upgrade}) {
        const vesk::store::DelayNotice notice{delay, std::chrono::milliseconds(600), false};
        watcher(notice);
        watcher(notice);  // told again a second later
        EXPECT_EQ(status->text().toStdString(), vesk::backup::delayText(notice));
        EXPECT_FALSE(status->isHidden());
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        watcher({delay, std::chrono::milliseconds(900), true});
        EXPECT_EQ(status->text(), "Importing Row 50 of 80...");
        EXPECT_TRUE(status->isHidden());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

TEST(MenuStatus, ShowsTheVersionAndTheOpenDatabaseWithItsWholePathAsTooltip) {
    vesk::test::TempDir dir;
    struct Case {
        std::string path;
        bool elided;
    };
    const Case cases[] = {
        {dir.file("ZETTools.db"), false},
        {dir.file(std::string(40, 'd') + "/" + std::string(60, 'e') + "/" + std::string(60, 'f') + "/ZETTools.db"),
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        vesk::gui::FormSet forms(c.path);
        QLabel* status = forms.mainForm().findChild<QLabel*>("StatusLine");
        ASSERT_NE(status, nullptr);
        const QString text = status->text();
        EXPECT_TRUE(text.startsWith(QString("Ver %1 ").arg(vesk::kVersion))) << text.toStdString();
        EXPECT_EQ(status->toolTip().toStdString(), c.path);
        EXPECT_TRUE(text.endsWith("ZETTools.db")) << text.toStdString();
        EXPECT_EQ(text.contains(QString::fromStdString(c.path)), !c.elided) << text.toStdString();
        EXPECT_LE(status->fontMetrics().horizontalAdvance(text), status->width()) << text.toStdString();
    }
}

}  // namespace
