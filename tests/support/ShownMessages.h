#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <vector>

namespace vesk::test {

/// Answers the real message boxes shown while it lives with their default button (OK when
/// they have one button), once each box's own event loop runs, and records what each stood
/// over: for the tests of where a window's messages show.
class ShownMessages : public QObject {
  public:
    struct Shown {
        QString text;
        QPointer<QWidget> parent;
        Qt::WindowModality modality;
    };

    ShownMessages() { qApp->installEventFilter(this); }
    ~ShownMessages() override { qApp->removeEventFilter(this); }

    const std::vector<Shown>& shown() const { return m_shown; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (!box || event->type() != QEvent::Show) return false;
        m_shown.push_back({box->text(), box->parentWidget(), box->windowModality()});
        QMetaObject::invokeMethod(
            box,
            [box] {
                QAbstractButton* answer = box->defaultButton() ? box->defaultButton() : box->escapeButton();
                if (answer)
                    answer->click();
                else
                    box->reject();
            },
            Qt::QueuedConnection);
        return false;
    }

  private:
    std::vector<Shown> m_shown;
};

}  // namespace vesk::test
