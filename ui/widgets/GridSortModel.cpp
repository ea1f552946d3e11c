#include "widgets/GridSortModel.h"

#include <QDate>
#include <optional>

namespace vesk::gui {

namespace {

// A cell as a number where it reads as one: an amount, a count, a date.
std::optional<double> numberOf(const QVariant& value) {
    if (value.typeId() != QMetaType::QString) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        return ok ? std::optional(number) : std::nullopt;
    }
    QString text = value.toString().trimmed();
    if (text.isEmpty()) return std::nullopt;
    const QDate date = QDate::fromString(text, "dd/MM/yyyy");
    if (date.isValid()) return double(date.toJulianDay());
    text.remove(',');
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

}  // namespace

bool GridSortModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (m_last) {
        const bool leftLast = m_last(left.row()), rightLast = m_last(right.row());
        // Greatest when ascending, least when descending: last either way.
        if (leftLast != rightLast) return sortOrder() == Qt::AscendingOrder ? rightLast : leftLast;
    }
    const QVariant a = left.data(sortRole()), b = right.data(sortRole());
    const std::optional<double> x = numberOf(a), y = numberOf(b);
    if (x && y) return *x < *y;
    // Numbers before texts, as a sheet sorts them.
    if (x || y) return bool(x);
    return QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive) < 0;
}

}  // namespace vesk::gui
