#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "app/gui/FormSet.h"
#include "app/gui/MainForm.h"
#include "core/Version.h"
#include "support/TempDir.h"

namespace {

QLabel* statusLine(QWidget& menu) { return menu.findChild<QLabel*>("StatusLine"); }

TEST(MenuStatus, ShowsTheVersionAndTheOpenDatabaseWithItsWholePathAsTooltip) {
    vesk::test::TempDir dir;
    struct Case {
        std::string path;
        bool elided;
    };
    const Case cases[] = {
        {dir.file("ZETTools.db"), false},
        {dir.file(std::string(40, 'd') + "/" + std::string(60, 'e') + "/" + std::string(60, 'f') + "/ZETTools.db"),
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        vesk::gui::FormSet forms(c.path);
        QLabel* status = statusLine(forms.mainForm());
        ASSERT_NE(status, nullptr);
        const QString text = status->text();
        EXPECT_TRUE(text.startsWith(QString("Ver %1 ").arg(vesk::kVersion))) << text.toStdString();
        EXPECT_EQ(status->toolTip().toStdString(), c.path);
        EXPECT_TRUE(text.endsWith("ZETTools.db")) << text.toStdString();
        EXPECT_EQ(text.contains(QString::fromStdString(c.path)), !c.elided) << text.toStdString();
        EXPECT_LE(status->fontMetrics().horizontalAdvance(text), status->width()) << text.toStdString();
    }
}

}  // namespace
