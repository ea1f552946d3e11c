#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <functional>

#include "app/gui/FormSet.h"
#include "app/gui/MainForm.h"
#include "compare/ExplainWindow.h"
#include "notes/NoteDialog.h"
#include "notes/Notes.h"
#include "review/OpenItemsWindow.h"
#include "review/ReviewDatabase.h"
#include "support/Handshake.h"
#include "support/ScriptedPrompter.h"

namespace {

using vesk::test::handshake;
using vesk::test::ReviewDatabase;

QString rowText(QTableView* grid, int r) {
    QStringList cells;
    for (int c = 0; c < grid->model()->columnCount(); ++c) cells << grid->model()->index(r, c).data().toString();
    return cells.join('|');
}

// April 2025 of Hill SO: a deposit ORV lacks (large enough to show its thousands), and a pair whose
// amounts differ.
class OpenItemsWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.importBank(
            {ReviewDatabase::entry("T1", "03/04/2025", "3000"), ReviewDatabase::entry("T2", "09/04/2025", "80")});
        db.importOrv({ReviewDatabase::entry("A1", "09/04/2025", "79.50")});
        // An open note as long as a note may be: its column must not push Hint out of sight.
        vesk::notes::setNote(db.connection(), vesk::notes::Side::Orv, "A1",
                             {vesk::notes::Status::Open, std::string(vesk::notes::kLongestNote, 'w')}, "ravi",
                             {2025, 5, 1});
        db.connection().close();
    }

    // The menu's Open Items button, and the window it opens once its listing is in.
    vesk::gui::OpenItemsWindow* openFromMenu() {
        forms.start();
        auto* button = forms.mainForm().findChild<QPushButton*>("cmdOpenItems");
        EXPECT_NE(button, nullptr);
        button->click();
        vesk::gui::OpenItemsWindow* window = forms.openItemsWindow();
        EXPECT_NE(window, nullptr);
        window->prompter().setDialogs(&prompter);
        // The click returned with the listing still to come: the menu never waited for it.
        EXPECT_TRUE(forms.mainForm().isVisible());
        EXPECT_TRUE(listed(window));
        return window;
    }

    // Does what is asked, then waits for the window to show its latest listing.
    static bool listed(vesk::gui::OpenItemsWindow* window, const std::function<void()>& act = {}) {
        return handshake(
            window, &vesk::gui::OpenItemsWindow::listed, [&] { return !window->logic().busy(); }, act);
    }
    static bool explained(vesk::gui::ExplainWindow* window) {
        return handshake(window, &vesk::gui::ExplainWindow::explained, [&] { return !window->logic().busy(); });
    }
    // A dialog, closed, deletes itself at the next events: those deletions, done now.
    static bool gone(vesk::gui::NoteDialog* dialog) {
        const QPointer<vesk::gui::NoteDialog> alive(dialog);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return alive.isNull();
    }

    vesk::test::TempDir dir;
    ReviewDatabase db{dir};
    vesk::test::ScriptedPrompter prompter;
    vesk::gui::FormSet forms{dir.file("ZETTools.db")};
};

// Three rows chosen as a person chooses them, Ctrl+C: the rows with their headings, as cells
// for a sheet and as a table for a mail.
TEST_F(OpenItemsWindowTest, CtrlCCopiesTheChosenRowsWithTheirHeadings) {
    vesk::gui::OpenItemsWindow* window = openFromMenu();
    window->resize(1280, 640);  // as wide as it opens on a 1366 x 768 screen
    ASSERT_TRUE(listed(window, [&] { window->findChild<QDateEdit*>("dtpAsOf")->setDate(QDate(2025, 5, 10)); }));
    auto* grid = window->findChild<QTableView*>("grdOpenItems");
    ASSERT_EQ(grid->model()->rowCount(), 3);
    const auto at = [&](int row) { return grid->visualRect(grid->model()->index(row, 1)).center(); };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at(0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, at(2));
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    // The headline wraps between its parts only.
    EXPECT_FALSE(window->findChild<QLabel*>("lblHeadline")->text().contains("items, "));
    const int hint = grid->model()->columnCount() - 1;
    EXPECT_LT(grid->columnViewportPosition(hint) + 40, grid->viewport()->width());

    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(
        copied->text().toStdString(),
        "Month\tOffice Name\tKind\tSide\tDate\tID\tAmount\tClass\tAge\tBucket\tStatus\tNote\tHint\n"
        "2025-04\tHill SO\tDeposit\tVESK\t03/04/2025\tT1\t3,000.00\tOnly in VESK\t37\t31-60\t\t\t\n"
        "2025-04\tHill SO\tDeposit\tVESK\t09/04/2025\tT2\t80.00\tAmounts differ\t31\t31-60\t\t\tORV A1 is 0.50 less\n"
        "2025-04\tHill SO\tDeposit\tORV\t09/04/2025\tA1\t79.50\tAmounts differ\t31\t31-60\tOpen\t" +
            std::string(vesk::notes::kLongestNote, 'w') + "\tVESK T2 is 0.50 more\n");
    const QString html = copied->html();
    EXPECT_TRUE(html.contains("<tr><th>Month</th><th>Office Name</th>")) << html.toStdString();
    EXPECT_EQ(html.count("<tr><td>2025-04</td><td>Hill SO</td>"), 3) << html.toStdString();
    EXPECT_TRUE(html.contains("<td>A1</td><td>79.50</td>")) << html.toStdString();
}

