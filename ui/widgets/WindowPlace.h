#pragma once

#include <QByteArray>

class QWidget;

namespace vesk::gui {

/// Where a window was when it was hidden: shown again it goes back there (and to its
/// maximised state), where a window manager would otherwise place it anew each time.
class WindowPlace {
  public:
    /// Call from the window's setVisible, before the change.
    void beforeVisible(QWidget& window, bool visible);

  private:
    QByteArray m_geometry;
};

}  // namespace vesk::gui
