#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "core/config.h"
#include "core/goods_record.h"
#include "search/next_page.h"

namespace zorvane {

struct AppState;
struct SearchJob;
class WalkObserver;

// What one result page's text came to, in the order the checks run.
enum class PageOutcome
{
    CouponExpired, // the coupon has run out: the walk ends
    LoginRequired, // the shop wants a login: the walk ends
    PatternFailed, // the goods item pattern was rejected
    NoGoods,       // no goods item on the page
    GoodsFound,    // goods were handed over; next tells where the walk goes on
};

struct PageVerdict
{
    PageOutcome outcome = PageOutcome::NoGoods;
    int goodsCount = 0;
    int goodsCut = 0;     // of them, those the extraction budget cut short: their fields stay empty
    NextPageOutcome next; // only for goodsFound
};

using GoodsHandler = std::function<void(GoodsRecord&&)>;

// The time the extraction of one page's goods may take in all: 10 s and
// 1 ms per KiB of page text. Once it is spent, the fields of the remaining
// goods stay empty.
std::chrono::milliseconds extractionBudget(std::size_t pageBytes);

// The response body as page text: its bytes up to the first NUL, with invalid
// UTF-8 replaced. A valid body is moved, not copied.
std::string pageTextFromBody(std::string body);

// "<script>window.location.href=\"//" + loginHost + "/new/login.aspx".
std::string loginRedirectMarker(std::string_view loginHost);

// Everything after the fetch: the end-of-walk markers, the goods items (each
// extracted and handed to onGoods in page order before the next is read) and
// the next page. Touches no shared state, so a command-line front end and the
// benchmark run the very same code as the search thread.
PageVerdict analysePageText(std::string_view pageText, const Config& config, const GoodsHandler& onGoods);
// The same for text already found to be valid UTF-8 (textChecked), such as
// pageTextFromBody's, which spares the page a second check.
PageVerdict analysePageText(std::string_view pageText, const Config& config, const GoodsHandler& onGoods,
                            bool textChecked);

// Appends the record to the goods store, then tells the observer the new
// count with the store unlocked.
void storeGoods(AppState& state, WalkObserver& observer, SearchJob& job, GoodsRecord record);

// Fetches the job's current page and analyses it. True when the page counts as
// searched (its next address, or "", is in the job); false when the same
// address is to be tried again. May pause the walk.
bool analysePage(AppState& state, WalkObserver& observer, SearchJob& job);

} // namespace zorvane
