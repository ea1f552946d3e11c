#include "widgets/FormStyle.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

namespace vesk::gui {

namespace {

// The designed Windows font first, where Office or Windows installed it; then the nearest one
// every Windows 10 has; then the nearest ones a Linux desktop has (wine offers those too).
QStringList familiesFor(const QString& family) {
    if (family == "Calibri") return {"Calibri", "Segoe UI", "Carlito", "DejaVu Sans"};
    if (family == "Cooper Black")
        return {"Cooper Black", "Bookman Old Style", "Georgia", "URW Bookman", "DejaVu Serif"};
    if (family == "Lucida Bright") return {"Lucida Bright", "Georgia", "DejaVu Serif", "Liberation Serif"};
    if (family == "Rockwell") return {"Rockwell", "Georgia", "DejaVu Serif", "Liberation Serif"};
    if (family == "Monotype Corsiva")
        return {"Monotype Corsiva", "Gabriola", "Palatino Linotype", "URW Chancery L", "Z003", "DejaVu Serif"};
    if (family == "MS Sans Serif")
        return {"MS Sans Serif", "Microsoft Sans Serif", "Tahoma", "Liberation Sans", "DejaVu Sans"};
    return {family, "Segoe UI", "DejaVu Sans"};
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

void fitListColumns(QTableView* grid) {
    QHeaderView* header = grid->horizontalHeader();
    header->setStretchLastSection(true);
    grid->resizeColumnsToContents();
    const int count = header->count();
    if (count < 2) return;
    // A grid not yet shown has no width of its own: fitted again once its window is shown.
    if (!grid->isVisible()) {
        QTimer::singleShot(0, grid, [grid] {
            if (grid->isVisible()) fitListColumns(grid);
        });
        return;
    }
    // The last column keeps what it needs, up to a quarter of the grid; the others share the
    // rest, the widest giving way first, down to a width that still shows a word or two.
    const int room = grid->viewport()->width() - std::min(grid->columnWidth(count - 1), grid->viewport()->width() / 4);
    std::vector<int> widths;
    for (int c = 0; c + 1 < count; ++c) widths.push_back(grid->columnWidth(c));
    const auto total = [&](int cap) {
        int sum = 0;
        for (int w : widths) sum += std::min(w, cap);
        return sum;
    };
    int cap = *std::max_element(widths.begin(), widths.end());
    const int narrowest = twips(1200);
    while (cap > narrowest && total(cap) > room) cap = std::max(narrowest, cap - 8);
    for (int c = 0; c + 1 < count; ++c)
        if (widths[std::size_t(c)] > cap) grid->setColumnWidth(c, cap);
}

QString partsLine(const std::string& headline) {
    const QString separator = QString::fromUtf8(" \u00b7 ");
    QStringList lines = QString::fromStdString(headline).split('\n');
    for (QString& line : lines) {
        QStringList parts = line.split(separator);
        if (parts.size() < 2) continue;  // a sentence wraps as it will
        for (QString& part : parts) part.replace(' ', QChar(0x00a0));
        line = parts.join(separator);
    }
    return lines.join('\n');
}

QSize onScreen(const QSize& wanted) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    // A frame is not known before its window is first shown: room for a title bar and borders.
    return screen ? wanted.boundedTo(screen->availableGeometry().size() - QSize(16, 48)) : wanted;
}

void showOverOpener(QWidget* window) {
    const char* const placed = "shownOverOpener";
    QWidget* opener = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!window->property(placed).toBool() && opener && opener->isVisible()) {
        const QScreen* screen = opener->screen();
        QRect r(QPoint(), window->frameGeometry().size());
        r.moveCenter(opener->frameGeometry().center());
        if (screen) {
            const QRect room = screen->availableGeometry();
            r.moveLeft(std::max(room.left(), std::min(r.left(), room.right() + 1 - r.width())));
            r.moveTop(std::max(room.top(), std::min(r.top(), room.bottom() + 1 - r.height())));
        }
        window->move(r.topLeft());
        window->setProperty(placed, true);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, const QRect& geometry,
                        const QFont& font) {
    auto* b = placed(new QPushButton(text, parent), name, geometry, font);
    b->setAutoDefault(false);
    b->setStyleSheet(QString("QPushButton { background-color: %1; border: 1px solid #7a6a58; border-radius: 2px; }"
                             "QPushButton:pressed { background-color: #f0cfa8; }"
                             "QPushButton:disabled { color: #9a8f84; }")
                         .arg(qColor(palette::kButton).name()) +
                     focusStyle());
    return b;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry, const QFont& font) {
    auto* l = placed(new QLabel(text, parent), name, geometry, font);
    l->setWordWrap(true);
    return l;
}

QString focusStyle() {
    // Drawn last, so it wins over the plain border; the style sheet hides the platform's own
    // focus rectangle, and a thin dotted one is easy to miss on the warm back colour.
    return "QPushButton:focus { border: 2px solid #1a4fa0; background-color: #fff1de; }";
}

namespace {

// Where a caption's marker is: the index of the letter it underlines, or -1.
qsizetype mnemonicIndex(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return i + 1;
        ++i;  // "&&" is a shown ampersand
    }
    return -1;
}

QString captionOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->buddy() ? l->text() : QString();
    return {};
}

// Letters to try for a caption, best first: initials of its words, then the rest in order.
std::vector<qsizetype> candidates(const QString& caption) {
    std::vector<qsizetype> initials, others;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (!caption[i].isLetterOrNumber()) continue;
        const bool initial = i == 0 || !caption[i - 1].isLetterOrNumber();
        (initial ? initials : others).push_back(i);
    }
    initials.insert(initials.end(), others.begin(), others.end());
    return initials;
}

}  // namespace

