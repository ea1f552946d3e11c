#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <map>
#include <vector>

class QScrollBar;
class QWidget;

namespace vesk::gui {

/// How a control follows its window as the window grows past its designed size: each edge
/// moves by this share of the growth. 0 keeps the edge where it was designed, 1 keeps its
/// distance to the window's right or bottom edge; between them the control keeps its
/// place in a part of the window (0.5: the right half's left edge).
struct Anchor {
    double left = 0, top = 0, right = 0, bottom = 0;
};

/// The edges a control keeps its distance to. Anchored to two opposite edges it stretches;
/// to neither of a pair, it stays centred along that direction.
enum Edge : unsigned { Left = 1, Top = 2, Right = 4, Bottom = 8 };
Anchor anchorTo(unsigned edges);

/// Places a window's controls, which are laid out by position at the window's designed
/// size: a larger window moves and stretches each control as it is anchored; a window
/// smaller than its design (allowed only where the screen is smaller) shows scroll bars
/// and the whole window scrolls.
class FormLayout : public QObject {
  public:
    FormLayout(QWidget& window, QSize design);

    QSize designSize() const { return m_design; }
    /// A control never anchored keeps its distance to the top and left edges.
    void anchor(QWidget* control, Anchor shares);
    /// Lets the window be smaller than its design where the free part of the screen is.
    void fitInto(const QRect& available);
    /// Scrolls so that the control shows in full (or its top left corner, if larger).
    void ensureVisible(const QWidget* control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    /// Places every control for the window's size and the scroll position.
    void layOut();
    /// The design less the empty margin beyond its last controls: a window cut only there
    /// hides nothing and needs no scroll bar.
    QSize needed() const;
    /// The window's own controls: not its scroll bars, nor the windows it owns.
    std::vector<QWidget*> controls() const;
    void noticeControls();

    struct Placement {
        QRect design;
        Anchor anchor;
    };
    QWidget& m_window;
    QSize m_design;
    QSize m_view;  ///< the part of the window the controls show in, without the scroll bars
    std::map<QObject*, Placement> m_placements;
    QScrollBar* m_horizontal;
    QScrollBar* m_vertical;
    QWidget* m_corner;
    bool m_layingOut = false;
};

}  // namespace vesk::gui
