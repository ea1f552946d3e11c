#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <sstream>

#include "app/cli/CliRunner.h"
#include "app/gui/FormSet.h"
#include "core/Error.h"
#include "notes/Notes.h"
#include "review/MonthClose.h"
#include "review/ReviewDatabase.h"
#include "review/ReviewWording.h"
#include "review/SignOffDialog.h"
#include "review/SignOffs.h"
#include "review/StatementWindow.h"
#include "review/StatementWorkbook.h"
#include "review/StoredPairing.h"
#include "sample/SampleData.h"
#include "support/GuiTest.h"
#include "support/Handshake.h"
#include "support/SampleStore.h"
#include "support/TempDir.h"
#include "widgets/Printing.h"

namespace {

using vesk::gui::StatementWindow;
using vesk::test::child;
using vesk::test::handshake;
using vesk::test::ReviewDatabase;

// Does what is asked, then waits for the window to show its latest job's outcome.
bool statementShown(StatementWindow* window, const std::function<void()>& act = {}) {
    return handshake(
        window, &StatementWindow::statementShown, [&] { return !window->logic().busy(); }, act);
}

// A grid's lines as the verbs print them: the headers, then each row, tab-separated.
std::vector<std::string> gridLines(QTableView* grid, bool headers) {
    std::vector<std::string> lines;
    const QAbstractItemModel* model = grid->model();
    const auto line = [&](const std::function<QString(int)>& cell) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c) cells << cell(c);
        lines.push_back(cells.join('\t').toStdString());
    };
    if (headers) line([&](int c) { return model->headerData(c, Qt::Horizontal).toString(); });
    for (int r = 0; r < model->rowCount(); ++r) line([&](int c) { return model->index(r, c).data().toString(); });
    return lines;
}

// The lines with their thousands separators taken out: the window groups what the verbs print plain.
std::vector<std::string> ungrouped(std::vector<std::string> lines) {
    for (std::string& l : lines) l.erase(std::remove(l.begin(), l.end(), ','), l.end());
    return lines;
}

std::vector<std::string> printedLines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string stateLine(const StatementWindow& window) {
    return child<QLabel>(window, "lblHeadline")->text().toStdString();
}

class StatementWindowTest : public vesk::test::FormSetTest {};

