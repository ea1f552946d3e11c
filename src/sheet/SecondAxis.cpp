#include "sheet/SecondAxis.h"

#include <zip.h>

#include <algorithm>
#include <vector>

#include "core/Error.h"
#include "core/Text.h"

namespace vesk::sheet {

namespace {

[[noreturn]] void fail(const std::string& text) { throw Error(errc::kWorkbook, text); }

// Where the element spans: from its opening tag to the end of its closing tag.
struct Span {
    std::size_t begin = std::string::npos;
    std::size_t end = std::string::npos;
};

Span find(const std::string& xml, const std::string& element, std::size_t from = 0,
          std::size_t to = std::string::npos) {
    const std::string open = "<" + element + ">", close = "</" + element + ">";
    const std::size_t begin = xml.find(open, from);
    if (begin == std::string::npos || begin >= to) return {};
    const std::size_t end = xml.find(close, begin);
    if (end == std::string::npos || end + close.size() > to) return {};
    return {begin, end + close.size()};
}

// The highest id of the axes the span names, so that new axes take ids of their own.
long highestAxisId(const std::string& xml, Span within) {
    const std::string tag = "<c:axId val=\"";
    long highest = -1;
    for (std::size_t at = xml.find(tag, within.begin); at != std::string::npos && at < within.end;
         at = xml.find(tag, at + 1))
        highest = std::max(highest, std::stol(xml.substr(at + tag.size(), 20)));
    if (highest < 0) fail("The chart's columns have no axes.");
    return highest;
}

// A line's series: the bar's own marking goes, points are marked.
std::string asLineSeries(std::string series) {
    const std::string invert = "<c:invertIfNegative val=\"0\"/>";
    for (std::size_t at; (at = series.find(invert)) != std::string::npos;) series.erase(at, invert.size());
    std::size_t data = series.find("<c:cat>");
    if (data == std::string::npos) data = series.find("<c:val>");
    if (data == std::string::npos) fail("A chart series has no values.");
    series.insert(data, "<c:marker><c:symbol val=\"circle\"/><c:size val=\"6\"/></c:marker>");
    return series;
}

std::string axisTitle(const std::string& name) {
    return "<c:title><c:tx><c:rich><a:bodyPr rot=\"-5400000\" vert=\"horz\"/><a:lstStyle/><a:p><a:pPr><a:defRPr/>"
           "</a:pPr><a:r><a:rPr lang=\"en-US\"/><a:t>" +
           xmlEscaped(name) + "</a:t></a:r></a:p></c:rich></c:tx><c:overlay val=\"0\"/></c:title>";
}

}  // namespace

std::string withLinesOnSecondAxis(const std::string& chartXml, std::size_t columnSeries, const std::string& axisName) {
    const Span bars = find(chartXml, "c:barChart");
    if (bars.begin == std::string::npos) fail("The chart holds no columns.");
    std::vector<Span> series;
    for (Span s = find(chartXml, "c:ser", bars.begin, bars.end); s.begin != std::string::npos;
         s = find(chartXml, "c:ser", s.end, bars.end))
        series.push_back(s);
    if (series.size() <= columnSeries || columnSeries == 0)
        fail("The chart has " + std::to_string(series.size()) + " series, not columns and lines.");
    const long primary = highestAxisId(chartXml, bars);
    const std::string category = std::to_string(primary + 1), value = std::to_string(primary + 2);

    std::string lines = "<c:lineChart><c:grouping val=\"standard\"/>";
    for (std::size_t k = columnSeries; k < series.size(); ++k)
        lines += asLineSeries(chartXml.substr(series[k].begin, series[k].end - series[k].begin));
    lines += "<c:marker val=\"1\"/><c:axId val=\"" + category + "\"/><c:axId val=\"" + value + "\"/></c:lineChart>";

    const std::string axes =
        "<c:catAx><c:axId val=\"" + category +
        "\"/><c:scaling><c:orientation val=\"minMax\"/></c:scaling><c:delete val=\"1\"/><c:axPos val=\"b\"/>"
        "<c:majorTickMark val=\"out\"/><c:minorTickMark val=\"none\"/><c:tickLblPos val=\"nextTo\"/><c:crossAx val=\"" +
        value +
        "\"/><c:crosses val=\"autoZero\"/><c:auto val=\"1\"/><c:lblAlgn val=\"ctr\"/><c:lblOffset val=\"100\"/>"
        "<c:noMultiLvlLbl val=\"0\"/></c:catAx><c:valAx><c:axId val=\"" +
        value + "\"/><c:scaling><c:orientation val=\"minMax\"/></c:scaling><c:delete val=\"0\"/><c:axPos val=\"r\"/>" +
        (axisName.empty() ? std::string() : axisTitle(axisName)) +
        "<c:numFmt formatCode=\"General\" sourceLinked=\"1\"/><c:majorTickMark val=\"out\"/>"
        "<c:minorTickMark val=\"none\"/><c:tickLblPos val=\"nextTo\"/><c:crossAx val=\"" +
        category + "\"/><c:crosses val=\"max\"/><c:crossBetween val=\"between\"/></c:valAx>";

    const std::size_t plotEnd = chartXml.find("</c:plotArea>", bars.end);
    if (plotEnd == std::string::npos) fail("The chart has no plot area.");
    // The columns keep their series, the lines follow them, and the second pair of axes
    // closes the plot area after the first.
    return chartXml.substr(0, series[columnSeries].begin) +
           chartXml.substr(series.back().end, bars.end - series.back().end) + lines +
           chartXml.substr(bars.end, plotEnd - bars.end) + axes + chartXml.substr(plotEnd);
}

void replacePackagePart(const std::string& path, const std::string& part, const std::string& text) {
    int code = 0;
    zip_t* package = zip_open(path.c_str(), 0, &code);
    if (!package) fail("Cannot open the workbook " + path + " to finish it.");
    const zip_int64_t index = zip_name_locate(package, part.c_str(), 0);
    zip_source_t* source = index < 0 ? nullptr : zip_source_buffer(package, text.data(), text.size(), 0);
    if (!source || zip_file_replace(package, zip_uint64_t(index), source, 0) < 0) {
        if (source) zip_source_free(source);
        zip_discard(package);
        fail("Cannot replace the part " + part + " of the workbook " + path + ".");
    }
    // Written as the package closes, while the text is still there.
    if (zip_close(package) < 0) {
        const std::string reason = zip_strerror(package);
        zip_discard(package);
        fail("Cannot save the workbook " + path + ": " + reason);
    }
}

}  // namespace vesk::sheet
