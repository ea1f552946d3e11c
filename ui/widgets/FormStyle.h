#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <functional>

#include "core/Palette.h"

class QLabel;
class QWidget;

class QBoxLayout;
class QDialog;
class QLineEdit;

class QTableView;

namespace vesk::gui {

/// A colour of the palette for Qt, and as a style sheet writes it: "rgb(255, 0, 0)".
inline QColor qColor(const Rgb& c) { return QColor(c.red, c.green, c.blue); }
QString styleColour(const Rgb& c);

/// Twips (1/1440 inch) to device-independent pixels: 15 twips a pixel at 96 dpi.
int twips(int t);
QRect twipsRect(int left, int top, int width, int height);

/// A font by its designed family, falling back to the nearest installed family.
QFont formFont(const QString& family, int pointSize, bool bold = false, bool italic = false);

/// The comparison grids' face: narrow figures, so that amounts of eight figures and their
/// decimals fit the designed column widths.
QFont gridFont(bool bold = false);

/// Sizes a list's columns to their contents, the widest giving way where they would push the
/// last column (a hint) out of sight: it keeps what it needs up to a quarter of the grid, and
/// takes what is left.
/// The whole text of a cut cell is in its tip.
void fitListColumns(QTableView* grid);

/// A headline of parts joined by " · ", for a label that wraps: lines break only between the
/// parts, never inside one ("27 items, 740,213.46" stays together).
QString partsLine(const std::string& headline);

/// A window's first size: as wanted, or what the screen has room for.
QSize onScreen(const QSize& wanted);

/// Shows a window in front and active: the first time over the window that opened it (within
/// the screen), where a window manager would put it anywhere; after that where it was left.
void showOverOpener(QWidget* window);

/// A command button in the graphical style with the shared back colour.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, const QRect& geometry,
                        const QFont& font);

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry, const QFont& font);

/// The style sheet of a button that has the keyboard focus: a frame that stands out
/// from the shared back colour, so the focus is seen at a glance.
QString focusStyle();

/// A caption without its Alt-shortcut marker: "&Back" reads "Back", "&&" reads "&".
QString withoutMnemonic(const QString& caption);
/// The letter after a caption's Alt-shortcut marker, upper case; null when it has none.
QChar mnemonicLetter(const QString& caption);

/// Gives every button of the window that has no Alt shortcut yet one that no other button
/// or label of the window uses: the first free initial of its words, else its first free
/// letter or digit. Buttons added later get theirs on the next call.
void giveMnemonics(QWidget* window);

/// The keys a window answers once it reaches them (a control that uses the key itself
/// keeps it): Enter presses the focused button, or the main action when no button has the
/// focus and the focus is not in a grid or a text box of its own; Escape presses Back,
/// or closes the window when it has no Back.
class WindowKeys : public QObject {
  public:
    explicit WindowKeys(QWidget* window);

    void setMainAction(QPushButton* button) { m_main = button; }
    void setBack(QPushButton* button) { m_back = button; }
    /// The menu stays open on Escape.
    void setEscapeCloses(bool closes) { m_escapeCloses = closes; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* m_window;
    QPointer<QPushButton> m_main;
    QPointer<QPushButton> m_back;
    bool m_escapeCloses = true;
};

/// A window of its own (a list, a history) with the program's keys: Alt shortcuts on its
/// buttons, Enter and Escape. Call once its buttons are in place.
WindowKeys* useKeyboard(QWidget* window, QPushButton* mainAction = nullptr, QPushButton* back = nullptr);

/// A small dialog's OK and Cancel (`cmdOK`, `cmdCancel`) at the foot of its layout, with the
/// program's keys: `done` runs on OK and on Enter in `field`, Cancel and Escape reject.
void addOkCancel(QDialog* dialog, QBoxLayout* layout, QLineEdit* field, const std::function<void()>& done);

}  // namespace vesk::gui
