#include "basket/goods_tsv.h"

namespace zorvane::basket {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// \t, \n, \r, \\ and a control byte's \xHH back to the characters; any
// other backslash stays.
std::string unescapeField(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const char next = i + 1 < field.size() ? field[i + 1] : '\0';
        const char plain = next == 't'    ? '\t'
                           : next == 'n'  ? '\n'
                           : next == 'r'  ? '\r'
                           : next == '\\' ? '\\'
                                          : 0;
        const int high = next == 'x' && i + 3 < field.size() ? hexDigit(field[i + 2]) : -1;
        const int low = high >= 0 ? hexDigit(field[i + 3]) : -1;
        if (field[i] == '\\' && plain != 0) {
            out += plain;
            ++i;
        } else if (field[i] == '\\' && low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string_view> tabFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

} // namespace

GoodsTsv parseGoodsTsv(std::string_view text)
{
    GoodsTsv tsv;
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        // Files joined with cat keep each one's byte-order mark at the start of a line.
        if (line.starts_with(kByteOrderMark))
            line.remove_prefix(kByteOrderMark.size());
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const std::vector<std::string_view> fields = tabFields(line);
        if (fields.size() < 3) {
            tsv.fault = GoodsTsvFault{GoodsTsvFault::Kind::NotGoodsLine, lineNumber, ""};
            return tsv;
        }
        const std::optional<Cents> price = parseYuan(fields[2]);
        if (!price) {
            tsv.fault = GoodsTsvFault{GoodsTsvFault::Kind::BadPrice, lineNumber, std::string(fields[2])};
            return tsv;
        }
        tsv.goods.push_back({unescapeField(fields[0]), unescapeField(fields[1]), *price});
    }
    return tsv;
}

} // namespace zorvane::basket
