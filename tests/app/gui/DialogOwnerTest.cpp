#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTableView>
#include <functional>

#include "compare/CompareForm.h"
#include "compare/ExplainWindow.h"
#include "compare/PairDialog.h"
#include "review/OpenItemsWindow.h"
#include "support/GuiTest.h"
#include "support/Handshake.h"
#include "support/ShownMessages.h"

namespace {

using namespace std::chrono_literals;
using vesk::test::child;
using vesk::test::handshake;

// April 2025 of abd: a deposit of 10.00 that ORV keyed as 9.50. No dialog is scripted: the
// real message boxes show, and what they stand over is looked at.
class DialogOwnerTest : public vesk::test::WindowTest {
  protected:
    DialogOwnerTest() {
        vesk::test::MonthDatabase db = rows();
        db.configure("Division");
        db.office("9", "Division", "PDN", "", "F9");
        db.office("2", "abd", "SO", "", "F2");
        db.deposit("F2", "02/04/2025", "10");
        db.orv("2", "02/04/2025", "Receipt", "9.50");
    }
    void SetUp() override {
        compareForm().logic().blinker().setDuration(0ms);
        forms.start();
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    }

    vesk::gui::CompareForm& compareForm() { return static_cast<vesk::gui::CompareForm&>(forms.compareForm()); }
    // abd's month explained from the comparison form, as a person opens it.
    vesk::gui::ExplainWindow* explainAbd() {
        compareForm().openMonth(2025, 4, "abd");
        vesk::gui::ExplainWindow* window = compareForm().explainWindow();
        EXPECT_TRUE(handshake(
            window, &vesk::gui::ExplainWindow::explained, [&] { return !window->logic().busy(); },
            [&] { child<QPushButton>(compareForm(), "cmdExplain")->click(); }));
        return window;
    }

    vesk::test::ShownMessages boxes;
    vesk::gui::FormSet forms{path()};
};

TEST_F(DialogOwnerTest, EachWindowsMessagesStandOverItModalToItAlone) {
    struct Case {
        const char* window;
        std::function<QWidget*()> raise;  ///< raises a message, returns the window it belongs to
    };
    const std::vector<Case> cases = {
        {"comparison form",
         [&]() -> QWidget* {
             compareForm().openMonth(2025, 4, "abd");  // "Differences found ..."
             return &compareForm();
         }},
        {"explanation",
         [&]() -> QWidget* {
             vesk::gui::ExplainWindow* window = explainAbd();
             child<QPushButton>(*window, "cmdPairHinted")->click();  // no row chosen
             return window;
         }},
        {"open items",
         [&]() -> QWidget* {
             child<QPushButton>(forms.mainForm(), "cmdOpenItems")->click();
             vesk::gui::OpenItemsWindow* window = forms.openItemsWindow();
             const auto listed = [&] { return !window->logic().busy(); };
             EXPECT_TRUE(handshake(window, &vesk::gui::OpenItemsWindow::listed, listed));
             // As of a day before any row: nothing to export.
             EXPECT_TRUE(handshake(window, &vesk::gui::OpenItemsWindow::listed, listed,
                                   [&] { child<QDateEdit>(*window, "dtpAsOf")->setDate(QDate(2000, 1, 1)); }));
             child<QPushButton>(*window, "cmdExportOpenItems")->click();
             return window;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        const std::size_t before = boxes.shown().size();
        QWidget* owner = c.raise();
        ASSERT_GT(boxes.shown().size(), before);
        const vesk::test::ShownMessages::Shown& last = boxes.shown().back();
        EXPECT_EQ(last.parent, owner) << last.text.toStdString();
        EXPECT_EQ(last.modality, Qt::WindowModal);
    }
}

// OK in the pair dialog without accepting the difference: the refusal stands over the dialog,
// and the dialog stays on top of its window, able to take the next try.
TEST_F(DialogOwnerTest, ARefusedPairLeavesThePairDialogOnTopAndUsable) {
    vesk::gui::ExplainWindow* window = explainAbd();
    auto* grid = child<QTableView>(*window, "grdExplain");
    ASSERT_EQ(grid->model()->rowCount(), 2);
    grid->selectAll();
    child<QPushButton>(*window, "cmdPairSelected")->click();
    auto* dialog = window->findChild<vesk::gui::PairDialog*>("frmPair");
    ASSERT_NE(dialog, nullptr);

    child<QPushButton>(*dialog, "cmdOK")->click();
    ASSERT_FALSE(boxes.shown().empty());
    EXPECT_EQ(boxes.shown().back().parent, dialog);
    EXPECT_TRUE(dialog->isVisible() && window->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), dialog);

    child<QCheckBox>(*dialog, "chkAccept")->setChecked(true);
    child<QPushButton>(*dialog, "cmdOK")->click();
    EXPECT_TRUE(dialog->made());
    EXPECT_FALSE(dialog->isVisible());
}

}  // namespace
