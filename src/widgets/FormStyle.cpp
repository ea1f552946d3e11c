#include "widgets/FormStyle.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <cmath>

namespace vesk::gui {

namespace {

// The nearest families installed on a Linux desktop for the designed Windows fonts.
QStringList familiesFor(const QString& family) {
    if (family == "Calibri") return {"Calibri", "Carlito", "DejaVu Sans"};
    if (family == "Cooper Black") return {"Cooper Black", "URW Bookman", "DejaVu Serif"};
    if (family == "Lucida Bright") return {"Lucida Bright", "DejaVu Serif", "Liberation Serif"};
    if (family == "Rockwell") return {"Rockwell", "DejaVu Serif", "Liberation Serif"};
    if (family == "Monotype Corsiva") return {"Monotype Corsiva", "URW Chancery L", "Z003", "DejaVu Serif"};
    if (family == "MS Sans Serif") return {"MS Sans Serif", "Liberation Sans", "DejaVu Sans"};
    return {family, "DejaVu Sans"};
}

// A control with its name, place and font.
template <typename Widget>
Widget* placed(Widget* w, const QString& name, const QRect& geometry, const QFont& font) {
    w->setObjectName(name);
    w->setGeometry(geometry);
    w->setFont(font);
    return w;
}

}  // namespace

QString styleColour(const Rgb& c) { return QString("rgb(%1, %2, %3)").arg(c.red).arg(c.green).arg(c.blue); }

int twips(int t) { return int(std::lround(t / 15.0)); }

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

QFont formFont(const QString& family, int pointSize, bool bold, bool italic) {
    QFont f;
    f.setFamilies(familiesFor(family));
    f.setPointSize(pointSize);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

QFont gridFont(bool bold) {
    QFont f;
    f.setFamilies({"Times New Roman", "Liberation Serif", "Nimbus Roman", "DejaVu Serif"});
    f.setPointSize(8);
    f.setBold(bold);
    return f;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, const QRect& geometry,
                        const QFont& font) {
    auto* b = placed(new QPushButton(text, parent), name, geometry, font);
    b->setAutoDefault(false);
    b->setStyleSheet(QString("QPushButton { background-color: %1; border: 1px solid #7a6a58; border-radius: 2px; }"
                             "QPushButton:pressed { background-color: #f0cfa8; }"
                             "QPushButton:disabled { color: #9a8f84; }")
                         .arg(qColor(palette::kButton).name()));
    return b;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry, const QFont& font) {
    auto* l = placed(new QLabel(text, parent), name, geometry, font);
    l->setWordWrap(true);
    return l;
}

}  // namespace vesk::gui
