#include "widgets/WindowPlace.h"

#include <QWidget>

namespace vesk::gui {

void WindowPlace::beforeVisible(QWidget& window, bool visible) {
    if (visible == window.isVisible()) return;
    if (!visible)
        m_geometry = window.saveGeometry();
    else if (!m_geometry.isEmpty())
        window.restoreGeometry(m_geometry);
}

}  // namespace vesk::gui
