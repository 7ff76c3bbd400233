"""Prints what a spreadsheet program sees in an .xlsx workbook, one fact a
line, tab-separated, for the tests to compare: the sheets, the frozen cell,
the filter range, the column widths, then each cell (type, bold, number
format, hyperlink, value), those of later sheets as "SHEET!A1". Run with
Debian's python3 and python3-openpyxl."""
import re
import sys
import zipfile

import openpyxl


def sizes(path):
    """Rows and links of each sheet, counted in the sheets' own XML: for
    workbooks too large for openpyxl to load in a test's time."""
    with zipfile.ZipFile(path) as book:
        names = sorted((n for n in book.namelist() if re.fullmatch(r"xl/worksheets/sheet\d+\.xml", n)),
                       key=lambda n: int(re.search(r"\d+", n).group()))
        for name in names:
            xml = book.read(name).decode("utf-8")
            print("size\t%d\t%d" % (xml.count("<row "), xml.count("<hyperlink ")))


def main(path):
    book = openpyxl.load_workbook(path)
    for name in book.sheetnames:
        print("sheet\t" + name)
    sheet = book[book.sheetnames[0]]
    print("freeze\t" + str(sheet.freeze_panes or ""))
    print("filter\t" + str(sheet.auto_filter.ref or ""))
    for letter, dimension in sorted(sheet.column_dimensions.items()):
        print("width\t%s\t%g" % (letter, dimension.width))
    for index, name in enumerate(book.sheetnames):
        cells(book[name], "" if index == 0 else name + "!")


def cells(sheet, prefix):
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None:
                continue
            link = cell.hyperlink.target if cell.hyperlink else ""
            value = "%.10g" % cell.value if cell.data_type == "n" else str(cell.value)
            print("\t".join(["cell", prefix + cell.coordinate, cell.data_type, "bold" if cell.font.b else "",
                             cell.number_format, link or "", value]))


if __name__ == "__main__":
    if sys.argv[1] == "--sizes":
        sizes(sys.argv[2])
    else:
        main(sys.argv[1])
