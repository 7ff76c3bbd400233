// A goods name from a shop on its ways to a terminal and a desktop notice:
// the tsv and JSON lines carry it back whole with no control character of
// their own, and a notice's body escaped for markup holds no tag.
#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "goods/goods_formats.h"
#include "notify/desktop_notifier.h"
#include "notify/price_notice.h"

namespace {

using namespace zorvane;

// Tab, LF, CR, backslash and \xHH back to their bytes.
std::string unescapeTsv(const std::string& field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            text += field[i];
            continue;
        }
        FUZZ_CHECK(i + 1 < field.size());
        const char next = field[++i];
        if (next == 'x') {
            FUZZ_CHECK(i + 2 < field.size());
            text += static_cast<char>(std::stoi(field.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            FUZZ_CHECK(next == 't' || next == 'n' || next == 'r' || next == '\\');
            text += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
        }
    }
    return text;
}

// No C0 control but the line's own tabs and its LF, no DEL, no C1 control.
bool showsAsWritten(const std::string& line)
{
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        const bool c1 =
            c == 0xC2 && i + 1 < line.size() && (static_cast<unsigned char>(line[i + 1]) & 0xE0) == 0x80;
        if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F || c1)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string name(reinterpret_cast<const char*>(data), size);
    GoodsRecord record;
    record.goodsId = "1001";
    record.name = name;
    record.price = 12.5;
    record.tagText = "自营";

    const std::string tsv = tsvLine(record);
    FUZZ_CHECK(showsAsWritten(tsv));
    FUZZ_CHECK(tsv.back() == '\n' && tsv.find('\n') == tsv.size() - 1);
    const std::vector<std::string> fields = splitText(tsv.substr(0, tsv.size() - 1), "\t");
    FUZZ_CHECK(fields.size() == 4);
    FUZZ_CHECK(unescapeTsv(fields[1]) == name);

    const std::string json = jsonLine(record);
    FUZZ_CHECK(showsAsWritten(json));
    const nlohmann::json object = nlohmann::json::parse(json);
    FUZZ_CHECK(object.at("name").get<std::string>() == sanitizeUtf8(name));

    SightingChange item;
    item.goods.name = name;
    item.walkPrice = 1;
    const std::optional<DesktopNotice> notice = priceNotice({item}, WatchRule{}, "优惠券 0");
    FUZZ_CHECK(notice.has_value());
    const std::string body = markupEscaped(notice->body);
    FUZZ_CHECK(body.find('<') == std::string::npos && body.find('>') == std::string::npos);
    FUZZ_CHECK(replaceAll(replaceAll(replaceAll(body, "&lt;", "<"), "&gt;", ">"), "&amp;", "&") ==
               notice->body);
    return 0;
}
