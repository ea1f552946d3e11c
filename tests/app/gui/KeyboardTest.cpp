#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <map>
#include <set>

#include "compare/CompareForm.h"
#include "compare/RulesWindow.h"
#include "support/GuiTest.h"
#include "trend/TrendWindow.h"
#include "widgets/FormStyle.h"
#include "widgets/TaskForm.h"

namespace {

using vesk::gui::TaskForm;
using vesk::gui::withoutMnemonic;
using vesk::test::child;

class KeyboardTest : public vesk::test::FormSetTest {
  protected:
    void SetUp() override {
        vesk::test::MonthDatabase db = rows();
        db.office("1", "Hill Division", "PDN", "", "F1");
        db.office("2", "Alpha H.O", "HPO", "", "F2");
        db.office("3", "Beta S.O", "SO", "", "F3");
        db.configure("Hill Division");
        for (const char* date : {"03/04/2025", "03/05/2025"}) db.deposit("F1", date, "10");
        FormSetTest::SetUp();
    }
    // Opens a task form from the menu, as the person would, and makes it the active window.
    void open(TaskForm& form) {
        const std::map<TaskForm*, const char*> buttons = {{&forms.configureForm(), "Command1"},
                                                          {&forms.finacleForm(), "Command2"},
                                                          {&forms.orvForm(), "Command3"},
                                                          {&forms.compareForm(), "Command4"}};
        forms.mainForm().findChild<QPushButton*>(buttons.at(&form))->click();
        ASSERT_TRUE(form.isVisible());
        activate(form);
    }
    static void activate(QWidget& window) {
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    static void press(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = window.focusWidget() ? window.focusWidget() : &window;
        QTest::keyClick(target, key, modifiers);
    }
};

// That a letter leaves the caption as it was is the mnemonics' own test below.
TEST_F(KeyboardTest, EveryButtonHasAnAltLetterOfItsOwn) {
    QWidget* const windows[] = {&forms.mainForm(),
                                &forms.configureForm(),
                                &forms.finacleForm(),
                                &forms.orvForm(),
                                &forms.trendWindow(),
                                &forms.compareForm(),
                                static_cast<vesk::gui::CompareForm&>(forms.compareForm()).rulesWindow()};
    for (TaskForm* f : tasks()) f->showForm();
    for (QWidget* window : windows) {
        SCOPED_TRACE(window->objectName().toStdString());
        // Every button and tick box counts; a window of its own (the left-out lists, a history)
        // has letters of its own.
        std::set<QChar> letters;
        for (auto* b : window->findChildren<QAbstractButton*>()) {
            if (b->window() != window || !(qobject_cast<QPushButton*>(b) || qobject_cast<QCheckBox*>(b))) continue;
            const QChar letter = vesk::gui::mnemonicLetter(b->text());
            EXPECT_FALSE(letter.isNull()) << b->objectName().toStdString();
            EXPECT_TRUE(letters.insert(letter).second)
                << b->objectName().toStdString() << " repeats " << letter.toLatin1();
        }
        for (auto* l : window->findChildren<QLabel*>()) {
            if (l->window() == window && l->buddy()) {
                EXPECT_TRUE(letters.insert(vesk::gui::mnemonicLetter(l->text())).second)
                    << l->objectName().toStdString();
            }
        }
        EXPECT_GE(letters.size(), 2u);  // a Back or Close and more
    }
}

// Alt and a button's letter pressing it is the comparison form's test; a label's letter takes
// the focus to its box.
TEST_F(KeyboardTest, AltAndALabelsLetterFocusesItsBox) {
    open(forms.configureForm());
    QTest::keyClick(&forms.configureForm(), Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(child<QLineEdit>(forms.configureForm(), "TextFind")->hasFocus());
}

TEST_F(KeyboardTest, EnterPressesTheFocusedButtonElseRunsTheMainActionAndEscapeGoesBack) {
    // Delete with nothing picked: its own message, not the import's file dialog.
    TaskForm& bank = forms.finacleForm();
    open(bank);
    child<QPushButton>(bank, "Command3")->setFocus();
    press(bank, Qt::Key_Return);
    EXPECT_EQ(prompter.messages().size(), 1u);
    EXPECT_TRUE(prompter.fileRequests().empty());
    press(bank, Qt::Key_Escape);

    struct Case {
        TaskForm* form;
        const char* focus;  // a control that is no button and leaves Enter to the form
        Qt::Key enter;
        bool opensFile;  // else: the comparison runs and says what it found
    };
    const Case cases[] = {{&forms.configureForm(), "Combo1", Qt::Key_Return, true},
                          {&forms.compareForm(), "Combo2", Qt::Key_Enter, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form->objectName().toStdString());
        open(*c.form);
        const std::size_t files = prompter.fileRequests().size();
        const std::size_t messages = prompter.messages().size();
        if (c.opensFile) prompter.queueFile(std::nullopt);
        child<QWidget>(*c.form, c.focus)->setFocus();
        QTest::keyClick(c.form->focusWidget(), c.enter, c.enter == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(prompter.fileRequests().size(), files + (c.opensFile ? 1 : 0));
        if (!c.opensFile) {
            EXPECT_GT(prompter.messages().size(), messages);
        }
        press(*c.form, Qt::Key_Escape);
        EXPECT_FALSE(c.form->isLoaded());
        EXPECT_TRUE(forms.mainForm().isVisible());
    }
    // The menu itself stays: only Exit ends the program.
    activate(forms.mainForm());
    press(forms.mainForm(), Qt::Key_Escape);
    EXPECT_TRUE(forms.mainForm().isVisible());
}

TEST(Mnemonics, LettersGoToInitialsFirstAndNeverRepeat) {
    struct Case {
        std::vector<QString> captions;  // in the order the buttons are made
        std::vector<QString> expected;
    };
    const Case cases[] = {
        {{"Export to Excel", "Export to Excel", "Back"}, {"&Export to Excel", "Export &to Excel", "&Back"}},
        // A letter given by hand stays, and no other button takes it.
        {{"Delete", "&Delete All"}, {"D&elete", "&Delete All"}},
        {{"E", "e"}, {"&E", "e"}},  // nothing left: the caption stays as it is
        {{"Save && Close", "Search"}, {"&Save && Close", "S&earch"}},
        {{"2.0 Report", "Report"}, {"&2.0 Report", "&Report"}},
    };
    for (const Case& c : cases) {
        QWidget window;
        std::vector<QPushButton*> buttons;
        for (const QString& caption : c.captions) buttons.push_back(new QPushButton(caption, &window));
        vesk::gui::giveMnemonics(&window);
        vesk::gui::giveMnemonics(&window);  // twice changes nothing
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            SCOPED_TRACE(c.captions[i].toStdString());
            EXPECT_EQ(buttons[i]->text().toStdString(), c.expected[i].toStdString());
            EXPECT_EQ(withoutMnemonic(buttons[i]->text()).toStdString(), withoutMnemonic(c.captions[i]).toStdString());
        }
    }
}

TEST(WindowKeys, EnterRunsTheMainActionUnlessATextBoxOfItsOwnHasTheFocus) {
    QWidget window;
    window.resize(200, 100);
    auto* ok = new QPushButton("OK", &window);
    auto* box = new QLineEdit(&window);
    box->move(0, 40);
    int pressed = 0;
    QObject::connect(ok, &QPushButton::clicked, [&] { ++pressed; });
    vesk::gui::useKeyboard(&window, ok);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    // A text box of its own keeps Enter (a filter, a search).
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(pressed, 0);
    window.setFocus();
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(pressed, 1);
    // Hidden, the main action is no longer Enter's.
    ok->hide();
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(pressed, 1);
}

TEST(WindowKeys, AWindowWithAClosingButtonClosesThroughItOnEscape) {
    QDialog window;
    auto* close = new QPushButton("Close", &window);
    auto* other = new QPushButton("Other", &window);
    other->move(0, 40);
    int closings = 0, others = 0;
    QObject::connect(other, &QPushButton::clicked, [&] { ++others; });
    QObject::connect(close, &QPushButton::clicked, [&] {
        ++closings;
        window.hide();
    });
    vesk::gui::useKeyboard(&window, nullptr, close);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(close->text().toStdString(), "&Close");
    EXPECT_EQ(other->text().toStdString(), "&Other");

    // Enter on a focused button of a dialog presses that button, not the dialog's default.
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(others, 1);
    EXPECT_EQ(closings, 0);
    QTest::keyClick(other, Qt::Key_Escape);
    EXPECT_EQ(closings, 1);
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
