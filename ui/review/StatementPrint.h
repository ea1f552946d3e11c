#pragma once

#include "review/MonthClose.h"

class QPagedPaintDevice;

namespace vesk::gui {

/// A4 portrait with the margins the statement is printed with.
void setStatementPage(QPagedPaintDevice& device);

/// Paints the month's statement onto the device's pages as its workbook holds it: the title,
/// period and scope lines, the statement and the roll-forward as two blocks, the state line,
/// then the items behind the roll-forward, fitted to the page's width. The items run on over
/// as many pages as they need, the titles and the items' headers again at the top of each;
/// every page says which of how many it is. Returns the number of pages. Throws Error when
/// the device cannot be painted (a file that cannot be written).
int printStatement(QPagedPaintDevice& device, const review::ShownStatement& shown);

}  // namespace vesk::gui
