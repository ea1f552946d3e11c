#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "compare/CompareForm.h"
#include "compare/ExplainWindow.h"
#include "compare/RulesWindow.h"
#include "core/Platform.h"
#include "review/RulesTrial.h"
#include "sheet/Workbook.h"
#include "support/GuiTest.h"
#include "support/Handshake.h"
#include "support/TempDir.h"
#include "widgets/FormStyle.h"

namespace {

using namespace std::chrono_literals;

using vesk::test::handshake;

class CompareFormTest : public vesk::test::WindowTest {
  protected:
    void SetUp() override {
        db.configure("Division");
        db.office("9", "Division", "PDN", "", "F9");
        const char* names[] = {"ABC Road", "abd", "Totalpur", "Bay S.O"};
        for (int i = 0; i < 4; ++i) {
            const std::string id = std::to_string(i + 1);
            db.office(id, names[i], "SO", "", "F" + id);
            db.deposit("F" + id, "0" + id + "/04/2025", "10");
        }
        form.setDialogs(&prompter);
        form.setMenu(&menu);
        form.showForm();
    }
    void TearDown() override {
        form.hide();
        menu.hide();
    }
    template <typename T>
    T* child(const char* name) {
        return vesk::test::child<T>(form, name);
    }
    // Waits for the explanation window to show the latest request's outcome.
    bool explained() {
        vesk::gui::ExplainWindow* window = form.explainWindow();
        return handshake(window, &vesk::gui::ExplainWindow::explained, [&] { return !window->logic().busy(); });
    }
    void compare() {
        child<QPushButton>("cmdRun")->click();
        ASSERT_TRUE(child<QPushButton>("cmdRun")->isHidden());
    }
    // Names of the consolidated rows the grid shows.
    std::vector<QString> shownRows() {
        auto* grid = child<QTableView>("grdCompare");
        std::vector<QString> out;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (!grid->isRowHidden(r)) out.push_back(grid->model()->index(r, 2).data().toString());
        return out;
    }
    // Picks an office with a blink of the given length on a clock of the test's own: each
    // wait of the blink lets the window run its events and moves the clock on, so however
    // long the blink, it passes at once; act runs at its first wait, while it blinks.
    void pickDuring(std::chrono::milliseconds blink, const std::function<void()>& act) {
        auto& blinker = form.logic().blinker();
        blinker.setDuration(blink);
        blinker.setClock([this] { return now; });
        blinker.setWait([this, act, acted = false](std::chrono::milliseconds wait) mutable {
            QApplication::processEvents();
            if (act && !acted) {
                acted = true;
                act();
            }
            now += wait;
        });
        form.chooseOffice(0);
    }

