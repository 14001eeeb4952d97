# Prints what a spreadsheet program would find in a workbook, one fact a line, tab-separated:
#   sheet NAME / freeze CELL / width COLUMN WIDTH / cell REF TYPE VALUE FORMAT BOLD FILL COMMENT
# Tabs and line breaks inside a value become blanks.
import sys

import openpyxl


def plain(value):
    if value is None:
        return ""
    if hasattr(value, "isoformat"):
        return value.isoformat()
    return str(value).replace("\t", " ").replace("\r", " ").replace("\n", " ")


book = openpyxl.load_workbook(sys.argv[1])
for sheet in book.worksheets:
    print("sheet\t" + plain(sheet.title))
    print("freeze\t" + plain(sheet.freeze_panes))
    for letter, dimension in sorted(sheet.column_dimensions.items()):
        if dimension.width:
            print("width\t%s\t%s" % (letter, dimension.width))
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None and cell.fill.fill_type is None and cell.comment is None:
                continue
            fill = cell.fill.fgColor.rgb if cell.fill.fill_type == "solid" else ""
            comment = cell.comment.text if cell.comment else ""
            print("\t".join(["cell", cell.coordinate, cell.data_type, plain(cell.value), cell.number_format,
                             "1" if cell.font.b else "0", plain(fill), plain(comment)]))
