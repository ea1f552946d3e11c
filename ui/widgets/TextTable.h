#pragma once

#include <QStandardItemModel>
#include <initializer_list>
#include <string>
#include <vector>

namespace vesk::gui {

/// A model of text rows under the headers given, owned by the parent.
QStandardItemModel* textTableModel(QObject* parent, const std::vector<std::string>& headers);

/// Puts the rows in the model in place of those it held; the columns named are figures, right-aligned.
void fillTextTable(QStandardItemModel* model, const std::vector<std::vector<std::string>>& rows,
                   std::initializer_list<int> figures);

}  // namespace vesk::gui
