#include "widgets/WindowPlace.h"

#include <QWidget>
#include <QWindow>

namespace vesk::gui {

void WindowPlace::beforeVisible(QWidget& window, bool visible) {
    if (visible == window.isVisible()) return;
    if (!visible)
        m_geometry = window.saveGeometry();
    else if (!m_geometry.isEmpty()) {
        window.restoreGeometry(m_geometry);
        // Restoring the place the window already has is no move to Qt, so the window would go
        // back without a position of its own and a window manager would place it anew.
        if (QWindow* handle = window.windowHandle(); handle && !window.isMaximized())
            handle->setFramePosition(window.frameGeometry().topLeft());
    }
}

}  // namespace vesk::gui
