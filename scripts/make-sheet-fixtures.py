#!/usr/bin/python3
"""Makes the spreadsheet files the reader tests open, with programs other than ours.

Run once with Debian's python (python3-xlwt, python3-openpyxl); the files it writes are
committed under tests/data/spreadsheets/. With LibreOffice on PATH it also converts the
openpyxl workbook to .xls and .xlsx, so the readers meet that program's output too.
"""
import io
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

import openpyxl
import xlwt
from xlwt.CompoundDoc import XlsDoc

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "spreadsheets")

HEADER = ["序号", "手机号", "姓名", "备注"]
# Phones are numbers in the workbooks, as a spreadsheet program stores typed digits.
ROWS = [
    [1, 13800138000, "张三", "一等奖候选"],
    [2, 13912345678, "  李四 ", 'say "hi", ok'],
    [3, 15000000001, "王五", "line1\nline2"],
    [4, 18612345678, "", "no name"],
]


def write_xls():
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("名单")
    for c, text in enumerate(HEADER):
        sheet.write(0, c, text)
    for r, row in enumerate(ROWS, start=1):
        for c, value in enumerate(row):
            if value != "":
                sheet.write(r, c, value)
    # Other value kinds, in row 7: a fraction, a negative number, a boolean, a big whole number.
    sheet.write(6, 0, 3.25)
    sheet.write(6, 1, -7)
    sheet.write(6, 2, True)
    sheet.write(6, 3, 1e20)
    # A second sheet that the import must not read.
    book.add_sheet("其他").write(0, 0, "not me")
    book.save(os.path.join(OUT, "participants.xls"))
    return book


def write_password_xls(book):
    """An .xls whose workbook stream announces RC4 encryption (a FILEPASS record after BOF)."""
    stream = bytearray(book.get_biff_data())
    filepass = struct.pack("<HH", 0x002F, 54) + struct.pack("<HHH", 1, 1, 1) + bytes(range(48))
    bof_len = struct.unpack_from("<H", stream, 2)[0]
    at = 4 + bof_len
    stream[at:at] = filepass
    # Sheet positions in BOUNDSHEET records move by the inserted bytes.
    pos = 0
    while pos < len(stream):
        kind, length = struct.unpack_from("<HH", stream, pos)
        if kind == 0x0085:
            offset = struct.unpack_from("<I", stream, pos + 4)[0]
            struct.pack_into("<I", stream, pos + 4, offset + len(filepass))
        if kind == 0x000A:
            break
        pos += 4 + length
    XlsDoc().save(os.path.join(OUT, "password.xls"), bytes(stream))


def write_encrypted_xlsx():
    """What Office saves for a password-protected .xlsx: an OLE2 file with the streams
    EncryptionInfo and EncryptedPackage instead of a ZIP package. xlwt's container writer
    names its one stream Workbook; the directory entry is renamed afterwards."""
    path = os.path.join(OUT, "encrypted.xlsx")
    XlsDoc().save(path, bytes(range(256)) * 20)
    with open(path, "rb") as f:
        data = bytearray(f.read())
    old = "Workbook".encode("utf-16-le")
    new = "EncryptedPackage".encode("utf-16-le")
    at = data.index(old)
    data[at:at + 64] = (new + b"\0\0").ljust(64, b"\0")
    struct.pack_into("<H", data, at + 64, len(new) + 2)
    with open(path, "wb") as f:
        f.write(data)


def write_xlsx():
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "名单"
    sheet.append(HEADER)
    for row in ROWS:
        sheet.append([None if v == "" else v for v in row])
    sheet.append([3.25, -7, True, 1e20])
    book.create_sheet("其他")["A1"] = "not me"
    path = os.path.join(OUT, "participants.xlsx")
    book.save(path)
    return path


