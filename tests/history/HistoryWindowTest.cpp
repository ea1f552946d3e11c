#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTableView>
#include <filesystem>

#include "ctr/FinacleForm.h"
#include "history/HistoryWindow.h"
#include "history/ImportHistory.h"
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

    // The history window's grid, one line per row, as it stands.
    static std::vector<std::string> gridLines(const QWidget& window) {
        auto* model = window.findChild<QTableView*>("grdHistory")->model();
        std::vector<std::string> lines;
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c) cells << model->index(r, c).data().toString();
            lines.push_back(cells.join(" | ").toStdString());
        }
        return lines;
    }

    // The same, after pressing the form's History button.
    static std::vector<std::string> historyShown(QWidget& form) {
        form.findChild<QPushButton*>("cmdHistory")->click();
        auto* window = form.findChild<QWidget*>("frmHistory");
        EXPECT_NE(window, nullptr);
        if (!window) return {};
        EXPECT_TRUE(window->isVisible());
        return gridLines(*window);
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
    const std::string who = vesk::history::loginName();
    EXPECT_EQ(bankShown[0].substr(0, 60 + who.size()),
              "06/12/2026 10:02:00 | " + who + " | Bank CTR import | May 2025 | 2 rows");
    EXPECT_EQ(historyShown(orv).size(), 1u);
    EXPECT_EQ(prompter.messages().size(), messages);  // the window says nothing of its own

    // An open window follows an import made while it is open.
    auto* model = bank.findChild<QWidget*>("frmHistory")->findChild<QTableView*>("grdHistory")->model();
    import(bank, vesk::test::bankShape(), monthEntries(1, 2025, 6));
    EXPECT_EQ(model->index(0, 3).data().toString(), "June 2025");
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

TEST_F(HistoryWindowTest, AFormsWindowShowsItsOwnKindsOfChangeAndShowAllEveryKind) {
    {
        using vesk::history::Action;
        vesk::test::MonthDatabase db = rows();
        const auto record = [&db](Action action, int month, int day, int minute, auto&& fill) {
            vesk::history::Change c;
            c.action = action;
            c.year = 2025;
            c.month = 4;
            fill(c);
            vesk::history::recordChange(db.connection(), c, {2026, month, day, 9, minute, 0});
        };
        // The oldest on the 30th of the month before, which a sort by the text would put last.
        record(Action::CtrImport, 11, 30, 0, [](vesk::history::Change& c) {
            c.file = vesk::history::FileDigest{"apr.xlsx", 5123, std::string(64, 'a')};
            c.rows = 3;
            c.deposits = 1234.5;
            c.withdrawals = 0;
        });
        record(Action::OrvReceiptsImport, 12, 6, 1, [](vesk::history::Change& c) {
            c.rows = 1;
            c.deposits = 1000;
        });
        record(Action::BankNoteChange, 12, 6, 2, [](vesk::history::Change& c) {
            c.by = "clerk";
            c.note = vesk::history::StatusChange{"T1", "", "Open"};
        });
        record(Action::HandPairMade, 12, 6, 3, [](vesk::history::Change& c) {
            c.by = "clerk";
            c.pair = vesk::history::PairChange{"M1", "VESK T1 with ORV A2"};
            c.rows = 2;
        });
        record(Action::MonthClosed, 12, 6, 4, [](vesk::history::Change& c) {
            c.by = "head";
            c.close = 1;
            c.rows = 1;
        });
        record(Action::OfficeChange, 12, 6, 5, [](vesk::history::Change& c) {
            c.year = 0;
            c.office = "Hill";
        });
        record(Action::PassphraseChanged, 12, 6, 6, [](vesk::history::Change& c) {
            c.year = 0;
            c.by = "head";
        });
        record(Action::BackupRestored, 12, 6, 7, [](vesk::history::Change& c) {
            c.year = 0;
            c.by = "head";
            c.file = vesk::history::FileDigest{"old.db", 8192, std::string(64, 'b')};
            c.kept = "ZETTools.db.before-restore-20261206-090700";
        });
        // A newer build's kind of change is passed over, not taken for damage.
        db.connection().execute(
            "INSERT INTO import_history (recorded_at, form, action, row_count) VALUES "
            "('2026-12-06 09:08:00', 'vault', 'vault-sealed', 0)");
    }
    vesk::gui::FinacleForm bank(path(), master);
    bank.setDialogs(&prompter);
    bank.showForm();

    const std::vector<std::string> own = {
        "06/12/2026 09:02:00 | clerk | Bank row note | April 2025 | T1: new \u2192 Open | ",
        "30/11/2026 09:00:00 |  | Bank CTR import | April 2025 | 3 rows, deposits 1,234.50, withdrawals 0.00 | "
        "apr.xlsx, 5123 bytes, SHA-256 " +
            std::string(64, 'a')};
    EXPECT_EQ(historyShown(bank), own);

    auto* window = bank.findChild<QWidget*>("frmHistory");
    ASSERT_NE(window, nullptr);
    auto* all = vesk::test::child<QCheckBox>(*window, "chkShowAll");
    all->setChecked(true);
    const std::vector<std::string> every = {
        "06/12/2026 09:07:00 | head | Backup restored |  | The database as it was is kept as "
        "'ZETTools.db.before-restore-20261206-090700' | old.db, 8192 bytes, SHA-256 " +
            std::string(64, 'b'),
        "06/12/2026 09:06:00 | head | Passphrase change |  | Passphrase changed | ",
        "06/12/2026 09:05:00 |  | Configured office change |  | Hill | ",
        "06/12/2026 09:04:00 | head | Month closed | April 2025 | Close 1: 1 item | ",
        "06/12/2026 09:03:00 | clerk | Hand pair made | April 2025 | M1: VESK T1 with ORV A2 | ",
        own[0],
        "06/12/2026 09:01:00 |  | ORV receipts import | April 2025 | 1 row, receipts 1,000.00 | ",
        own[1]};
    EXPECT_EQ(gridLines(*window), every);

    // Oldest first by the time itself, not by its day-first text.
    window->findChild<QTableView*>("grdHistory")->sortByColumn(0, Qt::AscendingOrder);
    const std::vector<std::string> sorted = gridLines(*window);
    EXPECT_EQ(sorted.front(), every.back());
    EXPECT_EQ(sorted.back(), every.front());
    // Print… puts the rows on paper in the order the grid shows them.
    std::vector<vesk::compare::Printout> printed;
    static_cast<vesk::gui::HistoryWindow*>(window)->setPrintTarget(
        [&](const vesk::compare::Printout& p) { printed.push_back(p); });
    vesk::test::child<QPushButton>(*window, "cmdPrint")->click();
    ASSERT_EQ(printed.size(), 1u);
    const vesk::compare::ExportSheet& sheet = printed[0].sheets.at(0);
    EXPECT_EQ(sheet.periodLine, "Every change to the file");
    ASSERT_EQ(sheet.rows.size(), every.size());
    EXPECT_EQ(sheet.rows.front().cells.at(2).text, "Bank CTR import");
    EXPECT_EQ(sheet.rows.back().cells.at(2).text, "Backup restored");

    all->setChecked(false);
    EXPECT_EQ(gridLines(*window).size(), own.size());
    bank.hide();
}

}  // namespace
