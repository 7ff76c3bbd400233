#include "tests/support/xlsx_reader.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace zorvane::test {

namespace {

std::vector<std::string> fieldsOf(const std::string& line, std::size_t most)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (fields.size() + 1 < most) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string::npos)
            break;
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

void take(XlsxBook& book, const std::string& line)
{
    const std::vector<std::string> f = fieldsOf(line, 7);
    if (f[0] == "sheet" && f.size() == 2)
        book.sheets.push_back(f[1]);
    else if (f[0] == "freeze" && f.size() == 2)
        book.frozenAt = f[1];
    else if (f[0] == "filter" && f.size() == 2)
        book.filterOver = f[1];
    else if (f[0] == "width" && f.size() == 3)
        book.widths[f[1]] = std::atof(f[2].c_str());
    else if (f[0] == "cell" && f.size() == 7)
        book.cells[f[1]] = XlsxCell{f[2], f[3] == "bold", f[4], f[5], f[6]};
    else
        book.failure += line + "\n";
}

// The dump's lines; none when it could not run.
std::vector<std::string> dumpLines(const std::string& arguments)
{
    // Debian's interpreter, which has python3-openpyxl, not whichever is first on PATH.
    const std::string command = "/usr/bin/python3 '" ZORVANE_XLSX_DUMP "' " + arguments + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), &::pclose);
    if (!pipe)
        return {"cannot run " + command};
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        text.append(buffer, n);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

} // namespace

XlsxBook readXlsx(const std::string& path)
{
    XlsxBook book;
    for (const std::string& line : dumpLines("'" + path + "'"))
        take(book, line);
    return book;
}

std::vector<XlsxSheetSize> readXlsxSizes(const std::string& path)
{
    std::vector<XlsxSheetSize> sizes;
    for (const std::string& line : dumpLines("--sizes '" + path + "'")) {
        const std::vector<std::string> f = fieldsOf(line, 3);
        if (f.size() != 3 || f[0] != "size")
            return {};
        sizes.push_back({std::atoi(f[1].c_str()), std::atoi(f[2].c_str())});
    }
    return sizes;
}

} // namespace zorvane::test