def write_shared_xlsx(source):
    """The openpyxl workbook with its inline strings moved into a shared string table, the
    first one made of rich runs plus a phonetic reading (as Excel stores a name typed with an
    input method)."""
    with zipfile.ZipFile(source) as z:
        parts = {name: z.read(name) for name in z.namelist()}
    sheet = parts["xl/worksheets/sheet1.xml"].decode("utf-8")
    pattern = re.compile(r'<c r="([A-Z]+[0-9]+)"([^>]*) t="inlineStr"><is>(<t[^>]*>.*?</t>)</is></c>', re.S)
    items = []

    def to_shared(match):
        items.append("<si>" + match.group(3) + "</si>")
        return '<c r="%s"%s t="s"><v>%d</v></c>' % (match.group(1), match.group(2), len(items) - 1)

    parts["xl/worksheets/sheet1.xml"] = pattern.sub(to_shared, sheet).encode("utf-8")
    items[0] = ('<si><r><rPr><b/></rPr><t>序</t></r><r><t xml:space="preserve">号</t></r>'
                '<rPh sb="0" eb="2"><t>xu hao</t></rPh><phoneticPr fontId="1"/></si>')
    parts["xl/sharedStrings.xml"] = (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="%d" uniqueCount="%d">%s</sst>'
        % (len(items), len(items), "".join(items))).encode("utf-8")
    rels = parts["xl/_rels/workbook.xml.rels"].decode("utf-8")
    parts["xl/_rels/workbook.xml.rels"] = rels.replace("</Relationships>", (
        '<Relationship Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" '
        'Target="sharedStrings.xml" Id="rId99"/></Relationships>')).encode("utf-8")
    types = parts["[Content_Types].xml"].decode("utf-8")
    parts["[Content_Types].xml"] = types.replace("</Types>", (
        '<Override PartName="/xl/sharedStrings.xml" ContentType="application/'
        'vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>')).encode("utf-8")
    with zipfile.ZipFile(os.path.join(OUT, "shared.xlsx"), "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in parts.items():
            z.writestr(name, data)


CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/data.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
</Types>"""
ROOT_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>"""
# The first sheet in the workbook is the second relationship, stored in a part not named sheet1.
WORKBOOK = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="名单" sheetId="7" r:id="rId9"/><sheet name="other" sheetId="1" r:id="rId1"/></sheets>
</workbook>"""
WORKBOOK_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/other.xml"/>
<Relationship Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/data.xml"/>
</Relationships>"""
# Inline strings only, rows out of order, a row (the 2nd) and cells without references, formula
# results, an error, a boolean, numbers written in exponent form, an escaped control char.
SHEET = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<dimension ref="A1:XFD1048576"/>
<sheetData>
<row r="3"><c r="C3" t="inlineStr"><is><t>张三</t></is></c><c r="B3"><v>1.3800138E10</v></c></row>
<row r="1"><c r="A1" t="inlineStr"><is><t xml:space="preserve"> 序号 </t></is></c><c r="B1" t="inlineStr"><is><r><t>手机</t></r><r><t>号</t></r><rPh><t>x</t></rPh></is></c></row>
<row><c t="inlineStr"><is><t>a_x000D_b</t></is></c><c t="b"><v>1</v></c><c t="b"><v>0</v></c><c t="e"><v>#DIV/0!</v></c></row>
<row r="5"><c r="A5" t="str"><f>"x"&amp;"y"</f><v>xy</v></c><c r="B5"><f>1/3</f><v>0.33333333333333331</v></c><c r="C5" s="1"/><c r="D5"><v>-0</v></c></row>
<row r="1048576"><c r="XFD1048576" t="inlineStr"><is><t>far</t></is></c></row>
</sheetData>
</worksheet>"""
OTHER = """<?xml version="1.0" encoding="UTF-8"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>
<row r="1"><c r="A1" t="inlineStr"><is><t>not me</t></is></c></row></sheetData></worksheet>"""


def write_handmade_xlsx():
    with zipfile.ZipFile(os.path.join(OUT, "inline.xlsx"), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", ROOT_RELS)
        z.writestr("xl/workbook.xml", WORKBOOK)
        z.writestr("xl/_rels/workbook.xml.rels", WORKBOOK_RELS)
        z.writestr("xl/worksheets/data.xml", SHEET)
        z.writestr("xl/worksheets/other.xml", OTHER)


CSV_ROWS = [
    ["序号", "手机号", "姓名", "备注"],
    ["1", "13800138000", "张三", "一等奖候选"],
    ["2", "13912345678", "  李四 ", 'say "hi", ok'],
    ["3", "15000000001", "王五", "line1\r\nline2"],
]


def csv_text(rows, newline):
    def field(text):
        if any(ch in text for ch in ',"\r\n'):
            return '"' + text.replace('"', '""') + '"'
        return text
    return "".join(",".join(field(t) for t in row) + newline for row in rows)


def write_csvs():
    with open(os.path.join(OUT, "utf8-bom.csv"), "wb") as f:
        f.write(b"\xef\xbb\xbf" + csv_text(CSV_ROWS, "\r\n").encode("utf-8"))
    # As a Chinese Windows program saves it: GBK, LF line ends, no final line end.
    with open(os.path.join(OUT, "gbk.csv"), "wb") as f:
        f.write(csv_text(CSV_ROWS, "\n").rstrip("\n").encode("gbk"))


def write_formulas_xlsx(path):
    """Formula cells without cached results; LibreOffice computes them when converting."""
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.append(['="x"&"y"', "=1/3", "=1=1", "=1/0"])
    sheet.append([13800138000, "=A2", '=A2&""', "=1=2"])
    book.save(path)


def convert_with_libreoffice(source):
    soffice = shutil.which("soffice") or shutil.which("libreoffice")
    if not soffice:
        print("LibreOffice not installed: libreoffice*.xls/.xlsx not made")
        return
    with tempfile.TemporaryDirectory() as tmp:
        formulas = os.path.join(tmp, "formulas.xlsx")
        write_formulas_xlsx(formulas)
        jobs = ((source, "xls:MS Excel 97", "libreoffice.xls"),
                (source, "xlsx:Calc MS Excel 2007 XML", "libreoffice.xlsx"),
                (formulas, "xls:MS Excel 97", "formulas.xls"))
        for job_source, fmt, name in jobs:
            out = os.path.join(tmp, "out")
            subprocess.run([soffice, "--headless", "-env:UserInstallation=file://" + tmp + "/profile",
                            "--convert-to", fmt, "--outdir", out, job_source], check=True, capture_output=True)
            produced = os.path.join(out, os.path.splitext(os.path.basename(job_source))[0] + "." + fmt.split(":")[0])
            shutil.move(produced, os.path.join(OUT, name))


def write_fuzz_seeds(book):
    """Seeds for the fuzz targets: the fixtures, and the workbooks again with stored (not
    deflated) entries so that mutations reach the XML instead of breaking the compression."""
    corpus = os.path.join(OUT, "..", "..", "..", "fuzz", "corpus")
    seeds = {"fuzz_xls": ["participants.xls", "password.xls", "libreoffice.xls", "formulas.xls"],
             "fuzz_xlsx": ["inline.xlsx", "shared.xlsx"],
             "fuzz_csv": ["utf8-bom.csv", "gbk.csv"]}
    for target, names in seeds.items():
        os.makedirs(os.path.join(corpus, target), exist_ok=True)
        for name in names:
            shutil.copy(os.path.join(OUT, name), os.path.join(corpus, target, name))
    # A bare workbook stream, as fuzz_xls also feeds its input to the BIFF parser directly.
    with open(os.path.join(corpus, "fuzz_xls", "xlwt-stream.bin"), "wb") as f:
        f.write(book.get_biff_data())
    for name in ("inline.xlsx", "shared.xlsx"):
        with zipfile.ZipFile(os.path.join(OUT, name)) as source:
            parts = {n: source.read(n) for n in source.namelist() if not n.startswith(("docProps", "xl/theme"))}
        with zipfile.ZipFile(os.path.join(corpus, "fuzz_xlsx", "stored-" + name), "w", zipfile.ZIP_STORED) as z:
            for n, data in parts.items():
                z.writestr(n, data)


def main():
    os.makedirs(OUT, exist_ok=True)
    book = write_xls()
    write_password_xls(book)
    write_encrypted_xlsx()
    xlsx = write_xlsx()
    write_shared_xlsx(xlsx)
    write_handmade_xlsx()
    write_csvs()
    convert_with_libreoffice(xlsx)
    write_fuzz_seeds(book)
    return 0


if __name__ == "__main__":
    sys.exit(main())
