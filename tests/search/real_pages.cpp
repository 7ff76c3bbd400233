#include "real_pages.h"

#include <fstream>
#include <iterator>

#include "search/page_analysis.h"

namespace zorvane::testing {

const std::vector<std::string>& realPageNames()
{
    static const std::vector<std::string> names = {
        "2016-03-fragment.html", "2016-03-raw.html",      "2016-09-rewritten.html", "2019-03-dom.html",
        "2019-04-dom.html",      "2020-07-fragment.html", "2021-02-raw.html",       "2022-09-dom-cr.html",
        "2023-06-raw.html",      "2023-07-raw-a.html",    "2023-07-raw-b.html",     "2024-05-dom.html",
    };
    return names;
}

std::string readRealPageBytes(const std::string& name)
{
    std::ifstream in(std::string(ZORVANE_TEST_DATA) + "/realpages/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string readRealPage(const std::string& name)
{
    return pageTextFromBody(readRealPageBytes(name));
}

std::vector<std::string> scanGoodsIds(const std::string& pageText)
{
    std::vector<std::string> ids;
    const std::string attribute = "data-sku=\"";
    for (std::size_t at = pageText.find("<li"); at != std::string::npos; at = pageText.find("<li", at + 3)) {
        const std::size_t end = pageText.find('>', at);
        const std::string tag = pageText.substr(at, end - at);
        const std::size_t sku = tag.find(attribute);
        if (sku == std::string::npos)
            continue;
        const std::size_t from = sku + attribute.size();
        ids.push_back(tag.substr(from, tag.find('"', from) - from));
    }
    return ids;
}

} // namespace zorvane::testing
