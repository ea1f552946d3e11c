#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include "core/Palette.h"

class QPushButton;
class QLabel;
class QWidget;

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

/// A command button in the graphical style with the shared back colour.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, const QRect& geometry,
                        const QFont& font);

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry, const QFont& font);

}  // namespace vesk::gui
