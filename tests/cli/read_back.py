# A csv's or a workbook's titles as Python's own readers (csv, openpyxl) see
# them, as UTF-8 lines; fails when a row is not what its file says.
import csv
import sys

kind, path = sys.argv[1], sys.argv[2]
if kind == "xlsx":
    import openpyxl
    sheet = openpyxl.load_workbook(path).active
    rows = [list(row) for row in sheet.iter_rows(values_only=True)]
    assert sheet.freeze_panes == "A2" and sheet["A1"].font.b and sheet.column_dimensions["B"].width >= 10
    assert all(isinstance(row[0], int) and isinstance(row[2], int) for row in rows[1:])
else:
    with open(path, encoding="gbk" if kind == "csv-gbk" else "utf-8-sig", newline="") as f:
        rows = list(csv.reader(f))
assert rows[0] == ["序号", "标题", "字节数"], rows[0]
for number, (index, title, size) in enumerate(rows[1:]):
    assert int(index) == number and int(size) == len(title.encode("gbk")), (index, title, size)
sys.stdout.write("".join(row[1] + "\n" for row in rows[1:]))
