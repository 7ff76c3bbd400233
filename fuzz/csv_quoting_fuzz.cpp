// CSV field quoting and the whole export text, read back by an independent
// CSV reader: every field comes back exactly as written (in GBK).
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "base/gbk.h"
#include "base/numbers.h"
#include "base/text.h"
#include "fuzz/csv_reader.h"
#include "fuzz/fuzz_check.h"
#include "goods/csv_export.h"

namespace {

using namespace zorvane;

// Records from the input: tab-separated name, id, price and tag text, four
// pieces a record; a record whose name is odd in length is filtered out.
GoodsList recordsOf(const std::string& text)
{
    GoodsList goods;
    const std::vector<std::string> pieces = splitText(text, "\t");
    for (std::size_t i = 0; i < pieces.size(); i += 4) {
        auto piece = [&](std::size_t k) { return i + k < pieces.size() ? pieces[i + k] : std::string(); };
        GoodsRecord record;
        record.name = piece(0);
        record.goodsId = piece(1);
        record.price = parseNumber(piece(2));
        record.tagText = piece(3);
        record.passesFilter = record.name.size() % 2 == 0 ? 1 : 0;
        goods.push_back(std::move(record));
    }
    return goods;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text = sanitizeUtf8(std::string_view(reinterpret_cast<const char*>(data), size));

    // One field alone.
    const std::optional<std::vector<fuzz::CsvRow>> single = fuzz::readCsv(quoteCsvField(text));
    FUZZ_CHECK(single && single->size() == 1 && single->front().size() == 1);
    FUZZ_CHECK(single->front().front() == text);

    // The whole file.
    const GoodsList goods = recordsOf(text);
    std::ostringstream out;
    writeCsv(out, goods);
    const std::string bytes = out.str();
    FUZZ_CHECK(endsWith(bytes, "\r\n"));
    const std::optional<std::vector<fuzz::CsvRow>> rows = fuzz::readCsv(bytes);
    FUZZ_CHECK(rows.has_value());
    FUZZ_CHECK(!rows->empty());
    FUZZ_CHECK(rows->front() == (fuzz::CsvRow{utf8ToGbk("名称"), utf8ToGbk("商品ID"), utf8ToGbk("价格"),
                                              utf8ToGbk("商品标签")}));
    std::size_t row = 1;
    for (const GoodsRecord& record : goods) {
        if (record.passesFilter == 0)
            continue;
        FUZZ_CHECK(row < rows->size());
        const fuzz::CsvRow expected{utf8ToGbk(record.name), utf8ToGbk(record.goodsId),
                                    formatNumber(record.price), utf8ToGbk(record.tagText)};
        FUZZ_CHECK((*rows)[row] == expected);
        ++row;
    }
    FUZZ_CHECK(row == rows->size());
    return 0;
}