QString withoutMnemonic(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

QChar mnemonicLetter(const QString& caption) {
    const qsizetype i = mnemonicIndex(caption);
    return i < 0 ? QChar() : caption[i].toUpper();
}

void giveMnemonics(QWidget* window) {
    // Only the window's own controls: a window parented to it has its own letters.
    std::vector<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->window() == window) controls.push_back(w);
    std::set<QChar> used;
    for (QWidget* w : controls) {
        const QChar letter = mnemonicLetter(captionOf(w));
        if (!letter.isNull()) used.insert(letter);
    }
    for (QWidget* w : controls) {
        auto* button = qobject_cast<QPushButton*>(w);
        if (!button || mnemonicIndex(button->text()) >= 0) continue;
        const QString caption = button->text();
        for (qsizetype i : candidates(caption)) {
            if (!used.insert(caption[i].toUpper()).second) continue;
            button->setText(caption.left(i) + '&' + caption.mid(i));
            break;
        }
    }
}

WindowKeys::WindowKeys(QWidget* window) : QObject(window), m_window(window) { window->installEventFilter(this); }

bool WindowKeys::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    if (key->key() == Qt::Key_Escape) {
        if (m_back) {
            if (m_back->isVisible() && m_back->isEnabled()) m_back->click();
            return true;
        }
        if (!m_escapeCloses) return false;
        m_window->close();
        return true;
    }
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    QWidget* focus = m_window->focusWidget();
    if (auto* button = qobject_cast<QPushButton*>(focus)) {
        if (button->isEnabled()) button->click();
        return true;
    }
    // A grid has picked its row already; a text box of its own (a filter) keeps its Enter.
    const bool ownText = qobject_cast<QLineEdit*>(focus) && !qobject_cast<QComboBox*>(focus->parentWidget());
    if (qobject_cast<QAbstractItemView*>(focus) || ownText) return false;
    if (m_main && m_main->isVisible() && m_main->isEnabled()) {
        m_main->click();
        return true;
    }
    return false;
}

WindowKeys* useKeyboard(QWidget* window, QPushButton* mainAction, QPushButton* back) {
    auto* keys = new WindowKeys(window);
    keys->setMainAction(mainAction);
    keys->setBack(back);
    giveMnemonics(window);
    return keys;
}

void addOkCancel(QDialog* dialog, QBoxLayout* layout, QLineEdit* field, const std::function<void()>& done) {
    const QFont buttonFont = formFont("Cooper Black", 12);
    auto* ok = makeButton(dialog, "cmdOK", "&OK", twipsRect(0, 0, 1455, 495), buttonFont);
    ok->setFixedSize(ok->size());
    auto* cancel = makeButton(dialog, "cmdCancel", "&Cancel", twipsRect(0, 0, 1455, 495), buttonFont);
    cancel->setFixedSize(cancel->size());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addSpacing(12);
    buttons->addWidget(cancel);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    QObject::connect(ok, &QPushButton::clicked, dialog, done);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    // The text box keeps its Enter from the window's keys: it is OK there too.
    if (field) QObject::connect(field, &QLineEdit::returnPressed, dialog, done);
    useKeyboard(dialog, ok, cancel);
}

}  // namespace vesk::gui
