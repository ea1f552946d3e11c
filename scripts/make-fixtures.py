#!/usr/bin/env python3
"""Writes the small workbooks the sheet tests read into tests/fixtures.

The .xlsx packages are written by hand so that each one exercises what real
exporters do differently. With LibreOffice installed (soffice on the path) the
script also converts libreoffice-source.xlsx into libreoffice.xls and
libreoffice.xlsx, the files of a second writer; without it those two committed
files are left as they are.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "fixtures")

MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL_NS = "http://schemas.openxmlformats.org/package/2006/relationships"
DOC_REL = REL_NS + "/officeDocument"
SHEET_REL = REL_NS + "/worksheet"
STYLES_REL = REL_NS + "/styles"
SST_REL = REL_NS + "/sharedStrings"
DECL = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'


def content_types(parts):
    body = "".join('<Override PartName="%s" ContentType="%s"/>' % p for p in parts)
    return (DECL + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
            '<Default Extension="xml" ContentType="application/xml"/>' + body + "</Types>")


def rels(items):
    body = "".join('<Relationship Id="%s" Type="%s" Target="%s"/>' % r for r in items)
    return DECL + '<Relationships xmlns="%s">%s</Relationships>' % (PKG_REL_NS, body)


def write_zip(name, files):
    path = os.path.join(OUT, name)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for part, text in files:
            info = zipfile.ZipInfo(part, date_time=(2025, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, text)
    return path


def inline_prefixed():
    """Prefixed elements, inline strings, no r= attributes, absolute targets, a non-standard part name."""
    workbook = (DECL + '<x:workbook xmlns:x="%s" xmlns:r="%s"><x:sheets>'
                '<x:sheet name="Report" sheetId="1" r:id="rId1"/></x:sheets></x:workbook>' % (MAIN_NS, REL_NS))
    styles = (DECL + '<x:styleSheet xmlns:x="%s"><x:cellXfs count="2">'
              '<x:xf numFmtId="0"/><x:xf numFmtId="14" applyNumberFormat="1"/></x:cellXfs></x:styleSheet>' % MAIN_NS)

    def inline(text):
        return '<x:c t="inlineStr"><x:is><x:t>%s</x:t></x:is></x:c>' % text

    rows = [
        # header row, no r= anywhere
        "<x:row>" + inline("ID") + inline(" VALUE_DATE ") + inline("Amount") + "</x:row>",
        # a rich inline string, a date, a number
        '<x:row><x:c t="inlineStr"><x:is><x:r><x:t>Ab</x:t></x:r><x:r><x:t xml:space="preserve"> cd</x:t>'
        '</x:r></x:is></x:c><x:c s="1"><x:v>45757</x:v></x:c><x:c><x:v>1234.5</x:v></x:c></x:row>',
        # a gap: row 5 named, its cells positioned from an explicit reference onwards
        '<x:row r="5"><x:c r="D5"><x:v>4</x:v></x:c><x:c><x:v>5</x:v></x:c>'
        '<x:c t="str"><x:f>"O"&amp;"\'Brien"</x:f><x:v>O\'Brien</x:v></x:c></x:row>',
        # row 6 by order; the 1900 leap-year phantom around serial 60 and a bare time
        '<x:row><x:c s="1"><x:v>1</x:v></x:c><x:c s="1"><x:v>59</x:v></x:c><x:c s="1"><x:v>60</x:v></x:c>'
        '<x:c s="1"><x:v>61</x:v></x:c><x:c s="1"><x:v>0.75</x:v></x:c><x:c s="1"/></x:row>',
    ]
    sheet = (DECL + '<x:worksheet xmlns:x="%s"><x:sheetData>%s</x:sheetData></x:worksheet>'
             % (MAIN_NS, "".join(rows)))
    write_zip("inline-prefixed.xlsx", [
        ("[Content_Types].xml", content_types([
            ("/book/main.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"),
            ("/book/sheets/data.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"),
            ("/book/styles.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml")])),
        ("_rels/.rels", rels([("rId1", DOC_REL, "/book/main.xml")])),
        ("book/main.xml", workbook),
        ("book/_rels/main.xml.rels", rels([("rId1", SHEET_REL, "/book/sheets/data.xml"),
                                           ("rId2", STYLES_REL, "styles.xml")])),
        ("book/styles.xml", styles),
        ("book/sheets/data.xml", sheet),
    ])


def standard_parts(workbook, sheets, styles, shared, name):
    types = [("/xl/workbook.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"),
             ("/xl/styles.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"),
             ("/xl/sharedStrings.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml")]
    book_rels = [("rId%d" % (i + 1), SHEET_REL, "worksheets/sheet%d.xml" % (i + 1)) for i in range(len(sheets))]
    book_rels += [("rIdS", STYLES_REL, "styles.xml"), ("rIdT", SST_REL, "sharedStrings.xml")]
    files = [("[Content_Types].xml", content_types(types)),
             ("_rels/.rels", rels([("rId1", DOC_REL, "xl/workbook.xml")])),
             ("xl/workbook.xml", workbook),
             ("xl/_rels/workbook.xml.rels", rels(book_rels)),
             ("xl/styles.xml", styles),
             ("xl/sharedStrings.xml", shared)]
    for i, s in enumerate(sheets):
        files.append(("xl/worksheets/sheet%d.xml" % (i + 1), s))
    return write_zip(name, files)


def sheet_xml(rows):
    return DECL + '<worksheet xmlns="%s"><sheetData>%s</sheetData></worksheet>' % (MAIN_NS, "".join(rows))


def dates_1904():
    """The 1904 date system, custom formats, errors, booleans, rich shared strings, second sheet active."""
    workbook = (DECL + '<workbook xmlns="%s" xmlns:r="%s"><workbookPr date1904="1"/>'
                '<bookViews><workbookView activeTab="1"/></bookViews><sheets>'
                '<sheet name="Notes" sheetId="1" r:id="rId1"/><sheet name="Dates" sheetId="2" r:id="rId2"/>'
                '</sheets></workbook>' % (MAIN_NS, REL_NS))
    formats = [
        (164, "dd/mm/yyyy"),
        (165, "[$-409]d-mmm-yy;@"),
        (166, "hh:mm"),
        (167, '0.00 "days"'),
        (168, "[Red]0.00"),
        (169, "[h]:mm:ss"),
        (170, '"Day "0'),
        (171, "#,##0.00_);[Red](#,##0.00)"),
        (172, "yyyy\\-mm\\-dd"),
        (173, "\\d0"),
    ]
    # style index -> numFmtId: 0 General, 1..10 the custom formats, 11 built-in 22, 12 built-in 4, 13 built-in 49
    xf_ids = [0] + [f[0] for f in formats] + [22, 4, 49]
    num_fmts = "".join('<numFmt numFmtId="%d" formatCode="%s"/>' % (i, c.replace('"', "&quot;")) for i, c in formats)
    styles = (DECL + '<styleSheet xmlns="%s"><numFmts count="%d">%s</numFmts>'
              '<cellStyleXfs count="1"><xf numFmtId="14"/></cellStyleXfs>'
              '<cellXfs count="%d">%s</cellXfs></styleSheet>'
              % (MAIN_NS, len(formats), num_fmts, len(xf_ids), "".join('<xf numFmtId="%d"/>' % i for i in xf_ids)))
    shared = (DECL + '<sst xmlns="%s" count="5" uniqueCount="5">'
              '<si><t>Label</t></si>'
              '<si><r><rPr><b/></rPr><t>Bold</t></r><r><t xml:space="preserve"> and plain</t></r></si>'
              '<si><t>Tokyo</t><rPh sb="0" eb="2"><t>TOUKYOU</t></rPh></si>'
              '<si><t xml:space="preserve">  padded  </t></si>'
              '<si><t>line_x000D_break_x005F_x0041_</t></si>'
              '</sst>' % MAIN_NS)
    notes = sheet_xml(['<row r="1"><c r="A1" t="s"><v>0</v></c><c r="AA1"><v>27</v></c></row>'])
    # serial 44295 in the 1904 system is 2025-04-10
    values = [
        '<c r="B1" s="1"><v>44295</v></c>',  # dd/mm/yyyy
        '<c r="B2" s="2"><v>44295</v></c>',  # [$-409]d-mmm-yy;@
        '<c r="B3" s="3"><v>44295.5</v></c>',  # hh:mm
        '<c r="B4" s="4"><v>44295</v></c>',  # 0.00 "days"
        '<c r="B5" s="5"><v>44295</v></c>',  # [Red]0.00
        '<c r="B6" s="6"><v>1.25</v></c>',  # [h]:mm:ss
        '<c r="B7" s="7"><v>44295</v></c>',  # "Day "0
        '<c r="B8" s="8"><v>-44295.25</v></c>',  # #,##0.00_);[Red](#,##0.00)
        '<c r="B9" s="9"><v>44295.99999999</v></c>',  # yyyy\-mm\-dd, rounds to the next day
        '<c r="B10" s="10"><v>44295</v></c>',  # \d0
        '<c r="B11" s="11"><v>0</v></c>',  # built-in 22 at the 1904 epoch
        '<c r="B12" s="12"><v>44295</v></c>',  # built-in 4
        '<c r="B13" s="13"><v>44295</v></c>',  # built-in 49 (text)
        '<c r="B14" s="3"><v>44295.000006944</v></c>',  # 0.6 s past midnight rounds to one second
        '<c r="B15" t="e"><v>#N/A</v></c>',
        '<c r="B16" t="e"><f>1/0</f><v>#DIV/0!</v></c>',
        '<c r="B17" t="b"><v>1</v></c>',
        '<c r="B18" t="b"><v>0</v></c>',
        '<c r="B19" t="s"><v>1</v></c>',
        '<c r="B20" t="s"><v>2</v></c>',
        '<c r="B21" t="s"><v>3</v></c>',
        '<c r="B22" t="s"><v>4</v></c>',
        '<c r="B23" t="d"><v>2025-04-10T08:30:00</v></c>',
        '<c r="B24" s="0"><v>1.2345678901234567E-7</v></c>',
    ]
    rows = ['<row r="%d"><c r="A%d" t="s"><v>0</v></c>%s</row>' % (i + 1, i + 1, v) for i, v in enumerate(values)]
    standard_parts(workbook, [notes, sheet_xml(rows)], styles, shared, "dates-1904.xlsx")


def libreoffice_source():
    """What LibreOffice converts: 1900 dates, times, numbers, text, booleans, formula errors, two sheets."""
    workbook = (DECL + '<workbook xmlns="%s" xmlns:r="%s"><bookViews><workbookView activeTab="1"/></bookViews>'
                '<sheets><sheet name="CTR" sheetId="1" r:id="rId1"/><sheet name="Other" sheetId="2" r:id="rId2"/>'
                '</sheets><calcPr calcId="0" fullCalcOnLoad="1"/></workbook>' % (MAIN_NS, REL_NS))
    styles = (DECL + '<styleSheet xmlns="%s"><numFmts count="1"><numFmt numFmtId="164" formatCode="dd/mm/yyyy"/>'
              '</numFmts><cellXfs count="4"><xf numFmtId="0"/><xf numFmtId="164" applyNumberFormat="1"/>'
              '<xf numFmtId="22" applyNumberFormat="1"/><xf numFmtId="20" applyNumberFormat="1"/></cellXfs>'
              '</styleSheet>' % MAIN_NS)
    strings = ["TRAN_ID", "VALUE_DATE", "TRAN_AMT", "NOTE", "T1", "T2", "T3", "O'Brien", "DEPOSIT", "second"]
    shared = DECL + '<sst xmlns="%s">%s</sst>' % (MAIN_NS, "".join("<si><t>%s</t></si>" % s for s in strings))

    def s(ref, i):
        return '<c r="%s" t="s"><v>%d</v></c>' % (ref, i)

    rows = [
        '<row r="1">' + s("A1", 0) + s("B1", 1) + s("C1", 2) + s("D1", 3) + "</row>",
        # 45757 = 2025-04-10
        '<row r="2">' + s("A2", 4) + '<c r="B2" s="1"><v>45757</v></c><c r="C2"><v>1234.5</v></c>'
        + s("D2", 7) + '<c r="E2" t="b"><v>1</v></c></row>',
        '<row r="3">' + s("A3", 5) + '<c r="B3" s="2"><v>45757.5625</v></c><c r="C3"><v>0.1</v></c>'
        + s("D3", 8) + '<c r="E3" t="b"><v>0</v></c></row>',
        '<row r="4">' + s("A4", 6) + '<c r="B4" s="3"><v>0.3125</v></c><c r="C4"><v>-0.5</v></c>'
        '<c r="D4" t="e"><f>NA()</f><v>#N/A</v></c><c r="E4"><f>2*3</f><v>6</v></c></row>',
        # column A ends at row 4; other columns run on
        '<row r="6"><c r="C6"><v>12345678901</v></c><c r="D6" t="e"><f>1/0</f><v>#DIV/0!</v></c></row>',
    ]
    other = sheet_xml(['<row r="1">' + s("A1", 9) + "</row>"])
    return standard_parts(workbook, [sheet_xml(rows), other], styles, shared, "libreoffice-source.xlsx")


def convert_with_libreoffice(source):
    soffice = shutil.which("soffice")
    if not soffice:
        print("soffice not found: libreoffice.xls and libreoffice.xlsx left as they are", file=sys.stderr)
        return
    with tempfile.TemporaryDirectory() as work:
        profile = "-env:UserInstallation=file://" + os.path.join(work, "profile")
        for ext, target in (("xls", "xls:MS Excel 97"), ("xlsx", "xlsx:Calc MS Excel 2007 XML")):
            subprocess.run([soffice, profile, "--headless", "--convert-to", target, "--outdir", work, source],
                           check=True, stdout=subprocess.DEVNULL)
            shutil.copyfile(os.path.join(work, "libreoffice-source." + ext), os.path.join(OUT, "libreoffice." + ext))


def no_workbook():
    """A package whose root relationship points at a workbook part it does not hold."""
    write_zip("no-workbook.xlsx", [
        ("[Content_Types].xml", content_types([])),
        ("_rels/.rels", rels([("rId1", DOC_REL, "xl/workbook.xml")])),
        ("docProps/app.xml", DECL + "<Properties/>"),
    ])


def malformed_sheet():
    """A well-formed package whose sheet part is cut off mid-element."""
    workbook = (DECL + '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="S" sheetId="1" r:id="rId1"/>'
                '</sheets></workbook>' % (MAIN_NS, REL_NS))
    write_zip("malformed-sheet.xlsx", [
        ("[Content_Types].xml", content_types([])),
        ("_rels/.rels", rels([("rId1", DOC_REL, "xl/workbook.xml")])),
        ("xl/workbook.xml", workbook),
        ("xl/_rels/workbook.xml.rels", rels([("rId1", SHEET_REL, "worksheets/sheet1.xml")])),
        ("xl/worksheets/sheet1.xml", DECL + '<worksheet xmlns="%s"><sheetData><row r="1"><c r="A1"><v>1</v>'
         % MAIN_NS),
    ])


def compound_file(streams):
    """A minimal compound document (version 3, 512-byte sectors) holding the given streams.

    Every stream is padded to at least 4096 bytes so that it lives in ordinary sectors.
    """
    sector = 512
    data = b""
    entries = []
    next_sector = 0
    for name, body in streams:
        body = body.ljust(4096, b"\0")
        count = (len(body) + sector - 1) // sector
        entries.append((name, next_sector, len(body), count))
        data += body.ljust(count * sector, b"\0")
        next_sector += count
    dir_sector = next_sector
    fat_sector = dir_sector + 1
    fat = []
    for _, start, _, count in entries:
        fat += [start + i + 1 for i in range(count - 1)] + [0xFFFFFFFE]
    fat += [0xFFFFFFFE, 0xFFFFFFFD]  # directory chain end, the FAT sector itself
    fat += [0xFFFFFFFF] * (128 - len(fat))

    def dir_entry(name, kind, start, size, left=0xFFFFFFFF, right=0xFFFFFFFF, child=0xFFFFFFFF):
        raw = name.encode("utf-16-le") + b"\0\0"
        out = raw.ljust(64, b"\0") + struct.pack("<HBB", len(raw), kind, 1)
        out += struct.pack("<III", left, right, child) + b"\0" * 16 + b"\0" * 4 + b"\0" * 16
        out += struct.pack("<III", start, size, 0)
        assert len(out) == 128
        return out

    directory = dir_entry("Root Entry", 5, 0xFFFFFFFE, 0, child=1)
    for i, (name, start, size, _) in enumerate(entries):
        right = i + 2 if i + 1 < len(entries) else 0xFFFFFFFF
        directory += dir_entry(name, 2, start, size, right=right)
    directory = directory.ljust(sector, b"\0")
    assert len(directory) == sector

    header = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 16
    header += struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
    header += struct.pack("<IIIIIIIII", 0, 1, dir_sector, 0, 4096, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0)
    header += struct.pack("<I", fat_sector) + struct.pack("<I", 0xFFFFFFFF) * 108
    assert len(header) == sector
    return header + data + directory + struct.pack("<128I", *fat)


def biff_record(kind, body=b""):
    return struct.pack("<HH", kind, len(body)) + body


def encrypted_files():
    """An encrypted OOXML package and a password-protected BIFF8 workbook."""
    package = compound_file([("EncryptionInfo", b"\x04\x00\x04\x00\x40\x00\x00\x00"),
                             ("EncryptedPackage", b"\x10\x00\x00\x00\x00\x00\x00\x00" + bytes(range(256)))])
    with open(os.path.join(OUT, "encrypted.xlsx"), "wb") as f:
        f.write(package)
    bof = biff_record(0x0809, struct.pack("<HHHHII", 0x0600, 0x0005, 0, 0, 0, 0))
    filepass = biff_record(0x002F, struct.pack("<HHH", 1, 1, 1) + b"\0" * 48)
    stream = bof + filepass + biff_record(0x000A)
    with open(os.path.join(OUT, "password.xls"), "wb") as f:
        f.write(compound_file([("Workbook", stream)]))


def main():
    os.makedirs(OUT, exist_ok=True)
    inline_prefixed()
    dates_1904()
    convert_with_libreoffice(libreoffice_source())
    no_workbook()
    malformed_sheet()
    encrypted_files()


if __name__ == "__main__":
    main()
