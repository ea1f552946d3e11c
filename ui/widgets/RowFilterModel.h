#pragma once

#include <QSortFilterProxyModel>
#include <QStringList>

namespace vesk::gui {

/// The rows of a grid whose text in any of the named columns contains the filter text,
/// in any case. The grid's model stays as it is: filtering never asks the database again.
class RowFilterModel : public QSortFilterProxyModel {
  public:
    /// headings: the columns searched, by their headings; the others are not.
    explicit RowFilterModel(QStringList headings, QObject* parent = nullptr);

    /// Spaces around the text are ignored; no text shows every row.
    void setFilterText(const QString& text);

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

  private:
    QStringList m_headings;
    QString m_text;
};

}  // namespace vesk::gui