// The menu opens the latest month held; the comparison form its chosen month, whose lines,
// roll-forward and items read as the verb prints them, and whose workbook Export writes.
TEST_F(StatementWindowTest, TheMenuAndTheComparisonFormOpenAMonthAsTheVerbPrintsIt) {
    vesk::Period latest;
    {
        vesk::test::MonthDatabase db = rows();
        vesk::test::storeSampleMonth(db.connection(), vesk::sample::generateSample({40, 2000, 2025, 4, 1}), true);
        latest = vesk::review::heldMonths(db.connection()).back();
        // A later month of the bank's report alone: unasked, the window opens the whole one.
        db.deposit("F1", "04/08/2025", "10");
    }

    child<QPushButton>(forms.mainForm(), "cmdStatement")->click();
    StatementWindow* window = forms.statementWindow();
    ASSERT_NE(window, nullptr);
    window->prompter().setDialogs(&prompter);
    // The click returned with the statement still to come: the menu never waited for it.
    EXPECT_TRUE(window->logic().busy());
    ASSERT_TRUE(statementShown(window));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(child<QComboBox>(*window, "cboMonth")->currentIndex(), latest.month - 1);
    EXPECT_EQ(child<QComboBox>(*window, "cboYear")->currentText().toInt(), latest.year);

    forms.mainForm().findChild<QPushButton*>("Command4")->click();
    auto& compare = forms.compareForm();
    auto* year = child<QComboBox>(compare, "Combo1");
    year->setCurrentIndex(year->findText("2025"));
    child<QComboBox>(compare, "Combo2")->setCurrentIndex(3);
    ASSERT_TRUE(statementShown(window, [&] { child<QPushButton>(compare, "cmdStatement")->click(); }));
    EXPECT_NE(child<QLabel>(*window, "lblHeading")->text().indexOf("April 2025"), -1);

    const vesk::cli::Outcome lines = vesk::cli::runCli(path(), {"statement", "2025", "4"});
    ASSERT_EQ(lines.status, 0) << lines.err;
    std::vector<std::string> shown = gridLines(child<QTableView>(*window, "grdStatement"), true);
    for (const std::string& l : gridLines(child<QTableView>(*window, "grdRollForward"), false)) shown.push_back(l);
    EXPECT_EQ(ungrouped(shown), ungrouped(printedLines(lines.out)));
    EXPECT_NE(shown[1].find(','), std::string::npos) << shown[1];  // VESK's deposits, in thousands
    const vesk::cli::Outcome items = vesk::cli::runCli(path(), {"statement", "2025", "4", "--items"});
    ASSERT_EQ(items.status, 0) << items.err;
    EXPECT_GT(printedLines(items.out).size(), 1u);
    auto* itemsGrid = child<QTableView>(*window, "grdItems");
    EXPECT_EQ(ungrouped(gridLines(itemsGrid, true)), ungrouped(printedLines(items.out)));
    // Sorted by amount, 1,000.00 comes after 999.00.
    const int amount = int(vesk::review::ItemCell::Amount);
    itemsGrid->sortByColumn(amount, Qt::AscendingOrder);
    std::vector<double> amounts;
    bool grouped = false;
    for (int r = 0; r < itemsGrid->model()->rowCount(); ++r) {
        QString text = itemsGrid->model()->index(r, amount).data().toString();
        grouped = grouped || text.contains(',');
        amounts.push_back(text.remove(',').toDouble());
    }
    EXPECT_TRUE(grouped);
    EXPECT_TRUE(std::is_sorted(amounts.begin(), amounts.end()));
    itemsGrid->sortByColumn(-1, Qt::AscendingOrder);
    EXPECT_EQ(stateLine(*window).rfind("Computed on ", 0), 0u) << stateLine(*window);

    window->logic().setOutputFolder(dir.file("out"));
    window->logic().setOpenWhenSaved(false);
    child<QPushButton>(*window, "cmdExportStatement")->click();
    EXPECT_TRUE(std::filesystem::exists(dir.file("out/April_2025_Statement.xlsx")));
    window->close();
}

// April of Hill SO: a deposit ORV lacks and a pair whose amounts differ; May: bank rows only.
class StatementCloseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.importBank(
            {ReviewDatabase::entry("T1", "03/04/2025", "300"), ReviewDatabase::entry("T2", "09/04/2025", "80")});
        db.importOrv({ReviewDatabase::entry("A1", "09/04/2025", "79.50")});
        db.importBank({ReviewDatabase::entry("T3", "06/05/2025", "40")});
        db.connection().close();
    }

    std::unique_ptr<StatementWindow> window(vesk::Period month) {
        auto w = std::make_unique<StatementWindow>(dir.file("ZETTools.db"), nullptr, [] {
            return vesk::DateTime{2025, 6, 3, 10, 30};
        });
        w->prompter().setDialogs(&prompter);
        EXPECT_TRUE(statementShown(w.get(), [&] { w->openMonth(month); }));
        return w;
    }
    std::vector<vesk::review::MonthClose> closes() {
        vesk::store::Connection c;
        c.open(dir.file("ZETTools.db"));
        return vesk::review::monthCloses(c);
    }
    static void expectButtons(const StatementWindow& w, bool closeOn, bool reopenOn) {
        EXPECT_EQ(child<QPushButton>(w, "cmdCloseMonth")->isEnabled(), closeOn);
        EXPECT_EQ(child<QPushButton>(w, "cmdReopenMonth")->isEnabled(), reopenOn);
    }

    vesk::test::TempDir dir;
    ReviewDatabase db{dir};
    vesk::test::ScriptedPrompter prompter;
};