    std::chrono::steady_clock::time_point now{};
    vesk::test::MonthDatabase db = rows();
    QWidget menu;
    vesk::gui::CompareForm form{path(), [] { return vesk::DateTime{2025, 5, 2}; }};
};

TEST_F(CompareFormTest, TypingFiltersTheGridAndTheExportWritesWhatIsShown) {
    auto* text1 = child<QLineEdit>("Text1");
    QTest::keyClicks(text1, "t");  // typed before the comparison: its rows are filtered too
    compare();
    EXPECT_EQ(shownRows(), (std::vector<QString>{"Totalpur", "TOTAL (4)"}));
    // Upper-cased as typed, the caret where it was.
    text1->setText("AC");
    text1->setCursorPosition(1);
    QTest::keyClicks(text1, "b");
    EXPECT_EQ(text1->text(), "ABC");
    EXPECT_EQ(text1->cursorPosition(), 2);
    EXPECT_EQ(shownRows(), (std::vector<QString>{"ABC Road", "TOTAL (4)"}));

    form.exporter().setOutputFolder(dir.file("VESK - ORV Output"));
    text1->setText("B");
    child<QPushButton>("Command1")->click();
    const std::string saved =
        vesk::platform::joinPath(dir.file("VESK - ORV Output"), "April_2025_Consolidated_Difference.xlsx");
    EXPECT_EQ(prompter.openedDocuments(), std::vector<std::string>{saved});
    EXPECT_FALSE(form.findChild<QWidget*>("ProgressBar1")->isVisible());
    EXPECT_EQ(vesk::sheet::Workbook::open(saved)->firstSheet()->usedRows(), 6);  // titles, header, Bay S.O, total
}

TEST_F(CompareFormTest, OfficeListsAreWrittenForEveryDifferingOfficeAskingBeforeATakenName) {
    compare();
    const std::string out = dir.file("VESK - ORV Output");
    form.exporter().setOutputFolder(out);
    const std::string taken = vesk::platform::joinPath(out, "abd_April_2025_To_Explain.xlsx");
    std::filesystem::create_directories(vesk::platform::fsPath(out));
    vesk::test::writeBytes(taken, "abd's reply");
    prompter.queueAnswer(vesk::Answer::No);
    child<QPushButton>("cmdOfficeLists")->click();
    EXPECT_EQ(prompter.messages().at(prompter.messages().size() - 2).title, "Replace it?");
    EXPECT_EQ(vesk::test::fileBytes(taken), "abd's reply");
    for (const char* name : {"ABC Road", "Bay S.O", "Totalpur"})
        EXPECT_TRUE(
            std::filesystem::exists(vesk::platform::joinPath(out, std::string(name) + "_April_2025_To_Explain.xlsx")))
            << name;
    const std::string summary = vesk::platform::joinPath(out, "Office_Lists_April_2025.xlsx");
    EXPECT_EQ(prompter.openedDocuments(), std::vector<std::string>{summary});
    EXPECT_EQ(prompter.lastMessage().text,
              "3 office lists saved.\r\nFolder : VESK - ORV Output\r\nSummary : Office_Lists_April_2025.xlsx\r\n"
              "Kept, nothing written for:\r\nabd");
    EXPECT_FALSE(form.findChild<QWidget*>("ProgressBar1")->isVisible());
}

TEST_F(CompareFormTest, BackDuringABlinkClosesAfterIt) {
    compare();
    // Long enough that even a sanitized build on a busy machine sees the form before Timer3.
    form.setTimerInterval(1000);
    pickDuring(2s, [this] { child<QPushButton>("Command4")->click(); });
    // The blink has stopped; the form closes through Timer3 a moment later.
    EXPECT_TRUE(form.isLoaded());
    EXPECT_FALSE(child<QLabel>("Label10")->isHidden());
    EXPECT_TRUE(handshake(form.findChild<QTimer*>("Timer3"), &QTimer::timeout, [&] { return !form.isLoaded(); }));
    EXPECT_TRUE(menu.isVisible());
}

TEST_F(CompareFormTest, TheCloseBoxDuringABlinkLeavesTheFormAlone) {
    compare();
    form.setTimerInterval(0);
    pickDuring(5s, [this] { form.close(); });
    EXPECT_FALSE(form.isLoaded());
    EXPECT_TRUE(menu.isVisible());
    // The blink ended without restoring, hiding or clearing the label of the closed form, and
    // started no timer that would: one would run at the next events, its interval being 0.
    auto* label10 = child<QLabel>("Label10");
    QApplication::processEvents();
    EXPECT_FALSE(label10->isHidden());
    EXPECT_FALSE(label10->text().isEmpty());

    // Opened again, the form starts from its design.
    form.showForm();
    EXPECT_TRUE(label10->isHidden());
    EXPECT_FALSE(child<QPushButton>("cmdRun")->isHidden());
    EXPECT_EQ(child<QComboBox>("Combo3")->count(), 0);
}

// What is left out and what explains a row are the screen's tests; here, that the form's
// controls open their windows with them and Reset closes them.
TEST_F(CompareFormTest, TheLeftOutAndTheExplanationOpenFromTheResultsUntilReset) {
    auto* line = child<QLabel>("lblLeftOut");
    auto* leftOut = child<QPushButton>("cmdLeftOut");
    auto* explain = child<QPushButton>("cmdExplain");
    EXPECT_TRUE(line->isHidden() && leftOut->isHidden());
    EXPECT_TRUE(explain->isHidden());
    db.deposit("F77", "09/04/2025", "999");
    db.deposit("F8", "09/04/2025", "50.5");
    db.withdrawal("F10", "09/04/2025", "1,000");
    db.office("6", "Quiet SO", "SO", "", "F6");
    db.orv("6", "10/04/2025", "Receipt", "3,777.00");
    db.orv("4", "06/04/2025", "Receipt", "10");    // Bay S.O's deposit of the 4th booked two days late
    db.withdrawal("F4", "20/04/2025", "5");        // and a payment ORV lacks, so the office differs
    db.orv("2", "02/04/2025", "Receipt", "9.50");  // abd's keyed with a wrong amount
    compare();                                     // the grid is as it was: the four offices and their total
    EXPECT_EQ(shownRows(), (std::vector<QString>{"ABC Road", "abd", "Bay S.O", "Totalpur", "TOTAL (4)"}));
    EXPECT_FALSE(line->isHidden() || leftOut->isHidden() || explain->isHidden());
    EXPECT_TRUE(explain->isEnabled());

    leftOut->click();
    auto* leftOutWindow = form.findChild<QWidget*>("frmLeftOut");
    ASSERT_NE(leftOutWindow, nullptr);
    ASSERT_TRUE(leftOutWindow->isVisible());
    // A heading sorts by the amounts as numbers, not as texts.
    auto* unknown = vesk::test::child<QTableView>(*leftOutWindow, "grdUnknownFacility");
    QHeaderView* header = unknown->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(2) + 5, 5));
    QStringList amounts;
    for (int r = 0; r < unknown->model()->rowCount(); ++r) amounts << unknown->model()->index(r, 2).data().toString();
    EXPECT_EQ(amounts, (QStringList{"0.00", "50.50", "999.00"}));

    form.logic().blinker().setDuration(0ms);
    form.chooseOffice(3);  // Bay S.O
    auto* detail = child<QTableView>("MSFlexGrid1");
    ASSERT_EQ(detail->model()->rowCount(), 3);  // the 4th, the 6th and the 20th
    const QRect second = detail->visualRect(detail->model()->index(1, 0));
    // A person's double click: the first click, then the second one that makes it double.
    QTest::mouseClick(detail->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(detail->viewport(), Qt::LeftButton, {}, second.center());

    auto* window = form.findChild<QWidget*>("frmExplain");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(explained());
    auto* grid = window->findChild<QTableView*>("grdExplain");
    auto row = [&](int r) {
        QStringList cells;
        for (int c = 0; c < grid->model()->columnCount(); ++c) cells << grid->model()->index(r, c).data().toString();
        return cells.join('|');
    };
    ASSERT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(row(0).toStdString(), "Bay S.O|Deposit|ORV|06/04/2025|A9|10.00|Timing|1|04/04/2025|||");

    // Enter on a consolidated row: the office's whole month, here a pair that differs.
    window->close();
    auto* consolidated = child<QTableView>("grdCompare");
    consolidated->setFocus();
    consolidated->setCurrentIndex(consolidated->model()->index(1, 2));  // abd
    QTest::keyClick(consolidated, Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(explained());
    ASSERT_EQ(grid->model()->rowCount(), 2);
    // The hint reads in full as its cell's tip, however narrow the column.
    EXPECT_EQ(grid->model()->index(1, 11).data(Qt::ToolTipRole).toString(), "VESK T2 is 0.50 more");

    // Reset closes both, Explain waits for the next comparison, the period stays.
    child<QPushButton>("Command5")->click();
    EXPECT_FALSE(window->isVisible() || leftOutWindow->isVisible());
    EXPECT_TRUE(line->isHidden() && leftOut->isHidden() && explain->isHidden());
    EXPECT_EQ(child<QComboBox>("Combo3")->count(), 0);
    EXPECT_TRUE(child<QPushButton>("Command5")->isHidden() && !child<QPushButton>("cmdRun")->isHidden());
    EXPECT_EQ(child<QComboBox>("Combo2")->currentText(), "April");
}

// A heading sorts the rows, a second click reverses them, the total row last either way; Reset
// brings the comparison's order back, the one its exports keep.
TEST_F(CompareFormTest, AHeadingSortsTheRowsWithTheTotalLastUntilReset) {
    compare();
    QHeaderView* header = child<QTableView>("grdCompare")->horizontalHeader();
    const auto clickName = [&] {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(2) + 5, 5));
    };
    const std::vector<QString> compared{"ABC Road", "abd", "Bay S.O", "Totalpur", "TOTAL (4)"};
    clickName();
    clickName();
    EXPECT_EQ(shownRows(), (std::vector<QString>{"Totalpur", "Bay S.O", "abd", "ABC Road", "TOTAL (4)"}));
    child<QLineEdit>("Text1")->setText("A");  // the filter hides the rows where they now stand
    EXPECT_EQ(shownRows(), (std::vector<QString>{"abd", "ABC Road", "TOTAL (4)"}));
    child<QLineEdit>("Text1")->clear();

    child<QPushButton>("Command5")->click();
    compare();
    EXPECT_EQ(shownRows(), compared);
}