// The menu opens the list; a date changes the ages; an item opens its month, where a note
// explains it and takes it off the list.
TEST_F(OpenItemsWindowTest, TheMenuOpensTheListWhereAnItemsNoteTakesItOff) {
    vesk::gui::OpenItemsWindow* window = openFromMenu();
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(listed(window, [&] { window->findChild<QDateEdit*>("dtpAsOf")->setDate(QDate(2025, 5, 10)); }));
    auto* grid = window->findChild<QTableView*>("grdOpenItems");
    ASSERT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(rowText(grid, 2).toStdString(),
              "2025-04|Hill SO|Deposit|ORV|09/04/2025|A1|79.50|Amounts differ|31|31-60|Open|" +
                  std::string(vesk::notes::kLongestNote, 'w') + "|VESK T2 is 0.50 more");
    // The pane under the grid holds the current row in full; no row, nothing.
    const auto detail = [](QWidget* w) {
        const auto* pane = w->findChild<QPlainTextEdit*>("txtHintDetail");
        return pane ? pane->toPlainText() : QString("no pane");
    };
    grid->setCurrentIndex(grid->model()->index(2, 0));
    EXPECT_EQ(detail(window).toStdString(),
              "Hill SO \u00b7 Deposit \u00b7 ORV \u00b7 09/04/2025 \u00b7 79.50 \u00b7 "
              "Amounts differ\nHint: VESK T2 is 0.50 more\nNote (Open): " +
                  std::string(vesk::notes::kLongestNote, 'w'));
    grid->setCurrentIndex({});
    EXPECT_EQ(detail(window), "");
    // The button reaches the export (what it writes is the screen's test).
    window->logic().setOutputFolder(dir.file("out"));
    window->logic().setOpenWhenSaved(false);
    window->findChild<QPushButton*>("cmdExportOpenItems")->click();
    EXPECT_TRUE(std::filesystem::exists(dir.file("out/Open_Items_10-05-2025.xlsx")));

    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 0));
    QTest::keyClick(grid, Qt::Key_Return);

    vesk::gui::ExplainWindow* explain = window->explainWindow();
    ASSERT_NE(explain, nullptr);
    ASSERT_TRUE(explained(explain));
    auto* lines = explain->findChild<QTableView*>("grdExplain");
    ASSERT_EQ(lines->model()->rowCount(), 3);

    auto* noteButton = explain->findChild<QPushButton*>("cmdNote");
    lines->setCurrentIndex(lines->model()->index(0, 0));  // T1, the deposit of the 3rd
    noteButton->click();
    auto* dialog = explain->findChild<vesk::gui::NoteDialog*>("frmNote");
    ASSERT_NE(dialog, nullptr);
    // What the note is on, beyond its ID.
    EXPECT_EQ(dialog->findChild<QLabel*>("lblRow")->text().replace(QChar(0x00a0), ' ').toStdString(),
              "Hill SO \u00b7 Deposit \u00b7 VESK \u00b7 03/04/2025 \u00b7 3,000.00 \u00b7 Only in VESK");
    dialog->logic().setWho("ravi");
    dialog->findChild<QComboBox*>("cboStatus")->setCurrentText("Explained");
    auto* text = dialog->findChild<QLineEdit*>("txtNote");
    text->setText("credited by the bank twice");
    QTest::keyClick(text, Qt::Key_Return);
    ASSERT_TRUE(gone(dialog));
    EXPECT_EQ(rowText(lines, 0).toStdString(),
              "Hill SO|Deposit|VESK|03/04/2025|T1|3,000.00|Only in VESK|||Explained|credited by the "
              "bank twice|");
    lines->setCurrentIndex(lines->model()->index(0, 0));
    EXPECT_EQ(detail(explain).toStdString(),
              "Hill SO \u00b7 Deposit \u00b7 VESK \u00b7 03/04/2025 \u00b7 3,000.00 \u00b7 Only in VESK\nHint: "
              "none\nNote (Explained): credited by the bank twice");
    lines->setCurrentIndex({});
    EXPECT_EQ(detail(explain), "");

    // The list follows: the explained deposit is gone.
    ASSERT_TRUE(listed(window));
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_FALSE(rowText(grid, 0).contains("|T1|"));

    // Escape leaves a note as it was.
    lines->setCurrentIndex(lines->model()->index(1, 0));
    noteButton->click();
    dialog = explain->findChild<vesk::gui::NoteDialog*>("frmNote");
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>("txtNote")->setText("never saved");
    QTest::keyClick(dialog, Qt::Key_Escape);
    ASSERT_TRUE(gone(dialog));
    EXPECT_FALSE(rowText(lines, 1).contains("never saved"));
}

}  // namespace
