#!/usr/bin/env python3
"""Writes the corpus of damaged and hostile workbooks into tests/fixtures/damaged.

The reader robustness test runs every file through the workbook readers and the three
imports. A file's name says what must happen to it:
  ok-*   reads, and an import either stores it or refuses it with a message;
  bad-*  is refused with an error by the reader itself;
  any-*  (random damage) either reads or is refused, and never crashes or hangs.
The files are generated from a seed, so running the script again gives the same bytes.
"""

import importlib.util
import os
import random
import struct
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "fixtures", "damaged")

_spec = importlib.util.spec_from_file_location("fixtures", os.path.join(HERE, "make-fixtures.py"))
fixtures = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(fixtures)
compound_file = fixtures.compound_file
record = fixtures.biff_record
MAIN_NS, REL_NS, DECL = fixtures.MAIN_NS, fixtures.REL_NS, fixtures.DECL

CTR_HEADERS = ["TRAN_ID", "VALUE_DATE", "TRAN_DATE", "CASH_TRAN_TYPE", "TRAN_AMT", "FACILITY_ID",
               "ACCOUNT_NO", "ACCOUNT_NAME", "TRAN_PARTICULARS", "BRANCH_CODE", "REMARKS"]
APRIL_10_2025 = 45757  # date serial


def save(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


# ---- .xls (BIFF8) -------------------------------------------------------------------------

def cell(kind, row, col, xf, body):
    return record(kind, struct.pack("<HHH", row, col, xf) + body)


def biff8_ctr():
    """A CTR report in BIFF8 using every cell record the reader knows. Returns the workbook
    stream and the offset of the first data row's LABELSST record in it."""
    strings = CTR_HEADERS + ["T1", "T2", "T3", "F1", "Hill Road"]
    sst = struct.pack("<II", len(strings), len(strings))
    for s in strings:
        sst += struct.pack("<HB", len(s), 0) + s.encode("latin-1")
    xf = lambda fmt: record(0x00E0, struct.pack("<HH", 0, fmt) + b"\0" * 16)
    head = record(0x0809, struct.pack("<HHHHII", 0x0600, 0x0005, 0, 0, 0, 0))
    head += record(0x0042, struct.pack("<H", 1200))
    head += record(0x003D, struct.pack("<hhhhHHHHH", 0, 0, 100, 100, 0, 0, 0, 1, 600))
    head += record(0x0022, struct.pack("<H", 0))
    head += xf(0) + xf(14)
    name = b"CTR"
    boundsheet_len = 4 + 8 + len(name)
    tail = record(0x00FC, sst) + record(0x000A)
    sheet_offset = len(head) + boundsheet_len + len(tail)
    globals_ = head + record(0x0085, struct.pack("<IBBBB", sheet_offset, 0, 0, len(name), 0) + name) + tail

    sheet = record(0x0809, struct.pack("<HHHHII", 0x0600, 0x0010, 0, 0, 0, 0))
    sheet += record(0x0200, struct.pack("<IIHHH", 0, 0, 0, 0, 0))  # dimensions that lie
    for col in range(len(CTR_HEADERS)):
        sheet += cell(0x00FD, 0, col, 0, struct.pack("<I", col))
    first_label = None
    for i in range(3):
        row = i + 1
        if first_label is None:
            first_label = len(globals_) + len(sheet)
        sheet += cell(0x00FD, row, 0, 0, struct.pack("<I", 11 + i))                      # A: shared text
        sheet += cell(0x0203, row, 1, 1, struct.pack("<d", APRIL_10_2025 + i))           # B: date number
        sheet += cell(0x027E, row, 2, 1, struct.pack("<I", ((APRIL_10_2025 + i) << 2) | 2))  # C: RK date
        sheet += cell(0x0204, row, 3, 0, struct.pack("<HB", 7, 0) + b"DEPOSIT")          # D: LABEL
        sheet += cell(0x0203, row, 4, 0, struct.pack("<d", 1250.5 + i))                  # E: number
        sheet += cell(0x00FD, row, 5, 0, struct.pack("<I", 14))                          # F: shared text
        formula = struct.pack("<BBBBBBH", 0, 0, 0, 0, 0, 0, 0xFFFF) + struct.pack("<HI", 0, 0)
        sheet += cell(0x0006, row, 6, 0, formula)                                        # G: formula...
        sheet += record(0x0207, struct.pack("<HB", 10, 0) + b"1234567890")              # ...its text
        sheet += cell(0x00D6, row, 7, 0, struct.pack("<HB", 9, 0) + b"Hill Road" + b"\0\0")  # H: RSTRING
        sheet += record(0x00BD, struct.pack("<HH", row, 8) + struct.pack("<HI", 0, (5 << 2) | 2)
                        + struct.pack("<HI", 0, (6 << 2) | 2) + struct.pack("<H", 9))   # I, J: MULRK
        sheet += cell(0x0205, row, 10, 0, struct.pack("<BB", 1, 0))                      # K: boolean
    sheet += record(0x000A)
    return globals_ + sheet, first_label


def xls(stream):
    return compound_file([("Workbook", stream)])


def xls_corpus(rng):
    stream, label = biff8_ctr()
    good = xls(stream)
    save("ok-ctr.xls", good)

    def patched(at, data):
        return stream[:at] + data + stream[at + len(data):]

    save("bad-labelsst-zero-length.xls", xls(patched(label + 2, struct.pack("<H", 0))))
    save("bad-labelsst-short.xls", xls(patched(label + 2, struct.pack("<H", 6))))
    save("bad-sst-index.xls", xls(patched(label + 10, struct.pack("<I", 999))))
    save("bad-record-past-end.xls", xls(patched(label + 2, struct.pack("<H", 0xFFFF))))
    mulrk = stream.index(struct.pack("<HH", 0x00BD, 18))
    save("bad-mulrk-length.xls", xls(patched(mulrk + 2, struct.pack("<H", 17))))
    bound = stream.index(struct.pack("<HH", 0x0085, 11))
    save("bad-sheet-offset.xls", xls(patched(bound + 4, struct.pack("<I", len(stream) + 10))))
    sst = stream.index(struct.pack("<HHI", 0x00FC, 8 + sum(3 + len(t) for t in CTR_HEADERS + ["T1", "T2", "T3", "F1", "Hill Road"]), 16))
    # Writers get the unique-string count wrong; the 16 strings the table holds are read.
    save("ok-sst-count-high.xls", xls(patched(sst + 8, struct.pack("<I", 1000))))
    save("ok-sst-count-low.xls", xls(patched(sst + 8, struct.pack("<I", 3))))
    save("ok-sst-count-zero.xls", xls(patched(sst + 8, struct.pack("<I", 0))))
    # The table's record cut in the middle of its last string, which the count says is there.
    sst_length = struct.unpack("<H", stream[sst + 2:sst + 4])[0]
    save("bad-sst-string-cut.xls", xls(patched(sst + 2, struct.pack("<H", sst_length - 4))))
    # Numbers no writer stores: they would reach the database as the text "NaN" or "Infinity".
    number = stream.index(struct.pack("<d", 1250.5))
    save("bad-number-nan.xls", xls(patched(number, struct.pack("<Q", 0x7FF8000000000000))))
    rk = stream.index(struct.pack("<I", (APRIL_10_2025 << 2) | 2))
    save("bad-rk-infinite.xls", xls(patched(rk, struct.pack("<I", 0x7FF00000))))
    save("bad-no-sheet-end.xls", xls(stream[:-4]))
    save("bad-truncated.xls", good[:len(good) // 2])
    for n in range(16):
        data = bytearray(good)
        for _ in range(1 + n % 4):
            pos = rng.randrange(len(data))
            data[pos] ^= 1 << rng.randrange(8)
        save("any-flip-%02d.xls" % n, bytes(data))


# ---- .xlsx --------------------------------------------------------------------------------

def package(sheet_xml, shared=(), name="CTR", rename=lambda part: part, extra=()):
    workbook = (DECL + '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="%s" sheetId="1" r:id="rId1"/>'
                '</sheets></workbook>' % (MAIN_NS, REL_NS, name))
    styles = (DECL + '<styleSheet xmlns="%s"><cellXfs count="2"><xf numFmtId="0"/><xf numFmtId="14"/>'
              '</cellXfs></styleSheet>' % MAIN_NS)
    sst = (DECL + '<sst xmlns="%s">' % MAIN_NS + "".join("<si><t>%s</t></si>" % s for s in shared) + "</sst>")
    files = [
        ("[Content_Types].xml", fixtures.content_types([])),
        ("_rels/.rels", fixtures.rels([("rId1", fixtures.DOC_REL, "xl/workbook.xml")])),
        ("xl/workbook.xml", workbook),
        ("xl/_rels/workbook.xml.rels", fixtures.rels([("rId1", fixtures.SHEET_REL, "worksheets/sheet1.xml"),
                                                      ("rId2", fixtures.STYLES_REL, "styles.xml"),
                                                      ("rId3", fixtures.SST_REL, "sharedStrings.xml")])),
        ("xl/styles.xml", styles),
        ("xl/sharedStrings.xml", sst),
        ("xl/worksheets/sheet1.xml", sheet_xml),
    ] + list(extra)
    import io
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
        for part, text in files:
            info = zipfile.ZipInfo(rename(part), date_time=(2025, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, text.encode("utf-8") if isinstance(text, str) else text, compresslevel=9)
    return buf.getvalue()


def inline(ref, text):
    return '<c r="%s" t="inlineStr"><is><t>%s</t></is></c>' % (ref, text)


def letters(col):
    out = ""
    while col:
        col, rem = divmod(col - 1, 26)
        out = chr(65 + rem) + out
    return out


def row_xml(r, cells):
    return '<row r="%d">%s</row>' % (r, "".join(cells))


def ctr_rows(count=3, name="Hill Road"):
    rows = [row_xml(1, [inline("%s1" % letters(c + 1), h) for c, h in enumerate(CTR_HEADERS)])]
    for i in range(count):
        r = i + 2
        rows.append(row_xml(r, [inline("A%d" % r, "T%d" % (i + 1)),
                                '<c r="B%d" s="1"><v>%d</v></c>' % (r, APRIL_10_2025),
                                '<c r="C%d" s="1"><v>%d</v></c>' % (r, APRIL_10_2025),
                                inline("D%d" % r, "DEPOSIT"), '<c r="E%d"><v>%s</v></c>' % (r, 100 + i),
                                inline("F%d" % r, "F1"), inline("G%d" % r, "1234567890"),
                                inline("H%d" % r, name), inline("I%d" % r, "Cash"),
                                inline("J%d" % r, "B1"), inline("K%d" % r, "-")]))
    return rows


def sheet(rows, before=""):
    return DECL + before + '<worksheet xmlns="%s"><sheetData>%s</sheetData></worksheet>' % (MAIN_NS, "".join(rows))


def xlsx_corpus(rng):
    good = package(sheet(ctr_rows()))
    save("ok-ctr.xlsx", good)
    save("ok-far-a1048576.xlsx", package(sheet(ctr_rows() + [row_xml(1048576, [inline("A1048576", "stray")])])))
    rows = ctr_rows(200)
    rows[1] = rows[1].replace("</row>", inline("XFD2", "far") + "</row>")
    save("ok-far-xfd2.xlsx", package(sheet(rows)))
    save("ok-far-xfd1048576.xlsx",
         package(sheet(ctr_rows() + [row_xml(1048576, [inline("XFD1048576", "corner")])])))
    master = [row_xml(1, [inline("A1", "office_id"), inline("B1", "office_name"), inline("C1", "office_type_code")]),
              row_xml(2, [inline("A2", "101"), inline("B2", "Hill"), inline("C2", "PDN")]),
              row_xml(1048576, [inline("A1048576", "stray")])]
    save("ok-master-far-a1048576.xlsx", package(sheet(master), name="Master"))
    rewritten = ctr_rows()
    rewritten[1] = rewritten[1].replace("</row>", inline("K2", "x" * 60) * 20000 + "</row>")
    save("ok-rewritten-cell.xlsx", package(sheet(rewritten)))
    save("ok-control-characters.xlsx", package(sheet(ctr_rows(name="Hill_x0000_ Road_x0007_"))))
    spaces = ctr_rows()
    spaces[2] = " " * (2 << 20) + spaces[2]
    save("ok-whitespace-bomb.xlsx", package(sheet(spaces)))

    # Some Windows tools name the entries with backslashes; the parts are found all the same.
    save("ok-backslash-names.xlsx", package(sheet(ctr_rows()), rename=lambda part: part.replace("/", "\\")))
    # Dates written as ISO 8601 text, one of them a time alone.
    iso = ctr_rows()
    iso[1] = iso[1].replace('<c r="B2" s="1"><v>%d</v></c>' % APRIL_10_2025, '<c r="B2" t="d"><v>2025-04-10</v></c>')
    iso[1] = iso[1].replace('<c r="C2" s="1"><v>%d</v></c>' % APRIL_10_2025,
                            '<c r="C2" t="d"><v>2025-04-10T10:10:10Z</v></c>')
    iso[1] = iso[1].replace(inline("I2", "Cash"), '<c r="I2" t="d"><v>10:10:10</v></c>')
    save("ok-iso-dates.xlsx", package(sheet(iso)))

    # The relationships name a shared strings part the package does not hold: read while no cell needs it.
    without_strings = lambda part: "xl/missing.xml" if part == "xl/sharedStrings.xml" else part
    save("ok-shared-strings-missing.xlsx", package(sheet(ctr_rows()), rename=without_strings))
    shared = ctr_rows()
    shared[1] = shared[1].replace(inline("H2", "Hill Road"), '<c r="H2" t="s"><v>0</v></c>')
    save("bad-shared-strings-missing.xlsx", package(sheet(shared), shared=["Hill Road"], rename=without_strings))

    # A cell written again after an empty text: the text it gives back must leave the empty one readable.
    again = ctr_rows()
    again[-1] = again[-1].replace("</row>", inline("L4", "") + '<c r="K4"><v>7</v></c></row>')
    save("ok-rewritten-before-empty-text.xlsx", package(sheet(again)))

    bad_time = ctr_rows()
    bad_time[1] = bad_time[1].replace(inline("I2", "Cash"), '<c r="I2" t="d"><v>24:10:10</v></c>')
    save("bad-iso-time.xlsx", package(sheet(bad_time)))
    # Two entries for the sheet's part, told apart only by the kind of slash: which one is meant is unknown.
    twin = sheet(ctr_rows(name="Twin"))
    save("bad-part-twice.xlsx", package(sheet(ctr_rows()), extra=[("xl\\worksheets\\sheet1.xml", twin)]))

    huge = ctr_rows()
    huge[1] = huge[1].replace(">Hill Road<", ">" + "y" * 40000 + "<")
    save("bad-huge-cell.xlsx", package(sheet(huge)))
    save("bad-huge-shared-string.xlsx", package(sheet(ctr_rows()), shared=["z" * 40000]))
    laughs = ('<!DOCTYPE w [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">'
              '<!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;"><!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;">]>')
    save("bad-entity-expansion.xlsx", package(sheet(ctr_rows(name="&d;"), before=laughs)))
    attribute = ctr_rows()
    attribute[1] = attribute[1].replace('<c r="K2"', '<c x="%s" r="K2"' % ("a" * (4 << 20)))
    save("bad-huge-attribute.xlsx", package(sheet(attribute)))
    save("bad-malformed-sheet.xlsx", package(sheet(ctr_rows())[:-200]))
    save("bad-row-past-end.xlsx", package(sheet(ctr_rows() + [row_xml(1048577, [inline("A1048577", "x")])])))
    save("bad-truncated.xlsx", good[:len(good) * 2 // 3])
    for n in range(12):
        data = bytearray(good)
        for _ in range(1 + n % 3):
            pos = rng.randrange(len(data))
            data[pos] ^= 1 << rng.randrange(8)
        save("any-flip-%02d.xlsx" % n, bytes(data))
    scanner_corpus()


def edited(change, rows=None):
    """The good CTR sheet's XML changed by a function of it, packed."""
    return package(change(sheet(rows or ctr_rows())))


def replace_once(old, new):
    return lambda xml: xml.replace(old, new, 1)


def scanner_corpus():
    """Markup the worksheet scanner leaves to the general XML parser, which refuses it or
    reads it, and well-formed shapes it must read as the parser does."""
    name = ">Hill Road<"
    save("bad-mismatched-tag.xlsx", edited(replace_once("</v></c>", "</c></v>")))
    save("bad-duplicate-attribute.xlsx", edited(replace_once('<c r="B2"', '<c r="B2" r="B2"')))
    save("bad-attributes-run-together.xlsx", edited(replace_once('r="B2" s="1"', 'r="B2"s="1"')))
    save("bad-undefined-entity.xlsx", edited(replace_once(name, ">Hill&nbsp;Road<")))
    save("bad-invalid-utf8.xlsx",
         package(sheet(ctr_rows()).encode("utf-8").replace(b">Hill Road<", b">Hill \xc0\xaf Road<", 1)))
    save("bad-control-character.xlsx", edited(replace_once(name, ">Hill\x01Road<")))
    save("bad-surrogate-reference.xlsx", edited(replace_once(name, ">Hill&#xD800;Road<")))
    save("bad-cdata-end-in-text.xlsx", edited(replace_once(name, ">Hill]]>Road<")))
    save("bad-junk-after-root.xlsx", edited(lambda xml: xml + "<worksheet/>"))
    save("bad-tag-cut-at-end.xlsx", edited(lambda xml: xml[:xml.rindex("</row>") + 3]))
    save("bad-long-end-tag.xlsx", edited(replace_once("</row>", "</row" + " " * (2 << 20) + ">")))
    save("bad-long-prolog.xlsx", edited(lambda xml: xml.replace(DECL, DECL + " " * (2 << 20), 1)))
    save("ok-comment-in-sheet.xlsx", edited(replace_once('<row r="3">', '<!-- checked --><row r="3">')))
    save("ok-processing-instruction.xlsx", edited(replace_once("<sheetData>", "<sheetData><?note x?>")))
    save("ok-cdata-value.xlsx", edited(replace_once(name, "><![CDATA[Hill Road]]><")))
    save("ok-line-ends-and-references.xlsx",
         edited(replace_once(name, ">Hill\r\n&#82;oad&amp;Co<")))
    rows = ctr_rows()
    rows[1], rows[2] = rows[2], rows[1]
    save("ok-rows-out-of-order.xlsx", package(sheet(rows)))
    prefixed = sheet(ctr_rows()).replace("<worksheet xmlns=", "<x:worksheet xmlns:x=")
    prefixed = prefixed.replace("</worksheet>", "</x:worksheet>")
    for tag in ("sheetData", "row", "c", "is", "t", "v"):
        prefixed = prefixed.replace("<%s>" % tag, "<x:%s>" % tag).replace("<%s " % tag, "<x:%s " % tag)
        prefixed = prefixed.replace("</%s>" % tag, "</x:%s>" % tag)
    save("ok-prefixed-sheet.xlsx", package(prefixed))


def main():
    os.makedirs(OUT, exist_ok=True)
    for old in os.listdir(OUT):
        os.remove(os.path.join(OUT, old))
    rng = random.Random(20251206)
    xls_corpus(rng)
    xlsx_corpus(rng)


if __name__ == "__main__":
    main()