// A statement that cannot be read is said as the statement's failure, not a comparison's.
TEST_F(StatementCloseTest, AStatementThatCannotBeReadIsSaidAsTheStatements) {
    StatementWindow w(dir.file("no such folder/ZETTools.db"), nullptr, [] {
        return vesk::DateTime{2025, 6, 3, 10, 30};
    });
    w.prompter().setDialogs(&prompter);
    ASSERT_TRUE(statementShown(&w, [&] { w.openMonth(vesk::Period{2025, 5}); }));
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.lastMessage().text.rfind("Statement Error: ", 0), 0u) << prompter.lastMessage().text;
}

// A month whose close would be refused offers no Close Month and says why; one that lacks a
// part says so and asks first, No keeping it open; a close answered Yes stands in this window
// and the next; Reopen Month reopens it, the close kept on record.
TEST_F(StatementCloseTest, CloseMonthAndReopenMonthChangeTheStatementsState) {
    const std::string computed = "Computed on 03/06/2025 10:30, not closed";
    const std::string lacking = "ORV payments of April 2025 are not imported: every withdrawal differs";
    std::unique_ptr<StatementWindow> w = window({2025, 5});
    EXPECT_EQ(stateLine(*w),
              computed + "\nORV receipts and payments of May 2025 are not imported: every office differs");
    expectButtons(*w, false, false);
    EXPECT_EQ(child<QPushButton>(*w, "cmdCloseMonth")->toolTip(),
              "No ORV entries are held for May 2025: it cannot be closed.");

    ASSERT_TRUE(statementShown(w.get(), [&] { child<QComboBox>(*w, "cboMonth")->setCurrentIndex(3); }));
    EXPECT_EQ(stateLine(*w), computed + "\n" + lacking);
    expectButtons(*w, true, false);
    EXPECT_EQ(child<QPushButton>(*w, "cmdCloseMonth")->toolTip(), "");
    prompter.queueAnswer(vesk::Answer::No);
    ASSERT_TRUE(statementShown(w.get(), [&] {
        child<QPushButton>(*w, "cmdCloseMonth")->click();
        // The flow runs off the window's thread: nothing is asked before its events run.
        EXPECT_TRUE(prompter.messages().empty());
    }));
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.lastMessage().text, lacking + ". Close April 2025 all the same?");
    EXPECT_EQ(prompter.lastMessage().defaultAnswer, vesk::Answer::No);
    EXPECT_TRUE(closes().empty());

    prompter.queueAnswer(vesk::Answer::Yes);
    prompter.queueAnswer(vesk::Answer::Yes);
    ASSERT_TRUE(statementShown(w.get(), [&] { child<QPushButton>(*w, "cmdCloseMonth")->click(); }));
    ASSERT_EQ(prompter.messages().size(), 4u);
    EXPECT_EQ(prompter.messages()[2].text.rfind("Close April 2025? ", 0), 0u);
    EXPECT_EQ(prompter.messages()[2].buttons, vesk::Buttons::YesNo);
    ASSERT_EQ(closes().size(), 1u);
    const std::string closed = "Closed on 03/06/2025 10:30 by " + vesk::notes::loginName() + ", digest " +
                               closes().front().digest.substr(0, 16);
    EXPECT_EQ(stateLine(*w), closed + "\n" + lacking);
    expectButtons(*w, false, true);
    EXPECT_EQ(stateLine(*window({2025, 4})), closed + "\n" + lacking);

    prompter.queueAnswer(vesk::Answer::Yes);
    ASSERT_TRUE(statementShown(w.get(), [&] { child<QPushButton>(*w, "cmdReopenMonth")->click(); }));
    EXPECT_EQ(stateLine(*w), "Reopened on 03/06/2025 10:30 after it was closed on 03/06/2025 10:30 by " +
                                 vesk::notes::loginName() + "\n" + lacking);
    expectButtons(*w, true, false);
    ASSERT_EQ(closes().size(), 1u);
    EXPECT_FALSE(closes().front().inForce());
}

