#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into tests/fuzz/corpus/<target>/.

Seeds come from the committed fixtures, the damaged-workbook corpus and the workbooks of
other writers (tests/fixtures/foreign), in the form of each workbook target that reaches
the XML and record readers without passing a container the fuzzer cannot mutate soundly:
the parts of a package cut apart by zero bytes (xlsx) and the bare workbook stream (xls).
The whole files are seeds as they are: scripts/fuzz hands tests/fixtures to the workbook
targets beside their corpus. The date and number text
targets get the spellings the readers know.

  scripts/make-fuzz-corpus.py              writes every seed as "seed-<what it is>";
  scripts/make-fuzz-corpus.py BIN [FOUND]  keeps only the seeds that add coverage, by the
                                           fuzz targets in BIN (build-fuzz/bin), and the
                                           small inputs of FOUND/<target>/ (what `make fuzz`
                                           found, build-fuzz/fuzz-corpus) that add more.
Inputs kept for a fault that was fixed are named "regression-<what>" and never removed.
"""

import os
import struct
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..")
FIXTURES = os.path.join(ROOT, "tests", "fixtures")
CORPUS = os.path.join(ROOT, "tests", "fuzz", "corpus")
LARGEST_SEED = 6 * 1024  # keeps the committed corpus small and the fuzzer's inputs short

# The parts in the order the xlsx target reads them from a cut-apart input.
PARTS = ["xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/styles.xml", "xl/workbook.xml",
         "xl/_rels/workbook.xml.rels", "_rels/.rels"]

DATE_TEXTS = [
    "2025-04-10", "2025-04-10 13:30:00", "2025-04-10T13:30:00", "2025-04-10T13:30:00.250Z",
    "2025-04-10T13:30:00+05:30", "2025-04-10T13:30-0330", "10:10:10", "T10:10", "23:59:59.999",
    "10/04/2025", "10-04-2025", "10.04.25", "1/4/99", "10-Apr-2025", "10 April 2025", "April 10, 2025",
    "SEPT 3 2024", "10/04/2025 1:30 PM", "10/04/2025 12:00:00 am", "29/02/2024", "29/02/2023",
    "1900-02-29", "0099-12-31", "9999-12-31 23:59:59", "  2025-04-10  ", "2025-13-01", "24:00:00",
    "2025-04-10T", "31/04/2025", "Apr", "",
]

NUMBER_TEXTS = [
    "1250.50", "-1,25,000.50", "+ 12 34.5", "1.5E+3", "1D-2", ".5", "-.", "1e999", "-1e-999",
    "0.000000123456789012346", "12345678901234567890", "1,2,3", "12abc", "  ", "&H1F", "1.7976931348623157e308",
    "dd/mm/yyyy", "[h]:mm:ss", "\"Day \"0", "0.00;[Red]-0.00", "yyyy\\-mm\\-dd", "_(* #,##0_)", "[$-409]mmm-yy",
]


SEEDS = CORPUS  # where write() puts the seeds; a scratch folder when they are merged
LARGEST_FOUND = 384  # what a search found is kept when it is this small


def write(target, name, data):
    if len(data) > LARGEST_SEED:
        return
    with open(os.path.join(SEEDS, target, "seed-" + name), "wb") as f:
        f.write(data)


def merge(bin_dir, target, sources, max_len):
    """Adds to the committed corpus what the sources add to its coverage, smaller inputs first."""
    import subprocess
    subprocess.run([os.path.join(bin_dir, "fuzz_" + target), "-merge=1", "-max_len=%d" % max_len,
                    os.path.join(CORPUS, target)] + sources,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)


def workbooks(extension):
    for folder in (FIXTURES, os.path.join(FIXTURES, "damaged"), os.path.join(FIXTURES, "foreign")):
        for name in sorted(os.listdir(folder)):
            if name.endswith(extension):
                with open(os.path.join(folder, name), "rb") as f:
                    yield name, f.read()


def xlsx_parts(data):
    """The parts of a package in the xlsx target's order, cut apart by zero bytes; None when unreadable."""
    import io
    try:
        with zipfile.ZipFile(io.BytesIO(data)) as z:
            names = {n.replace("\\", "/").lower(): n for n in z.namelist()}
            out = []
            for part in PARTS:
                real = names.get(part.lower())
                out.append(z.read(real) if real else b"")
            return b"\0".join(out)
    except (zipfile.BadZipFile, OSError, EOFError, ValueError, NotImplementedError, KeyError, zlib.error):
        return None


