#pragma once

#include <map>
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
    std::map<std::string, XlsxCell> cells; // by coordinate ("B2")
};

// The first sheet of the workbook as openpyxl (an independent reader from
// Debian's python3-openpyxl) reads it.
XlsxBook readXlsx(const std::string& path);

} // namespace zorvane::test
