#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include "app/gui/FormSet.h"
#include "app/gui/MainForm.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "widgets/FormStyle.h"
#include "widgets/TaskForm.h"

namespace {

using vesk::gui::TaskForm;
using vesk::gui::twipsRect;

class LayoutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (TaskForm* f : {&forms.configureform(), &forms.Finacleform(), &forms.ORVForm(), &forms.Compareform()})
            f->setDialogs(&prompter);
    }
    void TearDown() override {
        for (TaskForm* f : {&forms.configureform(), &forms.Finacleform(), &forms.ORVForm(), &forms.Compareform()})
            f->hide();
        forms.mainform().hide();
    }
    static QRect geometryOf(QWidget& form, const char* name) {
        auto* w = form.findChild<QWidget*>(name);
        return w ? w->geometry() : QRect();
    }

    vesk::test::TempDir dir;
    vesk::test::ScriptedPrompter prompter;
    vesk::gui::FormSet forms{dir.file("ZETTools.db")};
};

// A window grown by this much: its halves grow by half of it.
constexpr int kWider = 360, kTaller = 240;

TEST_F(LayoutTest, GrowingAFormGrowsItsGridsAndKeepsEachControlAtItsEdges) {
    struct Case {
        TaskForm* form;
        const char* control;
        QRect designTwips;
        QMargins grown;  ///< how far each edge has moved once the window is larger: left, top, right, bottom
    };
    // Added to a rectangle, margins move its left and top edges by their negated values.
    const QMargins stays, grows(0, 0, kWider, kTaller), widens(0, 0, kWider, 0);
    const QMargins cornered(-kWider, -kTaller, kWider, kTaller), rightward(-kWider, 0, kWider, 0);
    TaskForm* office = &forms.configureform();
    TaskForm* bank = &forms.Finacleform();
    TaskForm* orv = &forms.ORVForm();
    TaskForm* compare = &forms.Compareform();
    const int half = kWider / 2;
    const Case cases[] = {
        {office, "DataGrid1", {240, 2940, 14880, 6300}, grows},
        {office, "Command2", {13080, 9360, 2040, 600}, cornered},
        {office, "cmdHistory", {10800, 9360, 2040, 600}, cornered},
        {office, "Command4", {240, 1680, 3360, 600}, stays},
        {office, "Label2", {240, 120, 7200, 540}, stays},
        {office, "Frame1", {7320, 240, 7800, 2160}, widens},
        {bank, "DataGrid1", {240, 2280, 10320, 6960}, grows},
        {bank, "ImportFinacle", {240, 1320, 6600, 600}, stays},
        {bank, "Label4", {240, 120, 14880, 540}, widens},
        {bank, "Command3", {12240, 4140, 2640, 480}, rightward},
        {bank, "Command2", {13080, 9360, 2040, 600}, cornered},
        {bank, "cmdHistory", {10800, 9360, 2040, 600}, cornered},
        {orv, "DataGrid1", {240, 4320, 10320, 4920}, grows},
        {orv, "ImportData", {240, 240, 6000, 600}, stays},
        {orv, "Label6", {600, 2010, 14520, 300}, widens},
        {orv, "Combo1", {12240, 4980, 2640, 420}, rightward},
        {orv, "Command2", {13080, 9360, 2040, 600}, cornered},
        {orv, "cmdHistory", {10800, 9360, 2040, 600}, cornered},
        {compare, "grdCompare", {600, 4080, 8775, 5535}, QMargins(0, 0, half, kTaller)},
        {compare, "MSFlexGrid1", {10560, 4080, 9495, 5535}, QMargins(-half, 0, kWider, kTaller)},
        {compare, "Frame1", {360, 1920, 19935, 7815}, grows},
        {compare, "cmdRun", {12480, 1200, 2175, 495}, QMargins(-half, 0, half, 0)},
        {compare, "Text1", {6240, 3000, 3135, 495}, QMargins(-half, 0, half, 0)},
        {compare, "Combo3", {14040, 3120, 3495, 345}, QMargins(-half, 0, half, 0)},
        {compare, "Label11", {600, 9720, 2655, 495}, QMargins(0, -kTaller, 0, kTaller)},
        {compare, "Command1", {3360, 9720, 2775, 735}, QMargins(0, -kTaller, 0, kTaller)},
        {compare, "Command6", {14280, 9720, 2775, 735}, QMargins(-half, -kTaller, half, kTaller)},
        {compare, "Command4", {18480, 10080, 1815, 615}, cornered},
    };
    for (TaskForm* f : {office, bank, orv, compare}) {
        f->resize(f->designSize());
        f->show();
    }
    auto check = [&](bool grown) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.form->objectName().toStdString() + " " + c.control + (grown ? " grown" : " designed"));
            const QRect designed =
                twipsRect(c.designTwips.x(), c.designTwips.y(), c.designTwips.width(), c.designTwips.height());
            EXPECT_EQ(geometryOf(*c.form, c.control), grown ? designed + c.grown : designed);
        }
    };
    check(false);
    for (TaskForm* f : {office, bank, orv, compare}) f->resize(f->designSize() + QSize(kWider, kTaller));
    check(true);
    // Back to the designed size, everything is where it was designed.
    for (TaskForm* f : {office, bank, orv, compare}) f->resize(f->designSize());
    check(false);
    for (TaskForm* f : {office, bank, orv, compare}) {
        EXPECT_TRUE(f->findChild<QScrollBar*>("FormVerticalScroll")->isHidden());
        EXPECT_TRUE(f->findChild<QScrollBar*>("FormHorizontalScroll")->isHidden());
    }
}

