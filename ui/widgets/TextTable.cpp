#include "widgets/TextTable.h"

#include <algorithm>

namespace vesk::gui {

QStandardItemModel* textTableModel(QObject* parent, const std::vector<std::string>& headers) {
    auto* model = new QStandardItemModel(0, int(headers.size()), parent);
    for (std::size_t c = 0; c < headers.size(); ++c)
        model->setHeaderData(int(c), Qt::Horizontal, QString::fromStdString(headers[c]));
    return model;
}

void fillTextTable(QStandardItemModel* model, const std::vector<std::vector<std::string>>& rows,
                   std::initializer_list<int> figures) {
    model->setRowCount(0);
    for (const std::vector<std::string>& cells : rows) {
        QList<QStandardItem*> items;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            auto* item = new QStandardItem(QString::fromStdString(cells[c]));
            if (std::find(figures.begin(), figures.end(), int(c)) != figures.end())
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            items.append(item);
        }
        model->appendRow(items);
    }
}

}  // namespace vesk::gui
