#include <gtest/gtest.h>

#include "compare/Amounts.h"
#include "compare/GridFilter.h"
#include "compare/LabelBlinker.h"

namespace vesk::compare {
namespace {

TEST(Amounts, ToleranceIsNotFlippedByRounding) {
    struct Case {
        double difference;
        bool differs;
    };
    for (const Case& c : {Case{100.01 - 100.0, false}, Case{100.0 - 100.01, false}, Case{1000000.01 - 1000000.0, false},
                          Case{0.011, true}, Case{-0.011, true}, Case{0.005, false}}) {
        SCOPED_TRACE(c.difference);
        EXPECT_EQ(differs(c.difference), c.differs);
    }
    EXPECT_EQ(toleranceLiteral(), "0.010001");
}

Grid officeGrid(const std::vector<std::string>& names) {
    Grid g;
    g.headers.assign(9, "h");
    for (const std::string& n : names) g.rows.push_back({{{"1"}, {"F"}, {n}}, false, true});
    g.rows.push_back({{{""}, {""}, {"TOTAL (9)"}}, true, true});
    return g;
}

TEST(GridFilter, ShowsNamesBeginningWithTheTextAndAlwaysTheTotal) {
    const std::vector<std::string> names = {"ABC Road", "abd", "AB", "Totalpur", "TOTAL TRADERS", "Bay S.O"};
    struct Case {
        const char* text;
        std::vector<std::string> shown;  // the total row is always last
    };
    const std::vector<Case> cases = {
        {"", {"ABC Road", "abd", "AB", "Totalpur", "TOTAL TRADERS", "Bay S.O"}},
        {"AB", {"ABC Road", "abd", "AB"}},
        {"TOTAL ", {"TOTAL TRADERS"}},
        {"TOTAL (", {}},
        {" BAY", {}},
        {"ABC ROAD AND MORE", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "'");
        Grid g = officeGrid(names);
        filterRows(g, "ZZ");  // filtering again starts from the text alone
        filterRows(g, c.text);
        ASSERT_EQ(g.rows.size(), names.size() + 1);
        std::vector<std::string> shown;
        for (const GridRow& r : g.rows)
            if (r.visible && !r.total) shown.push_back(r.cells[2].text);
        EXPECT_EQ(shown, c.shown);
        EXPECT_TRUE(g.rows.back().visible);
        EXPECT_EQ(g.rows.back().heightTwips(), kShownRowHeight);
    }
    // Before a comparison the grid holds one empty row, which any search text hides.
    Grid setUp;
    setUp.headers.assign(9, "h");
    setUp.rows.push_back(setUp.blankRow());
    filterRows(setUp, "A");
    EXPECT_EQ(setUp.rows[0].heightTwips(), kHiddenRowHeight);
    EXPECT_EQ(filterBoxText("abc Road 1'"), "ABC ROAD 1'");
}

// A blink on a clock that only moves when the blink waits; event(t) runs at each wait,
// as a handler would run inside it.
struct BlinkRun {
    std::vector<LabelView> looks;
    std::vector<bool> blinkingWhileShown;
    LabelBlinker::Outcome outcome{};
    LabelView after;
};

BlinkRun blinkWith(LabelBlinker& blinker, const std::function<void(std::chrono::milliseconds)>& event) {
    using namespace std::chrono;
    auto now = steady_clock::time_point{};
    const auto start = now;
    blinker.setClock([&] { return now; });
    blinker.setWait([&](milliseconds d) {
        now += std::min(d, milliseconds(50));
        if (event) event(duration_cast<milliseconds>(now - start));
    });
    BlinkRun run;
    LabelView label{true, "Data Fetched...", palette::kFetchedText, 12, true};
    run.outcome = blinker.blink(label, [&] {
        run.looks.push_back(label);
        run.blinkingWhileShown.push_back(blinker.isBlinking());
    });
    run.after = label;
    return run;
}

TEST(LabelBlinker, AlternatesForTwoSecondsThenRestoresAndHides) {
    LabelBlinker blinker;
    const BlinkRun run = blinkWith(blinker, {});
    ASSERT_EQ(run.looks.size(), 10u);
    for (std::size_t i = 0; i < run.looks.size(); ++i) {
        SCOPED_TRACE(i);
        const bool marked = i % 2 == 1;
        EXPECT_EQ(run.looks[i].bold, marked);
        EXPECT_EQ(run.looks[i].pointSize, marked ? 14 : 12);
        EXPECT_EQ(run.looks[i].colour, marked ? palette::kMarkedText : palette::kFetchedText);
        EXPECT_TRUE(run.blinkingWhileShown[i]);
    }
    EXPECT_EQ(run.outcome, LabelBlinker::Outcome::Finished);
    EXPECT_FALSE(run.after.visible);
    EXPECT_FALSE(run.after.bold);
    EXPECT_EQ(run.after.pointSize, 12);
    EXPECT_EQ(run.after.colour, palette::kFetchedText);
    EXPECT_FALSE(blinker.isBlinking());
    EXPECT_FALSE(blinker.requestClose());  // Back with no blink running closes at once
}

// Back and the close box during a blink run end to end in the form's tests; here, a form
// closed and opened again during one blink still ends it without touching the label.
TEST(LabelBlinker, AFormClosedAndOpenedAgainEndsTheBlink) {
    using std::chrono::milliseconds;
    LabelBlinker blinker;
    bool done = false;
    const BlinkRun run = blinkWith(blinker, [&](milliseconds t) {
        if (t < milliseconds(500) || done) return;
        done = true;
        blinker.stop();
        blinker.formChanged();
        blinker.formChanged();
    });
    EXPECT_EQ(run.outcome, LabelBlinker::Outcome::FormUnloaded);
    EXPECT_EQ(run.looks.size(), 3u);  // 0, 200 and 400 ms
    EXPECT_TRUE(run.after.visible);
    EXPECT_TRUE(run.after.bold == run.looks.back().bold && run.after.colour == run.looks.back().colour);
    EXPECT_FALSE(blinker.isBlinking() || blinker.closeRequested());
}

}  // namespace
}  // namespace vesk::compare
