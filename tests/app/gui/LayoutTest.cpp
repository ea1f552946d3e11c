#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <chrono>
#include <cstring>
#include <functional>

#include "compare/CompareForm.h"
#include "support/GuiTest.h"
#include "widgets/FormStyle.h"

namespace {

using vesk::gui::TaskForm;

class LayoutTest : public vesk::test::FormSetTest {
  protected:
    static QRect geometryOf(QWidget& form, const char* name) {
        auto* w = form.findChild<QWidget*>(name);
        return w ? w->geometry() : QRect();
    }
};

// A window grown by this much: its halves grow by half of it.
constexpr int kWider = 360, kTaller = 240;

TEST_F(LayoutTest, GrowingAFormGrowsItsGridsAndKeepsEachControlAtItsEdges) {
    struct Case {
        TaskForm* form;
        const char* control;
        QMargins grown;  ///< how far each edge has moved once the window is larger: left, top, right, bottom
    };
    // Added to a rectangle, margins move its left and top edges by their negated values.
    const QMargins stays, grows(0, 0, kWider, kTaller), widens(0, 0, kWider, 0);
    const QMargins cornered(-kWider, -kTaller, kWider, kTaller), rightward(-kWider, 0, kWider, 0);
    TaskForm* office = &forms.configureForm();
    TaskForm* bank = &forms.finacleForm();
    TaskForm* orv = &forms.orvForm();
    TaskForm* compare = &forms.compareForm();
    const int half = kWider / 2;
    // Each kind of anchor once, and the comparison's two halves.
    const Case cases[] = {
        {office, "DataGrid1", grows},
        {office, "Command2", cornered},
        {office, "Command4", stays},
        {office, "Frame1", widens},
        {bank, "Command3", rightward},
        {compare, "grdCompare", QMargins(0, 0, half, kTaller)},
        {compare, "MSFlexGrid1", QMargins(-half, 0, kWider, kTaller)},
        {compare, "cmdRun", QMargins(-half, 0, half, 0)},
        {compare, "Label11", QMargins(0, -kTaller, 0, kTaller)},
        {compare, "Command6", QMargins(-half, -kTaller, half, kTaller)},
    };
    for (TaskForm* f : {office, bank, orv, compare}) {
        f->resize(f->designSize());
        f->show();
    }
    // Where each control stands at the designed size (inside the form: the overlap test's).
    std::vector<QRect> designed;
    for (const Case& c : cases) designed.push_back(geometryOf(*c.form, c.control));
    auto check = [&](bool grown) {
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const Case& c = cases[i];
            SCOPED_TRACE(c.form->objectName().toStdString() + " " + c.control + (grown ? " grown" : " designed"));
            EXPECT_EQ(geometryOf(*c.form, c.control), grown ? designed[i] + c.grown : designed[i]);
        }
    };
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
    QWidget& menu = forms.mainForm();
    TaskForm& compare = forms.compareForm();
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

// A window a form opens shows over it the first time, within the screen, and then where it was left.
TEST_F(LayoutTest, AWindowOpensOverTheWindowThatOpenedIt) {
    QWidget opener;
    opener.setGeometry(200, 150, 400, 300);
    opener.show();
    auto* opened = new QWidget(&opener, Qt::Window);
    opened->resize(200, 100);
    vesk::gui::showOverOpener(opened);
    EXPECT_LE((opened->frameGeometry().center() - opener.frameGeometry().center()).manhattanLength(), 4);
    opened->hide();
    opened->move(10, 20);
    vesk::gui::showOverOpener(opened);
    EXPECT_EQ(opened->pos(), QPoint(10, 20));

    auto* wide = new QWidget(&opener, Qt::Window);
    const QRect room = opener.screen()->availableGeometry();
    wide->resize(room.width() - 10, 100);
    vesk::gui::showOverOpener(wide);
    EXPECT_TRUE(room.contains(wide->frameGeometry())) << wide->frameGeometry().x();
}

TEST_F(LayoutTest, OnASmallScaledScreenAFormScrollsToEveryControl) {
    TaskForm& form = forms.compareForm();
    form.showForm();
    auto* across = form.findChild<QScrollBar*>("FormHorizontalScroll");
    auto* down = form.findChild<QScrollBar*>("FormVerticalScroll");
    // At 1366 x 768 the comparison's design is a few pixels wider than the screen, but only
    // its empty margin is cut: no scroll bar, every control in full.
    form.fitInto(QRect(0, 0, 1366, 768));
    QApplication::processEvents();
    ASSERT_LT(form.width(), form.designSize().width());
    EXPECT_TRUE(across->isHidden() && down->isHidden());
    for (QWidget* w : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isWindow() || w->isHidden()) continue;
        EXPECT_TRUE(form.rect().contains(w->geometry())) << w->objectName().toStdString();
    }