// Every shown column of the grid shows its heading and its cells in full, and together they
// fill the grid's width, so that it never scrolls sideways.
void expectColumnsFit(QTableView* grid) {
    QApplication::processEvents();
    const int margins = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
    const QFontMetrics heading(grid->horizontalHeader()->font());
    QAbstractItemModel* model = grid->model();
    int sum = 0;
    for (int c = 0; c < model->columnCount(); ++c) {
        if (grid->isColumnHidden(c)) continue;
        const int width = grid->columnWidth(c);
        sum += width;
        const QString header = model->headerData(c, Qt::Horizontal).toString();
        EXPECT_LE(heading.horizontalAdvance(header) + margins, width) << header.toStdString();
        for (int r = 0; r < model->rowCount(); ++r) {
            const QModelIndex cell = model->index(r, c);
            const QVariant font = cell.data(Qt::FontRole);
            const QFontMetrics metrics(font.isValid() ? font.value<QFont>() : grid->font());
            const QString text = cell.data().toString();
            EXPECT_LE(metrics.horizontalAdvance(text) + margins, width)
                << header.toStdString() << " " << text.toStdString();
        }
    }
    EXPECT_EQ(sum, grid->viewport()->width()) << grid->objectName().toStdString();
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0) << grid->objectName().toStdString();
}