TEST_F(LayoutTest, BackFindsTheMenuWhereItWasLeftAndAFormComesBackWhereItWas) {
    forms.start();
    QWidget& menu = forms.mainform();
    TaskForm& compare = forms.Compareform();
    menu.move(150, 70);
    QApplication::processEvents();
    const QPoint menuAt = menu.pos();
    const QRect formAt(40, 30, compare.designSize().width() + 100, compare.designSize().height() + 20);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        menu.findChild<QPushButton*>("Command4")->click();
        ASSERT_TRUE(compare.isVisible());
        if (round == 0) {
            compare.setGeometry(formAt);
        } else {
            EXPECT_EQ(compare.geometry(), formAt);
        }
        QApplication::processEvents();
        compare.findChild<QPushButton*>("Command4")->click();
        ASSERT_TRUE(menu.isVisible());
        EXPECT_EQ(menu.pos(), menuAt);
    }
}

TEST_F(LayoutTest, OnASmallScaledScreenTheMenuScrollsToEveryButton) {
    forms.start();
    vesk::gui::MainForm& menu = forms.mainform();
    menu.resize(menu.formLayout().designSize());  // as on a large screen
    // 1366 x 768 less a 40 px taskbar at 125 %, in the menu's own pixels.
    const QRect room(0, 0, int(1366 / 1.25), int((768 - 40) / 1.25));
    menu.formLayout().fitInto(room);
    QApplication::processEvents();
    EXPECT_LE(menu.frameGeometry().height(), room.height());
    auto* down = menu.findChild<QScrollBar*>("FormVerticalScroll");
    ASSERT_TRUE(down->isVisible());
    EXPECT_TRUE(menu.findChild<QScrollBar*>("FormHorizontalScroll")->isHidden());  // wide enough
    const QRect view(0, 0, down->x(), menu.height());
    // The wheel over the window (and over what passes the wheel on to it) scrolls it.
    QWheelEvent wheel(QPointF(5, 5), menu.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&menu, &wheel);
    EXPECT_GT(down->value(), 0);
    for (const char* name : {"Command1", "Command2", "Command3", "Command4", "cmdOpenItems", "Command5", "cmdTrend",
                             "StatusLine", "cmdCheck", "cmdBackup", "cmdRestore", "chkDailyBackups"}) {
        SCOPED_TRACE(name);
        auto* control = menu.findChild<QWidget*>(name);
        menu.formLayout().ensureVisible(control);
        EXPECT_TRUE(view.contains(control->geometry()));
    }
    down->setValue(0);
    EXPECT_EQ(menu.findChild<QWidget*>("Command5")->geometry(), twipsRect(9000, 9000, 2775, 735));
}

TEST_F(LayoutTest, TheMenusControlsEachHaveRoomOfTheirOwnWithinTheDesign) {
    vesk::gui::MainForm& menu = forms.mainform();
    menu.resize(menu.formLayout().designSize());
    const QRect design(QPoint(0, 0), menu.formLayout().designSize());
    std::vector<QWidget*> controls;
    for (QWidget* w : menu.findChildren<QWidget*>())
        if (w->parentWidget() == &menu && !w->isHidden()) controls.push_back(w);
    ASSERT_GE(controls.size(), 7u);
    for (QWidget* w : controls) {
        if (!qobject_cast<QPushButton*>(w)) continue;
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_TRUE(design.contains(w->geometry()));
        // A button overlaps no other control: no label, no frame line, no other button.
        for (QWidget* other : controls) {
            if (other != w) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry())) << other->objectName().toStdString();
            }
        }
    }
}

}  // namespace