def cfb_stream(data, wanted=("workbook", "book")):
    """The workbook stream of a compound document; None when it cannot be read."""
    try:
        if data[:8] != b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1":
            return None
        size = 1 << struct.unpack_from("<H", data, 30)[0]
        fat_count, directory = struct.unpack_from("<II", data, 44)
        cutoff, mini_fat_start = struct.unpack_from("<II", data, 56)
        fat = []
        for i in range(min(fat_count, 109)):
            sector = struct.unpack_from("<I", data, 76 + 4 * i)[0]
            fat += struct.unpack_from("<%dI" % (size // 4), data, (sector + 1) * size)

        def chain(start, table, sector_size, source, offset):
            out, seen = b"", 0
            while start < 0xFFFFFFFA and seen <= len(table):
                out += source[offset + start * sector_size: offset + (start + 1) * sector_size]
                start, seen = table[start], seen + 1
            return out

        entries = chain(directory, fat, size, data, size)
        root = entries[:128]
        mini = chain(struct.unpack_from("<I", root, 116)[0], fat, size, data, size)
        raw_mini_fat = chain(mini_fat_start, fat, size, data, size)
        mini_fat = list(struct.unpack_from("<%dI" % (len(raw_mini_fat) // 4), raw_mini_fat))
        for at in range(0, len(entries), 128):
            e = entries[at:at + 128]
            length = struct.unpack_from("<H", e, 64)[0]
            name = e[:max(0, length - 2)].decode("utf-16-le", "replace").lower()
            if e[66] == 2 and name in wanted:
                start, stream_size = struct.unpack_from("<II", e, 116)
                if stream_size < cutoff:
                    return chain(start, mini_fat, 64, mini, 0)[:stream_size]
                return chain(start, fat, size, data, size)[:stream_size]
    except (struct.error, IndexError):
        return None
    return None


TARGETS = ("xlsx", "xls", "date_text", "number_text")


def main():
    global SEEDS
    import shutil
    import sys
    import tempfile
    bin_dir = sys.argv[1] if len(sys.argv) > 1 else None
    found = sys.argv[2] if len(sys.argv) > 2 else None
    scratch = tempfile.mkdtemp() if bin_dir else None
    if scratch:
        SEEDS = scratch
    for target in TARGETS:
        folder = os.path.join(CORPUS, target)
        os.makedirs(folder, exist_ok=True)
        os.makedirs(os.path.join(SEEDS, target), exist_ok=True)
        for old in os.listdir(folder):
            if not old.startswith("regression-"):
                os.remove(os.path.join(folder, old))
    write_seeds()
    if scratch:
        for target in TARGETS:
            merge(bin_dir, target, [os.path.join(scratch, target)], LARGEST_SEED)
            if found and os.path.isdir(os.path.join(found, target)):
                merge(bin_dir, target, [os.path.join(found, target)], LARGEST_FOUND)
        shutil.rmtree(scratch)


def write_seeds():
    for name, data in workbooks(".xlsx"):
        stem = name[:-5]
        # The damaged copies differ from their original in a few bytes: one seed of each form does.
        parts = xlsx_parts(data) if not stem.startswith("any-") else None
        if parts is not None:
            write("xlsx", "parts-" + stem, parts)
    for name, data in workbooks(".xls"):
        stem = name[:-4]
        stream = cfb_stream(data) if not stem.startswith("any-") else None
        if stream:
            write("xls", "stream-" + stem, stream)
    for i, text in enumerate(DATE_TEXTS):
        write("date_text", "%02d" % i, text.encode("utf-8"))
    for i, text in enumerate(NUMBER_TEXTS):
        write("number_text", "%02d" % i, text.encode("utf-8"))


if __name__ == "__main__":
    main()
