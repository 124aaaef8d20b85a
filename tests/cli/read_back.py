# Reads titles back from a csv, a list or a workbook with Python's own
# readers (csv, openpyxl), never the program's, and prints them as UTF-8,
# one a line; exits 1 when a row is not what its file says.
import csv
import sys

kind, path = sys.argv[1], sys.argv[2]
titles = []
if kind in ("csv-gbk", "csv-utf-8"):
    encoding = "gbk" if kind == "csv-gbk" else "utf-8-sig"
    with open(path, encoding=encoding, newline="") as f:
        rows = list(csv.reader(f))
    assert rows[0] == ["序号", "标题", "字节数"], rows[0]
    for number, (index, title, size) in enumerate(rows[1:]):
        assert int(index) == number and int(size) == len(title.encode("gbk")), (index, title, size)
        titles.append(title)
    if kind == "csv-utf-8":
        assert open(path, "rb").read(3) == b"\xef\xbb\xbf"
elif kind == "xlsx":
    import openpyxl
    sheet = openpyxl.load_workbook(path).active
    rows = list(sheet.iter_rows(values_only=True))
    assert list(rows[0]) == ["序号", "标题", "字节数"] and sheet.freeze_panes == "A2" and sheet["A1"].font.b
    assert sheet.column_dimensions["B"].width >= 10
    for number, (index, title, size) in enumerate(rows[1:]):
        assert index == number and isinstance(size, int) and size == len(title.encode("gbk")), (index, title, size)
        titles.append(title)
elif kind == "lo-csv":  # LibreOffice's csv of a workbook, UTF-8
    with open(path, encoding="utf-8", newline="") as f:
        rows = list(csv.reader(f))
    titles = [row[1] for row in rows[1:]]
sys.stdout.write("".join(t + "\n" for t in titles))
