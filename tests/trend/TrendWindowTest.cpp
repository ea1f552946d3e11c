#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <functional>

#include "TrendDatabase.h"
#include "compare/CompareForm.h"
#include "core/Platform.h"
#include "support/GuiTest.h"
#include "support/Handshake.h"
#include "trend/TrendChart.h"
#include "trend/TrendWindow.h"

namespace {

using namespace std::chrono_literals;
using vesk::test::child;
using vesk::test::handshake;

class TrendWindowTest : public vesk::test::FormSetTest {
  protected:
    TrendWindowTest() {
        auto db = rows();
        vesk::test::fillTrendDatabase(db);
    }
    void SetUp() override {
        window().setDialogs(&prompter);
        compareForm().logic().blinker().setDuration(0ms);
        FormSetTest::SetUp();
    }
    void TearDown() override {
        window().close();
        FormSetTest::TearDown();
    }
    vesk::gui::TrendWindow& window() { return forms.trendWindow(); }
    vesk::gui::CompareForm& compareForm() { return static_cast<vesk::gui::CompareForm&>(forms.compareForm()); }
    // Trend on the menu, as the person would, and the window's first load done.
    void openFromMenu() {
        ASSERT_TRUE(loadedAfter([&] { child<QPushButton>(forms.mainForm(), "cmdTrend")->click(); }));
        EXPECT_TRUE(window().isVisible());
    }
    // Does what is asked, then waits for the window to show its latest load.
    bool loadedAfter(const std::function<void()>& act) {
        return handshake(
            &window(), &vesk::gui::TrendWindow::loaded, [&] { return !window().isLoading(); }, act);
    }
    vesk::gui::TrendChart* chart() { return child<vesk::gui::TrendChart>(window(), "chtTrend"); }
    QStringList months() { return chart()->data().months; }
    QTableView* map() { return child<QTableView>(window(), "grdMap"); }
    QModelIndex cell(int row, int column) { return map()->model()->index(row, column); }
    // A person's double click: the first click, then the second one that makes it double.
    void doubleClick(int row, int column) {
        const QPoint at = map()->visualRect(cell(row, column)).center();
        QTest::mouseClick(map()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(map()->viewport(), Qt::LeftButton, {}, at);
    }
};

// What each month and cell holds, how From and To pull each other along and which cells lead
// anywhere are the screen's tests; here, that the window shows them and its controls reach them.
TEST_F(TrendWindowTest, TheMenuOpensTheChartAndMapWhoseCellsOpenTheirMonthCompared) {
    openFromMenu();
    EXPECT_TRUE(forms.mainForm().isVisible());
    EXPECT_EQ(months(), (QStringList{"Feb 2025", "Mar 2025", "Apr 2025", "May 2025", "Jul 2025"}));
    EXPECT_EQ(chart()->data().columns.values, (std::vector<double>{15, 0, 18.5, 0, 0}));
    EXPECT_EQ(chart()->data().line.values, (std::vector<double>{2, 0, 3, 0, 0}));
    // The pointer over April's place on the plot: April's values, the month's own and not a
    // neighbour's.
    const vesk::gui::TrendChart::Layout l = chart()->chartLayout();
    const QPoint april(int(l.plot.left() + 2.5 * l.band), int(l.plot.center().y()));
    QTest::mouseMove(window().windowHandle(), chart()->mapTo(&window(), april));
    EXPECT_EQ(chart()->toolTip().toStdString(), "Apr 2025\nTo Explain: 18.50\nOpen: 558.50\nDiffering: 3 of 4 offices");

    QAbstractItemModel* model = map()->model();
    ASSERT_EQ(model->rowCount(), 4);
    EXPECT_EQ(model->headerData(1, Qt::Vertical).toString(), "Beta SO");
    // Shaded by amount: the largest (Beta's 10.00) in the differences' red, less in lighter
    // reds, nothing where an office agrees (Alpha in February).
    const auto shade = [&](int row, int column) { return model->data(cell(row, column), Qt::BackgroundRole); };
    EXPECT_EQ(model->data(cell(1, 0)).toString(), "10.00");
    EXPECT_EQ(model->headerData(5, Qt::Horizontal).toString(), "Open");  // over the months shown
    EXPECT_EQ(model->data(cell(1, 5)).toString(), "100.00");
    EXPECT_EQ(shade(1, 0).value<QBrush>().color(), QColor(255, 0, 0));
    EXPECT_LT(shade(1, 0).value<QBrush>().color().green(), shade(0, 2).value<QBrush>().color().green());
    EXPECT_FALSE(shade(0, 0).isValid());

    auto* from = child<QComboBox>(window(), "cboFrom");
    ASSERT_TRUE(loadedAfter([&] { emit from->activated(2); }));
    EXPECT_EQ(months(), (QStringList{"Apr 2025", "May 2025", "Jul 2025"}));
    ASSERT_TRUE(loadedAfter([&] { emit from->activated(0); }));

    doubleClick(0, 0);  // an empty cell leads nowhere
    QApplication::processEvents();
    EXPECT_FALSE(forms.compareForm().isVisible());
    doubleClick(1, 0);
    ASSERT_TRUE(forms.compareForm().isVisible());
    doubleClick(0, 2);  // over the first one's results
    EXPECT_FALSE(forms.mainForm().isVisible());
    EXPECT_TRUE(window().isVisible());
    QWidget& form = forms.compareForm();
    EXPECT_EQ(child<QComboBox>(form, "Combo2")->currentText().toStdString(), "April");
    EXPECT_FALSE(child<QPushButton>(form, "cmdRun")->isVisible());  // compared
    EXPECT_EQ(child<QComboBox>(form, "Combo3")->currentText().toStdString(), "Alpha SO");
    auto* detail = child<QTableView>(form, "MSFlexGrid1");
    ASSERT_GT(detail->model()->rowCount(), 0);
    EXPECT_EQ(detail->model()->index(0, 1).data().toString().toStdString(), "Alpha SO");
}

TEST_F(TrendWindowTest, ExportWritesTheWorkbookOfTheMonthsShownAndOpensIt) {
    openFromMenu();
    window().logic().setOutputFolder(dir.file("out"));
    child<QPushButton>(window(), "cmdExport")->click();
    const std::string file = vesk::platform::joinPath(dir.file("out"), "Trend_2025-02_2025-07.xlsx");
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(prompter.openedDocuments(), std::vector<std::string>{file});
}

}  // namespace
