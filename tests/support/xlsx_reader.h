#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace zorvane::test {

// One cell as a spreadsheet program reads it.
struct XlsxCell
{
    std::string type; // "s" text, "n" number
    bool bold = false;
    std::string format; // the number format
    std::string link;   // the hyperlink's target
    std::string value;  // numbers as "%.10g"
};

struct XlsxBook
{
    std::string failure; // the reader's complaint; "" when the file was read
    std::vector<std::string> sheets;
    std::string frozenAt;   // the first cell below and right of the frozen panes
    std::string filterOver; // the auto-filter's range
    std::map<std::string, double> widths;
    std::map<std::string, XlsxCell> cells; // by coordinate ("B2"; "商品 2!B2" past the first sheet)
};

// A sheet's rows (the header's too) and links, in the order of the sheets.
struct XlsxSheetSize
{
    int rows = 0;
    int links = 0;

    bool operator==(const XlsxSheetSize&) const = default;
};

inline void PrintTo(const XlsxSheetSize& size, std::ostream* out)
{
    *out << size.rows << " rows, " << size.links << " links";
}

// The sizes of the workbook's sheets, read fast enough for a large one; none
// when it cannot be read.
std::vector<XlsxSheetSize> readXlsxSizes(const std::string& path);

// The workbook as openpyxl (an independent reader from
// Debian's python3-openpyxl) reads it.
XlsxBook readXlsx(const std::string& path);

} // namespace zorvane::test