    // 1366 x 768 less a 40 px taskbar at 125 %, in the form's own pixels.
    const QRect room(0, 0, int(1366 / 1.25), int((768 - 40) / 1.25));
    form.fitInto(room);
    QApplication::processEvents();
    EXPECT_LE(form.frameGeometry().width(), room.width());
    EXPECT_LE(form.frameGeometry().height(), room.height());
    ASSERT_TRUE(across->isVisible() && down->isVisible());
    const QRect view(0, 0, down->x(), across->y());
    const QRect backAtTop = form.findChild<QWidget*>("Command4")->geometry();
    // The wheel over the window scrolls it.
    QWheelEvent wheel(QPointF(5, 5), form.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&form, &wheel);
    EXPECT_GT(down->value(), 0);
    // The far corner's button, and a grid larger than the view shown from its corner.
    auto* corner = form.findChild<QWidget*>("Command6");
    form.ensureVisible(corner);
    EXPECT_TRUE(view.contains(corner->geometry()));
    auto* grid = form.findChild<QWidget*>("grdCompare");
    form.ensureVisible(grid);
    EXPECT_TRUE(view.contains(grid->geometry().topLeft()));
    // A control reached with the keyboard scrolls into sight by itself.
    QApplication::setActiveWindow(&form);
    auto* back = form.findChild<QWidget*>("Command4");
    back->setFocus();
    ASSERT_TRUE(back->hasFocus());
    EXPECT_TRUE(view.contains(back->geometry()));
    down->setValue(0);
    across->setValue(0);
    EXPECT_EQ(back->geometry(), backAtTop);
}

// Lines and boxes drawn around controls: a control may stand inside one, never across it.
bool isFrame(const QWidget* w) {
    return qobject_cast<const QGroupBox*>(w) || !strcmp(w->metaObject()->className(), "QFrame");
}

TEST_F(LayoutTest, NoVisibleButtonOverlapsAnotherControlOrCrossesAFrame) {
    vesk::test::MonthDatabase db = rows();
    db.configure("Division");
    db.office("9", "Division", "PDN", "", "F9");
    db.office("1", "Hill S.O", "SO", "", "F1");
    db.deposit("F1", "03/04/2025", "10");
    auto& compare = static_cast<vesk::gui::CompareForm&>(forms.compareForm());
    compare.logic().blinker().setDuration(std::chrono::milliseconds(0));
    auto compared = [&] {
        auto* year = compare.findChild<QComboBox*>("Combo1");
        year->setCurrentIndex(year->findText("2025"));
        compare.findChild<QComboBox*>("Combo2")->setCurrentIndex(3);
        compare.findChild<QPushButton*>("cmdRun")->click();
    };
    struct Case {
        const char* state;
        QWidget* window;
        QSize design;
        bool labelsToo;  ///< the menu's labels keep clear of every other control as well
        std::function<void()> reach;
    };
    vesk::gui::MainForm& menu = forms.mainForm();
    const Case cases[] = {
        {"menu", &menu, menu.formLayout().designSize(), true, [] {}},
        {"office master", &forms.configureForm(), forms.configureForm().designSize(), false,
         [&] { forms.configureForm().showForm(); }},
        {"bank report", &forms.finacleForm(), forms.finacleForm().designSize(), false,
         [&] { forms.finacleForm().showForm(); }},
        {"ORV reports", &forms.orvForm(), forms.orvForm().designSize(), false, [&] { forms.orvForm().showForm(); }},
        {"comparison ready", &compare, compare.designSize(), false, [&] { compare.showForm(); }},
        {"comparison results", &compare, compare.designSize(), false, compared},
        {"comparison detailed", &compare, compare.designSize(), false,
         [&] { compare.findChild<QComboBox*>("Combo3")->activated(0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        c.reach();
        c.window->resize(c.design);
        QApplication::processEvents();
        const QRect design(QPoint(), c.design);
        std::vector<QWidget*> shown;
        for (QWidget* w : c.window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!w->isWindow() && w->isVisibleTo(c.window)) shown.push_back(w);
        ASSERT_GE(shown.size(), 5u);
        for (QWidget* w : shown) {
            auto* button = qobject_cast<QAbstractButton*>(w);
            if (!button && !(c.labelsToo && qobject_cast<QLabel*>(w))) continue;
            SCOPED_TRACE(w->objectName().toStdString());
            EXPECT_TRUE(design.contains(w->geometry()));
            if (qobject_cast<QPushButton*>(w)) {
                const QString caption = vesk::gui::withoutMnemonic(button->text());
                EXPECT_LE(button->fontMetrics().horizontalAdvance(caption) + 4, button->width());
            }
            for (QWidget* other : shown) {
                if (other == w || !other->geometry().intersects(w->geometry())) continue;
                // The task forms' designed labels have boxes larger than their text that reach a
                // pixel into the buttons beside them (the heading's into Compare); the menu's do not.
                if (!c.labelsToo && qobject_cast<QLabel*>(other)) continue;
                EXPECT_TRUE(isFrame(other) && other->geometry().contains(w->geometry()))
                    << "overlaps " << other->objectName().toStdString();
            }
        }
    }
    EXPECT_TRUE(compare.findChild<QPushButton*>("Command6")->isVisible());  // the last case reached its state
}

}  // namespace