// The line under the grids says what the chosen month lacks of its imports, or that it holds
// nothing and which month held is the newest; the lists mark the months holding data. The
// comparison and what it tells are as before, and the explanation says the same first.
TEST_F(CompareFormTest, TheMonthsLineSaysWhatItLacksAndTheListsMarkTheMonthsHeld) {
    auto* line = child<QLabel>("lblMonthParts");
    auto* year = child<QComboBox>("Combo1");
    auto* month = child<QComboBox>("Combo2");
    const auto bold = [](QComboBox* list, const char* entry) {
        return list->itemData(list->findText(entry), Qt::FontRole).value<QFont>().bold();
    };
    EXPECT_EQ(month->currentText(), "April");  // the month before today, as ever
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text(), "ORV receipts and payments of April 2025 are not imported: every office differs");
    EXPECT_TRUE(bold(year, "2025"));
    EXPECT_FALSE(bold(year, "2026"));
    EXPECT_TRUE(bold(month, "April"));
    EXPECT_FALSE(bold(month, "May"));
    EXPECT_EQ(month->count(), 12);

    month->setCurrentIndex(4);
    EXPECT_EQ(line->text(), "Nothing is imported for May 2025: the newest month held is April 2025");
    year->setCurrentIndex(year->findText("2026"));
    EXPECT_FALSE(bold(month, "April"));

    db.orv("1", "01/04/2025", "Receipt", "10");
    year->setCurrentIndex(year->findText("2025"));
    month->setCurrentIndex(3);
    compare();
    EXPECT_EQ(prompter.lastMessage().text, "Comparison Completed (Division). Differences found in 3 Offices.");
    const QString lacking = "ORV payments of April 2025 are not imported: every withdrawal differs";
    EXPECT_EQ(line->text(), lacking);
    EXPECT_TRUE(line->isVisible());

    child<QPushButton>("cmdExplain")->click();
    ASSERT_TRUE(explained());
    const QString headline = vesk::test::child<QLabel>(*form.explainWindow(), "lblHeadline")->text();
    EXPECT_TRUE(headline.startsWith(lacking + "\n")) << headline.toStdString();
    form.explainWindow()->hide();
}

