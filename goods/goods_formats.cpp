#include "goods/goods_formats.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "base/numbers.h"
#include "base/text.h"

namespace zorvane {

namespace {

// A C1 control character (U+0080 to U+009F) starts at i: terminals take
// some of them (U+009B, U+009D) as the start of a command, as they do ESC.
bool isC1Control(std::string_view text, std::size_t i)
{
    return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

bool isControl(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

void appendEscape(std::string& out, const char* format, unsigned char c)
{
    char code[8];
    std::snprintf(code, sizeof code, format, static_cast<unsigned>(c));
    out += code;
}

// JSON escapes quotes, backslash and every control character, so that a line
// shows on a terminal as it is written.
std::string jsonString(std::string_view raw)
{
    const std::string text = sanitizeUtf8(raw);
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += text[i];
        } else if (c == '\t' || c == '\n' || c == '\r') {
            out += c == '\t' ? "\\t" : c == '\n' ? "\\n" : "\\r";
        } else if (isControl(c)) {
            appendEscape(out, "\\u%04x", c);
        } else if (isC1Control(text, i)) {
            appendEscape(out, "\\u%04x", static_cast<unsigned char>(text[++i]));
        } else {
            out += text[i];
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
        const auto c = static_cast<unsigned char>(field[i]);
        const char* code;
        switch (c) {
        case '\t':
            code = "\\t";
            break;
        case '\n':
            code = "\\n";
            break;
        case '\r':
            code = "\\r";
            break;
        case '\\':
            code = "\\\\";
            break;
        default:
            if (!isControl(c) && !isC1Control(field, i))
                continue;
            code = nullptr;
        }
        out.append(field.data() + run, i - run);
        if (code) {
            out += code;
        } else {
            // Other control bytes reach no terminal as they are, each byte
            // of a C1 character escaped on its own.
            appendEscape(out, "\\x%02x", c);
            if (!isControl(c))
                appendEscape(out, "\\x%02x", static_cast<unsigned char>(field[++i]));
        }
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
