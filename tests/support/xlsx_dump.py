"""Prints what a spreadsheet program sees in an .xlsx workbook, one fact a
line, tab-separated, for the tests to compare: the sheets, the frozen cell,
the filter range, the column widths, then each cell (type, bold, number
format, hyperlink, value). Run with Debian's python3 and python3-openpyxl."""
import sys

import openpyxl


def main(path):
    book = openpyxl.load_workbook(path)
    for name in book.sheetnames:
        print("sheet\t" + name)
    sheet = book[book.sheetnames[0]]
    print("freeze\t" + str(sheet.freeze_panes or ""))
    print("filter\t" + str(sheet.auto_filter.ref or ""))
    for letter, dimension in sorted(sheet.column_dimensions.items()):
        print("width\t%s\t%g" % (letter, dimension.width))
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None:
                continue
            link = cell.hyperlink.target if cell.hyperlink else ""
            value = "%.10g" % cell.value if cell.data_type == "n" else str(cell.value)
            print("\t".join(["cell", cell.coordinate, cell.data_type, "bold" if cell.font.b else "",
                             cell.number_format, link or "", value]))


if __name__ == "__main__":
    main(sys.argv[1])
