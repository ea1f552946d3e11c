#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <optional>

#include "store/ResultSet.h"

namespace vesk::gui {

/// A read-only grid over a result set: its column names or aliases as headings.
class ResultSetModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    /// Turns a field into the text a cell shows; plain text by default.
    using Formatter = std::function<QString(const store::Value&, int column)>;
    /// What a cell sorts by where its text would sort wrong; an empty text for the field itself.
    using SortKey = std::function<QString(int row, int column)>;
    /// The role a sorting proxy reads: numbers as numbers, text as text.
    static constexpr int kSortRole = Qt::UserRole;

    explicit ResultSetModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setResult(std::optional<store::ResultSet> result);
    void setFormatter(Formatter f) { m_format = std::move(f); }
    void setSortKey(SortKey k) { m_sortKey = std::move(k); }
    void setAlignment(int column, Qt::Alignment a);
    bool hasData() const { return m_result.has_value(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::optional<store::ResultSet> m_result;
    Formatter m_format;
    SortKey m_sortKey;
    std::vector<std::pair<int, Qt::Alignment>> m_alignments;
};

}  // namespace vesk::gui
