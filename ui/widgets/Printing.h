#pragma once

#include <functional>
#include <string>

#include "compare/Printout.h"

class QPagedPaintDevice;
class QPainter;
class QRectF;
class QWidget;

namespace vesk::gui {

/// A page of its own before the lists (the trend's chart), painted into `area`, above the foot.
using LeadPage = std::function<void(QPainter& painter, const QRectF& area)>;

/// Paints the printout onto the device's pages: A4, in the orientation its widest list fits;
/// on every page the title, period, scope and filter lines and the headers of the list that
/// runs on; at every foot "Page x of y" and when it was printed. Columns take the width of their
/// contents; amounts are right-aligned with thousands separators; nothing is cut: a column too
/// wide wraps, and columns beyond the page's width go on continued pages, which say so. The
/// sign-off block, when there is one, closes the last page. Returns the number of pages.
/// Throws Error when the device cannot be painted.
/// A lead page, when given, comes first and is counted.
int paintPrintout(QPagedPaintDevice& device, const compare::Printout& printout, const LeadPage& lead = {});

/// The print preview of the printout over `parent`, from which the person prints.
void previewPrintout(QWidget* parent, const compare::Printout& printout, const LeadPage& lead = {});

/// Writes the printout's pages to a PDF file at `path`. Throws Error.
void writePrintoutPdf(const compare::Printout& printout, const std::string& path);

}  // namespace vesk::gui
