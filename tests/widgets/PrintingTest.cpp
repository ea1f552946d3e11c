#include <gtest/gtest.h>

#include <QMap>
#include <QPaintEngine>
#include <QPrintEngine>
#include <QPrinter>
#include <QRegularExpression>
#include <climits>
#include <filesystem>
#include <map>

#include "core/Error.h"
#include "support/TempDir.h"
#include "widgets/Printing.h"

namespace vesk::gui {
namespace {

using compare::ExportSheet;

// A printer whose pages are the texts drawn on them, as the painter hands them to the device.
class TextPrinter : public QPrinter {
  public:
    TextPrinter() : QPrinter(QPrinter::HighResolution) { setEngines(&m_engine, &m_engine); }
    const std::vector<std::vector<QString>>& pages() const { return m_engine.pages; }
    // A page's texts, one after another.
    QString joined(std::size_t page) const {
        QStringList all;
        for (const QString& text : m_engine.pages.at(page)) all << text;
        return all.join(' ');
    }

  private:
    struct Engine : QPaintEngine, QPrintEngine {
        Engine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override {
            pages.emplace_back();
            return active = true;
        }
        bool end() override { return !(active = false); }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawRects(const QRectF*, int) override {}
        void drawLines(const QLineF*, int) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { pages.back().push_back(item.text()); }
        Type type() const override { return QPaintEngine::User; }

        void setProperty(PrintEnginePropertyKey key, const QVariant& value) override { properties[key] = value; }
        QVariant property(PrintEnginePropertyKey key) const override { return properties.value(key); }
        bool newPage() override {
            pages.emplace_back();
            return true;
        }
        bool abort() override { return false; }
        QPrinter::PrinterState printerState() const override { return active ? QPrinter::Active : QPrinter::Idle; }
        int metric(QPaintDevice::PaintDeviceMetric m) const override {
            const QPageLayout page = properties.value(PPK_QPageLayout).value<QPageLayout>();
            switch (m) {
                case QPaintDevice::PdmWidth:
                    return page.paintRectPixels(kDpi).width();
                case QPaintDevice::PdmHeight:
                    return page.paintRectPixels(kDpi).height();
                case QPaintDevice::PdmWidthMM:
                    return int(page.paintRect(QPageLayout::Millimeter).width());
                case QPaintDevice::PdmHeightMM:
                    return int(page.paintRect(QPageLayout::Millimeter).height());
                case QPaintDevice::PdmDpiX:
                case QPaintDevice::PdmDpiY:
                case QPaintDevice::PdmPhysicalDpiX:
                case QPaintDevice::PdmPhysicalDpiY:
                    return kDpi;
                case QPaintDevice::PdmDepth:
                    return 32;
                case QPaintDevice::PdmNumColors:
                    return INT_MAX;
                case QPaintDevice::PdmDevicePixelRatio:
                    return 1;
                case QPaintDevice::PdmDevicePixelRatioScaled:
                    return int(QPaintDevice::devicePixelRatioFScale());
            }
            return 0;
        }

