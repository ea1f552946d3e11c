#include <gtest/gtest.h>

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "compare/ExplainWindow.h"
#include "compare/PairDialog.h"
#include "support/GuiTest.h"
#include "support/Handshake.h"

namespace {

using vesk::test::handshake;

class ExplainWindowPairTest : public vesk::test::WindowTest {
  protected:
    void SetUp() override {
        window.prompter().setDialogs(&prompter);
        vesk::test::MonthDatabase db = rows();
        db.office("1", "Hill HO", "HPO", "Hill HO", "F1");
        db.deposit("F1", "03/04/2025", "500");        // T1
        db.orv("1", "10/04/2025", "Receipt", "500");  // A2: seven days late
        db.withdrawal("F1", "20/04/2025", "75");      // T3
        db.configure("Hill HO");
        window.explain({{2025, 4}, std::string("Hill HO"), std::nullopt});
        ASSERT_TRUE(handshake(&window, &vesk::gui::ExplainWindow::explained, [&] { return !window.logic().busy(); }));
        grid = vesk::test::child<QTableView>(window, "grdExplain");
    }
    void TearDown() override { window.hide(); }

    QString cell(int row, int column) const { return grid->model()->index(row, column).data().toString(); }

    vesk::gui::ExplainWindow window{path(), nullptr, nullptr};
    QTableView* grid = nullptr;
};

TEST_F(ExplainWindowPairTest, TheChosenRowsArePairedThroughTheDialogAndTheSelectionKeepsItsPlace) {
    ASSERT_EQ(grid->model()->rowCount(), 3);
    // Ctrl-click's outcome: both rows chosen, the second current.
    grid->selectionModel()->select(grid->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    grid->selectionModel()->setCurrentIndex(grid->model()->index(1, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_EQ(grid->selectionModel()->selectedRows().size(), 2);

    vesk::test::child<QPushButton>(window, "cmdPairSelected")->click();
    auto* dialog = window.findChild<vesk::gui::PairDialog*>("frmPair");
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(vesk::test::child<QCheckBox>(*dialog, "chkAccept")->isEnabled());
    vesk::test::child<QLineEdit>(*dialog, "txtPair")->setText("late receipt");
    vesk::test::child<QPushButton>(*dialog, "cmdOK")->click();
    EXPECT_TRUE(prompter.messages().empty());

    // The pair is hidden with the matched rows; the selection stands where A2 stood.
    ASSERT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(cell(0, 4), "T3");
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_TRUE(grid->selectionModel()->isRowSelected(0, {}));

    // Shown again, the pair's row is undone once the person agrees.
    window.showMatchedRows(true);
    ASSERT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(cell(1, 6), "Paired by hand");
    grid->selectRow(1);
    prompter.queueAnswer(vesk::Answer::Yes);
    vesk::test::child<QPushButton>(window, "cmdUnpair")->click();
    EXPECT_EQ(cell(1, 6), "Only in ORV");

    // Pair as Hinted: the dialog shows what it would pair, with the hint's words, and pairs on OK.
    vesk::test::child<QPushButton>(window, "cmdPairHinted")->click();
    dialog = nullptr;
    for (auto* shown : window.findChildren<vesk::gui::PairDialog*>("frmPair"))
        if (shown->isVisible()) dialog = shown;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(cell(1, 6), "Only in ORV");
    EXPECT_TRUE(vesk::test::child<QLabel>(*dialog, "lblDifference")->text().contains("0.00"));
    EXPECT_FALSE(vesk::test::child<QLineEdit>(*dialog, "txtPair")->text().isEmpty());
    vesk::test::child<QPushButton>(*dialog, "cmdOK")->click();
    EXPECT_EQ(cell(1, 6), "Paired by hand");
    EXPECT_EQ(grid->currentIndex().row(), 1);
}

}  // namespace
