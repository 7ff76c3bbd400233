#pragma once

#include <string>
#include <vector>

namespace zorvane::testing {

// The twelve saved result pages of the shop, by file name.
const std::vector<std::string>& realPageNames();

// A saved page's bytes, exactly as stored.
std::string readRealPageBytes(const std::string& name);

// A saved page as the search thread sees it after the fetch.
std::string readRealPage(const std::string& name);

// The data-sku ids of the page's goods <li> tags, read by a plain scan of the
// tags (not by the goods item pattern), in page order.
std::vector<std::string> scanGoodsIds(const std::string& pageText);

} // namespace zorvane::testing