        static constexpr int kDpi = 300;
        QMap<PrintEnginePropertyKey, QVariant> properties;
        std::vector<std::vector<QString>> pages;
        bool active = false;
    } m_engine;
};

ExportSheet printSheet(int columns, int rows, const std::string& cell) {
    ExportSheet s;
    s.sheetName = "List";
    s.title = "VESK - ORV Comparison - Test List";
    s.periodLine = "Period : April 2025";
    s.scopeLine = "Offices under Hill HO";
    for (int c = 0; c < columns; ++c) s.headers.push_back("Head" + std::to_string(c + 1));
    for (int r = 0; r < rows; ++r) {
        ExportSheet::Row row{r + 1, {}};
        for (int c = 0; c < columns; ++c)
            row.cells.push_back(
                {c == 1 ? "-1234" + std::to_string(r % 10) + ".50" : cell, ExportSheet::Highlight::None, std::nullopt});
        s.rows.push_back(std::move(row));
    }
    return s;
}

// A column the sheet gives room to write in (an office's reply) keeps it on paper, though empty.
TEST(PrintingTest, AColumnGivenRoomKeepsIt) {
    compare::Printout p{"List", {printSheet(3, 2, "Hill SO")}, "", {}, "Printed"};
    TextPrinter narrow;
    paintPrintout(narrow, p);
    EXPECT_EQ(narrow.pageLayout().orientation(), QPageLayout::Portrait);
    p.sheets[0].widths = {{4, 200}};
    TextPrinter roomy;
    paintPrintout(roomy, p);
    EXPECT_EQ(roomy.pageLayout().orientation(), QPageLayout::Landscape);
}

// A long list runs on over portrait pages, each with its titles, headers and foot; no row is
// lost or printed twice, amounts are grouped, and the sign-off block closes the last page only.
TEST(PrintingTest, LongListRunsOnOverPages) {
    compare::Printout p{"List", {printSheet(3, 300, "Hill SO")}, "Filter Text : Hi", {}, "Printed on 05/05/2025 10:30"};
    p.signOffs = {{"Prepared by", "ravi", "Postmaster"}, {"Checked by", "", ""}};
    TextPrinter printer;
    const int pages = paintPrintout(printer, p);
    EXPECT_GT(pages, 3);
    ASSERT_EQ(std::size_t(pages), printer.pages().size());
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
    std::map<QString, int> serials;
    for (int k = 0; k < pages; ++k) {
        const std::vector<QString>& page = printer.pages()[std::size_t(k)];
        const QString all = printer.joined(std::size_t(k));
        for (const char* wanted : {"VESK - ORV Comparison - Test List", "Offices under Hill HO", "Filter Text : Hi",
                                   "Sl.No Head1 Head2 Head3", "Printed on 05/05/2025 10:30"})
            EXPECT_TRUE(all.contains(wanted)) << k << ": " << wanted;
        EXPECT_TRUE(all.contains(QString("Page %1 of %2").arg(k + 1).arg(pages))) << k;
        EXPECT_EQ(all.contains("Prepared by"), k == pages - 1) << k;
        for (std::size_t i = 0; i + 1 < page.size(); ++i)
            if (page[i + 1] == "Hill SO" && !page[i].isEmpty() && page[i][0].isDigit()) ++serials[page[i]];
    }
    EXPECT_EQ(serials.size(), 300u);
    for (const auto& [serial, times] : serials) EXPECT_EQ(times, 1) << serial.toStdString();
    EXPECT_TRUE(printer.joined(0).contains("-12,340.50"));
    const QString last = printer.joined(std::size_t(pages) - 1);
    EXPECT_TRUE(last.contains("Name: ravi") && last.contains("Designation: Postmaster")) << last.toStdString();
    EXPECT_TRUE(last.contains("Name: ____")) << last.toStdString();
}

// Columns too wide for landscape go on continued pages that repeat the serials and say which
// columns they hold; a cell wider than a column wraps, whole.
TEST(PrintingTest, WideListContinuesItsColumnsWithoutCuttingText) {
    const std::string longText =
        "the bank keyed this deposit twice and reversed it on the next working day "
        "after the office asked, so both rows stay until the reversal is imported";
    ExportSheet s = printSheet(9, 4, std::string(40, 'w'));
    s.rows[2].cells[0].text = longText;
    TextPrinter printer;
    const int pages = paintPrintout(printer, {"Wide", {s}, "", {}, "Printed"});
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    ASSERT_GE(pages, 2);
    QString everything;
    for (int k = 0; k < pages; ++k) everything += printer.joined(std::size_t(k)) + ' ';
    EXPECT_TRUE(everything.contains(QString::fromStdString(longText))) << everything.toStdString();
    for (int c = 1; c <= 9; ++c) EXPECT_TRUE(everything.contains(QString("Head%1 ").arg(c))) << c;
    const QString second = printer.joined(1), last = printer.joined(std::size_t(pages) - 1);
    EXPECT_TRUE(printer.joined(0).contains(QRegularExpression("Columns 1 to \\d+ of 10")))
        << printer.joined(0).toStdString();
    EXPECT_TRUE(second.contains(QRegularExpression("Columns \\d+ to \\d+ of 10, continued from page 1")))
        << second.toStdString();
    EXPECT_TRUE(last.contains(QRegularExpression("Columns \\d+ to 10 of 10, continued from page 1")))
        << last.toStdString();
    EXPECT_TRUE(second.startsWith("VESK - ORV Comparison - Test List")) << second.toStdString();
    EXPECT_TRUE(second.contains("Sl.No")) << second.toStdString();
    EXPECT_FALSE(second.contains("Head2 ")) << second.toStdString();
}

TEST(PrintingTest, PdfThatCannotBeWrittenIsAnError) {
    test::TempDir dir;
    const compare::Printout p{"List", {printSheet(2, 3, "Hill SO")}, "", {}, "Printed"};
    writePrintoutPdf(p, dir.file("list.pdf"));
    EXPECT_TRUE(std::filesystem::file_size(dir.file("list.pdf")) > 0);
    EXPECT_THROW(writePrintoutPdf(p, dir.file("missing/list.pdf")), Error);
}

}  // namespace
}  // namespace vesk::gui