// Closing a month while months held before it are open asks first, No keeping it open; once a
// later month is closed, an earlier one offers no Close Month and says why.
TEST_F(StatementCloseTest, ClosingPastOpenEarlierMonthsAsksAndALaterCloseDisablesCloseMonth) {
    db.connection().open(dir.file("ZETTools.db"));
    db.importBank(
        {ReviewDatabase::entry("T9", "10/06/2025", "50"), ReviewDatabase::entry("T8", "11/06/2025", "20", false)});
    db.importOrv({ReviewDatabase::entry("A9", "10/06/2025", "50")});
    db.importOrv({ReviewDatabase::entry("A8", "11/06/2025", "20", false)});
    db.connection().close();

    std::unique_ptr<StatementWindow> w = window({2025, 6});
    EXPECT_EQ(stateLine(*w), "Computed on 03/06/2025 10:30, not closed");
    expectButtons(*w, true, false);
    prompter.queueAnswer(vesk::Answer::No);
    ASSERT_TRUE(statementShown(w.get(), [&] { child<QPushButton>(*w, "cmdCloseMonth")->click(); }));
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.lastMessage().text,
              "April 2025 and May 2025, held before June 2025, are not closed. Close June 2025 before them?");
    EXPECT_EQ(prompter.lastMessage().defaultAnswer, vesk::Answer::No);
    EXPECT_TRUE(closes().empty());

    prompter.queueAnswer(vesk::Answer::Yes);
    prompter.queueAnswer(vesk::Answer::Yes);
    ASSERT_TRUE(statementShown(w.get(), [&] { child<QPushButton>(*w, "cmdCloseMonth")->click(); }));
    ASSERT_EQ(closes().size(), 1u);

    ASSERT_TRUE(statementShown(w.get(), [&] { child<QComboBox>(*w, "cboMonth")->setCurrentIndex(3); }));
    expectButtons(*w, false, false);
    EXPECT_EQ(child<QPushButton>(*w, "cmdCloseMonth")->toolTip(),
              "June 2025, a later month, is closed: reopen it first.");
}

// PDF pages counted in the file: page objects, not the page tree.
int pdfPages(const std::string& path) {
    const std::string bytes = vesk::test::fileBytes(path);
    static const std::regex page("/Type\\s*/Page(?![a-zA-Z])");
    return int(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), std::sregex_iterator()));
}

// The statement prints on an A4 page, its items on the next; with many items they run on over
// pages; a file that cannot be written is a typed error, not a silent blank.
TEST_F(StatementCloseTest, PrintingPaintsTheStatementOnA4PagesAndItsItemsRunOn) {
    const auto print = [&](const std::string& file) {
        vesk::store::Connection c;
        c.open(dir.file("ZETTools.db"));
        const vesk::review::ShownStatement shown =
            vesk::review::shownStatement(c, {2025, 4}, false, vesk::DateTime{2025, 6, 3, 10, 30});
        QPdfWriter pdf(QString::fromStdString(file));
        return vesk::gui::paintPrintout(pdf,
                                        vesk::review::statementPrintout(shown, vesk::review::signOffs(c), "Printed"));
    };
    EXPECT_EQ(print(dir.file("few.pdf")), 2);
    EXPECT_EQ(pdfPages(dir.file("few.pdf")), 2);

    std::vector<vesk::test::Entry> many;
    for (int i = 0; i < 150; ++i)
        many.push_back(ReviewDatabase::entry("M" + std::to_string(i), "2" + std::to_string(i % 8) + "/04/2025",
                                             std::to_string(1000 + i)));
    db.connection().open(dir.file("ZETTools.db"));
    db.importBank(many);
    db.connection().close();
    const int pages = print(dir.file("many.pdf"));
    EXPECT_GT(pages, 2);
    EXPECT_EQ(pdfPages(dir.file("many.pdf")), pages);
    std::ifstream pdf(dir.file("many.pdf"), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(pdf), std::istreambuf_iterator<char>()};
    // A4, in points: portrait, or landscape when the items' columns need it.
    EXPECT_TRUE(std::regex_search(bytes, std::regex("/MediaBox \\[0 0 (595[.0-9]* 84[12]|84[12][.0-9]* 595)")));

    EXPECT_THROW(print(dir.file("no such folder/x.pdf")), vesk::Error);
}

