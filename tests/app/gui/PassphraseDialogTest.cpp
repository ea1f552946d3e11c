#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <optional>
#include <string>

#include "widgets/QtPrompter.h"

namespace vesk::gui {
namespace {

// What the person sees and does once the dialog is up: the echo mode and the label it shows,
// after the keys are typed and the last one pressed.
struct PassphraseDialogSeen {
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    QString label;
    bool found = false;
};

// Typed into the passphrase dialog as soon as its own event loop runs.
void typeIntoPassphraseDialog(const QString& keys, Qt::Key last, PassphraseDialogSeen& seen) {
    QTimer::singleShot(0, [keys, last, &seen] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        auto* edit = dialog ? dialog->findChild<QLineEdit*>() : nullptr;
        if (!dialog || !edit || dialog->objectName() != "dlgPassphrase") {
            // Never left waiting for keys that will not come.
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
            return;
        }
        seen.found = true;
        seen.echo = edit->echoMode();
        seen.label = dialog->labelText();
        edit->insert(keys);  // as typed, in any script (key clicks know Latin letters only)
        QTest::keyClick(edit, last);
    });
}

TEST(PassphraseDialog, TypedBehindDotsEnterGivesItAndEscapeCancels) {
    struct Case {
        const char* name;
        QString keys;
        Qt::Key last;
        std::optional<std::string> given;
    };
    const Case cases[] = {
        {"Enter on the keypad", QString::fromUtf8("ключ 2026"), Qt::Key_Enter, "ключ 2026"},
        {"Escape, whatever was typed", "typed anyway", Qt::Key_Escape, std::nullopt},
        {"Enter on nothing", "", Qt::Key_Return, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QtDialogs dialogs(nullptr);
        PassphraseDialogSeen seen;
        typeIntoPassphraseDialog(c.keys, c.last, seen);
        const std::optional<Secret> given =
            dialogs.passphrase({PassphraseRequest::Kind::Current, "/data/ZETTools.db", "Passphrase of 'ZETTools.db'"});
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.echo, QLineEdit::Password);
        EXPECT_TRUE(seen.label.startsWith("Passphrase of 'ZETTools.db'")) << seen.label.toStdString();
        ASSERT_EQ(given.has_value(), c.given.has_value());
        if (given) {
            EXPECT_EQ(std::string(given->data(), given->size()), *c.given);
        }
    }
}

}  // namespace
}  // namespace vesk::gui
