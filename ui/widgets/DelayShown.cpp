#include "widgets/DelayShown.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <memory>

#include "backup/BackupWording.h"

namespace vesk::gui {

namespace {

struct Shown {
    QPointer<QLabel> label;
    QString text;
    bool visible = false;
    bool active = false;
};

}  // namespace

store::DelayWatcher showDelays(QLabel* status) {
    auto shown = std::make_shared<Shown>();
    shown->label = status;
    return [shown](const store::DelayNotice& notice) {
        if (notice.over) {
            if (!shown->active) return;
            shown->active = false;
            if (shown->label) {
                shown->label->setText(shown->text);
                shown->label->setVisible(shown->visible);
            }
            QApplication::restoreOverrideCursor();
            return;
        }
        if (!shown->active) {
            shown->active = true;
            if (shown->label) {
                shown->text = shown->label->text();
                shown->visible = shown->label->isVisible();
            }
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        if (shown->label) {
            shown->label->setText(QString::fromStdString(backup::delayText(notice)));
            shown->label->show();
        }
        // Inside the engine's wait: nothing may run that uses the database.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
}

}  // namespace vesk::gui