TEST_F(CompareFormTest, EveryColumnReadsInFullWithEightFigureAmountsAtAnySize) {
    // One office at the largest amounts: 99,999,999.99 each way, and a difference as far below zero.
    db.office("5", "Zenith Extension Counter", "SO", "", "F5");
    db.deposit("F5", "05/04/2025", "99999999.99");
    db.withdrawal("F5", "05/04/2025", "0.01");
    db.orv("5", "05/04/2025", "Payment", "99999999.99");
    db.orv("5", "06/04/2025", "Payment", "99999999.99");
    form.resize(form.designSize());
    child<QPushButton>("cmdRun")->click();
    form.logic().blinker().setDuration(0ms);
    form.chooseOffice(0);
    auto* consolidated = child<QTableView>("grdCompare");
    auto* detailed = child<QTableView>("MSFlexGrid1");
    ASSERT_EQ(consolidated->model()->index(4, 7).data().toString(), "199999999.98");
    ASSERT_EQ(detailed->model()->rowCount(), 6);
    const QRect consolidatedDesign = consolidated->geometry(), detailedDesign = detailed->geometry();
    for (QSize size : {form.designSize() + QSize(500, 100), form.designSize()}) {
        SCOPED_TRACE(size.width());
        form.resize(size);
        for (QTableView* grid : {consolidated, detailed}) expectColumnsFit(grid);
    }
    // The grids are where they were designed: the fit widened no grid.
    EXPECT_EQ(consolidated->geometry(), consolidatedDesign);
    EXPECT_EQ(detailed->geometry(), detailedDesign);
}

TEST_F(CompareFormTest, PairingRulesOpenOnTheRulesInForceAndTryTheChangedOnesOverTheMonths) {
    db.orv("1", "06/04/2025", "Receipt", "10");  // ABC Road's deposit, five days late
    vesk::compare::PairingRules rules;
    rules.timingDays = 7;
    rules.crossMonthEnd = false;
    vesk::review::setPairingRules(db.connection(), rules, {}, "Asha", [] { return vesk::DateTime{2025, 5, 1, 9, 30}; });

    child<QPushButton>("cmdPairingRules")->click();
    vesk::gui::RulesWindow* window = form.rulesWindow();
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->objectName(), "frmPairingRules");
    auto* timing = vesk::test::child<QSpinBox>(*window, "spnTiming");
    EXPECT_EQ(timing->value(), 7);
    EXPECT_FALSE(vesk::test::child<QCheckBox>(*window, "chkCrossMonth")->isChecked());
    EXPECT_EQ(vesk::test::child<QSpinBox>(*window, "spnGroup")->value(), 4);
    EXPECT_EQ(vesk::test::child<QLabel>(*window, "lblSetBy")->text(), "Set by Asha on 01/05/2025 09:30");

    timing->setValue(3);
    EXPECT_TRUE(handshake(
        window, &vesk::gui::RulesWindow::tried, [&] { return !window->logic().busy(); },
        [&] { vesk::test::child<QPushButton>(*window, "cmdTry")->click(); }));
    auto* grid = vesk::test::child<QTableView>(*window, "grdTrial");
    ASSERT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(grid->model()->index(0, 2).data().toString(), "timing 1");  // lost
    EXPECT_EQ(vesk::test::child<QLabel>(*window, "lblTrialSummary")->text(),
              "2 rows of 1 month would change; nothing was written.");
    window->showMonthRows(grid->model()->index(0, 0));
    ASSERT_NE(window->rowsWindow(), nullptr);
    EXPECT_EQ(window->rowsWindow()->objectName(), "frmTrialRows");
    EXPECT_EQ(vesk::test::child<QTableView>(*window->rowsWindow(), "grdTrialRows")->model()->rowCount(), 2);
    window->rowsWindow()->hide();
    window->hide();
}

}  // namespace
