// Reading a month of the bank's CTR report: 100,000 rows of 11 columns.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "BenchSupport.h"
#include "sheet/Workbook.h"

using vesk::bench::peakMegabytes;

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 11;

// A file in the temporary folder, removed with the object.
class TempFile {
  public:
    explicit TempFile(const std::string& suffix) {
        m_path =
            (std::filesystem::temp_directory_path() / ("vesk-bench-" + std::to_string(getpid()) + suffix)).string();
    }
    ~TempFile() {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
};

struct ZipDiscard {
    void operator()(zip_t* z) const { zip_discard(z); }
};

void add(zip_t* z, const char* name, const std::string& text) {
    void* copy = std::malloc(text.size() + 1);  // libzip frees it once written
    std::memcpy(copy, text.data(), text.size());
    zip_source_t* src = zip_source_buffer(z, copy, text.size(), 1);
    if (!src || zip_file_add(z, name, src, ZIP_FL_OVERWRITE) < 0) throw std::runtime_error("cannot add part");
}

// Writes the report the way a spreadsheet program saves it: shared strings, cell references, a date style.
void writeCtrWorkbook(const std::string& path) {
    const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const char* kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const char* kHeaders[kColumns] = {"SOL_ID",        "VALUE_DATE",  "TRAN_ID",   "CASH_TRAN_TYPE",
                                      "TRAN_AMT",      "FACILITY_ID", "Tran_Date", "ACCOUNT_NO",
                                      "PART_TRAN_SRL", "NARRATION",   "CHANNEL"};
    std::string strings;
    int stringCount = 0;
    auto addString = [&](const std::string& s) {
        strings += "<si><t>" + s + "</t></si>";
        return stringCount++;
    };
    int headers[kColumns];
    for (int c = 0; c < kColumns; ++c) headers[c] = addString(kHeaders[c]);
    const int deposit = addString("DEPOSIT");
    const int withdrawal = addString("WITHDRAWAL");
    const int branch = addString("BRANCH");
    int facilities[300];
    for (int i = 0; i < 300; ++i) facilities[i] = addString("FAC" + std::to_string(100000 + i * 37));

    std::string sheet = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><worksheet xmlns=\"" +
                        std::string(kMain) + "\"><dimension ref=\"A1:K" + std::to_string(kRows + 1) + "\"/><sheetData>";
    sheet.reserve(std::size_t(kRows) * 420);
    auto ref = [](int column, int row) { return std::string(1, char('A' + column)) + std::to_string(row); };
    sheet += "<row r=\"1\">";
    for (int c = 0; c < kColumns; ++c)
        sheet += "<c r=\"" + ref(c, 1) + "\" t=\"s\"><v>" + std::to_string(headers[c]) + "</v></c>";
    sheet += "</row>";
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    char amount[32];
    for (int i = 0; i < kRows; ++i) {
        const int row = i + 2;
        const std::string r = std::to_string(row);
        const int tranId = addString("S" + std::to_string(70000000 + i));
        std::snprintf(amount, sizeof amount, "%u.%02u", next() % 200000, next() % 100);
        const int day = 45748 + int(next() % 30);  // April 2025
        sheet += "<row r=\"" + r + "\">";
        sheet += "<c r=\"A" + r + "\"><v>" + std::to_string(1000 + next() % 50) + "</v></c>";
        sheet += "<c r=\"B" + r + "\" s=\"1\"><v>" + std::to_string(day) + "</v></c>";
        sheet += "<c r=\"C" + r + "\" t=\"s\"><v>" + std::to_string(tranId) + "</v></c>";
        sheet += "<c r=\"D" + r + "\" t=\"s\"><v>" + std::to_string(next() % 2 ? deposit : withdrawal) + "</v></c>";
        sheet += "<c r=\"E" + r + "\"><v>" + amount + "</v></c>";
        sheet += "<c r=\"F" + r + "\" t=\"s\"><v>" + std::to_string(facilities[next() % 300]) + "</v></c>";
        sheet +=
            "<c r=\"G" + r + "\" s=\"2\"><v>" + std::to_string(day) + "." + std::to_string(next() % 99999) + "</v></c>";
        sheet += "<c r=\"H" + r + "\"><v>" + std::to_string(30000000000ull + next() % 1000000) + "</v></c>";
        sheet += "<c r=\"I" + r + "\"><v>" + std::to_string(1 + next() % 9) + "</v></c>";
        sheet += "<c r=\"J" + r + "\" t=\"inlineStr\"><is><t>CASH " + std::to_string(i % 977) + "</t></is></c>";
        sheet += "<c r=\"K" + r + "\" t=\"s\"><v>" + std::to_string(branch) + "</v></c>";
        sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";

    int err = 0;
    std::unique_ptr<zip_t, ZipDiscard> z(zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err));
    if (!z) throw std::runtime_error("cannot create " + path);
    const std::string rels = "http://schemas.openxmlformats.org/package/2006/relationships";
    add(z.get(), "_rels/.rels",
        "<Relationships xmlns=\"" + rels + "\"><Relationship Id=\"rId1\" Type=\"" + kRel +
            "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    add(z.get(), "xl/workbook.xml",
        "<workbook xmlns=\"" + std::string(kMain) + "\" xmlns:r=\"" + kRel +
            "\"><sheets><sheet name=\"CTR\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
    add(z.get(), "xl/_rels/workbook.xml.rels",
        "<Relationships xmlns=\"" + rels + "\"><Relationship Id=\"rId1\" Type=\"" + kRel +
            "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" + kRel +
            "/styles\" Target=\"styles.xml\"/><Relationship Id=\"rId3\" Type=\"" + kRel +
            "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>");
    add(z.get(), "xl/styles.xml",
        "<styleSheet xmlns=\"" + std::string(kMain) +
            "\"><numFmts><numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy hh:mm:ss\"/></numFmts><cellXfs>"
            "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/></cellXfs></styleSheet>");
    add(z.get(), "xl/sharedStrings.xml",
        "<sst xmlns=\"" + std::string(kMain) + "\" uniqueCount=\"" + std::to_string(stringCount) + "\">" + strings +
            "</sst>");
    add(z.get(), "xl/worksheets/sheet1.xml", sheet);
    if (zip_close(z.get()) < 0) throw std::runtime_error("cannot write " + path);
    z.release();
}

const TempFile& ctrWorkbook() {
    static const TempFile file(".xlsx");
    static const bool written = (writeCtrWorkbook(file.path()), true);
    (void)written;
    return file;
}

// What an import does: open, take the first sheet, find the last row of column A, read the block.
void BM_ReadCtrWorkbook(benchmark::State& state) {
    const std::string& path = ctrWorkbook().path();
    for (auto _ : state) {
        auto book = vesk::sheet::Workbook::open(path);
        auto sheet = book->firstSheet();
        const int last = sheet->lastRow(1);
        if (last != kRows + 1) state.SkipWithError("wrong last row");
        auto block = sheet->block(2, 1, last, kColumns);
        benchmark::DoNotOptimize(block);
    }
    state.counters["file_KB"] = double(std::filesystem::file_size(path)) / 1024.0;
    state.counters["peak_RSS_MB"] = peakMegabytes();
    state.SetItemsProcessed(state.iterations() * std::int64_t(kRows) * kColumns);
}
BENCHMARK(BM_ReadCtrWorkbook)->Unit(benchmark::kMillisecond)->UseRealTime();

// The sheet alone, without the block of cells an import then asks for.
void BM_ReadCtrSheetOnly(benchmark::State& state) {
    const std::string& path = ctrWorkbook().path();
    for (auto _ : state) {
        auto sheet = vesk::sheet::Workbook::open(path)->firstSheet();
        benchmark::DoNotOptimize(sheet->lastRow(1));
    }
}
BENCHMARK(BM_ReadCtrSheetOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every cell of the block as text, as the import writes it into statements.
void BM_CellTextOfCtrBlock(benchmark::State& state) {
    auto sheet = vesk::sheet::Workbook::open(ctrWorkbook().path())->firstSheet();
    const auto block = sheet->block(2, 1, sheet->lastRow(1), kColumns);
    for (auto _ : state) {
        std::size_t total = 0;
        for (int r = 0; r < block.rows(); ++r)
            for (int c = 0; c < block.columns(); ++c) total += vesk::sheet::cellText(block.at(r, c)).size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(block.rows()) * block.columns());
}
BENCHMARK(BM_CellTextOfCtrBlock)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
