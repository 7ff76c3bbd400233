#include "goods/goods_formats.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "core/numbers.h"
#include "core/text.h"

namespace zorvane {

namespace {

// JSON escapes tab, LF, CR and backslash as tsv does, and quotes and the other
// control characters on top.
std::string jsonString(std::string_view text)
{
    const std::string escaped = escapeTsvField(sanitizeUtf8(text));
    std::string out = "\"";
    out.reserve(escaped.size() + 2);
    for (char c : escaped) {
        if (c == '"') {
            out += "\\\"";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(c));
            out += code;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

} // namespace

std::string escapeTsvField(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (char c : field) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string tsvLine(const GoodsRecord& record)
{
    return escapeTsvField(record.goodsId) + '\t' + escapeTsvField(record.name) + '\t' +
           escapeTsvField(formatNumber(record.price)) + '\t' + escapeTsvField(record.tagText) + '\n';
}

std::string jsonLine(const GoodsRecord& record)
{
    std::string line = "{\"goodsId\":" + jsonString(record.goodsId) + ",\"name\":" + jsonString(record.name) +
                       ",\"price\":" + (std::isfinite(record.price) ? formatNumber(record.price) : "null") +
                       ",\"tags\":[";
    for (std::size_t i = 0; i < record.tags.size(); ++i) {
        if (i > 0)
            line += ',';
        line += jsonString(record.tags[i]);
    }
    line += "]}\n";
    return line;
}

std::string goodsLine(const GoodsRecord& record, GoodsFormat format)
{
    return format == GoodsFormat::json ? jsonLine(record) : tsvLine(record);
}

std::string formatGoods(const GoodsList& goods, GoodsFormat format, CsvEncoding encoding)
{
    if (format == GoodsFormat::csv) {
        std::ostringstream bytes;
        writeCsv(bytes, goods, encoding);
        return std::move(bytes).str();
    }
    std::string text;
    for (const GoodsRecord& record : goods) {
        if (record.passesFilter != 0)
            text += goodsLine(record, format);
    }
    return text;
}

} // namespace zorvane
