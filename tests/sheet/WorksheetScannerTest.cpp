// The worksheet scanner against the general XML parser: whatever the scanner reads itself
// must come out exactly as the parser reads it (the same cells, or the same error), and
// whatever the parser refuses the scanner must leave to it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/Error.h"
#include "sheet/WorksheetScanner.h"

namespace vesk::sheet {
namespace {

// Every cell a reader puts, in order, as one line each.
class CellLog final : public CellSink {
  public:
    std::vector<std::string> lines;

    void setNumber(int row, int column, double v) override { put(row, column, "n", std::to_string(v)); }
    void setSharedText(int row, int column, std::uint32_t index) override {
        put(row, column, "s", std::to_string(index));
    }
    void setText(int row, int column, std::string_view v) override { put(row, column, "t", v); }
    void setBoolean(int row, int column, bool v) override { put(row, column, "b", v ? "1" : "0"); }
    void setDate(int row, int column, const DateTime& v) override { put(row, column, "d", v.toText()); }
    void setError(int row, int column, std::string_view code) override { put(row, column, "e", code); }

  private:
    void put(int row, int column, const char* kind, std::string_view value) {
        lines.push_back(std::to_string(row) + "," + std::to_string(column) + " " + kind + " " + std::string(value));
    }
};

const std::vector<bool> kDateStyles = {false, true, false};
WorksheetContext context() { return {&kDateStyles, 3, false, "The sheet 'S' of 'f.xlsx'"}; }

struct Outcome {
    bool declined = false;
    std::string error;  // "" when it read
    std::vector<std::string> cells;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    if (o.declined) return out << "declined";
    out << (o.error.empty() ? "read" : "error: " + o.error) << " [";
    for (const std::string& c : o.cells) out << c << "; ";
    return out << "]";
}

// The scanner, fed in pieces of `piece` bytes (all at once for 0), or the parser for -1.
Outcome worksheetOutcome(std::string_view xml, int piece) {
    Outcome out;
    CellLog log;
    const WorksheetContext c = context();
    WorksheetReader reader(log, c);
    try {
        if (piece < 0) {
            parseWorksheet(xml, reader, c);
        } else {
            WorksheetScanner scanner(reader);
            const std::size_t step = piece == 0 ? std::max<std::size_t>(xml.size(), 1) : std::size_t(piece);
            for (std::size_t at = 0; at < xml.size(); at += step)
                scanner.feed(xml.data() + at, std::min(step, xml.size() - at));
            scanner.finish();
        }
    } catch (const ScanDeclined&) {
        out.declined = true;
        return out;
    } catch (const Error& e) {
        out.error = e.what();
    }
    out.cells = log.lines;
    return out;
}
Outcome scanned(std::string_view xml, int piece = 0) { return worksheetOutcome(xml, piece); }
Outcome parsed(std::string_view xml) { return worksheetOutcome(xml, -1); }

// What the scanner reads, in any pieces, it reads as the parser does.
void expectAgreement(const std::string& xml) {
    const Outcome scanner = scanned(xml);
    if (scanner.declined) return;
    ASSERT_EQ(scanner, parsed(xml)) << xml;
    for (int piece : {1, 2, 3, 7, 64})
        ASSERT_EQ(scanned(xml, piece), scanner) << "in pieces of " << piece << ": " << xml;
}

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

std::string sheet(const std::string& rows) {
    return kDeclaration + "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
           "<sheetData>" + rows + "</sheetData></worksheet>";
}

TEST(WorksheetScanner, ReadsEveryShapeOfCellAsTheParserDoes) {
    struct Case {
        const char* what;
        std::string xml;
        std::vector<std::string> cells;
    };
    const Case cases[] = {
        {"numbers, shared and inline strings, a date style",
         sheet("<row r=\"1\"><c r=\"A1\"><v>12.5</v></c><c r=\"B1\" t=\"s\"><v>2</v></c>"
               "<c r=\"C1\" t=\"inlineStr\"><is><t>Hill</t></is></c><c r=\"D1\" s=\"1\"><v>45757</v></c></row>"),
         {"1,1 n 12.500000", "1,2 s 2", "1,3 t Hill", "1,4 d 2025-04-10"}},
        {"booleans, errors, formulas, ISO dates, escapes",
         sheet("<row r=\"2\"><c r=\"A2\" t=\"b\"><v>1</v></c><c r=\"B2\" t=\"e\"><v>#N/A</v></c>"
               "<c r=\"C2\" t=\"str\"><f>A1</f><v>x_x0041_y</v></c><c r=\"D2\" t=\"d\"><v>2025-04-10</v></c></row>"),
         {"2,1 b 1", "2,2 e #N/A", "2,3 t xAy", "2,4 d 2025-04-10"}},
        {"references, line ends and rich text",
         sheet("<row r=\"3\"><c r=\"A3\" t=\"inlineStr\"><is><r><t>a&amp;b&lt;&#x41;&#66;&#x1F600;</t></r>"
               "<r><t xml:space=\"preserve\"> c\r\nd\re</t></r><rPh><t>skip</t></rPh></is></c></row>"),
         {"3,1 t a&b<AB\xF0\x9F\x98\x80 c\nd\ne"}},
        {"attributes in single quotes, blanks around '=', line ends and references in values",
         sheet("<row r = '4' ><c r='B4' t = \"s\"\n><v>1</v></c><c r=\"C&#52;\" s='1&#x0A;'><v>1</v></c></row>"),
         {"4,2 s 1", "4,3 n 1.000000"}},
        {"prefixed elements, cells and rows without references, empty cells",
         kDeclaration + "<x:worksheet xmlns:x=\"urn:x\"><x:sheetData><x:row><x:c><x:v>1</x:v></x:c><x:c/>"
                        "<x:c t=\"inlineStr\"/></x:row><x:row><x:c><x:v>2</x:v></x:c></x:row></x:sheetData>"
                        "</x:worksheet>",
         {"1,1 n 1.000000", "1,3 t ", "2,1 n 2.000000"}},
        {"a byte order mark, no declaration, text between elements, a cell written twice",
         "\xEF\xBB\xBF<worksheet>\n  <sheetData>\n <row r=\"1\"> <c r=\"A1\"><v>1</v></c>\n<c r=\"A1\"><v>2</v></c>"
         "</row></sheetData><other a=\"&quot;\"/></worksheet>\n\n",
         {"1,1 n 1.000000", "1,1 n 2.000000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome scanner = scanned(c.xml);
        EXPECT_FALSE(scanner.declined);
        EXPECT_EQ(scanner.error, "");
        EXPECT_EQ(scanner.cells, c.cells);
        expectAgreement(c.xml);
    }
}

// Cells the reader refuses, each with its reason: the same message whichever reads the XML.
TEST(WorksheetScanner, RefusesUnreadableCellsWithTheParsersMessage) {
    const std::pair<std::string, std::string> cases[] = {
        {"<row r=\"1\"><c r=\"A1\"><v>12,5</v></c></row>", "unreadable number '12,5'"},
        {"<row r=\"1\"><c r=\"A1\" t=\"s\"><v>3</v></c></row>", "shared string"},
        {"<row r=\"1\"><c r=\"A1\" t=\"b\"><v>2</v></c></row>", "boolean"},
        {"<row r=\"1\"><c r=\"A1\" t=\"q\"><v>2</v></c></row>", ""},
        // The message quotes the type as XML reads it: each line end one space.
        {"<row r=\"1\"><c r=\"A1\" t=\"a\r\nb\tc\rd\"><v>2</v></c></row>", ""},
        {"<row r=\"1\"><c r=\"XFE1\"><v>2</v></c></row>", "XFE1"},
        {"<row r=\"1048577\"><c><v>2</v></c></row>", "outside the sheet"},
        {"<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" + std::string(32768, 'x') + "</t></is></c></row>", ""},
    };
    for (const auto& [rows, reason] : cases) {
        SCOPED_TRACE(rows.substr(0, 60));
        const Outcome scanner = scanned(sheet(rows));
        EXPECT_FALSE(scanner.declined);
        EXPECT_NE(scanner.error.find("The sheet 'S' of 'f.xlsx' holds"), std::string::npos) << scanner.error;
        EXPECT_NE(scanner.error.find(reason), std::string::npos) << scanner.error;
        expectAgreement(sheet(rows));
    }
}

// What the parser refuses, and what the scanner does not read itself, is left to the parser.
TEST(WorksheetScanner, LeavesWhatItDoesNotReadToTheParser) {
    struct Case {
        const char* what;
        std::string xml;
        bool parserReads;
    };
    const std::string cell = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
    const Case cases[] = {
        {"mismatched tags", sheet("<row><c><v>1</c></v></row>"), false},
        {"an unclosed element", kDeclaration + "<worksheet><sheetData>" + cell, false},
        {"a duplicate attribute", sheet("<row r=\"1\" r=\"2\"/>"), false},
        {"attributes run together", sheet("<row r=\"1\"s=\"2\"/>"), false},
        {"an unquoted attribute", sheet("<row r=1/>"), false},
        {"'<' in an attribute", sheet("<row r=\"<\"/>"), false},
        {"an undeclared entity", sheet("<row><c t=\"inlineStr\"><is><t>&nbsp;</t></is></c></row>"), false},
        {"a reference to no character", sheet("<row><c t=\"inlineStr\"><is><t>&#0;</t></is></c></row>"), false},
        {"a reference to a surrogate", sheet("<row><c t=\"inlineStr\"><is><t>&#xD800;</t></is></c></row>"), false},
        {"a reference past U+10FFFF", sheet("<row><c t=\"inlineStr\"><is><t>&#x110000;</t></is></c></row>"), false},
        {"an ampersand alone", sheet("<row><c t=\"inlineStr\"><is><t>a & b</t></is></c></row>"), false},
        {"a control character", sheet(std::string("<row><c><v>1\x01</v></c></row>")), false},
        {"a zero byte", sheet(std::string("<row><c><v>1") + std::string(1, '\0') + "</v></c></row>"), false},
        {"an overlong UTF-8 form", sheet("<row><c t=\"inlineStr\"><is><t>\xC0\xAF</t></is></c></row>"), false},
        {"a UTF-8 surrogate", sheet("<row><c t=\"inlineStr\"><is><t>\xED\xA0\x80</t></is></c></row>"), false},
        {"a cut UTF-8 character", sheet("<row><c t=\"inlineStr\"><is><t>\xE2\x82</t></is></c></row>"), false},
        {"\"]]>\" in text", sheet("<row><c t=\"inlineStr\"><is><t>a]]>b</t></is></c></row>"), false},
        {"text after the root", sheet(cell) + "junk", false},
        {"text before the root", "x" + sheet(cell), false},
        {"nothing at all", "", false},
        {"a declaration not at the start", "\n" + sheet(cell), false},
        {"a declaration without a version", "<?xml encoding=\"UTF-8\"?><w/>", false},
        {"a declaration out of order", "<?xml version=\"1.0\" standalone=\"yes\" encoding=\"UTF-8\"?><w/>", false},
        {"a document type declaration", kDeclaration + "<!DOCTYPE w [<!ENTITY a \"b\">]><w>&a;</w>", false},
        {"a space inside a start tag's '<'", sheet("< row/>"), false},
        // Well-formed, but markup the scanner leaves to the parser.
        {"a comment", sheet("<!-- note -->" + cell), true},
        {"a processing instruction", sheet("<?mso-application progid?>" + cell), true},
        {"a CDATA section", sheet("<row><c t=\"inlineStr\"><is><t><![CDATA[<a>]]></t></is></c></row>"), true},
        {"a name beyond ASCII", sheet("<row><c><v>1</v></c><\xC3\xA9t\xC3\xA9/></row>"), true},
        {"a declaration of another encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><w/>", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(scanned(c.xml).declined) << scanned(c.xml);
        const Outcome parser = parsed(c.xml);
        EXPECT_EQ(parser.error.empty(), c.parserReads) << parser.error;
    }
}

// The limit on one tag: a tag longer than the scanner holds is left to the parser, which
// refuses it past its own limit, wherever the pieces are cut.
TEST(WorksheetScanner, LeavesVeryLongTagsToTheParser) {
    const std::string longTag = sheet("<row r=\"1\" x=\"" + std::string(WorksheetScanner::kLongestToken, 'a') + "\"/>");
    for (int piece : {0, 65536}) {
        SCOPED_TRACE(piece);
        EXPECT_TRUE(scanned(longTag, piece).declined);
    }
    // Long text is no tag: read as it comes.
    const std::string longText = sheet("<row r=\"1\"><c t=\"inlineStr\"><is><t>" + std::string(30000, 'y') +
                                       "</t></is></c></row>" + std::string(WorksheetScanner::kLongestToken * 2, ' '));
    EXPECT_FALSE(scanned(longText, 65536).declined);
    expectAgreement(longText);
}

// Sheets made up at random, and then damaged at random: the scanner either leaves one to the
// parser or reads it exactly as the parser does, in whatever pieces the bytes arrive.
class RandomSheet {
  public:
    explicit RandomSheet(unsigned seed) : m_rng(seed) {}

    std::string make() {
        std::string rows;
        int row = 0;
        const int rowCount = pick(0, 6);
        for (int r = 0; r < rowCount; ++r) {
            row += pick(1, 3);
            const bool numbered = pick(0, 4) > 0;
            const std::string p = prefix();
            rows += "<" + p + "row" + (numbered ? " r=" + quoted(std::to_string(row)) : "") + blanks() + ">";
            int column = 0;
            const int cellCount = pick(0, 5);
            for (int c = 0; c < cellCount; ++c) {
                column += pick(1, 2);
                rows += cellXml(row, column) + blanks();
            }
            rows += "</" + p + "row>";
        }
        return kDeclaration + "<worksheet><sheetData>" + rows + "</sheetData></worksheet>";
    }

    std::string damage(std::string xml) {
        using namespace std::string_literals;
        static const std::string kBytes[] = {
            "<",        ">",     "&",    ";",    "\"",           "'",    "/", " ", "\r", "\n", "\0"s,  "\x01",
            "]",        "]]>",   "\xC3", "\xA9", "\xEF\xBF\xBE", "\xFF", "#", "x", "=",  "&#", "<!--", "?",
            "\xE2\x82", "&amp;", "a:"};
        const int changes = pick(1, 3);
        for (int i = 0; i < changes && !xml.empty(); ++i) {
            const std::size_t at = std::size_t(pick(0, int(xml.size()) - 1));
            const std::string& bytes = kBytes[pick(0, int(std::size(kBytes)) - 1)];
            switch (pick(0, 2)) {
                case 0:
                    xml.replace(at, 1, bytes);
                    break;
                case 1:
                    xml.insert(at, bytes);
                    break;
                default:
                    xml.erase(at, std::size_t(pick(1, 4)));
                    break;
            }
        }
        return xml;
    }

  private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    std::string prefix() { return pick(0, 5) == 0 ? "x:" : ""; }
    std::string blanks() {
        static const char* kBlanks[] = {"", "", "", " ", "\n", "\t", "\r\n  "};
        return kBlanks[pick(0, 6)];
    }
    std::string quoted(const std::string& v) {
        const std::string q = pick(0, 3) == 0 ? "'" : "\"";
        return blanks() + q + v + q;
    }
    std::string text() {
        static const char* kPieces[] = {"Hill",    " ",     "&amp;",    "&lt;",     "&gt;",         "&quot;",
                                        "&apos;",  "&#65;", "&#x263A;", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                        "_x000D_", "\r\n",  "\n",       "\t",       "1,250.00",     "]",
                                        "x"};
        std::string out;
        for (int i = pick(0, 4); i > 0; --i) out += kPieces[pick(0, int(std::size(kPieces)) - 1)];
        return out;
    }
    std::string cellXml(int row, int column) {
        const std::string p = prefix();
        std::string attributes;
        if (pick(0, 4) > 0) attributes += " r=" + quoted(std::string(1, char('A' + column - 1)) + std::to_string(row));
        std::string value;
        switch (pick(0, 7)) {
            case 0: {
                static const char* kNumbers[] = {"1", "12.5", "-0.25", " 7 ", "+3", "1e3", "45757", "x1", ""};
                value = "<" + p + "v>" + kNumbers[pick(0, 8)] + "</" + p + "v>";
                if (pick(0, 1)) attributes += " s=" + quoted(std::to_string(pick(0, 3)));
                break;
            }
            case 1:
                attributes += " t=\"s\"";
                value = "<" + p + "v>" + std::to_string(pick(0, 3)) + "</" + p + "v>";
                break;
            case 2:
            case 3:
                attributes += " t=\"inlineStr\"";
                value = "<" + p + "is><" + p + "t>" + text() + "</" + p + "t>" +
                        (pick(0, 2) == 0 ? "<" + p + "rPh><" + p + "t>ph</" + p + "t></" + p + "rPh>" : "") + "</" + p +
                        "is>";
                break;
            case 4:
                attributes += " t=\"b\"";
                value = std::string("<v>") + (pick(0, 1) ? "1" : "false") + "</v>";
                break;
            case 5:
                attributes += " t=\"str\"";
                value = "<f>SUM(A1)</f><v>" + text() + "</v>";
                break;
            case 6:
                attributes += " t=\"e\"";
                value = "<v>#DIV/0!</v>";
                break;
            default:
                break;  // an empty cell
        }
        if (value.empty() && pick(0, 1)) return "<" + p + "c" + attributes + "/>";
        return "<" + p + "c" + attributes + blanks() + ">" + value + "</" + p + "c>";
    }

    std::mt19937 m_rng;
};

TEST(WorksheetScanner, ReadsRandomSheetsAsTheParserDoes) {
    RandomSheet random(20251207);
    int scannedWhole = 0;
    for (int i = 0; i < 400; ++i) {
        const std::string xml = random.make();
        if (!scanned(xml).declined) ++scannedWhole;
        expectAgreement(xml);
        if (HasFatalFailure()) return;
    }
    // Sheets as writers make them are read by the scanner itself, not left to the parser.
    EXPECT_EQ(scannedWhole, 400);
}

TEST(WorksheetScanner, ReadsDamagedSheetsAsTheParserDoesOrLeavesThemToIt) {
    RandomSheet random(7);
    int read = 0, declined = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string xml = random.damage(random.make());
        const Outcome scanner = scanned(xml);
        (scanner.declined ? declined : read) += 1;
        expectAgreement(xml);
        if (HasFatalFailure()) return;
    }
    // Both kinds occur, or the damage tells nothing.
    EXPECT_GT(read, 200);
    EXPECT_GT(declined, 200);
}

}  // namespace
}  // namespace vesk::sheet