// Sign-off… saves what is typed into its dialog; a refusal is said and the dialog stays for a correction.
TEST_F(StatementCloseTest, TheSignOffDialogSavesWhatIsTyped) {
    std::unique_ptr<StatementWindow> w = window({2025, 4});
    child<QPushButton>(*w, "cmdSignOff")->click();
    QPointer<vesk::gui::SignOffDialog> dialog = w->findChild<vesk::gui::SignOffDialog*>("frmSignOff");
    ASSERT_FALSE(dialog.isNull());
    child<QLineEdit>(*dialog, "txtPreparedName")->setText("Ravi");
    child<QLineEdit>(*dialog, "txtCheckedDesignation")->setText("Inspector");
    child<QLineEdit>(*dialog, "txtApprovedDesignation")->setText(QString(61, 'x'));
    child<QPushButton>(*dialog, "cmdOK")->click();
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.lastMessage().text,
              vesk::review::signOffTooLongText(vesk::review::SignOffRole::Approved, true, 61));
    ASSERT_TRUE(dialog && dialog->isVisible());

    child<QLineEdit>(*dialog, "txtApprovedName")->setText("Asha");
    child<QLineEdit>(*dialog, "txtApprovedDesignation")->setText("Postmaster");
    child<QPushButton>(*dialog, "cmdOK")->click();
    EXPECT_TRUE(!dialog || !dialog->isVisible());
    vesk::store::Connection c;
    c.open(dir.file("ZETTools.db"));
    EXPECT_EQ(vesk::review::signOffs(c), (std::vector<vesk::compare::SignOff>{{"Prepared by", "Ravi", ""},
                                                                              {"Checked by", "", "Inspector"},
                                                                              {"Approved by", "Asha", "Postmaster"}}));
    // The names saved sign the statement printed from then on.
    std::vector<vesk::compare::Printout> printed;
    w->logic().setPrintTarget([&](const vesk::compare::Printout& p) { printed.push_back(p); });
    w->logic().print();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].signOffs, vesk::review::signOffs(c));
}

// Ctrl+P and Print… hand the statement shown to the print target, closed by its three
// signatures; a month without rows has nothing to print.
TEST_F(StatementCloseTest, CtrlPPrintsTheStatementShown) {
    auto w = window({2025, 4});
    std::vector<vesk::compare::Printout> printed;
    w->logic().setPrintTarget([&](const vesk::compare::Printout& p) { printed.push_back(p); });
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QTest::keyClick(w.get(), Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].sheets.at(0).periodLine, "Period: April 2025 (01/04/2025 to 30/04/2025)");
    EXPECT_EQ(printed[0].printedAt, "Printed on 03/06/2025 10:30");
    std::vector<std::string> roles;
    for (const vesk::compare::SignOff& s : printed[0].signOffs) roles.push_back(s.role);
    EXPECT_EQ(roles, (std::vector<std::string>{"Prepared by", "Checked by", "Approved by"}));

    ASSERT_TRUE(statementShown(w.get(), [&] { w->openMonth(vesk::Period{2025, 7}); }));
    QTest::keyClick(w.get(), Qt::Key_P, Qt::ControlModifier);
    child<QPushButton>(*w, "cmdPrint")->click();
    EXPECT_EQ(printed.size(), 1u);
}

}  // namespace
