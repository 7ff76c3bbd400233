#include "goods/goods_formats.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "base/numbers.h"
#include "base/text.h"

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
    appendTsvField(out, field);
    return out;
}

void appendTsvField(std::string& out, std::string_view field)
{
    // Fields rarely hold a character to escape: the runs between go in whole.
    std::size_t run = 0;
    for (std::size_t i = 0; i < field.size(); ++i) {
        char code;
        switch (field[i]) {
        case '\t':
            code = 't';
            break;
        case '\n':
            code = 'n';
            break;
        case '\r':
            code = 'r';
            break;
        case '\\':
            code = '\\';
            break;
        default:
            continue;
        }
        out.append(field.data() + run, i - run);
        out += '\\';
        out += code;
        run = i + 1;
    }
    out.append(field.data() + run, field.size() - run);
}

void appendTsvLine(std::string& out, const GoodsRecord& record)
{
    appendTsvField(out, record.goodsId);
    out += '\t';
    appendTsvField(out, record.name);
    out += '\t';
    appendTsvField(out, formatNumber(record.price));
    out += '\t';
    appendTsvField(out, record.tagText);
    out += '\n';
}

std::string tsvLine(const GoodsRecord& record)
{
    std::string line;
    line.reserve(record.goodsId.size() + record.name.size() + record.tagText.size() + 32);
    appendTsvLine(line, record);
    return line;
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
    return format == GoodsFormat::Json ? jsonLine(record) : tsvLine(record);
}

void appendGoodsLine(std::string& out, const GoodsRecord& record, GoodsFormat format)
{
    if (format == GoodsFormat::Json)
        out += jsonLine(record);
    else
        appendTsvLine(out, record);
}

std::string formatGoods(const GoodsList& goods, GoodsFormat format, CsvEncoding encoding)
{
    if (format == GoodsFormat::Csv) {
        std::ostringstream bytes;
        writeCsv(bytes, goods, encoding);
        return std::move(bytes).str();
    }
    std::string text;
    for (const GoodsRecord& record : goods) {
        if (record.passesFilter != 0)
            appendGoodsLine(text, record, format);
    }
    return text;
}

} // namespace zorvane
